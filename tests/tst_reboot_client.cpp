#include "LoopbackPeer.h"

#include <RebootClient.h>

using namespace platform;
using std::chrono::milliseconds;

// The reboot exchange against loopback peers standing in for the listener, in milliseconds.
class tst_reboot_client : public QObject {
    Q_OBJECT
    QStringList events;

    void record(RebootClient& client) {
        events.clear();
        connect(&client, &RebootClient::ConnectionStood, this, [this] { events << "stood"; });
        connect(&client, &RebootClient::RebootSent, this, [this] { events << "sent"; });
        connect(&client, &RebootClient::Failed, this, [this] { events << "failed"; });
        connect(&client, &RebootClient::DroppedAfterStep, this, [this] { events << "dropped"; });
    }

private slots:
    void exchange_data() {
        QTest::addColumn<QString>("host");
        QTest::addColumn<int>("resetAfterMs"); // -1 never, -2 nobody listens
        QTest::addColumn<int>("standMs");
        QTest::addColumn<int>("delayMs");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<QByteArray>("received");
        const QStringList done{"stood", "sent"};
        QTest::newRow("normal") << "127.0.0.1" << -1 << 20 << 100 << done << QByteArray("reboot");
        QTest::newRow("normal over IPv6") << "::1" << -1 << 20 << 100 << done << QByteArray("reboot");
        QTest::newRow("test client") << "127.0.0.1" << -1 << 0 << 0 << done << QByteArray("reboot");
        QTest::newRow("nobody listens")
            << "127.0.0.1" << -2 << 300 << 100 << QStringList{"failed"} << QByteArray();
        QTest::newRow("reset at once")
            << "127.0.0.1" << 0 << 300 << 100 << QStringList{"failed"} << QByteArray();
        QTest::newRow("reset in the wait")
            << "127.0.0.1" << 150 << 20 << 600 << QStringList{"stood", "dropped"} << QByteArray();
    }
    void exchange() {
        QFETCH(QString, host);
        QFETCH(int, resetAfterMs);
        QFETCH(int, standMs);
        QFETCH(int, delayMs);
        QFETCH(QStringList, expected);
        QFETCH(QByteArray, received);
        if (host == "::1" && !QUdpSocket().bind(QHostAddress::LocalHostIPv6, 0))
            QSKIP("no IPv6 loopback here");
        TcpStandIn standIn(QHostAddress(host), qMax(resetAfterMs, -1));
        quint16 port = standIn.port();
        if (resetAfterMs == -2)
            standIn.server.close();
        RebootClient client(nullptr, milliseconds(delayMs), milliseconds(standMs));
        record(client);
        QVERIFY(client.Start(host, port));
        QVERIFY(client.isRunning());
        QVERIFY(events.isEmpty()); // never from inside Start
        QTRY_VERIFY(!client.isRunning());
        QTest::qWait(delayMs + 100); // nothing follows the end
        QCOMPARE(events, expected);
        QCOMPARE(standIn.connections.size(), resetAfterMs == -2 ? 0 : 1);
        if (resetAfterMs == -1)
            QTRY_VERIFY(standIn.connections[0]->closedByPeer);
        if (!standIn.connections.isEmpty())
            QCOMPARE(standIn.connections[0]->received, received);
        QVERIFY(client.Start(host, port)); // idle again
    }

    void secondStartAndCancel_data() {
        QTest::addColumn<bool>("cancel");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<QByteArray>("received");
        QTest::newRow("second start refused")
            << false << QStringList{"stood", "sent"} << QByteArray("reboot");
        QTest::newRow("cancel in the wait") << true << QStringList{"stood"} << QByteArray();
    }
    void secondStartAndCancel() {
        QFETCH(bool, cancel);
        QFETCH(QStringList, expected);
        QFETCH(QByteArray, received);
        TcpStandIn standIn;
        RebootClient client(nullptr, milliseconds(200), milliseconds(20));
        record(client);
        QVERIFY(client.Start("127.0.0.1", standIn.port()));
        QVERIFY(!client.Start("127.0.0.1", standIn.port()));
        QTRY_COMPARE(events, QStringList{"stood"});
        QVERIFY(!client.Start("127.0.0.1", standIn.port())); // no second "quit"
        if (cancel)
            client.Cancel();
        QTRY_VERIFY(standIn.connections[0]->closedByPeer);
        QTest::qWait(300);
        QCOMPARE(events, expected);
        QCOMPARE(standIn.connections.size(), 1);
        QCOMPARE(standIn.connections[0]->received, received);
    }
};

QTEST_MAIN(tst_reboot_client)
#include "tst_reboot_client.moc"
