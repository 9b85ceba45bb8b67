#include "SocketControl.h"

#include <QElapsedTimer>
#include <QHostAddress>
#include <QHostInfo>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QUdpSocket>

namespace platform {

namespace {
// A pass over waiting datagrams ends after this many or this long, whichever comes first, and the
// rest waits for the next turn of the event loop: a flood cannot stall the window.
constexpr int kDatagramsPerPass = 256;
constexpr qint64 kPassBudgetMs = 8;

QString displayAddress(const QHostAddress& address) {
    bool mapped = false;
    const quint32 v4 = address.toIPv4Address(&mapped);
    return mapped ? QHostAddress(v4).toString() : address.toString();
}
} // namespace

SocketControl::SocketControl(Protocol protocol, QObject* parent) : QObject(parent), m_protocol(protocol) {}

SocketControl::~SocketControl() {
    if (m_lookupId >= 0)
        QHostInfo::abortHostLookup(m_lookupId);
}

int SocketControl::LocalPort() const {
    if (m_udp)
        return m_udp->localPort();
    if (m_server && m_server->isListening())
        return m_server->serverPort();
    if (m_tcp)
        return m_tcp->localPort();
    return m_localPort;
}

QString SocketControl::RemoteHostIP() const {
    if (m_tcp)
        return displayAddress(m_tcp->peerAddress());
    if (m_udp)
        return displayAddress(m_udp->peerAddress());
    return {};
}

bool SocketControl::Connect(const QString& host, int port) {
    m_remoteHost = host;
    m_remotePort = port;
    return Connect();
}

bool SocketControl::Connect() {
    if (m_protocol == Protocol::Udp) {
        // Re-addressing to the same peer keeps the socket, so late replies to earlier commands still arrive.
        if (m_udp && m_udpPeerHost == m_remoteHost && m_udpPeerPort == m_remotePort && m_state != sckError)
            return true;
        setupUdp();
        return m_state != sckError;
    }
    if (m_state != sckClosed && m_state != sckError)
        return false;
    m_errorString.clear();
    setupTcp(new QTcpSocket(this));
    m_state = sckConnecting;
    m_tcp->connectToHost(m_remoteHost, quint16(m_remotePort));
    return true;
}

void SocketControl::setupUdp() {
    if (m_lookupId >= 0) {
        QHostInfo::abortHostLookup(m_lookupId);
        m_lookupId = -1;
    }
    if (m_udp) {
        m_udp->abort();
        m_udp->deleteLater();
        m_udp = nullptr;
    }
    m_unsent.clear();
    m_udpPeerHost = m_remoteHost;
    m_udpPeerPort = m_remotePort;
    m_errorString.clear();

    if (m_remoteHost.isEmpty() || m_remotePort <= 0 || m_remotePort > 65535) {
        failWith(QStringLiteral("No remote host or port"));
        return;
    }

    m_udp = new QUdpSocket(this);
    connect(m_udp, &QUdpSocket::readyRead, this, &SocketControl::readDatagrams);

    QHostAddress literal;
    if (literal.setAddress(m_remoteHost)) {
        connectUdpTo(literal);
        return;
    }
    m_state = sckResolvingHost;
    m_lookupId = QHostInfo::lookupHost(m_remoteHost, this, [this](const QHostInfo& info) {
        if (info.lookupId() != m_lookupId)
            return;
        m_lookupId = -1;
        // Game servers answer on IPv4 far more often than not: prefer it where the name has both.
        const auto addresses = info.addresses();
        QHostAddress chosen;
        for (const QHostAddress& a : addresses) {
            if (a.protocol() == QAbstractSocket::IPv4Protocol) {
                chosen = a;
                break;
            }
        }
        if (chosen.isNull() && !addresses.isEmpty())
            chosen = addresses.first();
        if (chosen.isNull() || !m_udp) {
            m_unsent.clear();
            failWith(info.errorString());
            return;
        }
        connectUdpTo(chosen);
    });
}

void SocketControl::connectUdpTo(const QHostAddress& address) {
    const QHostAddress any =
        address.protocol() == QAbstractSocket::IPv6Protocol ? QHostAddress::AnyIPv6 : QHostAddress::AnyIPv4;
    if (!m_udp->bind(any, quint16(m_localPort))) {
        m_unsent.clear();
        failWith(m_udp->errorString());
        return;
    }
    m_udp->setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, kReceiveBufferBytes);
    // A connected datagram socket only hears its peer: datagrams from anyone else never reach us.
    m_udp->connectToHost(address, quint16(m_udpPeerPort));
    if (m_udp->state() != QAbstractSocket::ConnectedState) {
        m_unsent.clear();
        failWith(m_udp->errorString());
        return;
    }
    m_state = sckConnected;
    flushPendingDatagrams();
}

void SocketControl::flushPendingDatagrams() {
    while (!m_unsent.isEmpty() && m_udp && m_state == sckConnected)
        m_udp->write(m_unsent.dequeue());
}

void SocketControl::setupTcp(QTcpSocket* socket) {
    if (m_tcp && m_tcp != socket) {
        m_tcp->abort();
        m_tcp->deleteLater();
    }
    m_tcp = socket;
    m_tcp->setParent(this);
    m_tcpUnwritten = 0;
    connect(m_tcp, &QTcpSocket::connected, this, [this] {
        m_state = sckConnected;
        emit Connected();
    });
    connect(m_tcp, &QTcpSocket::readyRead, this, [this] {
        if (m_tcp)
            emit DataArrival(m_tcp->bytesAvailable());
    });
    connect(m_tcp, &QTcpSocket::bytesWritten, this, &SocketControl::onTcpBytesWritten);
    connect(m_tcp, &QTcpSocket::errorOccurred, this, [this, socket](QAbstractSocket::SocketError) {
        if (m_tcp == socket)
            failWith(socket->errorString());
    });
    connect(m_tcp, &QTcpSocket::disconnected, this, [this, socket] {
        // The peer went away: the caller sees it as a closing socket, as after Close.
        if (m_tcp == socket && m_state == sckConnected)
            m_state = sckClosing;
    });
}

void SocketControl::onTcpBytesWritten() {
    if (m_tcp && m_tcp->bytesToWrite() == 0)
        emit SendComplete();
}

bool SocketControl::Listen() {
    if (m_protocol != Protocol::Tcp || (m_state != sckClosed && m_state != sckError))
        return false;
    if (!m_server) {
        m_server = new QTcpServer(this);
        connect(m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* s = m_server->nextPendingConnection()) {
                const int id = int(s->socketDescriptor());
                m_pending.insert(id, s);
                connect(s, &QTcpSocket::disconnected, s, [this, id, s] {
                    if (m_pending.value(id) == s) {
                        m_pending.remove(id);
                        s->deleteLater();
                    }
                });
                emit ConnectionRequest(id);
            }
        });
    }
    m_errorString.clear();
    if (!m_server->listen(QHostAddress::Any, quint16(m_localPort))) {
        failWith(m_server->errorString());
        return false;
    }
    m_state = sckListening;
    return true;
}

bool SocketControl::Accept(int requestId) {
    QTcpSocket* s = m_pending.take(requestId);
    if (!s || (m_state != sckClosed && m_state != sckError))
        return false;
    disconnect(s, nullptr, this, nullptr);
    setupTcp(s);
    // Whatever arrived before the accept is still waiting in the socket.
    m_state = s->state() == QAbstractSocket::ConnectedState ? sckConnected : sckClosing;
    if (s->bytesAvailable() > 0)
        QTimer::singleShot(0, s, [this, s] {
            if (m_tcp == s && s->bytesAvailable() > 0)
                emit DataArrival(s->bytesAvailable());
        });
    return true;
}

bool SocketControl::SendData(const QString& text) {
    return SendData(text.toLatin1());
}

bool SocketControl::SendData(const QByteArray& bytes) {
    if (m_protocol == Protocol::Udp) {
        if (!m_udp)
            return false;
        if (m_state == sckResolvingHost) {
            m_unsent.enqueue(bytes);
            return true;
        }
        return m_state == sckConnected && m_udp->write(bytes) == bytes.size();
    }
    if (!m_tcp || m_state != sckConnected)
        return false;
    return m_tcp->write(bytes) == bytes.size();
}

QString SocketControl::GetData() {
    return QString::fromLatin1(GetBytes());
}

QByteArray SocketControl::GetBytes() {
    if (m_protocol == Protocol::Udp)
        return m_arrived.isEmpty() ? QByteArray() : m_arrived.dequeue();
    return m_tcp ? m_tcp->readAll() : QByteArray();
}

void SocketControl::readDatagrams() {
    int handled = 0;
    QElapsedTimer pass;
    pass.start();
    while (m_udp && m_udp->hasPendingDatagrams()) {
        // The read notifier fires again for what is left, after timers and input had their turn.
        if (handled++ == kDatagramsPerPass || pass.elapsed() >= kPassBudgetMs)
            return;
        const qint64 size = m_udp->pendingDatagramSize();
        QByteArray datagram(qMax<qint64>(size, 0), Qt::Uninitialized);
        const qint64 got = m_udp->readDatagram(datagram.data(), datagram.size());
        if (got < 0)
            continue; // e.g. an ICMP "port unreachable" reported on the connected socket
        datagram.truncate(int(got));
        m_arrived.enqueue(datagram);
        emit DataArrival(got);
        // A handler that did not take its datagram must not make the queue grow without end.
        while (m_arrived.size() > kDatagramsPerPass)
            m_arrived.dequeue();
    }
}

void SocketControl::failWith(const QString& description) {
    m_errorString = description;
    m_state = sckError;
    emit Error(description);
}

void SocketControl::Close() {
    if (m_lookupId >= 0) {
        QHostInfo::abortHostLookup(m_lookupId);
        m_lookupId = -1;
    }
    m_unsent.clear();
    m_arrived.clear();
    if (m_udp) {
        m_udp->abort();
        m_udp->deleteLater();
        m_udp = nullptr;
        m_udpPeerHost.clear();
        m_udpPeerPort = 0;
    }
    if (m_server && m_server->isListening())
        m_server->close(); // pending requests stay acceptable
    if (m_tcp) {
        QTcpSocket* s = m_tcp;
        m_tcp = nullptr;
        disconnect(s, nullptr, this, nullptr);
        s->disconnectFromHost(); // lets queued bytes go out first
        if (s->state() == QAbstractSocket::UnconnectedState)
            s->deleteLater();
        else
            connect(s, &QTcpSocket::disconnected, s, &QObject::deleteLater);
    }
    m_state = sckClosed;
}

} // namespace platform
