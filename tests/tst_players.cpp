#include "CapturedReplies.h"
#include "ConsoleFixture.h"

#include <Layout.h>
#include <ServerQuery.h>
#include <ServerWatch.h>
#include <Twips.h>
#include <frmPlayers.h>

using namespace console;
using A = frmPlayers::Action;

namespace {
const QByteArray kPrint("\xff\xff\xff\xffprint\n");
constexpr auto kNoReply = 20ms; // as the tests set it
} // namespace

// The status line and the Players window against a loopback stand-in answering as scripted or with a
// real server's captured replies; the real server's own turn is in the OpenArena test.
class tst_players : public QObject {
    Q_OBJECT
    std::unique_ptr<ConsoleFixture> f; // one window for all: each test starts where the last ended

private slots:
    void initTestCase() {
        f = std::make_unique<ConsoleFixture>();
        f->seams.watch.noReply = kNoReply;
        f->seams.playersRefresh = 50ms;
        f->open();
    }
    void cleanupTestCase() { f.reset(); }
    // Tests shorten every wait; the program keeps its own.
    void productionTimes() {
        const SessionSeams s;
        QCOMPARE(
            QList<qint64>({s.watch.noReply.count(), s.watch.rebootPoll.count(), s.watch.rebootLimit.count(),
                           s.playersRefresh.count(), ServerQuery::kRconQuietMs}),
            QList<qint64>({2000, 2000, 120000, 5000, 1000}));
    }

    void replies_data() {
        // Commands split at '|', the replies after the first; PORT is the server's.
        columns<QString, QByteArrayList, QString>("commands", "replies", "expected");
        using R = QByteArrayList;
        const QByteArray refused = kPrint + "Bad rconpassword.\n";
        row("silent server", "status", R{},
            "No reply from 127.0.0.1:PORT (wrong address or port, server down, or commands sent too fast)");
        row("refused", "status", R{refused}, "The server refused the rcon password");
        row("no password", "status", R{kPrint + "No rconpassword set on the server.\n"},
            "The server has no rcon password set");
        row("next reply clears", "status", R{refused, kPrint + "ok\n"}, "");
        row("burst, one answer", "a|b|c", R{kPrint}, "");
        row("quit goes without a word", "quit", R{}, "");
    }
    void replies() {
        QFETCH(QString, commands);
        QFETCH(QByteArrayList, replies);
        QFETCH(QString, expected);
        f->drainPeer();
        for (const QString& c : commands.split('|'))
            f->session().SendCommand(c);
        QVERIFY(f->peer.next() != "<nothing>");
        for (const QByteArray& r : replies)
            f->peer.reply(r);
        expected.replace("PORT", QString::number(f->peer.port()));
        if (!expected.startsWith("No reply"))
            QTest::qWait(2 * kNoReply.count()); // past the no-reply time
        QTRY_COMPARE(f->find<QLabel>("lblStatus")->text(), expected);
        // The pane and the log keep only the echo and the replies.
        QVERIFY(!f->paneText().contains("No reply") && !f->paneText().contains("refused"));
    }

    // What an action sends; a ban only for a real address, without port or brackets.
    void commands_data() {
        // what: the slot, or the address as rcon status shows it; expected empty: nothing to send
        columns<A, QString, QString, QString>("action", "what", "message", "expected");
        row("kick", A::Kick, "3", "", "clientkick 3");
        row("tell", A::Tell, "0", "gg, 100%1", "tell 0 \"gg, 100%1\"");
        row("tell, quotes and line breaks cannot end the message", A::Tell, "1", "a\" ; quit \"\nb\rc",
            "tell 1 \"a' ; quit ' b c\"");
        row("ban v4 with port", A::Ban, "10.0.0.2:27960", "", "banaddr 10.0.0.2");
        row("ban v6 with port", A::Ban, "[::1]:27960", "", "banaddr ::1");
        row("ban bare v6", A::Ban, "fe80::1", "", "banaddr fe80::1");
        row("ban bot", A::Ban, "bot", "", "");
        row("ban cut bracket", A::Ban, "[::1", "", "");
    }
    void commands() {
        QFETCH(A, action);
        QFETCH(QString, what);
        QFETCH(QString, message);
        if (action == A::Ban)
            what = frmPlayers::banAddress(what);
        QTEST(what.isEmpty() ? QString() : frmPlayers::command(action, what, message), "expected");
    }

    // From no address to a server gone silent; once Sarge is kicked the stand-in leaves him out.
    void window() {
        auto& w = *f->window;
        f->applyOptions([](AppSettings& s) { s.EnableLogging = true; });
        bool silent = false;
        QByteArrayList heard;
        connect(&f->peer.socket, &QUdpSocket::readyRead, &w, [&] {
            while (f->peer.socket.hasPendingDatagrams()) {
                const QByteArray d = heard.emplace_back(f->peer.next(0));
                QByteArrayList lines = (d.endsWith("getstatus")        ? captured("getstatus-bots")
                                        : d == rcon("pw", "status")    ? captured("rcon-status-bots")
                                        : d == rcon("wrong", "status") ? captured("rcon-badpassword")
                                                                       : QByteArray())
                                           .split('\n');
                if (heard.contains(rcon("pw", "clientkick 0")))
                    lines.removeIf([](const QByteArray& line) { return line.contains("Sarge"); });
                if (!silent && lines.size() > 1)
                    f->peer.reply(lines.join('\n'));
            }
        });
        f->box("cboAddr")->setEditText("");
        f->find<QLineEdit>("txtPassword")->setText("");
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QTest::keyClick(&w, Qt::Key_F7);
        auto* players = w.findChild<frmPlayers*>("frmPlayers");
        QVERIFY(players && players->isVisible() && players->windowTitle() == "Players");
        auto* table = players->findChild<QTableWidget*>("tblPlayers");
        auto* note = players->findChild<QLabel*>("lblNote");
        const auto enabled = [players](const char* name) {
            return players->findChild<QPushButton*>(name)->isEnabled();
        };
        QCOMPARE(note->text(), QString("Enter the server's address and port in the main window."));

        // Without the password only getstatus is asked: names, but no slot to kick.
        f->box("cboAddr")->setEditText("127.0.0.1");
        QTRY_COMPARE(table->rowCount(), 4);
        QCOMPARE(note->text(), QString("Slots and addresses need the rcon password."));
        QCOMPARE(table->item(3, 1)->text(), QString("Big Boss Man"));
        QVERIFY(table->item(3, 0)->text().isEmpty() && !enabled("cmdKick"));
        QVERIFY(!heard.join().contains("rcon"));

        f->find<QLineEdit>("txtPassword")->setText("pw");
        QTRY_COMPARE(table->item(3, 0)->text(), QString("3"));
        QCOMPARE(table->item(3, 1)->data(Qt::UserRole).toString(), QString("^1Big ^3Boss Man"));
        QVERIFY(note->text().isEmpty());
        QTRY_COMPARE(QApplication::focusWidget(), table);
        QVERIFY(enabled("cmdKick") && !enabled("cmdBan")); // a bot has no address
        QTest::keyClick(table, Qt::Key_Delete);
        QCOMPARE(f->desktop.boxes.size(), 1);
        QCOMPARE(f->desktop.boxes[0].title + ": " + f->desktop.boxes[0].text,
                 QString("Players: Kick Sarge (slot 0) from the server?"));
        QCOMPARE(f->desktop.boxes[0].buttons, platform::Desktop::Buttons::YesNo);
        QTRY_COMPARE(table->rowCount(), 3);
        QVERIFY(ConsoleFixture::readFile(logPath()).contains(":> clientkick 0"));
        f->desktop.textAnswers << QString("well played");
        QTest::keyClick(players, Qt::Key_T, Qt::AltModifier);
        QTRY_VERIFY(f->paneText().contains(":> tell " + table->item(table->currentRow(), 0)->text() +
                                           " \"well played\""));
        // The window's own queries never reach the pane.
        QVERIFY(!f->paneText().contains("Sarge") && !f->paneText().contains("cl score ping"));

        f->find<QLineEdit>("txtPassword")->setText("wrong");
        QTRY_COMPARE(note->text(), QString("The server refused the rcon password."));
        silent = true;
        QTRY_VERIFY(
            note->text().startsWith(QStringLiteral("No reply from 127.0.0.1:%1\n").arg(f->peer.port())));

        // Size and place come back after a restart.
        players->resize(640, 420);
        QTRY_COMPARE(players->size(), QSize(640, 420));
        const QRect at = players->frameGeometry();
        f->restart();
        f->action("mnuCommandsPlayers")->trigger();
        QTRY_COMPARE(f->window->findChild<frmPlayers*>("frmPlayers")->frameGeometry(), at);
    }

    // Off, the bar leaves the rules' layout untouched; the choice is kept across a restart.
    void statusBarItem() {
        auto& w = f->open();
        f->drainPeer(); // a socket with datagrams unread is not woken again
        QAction* item = f->action("mnuViewStatusBar");
        QVERIFY(item->isChecked() && item->text() == "Status &Bar");
        item->trigger();
        QVERIFY(!w.statusBar()->isVisible());
        const MainLayout l =
            resizeLayout(MainLayout{}, float(platform::pixelsToTwips(w.frameGeometry().width())),
                         float(platform::pixelsToTwips(w.frameGeometry().height())), false);
        QCOMPARE(f->pane()->geometry(), platform::twipsRect(l.txtOutput.left, l.txtOutput.top,
                                                            l.txtOutput.width, l.txtOutput.height));
        const QSize outer = w.frameGeometry().size();
        auto& again = f->restart();
        QCOMPARE(ConsoleFixture::stored("ShowStatusBar"), QString("False"));
        QVERIFY(!again.statusBar()->isVisible() && !f->action("mnuViewStatusBar")->isChecked());
        QCOMPARE(again.frameGeometry().size(), outer);
    }

    // From the "quit" the line counts, and the server is asked until it has been seen gone and back, or
    // the time is up, then no more. answers: per question, y answered, . not; the last one repeats.
    void rebootReport_data() {
        columns<QString, QString>("answers", "expected"); // %1: HOST:PORT
        row("gone, then back", QString("y..y"), QString("Server back after 0 s: Kestwold Test on oa_dm1"));
        row("never gone", QString("y"),
            QString("%1 still answers 0 s after the reboot: the server did not quit"));
        row("gone for good", QString("y."), QString("No answer from %1 0 s after the reboot"));
    }
    void rebootReport() {
        QFETCH(QString, answers);
        QFETCH(QString, expected);
        UdpPeer server;
        const QString target = "127.0.0.1:" + QString::number(server.port());
        ServerWatch watch({2000ms, 15ms, 150ms});
        watch.rebootStarted("127.0.0.1", QString::number(server.port()));
        QCOMPARE(watch.text(), "Rebooting " + target + ": waiting for the server (0 s)");
        int asked = 0;
        while (watch.rebooting())
            if (const QByteArray q = server.next(20); q != "<nothing>") {
                QVERIFY(q.startsWith("\xff\xff\xff\xffgetinfo "));
                if (answers.at(qMin(asked++, int(answers.size()) - 1)) == 'y')
                    server.reply("\xff\xff\xff\xffinfoResponse\n\\hostname\\^1Kest^7wold "
                                 "Test\\mapname\\oa_dm1\\challenge\\" +
                                 q.mid(12));
            }
        QCOMPARE(watch.text(), expected.arg(target));
        QVERIFY(asked >= answers.size());
        while (server.socket.hasPendingDatagrams()) // sent before the answer was read
            server.next(0);
        QCOMPARE(server.next(60), QByteArray("<nothing>"));
    }
};

QTEST_MAIN(tst_players)
#include "tst_players.moc"
