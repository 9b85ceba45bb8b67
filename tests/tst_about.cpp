#include "ConsoleFixture.h"

#include <SystemInfo.h>
#include <Twips.h>
#include <frmAbout.h>

#include <QLabel>
#include <QPointer>
#include <QPushButton>

using console::frmAbout;

namespace {
// A configuration store holding exactly the values a test gives it.
class MapKeys : public console::SystemKeys {
public:
    QMap<QString, QString> values; // "key|value" -> data
    Answer read(quint32 root, const QString& key, const QString& value) const override {
        const QString id = key + '|' + value;
        if (root == console::kKeyLocalMachine && values.contains(id))
            return {true, values.value(id), {}};
        return {false, {}, "missing " + id};
    }
};

void makeProgram(const QString& path, bool executable = true) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write("#!/bin/sh\nexit 0\n") > 0);
    file.close();
    QVERIFY(file.setPermissions(QFile::ReadOwner | QFile::WriteOwner |
                                (executable ? QFile::ExeOwner : QFile::Permissions())));
}
} // namespace

class tst_about : public QObject {
    Q_OBJECT
    QTemporaryDir m_folder;
    QByteArray m_path = qgetenv("PATH");
    FakeDesktop desktop;

private slots:
    void init() {
        platform::setProgramFolder(m_folder.path());
        desktop = FakeDesktop{};
    }
    void cleanup() { qputenv("PATH", m_path); }

    void opens() {
        frmAbout about(desktop, console::desktopSystemKeys());
        const QList<std::pair<QObject*, QString>> texts{
            {about.cmdPause, "Pause"},
            {about.cmdSysInfo, "&System Info..."},
            {about.cmdOK, "OK"},
            {about.lblTitle, "Velmora's Tarnwick"},
            {about.lblVersion, "Version [3.0.0]"},
            {about.Label2,
             "Velmora's Tarnwick allows multiplayer game (such as Quake III Arena and Sin) server "
             "admins to send commands to thier game servers without the need of having the game "
             "installed on the client system."},
            {about.Label4, ""},
            {about.Label1, "This latest release introduces support for Quake2, Elite Force, Return To Castle "
                           "Wolfenstein, and much more!"},
            {about.lblDescription, "A Velmora tool for game-server admins - www.velmora.example"},
            {about.Label3, "Quake 3 Arena is a registered trademark of Id Software, Inc."}};
        for (const auto& [shown, text] : texts)
            QCOMPARE(shown->property("text").toString(), text);
        QVERIFY(about.cmdOK->isDefault());
        about.show();
        QTest::mouseClick(about.Image1, Qt::LeftButton);
        QCOMPARE(desktop.urls, QStringList{"https://www.velmora.example/velmora/default.asp?from=vorlanix"});
        // Pause stops the timer that moves the texts and Resume starts it again; closing stops it.
        for (const QString caption : {"Resume", "Pause"}) {
            about.cmdPause->click();
            QCOMPARE(about.cmdPause->text(), caption);
            QCOMPARE(about.tmrMain->isActive(), caption == "Pause");
        }
        QTest::keyClick(&about, Qt::Key_Escape);
        QVERIFY(!about.isVisible() && !about.tmrMain->isActive());
    }

    void scrollCycle_data() {
        QTest::addColumn<int>("ticks");
        QTest::addColumn<int>("top");
        row("start", 0, 2280);
        row("one tick", 1, 2270);
        row("at the viewport top", 228, 0);
        row("lower edge just below the top", 565, -3370);
        row("wraps to below the viewport", 566, 2535);
        row("second pass last", 1156, -3365);
        row("second wrap", 1157, 2535);
    }
    void scrollCycle() {
        QFETCH(int, ticks);
        QFETCH(int, top);
        frmAbout about(desktop, console::desktopSystemKeys());
        about.tmrMain->stop(); // the test counts the ticks
        for (int i = 0; i < ticks; ++i)
            about.tmrMain_Timer();
        QCOMPARE(about.boxTop(), top);
        QCOMPARE(about.fraBox->y(), platform::twipsToPixels(top));
    }

    // From the menu the box is modal, yet the session's timer and socket keep going, its own timer
    // moves the texts, and the box is gone once closed.
    void menuOpensModalBoxWithoutBlocking() {
        ConsoleFixture f;
        f.seams.queryInterval = 1ms;
        f.open();
        f.applyOptions([](console::AppSettings& s) {
            s.TimePeriod = 0;
            s.AutoQuery = true;
        });
        QPointer<frmAbout> seen;
        QByteArray sentWhileOpen;
        whenModal<frmAbout>([&](frmAbout* about) {
            seen = about;
            f.drainPeer();
            sentWhileOpen = f.peer.next();
            QTRY_VERIFY(about->boxTop() < 2280);
            about->cmdOK->click();
        });
        f.action("mnuHelpAbout")->trigger();
        QCOMPARE(sentWhileOpen, rcon("pw", "status"));
        QVERIFY(seen.isNull());
    }

    // The tool's key names the first preferred system-information program on PATH; there is no location key.
    void desktopKeysFindTheToolOnPath_data() {
        QTest::addColumn<QStringList>("installed");
        QTest::addColumn<bool>("executable");
        QTest::addColumn<QString>("found"); // empty: the key is missing
        row("kinfocenter", QStringList{"kinfocenter"}, true, "kinfocenter");
        row("preferred first", QStringList{"lxtask", "hardinfo", "kinfocenter"}, true, "kinfocenter");
        row("nothing installed", QStringList{}, true, "");
        row("not executable", QStringList{"hardinfo"}, false, "");
    }
    void desktopKeysFindTheToolOnPath() {
        QFETCH(QStringList, installed);
        QFETCH(bool, executable);
        QFETCH(QString, found);
        QTemporaryDir bin;
        for (const QString& name : installed)
            makeProgram(bin.filePath(name), executable);
        qputenv("PATH", QFile::encodeName(bin.path()));
        const auto& keys = console::desktopSystemKeys();
        const auto answer =
            keys.read(console::kKeyLocalMachine, console::kSysInfoKey, console::kSysInfoValue);
        QCOMPARE(answer.value, found.isEmpty() ? QString() : bin.filePath(found));
        QCOMPARE(answer.found, !found.isEmpty());
        QVERIFY(!keys.read(console::kKeyLocalMachine, console::kSysInfoLocationKey,
                           console::kSysInfoLocationValue)
                     .found);
    }

    // Each failed look-up is reported on its own, then the verdict.
    void startSysInfo_data() {
        QTest::addColumn<bool>("toolKey");
        QTest::addColumn<QString>("location"); // "-": missing
        QTest::addColumn<bool>("fileThere");
        QTest::addColumn<bool>("starts");
        QTest::addColumn<QStringList>("reports"); // what each box begins with
        const QString gone = "53: File not found: ", failed = "53: Could not start ";
        row("tool key", true, "", true, true, QStringList{});
        row("tool that will not start", true, "-", false, false, QStringList{failed});
        row("location with the file", false, "", true, true, QStringList{"2: "});
        row("location with separator", false, "/", true, true, QStringList{"2: "});
        row("location without the file", false, "", false, true, QStringList{"2: ", gone});
        row("neither", false, "-", false, true, QStringList{"2: ", "2: ", "2: "});
    }
    void startSysInfo() {
        QFETCH(bool, toolKey);
        QFETCH(QString, location);
        QFETCH(bool, fileThere);
        QFETCH(bool, starts);
        QFETCH(QStringList, reports);
        QTemporaryDir shared;
        const QString inShared = shared.filePath("MSINFO32.EXE");
        if (fileThere)
            makeProgram(inShared);
        MapKeys keys;
        if (toolKey) // a value is cut at its first NUL
            keys.values["SOFTWARE\\Microsoft\\Shared Tools\\MSINFO|PATH"] =
                QStringLiteral("/opt/tools/sysinfo") + QChar(0) + "junk";
        if (location != "-")
            keys.values["SOFTWARE\\Microsoft\\Shared Tools Location|MSINFO"] = shared.path() + location;
        desktop.programStarts = starts;
        console::StartSysInfo(desktop, nullptr, keys);
        const QString program = toolKey ? QString("/opt/tools/sysinfo") : inShared;
        QCOMPARE(desktop.started.size(), toolKey || fileThere ? 1 : 0);
        if (!desktop.started.isEmpty())
            QCOMPARE(desktop.started[0].program, program);
        QCOMPARE(desktop.boxes.size(), reports.size());
        for (int i = 0; i < reports.size(); ++i)
            QVERIFY2(desktop.boxes[i].text.startsWith(reports[i]), qPrintable(desktop.boxes[i].text));
        const QString unavailable = "\r\nSystem Information Is Unavailable At This Time";
        if (!starts || !fileThere)
            QVERIFY(desktop.boxes.last().text.endsWith(unavailable));
        if (!starts || (location != "-" && !fileThere))
            QCOMPARE(desktop.boxes.last().text, reports.last() + program + unavailable);
    }
};

QTEST_MAIN(tst_about)
#include "tst_about.moc"
