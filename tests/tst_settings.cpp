#include <AppSettings.h>
#include <History.h>
#include <SettingsStore.h>

#include <QtTest>

#include <array>

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
        row("bool any case", "EnableLogging", "true", "1");
        row("bool number", "EnableLogging", "-1", "1");
        row("bool zero", "EnableLogging", "0", "0");
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
        row("position beyond any screen", "WindowTop", "1e10", "3247.5");
    }
    void load() {
        QFETCH(QString, key);
        QFETCH(QString, stored);
        if (!stored.isNull())
            SettingsStore().write(kSettingsSection, key, stored);
        const AppSettings s = loadAppSettings(SettingsStore(), {19200, 15360, 8985, 8865});
        const QHash<QString, double> numbers{
            {"EnableLogging", s.EnableLogging},   {"TimePeriod", s.TimePeriod},
            {"TheWindowState", s.TheWindowState}, {"ColorBack", s.ColorBack},
            {"WindowLeft", s.WindowLeft},         {"WindowTop", s.WindowTop}};
        QTEST(numbers.contains(key) ? QString::number(numbers[key], 'g', 10) : s.CurrentPort, "loaded");
        // Loading alone never creates the file.
        QCOMPARE(QFileInfo::exists(SettingsStore().fileName()), !stored.isNull());
    }

    // The password reaches the disk only when asked; the file is its owner's alone, even one opened to
    // others before; another program's section written meanwhile survives; placement is kept only from
    // a normal window.
    void save_data() {
        QTest::addColumn<int>("state");
        QTest::newRow("normal, password saved") << 0;
        QTest::newRow("minimised, password not saved") << 1;
    }
    void save() {
        QFETCH(int, state);
        const bool savePassword = state == 0;
        SettingsStore().write(kSettingsSection, "WindowLeft", "111");
        const QString file = SettingsStore().fileName();
        QFile::setPermissions(file, QFileDevice::Permissions(0x6644));
        AppSettings s;
        s.CurrentPort = "27961"; // the port key always gets the default port
        s.SavePassword = savePassword;
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
        QCOMPARE(raw.value("Password").toString(), savePassword ? QString("sec ret") : QString());
        QCOMPARE(raw.value("SavePassword").toString(), savePassword ? QString("True") : QString("False"));
        QCOMPARE(QFile::permissions(file), QFileDevice::Permissions(0x6600)); // 0600
        QCOMPARE(raw.value("TheWindowState").toString(), QString::number(state));
        QCOMPARE(raw.value("WindowLeft").toString(), state == 0 ? QString("1500") : QString("111"));
    }

    // Saving writes keys up to the count (that one empty) and the kind's limit, higher keys keep older
    // values; loading them back stops at the first empty key, the edit text being the last value read.
    void history_data() {
        QTest::addColumn<int>("which"); // servers, ports, commands
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("limit");
        QTest::addColumn<QString>("editText"); // empty: none
        QTest::newRow("servers, emptied: old edit text kept") << 0 << 0 << 10 << "old10";
        QTest::newRow("servers, beyond the limit") << 0 << 12 << 10 << "e10";
        QTest::newRow("ports, beyond the limit") << 1 << 8 << 5 << "e5";
        QTest::newRow("commands, never an edit text") << 2 << 3 << 10 << "";
    }
    void history() {
        QFETCH(int, which);
        QFETCH(int, count);
        QFETCH(int, limit);
        QFETCH(QString, editText);
        const HistoryKind kind = std::array{kServerHistory, kPortHistory, kCommandHistory}[which];
        SettingsStore store;
        QStringList entries;
        for (int i = 0; i <= 12; ++i) {
            store.write(kind.section, QString::number(i), "old" + QString::number(i));
            if (i < count)
                entries << "e" + QString::number(i);
        }
        saveHistory(store, kind, entries);
        store.sync();
        for (int i = 0; i <= 12; ++i)
            QCOMPARE(SettingsStore().read(kind.section, QString::number(i), "absent"),
                     i > limit || i > count ? "old" + QString::number(i) : entries.value(i));
        const LoadedHistory loaded = loadHistory(SettingsStore(), kind);
        QCOMPARE(loaded.entries, entries.mid(0, limit + 1));
        QCOMPARE(loaded.editText, editText);
        QCOMPARE(loaded.hasEditText, !editText.isEmpty());
    }
};

QTEST_GUILESS_MAIN(tst_settings)
#include "tst_settings.moc"
