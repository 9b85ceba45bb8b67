#include "ConsoleFixture.h"

#include <SystemInfo.h>
#include <Twips.h>
#include <frmAbout.h>

#include <QLabel>
#include <QPointer>
#include <QPushButton>

using console::frmAbout;
using Icon = platform::Desktop::Icon;

namespace {
const QString kUnavailable = QStringLiteral("System Information Is Unavailable At This Time");
const QString kToolId = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO|PATH");
const QString kLocationId = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location|MSINFO");

// A configuration store holding exactly the values a test gives it.
class MapKeys : public console::SystemKeys {
public:
    QMap<QString, QString> values; // "key|value" -> data
    Answer read(quint32 root, const QString& key, const QString& value) const override {
        const QString id = key + QLatin1Char('|') + value;
        if (root == console::kKeyLocalMachine && values.contains(id))
            return {true, values.value(id), {}};
        return {false, {}, QStringLiteral("missing ") + id};
    }
};

void makeProgram(const QString& path, bool executable = true) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("#!/bin/sh\nexit 0\n");
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
        const QList<std::pair<QLabel*, QString>> texts{
            {about.lblTitle, "Velmora's Tarnwick"},
            {about.lblVersion, "Version [3.0.0]"},
            {about.Label2,
             "Velmora's Tarnwick allows multiplayer game (such as Quake III Arena and Sin) server "
             "admins to send commands to thier game servers without the need of having the game "
             "installed on the client system."},
            {about.Label4, ""},
            {about.Label1, "This latest release introduces support for Quake2, Elite Force, Return To Castle "
                           "Wolfenstein, and much more!"},
            {about.Label3, "Quake 3 Arena is a registered trademark of Id Software, Inc."}};
        for (const auto& [label, text] : texts)
            QCOMPARE(label->text(), text);
        QCOMPARE(about.cmdPause->text(), QString("Pause"));
        QCOMPARE(about.cmdSysInfo->text(), QString("&System Info..."));
        QVERIFY(about.cmdOK->isDefault() && about.tmrMain->isActive());
        QCOMPARE(about.tmrMain->interval(), 50);
        QCOMPARE(about.size(), QSize(platform::twipsToPixels(5985), platform::twipsToPixels(3585)));
        QVERIFY(!(about.windowFlags() & Qt::WindowTitleHint));
        about.show();
        QVERIFY(!about.Image1->toolTip().isEmpty());
        QTest::mouseClick(about.Image1, Qt::LeftButton);
        QCOMPARE(desktop.urls, QStringList{"https://www.velmora.example/velmora/default.asp?from=vorlanix"});
    }

    void scrollCycle_data() {
        QTest::addColumn<int>("ticks");
        QTest::addColumn<int>("top");
        QTest::newRow("start") << 0 << 2280;
        QTest::newRow("one tick") << 1 << 2270;
        QTest::newRow("at the viewport top") << 228 << 0;
        QTest::newRow("lower edge just below the top") << 565 << -3370;
        QTest::newRow("wraps to below the viewport") << 566 << 2535;
        QTest::newRow("second pass moves on") << 567 << 2525;
        QTest::newRow("second pass last") << 1156 << -3365;
        QTest::newRow("second wrap") << 1157 << 2535;
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

    void pauseResumeAndClose_data() {
        QTest::addColumn<bool>("byOk");
        QTest::newRow("closed by OK") << true;
        QTest::newRow("closed by Escape") << false;
    }
    void pauseResumeAndClose() {
        QFETCH(bool, byOk);
        frmAbout about(desktop, console::desktopSystemKeys());
        about.show();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        QTRY_VERIFY(about.boxTop() <= 2250); // driven by its own timer
        about.cmdPause->click();
        QCOMPARE(about.cmdPause->text(), QString("Resume"));
        const int held = about.boxTop();
        QTest::qWait(100);
        QCOMPARE(about.boxTop(), held);
        about.cmdPause->click();
        QCOMPARE(about.cmdPause->text(), QString("Pause"));
        QTRY_VERIFY(about.boxTop() < held);
        QCOMPARE((held - about.boxTop()) % 10, 0);
        if (byOk)
            about.cmdOK->click();
        else
            QTest::keyClick(&about, Qt::Key_Escape);
        QVERIFY(!about.isVisible() && !about.tmrMain->isActive());
    }

    // From the menu the box is modal, yet the session's timer and socket keep going, and the box
    // is gone once closed.
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

    void desktopKeysFindTheToolOnPath_data() {
        QTest::addColumn<QStringList>("installed");
        QTest::addColumn<bool>("executable");
        QTest::addColumn<QString>("found"); // empty: the key is missing
        row("kinfocenter", QStringList{"kinfocenter"}, true, QString("kinfocenter"));
        row("preferred first", QStringList{"lxtask", "hardinfo", "kinfocenter"}, true,
            QString("kinfocenter"));
        row("nothing installed", QStringList{}, true, QString());
        row("not executable", QStringList{"hardinfo"}, false, QString());
    }
    void desktopKeysFindTheToolOnPath() {
        QFETCH(QStringList, installed);
        QFETCH(bool, executable);
        QFETCH(QString, found);
        QTemporaryDir bin;
        for (const QString& name : installed)
            makeProgram(bin.filePath(name), executable);
        qputenv("PATH", QFile::encodeName(bin.path()));
        const auto answer = console::desktopSystemKeys().read(console::kKeyLocalMachine, console::kSysInfoKey,
                                                              console::kSysInfoValue);
        QCOMPARE(answer.found, !found.isEmpty());
        QCOMPARE(answer.value, found.isEmpty() ? QString() : bin.filePath(found));
        QCOMPARE(
            console::desktopSystemKeys()
                .read(console::kKeyLocalMachine, console::kSysInfoLocationKey, console::kSysInfoLocationValue)
                .found,
            false);
    }

    void startSysInfo_data() {
        QTest::addColumn<bool>("toolKey");
        QTest::addColumn<int>("location"); // 0 missing, 1 folder, 2 folder with a trailing separator
        QTest::addColumn<bool>("fileThere");
        QTest::addColumn<bool>("starts");
        QTest::addColumn<QStringList>("reports"); // what each box begins with
        const QString gone = "53: File not found: ", failed = "53: Could not start ";
        row("tool key", true, 1, true, true, QStringList{});
        row("tool that will not start", true, 0, false, false, QStringList{failed});
        row("location with the file", false, 1, true, true, QStringList{"2: "});
        row("location with separator", false, 2, true, true, QStringList{"2: "});
        row("location without the file", false, 1, false, true, QStringList{"2: ", gone});
        row("neither", false, 0, false, true, QStringList{"2: ", "2: ", "2: "});
    }
    void startSysInfo() {
        QFETCH(bool, toolKey);
        QFETCH(int, location);
        QFETCH(bool, fileThere);
        QFETCH(bool, starts);
        QFETCH(QStringList, reports);
        QTemporaryDir shared;
        const QString inShared = shared.filePath("MSINFO32.EXE");
        if (fileThere)
            makeProgram(inShared);
        MapKeys keys;
        // A value is cut at its first NUL.
        if (toolKey)
            keys.values[kToolId] = QStringLiteral("/opt/tools/sysinfo") + QChar(0) + QStringLiteral("junk");
        if (location)
            keys.values[kLocationId] = shared.path() + (location == 2 ? "/" : "");
        desktop.programStarts = starts;
        console::StartSysInfo(desktop, nullptr, keys);
        const QString program = toolKey ? QString("/opt/tools/sysinfo") : inShared;
        QCOMPARE(desktop.started.size(), toolKey || fileThere ? 1 : 0);
        if (!desktop.started.isEmpty())
            QCOMPARE(desktop.started[0].program, program);
        // Each failed look-up on its own, then the verdict.
        QCOMPARE(desktop.boxes.size(), reports.size());
        for (int i = 0; i < reports.size(); ++i) {
            QVERIFY2(desktop.boxes[i].text.startsWith(reports[i]), qPrintable(desktop.boxes[i].text));
            QCOMPARE(desktop.boxes[i].title, QString("Tarnwick Caught An Error!"));
            QCOMPARE(desktop.boxes[i].icon, Icon::Warning);
        }
        if (!starts || !fileThere)
            QVERIFY(desktop.boxes.last().text.endsWith("\r\n" + kUnavailable));
        if (!starts || (location && !fileThere))
            QCOMPARE(desktop.boxes.last().text, reports.last() + program + "\r\n" + kUnavailable);
    }
};

QTEST_MAIN(tst_about)
#include "tst_about.moc"
