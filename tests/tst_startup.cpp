#include "DataTable.h"

#include <ConsoleOptions.h>

#include <QProcess>
#include <QtTest>

using console::ConsoleOptions;
using Mode = ConsoleOptions::Mode;

namespace {
const QByteArray kVersionLine =
    "vorlanix " + QByteArray::number(APP_VERSION_MAJOR) + '.' + QByteArray::number(APP_VERSION_MINOR) + '\n';
const QByteArray kBogus = "vorlanix: Unknown option 'bogus'.\nTry 'vorlanix --help'.\n";
} // namespace

// The console's command line is read before its application object exists.
class tst_startup : public QObject {
    Q_OBJECT

private slots:
    // The toolkit's own options pass; anything else on the line is a mistake, even beside --help.
    void parse_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<Mode>("mode");
        QTest::addColumn<QString>("message"); // the whole message, or for help its first line
        row("nothing", QStringList{}, Mode::Window, QString());
        row("toolkit options",
            QStringList{"-platform", "offscreen", "-style=fusion", "-reverse", "--qwindowtitle", "T",
                        "-session", "s1"},
            Mode::Window, QString());
        row("unknown", QStringList{"--bogus"}, Mode::Error, QString("Unknown option 'bogus'."));
        row("unknown beside help", QStringList{"-h", "-bogus"}, Mode::Error,
            QString("Unknown option 'bogus'."));
        row("stray argument", QStringList{"q3.example"}, Mode::Error,
            QString("Unexpected argument 'q3.example'."));
        row("toolkit option without its value", QStringList{"-platform"}, Mode::Error,
            QString("Missing value after '-platform'."));
        row("help", QStringList{"-h"}, Mode::Help, QString("Usage: vorlanix [options]"));
        row("version", QStringList{"-v"}, Mode::Version, QString::fromLatin1(kVersionLine));
    }
    void parse() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        const ConsoleOptions options = ConsoleOptions::parse(QStringList{"/usr/bin/vorlanix"} + arguments);
        QTEST(options.mode, "mode");
        if (options.mode == Mode::Help)
            QVERIFY2(options.message.startsWith(message + '\n') && options.message.contains("--version"),
                     qPrintable(options.message));
        else
            QCOMPARE(options.message, message);
    }

    // The built program: its answers and status, with no display of any kind and with one.
    void program_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("display");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QByteArray>("out"); // held by standard output; empty: nothing there
        QTest::addColumn<QByteArray>("err"); // all of standard error
        row("mistake without a display", QStringList{"--bogus"}, false, 2, QByteArray(), kBogus);
        row("mistake with a display", QStringList{"--bogus"}, true, 2, QByteArray(), kBogus);
        row("help without a display", QStringList{"--help"}, false, 0, QByteArray("  -v, --version"),
            QByteArray());
        row("version without a display", QStringList{"--version"}, false, 0, kVersionLine, QByteArray());
    }
    void program() {
        QFETCH(QStringList, arguments);
        QFETCH(bool, display);
        QFETCH(QByteArray, out);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(QString::fromLatin1(name));
        if (display)
            env.insert("QT_QPA_PLATFORM", "offscreen");
        QProcess vorlanix;
        vorlanix.setProcessEnvironment(env);
        vorlanix.start(QStringLiteral(VORLANIX_PATH), arguments);
        if (!vorlanix.waitForFinished(20000))
            vorlanix.kill(); // a window that opened after all
        QCOMPARE(vorlanix.exitStatus(), QProcess::NormalExit);
        QTEST(vorlanix.exitCode(), "exitCode");
        const QByteArray stdOut = vorlanix.readAllStandardOutput();
        QVERIFY2(out.isEmpty() ? stdOut.isEmpty() : stdOut.contains(out), stdOut);
        QTEST(vorlanix.readAllStandardError(), "err");
    }
};

QTEST_GUILESS_MAIN(tst_startup)
#include "tst_startup.moc"
