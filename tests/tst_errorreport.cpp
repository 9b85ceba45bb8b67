#include "FakeDesktop.h"

#include <ErrorReport.h>
#include <ProgramFolder.h>

#include <QtTest>

#include <sys/stat.h>

using namespace console;
using Icon = platform::Desktop::Icon;
using Buttons = platform::Desktop::Buttons;

class tst_errorreport : public QObject {
    Q_OBJECT
private slots:
    // Reports in a row: records appended in order, nothing escaped, one box each; a log that cannot be
    // written, or is no regular file, still leaves the boxes to tell the user. The current error stays.
    void report_data() {
        QTest::addColumn<QString>("log"); // what error.log is
        QTest::newRow("log written") << "written";
        QTest::newRow("error.log is a folder") << "folder";
        QTest::newRow("error.log is a named pipe nobody reads") << "fifo";
        QTest::newRow("program folder missing, data folder unusable") << "missing";
    }
    void report() {
        QFETCH(QString, log);
        QTemporaryDir dir;
        platform::setProgramFolder(dir.path());
        clearError();
        setLastDllError(0);
        if (log == "folder")
            QVERIFY(QDir().mkpath(errorLogPath()));
        else if (log == "fifo")
            QCOMPARE(::mkfifo(QFile::encodeName(errorLogPath()).constData(), 0600), 0);
        else if (log == "missing") {
            platform::setProgramFolder(dir.path() + "/no such folder/deeper");
            qputenv("XDG_DATA_HOME", "/dev/null/data");
        }
        FakeDesktop desktop;
        const QDateTime before = QDateTime::currentDateTime();
        raiseError(53, "File not found", "vorlanix");
        ReportError(desktop, nullptr, "System Information Is Unavailable At This Time", 48);
        raiseError(-2147221504, "Bad \"key\"", "a\"b", -5);
        ReportError(desktop, nullptr, QString(), 48);
        QCOMPARE(currentError().number, -2147221504);
        clearError();
        ReportError(desktop, nullptr, "x", 48);
        const QDateTime after = QDateTime::currentDateTime();

        QStringList texts;
        for (const FakeDesktop::Box& box : desktop.boxes) {
            texts << box.text;
            QCOMPARE(box.title, QString("Tarnwick Caught An Error!"));
            QVERIFY(box.icon == Icon::Warning && box.buttons == Buttons::Ok);
        }
        QCOMPARE(texts, QStringList({"53: File not found\r\nSystem Information Is Unavailable At This Time",
                                     "-2147221504: Bad \"key\"\r\n", "0: \r\nx"}));
        QCOMPARE(QFileInfo(errorLogPath()).isFile(), log == "written");
        if (log != "written")
            return;
        QFile file(errorLogPath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QString text = QString::fromLatin1(file.readAll());
        // Each record carries the time of its report.
        QStringList times; // to the second
        for (QDateTime t = before; t <= after.addSecs(1); t = t.addSecs(1))
            times << generalDateTimeText(t);
        const QRegularExpression stamp("\\[([^]]*)\\]");
        for (auto it = stamp.globalMatch(text); it.hasNext();)
            QVERIFY2(times.contains(it.next().captured(1)), qPrintable(text));
        QCOMPARE(
            text.replace(stamp, "[T]"),
            QString("\"[T] - Error 53: File not found\r\n\tCalling Function: vorlanix\r\n\tLast DLL: 0\r\n"
                    "\tSource: vorlanix\"\r\n"
                    "\"[T] - Error -2147221504: Bad \"key\"\r\n\tCalling Function: a\"b\r\n\tLast DLL: -5\r\n"
                    "\tSource: a\"b\"\r\n"
                    "\"[T] - Error 0: \r\n\tCalling Function: \r\n\tLast DLL: -5\r\n\tSource: \"\r\n"));
    }

    void dateIsShortDateThenLongTime() {
        const QString text = generalDateTimeText({QDate(2001, 12, 6), QTime(1, 14, 36)});
        QVERIFY(text.startsWith(QLocale::system().toString(QDate(2001, 12, 6), QLocale::ShortFormat) + ' '));
        QVERIFY(text.contains("14") && text.contains("36"));
    }
};

QTEST_MAIN(tst_errorreport)
#include "tst_errorreport.moc"
