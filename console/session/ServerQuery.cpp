#include "ServerQuery.h"

#include "DatagramChannel.h"
#include "Rcon.h"
#include "ServerPacers.h"
#include "Wire.h"

#include <QRandomGenerator>

#include <QTimer>
#include <algorithm>

namespace console {

ServerQuery::ServerQuery(ServerPacers& pacers, QObject* parent, int rconQuietMs)
    : QObject(parent), m_pacers(pacers), m_channel(new platform::DatagramChannel(this)),
      m_rconQuiet(new QTimer(this)) {
    m_rconQuiet->setSingleShot(true);
    m_rconQuiet->setInterval(rconQuietMs);
    connect(m_rconQuiet, &QTimer::timeout, this, &ServerQuery::finishRconStatus);
    connect(m_channel, &platform::DatagramChannel::DataArrival, this, &ServerQuery::readReplies);
}

void ServerQuery::setServer(const QString& host, int port) {
    if (host == m_host && port == m_port)
        return;
    cancel();
    m_host = host;
    m_port = port;
}

void ServerQuery::cancel() {
    m_pacers.withdraw(this);
    std::fill(std::begin(m_queued), std::end(m_queued), false);
    m_statusWanted = false;
    m_challenge.clear();
    endRcon();
}

void ServerQuery::endRcon() {
    m_rconWanted = false;
    m_rconText.clear();
    m_rconQuiet->stop();
}

bool ServerQuery::send(const QByteArray& datagram) {
    return m_channel->Connect(m_host, m_port) && m_channel->SendData(datagram);
}

void ServerQuery::whenAllowed(Kind kind, Traffic traffic, std::function<void()> send) {
    if (m_queued[kind])
        return;
    if (m_host.isEmpty() || m_port <= 0 || m_port > 65535) {
        send(); // goes nowhere, and fails as it always did
        return;
    }
    m_queued[kind] = true;
    m_pacers.submit(m_host, quint16(m_port), Urgency::Background, traffic, this, [this, kind, send] {
        m_queued[kind] = false;
        send();
    });
}

void ServerQuery::requestStatus() {
    whenAllowed(Status, Traffic::Query, [this] { m_statusWanted = send(kGetStatusRequest); });
}

void ServerQuery::requestInfo() {
    whenAllowed(Info, Traffic::Query, [this] {
        // A fresh challenge per request, so a late answer to an earlier one is not taken for this one.
        const QString challenge = QString::number(QRandomGenerator::global()->generate(), 36);
        if (send(kGetInfoRequest + challenge.toLatin1()))
            m_challenge = challenge;
    });
}

void ServerQuery::requestRconStatus(const QString& password) {
    m_rconPassword = password;
    whenAllowed(Rcon, Traffic::Rcon, [this] {
        m_rconText.clear();
        m_rconWanted = send(buildRconDatagram(m_rconPassword, QStringLiteral("status")));
        if (m_rconWanted)
            m_rconQuiet->start();
    });
}

void ServerQuery::readReplies() {
    takeReply(m_channel->GetBytes());
}

void ServerQuery::takeReply(const QByteArray& datagram) {
    if (m_statusWanted) {
        if (const auto status = parseStatusResponse(datagram)) {
            m_statusWanted = false;
            emit statusReceived(*status);
            return;
        }
    }
    if (!m_challenge.isEmpty()) {
        const auto info = parseInfoResponse(datagram);
        if (info && info->value(QStringLiteral("challenge")) == m_challenge) {
            m_challenge.clear();
            emit infoReceived(*info);
            return;
        }
    }
    if (!m_rconWanted)
        return;
    const ReplyKind kind = classifyReply(datagram);
    if (kind != ReplyKind::Ordinary) {
        endRcon();
        emit rconRefused(kind);
        return;
    }
    const QString payload = rconPayload(datagram);
    if (payload.isEmpty() || m_rconText.size() + payload.size() > kMaxReplyBytes)
        return;
    m_rconText += payload;
    m_rconQuiet->start();
    const auto status = parseRconStatus(m_rconText);
    if (status && status->complete) {
        endRcon();
        emit rconStatusReceived(*status);
    }
}

// The table's closing line went missing (a lost datagram or an engine that prints none): hand on
// the rows that came.
void ServerQuery::finishRconStatus() {
    const auto status = m_rconWanted ? parseRconStatus(m_rconText) : std::nullopt;
    endRcon();
    if (status)
        emit rconStatusReceived(*status);
}

} // namespace console
