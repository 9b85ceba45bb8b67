#include "CommandAudit.h"

#include "Records.h"
#include "ServerReplies.h"

#include <QTimer>

namespace console {

namespace {
// More than this many unanswered commands at once are not a conversation any more.
constexpr int kMaxWaiting = 64;
} // namespace

CommandAudit::CommandAudit(Records& records, std::chrono::milliseconds noReply, QObject* parent)
    : QObject(parent), m_records(records), m_noReply(noReply), m_timer(new QTimer(this)) {
    m_timer->setSingleShot(true);
    connect(m_timer, &QTimer::timeout, this, &CommandAudit::expire);
}

void CommandAudit::sent(const QString& server, const QString& command, CommandOrigin origin) {
    if (origin == CommandOrigin::AutoQuery && !m_settings.auditAutoQuery)
        return;
    const quint64 handle = m_records.recordCommand({QDateTime::currentDateTimeUtc(), desktopUser(), server,
                                                    command, origin, Outcome::Pending, QString()});
    if (m_waiting.size() == kMaxWaiting) {
        m_records.setOutcome(m_waiting.front().handle, Outcome::NoReply, QString());
        m_waiting.removeFirst();
    }
    Waiting waiting{handle, command, {}};
    waiting.since.start();
    m_waiting.append(waiting);
    if (!m_timer->isActive())
        m_timer->start(m_noReply);
}

void CommandAudit::rebootSent(const QString& server, CommandOrigin origin) {
    m_records.recordCommand({QDateTime::currentDateTimeUtc(), desktopUser(), server, QStringLiteral("reboot"),
                             origin, Outcome::Listener, QString()});
}

void CommandAudit::replyArrived(const QByteArray& datagram) {
    if (m_waiting.isEmpty())
        return;
    const Waiting waiting = m_waiting.takeFirst();
    const ReplyKind kind = classifyReply(datagram);
    const Outcome outcome = kind == ReplyKind::BadPassword  ? Outcome::Refused
                            : kind == ReplyKind::NoPassword ? Outcome::NoPassword
                                                            : Outcome::Replied;
    m_records.setOutcome(waiting.handle, outcome,
                         keptReplyLine(waiting.command, rconPayload(datagram.left(kMaxReplyBytes)), outcome));
    expire();
}

void CommandAudit::expire() {
    while (!m_waiting.isEmpty() && m_waiting.front().since.hasExpired(m_noReply.count())) {
        m_records.setOutcome(m_waiting.front().handle, Outcome::NoReply, QString());
        m_waiting.removeFirst();
    }
    if (m_waiting.isEmpty())
        m_timer->stop();
    else
        m_timer->start(qMax<qint64>(1, m_noReply.count() - m_waiting.front().since.elapsed()));
}

} // namespace console
