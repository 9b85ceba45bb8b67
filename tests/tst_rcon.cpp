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
};

QTEST_GUILESS_MAIN(tst_rcon)
#include "tst_rcon.moc"
