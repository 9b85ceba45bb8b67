#include "ConsoleFixture.h"

#include <DatagramChannel.h>
#include <StreamClient.h>
#include <StreamListener.h>

#include <QHostInfo>

using namespace platform;

namespace {
QByteArray everyByte() {
    QByteArray bytes;
    for (int i = 1; i < 256; ++i)
        bytes += char(i);
    return bytes;
}
bool noIPv6(const QString& address) {
    return address == "::1" && !QUdpSocket().bind(QHostAddress::LocalHostIPv6, 0);
}
} // namespace

// The datagram channel, stream client and stream listener against real loopback peers.
class tst_sockets : public QObject {
    Q_OBJECT
private slots:
    // Only the peer is heard, and aiming again at the same peer keeps the socket. A peer that comes up
    // after a datagram met its closed port ("port unreachable", met by the next write or first by the
    // woken reader) is reached and heard all the same.
    void datagrams_data() {
        // down 1: the next write meets the refusal, 2: the reader does
        columns<QString, QByteArray, int>("host", "payload", "down");
        const QString v4 = "127.0.0.1";
        row("every byte, dotted", v4, everyByte(), 0);
        row("every byte, IPv6", QString("::1"), everyByte(), 0);
        row("NUL, name queued until resolved", QString("localhost"), QByteArray("a\0b", 3), 0);
        row("largest", v4, QByteArray(65507, '\xff'), 0);
        row("peer down, next write refused", v4, QByteArray("heard"), 1);
        row("peer down, reader woken by the refusal", v4, QByteArray("heard"), 2);
    }
    void datagrams() {
        QFETCH(QString, host);
        QFETCH(QByteArray, payload);
        QFETCH(int, down);
        const QString bind = host == "::1" ? host : "127.0.0.1";
        if (noIPv6(bind))
            QSKIP("no IPv6 loopback here");
        auto peer = std::make_unique<UdpPeer>(QHostAddress(bind));
        const quint16 port = peer->port();
        DatagramChannel channel;
        QSignalSpy arrivals(&channel, &DatagramChannel::DataArrival);
        QVERIFY(channel.Connect(host, port));
        if (down) {
            peer.reset();
            QSignalSpy woken(channel.findChild<QUdpSocket*>(), &QUdpSocket::readyRead);
            channel.SendData(QByteArray("lost"));
            QVERIFY(down == 1 || woken.wait());
            peer = std::make_unique<UdpPeer>(QHostAddress(bind), port);
            QCOMPARE(peer->port(), port);
        }
        QVERIFY(channel.SendData(QString::fromLatin1(payload)) && channel.SendData(QByteArray("end")));
        QCOMPARE(peer->next(), payload);
        QCOMPARE(peer->next(), QByteArray("end"));
        const int local = channel.LocalPort();
        QUdpSocket().writeDatagram("spoofed", QHostAddress(bind), quint16(local));
        QVERIFY(channel.Connect(host, port));
        QCOMPARE(channel.LocalPort(), local);
        peer->reply(payload);
        peer->reply("end");
        QTRY_COMPARE(arrivals.size(), 2);
        QCOMPARE(arrivals[0][0].toLongLong(), qint64(payload.size()));
        QCOMPARE(channel.GetData(), QString::fromLatin1(payload));
        QCOMPARE(channel.GetBytes(), QByteArray("end"));
        QCOMPARE(channel.GetBytes(), QByteArray());
    }

    // Refused by the state; what waits for a name is bounded and dropped when aimed elsewhere.
    void refusedOperations() {
        UdpPeer peer;
        DatagramChannel channel;
        QVERIFY(!channel.SendData(QByteArray("x")));
        QCOMPARE(channel.Connect("127.0.0.1", 70000).why(), QString("No remote host or port"));
        QCOMPARE(channel.state(), DatagramChannel::State::Error);
        QVERIFY(channel.Connect("no-such-host.invalid", 27960));
        QCOMPARE(channel.state(), DatagramChannel::State::Resolving);
        int queued = 0;
        while (queued < 100000 && channel.SendData(QByteArray("waits")))
            ++queued;
        QVERIFY(queued > 0 && queued < 100000);
        QVERIFY(channel.Connect("127.0.0.1", peer.port()) && channel.SendData(QByteArray("now")));
        QCOMPARE(peer.next(), QByteArray("now"));
        // The abandoned lookup ends first, so its callback is not still pending when the test exits.
        bool looked = false;
        QHostInfo::lookupHost("no-such-host.invalid", &channel,
                              [&looked](const QHostInfo&) { looked = true; });
        QTRY_VERIFY(looked);

        StreamListener listener, second;
        QVERIFY(listener.Listen() && listener.Listen()); // listening already
        second.setLocalPort(listener.LocalPort());
        const Result<> inUse = second.Listen();
        QVERIFY(!inUse && !inUse.why().isEmpty() && second.state() == StreamListener::State::Closed);
    }

    // A peer that resets as the handshake completes ends in an error, not in connecting again; so does
    // one that closes.
    void streamClientEnds_data() {
        columns<int>("resetAfterMs");
        row("peer resets", 0);
        row("peer closes", -1);
    }
    void streamClientEnds() {
        QFETCH(int, resetAfterMs);
        TcpStandIn standIn(QHostAddress::LocalHost, resetAfterMs);
        StreamClient client;
        QSignalSpy errors(&client, &StreamClient::Error);
        QVERIFY(!client.SendData(QByteArray("x")) && client.Connect("127.0.0.1", standIn.port()));
        QVERIFY(!client.Connect("127.0.0.1", standIn.port())); // already under way
        QCOMPARE(errors.size(), 0);                            // never from inside Connect
        if (resetAfterMs < 0) {
            QTRY_COMPARE(standIn.connections.size(), 1);
            standIn.connections[0]->socket->disconnectFromHost();
        }
        QTRY_COMPARE(errors.size(), 1);
        QCOMPARE(client.state(), StreamClient::State::Error);
        client.Close();
        QCOMPARE(client.state(), StreamClient::State::Closed);
    }

    // The port stays open while peers are served: each is handed over at once, says what it said
    // even after it went, and stays open when the listener closes. A connection the system queued is
    // handed over without waiting for the event loop, as a stopping program needs.
    void listenerHandsOverPeers_data() {
        columns<QString>("host");
        row("IPv4 peer shown dotted", QString("127.0.0.1"));
        row("IPv6 peer", QString("::1"));
    }
    void listenerHandsOverPeers() {
        QFETCH(QString, host);
        if (noIPv6(host))
            QSKIP("no IPv6 loopback here");
        StreamListener listener;
        QList<StreamPeer*> peers;
        connect(&listener, &StreamListener::ConnectionRequest, &listener,
                [&peers](StreamPeer* p) { peers << p; });
        QVERIFY(listener.Listen());
        const quint16 port = quint16(listener.LocalPort());
        QTcpSocket first, second, queued;
        first.connectToHost(host, port);
        second.connectToHost(host, port);
        QTRY_COMPARE(peers.size(), 2);
        QCOMPARE(peers[0]->RemoteHostIP(), host);
        QSignalSpy gone(peers[1], &StreamPeer::PeerGone);
        second.write(everyByte());
        second.disconnectFromHost();
        QTRY_COMPARE(gone.size(), 1);
        QCOMPARE(peers[1]->GetBytes(1000), everyByte());

        queued.connectToHost(host, port);
        QVERIFY(queued.waitForConnected(3000) && queued.write("x") == 1 && queued.waitForBytesWritten(3000));
        listener.acceptWaiting();
        QCOMPARE(peers.size(), 3);
        peers[2]->readWaiting();
        QCOMPARE(peers[2]->GetBytes(10), QByteArray("x"));

        listener.Close();
        QTcpSocket refused;
        refused.connectToHost(host, port);
        QVERIFY(!refused.waitForConnected(3000) && listener.state() == StreamListener::State::Closed);
        QVERIFY(!peers[0]->isGone() && first.state() == QAbstractSocket::ConnectedState);
        peers[0]->Close();
        QTRY_COMPARE(first.state(), QAbstractSocket::UnconnectedState);
    }
};

QTEST_MAIN(tst_sockets)
#include "tst_sockets.moc"
