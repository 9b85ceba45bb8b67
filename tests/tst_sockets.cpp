#include "LoopbackPeer.h"

#include <DatagramChannel.h>
#include <StreamClient.h>
#include <StreamListener.h>

#include <QSignalSpy>

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
    void datagramsBothWays_data() {
        QTest::addColumn<QString>("host");
        QTest::addColumn<QString>("bind");
        QTest::addColumn<QByteArray>("payload");
        const QString v4 = "127.0.0.1";
        QTest::newRow("every byte, dotted") << v4 << v4 << everyByte();
        QTest::newRow("every byte, IPv6") << "::1" << QString("::1") << everyByte();
        QTest::newRow("NUL, name queued until resolved") << "localhost" << v4 << QByteArray("a\0b", 3);
        QTest::newRow("largest") << v4 << v4 << QByteArray(65507, '\xff');
    }
    // Only the peer is heard, and aiming again at the same peer keeps the socket.
    void datagramsBothWays() {
        QFETCH(QString, host);
        QFETCH(QString, bind);
        QFETCH(QByteArray, payload);
        if (noIPv6(bind))
            QSKIP("no IPv6 loopback here");
        UdpPeer peer{QHostAddress(bind)};
        DatagramChannel channel;
        QSignalSpy arrivals(&channel, &DatagramChannel::DataArrival);
        QVERIFY(channel.Connect(host, peer.port()));
        QVERIFY(channel.SendData(QString::fromLatin1(payload)) && channel.SendData(QByteArray("end")));
        QCOMPARE(peer.next(), payload);
        QCOMPARE(peer.next(), QByteArray("end"));
        const int local = channel.LocalPort();
        QUdpSocket().writeDatagram("spoofed", QHostAddress(bind), quint16(local));
        QVERIFY(channel.Connect(host, peer.port()));
        QCOMPARE(channel.LocalPort(), local);
        peer.reply(payload);
        peer.reply("end");
        QTRY_COMPARE(arrivals.size(), 2);
        QCOMPARE(arrivals[0][0].toLongLong(), qint64(payload.size()));
        QCOMPARE(channel.GetData(), QString::fromLatin1(payload));
        QCOMPARE(channel.GetBytes(), QByteArray("end"));
        QCOMPARE(channel.GetBytes(), QByteArray());
    }

    // A datagram to a closed port brings back "port unreachable", met either by the next write or
    // first by the reader; the peer that comes up later is reached and heard all the same.
    void peerThatWasDownIsReachedLater_data() {
        QTest::addColumn<bool>("readerWoken");
        QTest::newRow("next write meets the refusal") << false;
        QTest::newRow("reader woken by the refusal") << true;
    }
    void peerThatWasDownIsReachedLater() {
        QFETCH(bool, readerWoken);
        const quint16 port = UdpPeer().port();
        DatagramChannel channel;
        QSignalSpy arrivals(&channel, &DatagramChannel::DataArrival);
        QVERIFY(channel.Connect("127.0.0.1", port));
        QSignalSpy woken(channel.findChild<QUdpSocket*>(), &QUdpSocket::readyRead);
        channel.SendData(QByteArray("lost"));
        if (readerWoken)
            QVERIFY(woken.wait());
        UdpPeer later(QHostAddress::LocalHost, port);
        QCOMPARE(later.port(), port);
        QVERIFY(channel.SendData(QByteArray("heard")));
        QCOMPARE(later.next(), QByteArray("heard"));
        later.reply("back");
        QTRY_COMPARE(arrivals.size(), 1);
        QCOMPARE(channel.GetBytes(), QByteArray("back"));
    }

    // Refused by the state; what waits for a name is bounded and dropped when aimed elsewhere.
    void refusedOperations() {
        UdpPeer peer;
        DatagramChannel channel;
        QVERIFY(!channel.SendData(QByteArray("x")) && !channel.Connect("", 27960));
        QVERIFY(!channel.Connect("127.0.0.1", 70000));
        QCOMPARE(channel.state(), DatagramChannel::State::Error);
        QVERIFY(channel.Connect("no-such-host.invalid", 27960));
        QCOMPARE(channel.state(), DatagramChannel::State::Resolving);
        int queued = 0;
        while (queued < 100000 && channel.SendData(QByteArray("waits")))
            ++queued;
        QVERIFY(queued > 0 && queued < 100000);
        QVERIFY(channel.Connect("127.0.0.1", peer.port()) && channel.SendData(QByteArray("now")));
        QCOMPARE(peer.next(), QByteArray("now"));

        TcpStandIn standIn;
        StreamClient client;
        QVERIFY(!client.SendData(QByteArray("x")));
        QVERIFY(client.Connect("127.0.0.1", standIn.port()) && !client.Connect("127.0.0.1", standIn.port()));
        QTRY_COMPARE(client.state(), StreamClient::State::Connected);
        QVERIFY(!client.Connect());

        StreamListener listener, second;
        QVERIFY(!listener.Accept(1));
        QVERIFY(listener.Listen() && !listener.Listen());
        QSignalSpy errors(&second, &StreamListener::Error);
        second.setLocalPort(listener.LocalPort());
        QVERIFY(!second.Listen()); // port in use
        QCOMPARE(second.state(), StreamListener::State::Error);
        QCOMPARE(errors.size(), 1);
    }

    // A peer that resets as the handshake completes ends in an error, not in connecting again.
    void streamClientEnds_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("connects"); // -1: the reset may come before or after the handshake is seen
        QTest::newRow("nobody listens") << "refused" << 0;
        QTest::newRow("peer resets") << "reset" << -1;
        QTest::newRow("peer closes") << "close" << 1;
    }
    void streamClientEnds() {
        QFETCH(QString, how);
        QFETCH(int, connects);
        TcpStandIn standIn(QHostAddress::LocalHost, how == "reset" ? 0 : -1);
        const quint16 port = standIn.port();
        if (how == "refused")
            standIn.server.close();
        StreamClient client;
        QSignalSpy connected(&client, &StreamClient::Connected), errors(&client, &StreamClient::Error);
        QVERIFY(client.Connect("127.0.0.1", port));
        QCOMPARE(errors.size(), 0); // never from inside Connect
        if (how == "close") {
            QTRY_COMPARE(standIn.connections.size(), 1);
            standIn.connections[0]->socket->disconnectFromHost();
        }
        QTRY_COMPARE(errors.size(), 1);
        QCOMPARE(client.state(), StreamClient::State::Error);
        if (connects >= 0)
            QCOMPARE(connected.size(), connects);
        client.Close();
        QCOMPARE(client.state(), StreamClient::State::Closed);
    }

    // A peer is accepted only once listening stopped, even one that already left its words and went;
    // its request id is never handed out again.
    void listenerAcceptsAfterClose_data() {
        QTest::addColumn<QString>("host");
        QTest::addColumn<bool>("peerLeavesFirst");
        QTest::newRow("IPv4 peer shown dotted") << "127.0.0.1" << false;
        QTest::newRow("IPv6 peer") << "::1" << false;
        QTest::newRow("peer gone before the accept") << "127.0.0.1" << true;
    }
    void listenerAcceptsAfterClose() {
        QFETCH(QString, host);
        QFETCH(bool, peerLeavesFirst);
        if (noIPv6(host))
            QSKIP("no IPv6 loopback here");
        StreamListener listener;
        QSignalSpy requests(&listener, &StreamListener::ConnectionRequest);
        QSignalSpy gone(&listener, &StreamListener::PeerGone);
        QVERIFY(listener.Listen());
        StreamClient client;
        QSignalSpy sent(&client, &StreamClient::SendComplete);
        connect(&client, &StreamClient::Connected, &client,
                [&client] { client.SendData(QString::fromLatin1(everyByte())); });
        QVERIFY(client.Connect(host, listener.LocalPort()));
        QTRY_COMPARE(requests.size(), 1);
        const int id = requests[0][0].toInt();
        if (peerLeavesFirst) {
            QTRY_COMPARE(sent.size(), 1);
            client.Close();
            QTRY_COMPARE(listener.findChild<QTcpSocket*>()->state(), QAbstractSocket::UnconnectedState);
        }
        QVERIFY(!listener.Accept(id)); // still listening: refused, the peer kept
        listener.Close();
        QVERIFY(listener.Accept(id));
        QCOMPARE(listener.state(), StreamListener::State::Connected);
        if (!peerLeavesFirst)
            QCOMPARE(listener.RemoteHostIP(), host);
        QByteArray got;
        QTRY_COMPARE((got += listener.GetBytes()).size(), 255);
        QCOMPARE(got, everyByte());
        client.Close();
        QTRY_COMPARE(gone.size(), 1);
        QCOMPARE(listener.state(), StreamListener::State::Closed);
        QVERIFY(listener.Listen());
        QVERIFY(client.Connect(host, listener.LocalPort()));
        QTRY_COMPARE(requests.size(), 2);
        QVERIFY(requests[1][0].toInt() != id);
    }
};

QTEST_MAIN(tst_sockets)
#include "tst_sockets.moc"
