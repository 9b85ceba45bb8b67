#include "ServerWatch.h"

#include "ServerQuery.h"
#include "StatusWords.h"

#include <QTimer>

namespace console {

namespace {
const QString kBack = QStringLiteral("Server back after %1 s: %2 on %3");
const QString kNoAnswer = QStringLiteral("No answer from the server %1 s after the reboot");
} // namespace

ServerWatch::ServerWatch(const WatchTiming& timing, QObject* parent)
    : QObject(parent), m_noReply(new QTimer(this)), m_poll(new QTimer(this)), m_limit(new QTimer(this)),
      m_query(new ServerQuery(this)) {
    m_noReply->setSingleShot(true);
    m_noReply->setInterval(timing.noReply);
    m_poll->setInterval(timing.rebootPoll);
    m_limit->setSingleShot(true);
    m_limit->setInterval(timing.rebootLimit);
    connect(m_noReply, &QTimer::timeout, this, &ServerWatch::noReply);
    connect(m_poll, &QTimer::timeout, this, &ServerWatch::pollServer);
    connect(m_limit, &QTimer::timeout, this, &ServerWatch::giveUp);
    connect(m_query, &ServerQuery::infoReceived, this, &ServerWatch::serverBack);
}

void ServerWatch::show(const QString& text) {
    if (text == m_text)
        return;
    m_text = text;
    emit textChanged(text);
}

void ServerWatch::commandSent(const QString& host, const QString& port, const QString& command) {
    // A server told to quit may well go without a word.
    if (command.trimmed().compare(QLatin1String("quit"), Qt::CaseInsensitive) == 0)
        return;
    // The clock runs from the oldest send still unanswered; later sends do not push it back.
    if (m_noReply->isActive())
        return;
    m_target = host + QLatin1Char(':') + port;
    m_noReply->start();
}

void ServerWatch::replyArrived(const QByteArray& datagram) {
    m_noReply->stop();
    show(refusalText(classifyReply(datagram)));
}

void ServerWatch::noReply() {
    show(noReplyText(m_target));
}

void ServerWatch::rebootSent(const QString& host, const QString& port) {
    m_noReply->stop();
    m_query->cancel();
    m_query->setServer(host, port.toInt());
    m_sinceReboot.start();
    m_limit->start();
    m_poll->start();
    pollServer();
}

void ServerWatch::pollServer() {
    m_query->requestInfo();
}

void ServerWatch::serverBack(const InfoPairs& info) {
    if (!m_limit->isActive())
        return;
    m_poll->stop();
    m_limit->stop();
    const ServerSummary s = summarize(info);
    const qint64 seconds = (m_sinceReboot.elapsed() + 500) / 1000;
    show(kBack.arg(seconds).arg(withoutColours(s.hostname), s.map));
}

void ServerWatch::giveUp() {
    m_poll->stop();
    m_query->cancel();
    show(kNoAnswer.arg((m_limit->interval() + 500) / 1000));
}

} // namespace console
