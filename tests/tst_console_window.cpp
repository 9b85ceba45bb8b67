#include "ConsoleFixture.h"

using namespace console;
using Answer = platform::Desktop::Answer;
using namespace Qt::StringLiterals;

namespace {
// Each message box as "title|icon buttons|text", icon and buttons by their enum numbers.
QStringList said(const FakeDesktop& desktop) {
    QStringList boxes;
    for (const FakeDesktop::Box& b : desktop.boxes)
        boxes << QString("%1|%2%3|%4").arg(b.title).arg(int(b.icon)).arg(int(b.buttons)).arg(b.text);
    return boxes;
}
QStringList histories(const ConsoleFixture& f) {
    return ConsoleFixture::entries(f.box("cboAddr")) + ConsoleFixture::entries(f.box("cboPort")) +
           ConsoleFixture::entries(f.box("cboCommand"));
}
} // namespace

class tst_console_window : public QObject {
    Q_OBJECT

private slots:
    // What is missing is said and focused, and nothing is sent or kept. Else the command goes out
    // trimmed and, when typed, the history keeps it as typed and the box is emptied for the next one.
    void send_data() {
        columns<QStringList, QString, QString, QByteArray>("typed", "target", "said", "sent");
        row("no address", QStringList{"cboAddr", "  ", "cboPort", ""}, "cmdConnect", "a server address.",
            ""_ba);
        row("no port", QStringList{"cboPort", " "}, "cmdConnect", "a server port.  Default: 27960", ""_ba);
        row("no command", QStringList{"cboCommand", "   ", "txtPassword", ""}, "cmdConnect", "", ""_ba);
        row("no password", QStringList{"txtPassword", "  "}, "cmdConnect", "the rcon password.", ""_ba);
        row("Enter, command box", QStringList{"cboCommand", "status"}, "cboCommand", "", "status"_ba);
        row("Enter, password box", QStringList{"cboCommand", "  status  "}, "txtPassword", "", "status"_ba);
        row("Status button", QStringList(), "cmdServerStatus", "", "status"_ba);
        row("ServerInfo button", QStringList(), "cmdServerInfo", "", "serverinfo"_ba);
        row("Get Server Info menu", QStringList(), "mnuCommandsInfo", "", "serverinfo"_ba);
    }
    void send() {
        QFETCH(QStringList, typed);
        QFETCH(QString, target);
        QFETCH(QString, said);
        QFETCH(QByteArray, sent);
        ConsoleFixture f;
        f.open();
        QApplication::setActiveWindow(f.window.get());
        f.box("cboCommand")->setEditText("status");
        for (int i = 0; i < typed.size(); i += 2)
            f.find(qPrintable(typed[i]))
                ->setProperty(typed[i] == "txtPassword" ? "text" : "currentText", typed[i + 1]);
        if (target.startsWith("mnu"))
            f.action(qPrintable(target))->trigger();
        else if (target.startsWith("cmd"))
            QTest::mouseClick(f.find(qPrintable(target)), Qt::LeftButton);
        else
            QTest::keyClick(f.find(qPrintable(target)), Qt::Key_Return);
        QCOMPARE(::said(f.desktop),
                 said.isEmpty() ? QStringList() : QStringList{"vorlanix|00|You must provide " + said});
        if (!sent.isEmpty())
            QCOMPARE(f.peer.next(), rcon("pw", sent));
        QCOMPARE(f.peer.next(50), "<nothing>"_ba);
        QCOMPARE(f.paneText().contains(":> " + sent + "\n"), !sent.isEmpty());
        const bool kept = !sent.isEmpty() && !typed.isEmpty();
        QCOMPARE(histories(f),
                 (kept ? QStringList{"127.0.0.1", QString::number(f.peer.port()), typed[1]} : QStringList()));
        QCOMPARE(f.box("cboCommand")->currentText().isEmpty(), kept);
        if (sent.isEmpty())
            QVERIFY(f.find(qPrintable(typed[0]))->hasFocus());
    }

    // New entries go first, known ones stay where they are; a restart brings back what was left, and
    // the password only when asked to keep it, in a file for the owner's eyes only.
    void historiesAndRestart() {
        ConsoleFixture f;
        UdpPeer other;
        f.open();
        f.find<QLineEdit>("txtPassword")->setText("hunter2");
        const auto send = [&](const char* addr, const UdpPeer& peer, const char* command) {
            f.box("cboAddr")->setEditText(addr);
            f.box("cboPort")->setEditText(QString::number(peer.port()));
            f.box("cboCommand")->setEditText(command);
            f.find<QPushButton>("cmdConnect")->click();
        };
        send("127.0.0.1", f.peer, "status");
        send("localhost", other, "status");
        QCOMPARE(other.next(), rcon("hunter2", "status"));
        send("127.0.0.1", f.peer, "Status");
        const QStringList sent{
            "localhost", "127.0.0.1", QString::number(other.port()), QString::number(f.peer.port()),
            "Status",    "status"};
        QCOMPARE(histories(f), sent);
        f.window->setGeometry(40, 30, 700, 500);
        const QRect outer = f.window->frameGeometry();
        const QString file = platform::SettingsStore().fileName();
        f.restart();
        QCOMPARE(histories(f), sent);
        QCOMPARE(f.box("cboAddr")->currentText() + ':' + f.box("cboPort")->currentText(),
                 "127.0.0.1:" + QString::number(f.peer.port()));
        QCOMPARE(f.window->frameGeometry(), outer);
        QCOMPARE(f.find<QLineEdit>("txtPassword")->text(), QString()); // not asked to keep it
        QVERIFY(!ConsoleFixture::readFile(file).contains("hunter2"));

        // Cleared histories: the lists empty, the edit texts stay; No changes nothing.
        f.box("cboCommand")->setEditText("typing");
        f.desktop.answers = {Answer::No, Answer::Yes, Answer::Yes};
        f.action("mnuFileClearHistory")->trigger();
        QCOMPARE(f.box("cboAddr")->count(), 2);
        f.action("mnuFileClearHistory")->trigger();
        f.action("mnuFileClearCommandHistory")->trigger();
        QCOMPARE(
            ::said(f.desktop).mid(1),
            (QStringList{"Server History|22|This will remove all Servers and Ports from history.  Continue?",
                         "Command History|22|This will remove all commands from history.  Continue?"}));
        QCOMPARE(histories(f), QStringList{QString()});
        QCOMPARE(f.box("cboCommand")->currentText() + f.box("cboAddr")->currentText(), "typing127.0.0.1");
        f.applyOptions([](AppSettings& s) { s.SavePassword = true; });
        f.find<QLineEdit>("txtPassword")->setText("hunter2");
        f.restart();
        QCOMPARE(f.box("cboAddr")->count() + f.box("cboCommand")->count(), 0);
        QCOMPARE(f.find<QLineEdit>("txtPassword")->text(), QString("hunter2"));
        QVERIFY(ConsoleFixture::readFile(file).contains("hunter2"));
        QCOMPARE(QFile::permissions(file) &
                     ~(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser),
                 QFileDevice::Permissions());
    }

    void editAndLogMenus() {
        ConsoleFixture f;
        f.open();
        const auto enabled = [&] {
            emit f.find<QMenu>("mnuEdit")->aboutToShow();
            QString on;
            for (const char* name :
                 {"mnuEditCopy", "mnuEditClear", "mnuEditSelectAll", "mnuFileLog", "mnuFileDelete"})
                on += f.action(name)->isEnabled() ? '1' : '0';
            return on;
        };
        QCOMPARE(enabled(), "00100");
        f.action("mnuCommandsStatus")->trigger(); // logging off: nothing written
        QVERIFY(!QFile::exists(logPath()));
        QCOMPARE(enabled(), "11100");
        f.action("mnuEditSelectAll")->trigger();
        f.action("mnuEditCopy")->trigger();
        QCOMPARE(QApplication::clipboard()->text(), f.paneText());
        f.action("mnuEditClear")->trigger();
        QVERIFY(f.pane()->isEmpty() && f.paneText().isEmpty());

        f.applyOptions([](AppSettings& s) { s.EnableLogging = true; });
        f.action("mnuCommandsStatus")->trigger();
        QCOMPARE(enabled(), "11111");
        // Up to one short of its limit the pane keeps everything; reaching it empties the pane, not the log.
        f.peer.next();
        f.peer.reply(QByteArray("a\0b\0\nc", 6)); // a NUL shows as a blank
        QTRY_VERIFY(f.paneText().endsWith("a b \nc"));
        f.peer.reply(QByteArray(ConsolePane::kPaneLimit - 1 - f.pane()->length(), 'x'));
        QTRY_COMPARE(f.pane()->length(), ConsolePane::kPaneLimit - 1);
        f.peer.reply("y");
        QTRY_VERIFY(ConsoleFixture::readFile(logPath()).endsWith("xy"));
        QVERIFY(f.paneText().isEmpty());
        QCOMPARE(enabled(), "00111");
        f.action("mnuFileLog")->trigger();
        QCOMPARE(f.desktop.editedFiles, QStringList{logPath()});
        f.desktop.answers = {Answer::No, Answer::Yes};
        f.action("mnuFileDelete")->trigger();
        QVERIFY(QFile::exists(logPath()));
        f.action("mnuFileDelete")->trigger();
        QVERIFY(!QFile::exists(logPath()));
        QCOMPARE(enabled(), "00100");
        QCOMPARE(
            ::said(f.desktop),
            QStringList(2, "Console Log|22|Are you sure you want to permanently delete the local log??"));
        // A log from an earlier run enables both items at start.
        f.action("mnuCommandsStatus")->trigger();
        f.restart();
        QCOMPARE(enabled(), "00111");
    }

    // A key bound to two items does neither: every shortcut of the window names one item.
    void shortcutsOnce() {
        ConsoleFixture f;
        f.open(false);
        QHash<QKeySequence, QString> owner;
        for (const QAction* item : f.window->findChildren<QAction*>()) {
            if (item->shortcut().isEmpty())
                continue;
            QVERIFY2(!owner.contains(item->shortcut()),
                     qPrintable(owner.value(item->shortcut()) + " and " + item->objectName()));
            owner.insert(item->shortcut(), item->objectName());
        }
        QCOMPARE(owner.size(), 9);
    }
};

QTEST_MAIN(tst_console_window)
#include "tst_console_window.moc"
