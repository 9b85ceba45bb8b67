// A peer address (first line) checked against an allow-list text (the rest).
#include "FuzzCheck.h"

#include <AllowList.h>

#include <QByteArray>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
    const qsizetype lineEnd = input.indexOf('\n');
    QHostAddress peer(QString::fromUtf8(input.left(lineEnd < 0 ? input.size() : lineEnd)));
    if (peer.isNull())
        peer = QHostAddress(QHostAddress::LocalHost);
    const QString text = lineEnd < 0 ? QString() : QString::fromUtf8(input.mid(lineEnd + 1));

    const listener::AllowList list = listener::AllowList::parse(text);
    qsizetype written = 0;
    for (const QString& item : text.split(QLatin1Char(',')))
        written += item.trimmed().isEmpty() ? 0 : 1;
    FUZZ_CHECK(list.admitsEveryone() == (written == 0));
    FUZZ_CHECK(list.entries().size() + list.invalidEntries().size() == written);
    if (list.admitsEveryone()) {
        FUZZ_CHECK(list.admits(peer));
        return 0;
    }

    // The canonical entries read back as themselves, and bad entries never widen the list.
    const listener::AllowList canonical = listener::AllowList::parse(list.entries().join(QLatin1Char(',')));
    if (list.entries().isEmpty()) {
        FUZZ_CHECK(!list.admits(peer));
    } else {
        FUZZ_CHECK(canonical.entries() == list.entries() && canonical.invalidEntries().isEmpty());
        FUZZ_CHECK(canonical.admits(peer) == list.admits(peer));
    }
    // An IPv4 peer reached over IPv6 is the same peer.
    bool isV4 = false;
    const quint32 v4 = peer.toIPv4Address(&isV4);
    if (isV4 && peer.protocol() == QAbstractSocket::IPv4Protocol)
        FUZZ_CHECK(list.admits(QHostAddress(QStringLiteral("::ffff:") + QHostAddress(v4).toString())) ==
                   list.admits(peer));
    // Naming a peer admits it (without its zone: a real one is an interface, never this input's junk).
    QHostAddress named(peer);
    named.setScopeId(QString());
    FUZZ_CHECK(listener::AllowList::parse(text + QLatin1Char(',') + named.toString()).admits(peer));
    return 0;
}
