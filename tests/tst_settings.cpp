#include <AppSettings.h>
#include <History.h>
#include <SettingsStore.h>

#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTest>

using namespace console;
using platform::SettingsStore;

namespace {
void wipeStore() {
    SettingsStore store;
    QFile::remove(store.fileName());
}

PlacementBasis basis() {
    return PlacementBasis{19200, 15360, 8985, 8865};
}
} // namespace

class tst_settings : public QObject {
    Q_OBJECT
private slots:
    void init() { wipeStore(); }

    void conversions_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("field"); // the field as it reads back, as text
        QTest::newRow("bool True") << "EnableLogging"
                                   << "True"
                                   << "1";
        QTest::newRow("bool lower case") << "EnableLogging"
                                         << "true"
                                         << "1";
        QTest::newRow("bool number") << "EnableLogging"
                                     << "-1"
                                     << "1";
        QTest::newRow("bool zero") << "UseAutoComplete"
                                   << "0"
                                   << "0";
        QTest::newRow("bool garbage") << "UseAutoComplete"
                                      << "yes please"
                                      << "1";
        QTest::newRow("int16 plain") << "TimePeriod"
                                     << "30"
                                     << "30";
        QTest::newRow("int16 negative edge") << "TimePeriod"
                                             << "-32768"
                                             << "-32768";
        QTest::newRow("int16 too big") << "TimePeriod"
                                       << "32768"
                                       << "5";
        QTest::newRow("int16 text") << "FormFontSize"
                                    << "twelve"
                                    << "8";
        QTest::newRow("int16 empty") << "WindowWidth"
                                     << ""
                                     << "8985";
        QTest::newRow("int16 huge") << "WindowHeight"
                                    << "99999999999999999999"
                                    << "8865";
        QTest::newRow("window state unknown") << "TheWindowState"
                                              << "7"
                                              << "0";
        QTest::newRow("window state max") << "TheWindowState"
                                          << "2"
                                          << "2";
        QTest::newRow("colour decimal") << "ColorBack"
                                        << "255"
                                        << "255";
        QTest::newRow("colour out of range") << "ColorBack"
                                             << "4294967296"
                                             << "12582912";
        QTest::newRow("colour negative") << "ColorFore"
                                         << "-1"
                                         << "65535";
        QTest::newRow("left negative") << "WindowLeft"
                                       << "-300"
                                       << "0";
        QTest::newRow("left beyond screen") << "WindowLeft"
                                            << "99000"
                                            << "99000";
        QTest::newRow("left text") << "WindowLeft"
                                   << "left"
                                   << "5107.5";
        QTest::newRow("top nan") << "WindowTop"
                                 << "nan"
                                 << "3247.5";
        QTest::newRow("top infinite") << "WindowTop"
                                      << "1e400"
                                      << "3247.5";
        QTest::newRow("text kept") << "CurrentTheme"
                                   << "dos"
                                   << "dos";
    }
    void conversions() {
        QFETCH(QString, key);
        QFETCH(QString, stored);
        QFETCH(QString, field);
        {
            SettingsStore store;
            store.write(kSettingsSection, key, stored);
        }
        const AppSettings s = loadAppSettings(SettingsStore(), basis());
        const QHash<QString, QString> read{
            {"EnableLogging", QString::number(s.EnableLogging)},
            {"UseAutoComplete", QString::number(s.UseAutoComplete)},
            {"TimePeriod", QString::number(s.TimePeriod)},
            {"FormFontSize", QString::number(s.FormFontSize)},
            {"WindowWidth", QString::number(s.WindowWidth)},
            {"WindowHeight", QString::number(s.WindowHeight)},
            {"TheWindowState", QString::number(s.TheWindowState)},
            {"ColorBack", QString::number(s.ColorBack)},
            {"ColorFore", QString::number(s.ColorFore)},
            {"WindowLeft", QString::number(s.WindowLeft)},
            {"WindowTop", QString::number(s.WindowTop)},
            {"CurrentTheme", s.CurrentTheme},
        };
        QCOMPARE(read.value(key), field);
    }

    void emptyStoreGivesDefaults() {
        const AppSettings s = loadAppSettings(SettingsStore(), basis());
        QCOMPARE(s.CurrentPort, QString("27960"));
        QCOMPARE(s.ColorBack, quint32(12582912));
        QCOMPARE(s.ColorFore, quint32(65535));
        QCOMPARE(s.FormFontName, QString("Courier New"));
        QCOMPARE(s.FormFontSize, qint16(8));
        QCOMPARE(s.TimePeriod, qint16(5));
        QCOMPARE(s.TimeScale, qint16(60));
        QCOMPARE(s.CurrentTheme, QString("Default"));
        QVERIFY(s.UseAutoComplete && !s.AutoQuery && !s.EnableLogging && !s.SavePassword && !s.BigScreenMode);
        // Centred for the built-in size: (19200 - 8985) / 2 and (15360 - 8865) / 2.
        QCOMPARE(s.WindowLeft, 5107.5);
        QCOMPARE(s.WindowTop, 3247.5);
        QVERIFY(!QFileInfo::exists(SettingsStore().fileName()));
    }

    void saveWritesEveryKey_data() {
        QTest::addColumn<int>("state");
        QTest::addColumn<bool>("savePassword");
        QTest::newRow("normal, password saved") << 0 << true;
        QTest::newRow("normal, password not saved") << 0 << false;
        QTest::newRow("minimised") << 1 << true;
        QTest::newRow("maximised") << 2 << false;
    }
    void saveWritesEveryKey() {
        QFETCH(int, state);
        QFETCH(bool, savePassword);
        {
            SettingsStore store;
            store.write(kSettingsSection, "WindowLeft", "111");
        }
        AppSettings s;
        s.CurrentAddr = "game.example";
        s.CurrentPort = "27961";
        s.SavePassword = savePassword;
        s.HideFunNameCodes = 1;
        s.CurrentTheme = "DOS";
        {
            SettingsStore store;
            saveAppSettings(store, s, WindowSnapshot{state, 1500, 750, 9000, 9015, "sec ret"});
        }
        QSettings raw(SettingsStore().fileName(), QSettings::IniFormat);
        raw.beginGroup("vorlanix/Settings");
        const QStringList always{"CurrentAddr",    "CurrentPort",     "Password",       "EnableLogging",
                                 "TimePeriod",     "TimeScale",       "AutoQuery",      "SavePassword",
                                 "ColorBack",      "ColorFore",       "TheWindowState", "FormFontBold",
                                 "FormFontItalic", "FormFontSize",    "FormFontName",   "HideFunNameCodes",
                                 "CurrentTheme",   "UseAutoComplete", "BigScreenMode"};
        for (const QString& key : always)
            QVERIFY2(raw.contains(key), qPrintable(key));
        QCOMPARE(raw.value("CurrentPort").toString(), QString("27960"));
        QCOMPARE(raw.value("Password").toString(), savePassword ? QString("sec ret") : QString());
        QCOMPARE(raw.value("SavePassword").toString(), savePassword ? QString("True") : QString("False"));
        QCOMPARE(raw.value("TheWindowState").toString(), QString::number(state));
        QCOMPARE(raw.value("HideFunNameCodes").toString(), QString("1"));
        QCOMPARE(raw.value("ColorBack").toString(), QString("12582912"));
        QCOMPARE(raw.value("WindowLeft").toString(), state == 0 ? QString("1500") : QString("111"));
        QCOMPARE(raw.contains("WindowHeight"), state == 0);

        // The file holds the rcon password: its owner alone may read it.
        QCOMPARE(QFileInfo(SettingsStore().fileName()).permissions() &
                     (QFileDevice::ReadGroup | QFileDevice::ReadOther | QFileDevice::WriteOther),
                 QFileDevice::Permissions());

        const AppSettings back = loadAppSettings(SettingsStore(), basis());
        QCOMPARE(back.CurrentAddr, s.CurrentAddr);
        QCOMPARE(back.CurrentTheme, s.CurrentTheme);
        QCOMPARE(back.HideFunNameCodes, qint16(1));
        QCOMPARE(back.TheWindowState, qint16(state));
    }

    void otherProgramsSectionsSurvive() {
        SettingsStore console;
        console.read(kSettingsSection, "CurrentAddr", "");
        {
            SettingsStore listener;
            listener.write("Kestwold\\Settings", "GameEXE", "/srv/q3/q3ded");
        }
        console.write(kSettingsSection, "CurrentAddr", "10.1.1.1");
        console.sync();
        SettingsStore fresh;
        QCOMPARE(fresh.read("Kestwold\\Settings", "GameEXE", ""), QString("/srv/q3/q3ded"));
        QCOMPARE(fresh.read(kSettingsSection, "CurrentAddr", ""), QString("10.1.1.1"));
        QSettings raw(fresh.fileName(), QSettings::IniFormat);
        QCOMPARE(raw.value("Kestwold/Settings/GameEXE").toString(), QString("/srv/q3/q3ded"));
    }

    void historyLoad_data() {
        QTest::addColumn<QStringList>("stored"); // keys 0.. ; "" is an empty key
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QString>("editText");
        QTest::newRow("nothing stored") << QStringList{} << QStringList{} << QString();
        QTest::newRow("newest first") << QStringList{"B", "A"} << QStringList{"B", "A"} << "A";
        QTest::newRow("stops at first gap")
            << QStringList{"B", "A", "", "old"} << QStringList{"B", "A"} << "old";
        QTest::newRow("cleared list keeps old edit text")
            << QStringList{"", "x", "y"} << QStringList{} << "y";
    }
    void historyLoad() {
        QFETCH(QStringList, stored);
        {
            SettingsStore store;
            for (int i = 0; i < stored.size(); ++i)
                store.write(kServerHistory.section, QString::number(i), stored.at(i));
        }
        const LoadedHistory loaded = loadHistory(SettingsStore(), kServerHistory);
        QFETCH(QStringList, entries);
        QFETCH(QString, editText);
        QCOMPARE(loaded.entries, entries);
        QCOMPARE(loaded.editText, editText);
        // The command history never touches the edit text.
        {
            SettingsStore store;
            for (int i = 0; i < stored.size(); ++i)
                store.write(kCommandHistory.section, QString::number(i), stored.at(i));
        }
        const LoadedHistory commands = loadHistory(SettingsStore(), kCommandHistory);
        QCOMPARE(commands.entries, entries);
        QVERIFY(!commands.hasEditText);
    }

    void historySave_data() {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("limit");
        QTest::newRow("two servers") << 2 << 10;
        QTest::newRow("fifteen commands") << 15 << 10;
        QTest::newRow("eight ports") << 8 << 5;
        QTest::newRow("empty list") << 0 << 10;
    }
    void historySave() {
        QFETCH(int, count);
        QFETCH(int, limit);
        const HistoryKind kind{"vorlanix\\Test", limit, false};
        {
            SettingsStore store;
            for (int i = 0; i <= 10; ++i)
                store.write(kind.section, QString::number(i), "old" + QString::number(i));
        }
        QStringList entries;
        for (int i = 0; i < count; ++i)
            entries << "e" + QString::number(i);
        {
            SettingsStore store;
            saveHistory(store, kind, entries);
        }
        SettingsStore store;
        for (int i = 0; i <= 10; ++i) {
            const QString value = store.read(kind.section, QString::number(i), "absent");
            QString expected = "old" + QString::number(i);
            if (i < count && i <= limit)
                expected = entries.at(i);
            else if (i == count && i <= limit)
                expected = QString();
            QCOMPARE(value, expected);
        }
    }

    void isInHistory() {
        QVERIFY(IsInHistory({}, QString()));
        QVERIFY(IsInHistory({"status"}, "status"));
        QVERIFY(!IsInHistory({"status"}, "Status"));
        QVERIFY(!IsInHistory({"status"}, "  status  "));
    }
};

QTEST_GUILESS_MAIN(tst_settings)
#include "tst_settings.moc"
