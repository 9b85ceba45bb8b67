#include "ConsoleFixture.h"

#include <History.h>
#include <Port.h>

#include <array>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace console;
using platform::SettingsStore;

// The settings store and the program's folders, against real files.
class tst_settings : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    const QByteArray m_home = qgetenv("HOME");

    static void put(const QString& file, const QByteArray& bytes) {
        QDir().mkpath(QFileInfo(file).path());
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
    }

private slots:
    void init() { QFile::remove(SettingsStore().fileName()); }
    void cleanup() {
        platform::setProgramFolder(QString());
        qunsetenv("XDG_DATA_HOME");
        qputenv("HOME", m_home);
    }

    // Where written files go and where reference texts are found, against real folders: a program folder
    // that can be written, with a text beside the program that comes before one in ../share/velmora, and
    // one that cannot (absent here, since root may write any folder), where a relative or missing
    // XDG_DATA_HOME falls back to ~/.local/share.
    void paths_data() {
        // xdg starting with /, and written, lie under the test's root
        columns<bool, QString, QString>("writable", "xdg", "written");
        const QString own = "/usr/bin/", data = "/data/velmora/", home = "/home/.local/share/velmora/";
        row("writable", true, QString("/data"), own);
        row("read-only, XDG_DATA_HOME set", false, QString("/data"), data);
        row("read-only, XDG_DATA_HOME unset", false, QString(), home);
        row("read-only, XDG_DATA_HOME relative", false, QString("data"), home);
    }
    void paths() {
        QFETCH(bool, writable);
        QFETCH(QString, xdg);
        QFETCH(QString, written);
        const QString root = m_dir.filePath(QTest::currentDataTag()), bin = root + "/usr/bin/";
        qputenv("XDG_DATA_HOME", QFile::encodeName(xdg.startsWith('/') ? root + xdg : xdg));
        qputenv("HOME", QFile::encodeName(root + "/home"));
        platform::setProgramFolder(bin);
        put(root + "/usr/share/velmora/commands.txt", "share");
        if (writable)
            put(bin + "commands.txt", "beside");
        const QString log = platform::writtenFilePath("vorlanix.log");
        QCOMPARE(log, root + written + "vorlanix.log");
        QVERIFY(platform::appendToRegularFile(log, "entry"));
        QCOMPARE(ConsoleFixture::readFile(log), QByteArray("entry"));
        if (!writable)
            QCOMPARE(QFileInfo(root + written).permissions() & 0x0077, QFile::Permissions());
        QCOMPARE(ConsoleFixture::readFile(platform::referenceFilePath("commands.txt")),
                 QByteArray(writable ? "beside" : "share"));
        // Missing everywhere: the program folder's path, which the menus then find absent.
        QCOMPARE(platform::referenceFilePath("variables.txt"), bin + "variables.txt");
    }

    // The installed data folder is searched last, and once.
    void installedFolderLast() {
        const QString shared = "/usr/share/velmora/";
        QCOMPARE(platform::fileFolders("/opt/v/bin", true, "", "/h", shared).reference,
                 (QStringList{"/opt/v/bin/", "/opt/v/share/velmora/", shared}));
        QCOMPARE(platform::fileFolders("/usr/bin", false, "", "/h", shared).reference,
                 (QStringList{"/usr/bin/", shared}));
    }

    // Only a regular file, or a path that is not there yet, is ever written, through a link too; nothing
    // waits for a pipe.
    void append_data() {
        columns<QString, QByteArray>("kind",
                                     "after"); // the file's bytes after the append; empty: none written
        row("absent", QString("absent"), QByteArray("entry"));
        row("regular file", QString("file"), QByteArray("old entry"));
        row("link to a regular file", QString("link"), QByteArray("old entry"));
        row("named pipe, nobody reading", QString("fifo"), QByteArray());
        row("named pipe with a reader", QString("fifo+reader"), QByteArray());
        row("folder", QString("folder"), QByteArray());
    }
    void append() {
        QFETCH(QString, kind);
        QFETCH(QByteArray, after);
        const QString target = m_dir.filePath(kind + "/vorlanix.log"), real = m_dir.filePath(kind + "/real");
        const QByteArray name = QFile::encodeName(target);
        QDir().mkpath(kind == "folder" ? target : m_dir.filePath(kind));
        if (kind == "file" || kind == "link")
            put(kind == "file" ? target : real, "old ");
        QVERIFY(kind != "link" || QFile::link(real, target));
        QVERIFY(!kind.startsWith("fifo") || ::mkfifo(name.constData(), 0600) == 0);
        const int reader = kind == "fifo+reader" ? ::open(name.constData(), O_RDONLY | O_NONBLOCK) : -1;
        const platform::Result<> appended = platform::appendToRegularFile(target, "entry");
        QCOMPARE(bool(appended), !after.isEmpty());
        QVERIFY2(appended || appended.why().startsWith("cannot write " + target + ": "),
                 qPrintable(appended.why()));
        if (!after.isEmpty())
            QCOMPARE(ConsoleFixture::readFile(target), after);
        char buffer[16];
        const bool heard = reader >= 0 && ::read(reader, buffer, sizeof buffer) != 0;
        ::close(reader);
        QVERIFY(!heard); // nothing reached the pipe
    }

    // A stored value that does not convert or does not fit gives the key's default.
    void load_data() {
        columns<QString, QString, QString>("key", "stored", "loaded"); // stored null: nothing stored
        auto row = [](const char* tag, const char* key, const char* stored, const char* loaded) {
            QTest::newRow(tag) << key << QString::fromLatin1(stored) << loaded;
        };
        row("port default", "CurrentPort", nullptr, "27960");
        row("bool any case", "EnableLogging", "true", "1");
        row("bool number", "EnableLogging", "-1", "1");
        row("bool garbage", "EnableLogging", "yes please", "0");
        row("int16 lowest", "TimePeriod", "-32768", "-32768");
        row("int16 too big", "TimePeriod", "32768", "5");
        row("int16 text", "TimePeriod", "twelve", "5");
        row("window state unknown", "TheWindowState", "7", "0");
        row("window state maximised", "TheWindowState", "2", "2");
        row("colour highest", "ColorBack", "16777215", "16777215");
        row("colour beyond 24 bits", "ColorBack", "16777216", "12582912");
        row("position negative", "WindowLeft", "-300", "0");
        row("position text", "WindowLeft", "left", "5107.5");
        row("position nan", "WindowTop", "nan", "3247.5");
        row("position beyond any screen", "WindowTop", "1e10", "3247.5");
        row("rate limit default", "RatePacing", nullptr, "ioquake3");
        row("rate limit any case", "RatePacing", " Original Engine", "original engine");
        row("rate limit unknown", "RatePacing", "as fast as it goes", "ioquake3");
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
        QTEST(numbers.contains(key) ? QString::number(numbers[key], 'g', 10)
              : key == "RatePacing" ? s.RatePacing
                                    : s.CurrentPort,
              "loaded");
        // Loading alone never creates the file.
        QCOMPARE(QFileInfo::exists(SettingsStore().fileName()), !stored.isNull());
    }

    // The Players window's size is kept or put back whole.
    void playersSize_data() {
        columns<QString, QString, QString>("width", "height", "loaded");
        row("both fit", QString("3000"), QString("6000"), QString("3000x6000"));
        row("one edge too small", QString("100"), QString("6000"), QString("7800x5400"));
    }
    void playersSize() {
        QFETCH(QString, width);
        QFETCH(QString, height);
        SettingsStore().write(kSettingsSection, "PlayersWidth", width);
        SettingsStore().write(kSettingsSection, "PlayersHeight", height);
        const AppSettings s = loadAppSettings(SettingsStore(), {19200, 15360, 8985, 8865});
        QTEST(QString("%1x%2").arg(s.PlayersWidth).arg(s.PlayersHeight), "loaded");
    }

    // What is saved loads back as it was, every field away from its default, but for what the store
    // keeps apart: the port key always holds the default port, the password only one to be saved, the
    // window's state and geometry come from the window, and the geometry only from a normal one. The
    // file is its owner's alone, even one opened to others before; another program's section written
    // meanwhile survives.
    void save_data() {
        columns<int>("state");
        row("normal, password saved", 0);
        row("minimised, password not saved", 1);
    }
    void save() {
        QFETCH(int, state);
        SettingsStore().write(kSettingsSection, "WindowLeft", "111");
        const QString file = SettingsStore().fileName();
        QFile::setPermissions(file, QFileDevice::Permissions(0x6644));
        AppSettings s;
        s.CurrentAddr = "a";
        s.CurrentPort = "27961";
        s.Password = "sec ret";
        s.EnableLogging = s.AutoQuery = s.FormFontBold = s.FormFontItalic = s.BigScreenMode = true;
        s.UseAutoComplete = s.ShowStatusBar = false;
        s.SavePassword = state == 0;
        s.TimePeriod = 7, s.TimeScale = 1, s.FormFontSize = 11, s.HideFunNameCodes = 1;
        s.ColorBack = 1, s.ColorFore = 2;
        s.FormFontName = "Arial", s.CurrentTheme = "DOS", s.RatePacing = "no limit";
        s.PlayersLeft = 10.5, s.PlayersTop = 20, s.PlayersWidth = 3000, s.PlayersHeight = 4000;
        {
            SettingsStore store;
            store.read(kSettingsSection, "CurrentAddr", "");
            SettingsStore().write("Kestwold\\Settings", "GameEXE", "/srv/q3/q3ded");
            saveAppSettings(store, s, WindowSnapshot{state, 1500, 750, 9000, 9015});
        }
        AppSettings expected = s;
        expected.CurrentPort = "27960";
        expected.TheWindowState = qint16(state);
        if (state == 0) {
            expected.WindowLeft = 1500, expected.WindowTop = 750, expected.WindowWidth = 9000;
            expected.WindowHeight = 9015;
        } else {
            expected.Password.clear();
            expected.WindowLeft = 111, expected.WindowTop = 3247.5; // as stored before, or centred
        }
        QVERIFY(loadAppSettings(SettingsStore(), {19200, 15360, 8985, 8865}) == expected);
        QCOMPARE(SettingsStore().read("Kestwold\\Settings", "GameEXE", ""), QString("/srv/q3/q3ded"));
        QCOMPARE(QFile::permissions(file), QFileDevice::Permissions(0x6600)); // 0600
    }

    // Saving writes keys up to the count (that one empty) and the kind's limit, higher keys keep older
    // values; loading them back stops at the first empty key, the edit text being the last value read.
    void history_data() {
        // which: servers, ports, commands; editText empty: none
        columns<int, int, int, QString>("which", "count", "limit", "editText");
        row("servers, emptied: old edit text kept", 0, 0, 10, QString("old10"));
        row("servers, beyond the limit", 0, 12, 10, QString("e10"));
        row("ports, beyond the limit", 1, 8, 5, QString("e5"));
        row("commands, never an edit text", 2, 3, 10, QString());
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
        QVERIFY(bool(store.sync()));
        for (int i = 0; i <= 12; ++i)
            QCOMPARE(SettingsStore().read(kind.section, QString::number(i), "absent"),
                     i > limit || i > count ? "old" + QString::number(i) : entries.value(i));
        const LoadedHistory loaded = loadHistory(SettingsStore(), kind);
        QCOMPARE(loaded.entries, entries.mid(0, limit + 1));
        QCOMPARE(loaded.editText.value_or("<none>"), editText.isEmpty() ? "<none>" : editText);
    }

    // A file that does not read well is copied aside before the first write and never written over as
    // it was; one that reads well is merged with. The listener's section survives either way.
    void damaged_data() {
        columns<QByteArray, QString>("bytes", "damage");
        row("reads well", QByteArray("; note\n[Kestwold]\nSettings\\GameParams=\"a \\\"b\\\" c\"\r\n"),
            QString());
        row("unclosed quote",
            QByteArray("[Kestwold]\nSettings\\GameParams=+set \"My +map q\nSettings\\AllowedPeers=1.2.3.4\n"),
            QString("line 2: the value of Settings\\GameParams opens a double quote it never closes"));
        row("binary", QByteArray("[x]\na=\xff\xfe\x01"), QString("it is not text"));
        row("control character", QByteArray("[x]\na=b\x01c\n"), QString("line 2 holds a control character"));
        row("stray line", QByteArray("[x]\nnonsense\n"),
            QString("line 2 is neither a section, a key nor a comment"));
        row("open section", QByteArray("[x\na=1\n"), QString("line 1 opens a section without closing it"));
    }
    void damaged() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, damage);
        QCOMPARE(platform::iniDamage(bytes).value_or(QString()), damage);
        const QString file = SettingsStore().fileName();
        put(file, bytes);
        SettingsStore store;
        QCOMPARE(bool(store.opened()), damage.isEmpty());
        store.write(kSettingsSection, "CurrentTheme", "DOS");
        const platform::Result<> written = store.sync();
        QVERIFY2(bool(written), qPrintable(written.why()));
        const QStringList copies = QDir(QFileInfo(file).path()).entryList({"velmora.ini.unreadable-*"});
        QCOMPARE(copies.size(), damage.isEmpty() ? 0 : 1);
        if (!damage.isEmpty()) {
            QCOMPARE(QFileInfo(file).path() + "/" + copies.first(), store.keptCopy());
            QFile copy(store.keptCopy());
            QVERIFY(copy.open(QIODevice::ReadOnly));
            QCOMPARE(copy.readAll(), bytes);
            QVERIFY(QFile::remove(store.keptCopy()));
        }
        QCOMPARE(SettingsStore().read(kSettingsSection, "CurrentTheme", ""), QString("DOS"));
    }

    // What cannot be copied aside is not written over, and a store that cannot write says where and why.
    void unwritable() {
        const QString file = SettingsStore().fileName();
        QVERIFY(QDir().mkpath(file)); // a folder where the file belongs
        {
            SettingsStore store;
            QVERIFY(!store.opened());
            store.write(kSettingsSection, "CurrentTheme", "DOS");
            const platform::Result<> written = store.sync();
            QVERIFY(!written);
            QVERIFY2(written.why().contains(file) && written.why().contains("nothing was written"),
                     qPrintable(written.why()));
        }
        QVERIFY(QFileInfo(file).isDir());
        QVERIFY(QDir(file).removeRecursively());
    }

    void port_data() {
        columns<QString, int>("text", "port"); // 0: none
        row("least", QString("1"), 1);
        row("most, blanks around", QString(" 65535 "), 65535);
        row("zero", QString("0"), 0);
        row("beyond", QString("65536"), 0);
        row("sign", QString("+80"), 0);
        row("hex", QString("0x50"), 0);
        row("blank inside", QString("27 960"), 0);
        row("empty", QString(""), 0);
    }
    void port() {
        QFETCH(QString, text);
        QFETCH(int, port);
        QCOMPARE(int(platform::parsePort(text).value_or(0)), port);
    }
};

QTEST_GUILESS_MAIN(tst_settings)
#include "tst_settings.moc"
