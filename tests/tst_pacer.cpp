#include "ConsoleFixture.h"
#include "ManualPacerClock.h"

#include <ServerPacers.h>

using namespace console;

// The pacers on a clock the test moves: what goes when, for each engine's limit; and through the
// session, the echo and the status line of a command that waits.
class tst_pacer : public QObject {
    Q_OBJECT

    std::unique_ptr<ManualPacerClock> sessionClock; // outlives the session that goes by it
    std::unique_ptr<ConsoleFixture> f;

    static QString waiting(int seconds, bool halfSecond = false) {
        return QStringLiteral("Waiting %1 s: the server accepts ").arg(seconds) +
               (halfSecond ? "one command every half second" : "about one command a second");
    }

private slots:
    void cleanup() { f.reset(); }

    // A script of steps "TIME WHAT": U user commands, B background rcon, Q background queries
    // (getstatus, getinfo), R the reboot command (no datagram), N the reboot's quit, P a profile from
    // then on. Each
    // datagram is named by its letter and its number among them; the releases are listed in order.
    void rule_data() {
        columns<QString, QString, QString>("profile", "script", "released");
        const auto times = [](const char* letter, int from, int count, int at) {
            QStringList r;
            for (int i = from; i < from + count; ++i)
                r << QStringLiteral("%1%2@%3").arg(letter).arg(i).arg(at);
            return r.join(' ');
        };
        row("ioquake3: a burst of 10, then one a second and a little", "ioquake3", "0 U12",
            times("U", 0, 10, 0) + " U10@1050 U11@2100");
        row("ioquake3: the bucket refills while nothing is sent", "ioquake3", "0 U10;5000 U3",
            times("U", 0, 10, 0) + " U10@5000 U11@5000 U12@5000");
        row("background keeps three back and waits behind the user", "ioquake3", "0 U9;0 B1;0 U2",
            times("U", 0, 10, 0) + " U10@1050 B0@5100");
        row("the user jumps ahead of waiting background and has what was kept", "ioquake3", "0 B8;500 U4",
            times("B", 0, 7, 0) + " U0@500 U1@500 U2@500 U3@1100 B7@5150");
        row("the reboot keeps its place in line", "ioquake3", "0 U11;0 R1;0 U1",
            times("U", 0, 10, 0) + " U10@1050 R0@1050 U11@2100");
        row("the reboot's quit goes ahead of what was typed since", "ioquake3", "0 U11;0 R1;0 U2;1060 N1",
            times("U", 0, 10, 0) + " U10@1050 R0@1050 N0@2100 U11@3150 U12@4200");
        row("ioquake3: getstatus and getinfo count too", "ioquake3", "0 Q8",
            times("Q", 0, 7, 0) + " Q7@1050");
        row("original engine: one rcon every half second, queries free", "original engine", "0 U3;0 Q2",
            "U0@0 Q0@0 Q1@0 U1@550 U2@1100");
        row("original engine: background rcon behind the user", "original engine", "0 U2;0 B1",
            "U0@0 U1@550 B0@1100");
        row("no limit never delays", "no limit", "0 U15;0 B5;0 Q5",
            times("U", 0, 15, 0) + " " + times("B", 0, 5, 0) + " " + times("Q", 0, 5, 0));
        row("switching to no limit lets everything waiting go", "ioquake3", "0 U12;300 Pno limit",
            times("U", 0, 10, 0) + " U10@300 U11@300");
    }
    void rule() {
        QFETCH(QString, profile);
        QFETCH(QString, script);
        ManualPacerClock pacerClock;
        ServerPacers pacers(&pacerClock);
        pacers.setProfile(*pacingProfileNamed(profile));
        QStringList log;
        QHash<QChar, int> numbered;
        for (const QString& step : script.split(';')) {
            const QString time = step.section(' ', 0, 0), what = step.section(' ', 1);
            pacerClock.advanceTo(std::chrono::milliseconds(time.toInt()));
            if (what.startsWith('P')) {
                pacers.setProfile(*pacingProfileNamed(what.mid(1)));
                continue;
            }
            const QChar letter = what[0];
            const Urgency urgency = letter == 'N'                    ? Urgency::Next
                                    : letter == 'U' || letter == 'R' ? Urgency::User
                                                                     : Urgency::Background;
            const Traffic traffic = letter == 'Q'   ? Traffic::Query
                                    : letter == 'R' ? Traffic::NoDatagram
                                                    : Traffic::Rcon;
            for (int i = 0; i < what.mid(1).toInt(); ++i) {
                const QString name = QString(letter) + QString::number(numbered[letter]++);
                pacers.submit("127.0.0.1", 27960, urgency, traffic, this, [&log, name, &pacerClock] {
                    log << name + '@' + QString::number(pacerClock.now().count());
                });
            }
        }
        pacerClock.advanceTo(std::chrono::milliseconds(60000));
        QTEST(log.join(' '), "released");
        QVERIFY(!pacers.userWait());
    }

    // Each server has a budget of its own, and a datagram whose owner went away is not sent.
    void serversAndOwners() {
        ManualPacerClock pacerClock;
        ServerPacers pacers(&pacerClock);
        QStringList released;
        auto owner = std::make_unique<QObject>();
        for (const char* host : {"a.example", "A.EXAMPLE", "b.example"})
            for (int i = 0; i < 6; ++i)
                pacers.submit(host, 27960, Urgency::User, Traffic::Rcon, owner.get(),
                              [&released, host] { released << host; });
        QCOMPARE(released.count("a.example") + released.count("A.EXAMPLE"), 10); // one server, any case
        QCOMPARE(released.count("b.example"), 6);
        QCOMPARE(*pacers.userWait(), std::chrono::milliseconds(2100));
        owner.reset();
        pacerClock.advanceTo(std::chrono::milliseconds(5000));
        QCOMPARE(released.size(), 16);
        QVERIFY(!pacers.userWait());
    }

    // A reboot, or a scheduled restart by rcon, once the burst is spent: its command waits for its
    // turn, and a refusal of a command sent before it is not taken for the restart's.
    void restartJudgedOnceSent_data() {
        columns<QString>("command"); // empty: the reboot through the Kestwold
        row("reboot's quit", "");
        row("scheduled map_restart", "map_restart");
    }
    void restartJudgedOnceSent() {
        QFETCH(QString, command);
        f = std::make_unique<ConsoleFixture>();
        sessionClock = std::make_unique<ManualPacerClock>();
        f->seams.pacerClock = sessionClock.get();
        TcpStandIn kestwold;
        f->seams.listenerPort = kestwold.port();
        f->seams.rebootDelay = std::chrono::milliseconds(1500); // past the quit's turn, taken at once
        ConsoleSession& s = f->session();
        QSignalSpy status(&s, &ConsoleSession::statusText), ended(&s, &ConsoleSession::restartEnded);
        for (int i = 0; i < 10; ++i)
            s.SendCommand(QStringLiteral("say %1").arg(i));
        for (int i = 0; i < 10; ++i)
            QCOMPARE(f->peer.next(), rcon("pw", "say " + QByteArray::number(i)));
        if (command.isEmpty())
            s.SendCommand("reboot");
        else
            QVERIFY(s.startRestart(s.fields(), command, ServerWatch::How::InPlace));
        QTRY_VERIFY(!status.isEmpty() && status.last().first().toString() == waiting(2)); // it waits
        f->peer.reply("\xff\xff\xff\xffprint\nBad rconpassword.\n");
        QCOMPARE(f->peer.next(200), QByteArray("<nothing>"));
        QCOMPARE(ended.size(), 0);
        sessionClock->advanceTo(std::chrono::milliseconds(1100));
        QCOMPARE(f->peer.next(), rcon("pw", command.isEmpty() ? "quit" : command.toLatin1()));
        if (command.isEmpty())
            QTRY_COMPARE(kestwold.connections.value(0)->received, QByteArray("reboot"));
        else
            QVERIFY(s.restartRunning());
    }

    // A command that waits is echoed and logged when it goes, and the status line counts down the
    // wait; one that need not wait changes nothing the user sees.
    void waitSeenThroughSession_data() {
        columns<QString, int, QStringList>("profile", "commands", "statusLine");
        // The count grows as commands join the line, then goes down a second at a time.
        row("ioquake3", "ioquake3", 12,
            QStringList{waiting(2), waiting(3), waiting(2), waiting(1), QString()});
        row("original engine", "original engine", 3,
            QStringList{waiting(1, true), waiting(2, true), waiting(1, true), QString()});
        row("no limit", "no limit", 15, QStringList{});
        row("within the burst", "ioquake3", 10, QStringList{});
    }
    void waitSeenThroughSession() {
        QFETCH(QString, profile);
        QFETCH(int, commands);
        QFETCH(QStringList, statusLine);
        f = std::make_unique<ConsoleFixture>();
        sessionClock = std::make_unique<ManualPacerClock>();
        ManualPacerClock& pacerClock = *sessionClock;
        f->seams.pacerClock = &pacerClock;
        f->seams.watch.noReply = std::chrono::minutes(1); // the status line is the wait's alone
        ConsoleSession& s = f->session();
        QString pane;
        connect(&s, &ConsoleSession::paneText, this, [&pane](const QString& t) { pane += t; });
        f->applyOptions([&](AppSettings& a) {
            a.EnableLogging = true;
            a.RatePacing = profile;
        });
        QSignalSpy status(&s, &ConsoleSession::statusText);
        for (int i = 0; i < commands; ++i)
            s.SendCommand(QStringLiteral("say %1").arg(i));
        const int atOnce = profile == "original engine" ? 1 : profile == "no limit" ? commands : 10;
        QList<QByteArray> reached;
        for (QByteArray d; (d = f->peer.next(reached.size() < atOnce ? 5000 : 100)) != "<nothing>";)
            reached << d;
        QCOMPARE(reached.size(), atOnce);
        QCOMPARE(pane.count(":> say"), atOnce);
        QCOMPARE(QString::fromLatin1(ConsoleFixture::readFile(logPath())), pane);
        f->peer.reply("\xff\xff\xff\xffprint\nfirst reply\n");
        QTRY_VERIFY(pane.endsWith("first reply\r\n"));
        for (std::chrono::milliseconds t{0}; t < std::chrono::milliseconds(3000);
             t += std::chrono::milliseconds(10))
            pacerClock.advanceTo(t);
        for (int i = atOnce; i < commands; ++i)
            reached << f->peer.next();
        for (int i = 0; i < commands; ++i)
            QCOMPARE(reached.value(i), rcon("pw", "say " + QByteArray::number(i)));
        // Echoed in order, each after the reply that came before it went.
        QCOMPARE(pane.count(":> say"), commands);
        QVERIFY(pane.indexOf("first reply") < pane.indexOf(QStringLiteral(":> say %1\r\n").arg(atOnce)) ||
                atOnce == commands);
        QCOMPARE(QString::fromLatin1(ConsoleFixture::readFile(logPath())), pane);
        QStringList said;
        for (const QList<QVariant>& line : status)
            said << line.first().toString();
        QCOMPARE(said, statusLine);
    }
};

QTEST_MAIN(tst_pacer)
#include "tst_pacer.moc"
