#include "ConsoleFixture.h"

#include <QElapsedTimer>
#include <QSignalSpy>

using namespace console;

namespace {
const QString kFailed =
    QStringLiteral("The Kestwold is not running or is not properly configured.\r\n"
                   "Please see readme.txt for configuration and installation help.\r\n\r\n"
                   "NOTE: The game server was not shut down and should still be running.");
const QString kDropped =
    QStringLiteral("The game server was told to quit, but the Kestwold dropped the reboot request.\r\n"
                   "The game server may be down.");

} // namespace

class tst_session : public QObject {
    Q_OBJECT

    std::unique_ptr<ConsoleFixture> f;
    QString pane; // everything the session handed to the pane

    ConsoleSession& start(bool logging = true) {
        ConsoleSession& s = f->session();
        connect(&s, &ConsoleSession::paneText, this, [this](const QString& text) { pane += text; });
        if (logging)
            f->applyOptions([](AppSettings& a) { a.EnableLogging = true; });
        return s;
    }

private slots:
    void init() {
        f = std::make_unique<ConsoleFixture>();
        pane.clear();
    }
    void cleanup() { f.reset(); }

    void exchange_data() {
        QTest::addColumn<QString>("password");
        QTest::addColumn<int>("hideCodes");
        QTest::addColumn<bool>("logging");
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QByteArray>("datagram");
        QTest::addColumn<QString>("shown");
        row("password trimmed, header removed", QString("  pw  "), 0, true,
            QByteArray("\xff\xff\xff\xffprint\nmap: q3dm17\nnum score\n"), rcon("pw", "status"),
            QString("map: q3dm17\r\nnum score\r\n"));
        row("empty password keeps both blanks, no log", QString(), 0, false, QByteArray("^1a\n"),
            rcon("", "status"), QString("^1a\r\n"));
        row("colour codes hidden", QString("pw"), 1, true, QByteArray("^1Name^7x ^^11 ^9\n"),
            rcon("pw", "status"), QString("Namex ^1 ^9\r\n"));
    }
    void exchange() {
        QFETCH(QString, password);
        QFETCH(int, hideCodes);
        QFETCH(bool, logging);
        QFETCH(QByteArray, reply);
        ConsoleSession& s = start(logging);
        f->applyOptions([&](AppSettings& a) { a.HideFunNameCodes = qint16(hideCodes); });
        s.setPassword(password);
        QSignalSpy logged(&s, &ConsoleSession::logWritten);
        s.SendCommand("status");
        QTEST(f->peer.next(), "datagram");
        const QStringList lines = pane.split("\r\n");
        QCOMPARE(lines.size(), 5);
        QCOMPARE(lines.mid(0, 2) + lines.mid(4), QStringList({"", "", ""}));
        QVERIFY2(lines[2].endsWith(":> status"), qPrintable(pane));
        QCOMPARE(lines[3], QString(lines[2].size(), '-'));
        const QString echo = pane;
        f->peer.reply(reply);
        QTRY_VERIFY(pane.size() > echo.size());
        QTEST(pane.mid(echo.size()), "shown");
        // The transcript holds exactly what the pane was given.
        QCOMPARE(QString::fromLatin1(ConsoleFixture::readFile(logPath())), logging ? pane : QString());
        QCOMPARE(logged.size(), logging ? 2 : 0);
    }

    void everyByteSurvivesBothWays() {
        ConsoleSession& s = start();
        s.setPassword("p w");
        QByteArray all;
        for (int b = 1; b <= 0xFF; ++b)
            all += char(b);
        s.SendCommand(QString::fromLatin1(all));
        QCOMPARE(f->peer.next(), QByteArray("\xff\xff\xff\xffrcon p w ") + all);
        QFile::remove(logPath());
        f->peer.reply(all);
        QTRY_VERIFY(QFile::exists(logPath()));
        QCOMPARE(ConsoleFixture::readFile(logPath()), QByteArray(all).replace("\n", "\r\n"));
        // The largest datagram there is arrives whole.
        QByteArray biggest(65507, '\0');
        for (int i = 0; i < biggest.size(); i += 7)
            biggest[i] = char('A' + i % 26);
        QSignalSpy replies(&s, &ConsoleSession::replyArrived);
        f->peer.reply(biggest);
        QTRY_COMPARE(replies.size(), 1);
        QCOMPARE(replies[0][0].toString().toLatin1(), biggest);
    }

    void foreignDatagramsNeverShown() {
        ConsoleSession& s = start();
        s.SendCommand("status");
        f->peer.next();
        const QString before = pane;
        QUdpSocket stranger;
        stranger.writeDatagram("\xff\xff\xff\xffprint\nspoofed\n", QHostAddress::LocalHost,
                               quint16(s.localPort()));
        f->peer.reply("real\n");
        QTRY_VERIFY(pane.endsWith("real\r\n"));
        QCOMPARE(pane, before + "real\r\n");
    }

    void floodShownInOrder() {
        ConsoleSession& s = start();
        s.SendCommand("x");
        f->peer.next();
        QList<int> shown;
        connect(&s, &ConsoleSession::replyArrived, this,
                [&](const QString& t) { shown << t.left(6).toInt(); });
        qint64 worstLateness = 0;
        QElapsedTimer clock;
        clock.start();
        qint64 due = 10;
        QTimer ticker;
        connect(&ticker, &QTimer::timeout, this, [&] {
            worstLateness = qMax(worstLateness, clock.elapsed() - due);
            due = clock.elapsed() + 10;
        });
        ticker.start(10);
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
        QCOMPARE(ConsoleFixture::readFile(logPath()).count('\n'), qsizetype(shown.size()) + 4);
        QVERIFY2(worstLateness < 1000, qPrintable(QString::number(worstLateness)));
    }

    void addresses_data() {
        QTest::addColumn<QString>("host");
        QTest::addColumn<QString>("bind");
        row("dotted", "127.0.0.1", "127.0.0.1");
        row("host name", "localhost", "127.0.0.1");
        row("ipv6 literal", "::1", "::1");
    }
    void addresses() {
        QFETCH(QString, host);
        QFETCH(QString, bind);
        if (bind == "::1" && !QUdpSocket().bind(QHostAddress("::1"), 0))
            QSKIP("no IPv6 loopback here");
        UdpPeer peer{QHostAddress(bind)};
        ConsoleSession& s = start();
        s.setAddress(host);
        s.setPort(QString::number(peer.port()));
        s.SendCommand("status");
        QCOMPARE(peer.next(), rcon("pw", "status"));
        peer.reply("ok\n");
        QTRY_VERIFY(pane.endsWith("ok\r\n"));
    }

    void portThatIsNotANumber() {
        ConsoleSession& s = start();
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

    void unresolvableNameNeverBlocks() {
        ConsoleSession& s = start();
        s.setAddress("no-such-host.invalid");
        int ticks = 0;
        QTimer ticker;
        connect(&ticker, &QTimer::timeout, this, [&] { ++ticks; });
        ticker.start(10);
        s.SendCommand("status");
        QVERIFY(pane.contains(":> status"));
        QTRY_VERIFY(ticks >= 10); // the event loop turns while the name is looked up
        s.setAddress("127.0.0.1");
        s.SendCommand("status");
        QCOMPARE(f->peer.next(), rcon("pw", "status"));
    }

    void rebootQuitsThenRestarts() {
        TcpStandIn listener;
        f->seams.listenerPort = listener.port();
        ConsoleSession& s = start();
        QSignalSpy told(&s, &ConsoleSession::notify);
        QSignalSpy sent(&s, &ConsoleSession::RebootSent);
        s.SendCommand("reboot");
        // No echo and nothing over rcon for the command itself: one bare line break.
        QCOMPARE(pane, QString("\r\n"));
        QCOMPARE(ConsoleFixture::readFile(logPath()), QByteArray("\r\n"));
        QCOMPARE(f->peer.next(), rcon("pw", "quit"));
        QElapsedTimer sinceQuit;
        sinceQuit.start();
        QVERIFY(pane.contains(":> quit"));
        s.SendCommand("REBOOT"); // during the wait: starts nothing new
        QTRY_VERIFY(!listener.connections.isEmpty() && listener.connections[0]->closedByPeer);
        QCOMPARE(listener.connections[0]->received, QByteArray("reboot"));
        QVERIFY2(sinceQuit.elapsed() >= 90, qPrintable(QString::number(sinceQuit.elapsed())));
        QCOMPARE(sent.size(), 1);
        QCOMPARE(listener.connections.size(), 1);
        // Only the password-free question whether the server is back.
        QVERIFY(f->peer.next().startsWith("\xff\xff\xff\xffgetinfo "));
        QVERIFY(told.isEmpty());
        s.SendCommand("Reboot"); // idle again
        QTRY_COMPARE(listener.connections.size(), 2);
    }

    void rebootEndsEarly_data() {
        QTest::addColumn<int>(
            "how"); // 0 no listener, 1 drops at once, 2 drops after "quit", 3 console closes
        QTest::addColumn<bool>("quitSent");
        QTest::addColumn<QString>("text"); // empty: nothing said
        row("no listener", 0, false, kFailed);
        row("dropped before standing", 1, false, kFailed);
        row("dropped after quit", 2, true, kDropped);
        row("console closed during the wait", 3, true, QString());
    }
    void rebootEndsEarly() {
        QFETCH(int, how);
        QFETCH(bool, quitSent);
        QFETCH(QString, text);
        TcpStandIn kestwold(QHostAddress::LocalHost, how == 1 ? 0 : -1);
        if (how != 0)
            f->seams.listenerPort = kestwold.port();
        ConsoleSession& s = start();
        QSignalSpy told(&s, &ConsoleSession::notify);
        s.SendCommand("reboot");
        if (quitSent)
            QCOMPARE(f->peer.next(), rcon("pw", "quit"));
        if (how == 2)
            TcpStandIn::reset(kestwold.connections[0]->socket);
        if (how == 3) {
            s.Close();
            QTRY_VERIFY(kestwold.connections[0]->closedByPeer);
        }
        QTRY_COMPARE(told.size(), text.isEmpty() ? 0 : 1);
        QTest::qWait(150); // past the delay: nothing more is sent or said
        QCOMPARE(told.size(), text.isEmpty() ? 0 : 1);
        if (!text.isEmpty())
            QCOMPARE(told[0], (QVariantList{text, QString("Reboot Failed")}));
        QCOMPARE(pane.contains(":> quit"), quitSent);
        QCOMPARE(f->peer.next(50), QByteArray("<nothing>"));
        if (how == 3)
            QCOMPARE(kestwold.connections[0]->received, QByteArray());
    }

    void autoQueryTicks_data() {
        QTest::addColumn<int>("period");
        QTest::addColumn<int>("scale");
        QTest::addColumn<int>("run");
        QTest::addColumn<QList<int>>("fired");
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
        s.setAutoQuery(true);
        for (int tick = 0; tick < 200; ++tick)
            s.tmrMain_Timer();
        s.setAutoQuery(false);
        QVERIFY(!s.autoQueryRunning());
        s.setAutoQuery(true);
        QCOMPARE(s.queryTicks(), 200);
        for (int tick = 0; tick < 99; ++tick)
            s.tmrMain_Timer();
        QCOMPARE(s.queryTicks(), 299);
        // Shortening the period below the count sends at the next tick.
        f->applyOptions([](AppSettings& a) { a.TimePeriod = 1; });
        QCOMPARE(s.queryTicks(), 299);
        s.tmrMain_Timer();
        QCOMPARE(s.queryTicks(), 0);
        QCOMPARE(f->peer.next(), rcon("pw", "status"));
    }

    void autoQueryTimerRuns() {
        f->seams.queryInterval = 1ms;
        ConsoleSession& s = start(false);
        QSignalSpy switched(&s, &ConsoleSession::autoQueryChanged);
        f->applyOptions([](AppSettings& a) {
            a.AutoQuery = true;
            a.TimePeriod = 0;
        });
        QVERIFY(s.settings().AutoQuery && s.autoQueryRunning());
        for (int i = 0; i < 3; ++i)
            QCOMPARE(f->peer.next(), rcon("pw", "status"));
        s.setAutoQuery(false);
        QVERIFY(!s.settings().AutoQuery && !s.autoQueryRunning());
        QCOMPARE(switched.size(), 2);
        QCOMPARE(switched[0][0].toBool(), true);
        QCOMPARE(switched[1][0].toBool(), false);
    }
};

QTEST_MAIN(tst_session)
#include "tst_session.moc"
