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
    const PlacementBasis kBasis{19200, 15360, 8985, 8865};

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
        row("text kept as stored", "CurrentTheme", "dos", "dos");
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
        const AppSettings s = loadAppSettings(SettingsStore(), kBasis);
        const QHash<QString, QString> fields{{"CurrentPort", s.CurrentPort},
                                             {"CurrentTheme", s.CurrentTheme},
                                             {"EnableLogging", QString::number(s.EnableLogging)},
                                             {"UseAutoComplete", QString::number(s.UseAutoComplete)},
                                             {"TimePeriod", QString::number(s.TimePeriod)},
                                             {"TheWindowState", QString::number(s.TheWindowState)},
                                             {"ColorBack", QString::number(s.ColorBack)},
                                             {"WindowLeft", QString::number(s.WindowLeft)},
                                             {"WindowTop", QString::number(s.WindowTop)}};
        QTEST(fields.value(key), "loaded");
        // Loading alone never creates the file.
        QCOMPARE(QFileInfo::exists(SettingsStore().fileName()), !stored.isNull());
    }

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
            saveAppSettings(store, s, WindowSnapshot{state, 1500, 750, 9000, 9015, "sec ret"});
        }
        QSettings raw(file, QSettings::IniFormat);
        raw.beginGroup("vorlanix/Settings");
        for (const char* key : {"CurrentAddr", "EnableLogging", "TimePeriod", "TimeScale", "AutoQuery",
                                "ColorBack", "ColorFore", "FormFontBold", "FormFontItalic", "FormFontSize",
                                "FormFontName", "CurrentTheme", "UseAutoComplete", "BigScreenMode"})
            QVERIFY2(raw.contains(key), key);
        QCOMPARE(raw.value("CurrentPort").toString(), QString("27960"));
        QCOMPARE(raw.value("HideFunNameCodes").toString(), QString("1"));
        // The password reaches the disk only when asked; the file is its owner's alone.
        QCOMPARE(raw.value("Password").toString(), savePassword ? QString("sec ret") : QString());
        QCOMPARE(raw.value("SavePassword").toString(), savePassword ? QString("True") : QString("False"));
        QCOMPARE(QFile::permissions(file), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                               QFileDevice::ReadUser | QFileDevice::WriteUser);
        // Placement is kept only from a normal window.
        QCOMPARE(raw.value("TheWindowState").toString(), QString::number(state));
        QCOMPARE(raw.value("WindowLeft").toString(), state == 0 ? QString("1500") : QString("111"));
        QCOMPARE(raw.contains("WindowHeight"), state == 0);
    }

    void otherProgramsSectionsSurvive() {
        SettingsStore console;
        console.read(kSettingsSection, "CurrentAddr", "");
        SettingsStore().write("Kestwold\\Settings", "GameEXE", "/srv/q3/q3ded");
        console.write(kSettingsSection, "CurrentAddr", "10.1.1.1");
        console.sync();
        QSettings raw(SettingsStore().fileName(), QSettings::IniFormat);
        QCOMPARE(raw.value("Kestwold/Settings/GameEXE").toString(), QString("/srv/q3/q3ded"));
        QCOMPARE(raw.value("vorlanix/Settings/CurrentAddr").toString(), QString("10.1.1.1"));
    }

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
        QFETCH(QStringList, entries);
        for (const HistoryKind& kind : {kServerHistory, kCommandHistory}) {
            {
                SettingsStore store;
                for (int i = 0; i < stored.size(); ++i)
                    store.write(kind.section, QString::number(i), stored.at(i));
            }
            const LoadedHistory loaded = loadHistory(SettingsStore(), kind);
            QCOMPARE(loaded.entries, entries);
            // The command history never touches the edit text.
            if (kind.setsEditText)
                QTEST(loaded.editText, "editText");
            else
                QVERIFY(!loaded.hasEditText);
        }
    }

    void historySave_data() {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("limit");
        QTest::newRow("fewer than the limit") << 2 << 10;
        QTest::newRow("more than the limit") << 8 << 5;
        QTest::newRow("empty list") << 0 << 10;
    }
    void historySave() {
        QFETCH(int, count);
        QFETCH(int, limit);
        const HistoryKind kind{"vorlanix\\Test", limit, false};
        QStringList entries;
        for (int i = 0; i < count; ++i)
            entries << "e" + QString::number(i);
        {
            SettingsStore store;
            for (int i = 0; i <= 10; ++i)
                store.write(kind.section, QString::number(i), "old" + QString::number(i));
            saveHistory(store, kind, entries);
        }
        // Keys up to the count (that one empty) and the limit are written; higher ones keep older values.
        for (int i = 0; i <= 10; ++i) {
            const QString old = "old" + QString::number(i);
            const QString expected = i > limit || i > count ? old : i < count ? entries.at(i) : QString();
            QCOMPARE(SettingsStore().read(kind.section, QString::number(i), "absent"), expected);
        }
    }
};

QTEST_GUILESS_MAIN(tst_settings)
#include "tst_settings.moc"
