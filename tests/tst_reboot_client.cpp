#include "ListenerPeer.h"
#include "LoopbackPeer.h"

#include <RebootClient.h>

using namespace platform;
using std::chrono::milliseconds;

// The reboot exchange against loopback peers standing in for the listener, in milliseconds.
class tst_reboot_client : public QObject {
    Q_OBJECT

private slots:
    void exchange_data() {
        QTest::addColumn<QString>("host");
        QTest::addColumn<int>("resetAfterMs"); // -1 never, -2 nobody listens
        QTest::addColumn<int>("standMs");
        QTest::addColumn<int>("delayMs");
        QTest::addColumn<bool>("cancel");    // once the connection has stood
        QTest::addColumn<QString>("events"); // the listener receives "reboot" only after "sent"
        row("normal", "127.0.0.1", -1, 20, 30, false, "stood sent");
        row("normal over IPv6", "::1", -1, 20, 30, false, "stood sent");
        row("test client", "127.0.0.1", -1, 0, 0, false, "stood sent");
        row("nobody listens", "127.0.0.1", -2, 100, 0, false, "failed");
        // A drop before the stand time costs the game server nothing; one after the step is told apart.
        row("reset at once", "127.0.0.1", 0, 100, 0, false, "failed");
        row("reset in the wait", "127.0.0.1", 40, 20, 100, false, "stood dropped");
        row("cancel in the wait", "127.0.0.1", -1, 20, 60, true, "stood");
    }
    void exchange() {
        QFETCH(QString, host);
        QFETCH(int, resetAfterMs);
        QFETCH(int, delayMs);
        QFETCH(bool, cancel);
        QFETCH(QString, events);
        if (host == "::1" && !QUdpSocket().bind(QHostAddress::LocalHostIPv6, 0))
            QSKIP("no IPv6 loopback here");
        TcpStandIn standIn(QHostAddress(host), qMax(resetAfterMs, -1));
        const quint16 port = standIn.port();
        if (resetAfterMs == -2)
            standIn.server.close();
        QFETCH(int, standMs);
        RebootClient client(nullptr, milliseconds(delayMs), milliseconds(standMs));
        QStringList seen;
        bool refusedOnceStood = false;
        connect(&client, &RebootClient::ConnectionStood, this, [&] {
            seen << "stood";
            refusedOnceStood = !client.Start(host, port); // no second "quit"
            if (cancel)
                client.Cancel();
        });
        connect(&client, &RebootClient::RebootSent, this, [&seen] { seen << "sent"; });
        connect(&client, &RebootClient::Failed, this, [&seen] { seen << "failed"; });
        connect(&client, &RebootClient::DroppedAfterStep, this, [&seen] { seen << "dropped"; });
        QVERIFY(client.Start(host, port));
        QVERIFY(!client.Start(host, port) && seen.isEmpty()); // one exchange at a time; no signal from inside
        QTRY_VERIFY(!client.isRunning());
        // Nothing follows the end of a connection that stood or might have.
        if (!seen.endsWith("sent") && !standIn.connections.isEmpty())
            QTest::qWait(standMs + delayMs);
        QCOMPARE(seen.join(' '), events);
        QCOMPARE(refusedOnceStood, seen.contains("stood"));
        QCOMPARE(standIn.connections.size(), resetAfterMs == -2 ? 0 : 1);
        if (resetAfterMs == -1)
            QTRY_VERIFY(standIn.connections[0]->closedByPeer);
        if (!standIn.connections.isEmpty())
            QCOMPARE(standIn.connections[0]->received, QByteArray(events.endsWith("sent") ? "reboot" : ""));
        QVERIFY(client.Start(host, port)); // idle again
    }
};

QTEST_MAIN(tst_reboot_client)
#include "tst_reboot_client.moc"
