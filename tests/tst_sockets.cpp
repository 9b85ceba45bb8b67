#include "LoopbackPeer.h"

#include <DatagramChannel.h>
#include <StreamClient.h>
#include <StreamListener.h>

#include <QNetworkDatagram>
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
quint16 closedTcpPort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
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
        QTest::newRow("every byte, dotted") << "127.0.0.1"
                                            << "127.0.0.1" << everyByte();
        QTest::newRow("every byte, IPv6") << "::1"
                                          << "::1" << everyByte();
        QTest::newRow("NUL, name queued until resolved") << "localhost"
                                                         << "127.0.0.1" << QByteArray("a\0b", 3);
        QTest::newRow("largest") << "127.0.0.1"
                                 << "127.0.0.1" << QByteArray(65507, '\xff');
    }
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
        QVERIFY(channel.SendData(QString::fromLatin1(payload)));
        QVERIFY(channel.SendData(QByteArray("end")));
        QCOMPARE(peer.next(), payload);
        QCOMPARE(peer.next(), QByteArray("end"));
        peer.reply(payload);
        peer.reply("end");
        QTRY_COMPARE(arrivals.size(), 2);
        QCOMPARE(arrivals[0][0].toLongLong(), qint64(payload.size()));
        QCOMPARE(channel.GetData(), QString::fromLatin1(payload));
        QCOMPARE(channel.GetBytes(), QByteArray("end"));
        QCOMPARE(channel.GetBytes(), QByteArray());
    }

    void onlyThePeerIsHeard() {
        UdpPeer peer;
        DatagramChannel channel;
        QSignalSpy arrivals(&channel, &DatagramChannel::DataArrival);
        QVERIFY(channel.Connect("127.0.0.1", peer.port()));
        channel.SendData(QByteArray("one"));
        peer.next();
        const int local = channel.LocalPort();
        QUdpSocket().writeDatagram("spoofed", QHostAddress::LocalHost, quint16(local));
        QVERIFY(channel.Connect("127.0.0.1", peer.port())); // the same peer keeps the socket
        QCOMPARE(channel.LocalPort(), local);
        peer.reply("real");
        QTRY_COMPARE(arrivals.size(), 1);
        QCOMPARE(channel.GetBytes(), QByteArray("real"));
    }

    void peerThatWasDownIsReachedLater() {
        QUdpSocket later;
        const quint16 port = UdpPeer().port();
        DatagramChannel channel;
        QVERIFY(channel.Connect("127.0.0.1", port));
        channel.SendData(QByteArray("lost")); // answered by "port unreachable"
        QVERIFY(later.bind(QHostAddress::LocalHost, port));
        QVERIFY(channel.SendData(QByteArray("heard")));
        QTRY_VERIFY(later.hasPendingDatagrams());
        QCOMPARE(later.receiveDatagram().data(), QByteArray("heard"));
    }

    void nameThatNeverResolvesDoesNotBlock() {
        UdpPeer peer;
        DatagramChannel channel;
        QVERIFY(channel.Connect("no-such-host.invalid", 27960));
        QCOMPARE(channel.state(), DatagramChannel::State::Resolving);
        QVERIFY(channel.SendData(QByteArray("waits")));
        QVERIFY(channel.Connect("127.0.0.1", peer.port()));
        QVERIFY(channel.SendData(QByteArray("now")));
        QCOMPARE(peer.next(), QByteArray("now"));
        QCOMPARE(peer.next(300), QByteArray("<nothing>")); // what waited for the old name is dropped
    }

    void refusedOperations() {
        DatagramChannel channel;
        QVERIFY(!channel.SendData(QByteArray("x")));
        QVERIFY(!channel.Connect("", 27960));
        QVERIFY(!channel.Connect("127.0.0.1", 70000));
        QCOMPARE(channel.state(), DatagramChannel::State::Error);

        TcpStandIn standIn;
        StreamClient client;
        QVERIFY(!client.SendData(QByteArray("x")));
        QVERIFY(client.Connect("127.0.0.1", standIn.port()));
        QVERIFY(!client.Connect("127.0.0.1", standIn.port()));
        QTRY_COMPARE(client.state(), StreamClient::State::Connected);
        QVERIFY(!client.Connect());

        StreamListener listener, second;
        QVERIFY(!listener.Accept(1));
        QVERIFY(listener.Listen());
        QVERIFY(!listener.Listen());
        QSignalSpy errors(&second, &StreamListener::Error);
        second.setLocalPort(listener.LocalPort());
        QVERIFY(!second.Listen()); // port in use
        QCOMPARE(second.state(), StreamListener::State::Error);
        QCOMPARE(errors.size(), 1);
    }

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
        StreamClient client;
        QSignalSpy connected(&client, &StreamClient::Connected), errors(&client, &StreamClient::Error);
        QVERIFY(client.Connect("127.0.0.1", how == "refused" ? closedTcpPort() : standIn.port()));
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
        if (peerLeavesFirst) {
            QTRY_COMPARE(sent.size(), 1);
            client.Close();
            QTest::qWait(200);
        }
        listener.Close();
        QVERIFY(listener.Accept(requests[0][0].toInt()));
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
    }
};

QTEST_MAIN(tst_sockets)
#include "tst_sockets.moc"
