#include <ProgramFolder.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

class tst_programfolder : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

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
    }

    // The rule itself: where written files go and where reference texts are searched, in order.
    void folders_data() {
        QTest::addColumn<QString>("program");
        QTest::addColumn<bool>("writable");
        QTest::addColumn<QString>("xdg");
        QTest::addColumn<QString>("written");
        QTest::addColumn<QStringList>("reference");
        auto row = [](const char* tag, const char* program, bool writable, const char* xdg,
                      const char* written, const QStringList& reference) {
            QTest::newRow(tag) << program << writable << xdg << written << reference;
        };
        const QStringList installed{"/usr/bin/", "/usr/share/velmora/"};
        const QString build = "/home/u/src/build/";
        row("build tree", "/home/u/src/build/console", true, "/x", "/home/u/src/build/console/",
            {build + "console/", build + "share/velmora/", "/usr/share/velmora/"});
        row("installed, XDG_DATA_HOME set", "/usr/bin/", false, "/data", "/data/velmora/", installed);
        row("installed, XDG_DATA_HOME unset", "/usr/bin", false, "", "/home/u/.local/share/velmora/",
            installed);
        row("installed, XDG_DATA_HOME relative", "/usr/bin", false, "data", "/home/u/.local/share/velmora/",
            installed);
        row("unpacked read-only", "/tmp/root/usr/bin/", false, "/data/", "/data/velmora/",
            {"/tmp/root/usr/bin/", "/tmp/root/usr/share/velmora/", "/usr/share/velmora/"});
    }
    void folders() {
        QFETCH(QString, program);
        QFETCH(bool, writable);
        QFETCH(QString, xdg);
        const platform::FileFolders f =
            platform::fileFolders(program, writable, xdg, "/home/u", "/usr/share/velmora");
        QTEST(f.written, "written");
        QTEST(f.reference, "reference");
    }

    // The same rule against real folders: a program folder that can be written and one that cannot
    // (absent here, since root may write any folder). A reference text beside the program comes first.
    void paths_data() {
        QTest::addColumn<bool>("writable");
        QTest::addColumn<bool>("beside");
        QTest::newRow("writable, reference beside") << true << true;
        QTest::newRow("writable, reference in share") << true << false;
        QTest::newRow("read-only, reference in share") << false << false;
    }
    void paths() {
        QFETCH(bool, writable);
        QFETCH(bool, beside);
        const QString root = m_dir.filePath(QString::fromLatin1(QTest::currentDataTag()));
        const QString bin = root + "/usr/bin/";
        if (writable)
            QDir().mkpath(bin);
        qputenv("XDG_DATA_HOME", QFile::encodeName(root + "/data"));
        platform::setProgramFolder(bin);
        put(root + "/usr/share/velmora/commands.txt", "share");
        if (beside)
            put(bin + "commands.txt", "beside");
        const QString log = platform::writtenFilePath("vorlanix.log");
        QCOMPARE(log, writable ? bin + "vorlanix.log" : root + "/data/velmora/vorlanix.log");
        QVERIFY(platform::appendToRegularFile(log, "entry"));
        QCOMPARE(read(log), QByteArray("entry"));
        if (!writable)
            QCOMPARE(QFileInfo(root + "/data/velmora").permissions() & 0x0077, QFile::Permissions());
        QCOMPARE(read(platform::referenceFilePath("commands.txt")), QByteArray(beside ? "beside" : "share"));
        // Missing everywhere: the program folder's path, which the menus then find absent.
        QCOMPARE(platform::referenceFilePath("variables.txt"), bin + "variables.txt");
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
        QTest::newRow("in a missing folder") << "missing/folder" << QByteArray();
    }
    void append() {
        QFETCH(QString, kind);
        QFETCH(QByteArray, after);
        const QString target = m_dir.filePath(kind + "/vorlanix.log");
        const QByteArray name = QFile::encodeName(target);
        QDir().mkpath(m_dir.filePath(kind.section('/', 0, 0)));
        int reader = -1;
        if (kind == "file")
            put(target, "old ");
        if (kind == "link") {
            put(m_dir.filePath("link/real"), "old ");
            QVERIFY(QFile::link(m_dir.filePath("link/real"), target));
        }
        if (kind.startsWith("fifo"))
            QCOMPARE(::mkfifo(name.constData(), 0600), 0);
        if (kind == "fifo+reader")
            reader = ::open(name.constData(), O_RDONLY | O_NONBLOCK);
        if (kind == "folder")
            QDir().mkpath(target);
        QCOMPARE(platform::appendToRegularFile(target, "entry"), !after.isEmpty());
        if (!after.isEmpty())
            QCOMPARE(read(target), after);
        if (reader >= 0) {
            char buffer[16];
            const ssize_t got = ::read(reader, buffer, sizeof buffer);
            ::close(reader);
            QCOMPARE(got, ssize_t(0)); // nothing reached the pipe
        }
    }
};

QTEST_GUILESS_MAIN(tst_programfolder)
#include "tst_programfolder.moc"
