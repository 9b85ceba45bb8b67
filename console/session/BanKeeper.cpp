#include "BanKeeper.h"

#include "ServerReplies.h"

#include <QTimer>

namespace console {

namespace {
constexpr qint64 kCheckEveryMs = 60 * 1000;
} // namespace

BanKeeper::BanKeeper(Records& records, Sender send, std::chrono::milliseconds noReply, QObject* parent)
    : QObject(parent), m_records(records), m_send(std::move(send)), m_noReply(new QTimer(this)) {
    m_noReply->setSingleShot(true);
    m_noReply->setInterval(noReply);
    connect(m_noReply, &QTimer::timeout, this, [this] {
        // A silent server is asked again next time, not now.
        const BanNote note = m_due.front();
        m_due = {note};
        m_checked.remove(note.server);
        finish(QStringLiteral("Expired ban on %1 not removed: no reply from %2").arg(note.range, note.server),
               false);
    });
}

void BanKeeper::serverContacted(const QString& server) {
    QElapsedTimer& checked = m_checked[server];
    if (checked.isValid() && !checked.hasExpired(kCheckEveryMs))
        return;
    checked.start();
    m_records.banNotes(server, this,
                       [this, server](const QList<BanNote>& notes) { notesRead(server, notes); });
}

void BanKeeper::notesRead(const QString& server, const QList<BanNote>& notes) {
    const QDateTime now = QDateTime::currentDateTimeUtc();
    for (const BanNote& note : notes) {
        const bool known = std::any_of(m_due.cbegin(), m_due.cend(), [&](const BanNote& due) {
            return due.server == server && due.kind == note.kind && due.range == note.range;
        });
        if (note.expires.isValid() && note.expires <= now && !known)
            m_due.append(note);
    }
    sendNext();
}

void BanKeeper::sendNext() {
    while (!m_waiting && !m_due.isEmpty()) {
        const BanNote& note = m_due.front();
        const std::optional<QString> command = banCommand(
            note.engine, note.kind == BanKind::Ban ? BanAction::Remove : BanAction::RemoveException,
            note.range);
        if (!command) { // a note no engine command can name: nothing on the server to remove
            m_records.removeBanNote(note.server, note.kind, note.range);
            m_due.removeFirst();
            continue;
        }
        // The reply is awaited once the command has gone (commandWentOut), which may be later.
        m_waiting = true;
        if (!m_send(note.server, *command)) {
            m_waiting = false;
            m_checked.remove(note.server); // the console talks to another server now: ask again next time
            m_due.clear();
            return;
        }
    }
}

void BanKeeper::commandWentOut() {
    if (m_waiting)
        m_noReply->start();
}

void BanKeeper::replyArrived(const QString& text) {
    // Only once the removal has gone: a reply before it answers some earlier command.
    if (!m_noReply->isActive())
        return;
    const BanNote& note = m_due.front();
    const BanReply reply = parseBanReply(text);
    switch (reply.kind) {
    case BanReply::Deleted:
    case BanReply::ExceptionDeleted:
        return finish(QStringLiteral("Expired ban on %1 removed from %2").arg(note.range, note.server), true);
    case BanReply::Silent:
    case BanReply::NotFound:
        return finish(QStringLiteral("Expired ban on %1 was no longer on %2").arg(note.range, note.server),
                      true);
    case BanReply::Failed:
        return finish(QStringLiteral("Expired ban on %1 not removed: %2").arg(note.range, reply.error),
                      false);
    default:
        return finish(QStringLiteral("Expired ban on %1 not removed: %2")
                          .arg(note.range, withoutColours(text).trimmed().section(QLatin1Char('\n'), 0, 0)),
                      false);
    }
}

void BanKeeper::finish(const QString& text, bool removed) {
    m_noReply->stop();
    m_waiting = false;
    const BanNote note = m_due.takeFirst();
    if (removed)
        m_records.removeBanNote(note.server, note.kind, note.range);
    emit statusText(text.left(kMaxRecordText));
    sendNext();
}

} // namespace console
