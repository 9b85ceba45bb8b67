#include "FakeDesktop.h"

#include <ListenerLogic.h>
#include <RebootClient.h>
#include <SettingsStore.h>
#include <SocketControl.h>
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
#include <QTimer>
#include <memory>

using namespace listener;

namespace {
// Records like the fake, but really starts the program, so the test sees it run.
class StartingDesktop : public FakeDesktop {
public:
    bool startProgram(const QString& program, const QStringList& arguments, const QString& folder) override {
        FakeDesktop::startProgram(program, arguments, folder);
        return platform::RealDesktop().startProgram(program, arguments, folder);
    }
};

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
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
    // Connects, sends the bytes, closes; returns once the listener listens again.
    void request(const QByteArray& bytes) {
        QTcpSocket s;
        s.connectToHost(QHostAddress::LocalHost, quint16(w->listeningPort()));
        QVERIFY(s.waitForConnected(3000));
        s.write(bytes);
        QVERIFY(s.waitForBytesWritten(3000));
        QTRY_VERIFY(w->TCPListener->State() == platform::SocketControl::sckListening &&
                    w->statusLog().contains("remote command from"));
        s.close();
    }

private slots:
    void init() {
        dir = std::make_unique<QTemporaryDir>();
        QFile::remove(platform::SettingsStore().fileName());
        desktop = StartingDesktop{};
        script = dir->filePath("game folder/start server.sh");
        record = dir->filePath("record.txt");
        QDir().mkpath(dir->filePath("game folder"));
        QFile f(script);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("#!/bin/sh\n{ pwd; for a in \"$@\"; do echo \"[$a]\"; done; } > '" + record.toUtf8() + "'\n");
        f.close();
        f.setPermissions(f.permissions() | QFileDevice::ExeOwner);
        {
            platform::SettingsStore store;
            store.write("Kestwold\\Settings", "GameEXE", script);
            store.write("Kestwold\\Settings", "GameParams", "+set net_port 27960 +map \"oa dm1\"");
        }
        startListener();
    }
    void cleanup() { w.reset(); }

    void logRule_data() {
        QTest::addColumn<QString>("log");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("expected");
        QTest::newRow("first entry") << ""
                                     << "listener started\r\n"
                                     << "> listener started\r\n";
        QTest::newRow("later entry") << "> a"
                                     << "b"
                                     << "> a\r\n> b";
        QTest::newRow("reaching the limit empties") << QString(14995, 'x') << "abc"
                                                    << "";
        QTest::newRow("just below") << QString(14990, 'x') << "abc" << QString(14990, 'x') + "\r\n> abc";
    }
    void logRule() {
        QFETCH(QString, log);
        QFETCH(QString, message);
        QFETCH(QString, expected);
        QCOMPARE(appendStatusEntry(log, message), expected);
    }

    void folders_data() {
        QTest::addColumn<QString>("exe");
        QTest::addColumn<QString>("folder");
        QTest::newRow("absolute") << "/srv/q3/ioq3ded"
                                  << "/srv/q3/";
        QTest::newRow("no folder") << "ioq3ded"
                                   << "";
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("root") << "/q3ded"
                              << "/";
    }
    void folders() {
        QFETCH(QString, exe);
        QFETCH(QString, folder);
        QCOMPARE(workingFolderOf(exe), folder);
    }

    void parameters_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("plain") << "+set net_port 27960" << QStringList{"+set", "net_port", "27960"};
        QTest::newRow("quoted blank") << "+map \"oa dm1\"" << QStringList{"+map", "oa dm1"};
        QTest::newRow("empty quotes kept") << "+set g_motd \"\"" << QStringList{"+set", "g_motd", ""};
        QTest::newRow("extra blanks") << "  a   b  " << QStringList{"a", "b"};
        QTest::newRow("nothing") << "" << QStringList{};
    }
    void parameters() {
        QFETCH(QString, text);
        QFETCH(QStringList, arguments);
        QCOMPARE(splitParameters(text), arguments);
    }

    void startsListeningAtLoad() {
        QVERIFY(w->statusLog().startsWith("> listener started\r\n"));
        QCOMPARE(w->serviceTag(), QString("on"));
        QCOMPARE(w->Command1->text(), QString("Stop"));
        QCOMPARE(w->lampColour(), QColor(0, 255, 0));
        QCOMPARE(w->Text1->palette().color(QPalette::Text), QColor(255, 255, 0));
        QCOMPARE(w->Text1->palette().color(QPalette::Base), QColor(0, 0, 255));
        QCOMPARE(w->TrayIcon1->toolTip(), QString("Kestwold: Listener started"));
        QVERIFY(w->mnuStop->isEnabled() && !w->mnuStartServer->isEnabled());
        QCOMPARE(w->TCPListener->State(), int(platform::SocketControl::sckListening));
        QVERIFY(desktop.boxes.isEmpty());
        w->Command1_Click();
        QCOMPARE(w->Command1->text(), QString("Start"));
        QCOMPARE(w->lampColour(), QColor(255, 0, 0));
        QCOMPARE(w->TrayIcon1->toolTip(), QString("Kestwold: Listener stopped"));
        QVERIFY(!w->mnuStop->isEnabled() && w->mnuStartServer->isEnabled());
        QCOMPARE(w->TCPListener->State(), int(platform::SocketControl::sckClosed));
        QCOMPARE(w->statusLog(), QString("> listener started\r\n\r\n> listener halted\r\n"));
    }

    void rebootStartsTheGame() {
        request("reboot");
        QTRY_VERIFY(QFile::exists(record));
        QTRY_VERIFY(readFile(record).count('\n') == 6);
        QCOMPARE(readFile(record),
                 dir->filePath("game folder").toUtf8() + "\n[+set]\n[net_port]\n[27960]\n[+map]\n[oa dm1]\n");
        QCOMPARE(w->statusLog(),
                 QString("> listener started\r\n\r\n> remote command from 127.0.0.1\r\n> reboot\r\n"
                         "\r\n> launching %1 +set net_port 27960 +map \"oa dm1\"\r\n")
                     .arg(script));
        // At once ready for the next client.
        QTcpSocket next;
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
        QTest::qWait(200);
        QVERIFY(desktop.started.isEmpty());
        QVERIFY(!w->statusLog().contains("launching"));
        QVERIFY(w->statusLog().endsWith("> remote command from 127.0.0.1\r\n> " + QString::fromLatin1(bytes) +
                                        "\r\n"));
    }

    void idleAndHalfClosedPeersDoNotBlock() {
        w->tmrIdle->setInterval(300);
        QTcpSocket idle;
        idle.connectToHost(QHostAddress::LocalHost, quint16(w->listeningPort()));
        QVERIFY(idle.waitForConnected(1000));
        QTRY_VERIFY(w->TCPListener->State() != platform::SocketControl::sckListening);
        QTRY_COMPARE(w->TCPListener->State(), int(platform::SocketControl::sckListening));
        QVERIFY(w->statusLog().contains("nothing received"));
        {
            QTcpSocket quitter;
            quitter.connectToHost(QHostAddress::LocalHost, quint16(w->listeningPort()));
            QVERIFY(quitter.waitForConnected(1000));
            QTRY_VERIFY(w->TCPListener->State() != platform::SocketControl::sckListening);
            quitter.disconnectFromHost();
        }
        QTRY_COMPARE(w->TCPListener->State(), int(platform::SocketControl::sckListening));
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
    }
    void unusableExecutable() {
        QFETCH(QString, exe);
        QFETCH(QString, logged);
        w->txtPath->setText(exe);
        request("reboot");
        QVERIFY(w->statusLog().contains(logged));
        QVERIFY(desktop.started.isEmpty());
        QCOMPARE(w->TCPListener->State(), int(platform::SocketControl::sckListening));
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
        QVERIFY(w->statusLog().contains(QString("cannot listen on port %1").arg(taken.serverPort())));
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
        QCOMPARE(w->TCPListener->State(), int(platform::SocketControl::sckListening));
    }

    void testClient() {
        frmClientTest client(w->listeningPort());
        client.Command1_Click();
        client.Command1_Click(); // refused while the first is under way
        QTRY_COMPARE(desktop.started.size(), 1);
        QTRY_VERIFY(!client.tcpclient->isRunning());
        QVERIFY(w->statusLog().contains("> remote command from 127.0.0.1\r\n> reboot\r\n"));
        QTRY_COMPARE(w->TCPListener->State(), int(platform::SocketControl::sckListening));
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
