#include "StreamClient.h"

#include <QHostAddress>
#include <QHostInfo>
#include <QSocketNotifier>
#include <QTcpSocket>
#include <QTimer>

#include <cerrno>
#include <cstring>
#include <net/if.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace platform {

namespace {
socklen_t toSockaddr(const QHostAddress& address, int port, sockaddr_storage& storage) {
    std::memset(&storage, 0, sizeof storage);
    if (address.protocol() == QAbstractSocket::IPv4Protocol) {
        auto* v4 = reinterpret_cast<sockaddr_in*>(&storage);
        v4->sin_family = AF_INET;
        v4->sin_port = htons(quint16(port));
        v4->sin_addr.s_addr = htonl(address.toIPv4Address());
        return sizeof *v4;
    }
    auto* v6 = reinterpret_cast<sockaddr_in6*>(&storage);
    v6->sin6_family = AF_INET6;
    v6->sin6_port = htons(quint16(port));
    const Q_IPV6ADDR bytes = address.toIPv6Address();
    std::memcpy(&v6->sin6_addr, &bytes, sizeof bytes);
    bool numeric = false;
    v6->sin6_scope_id = address.scopeId().toUInt(&numeric);
    if (!numeric && !address.scopeId().isEmpty())
        v6->sin6_scope_id = if_nametoindex(address.scopeId().toLatin1().constData());
    return sizeof *v6;
}
} // namespace

StreamClient::StreamClient(QObject* parent) : QObject(parent) {}

StreamClient::~StreamClient() {
    dropAttempt();
}

bool StreamClient::Connect(const QString& host, int port) {
    if (m_state != State::Closed && m_state != State::Error)
        return false;
    m_remoteHost = host;
    m_remotePort = port;
    return Connect();
}

bool StreamClient::Connect() {
    if (m_state != State::Closed && m_state != State::Error)
        return false;
    Close();
    m_errorString.clear();
    m_state = State::Connecting;
    QHostAddress literal;
    if (m_remoteHost.isEmpty() || m_remotePort <= 0 || m_remotePort > 65535) {
        failWith(QStringLiteral("No remote host or port"));
    } else if (literal.setAddress(m_remoteHost)) {
        m_addresses = {literal};
        tryNextAddress();
    } else {
        m_lookupId = QHostInfo::lookupHost(m_remoteHost, this, [this](const QHostInfo& info) {
            if (info.lookupId() != m_lookupId)
                return;
            m_lookupId = -1;
            m_addresses = info.addresses();
            m_errorString = info.errorString();
            tryNextAddress();
        });
    }
    return true;
}

// The connect is made here rather than by QTcpSocket, which, when the peer resets the connection
// as the handshake completes, connects again and again without end. One attempt per address.
void StreamClient::tryNextAddress() {
    while (!m_addresses.isEmpty()) {
        sockaddr_storage address;
        const socklen_t length = toSockaddr(m_addresses.takeFirst(), m_remotePort, address);
        const int fd = ::socket(address.ss_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (fd < 0) {
            m_errorString = qt_error_string(errno);
            continue;
        }
        if (::connect(fd, reinterpret_cast<sockaddr*>(&address), length) == 0 || errno == EINPROGRESS) {
            m_attempt = new QSocketNotifier(fd, QSocketNotifier::Write, this);
            connect(m_attempt, &QSocketNotifier::activated, this, &StreamClient::onAttemptDone);
            return;
        }
        m_errorString = qt_error_string(errno);
        ::close(fd);
    }
    failWith(m_errorString.isEmpty() ? QStringLiteral("Host not found") : m_errorString);
}

void StreamClient::onAttemptDone() {
    const int fd = int(m_attempt->socket());
    m_attempt->setEnabled(false);
    m_attempt->deleteLater();
    m_attempt = nullptr;
    int error = 0;
    socklen_t size = sizeof error;
    sockaddr_storage peer;
    socklen_t peerSize = sizeof peer;
    if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) != 0)
        error = errno;
    else if (error == 0 && ::getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &peerSize) != 0)
        error = errno;
    if (error != 0) {
        m_errorString = qt_error_string(error);
        ::close(fd);
        tryNextAddress();
        return;
    }
    adopt(fd);
}

void StreamClient::adopt(int descriptor) {
    QTcpSocket* socket = new QTcpSocket(this);
    if (!socket->setSocketDescriptor(descriptor)) {
        ::close(descriptor);
        m_errorString = socket->errorString();
        delete socket;
        failWith(m_errorString);
        return;
    }
    m_socket = socket;
    connect(socket, &QTcpSocket::bytesWritten, this, [this, socket](qint64 written) {
        if (m_socket != socket)
            return;
        m_unwritten -= written;
        if (m_unwritten <= 0 && socket->bytesToWrite() == 0) {
            m_unwritten = 0;
            emit SendComplete();
        }
    });
    // A reset arrives as an error, an orderly close from the peer as a disconnect: either ends it.
    connect(socket, &QTcpSocket::errorOccurred, this, [this, socket] {
        if (m_socket == socket)
            failWith(socket->errorString());
    });
    connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
        if (m_socket == socket)
            failWith(QStringLiteral("The remote host closed the connection"));
    });
    m_state = State::Connected;
    emit Connected();
}

bool StreamClient::SendData(const QString& text) {
    return SendData(text.toLatin1());
}

bool StreamClient::SendData(const QByteArray& bytes) {
    if (!m_socket || m_state != State::Connected)
        return false;
    if (m_socket->write(bytes) != bytes.size())
        return false;
    m_unwritten += bytes.size();
    return true;
}

void StreamClient::failWith(const QString& description) {
    if (m_state == State::Error || m_state == State::Closed)
        return;
    m_errorString = description;
    m_state = State::Error;
    // Never from inside Connect: the caller hears of a failure from the event loop, as of success.
    QTimer::singleShot(0, this, [this, description, generation = m_generation] {
        if (m_generation == generation && m_state == State::Error)
            emit Error(description);
    });
}

void StreamClient::dropAttempt() {
    ++m_generation;
    m_lookupId = -1; // its answer is ignored; aborting a lookup leaks its callback
    m_addresses.clear();
    if (m_attempt) {
        const int fd = int(m_attempt->socket());
        delete m_attempt;
        m_attempt = nullptr;
        ::close(fd);
    }
}

void StreamClient::Close() {
    dropAttempt();
    m_state = State::Closed;
    m_unwritten = 0;
    QTcpSocket* socket = m_socket;
    if (!socket)
        return;
    m_socket = nullptr;
    disconnect(socket, nullptr, this, nullptr);
    if (socket->state() == QAbstractSocket::ConnectedState) {
        // Bytes still queued go out before the close.
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        socket->disconnectFromHost();
        if (socket->state() != QAbstractSocket::UnconnectedState)
            return;
    } else {
        socket->abort();
    }
    socket->deleteLater();
}

} // namespace platform
