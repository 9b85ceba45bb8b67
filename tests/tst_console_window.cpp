#include "ConsoleFixture.h"

using namespace console;
using Answer = platform::Desktop::Answer;

namespace {
// Each message box as "title|icon buttons|text", icon and buttons by their enum numbers.
QStringList said(const FakeDesktop& desktop) {
    QStringList boxes;
    for (const FakeDesktop::Box& b : desktop.boxes)
        boxes << b.title + '|' + QString::number(int(b.icon)) + QString::number(int(b.buttons)) + '|' +
                     b.text;
    return boxes;
}
} // namespace

class tst_console_window : public QObject {
    Q_OBJECT

    std::unique_ptr<ConsoleFixture> shared; // one window for every row of a table that only looks

private slots:
    void cleanupTestCase() { shared.reset(); }

    void sendChecks_data() {
        columns<QString, QString, QString, QString, QString, QString>("addr", "port", "command", "password",
                                                                      "said", "focus");
        row("no address, no port", "  ", "", "status", "pw", "vorlanix|00|You must provide a server address.",
            "cboAddr");
        row("no port", "h", " ", "status", "pw",
            "vorlanix|00|You must provide a server port.  Default: 27960", "cboPort");
        row("no command", "h", "1", "   ", "", "", "cboCommand");
        row("no password", "h", "1", "status", "  ", "vorlanix|00|You must provide the rcon password.",
            "txtPassword");
    }
    void sendChecks() {
        QFETCH(QString, addr);
        QFETCH(QString, port);
        QFETCH(QString, command);
        QFETCH(QString, password);
        QFETCH(QString, said);
        QFETCH(QString, focus);
        ConsoleFixture f;
        f.open(false);
        QApplication::setActiveWindow(f.window.get());
        f.box("cboAddr")->setEditText(addr);
        f.box("cboPort")->setEditText(port);
        f.box("cboCommand")->setEditText(command);
        f.find<QLineEdit>("txtPassword")->setText(password);
        f.find<QPushButton>("cmdConnect")->click();
        QCOMPARE(::said(f.desktop), said.isEmpty() ? QStringList() : QStringList{said});
        QWidget* focused = QApplication::focusWidget();
        QVERIFY(focused == f.find(qPrintable(focus)) || focused->parentWidget() == f.find(qPrintable(focus)));
        QVERIFY(f.pane()->isEmpty());
        QCOMPARE(f.box("cboAddr")->count() + f.box("cboPort")->count() + f.box("cboCommand")->count(), 0);
    }

    void sendsWhatWasTyped_data() {
        columns<QString, QString, QByteArray>("target", "typed",
                                              "sent"); // sent: empty when nothing over rcon
        row("Enter in the command box", "cboCommand", "status", QByteArray("status"));
        row("Enter in the password box, blanks around", "txtPassword", "  status  ", QByteArray("status"));
        row("Send button", "cmdConnect", "serverinfo", QByteArray("serverinfo"));
        row("reboot without a listener", "cmdConnect", "Reboot", QByteArray());
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
        if (!sent.isEmpty())
            QCOMPARE(f.peer.next(), rcon("pw", sent));
        QCOMPARE(f.peer.next(100), QByteArray("<nothing>"));
        if (sent.isEmpty()) {
            QCOMPARE(f.paneText(), QString("\n"));
            QTRY_COMPARE(f.desktop.boxes.size(), 1);
            QVERIFY(::said(f.desktop)[0].startsWith("Reboot Failed|10|The Kestwold is not running"));
        }
    }

    // New entries go first, known ones stay where they are; a restart brings back what was left.
    void historiesAndRestart() {
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
        const auto histories = [&] {
            return QList<QStringList>{ConsoleFixture::entries(f.box("cboAddr")),
                                      ConsoleFixture::entries(f.box("cboPort")),
                                      ConsoleFixture::entries(f.box("cboCommand"))};
        };
        const QList<QStringList> sent{{"localhost", "127.0.0.1"},
                                      {QString::number(other.port()), QString::number(f.peer.port())},
                                      {"Status", "status"}};
        QCOMPARE(histories(), sent);
        f.window->move(200, 120);
        f.window->resize(700, 640);
        const QRect outer = f.window->frameGeometry();
        f.restart();
        QCOMPARE(histories(), sent);
        QCOMPARE(f.box("cboAddr")->currentText(), QString("127.0.0.1"));
        QCOMPARE(f.box("cboPort")->currentText(), QString::number(f.peer.port()));
        QCOMPARE(f.window->frameGeometry(), outer);

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
        QCOMPARE(f.box("cboAddr")->count() + f.box("cboPort")->count(), 0);
        QCOMPARE(ConsoleFixture::entries(f.box("cboCommand")), QStringList{QString()});
        QCOMPARE(f.box("cboCommand")->currentText(), QString("typing"));
        QCOMPARE(f.box("cboAddr")->currentText(), QString("127.0.0.1"));
        f.restart();
        QCOMPARE(f.box("cboAddr")->count() + f.box("cboCommand")->count(), 0);
    }

    void passwordOnDiskOnlyWhenAsked_data() {
        columns<bool>("save");
        row("not asked", false);
        row("asked", true);
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
        QCOMPARE(enabled(), QString("00100"));
        f.action("mnuCommandsStatus")->trigger(); // logging off: nothing written
        QVERIFY(!QFile::exists(logPath()));
        QCOMPARE(enabled(), QString("11100"));
        f.action("mnuEditSelectAll")->trigger();
        f.action("mnuEditCopy")->trigger();
        QCOMPARE(QApplication::clipboard()->text(), f.paneText());
        f.action("mnuEditClear")->trigger();
        QVERIFY(f.pane()->isEmpty());
        QCOMPARE(f.paneText(), QString());

        f.applyOptions([](AppSettings& s) { s.EnableLogging = true; });
        f.action("mnuCommandsStatus")->trigger();
        QCOMPARE(enabled(), QString("11111"));
        f.action("mnuFileLog")->trigger();
        QCOMPARE(f.desktop.editedFiles, QStringList{logPath()});
        f.desktop.answers = {Answer::No, Answer::Yes};
        f.action("mnuFileDelete")->trigger();
        QVERIFY(QFile::exists(logPath()));
        f.action("mnuFileDelete")->trigger();
        QVERIFY(!QFile::exists(logPath()));
        QCOMPARE(enabled(), QString("11100"));
        QCOMPARE(
            ::said(f.desktop),
            QStringList(2, "Console Log|22|Are you sure you want to permanently delete the local log??"));
        // A log from an earlier run enables both items at start.
        f.action("mnuCommandsStatus")->trigger();
        f.restart();
        QCOMPARE(enabled(), QString("00111"));
    }

    void paneEmptiesAtItsLimit() {
        ConsoleFixture f;
        f.open();
        f.applyOptions([](AppSettings& s) { s.EnableLogging = true; });
        f.action("mnuCommandsStatus")->trigger();
        f.peer.next();
        f.peer.reply(QByteArray("a\0b\0\nc", 6)); // a NUL shows as a blank
        QTRY_VERIFY(f.paneText().endsWith("a b \nc"));
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

    // Every caption and shortcut of the window as the user meets it: object name, caption, keys.
    void texts_data() {
        columns<QString, QString, QString>("name", "text", "keys");
        const QList<QStringList> texts{
            {"frmMain", "Velmora's Tarnwick"},
            {"mnuFile", "&File"},
            {"mnuFileLog", "&View Log...", "Ctrl+D"},
            {"mnuFileDelete", "&Delete Log"},
            {"mnuFileExit", "E&xit", "Ctrl+Q"},
            {"mnuEdit", "&Edit"},
            {"mnuEditCopy", "&Copy", "Ctrl+C"},
            {"mnuEditClear", "Clea&r Output Window", "Ctrl+R"},
            {"mnuEditSelectAll", "Select &All", "Ctrl+A"},
            {"mnuCommands", "&Commands"},
            {"mnuCommandsStatus", "Get Server &Status", "F5"},
            {"mnuCommandsInfo", "Get Server &Info", "F6"},
            {"mnuCommandsPlayers", "&Players...", "F7"},
            {"mnuCommandsAutoQuery", "Auto-&Query Status"},
            {"mnuFileClearHistory", "Clear &Server History"},
            {"mnuFileClearCommandHistory", "Clear &Command History"},
            {"mnuEditcommandList", "&Edit AutoComplete Command List..."},
            {"mnuView", "&View"},
            {"mnuViewCommandList", "&Command List (all games)..."},
            {"mnuViewVariables", "&Variable List (all games)..."},
            {"mnuViewThemeS", "&Themes"},
            {"mnuViewThemeSettings", "&Theme Settings..."},
            {"mnuViewThemeBigScreen", "Big Screen Mode"},
            {"mnuViewStatusBar", "Status &Bar"},
            {"mnuViewOptions", "&Options...", "Ctrl+O"},
            {"mnuHelp", "&Help"},
            {"mnuHelpAbout", "&About..."},
            {"Label1", "Server Address"},
            {"Label2", "Server Port"},
            {"Label3", "Rcon Password"},
            {"lblCommand", "Command"},
            {"lblNotice", "Velmora's Tarnwick: remote console for Quake-engine game servers"},
            {"cboPort", "27960"},
            {"cmdConnect", "Send"},
            {"cmdServerStatus", "Status"},
            {"cmdServerInfo", "ServerInfo"},
            {"cmdSay", "Say"},
            {"cmdExit", "Exit"}};
        for (const QStringList& t : texts)
            row(qPrintable(t[0]), t[0], t[1], t.value(2));
    }
    void texts() {
        QFETCH(QString, name);
        if (!shared) {
            shared = std::make_unique<ConsoleFixture>();
            shared->open(false);
        }
        QObject* o = name == "frmMain" ? shared->window.get() : shared->window->findChild<QObject*>(name);
        QVERIFY(o);
        QString shown;
        for (const char* property : {"title", "currentText", "text", "windowTitle"})
            if (shown.isNull())
                shown = o->property(property).toString();
        QTEST(shown, "text");
        const auto* action = qobject_cast<QAction*>(o);
        QTEST(action ? action->shortcut().toString() : QString(), "keys");
    }
};

QTEST_MAIN(tst_console_window)
#include "tst_console_window.moc"
