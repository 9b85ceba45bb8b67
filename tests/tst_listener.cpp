#include "FakeDesktop.h"

#include <ListenerLogic.h>
#include <RebootClient.h>
#include <SettingsStore.h>
#include <frmClientTest.h>
#include <frmMain.h>

#include <QAction>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QSystemTrayIcon>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <sys/socket.h>

using namespace listener;

namespace {
// Records like the fake, but really starts the program, so the test sees it run.
class StartingDesktop : public FakeDesktop {
public:
    bool startProgram(const QString& program, const QStringList& arguments, const QString& folder,
                      qint64* pid) override {
        FakeDesktop::startProgram(program, arguments, folder);
        return platform::RealDesktop().startProgram(program, arguments, folder, pid);
    }
};

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeScript(const QString& path, const QByteArray& body) {
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("#!/bin/sh\n" + body);
    f.close();
    f.setPermissions(f.permissions() | QFileDevice::ExeOwner);
}
} // namespace

class tst_listener : public QObject {
    Q_OBJECT

    StartingDesktop desktop;
    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<frmMain> w;
    QString script, record;

    void startListener() {
        w = std::make_unique<frmMain>(desktop, 0);
        w->Form_Load();
    }
    // Connects, sends the bytes, closes; returns once the listener has handled them and listens again.
    void request(const QByteArray& bytes, const QHostAddress& to = QHostAddress::LocalHost) {
        const int before = w->statusLog().count("remote command from");
        QTcpSocket s;
        s.connectToHost(to, quint16(w->listeningPort()));
        QVERIFY(s.waitForConnected(3000));
        s.write(bytes);
        QVERIFY(s.waitForBytesWritten(3000));
        QTRY_VERIFY(w->statusLog().count("remote command from") > before && !w->service->isConnected());
    }

private slots:
    void init() {
        dir = std::make_unique<QTemporaryDir>();
        QFile::remove(platform::SettingsStore().fileName());
        desktop = StartingDesktop{};
        script = dir->filePath("game folder/start server.sh");
        record = dir->filePath("record.txt");
        writeScript(script,
                    "{ pwd; for a in \"$@\"; do echo \"[$a]\"; done; } > '" + record.toUtf8() + "'\n");
        {
            platform::SettingsStore store;
            store.write("Kestwold\\Settings", "GameEXE", script);
            // The README's plain start script in a folder whose name holds a blank.
            store.write("Kestwold\\Settings", "GameParams",
                        "+set dedicated 1 +set sv_hostname \"My Server\" +set g_motd \"\" +map q3dm17");
        }
        startListener();
    }
    void cleanup() { w.reset(); }

    void startsListeningAtLoad() {
        QCOMPARE(w->statusLog(), QString("> listener started\r\n\r\n"
                                         "> every peer may ask for a reboot (AllowedPeers is empty)\r\n"));
        QCOMPARE(w->serviceTag(), QString("on"));
        QCOMPARE(w->Command1->text(), QString("Stop"));
        QCOMPARE(w->lampColour(), QColor(0, 255, 0));
        QCOMPARE(w->Text1->palette().color(QPalette::Text), QColor(255, 255, 0));
        QCOMPARE(w->Text1->palette().color(QPalette::Base), QColor(0, 0, 255));
        QCOMPARE(w->TrayIcon1->toolTip(), QString("Kestwold: Listener started"));
        QVERIFY(w->mnuStop->isEnabled() && !w->mnuStartServer->isEnabled());
        QVERIFY(desktop.boxes.isEmpty());
        QTcpSocket ipv6;
        ipv6.connectToHost(QHostAddress::LocalHostIPv6, quint16(w->listeningPort()));
        QVERIFY(ipv6.waitForConnected(3000)); // listens on IPv6 as well
        QTRY_VERIFY(w->service->isConnected());
        w->Command1_Click(); // drops the open connection too
        QCOMPARE(w->Command1->text(), QString("Start"));
        QCOMPARE(w->lampColour(), QColor(255, 0, 0));
        QCOMPARE(w->TrayIcon1->toolTip(), QString("Kestwold: Listener stopped"));
        QVERIFY(!w->mnuStop->isEnabled() && w->mnuStartServer->isEnabled());
        QVERIFY(!w->service->isListening() && !w->service->isConnected());
        QVERIFY(w->statusLog().endsWith("\r\n> listener halted\r\n"));
        QTcpSocket refused;
        refused.connectToHost(QHostAddress::LocalHost, quint16(w->listeningPort()));
        QVERIFY(!refused.waitForConnected(1000));
    }

    void rebootStartsTheGame_data() {
        QTest::addColumn<QString>("relative"); // empty: the absolute path
        QTest::newRow("absolute path, blank in folder") << "";
        QTest::newRow("relative path") << "game folder/start server.sh";
        QTest::newRow("relative path, colon first") << ":game folder/start server.sh";
    }
    void rebootStartsTheGame() {
        QFETCH(QString, relative);
        const QString before = QDir::currentPath();
        // Not dir->filePath(): Qt's path helpers read a leading ':' as a resource too.
        const QString copy = dir->path() + '/' + relative;
        if (!relative.isEmpty()) {
            QDir().mkpath(QFileInfo(copy).path());
            QFile::copy(script, copy);
            QDir::setCurrent(dir->path());
            w->txtPath->setText("  " + relative + " ");
        }
        request("reboot");
        QDir::setCurrent(before);
        QTRY_VERIFY(readFile(record).count('\n') == 12);
        QCOMPARE(readFile(record), QFileInfo(relative.isEmpty() ? script : copy).path().toUtf8() +
                                       "\n[+set]\n[dedicated]\n[1]\n[+set]\n"
                                       "[sv_hostname]\n[My Server]\n[+set]\n"
                                       "[g_motd]\n[]\n[+map]\n[q3dm17]\n");
        QVERIFY(w->statusLog().endsWith(
            QString(
                "\r\n> remote command from 127.0.0.1\r\n> reboot\r\n\r\n> launching %1 +set dedicated 1 +set "
                "sv_hostname \"My Server\" +set g_motd \"\" +map q3dm17\r\n")
                .arg(relative.isEmpty() ? script : relative)));
        QTcpSocket next; // at once ready for the next client
        next.connectToHost(QHostAddress::LocalHost, quint16(w->listeningPort()));
        QVERIFY(next.waitForConnected(1000));
    }

    void otherTextsStartNothing_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("upper case") << QByteArray("REBOOT");
        QTest::newRow("capitalised") << QByteArray("Reboot");
        QTest::newRow("line end") << QByteArray("reboot\r\n");
        QTest::newRow("leading blank") << QByteArray(" reboot");
        QTest::newRow("binary") << QByteArray("\x00\xff\x01reboot", 9);
    }
    void otherTextsStartNothing() {
        QFETCH(QByteArray, bytes);
        request(bytes);
        QVERIFY(desktop.started.isEmpty());
        QVERIFY(w->statusLog().endsWith("> remote command from 127.0.0.1\r\n> " + QString::fromLatin1(bytes) +
                                        "\r\n"));
    }

    void peersOutsideTheListAreRefused_data() {
        QTest::addColumn<QString>("list");
        QTest::addColumn<QString>("said");
        QTest::newRow("other address") << "10.1.1.1, 2001:db8::/32"
                                       << "> peers that may ask for a reboot: 10.1.1.1, 2001:db8::/32\r\n";
        QTest::newRow("only typos")
            << "127.0.0.l"
            << "> AllowedPeers: \"127.0.0.l\" is neither an address nor a range; ignored\r\n"
               "\r\n> no peer may ask for a reboot: AllowedPeers holds no valid entry\r\n";
    }
    void peersOutsideTheListAreRefused() {
        QFETCH(QString, list);
        QFETCH(QString, said);
        w.reset();
        platform::SettingsStore().write("Kestwold\\Settings", "AllowedPeers", list);
        startListener();
        QCOMPARE(w->statusLog(), "> listener started\r\n\r\n" + said);
        QTcpSocket s;
        s.connectToHost(QHostAddress::LocalHost, quint16(w->listeningPort()));
        QVERIFY(s.waitForConnected(3000));
        s.write("reboot");
        QTRY_COMPARE(s.state(), QAbstractSocket::UnconnectedState); // closed at once, nothing read
        QVERIFY(w->statusLog().endsWith("\r\n> refused remote command from 127.0.0.1"));
        QVERIFY(!w->statusLog().contains("> reboot"));
        QVERIFY(desktop.started.isEmpty());
        QTRY_VERIFY(!w->service->isConnected() && w->service->isListening());
    }

    void noSecondCopyWhileTheGameRuns() {
        // Test Launch starts a game that runs for a second: reboots meanwhile start nothing.
        writeScript(script, "echo $$ >> '" + record.toUtf8() + "'\nsleep 1\n");
        w->Command4_Click();
        QTRY_VERIFY(!readFile(record).isEmpty());
        QByteArray pid = readFile(record).trimmed();
        QCOMPARE(QByteArray::number(w->service->lastLaunch().pid()), pid);
        request("reboot");
        request("reboot");
        QCOMPARE(desktop.started.size(), 1);
        const QString ignored =
            "> reboot ignored: the game started by the last launch still runs as process %1\r\n";
        QCOMPARE(w->statusLog().count(ignored.arg(pid)), 2);
        // Once it has exited, a reboot starts it again, and that copy is guarded in turn.
        QTRY_VERIFY_WITH_TIMEOUT(!w->service->lastLaunch().isRunning(), 5000);
        request("reboot");
        QTRY_COMPARE(readFile(record).count('\n'), 2);
        pid = readFile(record).split('\n')[1];
        request("reboot");
        QVERIFY(w->statusLog().endsWith(ignored.arg(pid)));
        QCOMPARE(desktop.started.size(), 2);
    }

    void wrapperThatReturnsAtOnceChangesNothing() {
        writeScript(script, "exit 0\n");
        for (int i = 1; i <= 3; ++i) {
            request("reboot");
            QTRY_COMPARE(desktop.started.size(), i);
            QTRY_VERIFY(!w->service->lastLaunch().isRunning());
        }
        QVERIFY(!w->statusLog().contains("ignored"));
    }

    void idleAndHalfClosedPeersDoNotBlock() {
        w->service->setIdleTimeout(300);
        QTcpSocket idle;
        idle.connectToHost(QHostAddress::LocalHost, quint16(w->listeningPort()));
        QVERIFY(idle.waitForConnected(1000));
        QTRY_VERIFY(w->service->isConnected());
        QTRY_VERIFY(!w->service->isConnected());
        QVERIFY(w->statusLog().endsWith("> connection closed: nothing received for 10 seconds\r\n"));
        QTcpSocket halfClosed;
        halfClosed.connectToHost(QHostAddress::LocalHost, quint16(w->listeningPort()));
        QVERIFY(halfClosed.waitForConnected(1000));
        QTRY_VERIFY(w->service->isConnected());
        ::shutdown(int(halfClosed.socketDescriptor()), SHUT_WR);
        QTRY_VERIFY(!w->service->isConnected());
        QVERIFY(w->statusLog().endsWith(
            "> connection closed without a request (The remote host closed the connection)\r\n"));
        request("reboot");
        QTRY_COMPARE(desktop.started.size(), 1);
    }

    void unusableExecutable_data() {
        QTest::addColumn<QString>("exe");
        QTest::addColumn<QString>("logged");
        QTest::newRow("empty") << "   "
                               << "cannot launch: no game executable is configured";
        QTest::newRow("missing folder") << "/no/such/folder/ioq3ded"
                                        << "cannot launch: the folder /no/such/folder/";
        QTest::newRow("NUL in the name") << QString("/usr/bin/env") + QChar(0) + "x"
                                         << "the game executable could not be started";
    }
    void unusableExecutable() {
        QFETCH(QString, exe);
        QFETCH(QString, logged);
        w->txtPath->setText(exe);
        request("reboot");
        QVERIFY(w->statusLog().contains(logged));
        QVERIFY(desktop.started.isEmpty());
    }

    void portInUseShowsStopped() {
        QTcpServer taken;
        QVERIFY(taken.listen(QHostAddress::Any, 0));
        w.reset();
        w = std::make_unique<frmMain>(desktop, taken.serverPort());
        w->Form_Load();
        QCOMPARE(w->serviceTag(), QString("off"));
        QCOMPARE(w->Command1->text(), QString("Start"));
        QCOMPARE(w->lampColour(), QColor(255, 0, 0));
        QCOMPARE(w->TrayIcon1->toolTip(), QString("Kestwold: Listener stopped"));
        QVERIFY(w->statusLog().startsWith(
            QString("> listener started\r\n\r\n> cannot listen on port %1: ").arg(taken.serverPort())));
        QVERIFY(w->isVisible());
    }

    void testLaunchAndSettings() {
        w->txtPath->setText("  /no/such/dir/game  ");
        w->txtParams->setText("  +map x ");
        w->Command4_Click();
        QCOMPARE(w->txtPath->text(), QString("/no/such/dir/game"));
        QCOMPARE(w->txtParams->text(), QString("+map x"));
        QCOMPARE(desktop.boxes.size(), 1);
        QCOMPARE(desktop.boxes[0].text,
                 QString("The path is incorrect.  Make the necessary changes and try again."));
        QCOMPARE(desktop.boxes[0].icon, platform::Desktop::Icon::Warning);
        QVERIFY(desktop.started.isEmpty());
        QVERIFY(!w->statusLog().contains("launching"));

        desktop.fileAnswers = {QString(), "/srv/q3/ioq3ded"};
        w->cmdBrowse_Click(); // cancelled
        QCOMPARE(w->txtPath->text(), QString("/no/such/dir/game"));
        w->cmdBrowse_Click();
        w->txtPath->setText(w->txtPath->text() + "  ");
        {
            // The console's keys written meanwhile survive the listener's exit, and the other way round.
            platform::SettingsStore console;
            console.write("vorlanix\\Settings", "CurrentAddr", "10.0.0.5");
        }
        w.reset();
        QSettings raw(platform::SettingsStore().fileName(), QSettings::IniFormat);
        QCOMPARE(raw.value("Kestwold/Settings/GameEXE").toString(), QString("/srv/q3/ioq3ded"));
        QCOMPARE(raw.value("Kestwold/Settings/GameDir").toString(), QString("/srv/q3/"));
        QCOMPARE(raw.value("Kestwold/Settings/GameParams").toString(), QString("+map x"));
        QCOMPARE(raw.value("vorlanix/Settings/CurrentAddr").toString(), QString("10.0.0.5"));
        startListener();
        QCOMPARE(w->txtPath->text(), QString("/srv/q3/ioq3ded"));
    }

    void firstStartAsksForTheExecutable() {
        w.reset();
        QFile::remove(platform::SettingsStore().fileName());
        startListener();
        QCOMPARE(desktop.boxes.size(), 1);
        QCOMPARE(desktop.boxes[0].title, QString("Kestwold"));
        QCOMPARE(
            desktop.boxes[0].text,
            QString(
                "The Game Executable is not specified.\r\nYou must provide the path to the game executable "
                "for the listener to be able to reboot the game server."));
        QVERIFY(w->statusLog().startsWith("> listener started"));
    }

    void hideNeverStrands() {
        w->Command3_Click();
        if (QSystemTrayIcon::isSystemTrayAvailable()) {
            QVERIFY(!w->isVisible());
        } else {
            QVERIFY(w->isVisible());
            w->ToggleWindow();
            w->Command3_Click();
            QCOMPARE(w->statusLog().count("no notification area"), 1);
        }
        QVERIFY(w->service->isListening());
    }

    void testClient() {
        frmClientTest client(w->listeningPort());
        client.Command1_Click();
        client.Command1_Click(); // refused while the first is under way
        QTRY_COMPARE(desktop.started.size(), 1);
        QTRY_VERIFY(!client.tcpclient->isRunning());
        QVERIFY(w->statusLog().contains("> remote command from 127.0.0.1\r\n> reboot\r\n"));
        QTRY_VERIFY(!w->service->isConnected());
        // With the listener stopped nothing happens on either side.
        w->Command1_Click();
        const QString before = w->statusLog();
        client.Command1_Click();
        QTest::qWait(300);
        QCOMPARE(w->statusLog(), before);
        QCOMPARE(desktop.started.size(), 1);
    }
};

QTEST_MAIN(tst_listener)
#include "tst_listener.moc"
