#include "FakeDesktop.h"
#include "LoopbackPeer.h"
#include "OpenArena.h"
#include "ServiceProcess.h"

#include "../console/frmMain.h"
#include "../listener/frmMain.h"
#include <ProgramFolder.h>
#include <RebootClient.h>
#include <basMain.h>

#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <signal.h>

// The console's reboot through a real listener with the real four-second delay: the game server
// quits on the rcon "quit" and the listener starts it again. The game server is a real one where
// openarena-server is installed, otherwise a loopback rcon peer. Then the same with the listener in
// service mode.
class tst_reboot_e2e : public QObject {
    Q_OBJECT

    class StartingDesktop : public FakeDesktop {
    public:
        bool startProgram(const QString& program, const QStringList& arguments, const QString& folder,
                          qint64* pid) override {
            FakeDesktop::startProgram(program, arguments, folder);
            return platform::RealDesktop().startProgram(program, arguments, folder, pid);
        }
    };

    StartingDesktop desktop;
    QTemporaryDir dir;

    QString writeScript(const QByteArray& body) {
        const QString path = dir.filePath("bin/restart.sh");
        QDir().mkpath(dir.filePath("bin"));
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write("#!/bin/sh\n" + body);
        f.close();
        f.setPermissions(f.permissions() | QFileDevice::ExeOwner);
        return path;
    }

private slots:
    void initTestCase() { platform::setProgramFolder(dir.path()); }

    void gameServerQuitsAndComesBack() {
        std::unique_ptr<OpenArenaServer> first;
        UdpPeer peer;
        quint16 port = peer.port();
        // The listener's executable leaves its pid behind, then becomes the new game server.
        const QString pidFile = dir.filePath("server.pid");
        QFile::remove(pidFile); // left by the case before
        QByteArray command = "echo $$ > '" + pidFile.toUtf8() + "'\n";
        listener::frmMain kestwold(desktop, 0);
        kestwold.Form_Load();
        if (OpenArenaServer::installed()) {
            first = std::make_unique<OpenArenaServer>();
            QVERIFY(first->waitUntilReady());
            port = first->port();
            command += "HOME='" + dir.path().toUtf8() + "' exec " + OpenArenaServer::kLauncher +
                       " \"$@\" > /dev/null 2>&1\n";
            QStringList params = OpenArenaServer::arguments(port, "secret");
            for (QString& p : params)
                if (p.isEmpty())
                    p = "\"\"";
            kestwold.txtParams->setText(params.join(' '));
        }
        const QString script = writeScript(command);
        kestwold.txtPath->setText(script);

        console::resetBasMain();
        console::SessionSeams seams; // the real four seconds
        seams.listenerPort = kestwold.listeningPort();
        console::frmMain w(desktop, seams);
        w.Form_Load();
        console::ConsoleSession& session = w.session();
        session.setAddress("127.0.0.1");
        session.setPort(QString::number(port));
        session.setPassword("secret");
        QSignalSpy sent(&session, &console::ConsoleSession::RebootSent);
        QElapsedTimer sinceQuit;
        connect(&session, &console::ConsoleSession::commandSent, this, [&](const QString& command) {
            if (command == "quit")
                sinceQuit.start();
        });
        session.SendCommand("reboot");
        if (first) {
            // The running server quits on the rcon "quit".
            QTRY_VERIFY_WITH_TIMEOUT(!first->running(), 4000);
            first.reset();
        } else {
            QCOMPARE(peer.next(), QByteArray("\xff\xff\xff\xffrcon secret quit"));
        }
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(pidFile), 10000);
        QVERIFY2(sinceQuit.elapsed() >= 3900, qPrintable(QString::number(sinceQuit.elapsed())));
        QCOMPARE(sent.size(), 1);
        QVERIFY(kestwold.statusLog().contains("> remote command from 127.0.0.1\r\n> reboot\r\n"));
        QVERIFY(kestwold.statusLog().contains("> launching " + script));
        for (const auto& box : desktop.boxes)
            QVERIFY(box.title != "Reboot Failed");
        if (!OpenArenaServer::installed())
            return;
        QTRY_VERIFY(readPid(pidFile) > 0);
        const qint64 newPid = readPid(pidFile);
        const bool answered = OpenArenaServer::answersOn(port, "secret", 30000);
        // The console saw it come back on its own, password-free, and says so only in the status line.
        auto* line = w.findChild<QLabel*>("lblStatus");
        QTRY_VERIFY_WITH_TIMEOUT(line->text().startsWith("Server back after "), 10000);
        if (const QString shots = qEnvironmentVariable("VORLANIX_SHOTS"); !shots.isEmpty())
            w.grab().save(shots + "/statusline-server-back.png");
        ::kill(pid_t(newPid), SIGKILL);
        QVERIFY(answered);
        QVERIFY2(
            QRegularExpression("^Server back after \\d+ s: noname on oa_dm1$").match(line->text()).hasMatch(),
            qPrintable(line->text()));
        const QString pane = w.findChild<QPlainTextEdit*>("txtOutput")->toPlainText();
        QVERIFY(!pane.contains("infoResponse") && !pane.contains("Server back"));
    }

    void gameServerComesBackThroughService() {
        if (!OpenArenaServer::installed())
            QSKIP("openarena-server is not installed");
        auto first = std::make_unique<OpenArenaServer>();
        QVERIFY(first->waitUntilReady());
        const quint16 port = first->port();

        // The listener's executable starts a new server on the same port and leaves its pid behind.
        const QString pidFile = dir.filePath("server.pid");
        QFile::remove(pidFile); // left by the case before
        QByteArray command = "echo $$ > '" + pidFile.toUtf8() + "'\nHOME='" + dir.path().toUtf8() +
                             "' exec " + OpenArenaServer::kLauncher + " \"$@\" > /dev/null 2>&1\n";
        const QString script = writeScript(command);
        QStringList params = OpenArenaServer::arguments(port, "secret");
        for (QString& p : params)
            if (p.isEmpty())
                p = "\"\"";
        const quint16 listenerPort = ServiceProcess::freeTcpPort();
        ServiceProcess kestwold(
            {"--port", QString::number(listenerPort), "--exe", script, "--params", params.join(' ')});
        QVERIFY(kestwold.waitFor("may ask for a reboot"));

        // The console's exchange, with a shorter delay: "quit" once the connection stands, then "reboot".
        platform::RebootClient reboot(nullptr, std::chrono::milliseconds(1000));
        QUdpSocket rcon;
        connect(&reboot, &platform::RebootClient::ConnectionStood, this, [&rcon, port] {
            rcon.writeDatagram("\xff\xff\xff\xffrcon secret quit", QHostAddress::LocalHost, port);
        });
        QVERIFY(reboot.Start("127.0.0.1", listenerPort));
        // The running server quits on the rcon "quit".
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 4000 && first->pid() > 0 && ::kill(pid_t(first->pid()), 0) == 0)
            QTest::qWait(100);
        first.reset();
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(pidFile), 10000);
        const qint64 newPid = readPid(pidFile);
        QVERIFY(newPid > 0);
        const bool answered = OpenArenaServer::answersOn(port, "secret", 30000);
        ::kill(pid_t(newPid), SIGKILL);
        QVERIFY(answered);
        QVERIFY(kestwold.log().contains("launching " + script.toUtf8()));
        QVERIFY(!reboot.isRunning());
    }

private:
    static qint64 readPid(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll().trimmed().toLongLong() : 0;
    }
};

QTEST_MAIN(tst_reboot_e2e)
#include "tst_reboot_e2e.moc"
