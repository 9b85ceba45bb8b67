#include <Rcon.h>

#include <QTest>
#include <QTime>

using namespace console;

class tst_rcon : public QObject {
    Q_OBJECT
private slots:
    void datagram_data() {
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("command");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("three-char password") << "abc"
                                             << "status" << QByteArray("\xff\xff\xff\xffrcon abc status");
        QTest::newRow("empty password") << ""
                                        << "status" << QByteArray("\xff\xff\xff\xffrcon  status");
        QTest::newRow("blanks kept") << "my pass"
                                     << "say \"hi there\""
                                     << QByteArray("\xff\xff\xff\xffrcon my pass say \"hi there\"");
        QTest::newRow("latin-1 byte") << QString::fromLatin1("p\xe9") << QString::fromLatin1("say \xff")
                                      << QByteArray("\xff\xff\xff\xffrcon p\xe9 say \xff");
        QTest::newRow("empty command") << "pw"
                                       << "" << QByteArray("\xff\xff\xff\xffrcon pw ");
    }
    void datagram() {
        QFETCH(QString, password);
        QFETCH(QString, command);
        QFETCH(QByteArray, expected);
        const QByteArray d = buildRconDatagram(password, command);
        QCOMPARE(d, expected);
        QCOMPARE(d.size(), 10 + password.size() + command.size());
    }

    void everyByteSurvives() {
        QByteArray all;
        for (int b = 1; b <= 0xFF; ++b)
            all += char(b);
        const QByteArray d = buildRconDatagram(QString(), QString::fromLatin1(all));
        QCOMPARE(d.mid(10), all);
    }

    void clean_data() {
        QTest::addColumn<QString>("reply");
        QTest::addColumn<int>("hide");
        QTest::addColumn<QString>("expected");
        const QString h = QString::fromLatin1("\xff\xff\xff\xffprint\n");
        QTest::newRow("header then line") << h + "map: q3dm17\n" << 0 << "map: q3dm17\r\n";
        QTest::newRow("header mid datagram") << "a\n" + h + "b\n" << 0 << "a\r\nb\r\n";
        QTest::newRow("no header") << "plain\nlines\n" << 0 << "plain\r\nlines\r\n";
        QTest::newRow("crlf becomes cr cr lf") << "x\r\n" << 0 << "x\r\r\n";
        QTest::newRow("codes kept when 0") << "^1Red^7Name" << 0 << "^1Red^7Name";
        QTest::newRow("codes kept when -1") << "^1Red^7Name" << -1 << "^1Red^7Name";
        QTest::newRow("codes stripped when 1") << "^1Red^7Name" << 1 << "RedName";
        QTest::newRow("one pass per code") << "^^11x" << 1 << "^1x";
        QTest::newRow("caret 8 and 9 stay") << "^8a^9b^" << 1 << "^8a^9b^";
        QTest::newRow("later code reveals earlier") << "^^70" << 1 << "^0";
        QTest::newRow("header only") << h << 0 << "";
    }
    void clean() {
        QFETCH(QString, reply);
        QFETCH(int, hide);
        QFETCH(QString, expected);
        QCOMPARE(cleanReply(reply, qint16(hide)), expected);
    }

    void echoLine() {
        QCOMPARE(buildEchoLine("1:02:03 AM", "status"),
                 QString("\r\n\r\n1:02:03 AM:> status\r\n" + QString(19, '-')));
        const QString t = longTimeText(QTime(13, 4, 5));
        QVERIFY(!t.isEmpty());
        QVERIFY2(t.contains("4") && t.contains("05"), qPrintable(t));
        // The console never shows a time zone.
        QVERIFY2(!t.contains("UTC") && !t.contains("GMT"), qPrintable(t));
    }
};

QTEST_GUILESS_MAIN(tst_rcon)
#include "tst_rcon.moc"
