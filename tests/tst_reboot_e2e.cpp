#include "FakeDesktop.h"
#include "OpenArena.h"
#include "ServiceProcess.h"

#include "../console/frmMain.h"
#include "../listener/frmMain.h"
#include <ConsolePane.h>
#include <ProgramFolder.h>
#include <RebootClient.h>
#include <SettingsStore.h>
#include <SocketControl.h>
#include <basMain.h>

#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <signal.h>

// The console's reboot through a real listener, first against a loopback rcon peer, then end to
// end with a real game server that quits and is started again by the listener in service mode.
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

    void consoleThroughRealListener() {
        const QString marker = dir.filePath("started.txt");
        QFile::remove(marker);
        listener::frmMain kestwold(desktop, 0);
        kestwold.Form_Load();
        kestwold.txtPath->setText(writeScript("date +%s%N > '" + marker.toUtf8() + "'\n"));
        QUdpSocket rcon;
        QVERIFY(rcon.bind(QHostAddress::LocalHost, 0));

        console::resetBasMain();
        console::frmMain w(desktop, kestwold.listeningPort());
        w.Form_Load();
        w.cboAddr->setEditText("127.0.0.1");
        w.cboPort->setEditText(QString::number(rcon.localPort()));
        w.txtPassword->setText("pw");
        w.SendCommand("reboot");
        QTRY_VERIFY(rcon.hasPendingDatagrams());
        QElapsedTimer sinceQuit;
        sinceQuit.start();
        QByteArray d(int(rcon.pendingDatagramSize()), Qt::Uninitialized);
        rcon.readDatagram(d.data(), d.size());
        QCOMPARE(d, QByteArray("\xff\xff\xff\xffrcon pw quit"));
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(marker), 8000);
        QVERIFY2(sinceQuit.elapsed() >= 3900, qPrintable(QString::number(sinceQuit.elapsed())));
        QTRY_COMPARE(w.TCPClient->State(), int(platform::SocketControl::sckClosed));
        QVERIFY(kestwold.statusLog().contains("> remote command from 127.0.0.1\r\n> reboot\r\n"));
        QTRY_VERIFY(!kestwold.service->isConnected());
        for (const auto& box : desktop.boxes)
            QVERIFY(box.title != "Reboot Failed");
    }

    void gameServerQuitsAndComesBack() {
        if (!OpenArenaServer::installed())
            QSKIP("openarena-server is not installed");
        auto first = std::make_unique<OpenArenaServer>();
        QVERIFY(first->waitUntilReady());
        const quint16 port = first->port();

        // The listener's executable starts a new server on the same port and leaves its pid behind.
        const QString pidFile = dir.filePath("server.pid");
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
