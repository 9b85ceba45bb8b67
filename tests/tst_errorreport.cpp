#include "FakeDesktop.h"

#include <ErrorReport.h>
#include <ProgramFolder.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using console::ErrorInfo;

class tst_errorreport : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    static QByteArray logBytes() {
        QFile file(console::errorLogPath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private slots:
    void init() {
        console::clearError();
        console::setLastDllError(0);
        platform::setProgramFolder(m_dir.path());
        QFile::remove(console::errorLogPath());
    }
    void cleanupTestCase() { platform::setProgramFolder(QString()); }

    void record_data() {
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("description");
        QTest::addColumn<QString>("source");
        QTest::addColumn<int>("dll");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("file not found")
            << 53 << "File not found"
            << "vorlanix" << 0
            << QByteArray("\"[12/6/2001 1:14:36 AM] - Error 53: File not found\r\n"
                          "\tCalling Function: vorlanix\r\n"
                          "\tLast DLL: 0\r\n"
                          "\tSource: vorlanix\"\r\n");
        QTest::newRow("negative numbers")
            << -2147221504 << "Automation error"
            << "frmAbout" << -5
            << QByteArray("\"[12/6/2001 1:14:36 AM] - Error -2147221504: Automation error\r\n"
                          "\tCalling Function: frmAbout\r\n"
                          "\tLast DLL: -5\r\n"
                          "\tSource: frmAbout\"\r\n");
        QTest::newRow("no pending error") << 0 << ""
                                          << "" << 0
                                          << QByteArray("\"[12/6/2001 1:14:36 AM] - Error 0: \r\n"
                                                        "\tCalling Function: \r\n"
                                                        "\tLast DLL: 0\r\n"
                                                        "\tSource: \"\r\n");
        QTest::newRow("quote inside unescaped")
            << 5 << "Bad \"key\""
            << "a\"b" << 2
            << QByteArray("\"[12/6/2001 1:14:36 AM] - Error 5: Bad \"key\"\r\n"
                          "\tCalling Function: a\"b\r\n"
                          "\tLast DLL: 2\r\n"
                          "\tSource: a\"b\"\r\n");
    }
    void record() {
        QFETCH(int, number);
        QFETCH(QString, description);
        QFETCH(QString, source);
        QFETCH(int, dll);
        QFETCH(QByteArray, expected);
        const ErrorInfo error{number, description, source, dll};
        QCOMPARE(console::errorRecord("12/6/2001 1:14:36 AM", error).toLatin1(), expected);
    }

    void boxText_data() {
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("description");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("with caller text")
            << 53 << "File not found"
            << "System Information Is Unavailable At This Time"
            << "53: File not found\r\nSystem Information Is Unavailable At This Time";
        QTest::newRow("empty caller text") << 5 << "Invalid procedure call"
                                           << ""
                                           << "5: Invalid procedure call\r\n";
        QTest::newRow("no pending error") << 0 << ""
                                          << "x"
                                          << "0: \r\nx";
    }
    void boxText() {
        QFETCH(int, number);
        QFETCH(QString, description);
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(console::errorBoxText(ErrorInfo{number, description, {}, 0}, text), expected);
    }

    void style_data() {
        using Icon = platform::Desktop::Icon;
        using Buttons = platform::Desktop::Buttons;
        QTest::addColumn<int>("flags");
        QTest::addColumn<Icon>("icon");
        QTest::addColumn<Buttons>("buttons");
        QTest::newRow("48: exclamation, OK") << 48 << Icon::Warning << Buttons::Ok;
        QTest::newRow("16: critical") << 16 << Icon::Critical << Buttons::Ok;
        QTest::newRow("36: question, yes/no") << 36 << Icon::Question << Buttons::YesNo;
        QTest::newRow("65: information, OK/cancel") << 65 << Icon::Information << Buttons::OkCancel;
        QTest::newRow("3: yes/no/cancel") << 3 << Icon::None << Buttons::YesNoCancel;
        QTest::newRow("0: plain") << 0 << Icon::None << Buttons::Ok;
    }
    void style() {
        QFETCH(int, flags);
        QFETCH(platform::Desktop::Icon, icon);
        QFETCH(platform::Desktop::Buttons, buttons);
        const console::MessageBoxStyle s = console::messageBoxStyle(flags);
        QCOMPARE(s.icon, icon);
        QCOMPARE(s.buttons, buttons);
    }

    void twoReportsInARow() {
        FakeDesktop desktop;
        console::raiseError(53, "File not found", "vorlanix");
        console::setLastDllError(2);
        QVERIFY(!QFile::exists(console::errorLogPath()));
        const QDateTime before = QDateTime::currentDateTime();
        console::ReportError(desktop, nullptr, "System Information Is Unavailable At This Time", 48);
        console::raiseError(7, "Out of memory", "GetKeyValue");
        console::ReportError(desktop, nullptr, QString(), 48);
        const QDateTime after = QDateTime::currentDateTime();

        // The clock may pass a second boundary between the reports: accept any second in between.
        auto recordAt = [](const ErrorInfo& e, const QDateTime& t) {
            return console::errorRecord(console::generalDateTimeText(t), e).toLatin1();
        };
        const QByteArray log = logBytes();
        bool matched = false;
        for (QDateTime t1 = before; t1 <= after.addSecs(1) && !matched; t1 = t1.addSecs(1))
            for (QDateTime t2 = t1; t2 <= after.addSecs(1) && !matched; t2 = t2.addSecs(1))
                matched = log == recordAt({53, "File not found", "vorlanix", 2}, t1) +
                                     recordAt({7, "Out of memory", "GetKeyValue", 2}, t2);
        QVERIFY2(matched, log.constData());
        QCOMPARE(log.count("\r\n"), 8);

        QCOMPARE(desktop.boxes.size(), 2);
        QCOMPARE(desktop.boxes[0].text,
                 QString("53: File not found\r\nSystem Information Is Unavailable At This Time"));
        QCOMPARE(desktop.boxes[1].text, QString("7: Out of memory\r\n"));
        for (const FakeDesktop::Box& box : desktop.boxes) {
            QCOMPARE(box.title, QString("Tarnwick Caught An Error!"));
            QCOMPARE(box.icon, platform::Desktop::Icon::Warning);
            QCOMPARE(box.buttons, platform::Desktop::Buttons::Ok);
        }
        // The current error stays as it was.
        QCOMPARE(console::currentError().number, 7);
        QCOMPARE(console::currentError().description, QString("Out of memory"));
    }

    void dateIsShortDateThenLongTime() {
        const QDateTime t(QDate(2001, 12, 6), QTime(1, 14, 36));
        const QString text = console::generalDateTimeText(t);
        QVERIFY(text.startsWith(QLocale::system().toString(t.date(), QLocale::ShortFormat) + ' '));
        QVERIFY(text.contains("14"));
        QVERIFY(text.contains("36"));
    }

    void unwritableFolderStillShowsBox_data() {
        QTest::addColumn<bool>("logIsFolder");
        QTest::newRow("error.log is a folder") << true;
        QTest::newRow("program folder missing") << false;
    }
    void unwritableFolderStillShowsBox() {
        QFETCH(bool, logIsFolder);
        if (logIsFolder)
            QVERIFY(QDir().mkpath(console::errorLogPath()));
        else
            platform::setProgramFolder(m_dir.path() + "/no such folder/deeper");
        FakeDesktop desktop;
        console::raiseError(53, "File not found", "vorlanix");
        console::ReportError(desktop, nullptr, "System Information Is Unavailable At This Time", 48);
        QCOMPARE(desktop.boxes.size(), 1);
        QCOMPARE(desktop.boxes[0].title, QString("Tarnwick Caught An Error!"));
        QCOMPARE(desktop.boxes[0].text,
                 QString("53: File not found\r\nSystem Information Is Unavailable At This Time"));
        if (logIsFolder)
            QDir(console::errorLogPath()).removeRecursively();
    }
};

QTEST_MAIN(tst_errorreport)
#include "tst_errorreport.moc"
