#include "PeerLimits.h"

#include <QTimer>

namespace listener {

namespace {
constexpr qint64 kTallyMs = 1000;
// Addresses told apart in one second's count; past that they are only counted.
constexpr int kAddressesKept = 1024;

QString peers(qint64 count) {
    return count == 1 ? QStringLiteral("a peer") : QStringLiteral("%1 peers").arg(count);
}
} // namespace

Admission admit(const QList<PeerPlace>& peers, const QHostAddress& newcomer, int most, int mostPerAddress) {
    QList<qsizetype> sameAddress;
    for (qsizetype i = 0; i < peers.size(); ++i)
        if (peers[i].address == newcomer)
            sameAddress << i;
    const bool addressFull = sameAddress.size() >= mostPerAddress;
    if (!addressFull && peers.size() < most)
        return {true, std::nullopt, QString()};
    if (addressFull) {
        for (const qsizetype i : sameAddress)
            if (!peers[i].spoke)
                return {true, i, QString()};
        return {false, std::nullopt, QStringLiteral("%1 peers from one address").arg(mostPerAddress)};
    }
    for (qsizetype i = 0; i < peers.size(); ++i)
        if (!peers[i].spoke)
            return {true, i, QString()};
    return {false, std::nullopt, QStringLiteral("%1 peers at once").arg(most)};
}

TallyLog::TallyLog(QObject* parent) : QObject(parent), m_timer(new QTimer(this)) {
    m_clock.start();
    m_timer->setSingleShot(true);
    connect(m_timer, &QTimer::timeout, this, &TallyLog::tick);
}

void TallyLog::note(const QString& what, const QString& reason, const QHostAddress& peer) {
    Kind* kind = nullptr;
    for (Kind& k : m_kinds)
        if (k.what == what && k.reason == reason)
            kind = &k;
    if (!kind) {
        m_kinds.append(Kind());
        kind = &m_kinds.last();
        kind->what = what;
        kind->reason = reason;
    }
    const QString address = peer.toString();
    const qint64 now = m_clock.elapsed();
    if (kind->lastLineMs < 0 || now - kind->lastLineMs >= kTallyMs) {
        kind->lastLineMs = now;
        emit entry(QStringLiteral("%1 a peer from %2 (%3)").arg(what, address, reason));
        return;
    }
    ++kind->count;
    kind->lastAddress = address;
    if (kind->addresses.size() < kAddressesKept)
        kind->addresses.insert(address, true);
    if (!m_timer->isActive())
        m_timer->start(int(qMax<qint64>(0, kind->lastLineMs + kTallyMs - now)));
}

void TallyLog::writeCount(Kind& kind) {
    const qsizetype others = kind.addresses.size() - 1;
    QString from = kind.lastAddress;
    if (others > 0)
        from += QStringLiteral(" and %1 other address%2").arg(others).arg(others == 1 ? "" : "es");
    emit entry(QStringLiteral("%1 %2 from %3 (%4) in the last second")
                   .arg(kind.what, peers(kind.count), from, kind.reason));
    kind.count = 0;
    kind.addresses.clear();
    kind.lastLineMs = m_clock.elapsed();
}

void TallyLog::tick() {
    const qint64 now = m_clock.elapsed();
    qint64 next = -1;
    for (Kind& kind : m_kinds) {
        if (kind.count == 0)
            continue;
        const qint64 due = kind.lastLineMs + kTallyMs;
        if (due <= now)
            writeCount(kind);
        else if (next < 0 || due < next)
            next = due;
    }
    if (next >= 0)
        m_timer->start(int(next - now));
}

void TallyLog::flush() {
    for (Kind& kind : m_kinds)
        if (kind.count > 0)
            writeCount(kind);
    m_timer->stop();
}

} // namespace listener
