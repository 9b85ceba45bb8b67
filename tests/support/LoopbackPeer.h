#pragma once

#include <QDeadlineTimer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>
#include <QUdpSocket>

#include <memory>
#include <sys/socket.h>

// A datagram peer on loopback: records what it is sent and answers the last sender.
class UdpPeer {
public:
    explicit UdpPeer(const QHostAddress& at = QHostAddress::LocalHost, quint16 port = 0) {
        socket.bind(at, port);
    }
    quint16 port() const { return socket.localPort(); }
    // The next datagram, or "<nothing>" when none comes within the time.
    QByteArray next(int timeoutMs = 5000) {
        for (const QDeadlineTimer left(timeoutMs); !socket.hasPendingDatagrams() && !left.hasExpired();)
            QTest::qWait(5);
        if (!socket.hasPendingDatagrams())
            return "<nothing>";
        QByteArray d(int(socket.pendingDatagramSize()), Qt::Uninitialized);
        socket.readDatagram(d.data(), d.size(), &sender, &senderPort);
        return d;
    }
    void reply(const QByteArray& bytes) { socket.writeDatagram(bytes, sender, senderPort); }

    QUdpSocket socket;
    QHostAddress sender;
    quint16 senderPort = 0;
};

// A stream listener standing in for the reboot listener: records every connection and what it was
// sent, and resets each connection at once (resetAfterMs 0), later (> 0) or never (< 0).
class TcpStandIn : public QObject {
public:
    struct Connection {
        QTcpSocket* socket = nullptr;
        QByteArray received;
        bool closedByPeer = false;
    };

    explicit TcpStandIn(const QHostAddress& at = QHostAddress::LocalHost, int resetAfterMs = -1)
        : m_resetAfterMs(resetAfterMs) {
        server.listen(at, 0);
        connect(&server, &QTcpServer::newConnection, this, &TcpStandIn::take);
    }
    quint16 port() const { return server.serverPort(); }

    // An abortive close: the peer sees a reset, not an orderly end.
    static void reset(QTcpSocket* s) {
        QObject::disconnect(s, nullptr, nullptr, nullptr);
        const linger hard{1, 0};
        setsockopt(int(s->socketDescriptor()), SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
        s->abort();
    }

    QTcpServer server;
    QList<std::shared_ptr<Connection>> connections;

private:
    void take() {
        while (QTcpSocket* s = server.nextPendingConnection()) {
            auto c = std::make_shared<Connection>();
            c->socket = s;
            connections << c;
            connect(s, &QTcpSocket::readyRead, this, [c] { c->received += c->socket->readAll(); });
            connect(s, &QTcpSocket::disconnected, this, [c] { c->closedByPeer = true; });
            if (m_resetAfterMs == 0)
                reset(s);
            else if (m_resetAfterMs > 0)
                QTimer::singleShot(m_resetAfterMs, s, [s] { reset(s); });
        }
    }
    int m_resetAfterMs;
};
