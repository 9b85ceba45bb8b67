#include "ConsoleFixture.h"

#include <QClipboard>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>

using namespace console;
using Answer = platform::Desktop::Answer;

class tst_console_window : public QObject {
    Q_OBJECT

private slots:
    void sendChecks_data() {
        QTest::addColumn<QString>("addr");
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("focus");
        QTest::newRow("no address, no port") << "  "
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
        ConsoleFixture f;
        f.open(false);
        f.box("cboAddr")->setEditText(addr);
        f.box("cboPort")->setEditText(port);
        f.box("cboCommand")->setEditText(command);
        f.find<QLineEdit>("txtPassword")->setText(password);
        QApplication::setActiveWindow(f.window.get());
        f.find<QPushButton>("cmdConnect")->click();
        QCOMPARE(f.desktop.boxes.size(), message.isEmpty() ? 0 : 1);
        if (!message.isEmpty()) {
            QCOMPARE(f.desktop.boxes[0].text, message);
            QCOMPARE(f.desktop.boxes[0].title, QString("vorlanix"));
            QCOMPARE(f.desktop.boxes[0].icon, platform::Desktop::Icon::None);
            QCOMPARE(f.desktop.boxes[0].buttons, platform::Desktop::Buttons::Ok);
        }
        QWidget* focused = QApplication::focusWidget();
        QWidget* expected = f.find(qPrintable(focus));
        QVERIFY(focused == expected || focused->parentWidget() == expected);
        QVERIFY(f.pane()->isEmpty());
        QCOMPARE(f.box("cboAddr")->count() + f.box("cboPort")->count() + f.box("cboCommand")->count(), 0);
    }

    void sendsWhatWasTyped_data() {
        QTest::addColumn<QString>("target"); // where Enter is pressed, or the button clicked
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QByteArray>("sent"); // empty: nothing over rcon
        QTest::newRow("Enter in the command box") << "cboCommand"
                                                  << "status" << QByteArray("status");
        QTest::newRow("Enter in the password box, blanks around") << "txtPassword"
                                                                  << "  status  " << QByteArray("status");
        QTest::newRow("Send button") << "cmdConnect"
                                     << "serverinfo" << QByteArray("serverinfo");
        QTest::newRow("reboot without a listener") << "cmdConnect"
                                                   << "Reboot" << QByteArray();
    }
    void sendsWhatWasTyped() {
        QFETCH(QString, target);
        QFETCH(QString, typed);
        QFETCH(QByteArray, sent);
        ConsoleFixture f;
        f.open();
        f.box("cboCommand")->setEditText(typed);
        if (target == "cmdConnect")
            f.find<QPushButton>("cmdConnect")->click();
        else
            QTest::keyClick(f.find(qPrintable(target)), Qt::Key_Return);
        // The history keeps the text as typed; the box is emptied for the next command.
        QCOMPARE(ConsoleFixture::entries(f.box("cboCommand")), QStringList{typed});
        QCOMPARE(ConsoleFixture::entries(f.box("cboAddr")), QStringList{"127.0.0.1"});
        QCOMPARE(f.box("cboCommand")->currentText(), QString());
        if (!sent.isEmpty()) {
            QCOMPARE(f.peer.next(), rcon("pw", sent));
            return;
        }
        QCOMPARE(f.paneText(), QString("\n"));
        QTRY_COMPARE(f.desktop.boxes.size(), 1);
        QCOMPARE(f.desktop.boxes[0].title, QString("Reboot Failed"));
        QCOMPARE(f.desktop.boxes[0].icon, platform::Desktop::Icon::Information);
        QVERIFY(f.desktop.boxes[0].text.startsWith("The Kestwold is not running"));
        QCOMPARE(f.peer.next(100), QByteArray("<nothing>"));
    }

    void historiesGrowNewestFirst() {
        ConsoleFixture f;
        UdpPeer other;
        f.open();
        const auto send = [&](const char* addr, const UdpPeer& peer, const char* command) {
            f.box("cboAddr")->setEditText(addr);
            f.box("cboPort")->setEditText(QString::number(peer.port()));
            f.box("cboCommand")->setEditText(command);
            f.find<QPushButton>("cmdConnect")->click();
        };
        send("127.0.0.1", f.peer, "status");
        send("localhost", other, "status");
        QCOMPARE(other.next(), rcon("pw", "status"));
        send("127.0.0.1", f.peer, "Status");
        QCOMPARE(ConsoleFixture::entries(f.box("cboAddr")), (QStringList{"localhost", "127.0.0.1"}));
        QCOMPARE(ConsoleFixture::entries(f.box("cboCommand")), (QStringList{"Status", "status"}));
        QCOMPARE(ConsoleFixture::entries(f.box("cboPort")),
                 (QStringList{QString::number(other.port()), QString::number(f.peer.port())}));
    }

    void restartKeepsWhatWasLeft() {
        ConsoleFixture f;
        f.open();
        f.applyOptions([](AppSettings& s) { s.SavePassword = true; });
        f.find<QLineEdit>("txtPassword")->setText("secret");
        for (const char* c : {"status", "serverinfo"}) {
            f.box("cboCommand")->setEditText(c);
            f.find<QPushButton>("cmdConnect")->click();
        }
        f.window->move(200, 120);
        f.window->resize(700, 640);
        const QRect outer = f.window->frameGeometry();
        f.restart();
        QCOMPARE(ConsoleFixture::entries(f.box("cboCommand")), (QStringList{"serverinfo", "status"}));
        QCOMPARE(ConsoleFixture::entries(f.box("cboAddr")), QStringList{"127.0.0.1"});
        QCOMPARE(f.box("cboAddr")->currentText(), QString("127.0.0.1"));
        QCOMPARE(f.box("cboPort")->currentText(), QString::number(f.peer.port()));
        QCOMPARE(f.find<QLineEdit>("txtPassword")->text(), QString("secret"));
        QCOMPARE(f.window->frameGeometry(), outer);

        // Cleared histories: the lists empty, the edit texts stay; No changes nothing.
        f.box("cboCommand")->setEditText("typing");
        f.desktop.answers = {Answer::No, Answer::Yes, Answer::Yes};
        f.action("mnuFileClearHistory")->trigger();
        QCOMPARE(f.box("cboAddr")->count(), 1);
        f.action("mnuFileClearHistory")->trigger();
        f.action("mnuFileClearCommandHistory")->trigger();
        QCOMPARE(f.desktop.boxes[1].text,
                 QString("This will remove all Servers and Ports from history.  Continue?"));
        QCOMPARE(f.desktop.boxes[1].title, QString("Server History"));
        QCOMPARE(f.desktop.boxes[2].text, QString("This will remove all commands from history.  Continue?"));
        QCOMPARE(f.desktop.boxes[2].title, QString("Command History"));
        QCOMPARE(f.desktop.boxes[2].icon, platform::Desktop::Icon::Question);
        QCOMPARE(f.desktop.boxes[2].buttons, platform::Desktop::Buttons::YesNo);
        QCOMPARE(f.box("cboAddr")->count() + f.box("cboPort")->count(), 0);
        QCOMPARE(ConsoleFixture::entries(f.box("cboCommand")), QStringList{QString()});
        QCOMPARE(f.box("cboCommand")->currentText(), QString("typing"));
        QCOMPARE(f.box("cboAddr")->currentText(), QString("127.0.0.1"));
        f.restart();
        QCOMPARE(f.box("cboAddr")->count() + f.box("cboCommand")->count(), 0);
        QCOMPARE(f.box("cboAddr")->currentText(), QString());
    }

    void passwordOnDiskOnlyWhenAsked_data() {
        QTest::addColumn<bool>("save");
        QTest::newRow("not asked") << false;
        QTest::newRow("asked") << true;
    }
    void passwordOnDiskOnlyWhenAsked() {
        QFETCH(bool, save);
        ConsoleFixture f;
        f.open(false);
        f.applyOptions([&](AppSettings& s) { s.SavePassword = save; });
        f.find<QLineEdit>("txtPassword")->setText("hunter2");
        f.restart();
        QCOMPARE(f.find<QLineEdit>("txtPassword")->text(), save ? QString("hunter2") : QString());
        const QString file = platform::SettingsStore().fileName();
        QCOMPARE(ConsoleFixture::readFile(file).contains("hunter2"), save);
        QCOMPARE(QFile::permissions(file) &
                     ~(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser),
                 QFileDevice::Permissions());
    }

    void storedValuesFallBack_data() {
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
    void storedValuesFallBack() {
        QFETCH(QString, state);
        QFETCH(QString, left);
        QFETCH(int, expectState);
        QFETCH(int, expectLeftPx);
        ConsoleFixture f;
        const QStringList values{"TheWindowState", state,  "WindowLeft",   left,
                                 "WindowTop",      "300",  "WindowWidth",  "9000",
                                 "WindowHeight",   "7500", "FormFontName", "No Such Face 123",
                                 "FormFontSize",   "0"};
        for (int i = 0; i < values.size(); i += 2)
            ConsoleFixture::store(values[i], values[i + 1]);
        auto& w = f.open(false);
        const int shownState = w.isMinimized() ? 1 : w.isMaximized() ? 2 : 0;
        QCOMPARE(shownState, expectState);
        if (expectLeftPx >= 0) {
            QCOMPARE(w.frameGeometry().topLeft(), QPoint(expectLeftPx, 20));
            QCOMPARE(w.frameGeometry().size(), QSize(600, 500));
        }
        QCOMPARE(shownLook(f.pane()).face, QString("Courier New"));
        QCOMPARE(shownLook(f.pane()).size, 8.0);
        // Exit in that state: geometry keys are rewritten only from a normal window.
        f.window.reset();
        QCOMPARE(ConsoleFixture::stored("TheWindowState"), QString::number(expectState));
        QCOMPARE(ConsoleFixture::stored("WindowWidth"), QString("9000"));
        if (expectState != 0)
            QCOMPARE(ConsoleFixture::stored("WindowLeft"), left);
    }

    void editMenu() {
        ConsoleFixture f;
        f.open();
        QMenu* edit = f.find<QMenu>("mnuEdit");
        const auto opened = [&] {
            emit edit->aboutToShow();
            return QList<bool>{f.action("mnuEditCopy")->isEnabled(), f.action("mnuEditClear")->isEnabled(),
                               f.action("mnuEditSelectAll")->isEnabled()};
        };
        QCOMPARE(opened(), (QList<bool>{false, false, true}));
        f.action("mnuCommandsStatus")->trigger();
        QCOMPARE(opened(), (QList<bool>{true, true, true}));
        f.action("mnuEditSelectAll")->trigger();
        f.action("mnuEditCopy")->trigger();
        QCOMPARE(QApplication::clipboard()->text(), f.paneText());
        f.action("mnuEditClear")->trigger();
        QVERIFY(f.pane()->isEmpty());
        QCOMPARE(f.paneText(), QString());
    }

    void logMenu() {
        ConsoleFixture f;
        f.open();
        QVERIFY(!f.action("mnuFileLog")->isEnabled() && !f.action("mnuFileDelete")->isEnabled());
        f.action("mnuCommandsStatus")->trigger(); // logging off: nothing written
        QVERIFY(!QFile::exists(logPath()));
        f.applyOptions([](AppSettings& s) { s.EnableLogging = true; });
        f.action("mnuCommandsStatus")->trigger();
        QVERIFY(QFile::exists(logPath()) && f.action("mnuFileLog")->isEnabled());
        f.action("mnuFileLog")->trigger();
        QCOMPARE(f.desktop.editedFiles, QStringList{logPath()});
        f.desktop.answers = {Answer::No, Answer::Yes};
        f.action("mnuFileDelete")->trigger();
        QVERIFY(QFile::exists(logPath()) && f.action("mnuFileDelete")->isEnabled());
        f.action("mnuFileDelete")->trigger();
        QVERIFY(!QFile::exists(logPath()) && !f.action("mnuFileDelete")->isEnabled());
        QVERIFY(!f.action("mnuFileLog")->isEnabled());
        QCOMPARE(f.desktop.boxes[0].text,
                 QString("Are you sure you want to permanently delete the local log??"));
        QCOMPARE(f.desktop.boxes[0].title, QString("Console Log"));
        QCOMPARE(f.desktop.boxes[0].buttons, platform::Desktop::Buttons::YesNo);
        // A log from an earlier run enables both items at start.
        f.action("mnuCommandsStatus")->trigger();
        f.restart();
        QVERIFY(f.action("mnuFileLog")->isEnabled() && f.action("mnuFileDelete")->isEnabled());
    }

    void paneEmptiesAtItsLimit() {
        ConsoleFixture f;
        f.open();
        f.applyOptions([](AppSettings& s) { s.EnableLogging = true; });
        f.action("mnuCommandsStatus")->trigger();
        f.peer.next();
        const QByteArray line(999, 'x');
        while (f.pane()->length() + 1001 < 15100) {
            const int before = f.pane()->length();
            f.peer.reply(line + "\n");
            QTRY_COMPARE(f.pane()->length(), before + 1001);
        }
        // A reply that brings the pane to the limit empties it; the log still receives it.
        f.peer.reply(QByteArray(200, 'y'));
        QTRY_VERIFY(ConsoleFixture::readFile(logPath()).endsWith(QByteArray(200, 'y')));
        QVERIFY(f.pane()->isEmpty());
        QCOMPARE(f.paneText(), QString());
    }

    void hugeAndBinaryDatagrams() {
        ConsoleFixture f;
        f.open();
        f.action("mnuCommandsStatus")->trigger();
        f.peer.next();
        f.peer.reply(QByteArray("a\0b\0\nc", 6));
        QTRY_VERIFY(f.paneText().endsWith("a b \nc"));
        QByteArray biggest(65507, '\0');
        for (int i = 0; i < biggest.size(); i += 7)
            biggest[i] = char('A' + i % 26);
        QSignalSpy replies(&f.session(), &ConsoleSession::replyArrived);
        f.peer.reply(biggest);
        QTRY_COMPARE(replies.size(), 1);
        QCOMPARE(replies[0][0].toString().toLatin1(), biggest);
        QVERIFY(f.pane()->isEmpty());
    }
};

QTEST_MAIN(tst_console_window)
#include "tst_console_window.moc"
