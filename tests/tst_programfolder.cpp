#include <ProgramFolder.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using platform::fileFolders;
using platform::FileFolders;

class tst_programfolder : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    QString path(const QString& relative) const { return m_dir.filePath(relative); }
    static void put(const QString& file, const QByteArray& bytes = "x") {
        QDir().mkpath(QFileInfo(file).path());
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size());
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

    // The rule itself: where written files go and where reference texts are searched.
    void folders_data() {
        QTest::addColumn<QString>("program");
        QTest::addColumn<bool>("writable");
        QTest::addColumn<QString>("xdg");
        QTest::addColumn<QString>("written");
        QTest::addColumn<QStringList>("reference");
        const QStringList installed{"/usr/bin/", "/usr/share/velmora/"};
        QTest::newRow("build tree") << "/home/u/src/build/console" << true << "/x"
                                    << "/home/u/src/build/console/"
                                    << QStringList{"/home/u/src/build/console/",
                                                   "/home/u/src/build/share/velmora/", "/usr/share/velmora/"};
        QTest::newRow("installed, XDG_DATA_HOME set") << "/usr/bin/" << false << "/data"
                                                      << "/data/velmora/" << installed;
        QTest::newRow("installed, XDG_DATA_HOME unset") << "/usr/bin" << false << ""
                                                        << "/home/u/.local/share/velmora/" << installed;
        QTest::newRow("installed, XDG_DATA_HOME relative") << "/usr/bin" << false << "data"
                                                           << "/home/u/.local/share/velmora/" << installed;
        QTest::newRow("unpacked read-only")
            << "/tmp/root/usr/bin/" << false << "/data/"
            << "/data/velmora/"
            << QStringList{"/tmp/root/usr/bin/", "/tmp/root/usr/share/velmora/", "/usr/share/velmora/"};
    }
    void folders() {
        QFETCH(QString, program);
        QFETCH(bool, writable);
        QFETCH(QString, xdg);
        const FileFolders f = fileFolders(program, writable, xdg, "/home/u", "/usr/share/velmora");
        QTEST(f.written, "written");
        QTEST(f.reference, "reference");
    }

    // The same rule against real folders: a program folder that can be written and one that cannot
    // (absent here, since root may write any folder).
    void paths_data() {
        QTest::addColumn<bool>("writable");
        QTest::addColumn<QString>("beside"); // reference text beside the program, else in ../share/velmora
        QTest::newRow("writable, reference beside") << true << "commands.txt";
        QTest::newRow("writable, reference in share") << true << "";
        QTest::newRow("read-only, reference in share") << false << "";
    }
    void paths() {
        QFETCH(bool, writable);
        QFETCH(QString, beside);
        const QString root = path(QString::fromLatin1(QTest::currentDataTag()));
        const QString bin = root + "/usr/bin/";
        if (writable)
            QDir().mkpath(bin);
        qputenv("XDG_DATA_HOME", QFile::encodeName(root + "/data"));
        platform::setProgramFolder(bin);
        put(root + "/usr/share/velmora/commands.txt", "share");
        if (!beside.isEmpty())
            put(bin + beside, "beside");

        const QString log = platform::writtenFilePath("vorlanix.log");
        QCOMPARE(log, writable ? bin + "vorlanix.log" : root + "/data/velmora/vorlanix.log");
        QVERIFY(platform::appendToRegularFile(log, "entry"));
        QCOMPARE(read(log), QByteArray("entry"));
        if (!writable)
            QCOMPARE(QFileInfo(root + "/data/velmora").permissions() & 0x0077, QFile::Permissions());
        QCOMPARE(read(platform::referenceFilePath("commands.txt")),
                 QByteArray(beside.isEmpty() ? "share" : "beside"));
        // Missing everywhere: the program folder's path, which the menus then find absent.
        QCOMPARE(platform::referenceFilePath("variables.txt"), bin + "variables.txt");
    }

    // Only a regular file, or a path that is not there yet, is ever written; nothing waits.
    void append_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("written");
        QTest::newRow("absent") << "absent" << true;
        QTest::newRow("regular file") << "file" << true;
        QTest::newRow("link to a regular file") << "link" << true;
        QTest::newRow("named pipe, nobody reading") << "fifo" << false;
        QTest::newRow("named pipe with a reader") << "fifo+reader" << false;
        QTest::newRow("folder") << "folder" << false;
        QTest::newRow("socket") << "socket" << false;
        QTest::newRow("device") << "device" << false;
        QTest::newRow("in a missing folder") << "nofolder" << false;
    }
    void append() {
        QFETCH(QString, kind);
        QFETCH(bool, written);
        QString target = path(kind + "/vorlanix.log");
        QDir().mkpath(path(kind));
        int reader = -1;
        QLocalServer server;
        if (kind == "file") {
            put(target, "old ");
        } else if (kind == "link") {
            put(path(kind + "/real"), "old ");
            QVERIFY(QFile::link(path(kind + "/real"), target));
        } else if (kind.startsWith("fifo")) {
            QCOMPARE(::mkfifo(QFile::encodeName(target).constData(), 0600), 0);
            if (kind.endsWith("reader"))
                reader = ::open(QFile::encodeName(target).constData(), O_RDONLY | O_NONBLOCK);
        } else if (kind == "folder") {
            QDir().mkpath(target);
        } else if (kind == "socket") {
            QVERIFY(server.listen(target));
        } else if (kind == "device") {
            target = "/dev/null";
        } else if (kind == "nofolder") {
            target = path(kind + "/missing/vorlanix.log");
        }
        QCOMPARE(platform::appendToRegularFile(target, "entry"), written);
        if (kind == "absent" || kind.startsWith("link") || kind == "file")
            QCOMPARE(read(target), QByteArray(kind == "absent" ? "entry" : "old entry"));
        if (reader >= 0) {
            char buffer[16];
            QCOMPARE(::read(reader, buffer, sizeof buffer), ssize_t(0)); // nothing reached the pipe
            ::close(reader);
        }
    }
};

QTEST_GUILESS_MAIN(tst_programfolder)
#include "tst_programfolder.moc"
