#include "ConsoleFixture.h"
#include "ManualClock.h"

#include <QNetworkDatagram>
#include <RestartPlan.h>
#include <Schedules.h>
#include <frmMessages.h>
#include <frmRestart.h>

using namespace console;
using Kind = RebootEnd::Kind;

Q_DECLARE_METATYPE(console::RestartPlan)

// The game server on the fixture's peer: answers rcon (or refuses it) and getinfo while it is up;
// "quit" takes it down, and it comes back after backMs (never when negative).
struct GameStandIn {
    explicit GameStandIn(UdpPeer& peer, bool refuse = false, int backMs = 200) : peer(peer) {
        QObject::connect(&peer.socket, &QUdpSocket::readyRead, &peer.socket, [this, refuse, backMs] {
            while (this->peer.socket.hasPendingDatagrams()) {
                const QNetworkDatagram d = this->peer.socket.receiveDatagram();
                const QByteArray bytes = d.data();
                const QByteArray challenge = bytes.mid(12);
                if (bytes.startsWith("\xff\xff\xff\xffgetinfo ") && up)
                    this->peer.socket.writeDatagram(d.makeReply("\xff\xff\xff\xffinfoResponse\n\\hostname\\Te"
                                                                "st ^1Server\\mapname\\oa_dm1\\challenge\\" +
                                                                challenge));
                if (!bytes.startsWith("\xff\xff\xff\xffrcon pw "))
                    continue;
                const QByteArray command = bytes.mid(12);
                commands << QString::fromLatin1(command);
                if (!up)
                    continue;
                this->peer.socket.writeDatagram(d.makeReply(
                    refuse ? "\xff\xff\xff\xffprint\nBad rconpassword.\n" : "\xff\xff\xff\xffprint\n"));
                if (command == "quit" && !refuse) {
                    up = false;
                    if (backMs >= 0)
                        QTimer::singleShot(backMs, &this->peer.socket, [this] { up = true; });
                }
            }
        });
    }
    UdpPeer& peer;
    QStringList commands;
    bool up = true;
};

class tst_schedules : public QObject {
    Q_OBJECT

    std::unique_ptr<ConsoleFixture> f;
    std::unique_ptr<ManualClock> clock;
    std::unique_ptr<Schedules> schedules;
    QStringList sent; // "SECONDS command", seconds from the start of the case
    QDateTime start;

    Schedules& bare() {
        schedules = std::make_unique<Schedules>(f->session(), *clock);
        connect(&f->session(), &ConsoleSession::commandSent, this, [this](const QString& command) {
            sent << QString::number(start.secsTo(clock->now())) + ' ' + command;
        });
        return *schedules;
    }
    ConnectionFields target() const { return {"127.0.0.1", QString::number(f->peer.port()), "pw"}; }
    static RestartPlan plan(int inSeconds, const QString& via, const QString& warnings = "5m 1m 30s 10s") {
        RestartPlan p;
        p.when = inSeconds == 0 ? RestartPlan::When::Now : RestartPlan::When::In;
        p.inSeconds = inSeconds;
        p.via = viaByName(via).value_or(RestartPlan::Via::Custom);
        p.customCommand = via;
        p.warnings = *parseWarnings(warnings);
        return p;
    }
    QString host() const { return "127.0.0.1:" + QString::number(f->peer.port()); }

private slots:
    void init() {
        f = std::make_unique<ConsoleFixture>();
        start = QDateTime(QDate(2026, 3, 2), QTime(4, 0));
        clock = std::make_unique<ManualClock>(start);
        f->seams.clock = clock.get();
        f->seams.watch = {.rebootPoll = 50ms, .rebootLimit = 1000ms, .inPlaceSettle = 150ms};
        sent.clear();
    }
    void cleanup() {
        schedules.reset();
        f.reset();
    }

    void texts_data() {
        columns<QString, QString>("got", "expected");
        row("countdown", countdownText(272), "4:32");
        row("countdown, seconds", countdownText(5), "0:05");
        row("countdown, hours", countdownText(3723), "1:02:03");
        row("warning, minutes", warningTime(300), "5 minutes");
        row("warning, one of each", warningTime(3661), "1 hour 1 minute 1 second");
        row("template", warningText("Server restarts in {time}", 30), "Server restarts in 30 seconds");
        row("say: quote and line break made harmless", sayCommand("a \"b\";\nquit"), "say \"a 'b'; quit\"");
        row("say: cut to a chat line", sayCommand(QString(200, 'x')), "say \"" + QString(150, 'x') + '"');
        row("warnings read", warningsText(*parseWarnings("10s,5m 1:30;1h")), "1h, 5m, 1:30, 10s");
        row("warnings: none", warningsText(*parseWarnings(" ")), "");
        for (const char* bad : {"0", "5x", "25h", "1m,60", "-5", "1:60"})
            QTest::addRow("warnings refused: %s", bad)
                << QString(parseWarnings(bad) ? "read" : "refused") << "refused";
    }
    void texts() {
        QFETCH(QString, got);
        QTEST(got, "expected");
    }

    // What the server is sent, and when: the warnings on their offsets, then the restart.
    void countdown_data() {
        columns<RestartPlan, QString, QStringList>("plan", "message", "expected");
        const QString w = "say \"Server restarts in %1\"";
        row("five minutes, the default warnings", plan(300, "map_restart"), QString(),
            QStringList{"0 " + w.arg("5 minutes"), "240 " + w.arg("1 minute"), "270 " + w.arg("30 seconds"),
                        "290 " + w.arg("10 seconds"), "300 map_restart"});
        row("two minutes: the time left stands in for the longer warning", plan(120, "quit"), QString(),
            QStringList{"0 " + w.arg("2 minutes"), "60 " + w.arg("1 minute"), "90 " + w.arg("30 seconds"),
                        "110 " + w.arg("10 seconds"), "120 quit"});
        row("now: no warning", plan(0, "exec restart.cfg"), QString(), QStringList{"0 exec restart.cfg"});
        row("own offsets and words", plan(90, "map_restart", "5s 1:15"), "Down in {time} \"soon\"",
            QStringList{"15 say \"Down in 1 minute 15 seconds 'soon'\"",
                        "85 say \"Down in 5 seconds 'soon'\"", "90 map_restart"});
    }
    void countdown() {
        QFETCH(RestartPlan, plan);
        QFETCH(QString, message);
        QFETCH(QStringList, expected);
        if (!message.isEmpty())
            plan.message = message;
        GameStandIn server(f->peer);
        Schedules& s = bare();
        QSignalSpy status(&s, &Schedules::statusText);
        QVERIFY(s.startRestart(plan, target()));
        QCOMPARE(status.first().first().toString(),
                 "Restart of 127.0.0.1 in " + countdownText(plan.inSeconds));
        if (plan.inSeconds > 0) {
            clock->advance(plan.inSeconds - 1);
            QCOMPARE(status.last().first().toString(), "Restart of 127.0.0.1 in 0:01");
            clock->advance(1);
        }
        QCOMPARE(sent, expected);
        QTRY_COMPARE(server.commands.size(), expected.size()); // every one reached the server as it was
        for (int i = 0; i < expected.size(); ++i)
            QCOMPARE(server.commands[i], expected[i].section(' ', 1));
    }

    // After the restart: the check that the server is back, on real time.
    void outcome_data() {
        columns<QString, bool, int, int, QString>("via", "refuse", "backMs", "kind", "status");
        row("map_restart: answers all along, back once settled", "map_restart", false, 0, int(Kind::Back),
            "^Server back after \\d+ s: Test Server on oa_dm1$");
        row("quit: seen gone, then back", "quit", false, 200, int(Kind::Back),
            "^Server back after \\d+ s: Test Server on oa_dm1$");
        row("quit: never back", "quit", false, -1, int(Kind::NoAnswer),
            "^No answer from HOST 1 s after the restart$");
        row("quit refused: nothing restarted", "quit", true, 0, int(Kind::Refused),
            "^Restart of HOST cancelled: The server refused the rcon password; nothing was restarted$");
        row("listener not running: no quit", "listener", false, 0, int(Kind::Unreachable),
            "^Restart of 127.0.0.1 not done: the Kestwold is not running there; the game server was not shut "
            "down$");
        row("listener takes it", "listener", false, 200, int(Kind::Back),
            "^Server back after \\d+ s: Test Server on oa_dm1$");
    }
    void outcome() {
        QFETCH(QString, via);
        QFETCH(bool, refuse);
        QFETCH(int, backMs);
        QFETCH(int, kind);
        QFETCH(QString, status);
        TcpStandIn kestwold;
        if (backMs > 0)
            f->seams.listenerPort = kestwold.port(); // else the fixture's port, where nobody listens
        GameStandIn server(f->peer, refuse, backMs);
        Schedules& s = bare();
        QSignalSpy finished(&s, &Schedules::restartFinished);
        QSignalSpy line(&f->session(), &ConsoleSession::statusText);
        QVERIFY(s.startRestart(plan(0, via), target()));
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 5000);
        const auto end = finished.first().first().value<RebootEnd>();
        QCOMPARE(int(end.kind), kind);
        const QRegularExpression expected(QString(status).replace("HOST", host()));
        QVERIFY2(expected.match(end.text).hasMatch(), qPrintable(end.text));
        QCOMPARE(line.last().first().toString(), end.text);
        QCOMPARE(server.commands.contains("quit"), via == "quit" || (via == "listener" && backMs > 0));
        if (via == "listener" && backMs > 0)
            QTRY_VERIFY(!kestwold.connections.isEmpty() && kestwold.connections[0]->received == "reboot");
        QVERIFY(!s.restarting() && !s.counting());
        // A refusal afterwards answers some other command: no word of the restart about it.
        if (server.commands.isEmpty())
            return;
        QSignalSpy notified(&f->session(), &ConsoleSession::notify),
            refusal(&f->session(), &ConsoleSession::refused);
        f->peer.socket.writeDatagram("\xff\xff\xff\xffprint\nBad rconpassword.\n", QHostAddress::LocalHost,
                                     quint16(f->session().localPort()));
        QVERIFY(refusal.wait());
        QCOMPARE(notified.size(), 0);
    }

    // A server that refuses the first warning's password is never restarted.
    void refusedWarningEndsTheCountdown() {
        GameStandIn server(f->peer, true);
        Schedules& s = bare();
        QSignalSpy finished(&s, &Schedules::restartFinished);
        QVERIFY(s.startRestart(plan(300, "quit"), target()));
        QTRY_COMPARE(finished.size(), 1);
        QCOMPARE(int(finished.first().first().value<RebootEnd>().kind), int(Kind::Refused));
        clock->advance(600);
        QTest::qWait(50);
        QCOMPARE(server.commands, QStringList{"say \"Server restarts in 5 minutes\""});
        QVERIFY(!s.counting());
    }

    void cancel_data() {
        columns<int, QStringList>("after", "expected");
        row("after a warning: the players are told", 250,
            QStringList{"0 say \"Server restarts in 5 minutes\"", "240 say \"Server restarts in 1 minute\"",
                        "250 say \"Restart cancelled\""});
        row("before any warning: nothing to tell", 10, QStringList{});
    }
    void cancel() {
        QFETCH(int, after);
        QFETCH(QStringList, expected);
        GameStandIn server(f->peer);
        Schedules& s = bare();
        RestartPlan p = plan(after > 100 ? 300 : 3600, "quit");
        QVERIFY(s.startRestart(p, target()));
        clock->advance(after);
        QSignalSpy status(&s, &Schedules::statusText);
        s.cancelRestart();
        QCOMPARE(status.last().first().toString(), "Restart of 127.0.0.1 cancelled");
        clock->advance(4000);
        QCOMPARE(sent, expected);
        QVERIFY(!s.counting() && !clock->alarm());
    }

    // A daily restart whose time passed while nothing ran is said to be missed, never run late.
    void missed_data() {
        columns<QDateTime, QDateTime, int, QString>("lastSeen", "now", "sleep", "status");
        const QDate day(2026, 3, 2);
        const QString closed = "Restart of 127.0.0.1 at 05:00 missed: the console was not running then";
        row("closed over 05:00", QDateTime(day, QTime(4, 0)), QDateTime(day, QTime(6, 0)), 0, closed);
        row("closed over 05:00 days ago", QDateTime(day.addDays(-3), QTime(23, 0)),
            QDateTime(day, QTime(4, 0)), 0, closed);
        row("closed after 05:00", QDateTime(day, QTime(5, 30)), QDateTime(day, QTime(6, 0)), 0,
            "Restart of 127.0.0.1 in 23:00:00");
        row("first start", QDateTime(), QDateTime(day, QTime(6, 0)), 0, "Restart of 127.0.0.1 in 23:00:00");
        row("asleep through it", QDateTime(day, QTime(4, 50)), QDateTime(day, QTime(4, 50)), 2 * 3600,
            "Restart of 127.0.0.1 at 05:00 missed: its time passed 1:50:00 ago, so it was not run late");
    }
    void missed() {
        QFETCH(QDateTime, lastSeen);
        QFETCH(QDateTime, now);
        QFETCH(int, sleep);
        QFETCH(QString, status);
        GameStandIn server(f->peer);
        clock = std::make_unique<ManualClock>(now);
        start = now;
        Schedules& s = bare();
        RestartPlan daily = plan(0, "quit");
        daily.when = RestartPlan::When::Daily;
        QSignalSpy line(&s, &Schedules::statusText);
        s.resume({daily, host(), lastSeen, {}});
        if (sleep) {
            clock->advance(5 * 60);
            clock->jump(sleep - 5 * 60);
        }
        QCOMPARE(line.last().first().toString(), status);
        QCOMPARE(sent, sleep ? QStringList{"300 say \"Server restarts in 5 minutes\""} : QStringList());
        // The next day's time still counts, with the password of the boxes.
        QVERIFY(s.counting());
        QCOMPARE(s.restartTime(),
                 QDateTime(now.date().addDays(now.time() >= QTime(5, 0) || sleep ? 1 : 0), QTime(5, 0)));
        QCOMPARE(s.stored().dailyServer, host());
    }

    // Each row that is on, on its own period; missed turns are not made up.
    void messages() {
        GameStandIn server(f->peer);
        Schedules& s = bare();
        s.setMessages({{"rules: no camping", 10, true}, {"off", 7, false}, {"see example.org", 12, true}});
        clock->advance(25 * 60);
        clock->jump(60 * 60);
        QCOMPARE(sent, (QStringList{"600 say \"rules: no camping\"", "720 say \"see example.org\"",
                                    "1200 say \"rules: no camping\"", "1440 say \"see example.org\"",
                                    "5100 say \"rules: no camping\"", "5100 say \"see example.org\""}));
        f->session().setPassword("");
        clock->advance(60 * 60);
        QCOMPARE(sent.size(), 6); // nothing goes out without a password in the box
    }

    // Kept beside the settings; whatever the file holds is checked before it is believed.
    void stored_data() {
        columns<QStringList, QString, int>("keys", "daily", "messages");
        row("as saved", QStringList{}, "05:00 1m, 10s via quit", 2);
        row("no such hour", QStringList{"RestartDaily", "25:00"}, "", 2);
        row("unknown way", QStringList{"RestartVia", "telnet"}, "", 2);
        row("custom without its command", QStringList{"RestartVia", "custom", "RestartCommand", " "}, "", 2);
        row("unreadable warnings: the defaults", QStringList{"RestartWarnings", "soon"},
            "05:00 5m, 1m, 30s, 10s via quit", 2);
        row("a row every 0 minutes dropped", QStringList{"Message2Every", "0"}, "05:00 1m, 10s via quit", 1);
        row("a count past the rows", QStringList{"MessageCount", "99999"}, "05:00 1m, 10s via quit", 2);
        row("a count that is no number", QStringList{"MessageCount", "x"}, "05:00 1m, 10s via quit", 0);
    }
    void stored() {
        QFETCH(QStringList, keys);
        QFETCH(QString, daily);
        QFETCH(int, messages);
        RestartPlan p = plan(0, "quit", "10s 1m");
        p.when = RestartPlan::When::Daily;
        const StoredSchedules saved{p,
                                    "::1:27960",
                                    QDateTime(QDate(2026, 3, 2), QTime(4, 0), Qt::UTC),
                                    {{"say \"hi\" = ok", 5, true}, {"second", 60, false}}};
        {
            platform::SettingsStore store;
            saveSchedules(store, saved);
            QVERIFY(store.sync());
        }
        ConsoleFixture::store(keys);
        const StoredSchedules loaded = loadSchedules(platform::SettingsStore());
        const QString got = loaded.daily ? loaded.daily->at.toString("HH:mm") + ' ' +
                                               warningsText(loaded.daily->warnings) + " via " +
                                               viaName(loaded.daily->via)
                                         : QString();
        QCOMPARE(got, daily);
        QCOMPARE(loaded.messages.size(), messages);
        if (keys.isEmpty()) {
            QCOMPARE(loaded.messages, saved.messages);
            QCOMPARE(loaded.dailyServer, saved.dailyServer);
            QCOMPARE(loaded.lastSeen, saved.lastSeen);
        }
    }

    // The window: both dialogs from the keyboard alone, the notice of the outcome, and what is kept.
    void window() {
        GameStandIn server(f->peer);
        frmMain& w = f->open();
        QAction* restart = menuItem(w, "&Commands", "&Restart Server...");
        QAction* cancelItem = menuItem(w, "&Commands", "Cancel Restart");
        QAction* messagesItem = menuItem(w, "&Commands", "&Messages...");
        QVERIFY(restart && cancelItem && messagesItem);
        QVERIFY(!cancelItem->isEnabled());
        connect(&w.session(), &ConsoleSession::commandSent, this, [this](const QString& c) { sent << c; });

        whenModal<frmRestart>([](frmRestart* d) { QTest::keyClick(d, Qt::Key_Escape); });
        restart->trigger();
        QVERIFY(!w.schedules().counting());

        whenModal<frmRestart>([](frmRestart* d) {
            QApplication::setActiveWindow(d);
            (void)QTest::qWaitForWindowActive(d);           // its keys are the window's shortcuts
            QTest::keyClick(d, Qt::Key_D, Qt::AltModifier); // Daily at
            QTRY_VERIFY(d->findChild<QRadioButton*>("optDaily")->isChecked()); // a mnemonic clicks animated
            QTest::keyClick(d, Qt::Key_Tab);
            QTest::keyClicks(d->focusWidget(), "0530");
            QTest::keyClick(d, Qt::Key_W, Qt::AltModifier);
            QTest::keyClick(d->focusWidget(), Qt::Key_A, Qt::ControlModifier);
            QTest::keyClicks(d->focusWidget(), "2m, 10s");
            QTest::keyClick(d, Qt::Key_H, Qt::AltModifier);
            QTest::keyClick(d->focusWidget(), Qt::Key_Down); // rcon map_restart
            if (const QString shots = qEnvironmentVariable("VORLANIX_SHOTS"); !shots.isEmpty())
                d->grab().save(shots + "/restart-dialog.png");
            QTest::keyClick(d->focusWidget(), Qt::Key_Return);
        });
        restart->trigger();
        QVERIFY(w.schedules().counting());
        const RestartPlan daily = *w.schedules().plan();
        QCOMPARE(daily.when, RestartPlan::When::Daily);
        QCOMPARE(daily.at, QTime(5, 30));
        QCOMPARE(daily.warnings, (QList<int>{120, 10}));
        QCOMPARE(daily.via, RestartPlan::Via::MapRestart);
        QCOMPARE(f->find<QLabel>("lblStatus")->text(), "Restart of 127.0.0.1 in 1:30:00");
        QVERIFY(cancelItem->isEnabled());

        whenModal<frmMessages>([](frmMessages* d) {
            QApplication::setActiveWindow(d);
            (void)QTest::qWaitForWindowActive(d);
            QTest::keyClick(d, Qt::Key_A, Qt::AltModifier);
            QTRY_COMPARE(d->findChild<QTableView*>("lstMessages")->model()->rowCount(), 1);
            QTest::keyClicks(d->focusWidget(), "Visit example.org");
            QTest::keyClick(d->focusWidget(), Qt::Key_Return); // the text is in, once the editor has closed
            auto* list = d->findChild<QTableView*>("lstMessages");
            QTRY_COMPARE(list->model()->index(0, 0).data().toString(), "Visit example.org");
            if (const QString shots = qEnvironmentVariable("VORLANIX_SHOTS"); !shots.isEmpty())
                d->grab().save(shots + "/messages-dialog.png");
            QTest::keyClick(d->focusWidget(), Qt::Key_Return); // OK
        });
        messagesItem->trigger();
        QCOMPARE(w.schedules().messages(), (QList<RecurringMessage>{{"Visit example.org", 10, true}}));

        // The dialog offers to cancel a countdown that runs.
        whenModal<frmRestart>([](frmRestart* d) {
            QApplication::setActiveWindow(d);
            (void)QTest::qWaitForWindowActive(d);
            QTest::keyClick(d, Qt::Key_R, Qt::AltModifier);
        });
        restart->trigger();
        QTRY_VERIFY(!w.schedules().counting());
        QCOMPARE(f->find<QLabel>("lblStatus")->text(), "Restart of 127.0.0.1 cancelled");
        QVERIFY(!cancelItem->isEnabled());
        QVERIFY(sent.isEmpty()); // no warning had gone out: nothing to tell the players
        QVERIFY(w.schedules().startRestart(daily, {"127.0.0.1", QString::number(f->peer.port()), "pw"}));

        // Kept over a restart of the console, closed while 05:30 passed.
        f->window.reset();
        clock->jump(2 * 3600);
        resetBasMain();
        frmMain& again = f->open(false);
        QCOMPARE(again.schedules().plan(), daily);
        QCOMPARE(again.schedules().messages().size(), 1);
        QCOMPARE(f->find<QLabel>("lblStatus")->text(),
                 "Restart of 127.0.0.1 at 05:30 missed: the console was not running then");

        // Now, through the menu; the outcome comes as a notice of the desktop as well.
        f->box("cboAddr")->setEditText("127.0.0.1");
        f->box("cboPort")->setEditText(QString::number(f->peer.port()));
        f->find<QLineEdit>("txtPassword")->setText("pw");
        whenModal<frmRestart>([](frmRestart* d) {
            QApplication::setActiveWindow(d);
            (void)QTest::qWaitForWindowActive(d);
            QTest::keyClick(d, Qt::Key_N, Qt::AltModifier);
            QTRY_VERIFY(d->findChild<QRadioButton*>("optNow")->isChecked());
            QTest::keyClick(d, Qt::Key_Return);
        });
        menuItem(again, "&Commands", "&Restart Server...")->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(f->desktop.notices.size(), 1, 5000);
        QCOMPARE(f->desktop.notices.first().first(), "Server restart");
        QVERIFY2(f->desktop.notices.first().last().startsWith("Server back after "),
                 qPrintable(f->desktop.notices.first().last()));
        QVERIFY(f->paneText().contains(":> map_restart"));
        QVERIFY(!f->paneText().contains("Server back"));
    }
};

QTEST_MAIN(tst_schedules)
#include "tst_schedules.moc"
