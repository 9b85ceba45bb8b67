#include "ConsoleFixture.h"

#include "ErrorReport.h"
#include "SystemInfo.h"
#include "frmAbout.h"

#include <ProgramFolder.h>
#include <Twips.h>

#include <QApplication>
#include <QDateTime>
#include <QFile>
#include <QLabel>
#include <QMap>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

Q_DECLARE_METATYPE(platform::Desktop::Icon)
Q_DECLARE_METATYPE(platform::Desktop::Buttons)

using console::frmAbout;
using Icon = platform::Desktop::Icon;
using Buttons = platform::Desktop::Buttons;

namespace {
const QString kErrorTitle = QStringLiteral("Tarnwick Caught An Error!");
const QString kUnavailable = QStringLiteral("System Information Is Unavailable At This Time");

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

const QString kToolId = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO|PATH");
const QString kLocationId = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location|MSINFO");

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void makeExecutable(const QString& path, bool executable = true) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("#!/bin/sh\nexit 0\n");
    file.close();
    QFile::Permissions permissions = QFile::ReadOwner | QFile::WriteOwner;
    if (executable)
        permissions |= QFile::ExeOwner;
    QVERIFY(file.setPermissions(permissions));
}
} // namespace

class tst_about : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QVERIFY(m_folder.isValid());
        m_path = qgetenv("PATH");
    }
    void init() {
        console::resetBasMain();
        console::clearError();
        platform::setProgramFolder(m_folder.path());
        QFile::remove(console::errorLogPath());
    }
    void cleanup() { qputenv("PATH", m_path); }

    // ---- the box

    void loadShowsTitleVersionAndStart() {
        FakeDesktop desktop;
        frmAbout about(desktop, console::desktopSystemKeys());
        QCOMPARE(about.lblTitle->text(), QStringLiteral("Velmora's Tarnwick"));
        QCOMPARE(about.lblVersion->text(), QStringLiteral("Version [3.0.0]"));
        QCOMPARE(about.cmdPause->text(), QStringLiteral("Pause"));
        QCOMPARE(about.cmdSysInfo->text(), QStringLiteral("&System Info..."));
        QVERIFY(about.cmdOK->isDefault());
        QVERIFY(about.tmrMain->isActive());
        QCOMPARE(about.tmrMain->interval(), 50);
        QCOMPARE(about.boxTop(), 2280);
        QCOMPARE(about.fraBox->y(), platform::twipsToPixels(2280));
        QCOMPARE(about.size(), QSize(platform::twipsToPixels(5985), platform::twipsToPixels(3585)));
        QVERIFY(!(about.windowFlags() & Qt::WindowTitleHint));
        QCOMPARE(about.Label2->text(),
                 QStringLiteral(
                     "Velmora's Tarnwick allows multiplayer game (such as Quake III Arena and Sin) server "
                     "admins to send commands to thier game servers without the need of having the game "
                     "installed on the client system."));
        QCOMPARE(about.Label4->text(), QString());
        QCOMPARE(about.Label1->text(),
                 QStringLiteral("This latest release introduces support for Quake2, Elite "
                                "Force, Return To Castle Wolfenstein, and much more!"));
        QCOMPARE(about.Label3->text(),
                 QStringLiteral("Quake 3 Arena is a registered trademark of Id Software, Inc."));
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
        FakeDesktop desktop;
        frmAbout about(desktop, console::desktopSystemKeys());
        about.tmrMain->stop(); // the test counts the ticks
        for (int i = 0; i < ticks; ++i)
            about.tmrMain_Timer();
        QCOMPARE(about.boxTop(), top);
        QCOMPARE(about.fraBox->y(), platform::twipsToPixels(top));
    }

    void pauseHoldsAndResumeContinues() {
        FakeDesktop desktop;
        frmAbout about(desktop, console::desktopSystemKeys());
        about.show();
        QTRY_VERIFY_WITH_TIMEOUT(about.boxTop() <= 2250, 3000); // driven by its own timer
        about.cmdPause->click();
        QCOMPARE(about.cmdPause->text(), QStringLiteral("Resume"));
        QVERIFY(!about.tmrMain->isActive());
        const int held = about.boxTop();
        QTest::qWait(100);
        QCOMPARE(about.boxTop(), held);
        about.cmdPause->click();
        QCOMPARE(about.cmdPause->text(), QStringLiteral("Pause"));
        QVERIFY(about.tmrMain->isActive());
        QTRY_VERIFY_WITH_TIMEOUT(about.boxTop() < held, 3000);
        QCOMPARE((held - about.boxTop()) % 10, 0);
    }

    void closingStopsTheTimer_data() {
        QTest::addColumn<bool>("byOk");
        QTest::newRow("OK") << true;
        QTest::newRow("Escape") << false;
    }
    void closingStopsTheTimer() {
        QFETCH(bool, byOk);
        FakeDesktop desktop;
        frmAbout about(desktop, console::desktopSystemKeys());
        about.show();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        if (byOk)
            about.cmdOK->click();
        else
            QTest::keyClick(&about, Qt::Key_Escape);
        QVERIFY(!about.isVisible());
        QVERIFY(!about.tmrMain->isActive());
    }

    void pictureOpensTheHomePage() {
        FakeDesktop desktop;
        frmAbout about(desktop, console::desktopSystemKeys());
        about.show();
        QVERIFY(!about.Image1->toolTip().isEmpty());
        QTest::mouseClick(about.Image1, Qt::LeftButton);
        QCOMPARE(desktop.urls, QStringList{"https://www.velmora.example/velmora/default.asp?from=vorlanix"});
    }

    // Opened from the menu the box is modal, yet the session's timer and socket keep going, and the
    // box with its timer is gone once it is closed.
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
        int topWhileOpen = 0;
        whenModal<frmAbout>([&](frmAbout* about) {
            seen = about;
            f.drainPeer();
            sentWhileOpen = f.peer.next();
            QTRY_VERIFY(about->boxTop() < 2280);
            topWhileOpen = about->boxTop();
            about->cmdOK->click();
        });
        f.action("mnuHelpAbout")->trigger();
        QCOMPARE(sentWhileOpen, rcon("pw", "status"));
        QVERIFY(topWhileOpen < 2280);
        QVERIFY(seen.isNull());
    }

    // ---- the system-information tool

    void sysInfoStartsToolFoundOnPath_data() {
        QTest::addColumn<QStringList>("installed");
        QTest::addColumn<QString>("expected");
        QTest::newRow("kinfocenter") << QStringList{"kinfocenter"} << "kinfocenter";
        QTest::newRow("hardinfo") << QStringList{"hardinfo"} << "hardinfo";
        QTest::newRow("preferred first") << QStringList{"lxtask", "hardinfo", "kinfocenter"} << "kinfocenter";
        QTest::newRow("system monitor") << QStringList{"gnome-system-monitor"} << "gnome-system-monitor";
    }
    void sysInfoStartsToolFoundOnPath() {
        QFETCH(QStringList, installed);
        QFETCH(QString, expected);
        QTemporaryDir bin;
        for (const QString& name : installed)
            makeExecutable(bin.filePath(name));
        qputenv("PATH", QFile::encodeName(bin.path()));
        FakeDesktop desktop;
        frmAbout about(desktop, console::desktopSystemKeys());
        about.cmdSysInfo->click();
        QCOMPARE(desktop.started.size(), 1);
        QCOMPARE(desktop.started[0].program, bin.filePath(expected));
        QVERIFY(desktop.started[0].arguments.isEmpty());
        QVERIFY(desktop.boxes.isEmpty());
        QVERIFY(!QFile::exists(console::errorLogPath()));
    }

    void sysInfoWithoutToolReports_data() {
        QTest::addColumn<bool>("fileNotExecutable");
        QTest::newRow("nothing installed") << false;
        QTest::newRow("not executable") << true;
    }
    void sysInfoWithoutToolReports() {
        QFETCH(bool, fileNotExecutable);
        QTemporaryDir bin;
        if (fileNotExecutable)
            makeExecutable(bin.filePath(QStringLiteral("hardinfo")), false);
        qputenv("PATH", QFile::encodeName(bin.path()));
        FakeDesktop desktop;
        frmAbout about(desktop, console::desktopSystemKeys());
        about.cmdSysInfo->click();

        QVERIFY(desktop.started.isEmpty());
        // Each failed look-up on its own, then the verdict.
        QCOMPARE(desktop.boxes.size(), 3);
        for (const FakeDesktop::Box& box : desktop.boxes) {
            QCOMPARE(box.title, kErrorTitle);
            QCOMPARE(box.icon, Icon::Warning);
            QCOMPARE(box.buttons, Buttons::Ok);
            QVERIFY2(box.text.startsWith(QLatin1String("2: ")), qPrintable(box.text));
        }
        QVERIFY(desktop.boxes[0].text.contains(QLatin1String("hardinfo")));
        QVERIFY(desktop.boxes[0].text.endsWith(QLatin1String("\r\n")));
        QVERIFY(desktop.boxes[1].text.endsWith(QLatin1String("\r\n")));
        QVERIFY(desktop.boxes[2].text.endsWith(QLatin1String("\r\n") + kUnavailable));

        QString log = QString::fromLatin1(readAll(console::errorLogPath()));
        static const QRegularExpression record(
            QStringLiteral("\"\\[[^\\]]+\\] - Error 2: [^\r\n]+\r\n\tCalling Function: GetKeyValue\r\n"
                           "\tLast DLL: 2\r\n\tSource: GetKeyValue\"\r\n"));
        QCOMPARE(log.count(record), 3);
        QCOMPARE(log.remove(record), QString());
    }

    void sysInfoToolThatWillNotStart() {
        QTemporaryDir bin;
        makeExecutable(bin.filePath(QStringLiteral("hardinfo")));
        qputenv("PATH", QFile::encodeName(bin.path()));
        FakeDesktop desktop;
        desktop.programStarts = false;
        frmAbout about(desktop, console::desktopSystemKeys());
        about.cmdSysInfo->click();
        QCOMPARE(desktop.started.size(), 1);
        QCOMPARE(desktop.boxes.size(), 1);
        QCOMPARE(desktop.boxes[0].text,
                 "53: Could not start " + bin.filePath(QStringLiteral("hardinfo")) + "\r\n" + kUnavailable);
    }

    void startSysInfoLookups_data() {
        QTest::addColumn<bool>("toolKey");
        QTest::addColumn<int>("location"); // 0 missing, 1 folder, 2 folder with a trailing separator
        QTest::addColumn<bool>("fileThere");
        QTest::addColumn<int>("reports");
        QTest::addColumn<bool>("starts");
        QTest::newRow("tool key") << true << 1 << true << 0 << true;
        QTest::newRow("location with the file") << false << 1 << true << 1 << true;
        QTest::newRow("location with separator") << false << 2 << true << 1 << true;
        QTest::newRow("location without the file") << false << 1 << false << 2 << false;
        QTest::newRow("neither") << false << 0 << false << 3 << false;
    }
    void startSysInfoLookups() {
        QFETCH(bool, toolKey);
        QFETCH(int, location);
        QFETCH(bool, fileThere);
        QFETCH(int, reports);
        QFETCH(bool, starts);
        QTemporaryDir shared;
        const QString fileInShared = shared.filePath(QStringLiteral("MSINFO32.EXE"));
        if (fileThere)
            makeExecutable(fileInShared);
        MapKeys keys;
        if (toolKey)
            keys.values[kToolId] = QStringLiteral("/opt/tools/sysinfo");
        if (location)
            keys.values[kLocationId] = shared.path() + (location == 2 ? "/" : "");
        FakeDesktop desktop;
        console::StartSysInfo(desktop, nullptr, keys);
        QCOMPARE(desktop.boxes.size(), reports);
        QCOMPARE(desktop.started.size(), starts ? 1 : 0);
        if (starts)
            QCOMPARE(desktop.started[0].program,
                     toolKey ? QStringLiteral("/opt/tools/sysinfo") : fileInShared);
        else
            QVERIFY(desktop.boxes.last().text.endsWith(kUnavailable));
        if (location && !fileThere)
            QCOMPARE(desktop.boxes.last().text,
                     "53: File not found: " + fileInShared + "\r\n" + kUnavailable);
    }

    void getKeyValue() {
        MapKeys keys;
        keys.values[kToolId] = QStringLiteral("/usr/bin/tool") + QChar(0) + QStringLiteral("junk");
        FakeDesktop desktop;
        QString value = QStringLiteral("old");
        QVERIFY(console::GetKeyValue(desktop, nullptr, keys, console::kKeyLocalMachine,
                                     QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO"),
                                     QStringLiteral("PATH"), value));
        QCOMPARE(value, QStringLiteral("/usr/bin/tool"));
        QVERIFY(desktop.boxes.isEmpty());

        QVERIFY(!console::GetKeyValue(desktop, nullptr, keys, console::kKeyLocalMachine,
                                      QStringLiteral("NOPE"), QStringLiteral("X"), value));
        QCOMPARE(value, QString());
        QCOMPARE(desktop.boxes.size(), 1);
        QCOMPARE(desktop.boxes[0].text, QStringLiteral("2: missing NOPE|X\r\n"));
    }

private:
    QTemporaryDir m_folder;
    QByteArray m_path;
};

QTEST_MAIN(tst_about)
#include "tst_about.moc"
