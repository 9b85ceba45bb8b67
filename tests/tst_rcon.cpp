#include <Layout.h>
#include <Rcon.h>

#include <QTest>
#include <QTime>

using namespace console;

class tst_rcon : public QObject {
    Q_OBJECT
private slots:
    void clean_data() {
        QTest::addColumn<QString>("reply");
        QTest::addColumn<int>("hide");
        QTest::addColumn<QString>("expected");
        const QString h = QString::fromLatin1("\xff\xff\xff\xffprint\n");
        // What goes out is checked byte for byte through the session.
        QTest::newRow("header anywhere, LF to CR LF") << "a\n" + h + "b\n" << 0 << "a\r\nb\r\n";
        QTest::newRow("header only") << h << 0 << "";
        QTest::newRow("CR LF becomes CR CR LF") << "x\r\n" << 0 << "x\r\r\n";
        QTest::newRow("codes kept unless 1") << "^1Red^7Name" << -1 << "^1Red^7Name";
        QTest::newRow("codes 0-7 stripped, 8 and 9 stay") << "^1Red^7Name^8a^9b^" << 1 << "RedName^8a^9b^";
        QTest::newRow("one pass per code") << "^^11x" << 1 << "^1x";
        QTest::newRow("later code reveals earlier") << "^^70" << 1 << "^0";
    }
    void clean() {
        QFETCH(QString, reply);
        QFETCH(int, hide);
        QTEST(cleanReply(reply, qint16(hide)), "expected");
    }

    void echoLine() {
        QCOMPARE(buildEchoLine("1:02:03 AM", "status"),
                 QString("\r\n\r\n1:02:03 AM:> status\r\n" + QString(19, '-')));
        const QString t = longTimeText(QTime(13, 4, 5));
        QVERIFY2(t.contains("4") && t.contains("05"), qPrintable(t));
        // The console never shows a time zone.
        QVERIFY2(!t.contains("UTC") && !t.contains("GMT"), qPrintable(t));
    }

    // Width and height, then the frames' width, pane height, input top, commands top, Send left,
    // command width, Exit left and notice left.
    void rules_data() {
        QTest::addColumn<QList<float>>("v");
        const auto row = [](const char* tag, const QList<float>& v) { QTest::newRow(tag) << v; };
        row("default size", {8985, 8865, 8735, 5540, 6400, 7385, 7385, 7265, 7385, 1840});
        row("narrow 3000", {3000, 8865, 2750, 5540, 6400, 7385, 1400, 1280, 4080, 120});
        // At or below a threshold the control keeps its design value.
        row("width 250", {250, 8865, 8655, 5540, 6400, 7385, 7305, 7185, 7305, 1800});
        row("height 3325", {8985, 3325, 8735, 5655, 6515, 7500, 7385, 7265, 7385, 1840});
        row("half rounds to even", {8985, 8865.5f, 8735, 5540.5f, 6400, 7385, 7385, 7265, 7385, 1840});
    }
    void rules() {
        QFETCH(QList<float>, v);
        const MainLayout l = resizeLayout(MainLayout{}, v[0], v[1], false);
        for (const TwipsRect& r : {l.fraSettings, l.fraInput, l.fraCommands, l.txtOutput})
            QCOMPARE(QList<float>({r.left, r.width}), QList<float>({75, l.fraSettings.width}));
        QCOMPARE(QList<float>({l.fraSettings.top, l.txtOutput.top}), QList<float>({0, 840}));
        const QList<float> actual{l.fraSettings.width, l.txtOutput.height, l.fraInput.top, l.fraCommands.top,
                                  l.cmdConnect.left,   l.cboCommand.width, l.cmdExit.left, l.lblNotice.left};
        QCOMPARE(actual, v.mid(2));
    }

    // Too small a size keeps what the layout was; minimising changes nothing; the same size again neither.
    void keepsPrevious() {
        const MainLayout before = resizeLayout(MainLayout{}, 12000, 10000, false);
        QCOMPARE(resizeLayout(before, 200, 3000, false), before);
        QCOMPARE(resizeLayout(before, 2000, 1000, true), before);
        QCOMPARE(resizeLayout(before, 12000, 10000, false), before);
    }
};

QTEST_GUILESS_MAIN(tst_rcon)
#include "tst_rcon.moc"
