#include "FakeDesktop.h"
#include "OpenArena.h"

#include "../console/frmMain.h"
#include "../listener/frmMain.h"
#include <ProgramFolder.h>
#include <SettingsStore.h>
#include <SocketControl.h>
#include <basMain.h>

#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <signal.h>

// The console's reboot through a real listener, first against a loopback rcon peer, then end to
// end with a real game server that quits and is started again by the listener.
class tst_reboot_e2e : public QObject {
    Q_OBJECT

    class StartingDesktop : public FakeDesktop {
    public:
        bool startProgram(const QString& program, const QStringList& arguments,
                          const QString& folder) override {
            FakeDesktop::startProgram(program, arguments, folder);
            return platform::RealDesktop().startProgram(program, arguments, folder);
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
        console::SessionSeams seams; // the real four seconds
        seams.listenerPort = kestwold.listeningPort();
        console::frmMain w(desktop, seams);
        w.Form_Load();
        console::ConsoleSession& session = w.session();
        session.setAddress("127.0.0.1");
        session.setPort(QString::number(rcon.localPort()));
        session.setPassword("pw");
        QSignalSpy sent(&session, &console::ConsoleSession::RebootSent);
        session.SendCommand("reboot");
        QTRY_VERIFY(rcon.hasPendingDatagrams());
        QElapsedTimer sinceQuit;
        sinceQuit.start();
        QByteArray d(int(rcon.pendingDatagramSize()), Qt::Uninitialized);
        rcon.readDatagram(d.data(), d.size());
        QCOMPARE(d, QByteArray("\xff\xff\xff\xffrcon pw quit"));
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(marker), 8000);
        QVERIFY2(sinceQuit.elapsed() >= 3900, qPrintable(QString::number(sinceQuit.elapsed())));
        QCOMPARE(sent.size(), 1);
        QVERIFY(kestwold.statusLog().contains("> remote command from 127.0.0.1\r\n> reboot\r\n"));
        QTRY_COMPARE(kestwold.TCPListener->State(), int(platform::SocketControl::sckListening));
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
        listener::frmMain kestwold(desktop, 0);
        kestwold.Form_Load();
        kestwold.txtPath->setText(script);
        QStringList params = OpenArenaServer::arguments(port, "secret");
        for (QString& p : params)
            if (p.isEmpty())
                p = "\"\"";
        kestwold.txtParams->setText(params.join(' '));

        console::resetBasMain();
        // Long enough for the game server to quit and free its port.
        console::SessionSeams seams;
        seams.listenerPort = kestwold.listeningPort();
        seams.rebootDelay = std::chrono::milliseconds(1500);
        console::frmMain w(desktop, seams);
        w.Form_Load();
        console::ConsoleSession& session = w.session();
        session.setAddress("127.0.0.1");
        session.setPort(QString::number(port));
        session.setPassword("secret");
        session.SendCommand("reboot");
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
        QVERIFY(kestwold.statusLog().contains("> launching " + script));
    }

private:
    static qint64 readPid(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll().trimmed().toLongLong() : 0;
    }
};

QTEST_MAIN(tst_reboot_e2e)
#include "tst_reboot_e2e.moc"
