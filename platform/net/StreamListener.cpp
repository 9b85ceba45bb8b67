#include "StreamListener.h"

#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

namespace platform {

namespace {
void closeGently(QTcpSocket* socket) {
    if (socket->state() == QAbstractSocket::ConnectedState) {
        QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        socket->disconnectFromHost(); // queued bytes go out first
        if (socket->state() != QAbstractSocket::UnconnectedState)
            return;
    } else {
        socket->abort();
    }
    socket->deleteLater();
}
} // namespace

StreamListener::StreamListener(QObject* parent) : QObject(parent) {}

StreamListener::~StreamListener() = default;

int StreamListener::LocalPort() const {
    if (m_server && m_server->isListening())
        return m_server->serverPort();
    if (m_peer)
        return m_peer->localPort();
    return m_localPort;
}

QString StreamListener::RemoteHostIP() const {
    if (!m_peer)
        return {};
    bool mapped = false;
    const QHostAddress address = m_peer->peerAddress();
    const quint32 v4 = address.toIPv4Address(&mapped);
    return mapped ? QHostAddress(v4).toString() : address.toString();
}

bool StreamListener::Listen() {
    if (m_state != State::Closed && m_state != State::Error)
        return false;
    if (!m_server) {
        m_server = new QTcpServer(this);
        connect(m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* s = m_server->nextPendingConnection()) {
                s->setParent(this);
                const int id = m_nextId++;
                m_pending.insert(id, s);
                // A peer that leaves before it is accepted is forgotten, unless it left words.
                connect(s, &QTcpSocket::disconnected, this, [this, id, s] {
                    if (m_pending.value(id) == s && s->bytesAvailable() == 0) {
                        m_pending.remove(id);
                        s->deleteLater();
                    }
                });
                emit ConnectionRequest(id);
            }
        });
    }
    m_errorString.clear();
    // Any is dual stack: IPv4 peers arrive as IPv4-mapped IPv6 addresses.
    if (!m_server->listen(QHostAddress::Any, quint16(m_localPort))) {
        failWith(m_server->errorString());
        return false;
    }
    m_state = State::Listening;
    return true;
}

bool StreamListener::Accept(int requestId) {
    if ((m_state != State::Closed && m_state != State::Error) || !m_pending.contains(requestId))
        return false;
    QTcpSocket* s = m_pending.take(requestId);
    disconnect(s, nullptr, this, nullptr);
    if (m_peer)
        closeGently(m_peer);
    m_peer = s;
    m_errorString.clear();
    m_state = State::Connected;
    connect(s, &QTcpSocket::readyRead, this, [this, s] {
        if (m_peer == s)
            emit DataArrival(s->bytesAvailable());
    });
    const auto gone = [this, s] {
        if (m_peer != s)
            return;
        m_peer = nullptr;
        m_errorString = s->errorString(); // why it went, for the caller's log
        disconnect(s, nullptr, this, nullptr);
        s->abort();
        s->deleteLater();
        m_state = State::Closed;
        emit PeerGone();
    };
    connect(s, &QTcpSocket::errorOccurred, this, gone);
    connect(s, &QTcpSocket::disconnected, this, gone);
    // What arrived before the accept still waits in the socket; a peer already gone is told later.
    QTimer::singleShot(0, s, [this, s, gone] {
        if (m_peer != s)
            return;
        if (s->bytesAvailable() > 0)
            emit DataArrival(s->bytesAvailable());
        if (m_peer == s && s->state() != QAbstractSocket::ConnectedState)
            gone();
    });
    return true;
}

QByteArray StreamListener::GetBytes() {
    return m_peer ? m_peer->readAll() : QByteArray();
}

QString StreamListener::GetData() {
    return QString::fromLatin1(GetBytes());
}

void StreamListener::failWith(const QString& description) {
    m_errorString = description;
    m_state = State::Error;
    emit Error(description);
}

void StreamListener::Close() {
    if (m_server && m_server->isListening())
        m_server->close(); // pending peers stay acceptable
    if (m_peer) {
        QTcpSocket* s = m_peer;
        m_peer = nullptr;
        disconnect(s, nullptr, this, nullptr);
        closeGently(s);
    }
    m_state = State::Closed;
}

} // namespace platform
