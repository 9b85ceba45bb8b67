#include <AppSettings.h>
#include <History.h>
#include <SettingsStore.h>

#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTest>

using namespace console;
using platform::SettingsStore;

class tst_settings : public QObject {
    Q_OBJECT

private slots:
    void init() { QFile::remove(SettingsStore().fileName()); }

    // A stored value that does not convert or does not fit gives the key's default.
    void load_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("stored"); // null: nothing stored
        QTest::addColumn<QString>("loaded");
        auto row = [](const char* tag, const char* key, const char* stored, const char* loaded) {
            QTest::newRow(tag) << key << QString::fromLatin1(stored) << loaded;
        };
        row("port default", "CurrentPort", nullptr, "27960");
        row("left centred by default", "WindowLeft", nullptr, "5107.5");
        row("bool any case", "EnableLogging", "true", "1");
        row("bool number", "EnableLogging", "-1", "1");
        row("bool zero", "UseAutoComplete", "0", "0");
        row("bool garbage", "EnableLogging", "yes please", "0");
        row("int16 lowest", "TimePeriod", "-32768", "-32768");
        row("int16 too big", "TimePeriod", "32768", "5");
        row("int16 text", "TimePeriod", "twelve", "5");
        row("window state unknown", "TheWindowState", "7", "0");
        row("window state maximised", "TheWindowState", "2", "2");
        row("colour highest", "ColorBack", "16777215", "16777215");
        row("colour beyond 24 bits", "ColorBack", "16777216", "12582912");
        row("colour negative", "ColorBack", "-1", "12582912");
        row("position negative", "WindowLeft", "-300", "0");
        row("position text", "WindowLeft", "left", "5107.5");
        row("position nan", "WindowTop", "nan", "3247.5");
        row("position infinite", "WindowTop", "inf", "3247.5");
        row("position beyond any screen", "WindowTop", "1e10", "3247.5");
    }
    void load() {
        QFETCH(QString, key);
        QFETCH(QString, stored);
        if (!stored.isNull())
            SettingsStore().write(kSettingsSection, key, stored);
        const AppSettings s = loadAppSettings(SettingsStore(), {19200, 15360, 8985, 8865});
        const QHash<QString, double> numbers{
            {"EnableLogging", s.EnableLogging}, {"UseAutoComplete", s.UseAutoComplete},
            {"TimePeriod", s.TimePeriod},       {"TheWindowState", s.TheWindowState},
            {"ColorBack", s.ColorBack},         {"WindowLeft", s.WindowLeft},
            {"WindowTop", s.WindowTop}};
        QTEST(numbers.contains(key) ? QString::number(numbers[key], 'g', 10) : s.CurrentPort, "loaded");
        // Loading alone never creates the file.
        QCOMPARE(QFileInfo::exists(SettingsStore().fileName()), !stored.isNull());
    }

    // The password reaches the disk only when asked; the file is its owner's alone, even one opened to
    // others before; another program's section written meanwhile survives; placement is kept only from
    // a normal window.
    void save_data() {
        QTest::addColumn<int>("state");
        QTest::addColumn<bool>("savePassword");
        QTest::newRow("normal, password saved") << 0 << true;
        QTest::newRow("minimised, password not saved") << 1 << false;
        QTest::newRow("maximised") << 2 << true;
    }
    void save() {
        QFETCH(int, state);
        QFETCH(bool, savePassword);
        SettingsStore().write(kSettingsSection, "WindowLeft", "111");
        const QString file = SettingsStore().fileName();
        QFile::setPermissions(file,
                              QFile::permissions(file) | QFileDevice::ReadGroup | QFileDevice::ReadOther);
        AppSettings s;
        s.CurrentPort = "27961"; // the port key always gets the default port
        s.SavePassword = savePassword;
        s.HideFunNameCodes = 1;
        {
            SettingsStore store;
            store.read(kSettingsSection, "CurrentAddr", "");
            SettingsStore().write("Kestwold\\Settings", "GameEXE", "/srv/q3/q3ded");
            saveAppSettings(store, s, WindowSnapshot{state, 1500, 750, 9000, 9015, "sec ret"});
        }
        QSettings raw(file, QSettings::IniFormat);
        QCOMPARE(raw.value("Kestwold/Settings/GameEXE").toString(), QString("/srv/q3/q3ded"));
        raw.beginGroup("vorlanix/Settings");
        for (const char* key : {"CurrentAddr", "EnableLogging", "TimePeriod", "TimeScale", "AutoQuery",
                                "ColorBack", "ColorFore", "FormFontBold", "FormFontItalic", "FormFontSize",
                                "FormFontName", "CurrentTheme", "UseAutoComplete", "BigScreenMode"})
            QVERIFY2(raw.contains(key), key);
        QCOMPARE(raw.value("CurrentPort").toString(), QString("27960"));
        QCOMPARE(raw.value("HideFunNameCodes").toString(), QString("1"));
        QCOMPARE(raw.value("Password").toString(), savePassword ? QString("sec ret") : QString());
        QCOMPARE(raw.value("SavePassword").toString(), savePassword ? QString("True") : QString("False"));
        QCOMPARE(QFile::permissions(file), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                               QFileDevice::ReadUser | QFileDevice::WriteUser);
        QCOMPARE(raw.value("TheWindowState").toString(), QString::number(state));
        QCOMPARE(raw.value("WindowLeft").toString(), state == 0 ? QString("1500") : QString("111"));
        QCOMPARE(raw.contains("WindowHeight"), state == 0);
    }

    // Loading stops at the first empty key; the server list's edit text is the last value read, the
    // command list never has one.
    void historyLoad_data() {
        QTest::addColumn<QStringList>("stored"); // keys 0.. ; "" is an empty key
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QString>("editText");
        QTest::newRow("nothing stored") << QStringList{} << QStringList{} << QString();
        QTest::newRow("stops at first gap")
            << QStringList{"B", "A", "", "old"} << QStringList{"B", "A"} << "old";
        QTest::newRow("cleared list keeps old edit text")
            << QStringList{"", "x", "y"} << QStringList{} << "y";
    }
    void historyLoad() {
        QFETCH(QStringList, stored);
        for (const HistoryKind& kind : {kServerHistory, kCommandHistory}) {
            {
                SettingsStore store;
                for (int i = 0; i < stored.size(); ++i)
                    store.write(kind.section, QString::number(i), stored.at(i));
            }
            const LoadedHistory loaded = loadHistory(SettingsStore(), kind);
            QTEST(loaded.entries, "entries");
            if (kind.setsEditText)
                QTEST(loaded.editText, "editText");
            else
                QVERIFY(!loaded.hasEditText);
        }
    }

    // Keys up to the count (that one empty) and the limit are written; higher ones keep older values.
    void historySave_data() {
        QTest::addColumn<int>("count");
        QTest::newRow("fewer than the limit") << 2;
        QTest::newRow("more than the limit") << 8;
        QTest::newRow("empty list") << 0;
    }
    void historySave() {
        QFETCH(int, count);
        const HistoryKind kind{"vorlanix\\Test", 5, false};
        SettingsStore store;
        QStringList entries;
        for (int i = 0; i <= 10; ++i) {
            store.write(kind.section, QString::number(i), "old" + QString::number(i));
            if (i < count)
                entries << "e" + QString::number(i);
        }
        saveHistory(store, kind, entries);
        store.sync();
        for (int i = 0; i <= 10; ++i) {
            const QString old = "old" + QString::number(i);
            QCOMPARE(SettingsStore().read(kind.section, QString::number(i), "absent"),
                     i > kind.limit || i > count ? old : entries.value(i));
        }
    }
};

QTEST_GUILESS_MAIN(tst_settings)
#include "tst_settings.moc"
