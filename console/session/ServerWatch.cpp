#include "ServerWatch.h"

#include "ServerQuery.h"
#include "StatusWords.h"

#include <QTimer>

namespace console {

namespace {
const QString kRebooting = QStringLiteral("Rebooting %1: waiting for the server (%2 s)");
const QString kRestarting = QStringLiteral("Restarting %1: waiting for the server (%2 s)");
const QString kBack = QStringLiteral("Server back after %1 s: %2 on %3");
const QString kNoAnswer = QStringLiteral("No answer from %1 %2 s after the reboot");
const QString kNoAnswerRestart = QStringLiteral("No answer from %1 %2 s after the restart");
const QString kNeverWent = QStringLiteral("%1 still answers %2 s after the reboot: the server did not quit");
const QString kNeverWentRestart =
    QStringLiteral("%1 still answers %2 s after the restart: the server did not quit");
const QString kRefused = QStringLiteral("Reboot of %1 cancelled: %2; nothing was restarted");
const QString kRefusedRestart = QStringLiteral("Restart of %1 cancelled: %2; nothing was restarted");
const QString kAbandoned = QStringLiteral("Reboot of %1 not done: the Kestwold dropped the request");
const QString kAbandonedRestart = QStringLiteral("Restart of %1 not done: the Kestwold dropped the request");
const QString kUnreachable = QStringLiteral(
    "Restart of %1 not done: the Kestwold is not running there; the game server was not shut down");
constexpr int kCountMs = 1000;
} // namespace

ServerWatch::ServerWatch(ServerPacers& pacers, const WatchTiming& timing, QObject* parent)
    : QObject(parent), m_noReply(new QTimer(this)), m_poll(new QTimer(this)), m_limit(new QTimer(this)),
      m_count(new QTimer(this)), m_query(new ServerQuery(pacers, this)),
      m_settleMs(timing.inPlaceSettle.count()) {
    m_noReply->setSingleShot(true);
    m_noReply->setInterval(timing.noReply);
    m_poll->setInterval(timing.rebootPoll);
    m_limit->setSingleShot(true);
    m_limit->setInterval(timing.rebootLimit);
    m_count->setInterval(kCountMs);
    connect(m_noReply, &QTimer::timeout, this, &ServerWatch::noReply);
    connect(m_poll, &QTimer::timeout, this, &ServerWatch::pollServer);
    connect(m_limit, &QTimer::timeout, this, &ServerWatch::giveUp);
    connect(m_count, &QTimer::timeout, this, &ServerWatch::showCount);
    connect(m_query, &ServerQuery::infoReceived, this, &ServerWatch::serverBack);
}

void ServerWatch::show(const QString& text) {
    if (text == m_text)
        return;
    m_text = text;
    emit textChanged(text);
}

void ServerWatch::commandSent(const QString& host, quint16 port, const QString& command) {
    // A server told to quit may well go without a word.
    if (command.trimmed().compare(QLatin1String("quit"), Qt::CaseInsensitive) == 0)
        return;
    // The clock runs from the oldest send still unanswered; later sends do not push it back.
    if (m_noReply->isActive())
        return;
    m_target = host + QLatin1Char(':') + QString::number(port);
    m_noReply->start();
}

void ServerWatch::replyArrived(const QByteArray& datagram) {
    m_noReply->stop();
    if (!rebooting())
        show(refusalText(classifyReply(datagram)));
}

void ServerWatch::noReply() {
    if (!rebooting())
        show(noReplyText(m_target));
}

bool ServerWatch::rebooting() const {
    return m_limit->isActive();
}

QString ServerWatch::words(const QString& reboot, const QString& restart) const {
    return m_how == How::Reboot ? reboot : restart;
}

void ServerWatch::rebootStarted(const QString& host, quint16 port, How how) {
    m_how = how;
    m_noReply->stop();
    m_query->cancel();
    m_query->setServer(host, port);
    m_rebootTarget = host + QLatin1Char(':') + QString::number(port);
    m_seenGone = false;
    m_sinceQuit.start();
    m_limit->start();
    m_poll->start();
    m_count->start();
    showCount();
    pollServer();
}

void ServerWatch::showCount() {
    show(words(kRebooting, kRestarting).arg(m_rebootTarget).arg(secondsSinceQuit()));
}

qint64 ServerWatch::secondsSinceQuit() const {
    return (m_sinceQuit.elapsed() + 500) / 1000;
}

void ServerWatch::pollServer() {
    // A question still open when the next is due went unanswered: the server was away.
    if (m_query->infoPending())
        m_seenGone = true;
    m_query->requestInfo();
}

void ServerWatch::serverBack(const InfoPairs& info) {
    // An answer before the server was seen gone comes from the server that was told to quit. One
    // that restarts in place is back once it answers after the restart's own delay.
    const bool settled = m_how == How::InPlace && m_sinceQuit.elapsed() >= m_settleMs;
    if (!rebooting() || !(m_seenGone || settled))
        return;
    const ServerSummary s = summarize(info);
    endReboot(RebootEnd::Kind::Back,
              kBack.arg(secondsSinceQuit())
                  .arg(withoutColours(s.hostname).left(kMaxNameChars), s.map.left(kMaxNameChars)));
}

void ServerWatch::giveUp() {
    const qint64 limit = (m_limit->interval() + 500) / 1000;
    if (m_seenGone || m_how == How::InPlace)
        endReboot(RebootEnd::Kind::NoAnswer,
                  words(kNoAnswer, kNoAnswerRestart).arg(m_rebootTarget).arg(limit));
    else
        endReboot(RebootEnd::Kind::NeverWent,
                  words(kNeverWent, kNeverWentRestart).arg(m_rebootTarget).arg(limit));
}

void ServerWatch::rebootRefused(ReplyKind kind) {
    if (rebooting())
        endReboot(RebootEnd::Kind::Refused,
                  words(kRefused, kRefusedRestart).arg(m_rebootTarget, refusalText(kind)));
}

void ServerWatch::rebootAbandoned() {
    if (rebooting())
        endReboot(RebootEnd::Kind::Abandoned, words(kAbandoned, kAbandonedRestart).arg(m_rebootTarget));
}

void ServerWatch::restartUnreachable(const QString& host) {
    stop();
    const QString text = kUnreachable.arg(host);
    show(text);
    emit rebootEnded({RebootEnd::Kind::Unreachable, text});
}

void ServerWatch::stop() {
    m_noReply->stop();
    m_poll->stop();
    m_limit->stop();
    m_count->stop();
    m_query->cancel();
}

void ServerWatch::endReboot(RebootEnd::Kind kind, const QString& text) {
    stop();
    show(text);
    emit rebootEnded({kind, text});
}

} // namespace console
