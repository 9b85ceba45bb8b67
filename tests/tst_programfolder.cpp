#include <ProgramFolder.h>

#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

class tst_programfolder : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    const QByteArray m_home = qgetenv("HOME");

    static void put(const QString& file, const QByteArray& bytes) {
        QDir().mkpath(QFileInfo(file).path());
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
    }
    static QByteArray read(const QString& file) {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<none>");
    }

private slots:
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
        QTest::addColumn<bool>("writable");
        QTest::addColumn<QString>("xdg");     // one starting with / lies under the test's root
        QTest::addColumn<QString>("written"); // under the test's root
        const QString own = "/usr/bin/", data = "/data/velmora/", home = "/home/.local/share/velmora/";
        QTest::newRow("writable") << true << "/data" << own;
        QTest::newRow("read-only, XDG_DATA_HOME set") << false << "/data" << data;
        QTest::newRow("read-only, XDG_DATA_HOME unset") << false << "" << home;
        QTest::newRow("read-only, XDG_DATA_HOME relative") << false << "data" << home;
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
        QCOMPARE(read(log), QByteArray("entry"));
        if (!writable)
            QCOMPARE(QFileInfo(root + written).permissions() & 0x0077, QFile::Permissions());
        QCOMPARE(read(platform::referenceFilePath("commands.txt")),
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
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QByteArray>("after"); // the file's bytes after the append; empty: nothing written
        QTest::newRow("absent") << "absent" << QByteArray("entry");
        QTest::newRow("regular file") << "file" << QByteArray("old entry");
        QTest::newRow("link to a regular file") << "link" << QByteArray("old entry");
        QTest::newRow("named pipe, nobody reading") << "fifo" << QByteArray();
        QTest::newRow("named pipe with a reader") << "fifo+reader" << QByteArray();
        QTest::newRow("folder") << "folder" << QByteArray();
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
        QCOMPARE(platform::appendToRegularFile(target, "entry"), !after.isEmpty());
        if (!after.isEmpty())
            QCOMPARE(read(target), after);
        char buffer[16];
        const bool heard = reader >= 0 && ::read(reader, buffer, sizeof buffer) != 0;
        ::close(reader);
        QVERIFY(!heard); // nothing reached the pipe
    }
};

QTEST_GUILESS_MAIN(tst_programfolder)
#include "tst_programfolder.moc"
