#include "ConsoleFixture.h"

#include <QElapsedTimer>
#include <QSignalSpy>

using namespace console;

class tst_session : public QObject {
    Q_OBJECT

    std::unique_ptr<ConsoleFixture> f;
    QString pane; // everything the session handed to the pane
    int ticks = 0;
    QTimer ticker; // shows the event loop turning

    ConsoleSession& start(bool logging = true) {
        ConsoleSession& s = f->session();
        connect(&s, &ConsoleSession::paneText, this, [this](const QString& text) { pane += text; });
        f->applyOptions([&](AppSettings& a) { a.EnableLogging = logging; });
        return s;
    }
    QByteArray transcript() const { return ConsoleFixture::readFile(logPath()); }

private slots:
    void initTestCase() {
        connect(&ticker, &QTimer::timeout, this, [this] { ++ticks; });
        ticker.start(10);
    }
    void init() {
        f = std::make_unique<ConsoleFixture>();
        pane.clear();
        ticks = 0;
    }
    void cleanup() { f.reset(); }

    // Every byte goes out and comes back as it is; a datagram from anyone but the server is never shown.
    void exchange_data() {
        columns<QString, QString, int, bool, QByteArray, QByteArray, QByteArray>(
            "password", "command", "hideCodes", "logging", "reply", "datagram", "shown");
        QByteArray all;
        for (int b = 1; b <= 0xFF; ++b)
            all += char(b);
        const QByteArray biggest = (all + '\0').repeated(256).left(65507);
        const auto crlf = [](QByteArray bytes) { return bytes.replace("\n", "\r\n"); };
        row("password trimmed, header removed", "  pw  ", "status", 0, true,
            QByteArray("\xff\xff\xff\xffprint\nmap: q3dm17\nnum score\n"), rcon("pw", "status"),
            QByteArray("map: q3dm17\r\nnum score\r\n"));
        row("empty password keeps both blanks, no log", "", "status", 0, false, QByteArray("^1a\n"),
            rcon("", "status"), QByteArray("^1a\r\n"));
        row("colour codes hidden", "pw", "status", 1, true, QByteArray("^1Name^7x ^^11 ^9\n"),
            rcon("pw", "status"), QByteArray("Namex ^1 ^9\r\n"));
        row("every byte, latin-1 password", QString::fromLatin1("p\xe9 w"), QString::fromLatin1(all), 0, true,
            all, rcon("p\xe9 w", all), crlf(all));
        row("largest datagram, NULs and all", "pw", "s", 0, true, biggest, rcon("pw", "s"), crlf(biggest));
    }
    // A datagram from anyone but the server is never shown.
    void exchange() {
        QFETCH(QString, password);
        QFETCH(QString, command);
        QFETCH(int, hideCodes);
        QFETCH(bool, logging);
        QFETCH(QByteArray, reply);
        ConsoleSession& s = start(logging);
        f->applyOptions([&](AppSettings& a) { a.HideFunNameCodes = qint16(hideCodes); });
        s.setPassword(password);
        QSignalSpy logged(&s, &ConsoleSession::logWritten);
        s.SendCommand(command);
        QTEST(f->peer.next(), "datagram");
        QVERIFY(pane.startsWith("\r\n\r\n") && pane.contains(":> " + command + "\r\n-"));
        const QString echo = pane;
        QUdpSocket().writeDatagram("\xff\xff\xff\xffprint\nspoofed\n", QHostAddress::LocalHost,
                                   quint16(s.localPort()));
        f->peer.reply(reply);
        QTRY_VERIFY(pane.size() > echo.size());
        QTEST(pane.mid(echo.size()).toLatin1(), "shown");
        // The transcript holds exactly what the pane was given.
        QCOMPARE(QString::fromLatin1(transcript()), logging ? pane : QString());
        QCOMPARE(logged.size(), logging ? 2 : 0);
    }

    void floodShownInOrderWithoutFreezing() {
        ConsoleSession& s = start();
        s.SendCommand("x");
        f->peer.next();
        QList<int> shown;
        connect(&s, &ConsoleSession::replyArrived, this,
                [&](const QString& t) { shown << t.left(6).toInt(); });
        QElapsedTimer clock;
        qint64 last = 0, worstGap = 0;
        QTimer gaps;
        connect(&gaps, &QTimer::timeout, this, [&] {
            worstGap = qMax(worstGap, clock.elapsed() - last);
            last = clock.elapsed();
        });
        clock.start();
        gaps.start(10);
        const int count = 3000;
        for (int i = 0; i < count; ++i) {
            f->peer.reply(QByteArray::number(i).rightJustified(6, '0') + ' ' + QByteArray(992, 'f') + '\n');
            if (i % 50 == 0)
                QCoreApplication::processEvents();
        }
        QTRY_VERIFY(!shown.isEmpty() && shown.last() == count - 1);
        QVERIFY(std::is_sorted(shown.begin(), shown.end()) &&
                std::adjacent_find(shown.begin(), shown.end()) == shown.end());
        // Slow builds (sanitizers) lose some to the full receive buffer; order and bounds must hold.
        QVERIFY2(shown.size() > count / 10, qPrintable(QString::number(shown.size())));
        QCOMPARE(transcript().count('\n'), qsizetype(shown.size()) + 4);
        QVERIFY2(worstGap < 1000, qPrintable(QString::number(worstGap)));
    }

    // Names are looked up without holding the event loop; a name that never resolves holds nothing up.
    void addresses_data() {
        columns<QString, QString>("host", "bind");
        row("dotted", "127.0.0.1", "127.0.0.1");
        row("host name", "localhost", "127.0.0.1");
        row("ipv6 literal", "::1", "::1");
        row("never resolves", "no-such-host.invalid", "127.0.0.1");
    }
    void addresses() {
        QFETCH(QString, host);
        QFETCH(QString, bind);
        if (bind == "::1" && !QUdpSocket().bind(QHostAddress("::1"), 0))
            QSKIP("no IPv6 loopback here");
        UdpPeer peer{QHostAddress(bind)};
        ConsoleSession& s = start(false);
        s.setAddress(host);
        s.setPort(QString::number(peer.port()));
        s.SendCommand("status");
        QVERIFY(pane.contains(":> status"));
        QTRY_VERIFY(ticks >= 5);
        if (host.endsWith(".invalid")) {
            s.setAddress("127.0.0.1");
            s.SendCommand("status");
        }
        QCOMPARE(peer.next(), rcon("pw", "status"));
        peer.reply("ok\n");
        QTRY_VERIFY(pane.endsWith("ok\r\n"));
    }

    void portThatIsNotANumber() {
        ConsoleSession& s = start(false);
        s.setPort("abc");
        s.SendCommand("first"); // no earlier port: goes nowhere, still echoed
        QVERIFY(pane.contains(":> first"));
        s.setPort(QString::number(f->peer.port()));
        s.SendCommand("second");
        s.setPort("abc");
        s.SendCommand("third"); // keeps the port of the previous send
        QCOMPARE(f->peer.next(), rcon("pw", "second"));
        QCOMPARE(f->peer.next(), rcon("pw", "third"));
    }

    void reboot_data() {
        // 0 no listener, 1 drops at once, 2 drops after "quit", 3 console closes, 4 listener takes it
        columns<int, QString>("how", "told"); // told: empty when nothing is said
        const QString failed = "The Kestwold is not running or is not properly configured.\r\n"
                               "Please see readme.txt for configuration and installation help.\r\n\r\n"
                               "NOTE: The game server was not shut down and should still be running.";
        row("no listener", 0, failed);
        row("dropped before standing", 1, failed);
        row("dropped after quit", 2,
            QString("The game server was told to quit, but the Kestwold dropped the reboot request.\r\n"
                    "The game server may be down."));
        row("console closed during the wait", 3, QString());
        row("listener takes it", 4, QString());
    }
    void reboot() {
        QFETCH(int, how);
        QFETCH(QString, told);
        TcpStandIn kestwold(QHostAddress::LocalHost, how == 1 ? 0 : -1);
        if (how != 0)
            f->seams.listenerPort = kestwold.port();
        ConsoleSession& s = start();
        QSignalSpy notified(&s, &ConsoleSession::notify);
        QSignalSpy sent(&s, &ConsoleSession::RebootSent);
        s.SendCommand("reboot");
        // No echo and nothing over rcon for the command itself: one bare line break.
        QCOMPARE(pane, QString("\r\n"));
        QCOMPARE(transcript(), QByteArray("\r\n"));
        if (how >= 2)
            QCOMPARE(f->peer.next(), rcon("pw", "quit"));
        QElapsedTimer sinceQuit;
        sinceQuit.start();
        if (how == 2)
            TcpStandIn::reset(kestwold.connections[0]->socket);
        if (how == 3) {
            s.Close();
            QTRY_VERIFY(kestwold.connections[0]->closedByPeer);
            QCOMPARE(kestwold.connections[0]->received, QByteArray());
        }
        if (how == 4) {
            s.SendCommand("REBOOT"); // during the wait: starts nothing new
            QTRY_VERIFY(kestwold.connections[0]->closedByPeer);
            QCOMPARE(kestwold.connections[0]->received, QByteArray("reboot"));
            QVERIFY2(sinceQuit.elapsed() >= 90, qPrintable(QString::number(sinceQuit.elapsed())));
            // Only the password-free question whether the server is back.
            QVERIFY(f->peer.next().startsWith("\xff\xff\xff\xffgetinfo "));
        } else {
            QTRY_COMPARE(notified.size(), told.isEmpty() ? 0 : 1);
            QCOMPARE(f->peer.next(150), QByteArray("<nothing>")); // past the delay: nothing more sent
        }
        const QList<QVariantList> said{{told, "Reboot Failed"}};
        QCOMPARE(notified, told.isEmpty() ? QList<QVariantList>() : said);
        QCOMPARE(pane.contains(":> quit"), how >= 2);
        QCOMPARE(sent.size(), how == 4 ? 1 : 0);
        QCOMPARE(kestwold.connections.size(), how == 0 ? 0 : 1);
        if (how == 4) {
            s.SendCommand("Reboot"); // idle again
            QTRY_COMPARE(kestwold.connections.size(), 2);
        }
    }

    void autoQueryTicks_data() {
        columns<int, int, int, QList<int>>("period", "scale", "run", "fired");
        row("period 0: every tick", 0, 60, 4, QList<int>{1, 2, 3, 4});
        row("1 second", 1, 1, 3, QList<int>{1, 2, 3});
        row("1 minute", 1, 60, 121, QList<int>{60, 120});
        row("defaults, 5 minutes", 5, 60, 601, QList<int>{300, 600});
        row("600 minutes", 600, 60, 36001, QList<int>{36000});
    }
    void autoQueryTicks() {
        QFETCH(int, period);
        QFETCH(int, scale);
        QFETCH(int, run);
        ConsoleSession& s = start(false);
        f->applyOptions([&](AppSettings& a) {
            a.TimePeriod = qint16(period);
            a.TimeScale = qint16(scale);
        });
        QSignalSpy sent(&s, &ConsoleSession::commandSent);
        QList<int> fired;
        for (int tick = 1; tick <= run; ++tick) {
            s.tmrMain_Timer();
            if (s.queryTicks() == 0)
                fired << tick;
        }
        QTEST(fired, "fired");
        QCOMPARE(sent.size(), fired.size());
        QCOMPARE(sent.last()[0].toString(), QString("status"));
    }

    void autoQueryKeepsItsCountWhileOff() {
        ConsoleSession& s = start(false);
        const auto tick = [&](int times) {
            for (int i = 0; i < times; ++i)
                s.tmrMain_Timer();
        };
        s.setAutoQuery(true);
        tick(200);
        s.setAutoQuery(false);
        QVERIFY(!s.autoQueryRunning());
        s.setAutoQuery(true);
        tick(99);
        QCOMPARE(s.queryTicks(), 299);
        // Shortening the period below the count sends at the next tick.
        f->applyOptions([](AppSettings& a) { a.TimePeriod = 1; });
        QCOMPARE(s.queryTicks(), 299);
        tick(1);
        QCOMPARE(s.queryTicks(), 0);
        QCOMPARE(f->peer.next(), rcon("pw", "status"));
    }
};

QTEST_MAIN(tst_session)
#include "tst_session.moc"
