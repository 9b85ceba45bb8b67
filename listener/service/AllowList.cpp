#include "AllowList.h"

namespace listener {

namespace {
// An IPv4 peer reached over an IPv6 socket, or an entry written that way, compares as IPv4.
QPair<QHostAddress, int> asIPv4IfMapped(const QHostAddress& address, int prefix) {
    if (address.protocol() != QAbstractSocket::IPv6Protocol || prefix < 96)
        return {address, prefix};
    // Read from its bytes: a network from parseSubnet still answers toIPv4Address() with host bits.
    bool mapped = false;
    const quint32 v4 = QHostAddress(address.toIPv6Address()).toIPv4Address(&mapped);
    if (mapped)
        return {QHostAddress(v4), prefix - 96};
    return {address, prefix};
}

// Qt also reads shorthand such as "10" or "/8" (as 0.0.0.0/8); an administrator's typo must not
// become a range, so the address part has to be written out in full.
bool isFullAddress(const QString& text) {
    // Qt's parser stops at a NUL ("2001<NUL>:db8::1" reads as 0.0.7.209); no address holds a control.
    for (const QChar c : text)
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            return false;
    QHostAddress address;
    if (!address.setAddress(text))
        return false;
    return text.contains(QLatin1Char(':')) || text.count(QLatin1Char('.')) == 3;
}
} // namespace

AllowList AllowList::parse(const QString& text) {
    AllowList list;
    for (const QString& item : text.split(QLatin1Char(','))) {
        const QString entry = item.trimmed();
        if (entry.isEmpty())
            continue;
        list.m_everyone = false;
        const QPair<QHostAddress, int> subnet = QHostAddress::parseSubnet(entry);
        if (subnet.second < 0 || !isFullAddress(entry.section(QLatin1Char('/'), 0, 0).trimmed()))
            list.m_invalid << entry;
        else
            list.m_ranges << asIPv4IfMapped(subnet.first, subnet.second);
    }
    return list;
}

bool AllowList::admits(const QHostAddress& peer) const {
    if (m_everyone)
        return true;
    const QHostAddress address = asIPv4IfMapped(peer, 128).first;
    for (const auto& [network, prefix] : m_ranges)
        if (address.isInSubnet(network, prefix))
            return true;
    return false;
}

QStringList AllowList::entries() const {
    QStringList texts;
    for (const auto& [network, prefix] : m_ranges) {
        const bool single = prefix == (network.protocol() == QAbstractSocket::IPv4Protocol ? 32 : 128);
        texts << (single ? network.toString()
                         : network.toString() + QLatin1Char('/') + QString::number(prefix));
    }
    return texts;
}

} // namespace listener
