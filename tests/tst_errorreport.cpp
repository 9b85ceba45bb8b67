#include "FakeDesktop.h"

#include <ErrorReport.h>
#include <ProgramFolder.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

using namespace console;
using Icon = platform::Desktop::Icon;
using Buttons = platform::Desktop::Buttons;

class tst_errorreport : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

private slots:
    void init() {
        clearError();
        setLastDllError(0);
        platform::setProgramFolder(m_dir.path());
        QDir(errorLogPath()).removeRecursively();
        QFile::remove(errorLogPath());
    }
    void cleanupTestCase() { platform::setProgramFolder(QString()); }

    // Icon in bits 4-7, buttons in bits 0-3.
    void style_data() {
        QTest::addColumn<int>("flags");
        QTest::addColumn<Icon>("icon");
        QTest::addColumn<Buttons>("buttons");
        QTest::newRow("48: exclamation, OK") << 48 << Icon::Warning << Buttons::Ok;
        QTest::newRow("19: critical, yes/no/cancel") << 19 << Icon::Critical << Buttons::YesNoCancel;
        QTest::newRow("36: question, yes/no") << 36 << Icon::Question << Buttons::YesNo;
        QTest::newRow("65: information, OK/cancel") << 65 << Icon::Information << Buttons::OkCancel;
        QTest::newRow("2: abort/retry/ignore as OK/cancel") << 2 << Icon::None << Buttons::OkCancel;
        QTest::newRow("0: plain") << 0 << Icon::None << Buttons::Ok;
    }
    void style() {
        QFETCH(int, flags);
        QTEST(messageBoxStyle(flags).icon, "icon");
        QTEST(messageBoxStyle(flags).buttons, "buttons");
    }

    // Reports in a row: records appended in order, nothing escaped, one box each; a log that cannot be
    // written still leaves the boxes to tell the user. The current error stays as it was.
    void report_data() {
        QTest::addColumn<QString>("log");
        QTest::newRow("log written") << "written";
        QTest::newRow("error.log is a folder") << "folder";
        QTest::newRow("program folder missing") << "missing";
    }
    void report() {
        QFETCH(QString, log);
        if (log == "folder")
            QVERIFY(QDir().mkpath(errorLogPath()));
        else if (log == "missing")
            platform::setProgramFolder(m_dir.path() + "/no such folder/deeper");
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
            QCOMPARE(box.icon, Icon::Warning);
            QCOMPARE(box.buttons, Buttons::Ok);
        }
        QCOMPARE(texts, QStringList({"53: File not found\r\nSystem Information Is Unavailable At This Time",
                                     "-2147221504: Bad \"key\"\r\n", "0: \r\nx"}));

        QFile file(errorLogPath());
        QCOMPARE(file.open(QIODevice::ReadOnly), log == "written");
        if (log != "written")
            return;
        QString text = QString::fromLatin1(file.readAll());
        // Each record carries the time of its report.
        QStringList times;
        for (QDateTime t = before; t <= after; t = t.addSecs(1))
            times << generalDateTimeText(t);
        times << generalDateTimeText(after);
        const QRegularExpression stamp("\\[([^]]*)\\]");
        for (auto it = stamp.globalMatch(text); it.hasNext();)
            QVERIFY2(times.contains(it.next().captured(1)), qPrintable(text));
        text.replace(stamp, "[T]");
        QCOMPARE(
            text,
            QString("\"[T] - Error 53: File not found\r\n\tCalling Function: vorlanix\r\n\tLast DLL: 0\r\n"
                    "\tSource: vorlanix\"\r\n"
                    "\"[T] - Error -2147221504: Bad \"key\"\r\n\tCalling Function: a\"b\r\n\tLast DLL: -5\r\n"
                    "\tSource: a\"b\"\r\n"
                    "\"[T] - Error 0: \r\n\tCalling Function: \r\n\tLast DLL: -5\r\n\tSource: \"\r\n"));
    }

    void dateIsShortDateThenLongTime() {
        const QDateTime t(QDate(2001, 12, 6), QTime(1, 14, 36));
        const QString text = generalDateTimeText(t);
        QVERIFY(text.startsWith(QLocale::system().toString(t.date(), QLocale::ShortFormat) + ' '));
        QVERIFY(text.contains("14") && text.contains("36"));
    }
};

QTEST_MAIN(tst_errorreport)
#include "tst_errorreport.moc"
