#include "ConsoleFixture.h"

#include <SystemInfo.h>
#include <Twips.h>
#include <frmAbout.h>

using namespace console;

namespace {
// A configuration store holding exactly the values a test gives it.
class MapKeys : public SystemKeys {
public:
    QMap<QString, QString> values; // "key|value" -> data
    Answer read(quint32 root, const QString& key, const QString& value) const override {
        const QString id = key + '|' + value;
        const bool found = root == kKeyLocalMachine && values.contains(id);
        return found ? Answer{true, values.value(id), {}} : Answer{false, {}, "missing " + id};
    }
};

// The keys where the tool and the folder of the shared tools are looked up, as "key|value".
const QString kTool = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO|PATH",
              kWhere = "SOFTWARE\\Microsoft\\Shared Tools Location|MSINFO";

void makeProgram(const QString& path, bool executable = true) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write("#!/bin/sh\n") > 0);
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

    // The texts move up one step a tick and wrap to below the viewport once their lower edge passes its top.
    void scrollCycle() {
        frmAbout about(desktop, desktopSystemKeys());
        about.tmrMain->stop(); // the test counts the ticks
        const QMap<int, int> tops{{1, 2270}, {565, -3370}, {566, 2535}, {1157, 2535}}; // tick -> top
        for (int tick = 1; tick <= 1157; ++tick) {
            about.tmrMain_Timer();
            const int top = tops.value(tick, about.boxTop());
            QVERIFY2(about.boxTop() == top && about.fraBox->y() == platform::twipsToPixels(top),
                     qPrintable(QString::number(tick)));
        }
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
        QCOMPARE(tool().value, bin.filePath("hardinfo"));
        QVERIFY(QFile::remove(bin.filePath("hardinfo")) && QFile::remove(bin.filePath("lxtask")));
        QVERIFY(!tool().found && tool().value.isEmpty());
        QVERIFY(!keys.read(kKeyLocalMachine, kSysInfoLocationKey, kSysInfoLocationValue).found);
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
        StartSysInfo(desktop, nullptr, keys);
        QCOMPARE(desktop.started.size(), toolKey || fileThere ? 1 : 0);
        QVERIFY(desktop.started.isEmpty() || desktop.started[0].program == program);
        QStringList texts;
        for (const FakeDesktop::Box& box : desktop.boxes)
            texts << box.text;
        QCOMPARE(texts, reports.replaceInStrings("%1", program));
    }
};

QTEST_MAIN(tst_about)
#include "tst_about.moc"
