#include "FakeDesktop.h"
#include "ListenerPeer.h"
#include "LoopbackPeer.h"
#include "OpenArena.h"
#include "ServerBehindListener.h"

#include "../console/ui/frmMain.h"
#include <ProgramFolder.h>
#include <RebootClient.h>
#include <basMain.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRegularExpression>

using namespace std::chrono_literals;
using platform::RebootClient;

// The console's reboot exchange: first against loopback peers standing in for the listener, in
// milliseconds; then with the real four-second delay through `Kestwold --service`, where the real
// game server quits on the rcon "quit" and the listener starts it again.
class tst_reboot_e2e : public QObject {
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
        TcpStandIn standIn(QHostAddress(host), qMax(resetAfterMs, -1));
        const quint16 port = standIn.port();
        if (resetAfterMs == -2)
            standIn.server.close();
        QFETCH(int, standMs);
        RebootClient client(nullptr, std::chrono::milliseconds(delayMs), std::chrono::milliseconds(standMs));
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

    void gameServerQuitsAndComesBack() {
        if (!OpenArenaServer::installed())
            QSKIP("openarena-server is not installed");
        QTemporaryDir dir;
        platform::setProgramFolder(dir.path());
        ServerBehindListener server(dir.path());
        QVERIFY(server.ready());
        OpenArenaServer& first = server.first;
        const quint16 listenerPort = server.listenerPort;

        console::resetBasMain();
        // The real four seconds of delay.
        const console::SessionSeams seams{
            .listenerPort = listenerPort, .rebootStandTime = 50ms, .watch = {.rebootPoll = 100ms}};
        FakeDesktop desktop;
        console::frmMain w(desktop, seams);
        w.Form_Load();
        console::ConsoleSession& session = w.session();
        w.findChild<QComboBox*>("cboAddr")->setEditText("127.0.0.1");
        w.findChild<QComboBox*>("cboPort")->setEditText(QString::number(first.port()));
        w.findChild<QLineEdit*>("txtPassword")->setText("secret");
        QSignalSpy sent(&session, &console::ConsoleSession::RebootSent);
        QElapsedTimer sinceQuit;
        connect(&session, &console::ConsoleSession::commandSent, this, [&sinceQuit](const QString& c) {
            if (c == "quit")
                sinceQuit.start();
        });
        session.SendCommand("reboot");
        QTRY_VERIFY_WITH_TIMEOUT(!first.running(), 4000); // the running server quits on the rcon "quit"
        QTRY_VERIFY_WITH_TIMEOUT(server.newPid() > 0, 10000);
        QVERIFY2(sinceQuit.elapsed() >= 3900, qPrintable(QString::number(sinceQuit.elapsed())));
        QCOMPARE(sent.size(), 1);
        for (const auto& box : desktop.boxes)
            QVERIFY(box.title != "Reboot Failed");
        // The console sees it come back on its own, password-free, and says so only in the status line.
        auto* line = w.findChild<QLabel*>("lblStatus");
        const QRegularExpression back("^Server back after \\d+ s: noname on oa_dm1$");
        QTRY_VERIFY2_WITH_TIMEOUT(back.match(line->text()).hasMatch(), qPrintable(line->text()), 10000);
        if (const QString shots = qEnvironmentVariable("VORLANIX_SHOTS"); !shots.isEmpty())
            w.grab().save(shots + "/statusline-server-back.png");
        const QString pane = w.findChild<QPlainTextEdit*>("txtOutput")->toPlainText();
        QVERIFY(!pane.contains("infoResponse") && !pane.contains("Server back"));
        // Started with the stored parameters.
        QVERIFY(OpenArenaServer::answersOn(first.port(), "secret", 5000));
    }
};

QTEST_MAIN(tst_reboot_e2e)
#include "tst_reboot_e2e.moc"
