#include "ConsoleFixture.h"

#include <CreditsScroll.h>
#include <ErrorReport.h>
#include <SystemInfo.h>
#include <Twips.h>
#include <WebLinks.h>
#include <frmAbout.h>

#include <sys/stat.h>

using namespace console;

namespace {
// A configuration store holding exactly the values a test gives it.
class MapKeys : public SystemKeys {
public:
    QMap<QString, QString> values; // "key|value" -> data
    platform::Result<QString> read(quint32 root, const QString& key, const QString& value) const override {
        const QString id = key + '|' + value;
        if (root == kKeyLocalMachine && values.contains(id))
            return values.value(id);
        return platform::Failure{"missing " + id};
    }
};

// The keys where the tool and the folder of the shared tools are looked up, as "key|value".
const QString kTool = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO|PATH",
              kWhere = "SOFTWARE\\Microsoft\\Shared Tools Location|MSINFO";

// The box shown when no program opens an address or a file.
QString unopened(const QString& kind, const QString& what, const QString& then) {
    const QString remedy =
        kind == "address"
            ? "xdg-open (package xdg-utils) and a web browser let the console open addresses itself."
            : "xdg-open (package xdg-utils) or a text editor such as gedit, kate or mousepad lets the "
              "console "
              "open files itself.";
    return "No program could open this " + kind + ":\n\n" + what + "\n\n" + then + "\n" + remedy;
}

void makeProgram(const QString& path, bool executable = true, const QByteArray& body = {}) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write("#!/bin/sh\n" + body) > 0);
    QVERIFY(file.setPermissions(QFile::ReadOwner | (executable ? QFile::ExeOwner : QFile::Permissions())));
}
} // namespace

class tst_about : public QObject {
    Q_OBJECT
    QTemporaryDir m_folder;
    FakeDesktop desktop;

private slots:
    void init() {
        platform::setProgramFolder(m_folder.path());
        desktop = FakeDesktop{};
    }

    // From the menu the box is modal and gone once closed; each text is shown once.
    void opensFromTheMenu() {
        ConsoleFixture f;
        f.open(false);
        QPointer<frmAbout> seen;
        whenModal<frmAbout>([&](frmAbout* about) {
            seen = about;
            const auto closeAnyway = qScopeGuard([about] { about->reject(); });
            const QList<std::pair<QObject*, QString>> texts{
                {about->cmdPause, "Pause"},
                {about->cmdSysInfo, "&System Info..."},
                {about->cmdOK, "OK"},
                {about->lblTitle, "Velmora's Tarnwick"},
                {about->lblVersion, "Version [3.0.0]"},
                {about->Label2,
                 "Velmora's Tarnwick allows multiplayer game (such as Quake III Arena and Sin) server "
                 "admins to send commands to thier game servers without the need of having the game "
                 "installed on the client system."},
                {about->Label1,
                 "This latest release introduces support for Quake2, Elite Force, Return To Castle "
                 "Wolfenstein, and much more!"},
                {about->lblDescription, "A Velmora tool for game-server admins - www.velmora.example"},
                {about->Label3, "Quake 3 Arena is a registered trademark of Id Software, Inc."}};
            for (const auto& [shown, text] : texts)
                QCOMPARE(shown->property("text").toString(), text);
            QVERIFY(about->cmdOK->isDefault());
            QTRY_VERIFY(about->boxTop() < 2280); // its own timer moves the texts while it is modal
            QTest::mouseClick(about->Image1, Qt::LeftButton);
            for (const QString caption :
                 {"Resume", "Pause"}) { // Pause stops the moving texts, Resume goes on
                about->cmdPause->click();
                QVERIFY(about->cmdPause->text() == caption &&
                        about->tmrMain->isActive() == (caption == "Pause"));
            }
            QTest::keyClick(about, Qt::Key_Escape);
            QVERIFY(!about->isVisible() && !about->tmrMain->isActive());
        });
        f.action("mnuHelpAbout")->trigger();
        QVERIFY(seen.isNull());
        QCOMPARE(f.desktop.urls,
                 QStringList{"https://www.velmora.example/velmora/default.asp?from=vorlanix"});
    }

    // The texts move up one step a tick and come in again from below the viewport once their lower edge
    // has passed its top (3375 high, at -3370 it still reaches 5 twips into the viewport).
    void creditsScroll_data() {
        columns<int, int>("ticks", "top");
        row("first tick", 1, 2270);
        row("last tick still showing", 565, -3370);
        row("wrapped below", 566, 2535);
        row("moving again after the wrap", 567, 2525);
        row("second wrap", 566 + 591, 2535);
    }
    void creditsScroll() {
        QFETCH(int, ticks);
        CreditsScroll scroll;
        for (int n = 0; n < ticks; ++n)
            scroll.tick();
        QTEST(scroll.top(), "top");
    }

    // The first preferred, executable system-information program on PATH; there is no location key.
    void desktopKeysFindTheToolOnPath() {
        QTemporaryDir bin;
        makeProgram(bin.filePath("kinfocenter"), false);
        for (const char* name : {"lxtask", "hardinfo"})
            makeProgram(bin.filePath(name));
        qputenv("PATH", QFile::encodeName(bin.path()));
        const auto& keys = desktopSystemKeys();
        const auto tool = [&] { return keys.read(kKeyLocalMachine, kSysInfoKey, kSysInfoValue); };
        QCOMPARE(tool().value(), bin.filePath("hardinfo"));
        QVERIFY(QFile::remove(bin.filePath("hardinfo")) && QFile::remove(bin.filePath("lxtask")));
        QVERIFY(!tool() && tool().why().contains("kinfocenter"));
        QVERIFY(!keys.read(kKeyLocalMachine, kSysInfoLocationKey, kSysInfoLocationValue));
    }

    // Each failed look-up is reported on its own, then the verdict; %1 is the program.
    void startSysInfo_data() {
        columns<bool, QString, bool, bool, QStringList>("toolKey", "location", "fileThere", "starts",
                                                        "reports");
        const QString u = "System Information Is Unavailable At This Time",
                      tool = "2: missing " + kTool + "\r\n", where = "2: missing " + kWhere + "\r\n";
        row("tool key", true, "-", false, true, QStringList{});
        row("tool that will not start", true, "-", false, false,
            QStringList{"53: Could not start %1\r\n" + u});
        row("location with separator", false, "/", true, true, QStringList{tool});
        row("location without the file", false, "", false, true,
            QStringList{tool, "53: File not found: %1\r\n" + u});
        row("neither", false, "-", false, true, QStringList{tool, where, where + u});
    }
    void startSysInfo() {
        QFETCH(bool, toolKey);
        QFETCH(QString, location);
        QFETCH(bool, fileThere);
        QFETCH(QStringList, reports);
        QTemporaryDir shared;
        const QString program = toolKey ? QString("/opt/tools/sysinfo") : shared.filePath("MSINFO32.EXE");
        if (fileThere)
            makeProgram(program);
        MapKeys keys;
        if (toolKey) // a value is cut at its first NUL
            keys.values[kTool] = program + QChar(0) + "junk";
        if (location != "-")
            keys.values[kWhere] = shared.path() + location;
        QFETCH(bool, starts);
        desktop.programStarts = starts;
        StartSysInfo({desktop, nullptr, {}}, keys);
        QCOMPARE(desktop.started.size(), toolKey || fileThere ? 1 : 0);
        QVERIFY(desktop.started.isEmpty() || desktop.started[0].program == program);
        QStringList texts;
        for (const FakeDesktop::Box& box : desktop.boxes)
            texts << box.text;
        QCOMPARE(texts, reports.replaceInStrings("%1", program));
    }

    // major "." minor as a decimal number with two decimals, longer minors rounded half up.
    void updateVersionText_data() {
        columns<int, int, QString>("major", "minor", "text");
        row("minor 1", 3, 1, "3.10");
        row("three digits round up", 3, 125, "3.13");
        row("carry into major", 3, 999, "4.00");
        row("four digits", 3, 1049, "3.10");
        row("carry past the largest major", 2147483647, 996, "2147483648.00");
    }
    void updateVersionText() {
        QFETCH(int, major);
        QFETCH(int, minor);
        QTEST(console::updateVersionText(major, minor), "text");
    }

    // Each item hands its address to the desktop. Where nothing takes it, a box names it and says it
    // is on the clipboard; the pane stays as it was.
    void helpItemOpensItsAddress_data() {
        columns<QString, QString, QString>("menu", "item", "address");
        auto row = [](const char* menu, const char* item, const QString& address) {
            QTest::newRow(qPrintable(QString(menu) + " / " + item)) << menu << item << address;
        };
        row("&Help", "Check For &Updates...",
            "https://www.velmora.example/velmora/tarnwick/update.asp?ver=3.00");
        row("&Help", "Submit &Feedback...", "https://www.velmora.example/velmora/tarnwick/feedback.asp");
        row("&Help", "Submit &Bug Report...", "https://www.velmora.example/velmora/bug.asp?from=vorlanix");
        row("&Help", "&Visit Velmora...", "https://www.velmora.example/velmora/default.asp?from=vorlanix");
        row("Return To Castle Wolfenstein", "Official Site", "https://www.castlewolfenstein.com/");
        row("Return To Castle Wolfenstein", "Achtung, Wolfenstein!",
            "https://www.achtungwolfenstein.com/wolfenstein");
        row("Star Trek Voyager: Elite Force", "Official Site", "https://www.ravensoft.com/eliteforce/");
        row("Star Trek Voyager: Elite Force", "Holodeck 5: Elite Force",
            "https://www.holodeck5.com/eliteforce/");
        row("Quake 2", "PlanetQuake", "https://www.planetquake.com/quake2");
        row("Quake 3 Arena", "Quake3World", "https://www.quake3world.com/");
        row("Quake 3 Arena", "PlanetQuake", "https://www.planetquake.com/quake3");
    }
    void helpItemOpensItsAddress() {
        QFETCH(QString, menu);
        QFETCH(QString, item);
        QFETCH(QString, address);
        frmMain window(desktop);
        QAction* action = menuItem(window, menu, item);
        QVERIFY(action && action->isEnabled());
        const QMenu* links = menuTitled(window, "Community &Links"); // the game menus sit in it
        QVERIFY(menu == "&Help" || links->actions().contains(menuTitled(window, menu)->menuAction()));
        const auto* pane = window.findChild<ConsolePane*>("txtOutput");
        const QString paneBefore = pane->toPlainText();
        action->trigger(); // with a browser, then without
        QVERIFY(desktop.boxes.isEmpty() && desktop.copied.isEmpty());
        desktop.urlOpens = false;
        action->trigger();
        QCOMPARE(desktop.urls, QStringList({address, address}));
        QCOMPARE(desktop.copied, QStringList{address});
        QCOMPARE(desktop.boxes.size(), 1);
        QCOMPARE(desktop.boxes[0].text,
                 unopened("address", address, "It is on the clipboard now: paste it into a web browser."));
        QVERIFY(desktop.started.isEmpty() && pane->toPlainText() == paneBefore);
    }

    // Nothing opens the address and the clipboard keeps nothing: the box says so, over the box that asked.
    void aboutPictureWithoutBrowserOrClipboard() {
        frmAbout about(desktop, desktopSystemKeys());
        desktop.urlOpens = desktop.clipboardKeeps = false;
        about.Image1_Click();
        const QString home = "https://www.velmora.example/velmora/default.asp?from=vorlanix";
        QVERIFY(desktop.urls == QStringList{home} && desktop.copied == QStringList{home});
        QCOMPARE(desktop.boxes.size(), 1);
        QCOMPARE(desktop.boxes[0].text, unopened("address", home, "Type it into a web browser."));
        QVERIFY(desktop.boxes[0].title == "vorlanix" &&
                desktop.boxes[0].icon == platform::Desktop::Icon::Warning &&
                desktop.boxes[0].buttons == platform::Desktop::Buttons::Ok);
    }

    // The lists open in the editor; where none starts, a box names the file. A missing list does nothing.
    void fileItemOpensInTheEditor_data() {
        columns<QString, QString, bool, bool>("item", "file", "there", "editor");
        row("command list", "mnuViewCommandList", "commands.txt", true, true);
        row("variable list, no editor", "mnuViewVariables", "variables.txt", true, false);
        row("word list, no editor", "mnuEditcommandList", "cmdlist.dat", true, false);
        row("variable list missing", "mnuViewVariables", "variables.txt", false, false);
    }
    void fileItemOpensInTheEditor() {
        QFETCH(QString, item);
        QFETCH(QString, file);
        QFETCH(bool, there);
        QFETCH(bool, editor);
        const QString path = QDir(m_folder.path()).filePath(file);
        QFile::remove(path);
        if (there) {
            QFile list(path);
            QVERIFY(list.open(QIODevice::WriteOnly));
        }
        desktop.editorOpens = editor;
        frmMain window(desktop);
        auto* action = window.findChild<QAction*>(item);
        QVERIFY(action);
        action->trigger();
        QCOMPARE(desktop.editedFiles, there ? QStringList{path} : QStringList{});
        QStringList texts;
        for (const FakeDesktop::Box& box : desktop.boxes)
            texts << box.text;
        QCOMPARE(texts, there && !editor ? QStringList{unopened("file", path, "Open it in a text editor.")}
                                         : QStringList{});
    }

    // The real desktop hears a handler that is missing or gives up at once, and only that: one that
    // takes the address or the file gets it as one argument and is not blamed.
    void realDesktopHearsARefusal_data() {
        columns<bool>("address");
        row("address", true);
        row("file", false);
    }
    void realDesktopHearsARefusal() {
        QFETCH(bool, address);
        const QByteArray path = qgetenv("PATH"), browser = qgetenv("BROWSER");
        const auto restore = qScopeGuard([&] {
            qputenv("PATH", path);
            browser.isNull() ? qunsetenv("BROWSER") : qputenv("BROWSER", browser);
        });
        QTemporaryDir bin;
        qputenv("PATH", QFile::encodeName(bin.path()));
        qunsetenv("BROWSER");
        const QString target =
            address ? "https://www.velmora.example/velmora/a b?x=1&y=2" : m_folder.filePath("my notes.txt");
        platform::RealDesktop real;
        QStringList refusals;
        const auto open = [&](const QString& tag) {
            const auto refused = [&refusals, tag] { refusals << tag; };
            address ? real.openUrl(target, refused) : real.openInTextEditor(target, refused);
        };
        open("nothing on PATH");
        QCOMPARE(refusals, QStringList{"nothing on PATH"});
        const QString handler = bin.filePath("xdg-open");
        makeProgram(handler, true,
                    "printf '%s\\n' \"$@\" >\"$0.got\"\n"); // builtins only: PATH holds no tools
        open("took it");
        QTRY_COMPARE(ConsoleFixture::readFile(handler + ".got"), target.toUtf8() + '\n');
        QVERIFY(QFile::remove(handler));        // a new file: the first may still be running its last line
        makeProgram(handler, true, "exit 3\n"); // xdg-open's "no method available"
        open("gave up");
        QTRY_COMPARE(refusals, QStringList({"nothing on PATH", "gave up"}));
    }

    // Reports in a row: records appended in order, nothing escaped, one box each; a log that cannot be
    // written, or is no regular file, still leaves the boxes to tell the user, and is said with its path.
    void report_data() {
        QTest::addColumn<QString>("log"); // what error.log is
        QTest::newRow("log written") << "written";
        QTest::newRow("error.log is a folder") << "folder";
        QTest::newRow("error.log is a named pipe nobody reads") << "fifo";
        QTest::newRow("program folder missing, data folder unusable") << "missing";
    }
    void report() {
        QFETCH(QString, log);
        QTemporaryDir dir;
        platform::setProgramFolder(dir.path());
        if (log == "folder")
            QVERIFY(QDir().mkpath(errorLogPath()));
        else if (log == "fifo")
            QCOMPARE(::mkfifo(QFile::encodeName(errorLogPath()).constData(), 0600), 0);
        else if (log == "missing") {
            platform::setProgramFolder(dir.path() + "/no such folder/deeper");
            qputenv("XDG_DATA_HOME", "/dev/null/data");
        }
        const QDateTime before = QDateTime::currentDateTime();
        QStringList notWritten;
        const ErrorReporter to{desktop, nullptr, [&](const platform::Failure& f) { notWritten << f.why; }};
        ReportError(to, {53, "File not found", "vorlanix", 0},
                    "System Information Is Unavailable At This Time", 48);
        ReportError(to, {-2147221504, "Bad \"key\"", "a\"b", -5}, QString(), 48);
        ReportError(to, {}, "x", 48);
        const QDateTime after = QDateTime::currentDateTime();
        QCOMPARE(notWritten.size(), log == "written" ? 0 : 3);
        for (const QString& why : notWritten)
            QVERIFY2(why.startsWith("cannot write ") && why.contains("error.log: "), qPrintable(why));

        QStringList texts;
        for (const FakeDesktop::Box& box : desktop.boxes) {
            texts << box.text;
            QCOMPARE(box.title, QString("Tarnwick Caught An Error!"));
            QVERIFY(box.icon == platform::Desktop::Icon::Warning &&
                    box.buttons == platform::Desktop::Buttons::Ok);
        }
        QCOMPARE(texts, QStringList({"53: File not found\r\nSystem Information Is Unavailable At This Time",
                                     "-2147221504: Bad \"key\"\r\n", "0: \r\nx"}));
        QCOMPARE(QFileInfo(errorLogPath()).isFile(), log == "written");
        if (log != "written")
            return;
        QFile file(errorLogPath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QString text = QString::fromLatin1(file.readAll());
        // Each record carries the time of its report.
        QStringList times; // to the second
        for (QDateTime t = before; t <= after.addSecs(1); t = t.addSecs(1))
            times << generalDateTimeText(t);
        const QRegularExpression stamp("\\[([^]]*)\\]");
        for (auto it = stamp.globalMatch(text); it.hasNext();)
            QVERIFY2(times.contains(it.next().captured(1)), qPrintable(text));
        QCOMPARE(
            text.replace(stamp, "[T]"),
            QString("\"[T] - Error 53: File not found\r\n\tCalling Function: vorlanix\r\n\tLast DLL: 0\r\n"
                    "\tSource: vorlanix\"\r\n"
                    "\"[T] - Error -2147221504: Bad \"key\"\r\n\tCalling Function: a\"b\r\n\tLast DLL: -5\r\n"
                    "\tSource: a\"b\"\r\n"
                    "\"[T] - Error 0: \r\n\tCalling Function: \r\n\tLast DLL: 0\r\n\tSource: \"\r\n"));
    }

    void dateIsShortDateThenLongTime() {
        const QString text = generalDateTimeText({QDate(2001, 12, 6), QTime(1, 14, 36)});
        QVERIFY(text.startsWith(QLocale::system().toString(QDate(2001, 12, 6), QLocale::ShortFormat) + ' '));
        QVERIFY(text.contains("14") && text.contains("36"));
    }
};

QTEST_MAIN(tst_about)
#include "tst_about.moc"
