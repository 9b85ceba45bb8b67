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
        auto row = [](const char* tag, const QString& password, const QString& command,
                      const QByteArray& rest) {
            QTest::newRow(tag) << password << command << QByteArray("\xff\xff\xff\xffrcon ") + rest;
        };
        row("blanks and quotes kept", "my pass", "say \"hi there\"", "my pass say \"hi there\"");
        row("empty password", "", "status", " status");
        row("empty command", "pw", "", "pw ");
        row("latin-1 one byte each", QString::fromLatin1("p\xe9"), QString::fromLatin1("say \xff"),
            "p\xe9 say \xff");
        QByteArray all;
        for (int b = 1; b <= 0xFF; ++b)
            all += char(b);
        row("every byte 0x01-0xFF", "", QString::fromLatin1(all), ' ' + all);
    }
    void datagram() {
        QFETCH(QString, password);
        QFETCH(QString, command);
        QTEST(buildRconDatagram(password, command), "expected");
    }

    void clean_data() {
        QTest::addColumn<QString>("reply");
        QTest::addColumn<int>("hide");
        QTest::addColumn<QString>("expected");
        const QString h = QString::fromLatin1("\xff\xff\xff\xffprint\n");
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
