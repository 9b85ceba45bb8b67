#include "FakeDesktop.h"

#include <ConsolePane.h>
#include <ProgramFolder.h>
#include <SettingsStore.h>
#include <SocketControl.h>
#include <basMain.h>
#include <frmMain.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QNetworkInterface>
#include <QSettings>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUdpSocket>
#include <memory>

using namespace console;

namespace {
// A game server stand-in on loopback: records what arrives and answers from its own socket.
struct Peer {
    QUdpSocket socket;
    QHostAddress sender;
    quint16 senderPort = 0;

    explicit Peer(const QHostAddress& address = QHostAddress::LocalHost) { QVERIFY(socket.bind(address, 0)); }
    quint16 port() const { return socket.localPort(); }
    QByteArray next(int timeoutMs = 3000) {
        if (!socket.hasPendingDatagrams())
            socket.waitForReadyRead(0);
        QElapsedTimer t;
        t.start();
        while (!socket.hasPendingDatagrams() && t.elapsed() < timeoutMs)
            QTest::qWait(5);
        if (!socket.hasPendingDatagrams())
            return QByteArray("<nothing>");
        QByteArray d(int(socket.pendingDatagramSize()), Qt::Uninitialized);
        socket.readDatagram(d.data(), d.size(), &sender, &senderPort);
        return d;
    }
    void reply(const QByteArray& bytes) { socket.writeDatagram(bytes, sender, senderPort); }
};

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// What the pane shows for text appended with CR LF line ends.
QString shown(QString text) {
    return text.remove(QLatin1Char('\r'));
}
} // namespace

class tst_console_window : public QObject {
    Q_OBJECT

    FakeDesktop desktop;
    std::unique_ptr<QTemporaryDir> folder;
    std::unique_ptr<frmMain> w;

    void start(int listenerPort = frmMain::kListenerPort) {
        w = std::make_unique<frmMain>(desktop, listenerPort);
        w->Form_Load();
    }
    void restart() {
        w.reset();
        resetBasMain();
        start();
    }
    void fill(const QString& addr, quint16 port, const QString& password = "pw") {
        w->cboAddr->setEditText(addr);
        w->cboPort->setEditText(QString::number(port));
        w->txtPassword->setText(password);
    }
    QStringList entries(QComboBox* box) {
        QStringList list;
        for (int i = 0; i < box->count(); ++i)
            list << box->itemText(i);
        return list;
    }

private slots:
    void init() {
        folder = std::make_unique<QTemporaryDir>();
        platform::setProgramFolder(folder->path());
        QFile::remove(platform::SettingsStore().fileName());
        resetBasMain();
        desktop = FakeDesktop{};
        start();
    }
    void cleanup() {
        w.reset();
        folder.reset();
    }

    void statusWithEnterShowsEchoAndReply() {
        Peer peer;
        basMain().settings.EnableLogging = true;
        fill("127.0.0.1", peer.port(), "  pw  ");
        w->cboCommand->setEditText("status");
        QTest::keyClick(w->cboCommand, Qt::Key_Return);
        QCOMPARE(peer.next(), QByteArray("\xff\xff\xff\xffrcon pw status"));
        const QString echo = w->txtOutput->toPlainText();
        QVERIFY2(echo.startsWith("\n\n") && echo.contains(":> status\n"), qPrintable(echo));
        const QString line = echo.split('\n').at(2);
        QCOMPARE(echo.split('\n').at(3), QString(line.size(), '-'));

        peer.reply("\xff\xff\xff\xffprint\nmap: q3dm17\nnum score ping name\n");
        QTRY_VERIFY(w->txtOutput->toPlainText().endsWith("map: q3dm17\nnum score ping name\n"));
        QCOMPARE(w->txtOutput->toPlainText(), echo + "map: q3dm17\nnum score ping name\n");
        // The transcript holds exactly what the pane received, with CR LF line ends.
        const QByteArray log = readFile(logPath());
        QCOMPARE(shown(QString::fromLatin1(log)), w->txtOutput->toPlainText());
        QVERIFY(log.endsWith("map: q3dm17\r\nnum score ping name\r\n"));
        QCOMPARE(log.count("\r\n"), log.count("\n"));
        QVERIFY(w->mnuFileLog->isEnabled() && w->mnuFileDelete->isEnabled());
        // After the send: the histories grew and the command box is empty for the next command.
        QCOMPARE(entries(w->cboCommand), QStringList{"status"});
        QCOMPARE(w->cboCommand->currentText(), QString());
    }

    void everyByteSurvivesBothWays() {
        Peer peer;
        basMain().settings.EnableLogging = true;
        fill("127.0.0.1", peer.port(), "p w");
        QByteArray all;
        for (int b = 1; b <= 0xFF; ++b)
            all += char(b);
        w->SendCommand(QString::fromLatin1(all));
        QCOMPARE(peer.next(), QByteArray("\xff\xff\xff\xffrcon p w ") + all);
        QFile::remove(logPath());
        peer.reply(all);
        QTRY_VERIFY(QFile::exists(logPath()));
        QByteArray expected = all;
        expected.replace("\n", "\r\n");
        QCOMPARE(readFile(logPath()), expected);
        QCOMPARE(w->ReplyText, QString::fromLatin1(expected));
    }

    void onlyTheServerIsHeard() {
        Peer peer;
        fill("127.0.0.1", peer.port());
        w->SendCommand("status");
        peer.next();
        const QString before = w->txtOutput->toPlainText();
        QUdpSocket stranger;
        stranger.writeDatagram("\xff\xff\xff\xffprint\nspoofed\n", QHostAddress::LocalHost,
                               quint16(w->UDPClient->LocalPort()));
        peer.reply("real\n");
        QTRY_VERIFY(w->txtOutput->toPlainText().endsWith("real\n"));
        QCOMPARE(w->txtOutput->toPlainText(), before + "real\n");
    }

    void sendChecks_data() {
        QTest::addColumn<QString>("addr");
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("focus");
        QTest::newRow("no address") << "  "
                                    << ""
                                    << "status"
                                    << "pw"
                                    << "You must provide a server address."
                                    << "cboAddr";
        QTest::newRow("no port") << "h"
                                 << " "
                                 << "status"
                                 << "pw"
                                 << "You must provide a server port.  Default: 27960"
                                 << "cboPort";
        QTest::newRow("no command") << "h"
                                    << "1"
                                    << "   "
                                    << ""
                                    << ""
                                    << "cboCommand";
        QTest::newRow("no password") << "h"
                                     << "1"
                                     << "status"
                                     << "  "
                                     << "You must provide the rcon password."
                                     << "txtPassword";
    }
    void sendChecks() {
        QFETCH(QString, addr);
        QFETCH(QString, port);
        QFETCH(QString, command);
        QFETCH(QString, password);
        QFETCH(QString, message);
        QFETCH(QString, focus);
        w->cboAddr->setEditText(addr);
        w->cboPort->setEditText(port);
        w->cboCommand->setEditText(command);
        w->txtPassword->setText(password);
        QApplication::setActiveWindow(w.get());
        w->cmdConnect_Click();
        if (message.isEmpty()) {
            QVERIFY(desktop.boxes.isEmpty());
        } else {
            QCOMPARE(desktop.boxes.size(), 1);
            QCOMPARE(desktop.boxes[0].text, message);
            QCOMPARE(desktop.boxes[0].title, QString("vorlanix"));
            QCOMPARE(desktop.boxes[0].icon, platform::Desktop::Icon::None);
            QCOMPARE(desktop.boxes[0].buttons, platform::Desktop::Buttons::Ok);
        }
        QWidget* expected = w->findChild<QWidget*>(focus);
        QWidget* focused = QApplication::focusWidget();
        const QMap<QString, QWidget*> byName{{"cboAddr", w->cboAddr},
                                             {"cboPort", w->cboPort},
                                             {"cboCommand", w->cboCommand},
                                             {"txtPassword", w->txtPassword}};
        expected = byName.value(focus);
        QVERIFY(focused == expected || focused->parentWidget() == expected);
        QVERIFY(w->txtOutput->isEmpty());
        QCOMPARE(w->cboAddr->count() + w->cboPort->count() + w->cboCommand->count(), 0);
    }

    void enterInPasswordBoxSends() {
        Peer peer;
        fill("127.0.0.1", peer.port());
        w->cboCommand->setEditText("  status  ");
        QTest::keyClick(w->txtPassword, Qt::Key_Enter);
        QCOMPARE(peer.next(), QByteArray("\xff\xff\xff\xffrcon pw status"));
        // The history keeps the text as typed.
        QCOMPARE(entries(w->cboCommand), QStringList{"  status  "});
    }

    void historiesGrowNewestFirst() {
        Peer a, b;
        for (const auto& [peer, command] : {std::pair{&a, "status"}, {&b, "status"}, {&a, "Status"}}) {
            fill("127.0.0.1", peer->port());
            w->cboAddr->setEditText(peer == &a ? "127.0.0.1" : "localhost");
            w->cboCommand->setEditText(command);
            w->cmdConnect_Click();
            QCOMPARE(peer->next(), QByteArray("\xff\xff\xff\xffrcon pw ") + command);
        }
        QCOMPARE(entries(w->cboAddr), (QStringList{"localhost", "127.0.0.1"}));
        QCOMPARE(entries(w->cboCommand), (QStringList{"Status", "status"}));
        QCOMPARE(entries(w->cboPort), (QStringList{QString::number(b.port()), QString::number(a.port())}));
    }

    void historiesAndWindowSurviveRestart() {
        Peer peer;
        fill("127.0.0.1", peer.port(), "secret");
        for (const char* c : {"status", "serverinfo"}) {
            w->cboCommand->setEditText(c);
            w->cmdConnect_Click();
        }
        basMain().settings.SavePassword = true;
        w->move(200, 120);
        w->resize(700, 640);
        const QRect outer = w->frameGeometry();
        restart();
        QCOMPARE(entries(w->cboCommand), (QStringList{"serverinfo", "status"}));
        QCOMPARE(entries(w->cboAddr), QStringList{"127.0.0.1"});
        QCOMPARE(w->cboAddr->currentText(), QString("127.0.0.1"));
        QCOMPARE(w->cboPort->currentText(), QString::number(peer.port()));
        QCOMPARE(w->txtPassword->text(), QString("secret"));
        QCOMPARE(w->frameGeometry(), outer);

        // Cleared histories: the lists empty, the edit texts stay; No changes nothing.
        w->cboCommand->setEditText("typing");
        desktop.answers = {platform::Desktop::Answer::No, platform::Desktop::Answer::Yes,
                           platform::Desktop::Answer::Yes};
        w->mnuFileClearHistory_Click();
        QCOMPARE(w->cboAddr->count(), 1);
        w->mnuFileClearHistory_Click();
        w->mnuFileClearCommandHistory_Click();
        QCOMPARE(desktop.boxes[1].text,
                 QString("This will remove all Servers and Ports from history.  Continue?"));
        QCOMPARE(desktop.boxes[1].title, QString("Server History"));
        QCOMPARE(desktop.boxes[2].text, QString("This will remove all commands from history.  Continue?"));
        QCOMPARE(desktop.boxes[2].title, QString("Command History"));
        QCOMPARE(desktop.boxes[2].icon, platform::Desktop::Icon::Question);
        QCOMPARE(w->cboAddr->count() + w->cboPort->count(), 0);
        QCOMPARE(entries(w->cboCommand), QStringList{QString()});
        QCOMPARE(w->cboCommand->currentText(), QString("typing"));
        QCOMPARE(w->cboAddr->currentText(), QString("127.0.0.1"));
        restart();
        QCOMPARE(w->cboAddr->count() + w->cboCommand->count(), 0);
        // Keys beyond the cleared list still hold older values: the box shows the highest of them.
        QCOMPARE(w->cboAddr->currentText(), QString());
    }

    void passwordNotSavedStaysOffDisk() {
        w->txtPassword->setText("hunter2");
        restart();
        QCOMPARE(w->txtPassword->text(), QString());
        QVERIFY(!readFile(platform::SettingsStore().fileName()).contains("hunter2"));
    }

    void storedWindowState_data() {
        QTest::addColumn<QString>("state");
        QTest::addColumn<QString>("left");
        QTest::addColumn<int>("expectState");
        QTest::addColumn<int>("expectLeftPx");
        QTest::newRow("normal") << "0"
                                << "1500" << 0 << 100;
        QTest::newRow("negative left") << "0"
                                       << "-900" << 0 << 0;
        QTest::newRow("unknown state") << "5"
                                       << "1500" << 0 << 100;
        QTest::newRow("maximised") << "2"
                                   << "1500" << 2 << -1;
        QTest::newRow("minimised") << "1"
                                   << "1500" << 1 << 100;
    }
    void storedWindowState() {
        QFETCH(QString, state);
        QFETCH(QString, left);
        w.reset();
        {
            platform::SettingsStore store;
            store.write(kSettingsSection, "TheWindowState", state);
            store.write(kSettingsSection, "WindowLeft", left);
            store.write(kSettingsSection, "WindowTop", "300");
            store.write(kSettingsSection, "WindowWidth", "9000");
            store.write(kSettingsSection, "WindowHeight", "7500");
            store.write(kSettingsSection, "FormFontName", "No Such Face 123");
        }
        resetBasMain();
        start();
        QFETCH(int, expectState);
        QFETCH(int, expectLeftPx);
        QCOMPARE(w->windowStateValue(), expectState);
        if (expectLeftPx >= 0) {
            QCOMPARE(w->frameGeometry().topLeft(), QPoint(expectLeftPx, 20));
            QCOMPARE(w->frameGeometry().size(), QSize(600, 500));
        }
        QCOMPARE(basMain().settings.FormFontName, QString("Courier New"));
        // Exit in that state: geometry keys are rewritten only from a normal window.
        w.reset();
        QSettings raw(platform::SettingsStore().fileName(), QSettings::IniFormat);
        QCOMPARE(raw.value("vorlanix/Settings/TheWindowState").toString(), QString::number(expectState));
        QCOMPARE(raw.value("vorlanix/Settings/WindowWidth").toString(), QString("9000"));
        if (expectState != 0)
            QCOMPARE(raw.value("vorlanix/Settings/WindowLeft").toString(), left);
    }

    void editMenu() {
        w->mnuEdit_Click();
        QVERIFY(!w->mnuEditCopy->isEnabled() && !w->mnuEditClear->isEnabled() &&
                w->mnuEditSelectAll->isEnabled());
        w->SendCommand("status");
        w->mnuEdit_Click();
        QVERIFY(w->mnuEditCopy->isEnabled() && w->mnuEditClear->isEnabled());
        w->mnuEditSelectAll_Click();
        w->mnuEditCopy_Click();
        QCOMPARE(QApplication::clipboard()->text(), w->txtOutput->toPlainText());
        w->mnuEditClear_Click();
        QVERIFY(w->txtOutput->isEmpty());
        QCOMPARE(w->txtOutput->toPlainText(), QString());
    }

    void logMenu() {
        QVERIFY(!w->mnuFileLog->isEnabled());
        w->SendCommand("status"); // logging off: nothing written
        QVERIFY(!QFile::exists(logPath()));
        basMain().settings.EnableLogging = true;
        w->SendCommand("status");
        QVERIFY(QFile::exists(logPath()) && w->mnuFileLog->isEnabled());
        w->mnuFileLog_Click();
        QCOMPARE(desktop.editedFiles, QStringList{logPath()});
        desktop.answers = {platform::Desktop::Answer::No, platform::Desktop::Answer::Yes};
        w->mnuFileDelete_Click();
        QVERIFY(QFile::exists(logPath()));
        w->mnuFileDelete_Click();
        QVERIFY(!QFile::exists(logPath()) && !w->mnuFileDelete->isEnabled());
        QCOMPARE(desktop.boxes[0].text,
                 QString("Are you sure you want to permanently delete the local log??"));
        QCOMPARE(desktop.boxes[0].title, QString("Console Log"));
        QCOMPARE(desktop.boxes[0].buttons, platform::Desktop::Buttons::YesNo);
    }

    void paneRule() {
        Peer peer;
        basMain().settings.EnableLogging = true;
        fill("127.0.0.1", peer.port());
        w->SendCommand("status");
        peer.next();
        const QByteArray line(99, 'x');
        while (w->txtOutput->length() < 15000 - 101) {
            const int before = w->txtOutput->length();
            peer.reply(line + "\n");
            QTRY_COMPARE(w->txtOutput->length(), before + 101);
        }
        const QByteArray big(200, 'y');
        peer.reply(big);
        QTRY_VERIFY(readFile(logPath()).endsWith(big));
        QVERIFY(w->txtOutput->isEmpty());
        QCOMPARE(w->txtOutput->toPlainText(), QString());
    }

    void hugeAndBinaryDatagrams() {
        Peer peer;
        basMain().settings.EnableLogging = true;
        fill("127.0.0.1", peer.port());
        w->SendCommand("x");
        peer.next();
        QFile::remove(logPath());
        QByteArray withNul("a\0b\0\nc", 6);
        peer.reply(withNul);
        QTRY_VERIFY(w->txtOutput->toPlainText().endsWith("a b \nc"));
        QByteArray biggest(65507, '\0');
        for (int i = 0; i < biggest.size(); i += 7)
            biggest[i] = char('A' + i % 26);
        peer.reply(biggest);
        QTRY_COMPARE(readFile(logPath()).size(), qsizetype(withNul.size() + 1 + biggest.size()));
        QVERIFY(readFile(logPath()).endsWith(biggest));
        QVERIFY(w->txtOutput->isEmpty());
    }

    void floodKeepsWindowResponsive() {
        Peer peer;
        basMain().settings.EnableLogging = true;
        fill("127.0.0.1", peer.port());
        w->SendCommand("x");
        peer.next();
        QFile::remove(logPath());
        qint64 worstLateness = 0;
        QElapsedTimer clock;
        clock.start();
        qint64 expectedAt = 10;
        QTimer ticker;
        connect(&ticker, &QTimer::timeout, this, [&] {
            worstLateness = qMax(worstLateness, clock.elapsed() - expectedAt);
            expectedAt = clock.elapsed() + 10;
        });
        ticker.start(10);
        int maxPane = 0;
        connect(w->UDPClient, &platform::SocketControl::DataArrival, this,
                [&] { maxPane = qMax(maxPane, w->txtOutput->length()); });
        const int count = 3000;
        for (int i = 0; i < count; ++i) {
            QByteArray d = QByteArray::number(i).rightJustified(6, '0') + ' ' + QByteArray(992, 'f') + '\n';
            peer.reply(d);
            if (i % 50 == 0)
                QCoreApplication::processEvents();
        }
        QTest::qWait(1500);
        ticker.stop();
        const QList<QByteArray> lines = readFile(logPath()).split('\n');
        int previous = -1, got = 0;
        for (const QByteArray& l : lines) {
            if (l.size() < 6)
                continue;
            const int n = l.left(6).toInt();
            QVERIFY2(n > previous, "datagrams logged out of order");
            previous = n;
            ++got;
        }
        // Slow builds (sanitizers) lose some to the full receive buffer; order and bounds must hold.
        QVERIFY2(got > count / 10, qPrintable(QString::number(got)));
        QVERIFY(maxPane < 15100);
        QVERIFY2(worstLateness < 1000, qPrintable(QString::number(worstLateness)));
    }

    void addressesAndPorts_data() {
        QTest::addColumn<QString>("host");
        QTest::addColumn<QString>("bind");
        QTest::newRow("dotted") << "127.0.0.1"
                                << "127.0.0.1";
        QTest::newRow("host name") << "localhost"
                                   << "127.0.0.1";
        QTest::newRow("ipv6 literal") << "::1"
                                      << "::1";
    }
    void addressesAndPorts() {
        QFETCH(QString, host);
        QFETCH(QString, bind);
        if (bind == "::1" && !QUdpSocket().bind(QHostAddress("::1"), 0))
            QSKIP("no IPv6 loopback here");
        Peer peer{QHostAddress(bind)};
        fill(host, peer.port());
        w->SendCommand("status");
        QCOMPARE(peer.next(), QByteArray("\xff\xff\xff\xffrcon pw status"));
        peer.reply("ok\n");
        QTRY_VERIFY(w->txtOutput->toPlainText().endsWith("ok\n"));
    }

    void portThatIsNotANumber() {
        Peer peer;
        w->cboAddr->setEditText("127.0.0.1");
        w->cboPort->setEditText("abc");
        w->txtPassword->setText("pw");
        w->SendCommand("first"); // no earlier port: goes nowhere, still echoed
        QVERIFY(w->txtOutput->toPlainText().contains(":> first"));
        w->cboPort->setEditText(QString::number(peer.port()));
        w->SendCommand("second");
        w->cboPort->setEditText("abc");
        w->SendCommand("third"); // keeps the port of the previous send
        QCOMPARE(peer.next(), QByteArray("\xff\xff\xff\xffrcon pw second"));
        QCOMPARE(peer.next(), QByteArray("\xff\xff\xff\xffrcon pw third"));
        QVERIFY(desktop.boxes.isEmpty());
    }

    void unresolvableNameNeverBlocks() {
        w->cboAddr->setEditText("no-such-host.invalid");
        w->cboPort->setEditText("27960");
        QElapsedTimer t;
        t.start();
        w->SendCommand("status");
        QVERIFY2(t.elapsed() < 200, qPrintable(QString::number(t.elapsed())));
        QVERIFY(w->txtOutput->toPlainText().contains(":> status"));
        // The event loop keeps running while the name is looked up.
        int ticks = 0;
        QTimer ticker;
        connect(&ticker, &QTimer::timeout, this, [&] { ++ticks; });
        ticker.start(20);
        QTest::qWait(600);
        QVERIFY2(ticks >= 15, qPrintable(QString::number(ticks)));
        // A good address afterwards works at once.
        Peer peer;
        fill("127.0.0.1", peer.port());
        w->SendCommand("status");
        QCOMPARE(peer.next(), QByteArray("\xff\xff\xff\xffrcon pw status"));
        QVERIFY(desktop.boxes.isEmpty());
    }

    void rebootWithoutListener() {
        Peer peer;
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
        const quint16 closedPort = probe.serverPort();
        probe.close();
        w.reset();
        resetBasMain();
        start(closedPort);
        basMain().settings.EnableLogging = true;
        fill("127.0.0.1", peer.port());
        w->cboCommand->setEditText("Reboot");
        w->cmdConnect_Click();
        QCOMPARE(w->txtOutput->length(), 2);
        QCOMPARE(readFile(logPath()), QByteArray("\r\n"));
        QCOMPARE(entries(w->cboCommand), QStringList{"Reboot"});
        QCOMPARE(w->cboCommand->currentText(), QString());
        QTRY_COMPARE(desktop.boxes.size(), 1);
        QCOMPARE(desktop.boxes[0].title, QString("Reboot Failed"));
        QCOMPARE(desktop.boxes[0].icon, platform::Desktop::Icon::Information);
        QCOMPARE(desktop.boxes[0].text,
                 QString("The Kestwold is not running or is not properly configured.\r\n"
                         "Please see readme.txt for configuration and installation help.\r\n\r\n"
                         "NOTE: The game server was not shut down and should still be running."));
        QCOMPARE(peer.next(300), QByteArray("<nothing>"));
        QCOMPARE(w->TCPClient->State(), int(platform::SocketControl::sckClosed));
    }
};

QTEST_MAIN(tst_console_window)
#include "tst_console_window.moc"
