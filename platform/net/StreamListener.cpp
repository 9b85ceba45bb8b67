#include "StreamListener.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

namespace platform {

namespace {
// The system's queue of connections not yet taken; a burst of consoles must not meet a full one.
constexpr int kBacklog = 128;
// After the system refused to hand over a connection (no descriptors left), try again this soon.
constexpr int kRetryAcceptMs = 100;

QHostAddress plain(const QHostAddress& address) {
    bool mapped = false;
    const quint32 v4 = address.toIPv4Address(&mapped);
    return mapped ? QHostAddress(v4) : address;
}
} // namespace

StreamPeer::StreamPeer(QTcpSocket* socket, qint64 readLimit, QObject* parent)
    : QObject(parent), m_socket(socket), m_address(plain(socket->peerAddress())) {
    socket->setParent(this);
    socket->setReadBufferSize(readLimit);
    connect(socket, &QTcpSocket::readyRead, this, [this] { emit DataArrival(m_socket->bytesAvailable()); });
    const auto gone = [this] {
        if (m_gone)
            return;
        m_gone = true;
        emit PeerGone(m_socket->errorString());
    };
    connect(socket, &QTcpSocket::errorOccurred, this, gone);
    connect(socket, &QTcpSocket::disconnected, this, gone);
    // What arrived before the hand-over already waits in the socket; a peer already gone is told later.
    QTimer::singleShot(0, this, [this, gone] {
        if (m_released)
            return;
        if (m_socket->bytesAvailable() > 0)
            emit DataArrival(m_socket->bytesAvailable());
        if (m_socket->state() != QAbstractSocket::ConnectedState)
            gone();
    });
}

qint64 StreamPeer::bytesAvailable() const {
    return m_socket->bytesAvailable();
}

QByteArray StreamPeer::GetBytes(qint64 most) {
    return m_socket->read(most);
}

void StreamPeer::readWaiting() {
    if (m_socket->state() == QAbstractSocket::ConnectedState)
        m_socket->waitForReadyRead(0);
}

void StreamPeer::release() {
    disconnect(m_socket, nullptr, this, nullptr);
    m_released = true;
    deleteLater();
}

void StreamPeer::Close() {
    release();
    if (m_socket->state() == QAbstractSocket::ConnectedState)
        m_socket->disconnectFromHost(); // queued bytes go out first
    else
        m_socket->abort();
}

void StreamPeer::Abort() {
    release();
    m_socket->abort();
}

StreamListener::StreamListener(QObject* parent) : QObject(parent) {}

StreamListener::~StreamListener() = default;

int StreamListener::LocalPort() const {
    if (m_server && m_server->isListening())
        return m_server->serverPort();
    return m_localPort;
}

StreamListener::State StreamListener::state() const {
    return m_server && m_server->isListening() ? State::Listening : State::Closed;
}

Result<> StreamListener::Listen() {
    if (state() == State::Listening)
        return {};
    if (!m_server) {
        m_server = new QTcpServer(this);
        m_server->setListenBacklogSize(kBacklog);
        connect(m_server, &QTcpServer::newConnection, this, &StreamListener::handOver);
        // The toolkit stops accepting when the system refuses a connection to it; the door stays open.
        connect(m_server, &QTcpServer::acceptError, this, [this] {
            QTimer::singleShot(kRetryAcceptMs, m_server, [this] {
                if (m_server->isListening())
                    m_server->resumeAccepting();
            });
        });
    }
    // Any is dual stack: IPv4 peers arrive as IPv4-mapped IPv6 addresses.
    if (!m_server->listen(QHostAddress::Any, quint16(m_localPort)))
        return Failure{m_server->errorString()};
    return {};
}

void StreamListener::handOver() {
    while (QTcpSocket* socket = m_server->nextPendingConnection())
        emit ConnectionRequest(new StreamPeer(socket, m_readLimit, this));
}

void StreamListener::acceptWaiting() {
    if (state() != State::Listening)
        return;
    while (m_server->waitForNewConnection(0))
        handOver();
    handOver();
}

void StreamListener::Close() {
    if (m_server)
        m_server->close();
}

} // namespace platform
