#include "RconCall.h"

#include "Rcon.h"
#include "ServerReplies.h"
#include "StatusWords.h"

#include <DatagramChannel.h>

#include <QTimer>

namespace console {

namespace {
QTimer* singleShot(QObject* parent) {
    auto* timer = new QTimer(parent);
    timer->setSingleShot(true);
    // A coarse timer may fire a twentieth early, and a reply's last datagram be missed.
    timer->setTimerType(Qt::PreciseTimer);
    return timer;
}
} // namespace

RconCall::RconCall(QObject* parent)
    : QObject(parent), m_channel(new platform::DatagramChannel(this)), m_timeout(singleShot(this)),
      m_quiet(singleShot(this)), m_longest(singleShot(this)) {
    connect(m_channel, &platform::DatagramChannel::DataArrival, this, &RconCall::take);
    connect(m_channel, &platform::DatagramChannel::Error, this, [this](const QString& description) {
        finish(RconOutcome::NotSent, QStringLiteral("Cannot send to %1: %2").arg(target(), description));
    });
    connect(m_timeout, &QTimer::timeout, this,
            [this] { finish(RconOutcome::NoReply, noReplyText(target())); });
    connect(m_quiet, &QTimer::timeout, this, [this] { finish(RconOutcome::Replied); });
    connect(m_longest, &QTimer::timeout, this, [this] {
        m_reply.cut = true;
        finish(RconOutcome::Replied);
    });
}

void RconCall::start(const QString& host, quint16 port, const QString& password, const QString& command,
                     const ReplyCleaning& cleaning, const RconTiming& timing) {
    m_channel->Close();
    m_host = host;
    m_port = port;
    m_password = password;
    m_command = command;
    m_cleaning = cleaning;
    m_reply = {};
    m_timeout->setInterval(timing.timeout);
    m_quiet->setInterval(timing.quiet);
    m_longest->setInterval(timing.longest);
    m_running = true;
    // A host that cannot be used fails at once: its answer, too, comes from the event loop. A call
    // started again before that sends once.
    QTimer::singleShot(0, this, [this, generation = ++m_generation] {
        if (generation == m_generation)
            send();
    });
}

void RconCall::send() {
    if (!m_running)
        return;
    m_timeout->start();
    if (!m_channel->Connect(m_host, m_port))
        return; // Error has finished the call
    if (!m_channel->SendData(buildRconDatagram(m_password, m_command)))
        finish(RconOutcome::NotSent, QStringLiteral("Cannot send to %1").arg(target()));
}

void RconCall::take() {
    const QByteArray datagram = m_channel->GetBytes();
    if (!m_running)
        return;
    if (m_reply.datagrams++ == 0) {
        m_timeout->stop();
        m_longest->start();
        const ReplyKind kind = classifyReply(datagram);
        if (kind != ReplyKind::Ordinary) {
            // A refusal is all the server will say.
            finish(kind == ReplyKind::BadPassword ? RconOutcome::Refused : RconOutcome::NoPasswordSet,
                   refusalText(kind));
            return;
        }
    }
    const QString piece = clean(QString::fromLatin1(datagram), m_cleaning);
    const qsizetype room = kMaxReplyBytes - m_reply.text.size();
    m_reply.text += piece.left(room);
    if (piece.size() > room) {
        m_reply.cut = true;
        finish(RconOutcome::Replied);
        return;
    }
    m_quiet->start();
}

void RconCall::finish(RconOutcome outcome, const QString& why) {
    if (!m_running)
        return;
    m_running = false;
    m_timeout->stop();
    m_quiet->stop();
    m_longest->stop();
    m_channel->Close();
    m_reply.outcome = outcome;
    m_reply.why = why;
    emit finished(m_reply);
}

QString RconCall::target() const {
    return m_host + QLatin1Char(':') + QString::number(m_port);
}

QString RconCall::clean(const QString& text, const ReplyCleaning& cleaning) {
    // The pane's CR LF is undone exactly: each LF became CR LF, and nothing else did.
    QString cleaned =
        cleanReply(text, cleaning.hideCodes).replace(QLatin1String("\r\n"), QLatin1String("\n"));
    return cleaning.stripColours ? withoutColours(cleaned) : cleaned;
}

} // namespace console
