#include "FakeDesktop.h"
#include "ListenerPeer.h"

#include <RebootClient.h>
#include <SettingsStore.h>
#include <frmClientTest.h>
#include <frmMain.h>

#include <QAction>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QSystemTrayIcon>
#include <sys/socket.h>

using namespace listener;

// Records like the fake, but really starts the program, so the test sees it run.
struct StartingDesktop : FakeDesktop {
    platform::Result<qint64> startProgram(const QString& program, const QStringList& arguments,
                                          const QString& folder) override {
        (void)FakeDesktop::startProgram(program, arguments, folder);
        return platform::RealDesktop().startProgram(program, arguments, folder);
    }
};

class tst_listener : public QObject {
    Q_OBJECT

    StartingDesktop desktop;
    QTemporaryDir dir;
    // In a folder whose name holds a blank, and a colon first: Qt's path helpers read a leading ':'
    // as a resource, so the name is joined by hand.
    const QString script = dir.path() + "/:game folder/start server.sh", record = dir.filePath("record.txt");
    std::unique_ptr<frmMain> w;
    QByteArray function; // whose rows share the window

    void startListener(int port = 0) {
        w.reset();
        w = std::make_unique<frmMain>(desktop, port);
        w->Form_Load();
    }
    quint16 port() const { return quint16(w->listeningPort()); }
    void request(const QByteArray& bytes) { QVERIFY(send(port(), bytes)); }

    // What the window shows while the listener listens or not.
    void showsListening(bool on) {
        const QStringList shown{w->serviceTag(), w->Command1->text(), w->TrayIcon1->toolTip()};
        QCOMPARE(shown, (on ? QStringList{"on", "Stop", "Kestwold: Listener started"}
                            : QStringList{"off", "Start", "Kestwold: Listener stopped"}));
        QCOMPARE(w->lampColour(), on ? QColor(0, 255, 0) : QColor(255, 0, 0));
        QVERIFY(w->mnuStop->isEnabled() == on && w->mnuStartServer->isEnabled() == !on);
        QCOMPARE(w->service->isListening(), on);
    }

private slots:
    void init() {
        desktop = StartingDesktop{};
        QFile::remove(record);
        if (w && function == QTest::currentTestFunction()) { // rows of one function share the window
            w->txtPath->setText(script);
            QTRY_VERIFY(w->service->peerCount() == 0 && !w->service->lastLaunch().isRunning());
            return;
        }
        function = QTest::currentTestFunction();
        w.reset();
        QFile::remove(platform::SettingsStore().fileName());
        QDir::setCurrent(dir.path()); // where relative paths start
        QVERIFY(writeScript(script, "{ pwd; for a in \"$@\"; do echo \"[$a]\"; done; } > '" +
                                        record.toUtf8() + "'\n"));
        platform::SettingsStore store;
        store.write("Kestwold\\Settings", "GameEXE", script); // the README's plain start script
        store.write("Kestwold\\Settings", "GameParams",
                    "+set dedicated 1 +set sv_hostname \"My Server\" +set g_motd \"\" +map q3dm17");
        startListener();
    }

    void startsAndStops() {
        QCOMPARE(w->statusLog(), QString("> listener started\r\n\r\n"
                                         "> every peer may ask for a reboot (AllowedPeers is empty)\r\n"));
        showsListening(true);
        const QPalette colours = w->Text1->palette();
        QVERIFY(colours.color(QPalette::Text) == QColor(255, 255, 0) &&
                colours.color(QPalette::Base) == QColor(0, 0, 255) && desktop.boxes.isEmpty());
        w->Command3_Click(); // hidden only where a tray icon can bring it back
        QCOMPARE(w->isVisible(), !QSystemTrayIcon::isSystemTrayAvailable());
        const auto ipv6 = connectTo(port(), QHostAddress::LocalHostIPv6); // listens on IPv6 as well
        QTRY_VERIFY(ipv6 && w->service->peerCount() == 1);
        w->Command1_Click(); // drops the open connection too
        showsListening(false);
        QVERIFY(w->service->peerCount() == 0 && w->statusLog().endsWith("\r\n> listener halted\r\n"));
        QTcpSocket refused;
        refused.connectToHost(QHostAddress::LocalHost, port());
        QVERIFY(!refused.waitForConnected(1000));
        // A port in use leaves the window up, showing the listener stopped.
        QTcpServer taken;
        QVERIFY(taken.listen(QHostAddress::Any, 0));
        startListener(taken.serverPort());
        showsListening(false);
        const QString busy =
            QString("> listener started\r\n\r\n> cannot listen on port %1: ").arg(taken.serverPort());
        QVERIFY(w->isVisible() && w->statusLog().startsWith(busy));
    }

    void rebootStartsTheGame_data() {
        QTest::addColumn<QString>("path"); // as typed
        QTest::addColumn<bool>("testClient");
        row("absolute path", script, false);
        row("relative path, colon first", QString("  :game folder/start server.sh "), false);
        row("the window's test client", script, true);
    }
    void rebootStartsTheGame() {
        QFETCH(QString, path);
        QFETCH(bool, testClient);
        w->txtPath->setText(path);
        frmClientTest client(w->listeningPort());
        if (testClient) {
            client.Command1_Click();
            client.Command1_Click(); // refused while the first is under way
            QTRY_VERIFY(!client.tcpclient->isRunning() && w->service->peerCount() == 0);
        } else {
            request("reboot");
        }
        QTRY_COMPARE(readFile(record), QFileInfo(script).path().toUtf8() +
                                           "\n[+set]\n[dedicated]\n[1]\n[+set]\n[sv_hostname]\n[My Server]\n"
                                           "[+set]\n[g_motd]\n[]\n[+map]\n[q3dm17]\n");
        QCOMPARE(desktop.started.size(), 1);
        QVERIFY(w->statusLog().endsWith(
            QString("\r\n> remote command from 127.0.0.1\r\n> reboot\r\n\r\n> launching %1 +set dedicated 1 "
                    "+set sv_hostname \"My Server\" +set g_motd \"\" +map q3dm17\r\n")
                .arg(path.trimmed())));
        const auto next = connectTo(port()); // at once ready for the next client
        QTRY_VERIFY(next && w->service->peerCount() == 1);
    }

    // Only the exact six bytes from an admitted peer start a usable game; a refused peer is closed
    // before anything is read.
    void nothingStarts_data() {
        QTest::addColumn<QString>("allow");
        QTest::addColumn<QString>("exe"); // empty: the script
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("tail"); // empty: the request as logged
        const QString refused = "\r\n> refused a peer from 127.0.0.1 (not allowed)\r\n";
        row("upper case", "", "", QByteArray("REBOOT"), "");
        row("line end", "", "", QByteArray("reboot\r\n"), "");
        row("binary", "", "", QByteArray("\x00\xff\x01reboot", 9), "");
        row("no executable", "", "   ", QByteArray("reboot"),
            "> reboot\r\n\r\n> cannot launch: no game executable is configured\r\n");
        row("missing folder", "", "/no/such/folder/ioq3ded", QByteArray("reboot"),
            "\r\n> cannot launch: the folder /no/such/folder/ does not exist\r\n");
        // The system would cut the name at the NUL and start another program.
        row("NUL in the name", "", QString("/usr/bin/env") + QChar(0) + "x", QByteArray("reboot"),
            "\r\n> the game executable could not be started: the path holds a NUL character\r\n");
        row("a folder", "", dir.path() + "/:game folder", QByteArray("reboot"),
            "\r\n> the game executable could not be started: " + dir.path() +
                "/:game folder is a folder, not a program\r\n");
        // Entries are logged as what they admit: mapped forms as IPv4, host bits cleared.
        row("peer outside the list", "::ffff:10.1.1.77/120, ::ffff:10.0.0.7, 2001:db8::1/128, 2001:db8::5/32",
            "", QByteArray("reboot"),
            "> peers that may ask for a reboot: 10.1.1.0/24, 10.0.0.7, 2001:db8::1, 2001:db8::/32\r\n" +
                refused);
        row("list of typos admits nobody", "127.0.0.l", "", QByteArray("reboot"),
            "> AllowedPeers: \"127.0.0.l\" is neither an address nor a range; ignored\r\n\r\n"
            "> no peer may ask for a reboot: AllowedPeers holds no valid entry\r\n" +
                refused);
    }
    void nothingStarts() {
        QFETCH(QString, allow);
        QFETCH(QString, exe);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, tail);
        if (!allow.isEmpty()) {
            platform::SettingsStore().write("Kestwold\\Settings", "AllowedPeers", allow);
            startListener();
        }
        w->txtPath->setText(exe.isEmpty() ? script : exe);
        request(bytes);
        if (tail.isEmpty())
            tail = "> remote command from 127.0.0.1\r\n> " + requestText(bytes, bytes.size()) + "\r\n";
        QVERIFY2(w->statusLog().endsWith(tail),
                 qPrintable(w->statusLog().right(300).replace(QChar(0), "<NUL>")));
        QVERIFY(w->service->isListening());
        QCOMPARE(desktop.started.size(), tail.contains("not a program") ? 1 : 0);
    }

    // A reboot while the game of the last launch still runs starts no second copy.
    void noSecondCopyWhileTheGameRuns() {
        QVERIFY(writeScript(script, "echo $$ >> '" + record.toUtf8() + "'\nexec sleep 30 >/dev/null 2>&1\n"));
        w->Command4_Click(); // a Test Launch counts as the last launch
        QTRY_VERIFY(readFile(record).endsWith('\n'));
        const QByteArray pid = readFile(record).trimmed();
        request("reboot");
        QVERIFY(w->statusLog().endsWith(
            "> reboot ignored: the game started by the last launch still runs as process " + pid + "\r\n"));
        ::kill(pid.toInt(), SIGTERM);
        QTRY_VERIFY(!w->service->lastLaunch().isRunning());
        request("reboot"); // once it has ended, a reboot starts it again
        QTRY_COMPARE(readFile(record).count('\n'), 2);
        QCOMPARE(desktop.started.size(), 2);
        ::kill(readFile(record).split('\n')[1].toInt(), SIGTERM);
    }

    // An idle peer never delays another; it is closed at its own limit, and a peer that leaves
    // without a word is noted.
    void idleAndHalfClosedPeersDoNotBlock() {
        w->service->setIdleTimeout(300);
        const auto idle = connectTo(port());
        QTRY_COMPARE(w->service->peerCount(), 1);
        request("reboot");
        QTRY_COMPARE(desktop.started.size(), 1);
        QTRY_VERIFY(
            w->statusLog().endsWith("> closed a peer from 127.0.0.1 (nothing received for 0.3 seconds)\r\n"));
        w->service->setIdleTimeout(10000);
        const auto halfClosed = connectTo(port());
        QTRY_COMPARE(w->service->peerCount(), 1);
        ::shutdown(int(halfClosed->socketDescriptor()), SHUT_WR);
        QTRY_VERIFY(w->statusLog().endsWith("> closed a peer from 127.0.0.1 (left without a request)\r\n"));
    }

    // A settings file that does not read well keeps the listener stopped, saying which key, until
    // the window saves settings it accepts; the file it could not read is kept aside.
    void damagedSettingsKeepItStopped() {
        w.reset();
        QFile file(platform::SettingsStore().fileName());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[Kestwold]\nSettings\\GameEXE=/srv/q3/ioq3ded\n"
                   "Settings\\GameParams=+set sv_hostname \"My Server +map q3dm17\n"
                   "Settings\\AllowedPeers=203.0.113.7\n");
        file.close();
        startListener();
        showsListening(false);
        QVERIFY2(
            w->statusLog().startsWith("> settings not trusted: " + file.fileName() +
                                      " cannot be read: line 3: the value of Settings\\GameParams opens a "
                                      "double quote it never closes; add the closing quote"),
            qPrintable(w->statusLog()));
        w->Command1_Click();
        showsListening(false);
        QVERIFY(w->statusLog().endsWith("> the listener stays stopped until the settings are saved from this "
                                        "window (Save Settings, Ctrl+S)\r\n"));
        w->txtParams->setText("+set sv_hostname \"My Server +map q3dm17");
        QVERIFY(!w->saveSettings());
        QVERIFY(w->statusLog().endsWith(
            "> settings not saved: GameParams opens a double quote it never closes\r\n"));
        w->txtParams->setText("+set sv_hostname \"My Server\" +map q3dm17");
        w->mnuSave->trigger();
        QVERIFY2(w->statusLog().contains("> the file that could not be read is kept as " + file.fileName() +
                                         ".unreadable-"),
                 qPrintable(w->statusLog()));
        w->Command1_Click();
        showsListening(true);
    }

    void testLaunchAndSettings() {
        w->txtPath->setText("  /no/such/dir/game  ");
        w->txtParams->setText("  +map x ");
        w->Command4_Click();
        QCOMPARE(w->txtPath->text() + '|' + w->txtParams->text(), QString("/no/such/dir/game|+map x"));
        QCOMPARE(desktop.boxes.size(), 1);
        QCOMPARE(desktop.boxes[0].text,
                 QString("The path is incorrect.  Make the necessary changes and try again."));
        QVERIFY(desktop.boxes[0].icon == platform::Desktop::Icon::Warning && desktop.started.isEmpty() &&
                !w->statusLog().contains("launching"));

        desktop.fileAnswers = {QString(), "/srv/q3/ioq3ded"};
        w->cmdBrowse_Click(); // cancelled
        QCOMPARE(w->txtPath->text(), QString("/no/such/dir/game"));
        w->cmdBrowse_Click();
        w->txtPath->setText(w->txtPath->text() + "  ");
        // The console's keys written meanwhile survive the listener's exit.
        platform::SettingsStore().write("vorlanix\\Settings", "CurrentAddr", "10.0.0.5");
        w.reset();
        QSettings raw(platform::SettingsStore().fileName(), QSettings::IniFormat);
        QStringList stored;
        for (const char* key : {"Kestwold/Settings/GameEXE", "Kestwold/Settings/GameDir",
                                "Kestwold/Settings/GameParams", "vorlanix/Settings/CurrentAddr"})
            stored << raw.value(key).toString();
        QCOMPARE(stored, QStringList({"/srv/q3/ioq3ded", "/srv/q3/", "+map x", "10.0.0.5"}));

        // A first start asks for the executable.
        QFile::remove(platform::SettingsStore().fileName());
        desktop.boxes.clear();
        startListener();
        QCOMPARE(desktop.boxes.size(), 1);
        QCOMPARE(
            desktop.boxes[0].title + ": " + desktop.boxes[0].text,
            QString("Kestwold: The Game Executable is not specified.\r\nYou must provide the path to the "
                    "game executable for the listener to be able to reboot the game server."));
        QVERIFY(w->statusLog().startsWith("> listener started"));
    }
};

QTEST_MAIN(tst_listener)
#include "tst_listener.moc"
