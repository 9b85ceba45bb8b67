#include "CapturedReplies.h"
#include "ConsoleFixture.h"

#include <ColourNameDelegate.h>
#include <Layout.h>
#include <PlayerRoster.h>
#include <ServerPacers.h>
#include <ServerWatch.h>
#include <Twips.h>
#include <WidgetLook.h>
#include <frmPlayers.h>

using namespace console;
using A = frmPlayers::Action;
Q_DECLARE_METATYPE(ThemeLook)

namespace {
const QByteArray kPrint("\xff\xff\xff\xffprint\n"), kStatus("\xff\xff\xff\xffstatusResponse\n");
constexpr auto kNoReply = 20ms; // as the tests set it

// An rcon status table from rows "slot name [ping]" split at '|'.
RconStatus rconTable(const QString& rows) {
    QString text = "map: oa_dm1\ncl score ping name address rate\n";
    for (const QString& row : rows.split('|', Qt::SkipEmptyParts)) {
        const QStringList f = row.split(' ');
        text += QStringLiteral("%1 0 %2 %3 10.0.0.%1:27960 25000\n").arg(f[0], f.value(2, "50"), f[1]);
    }
    return *parseRconStatus(text + '\n');
}

// A getstatus reply listing the names split at '|'.
ServerStatus statusList(const QString& names) {
    QByteArray datagram = kStatus + "\\sv_maxclients\\8\n";
    for (const QString& name : names.split('|', Qt::SkipEmptyParts))
        datagram += "0 50 \"" + name.toLatin1() + "\"\n";
    return *parseStatusResponse(datagram);
}
} // namespace

// The status line and the Players window against a loopback stand-in answering as scripted or with a
// real server's captured replies; the real server's own turn is in the OpenArena test.
class tst_players : public QObject {
    Q_OBJECT
    std::unique_ptr<ConsoleFixture> f; // a fresh one for every test and row

    // The Players window on a session of its own, without the main window.
    std::unique_ptr<frmPlayers> playersWindow() {
        return std::make_unique<frmPlayers>(f->session(), f->desktop);
    }

private slots:
    void init() {
        f = std::make_unique<ConsoleFixture>();
        f->seams.watch.noReply = kNoReply;
        f->seams.playersRefresh = 50ms;
        // A refresh every 50 ms would spend the server's budget; the pacer has tests of its own.
        ConsoleFixture::store("RatePacing", "no limit");
    }
    void cleanup() { f.reset(); }
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
        f->open();
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
        auto& w = f->open();
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
        auto* table = players->findChild<QTableView*>("tblPlayers");
        const PlayerRoster& roster = players->roster();
        const auto cell = [&](int row, int column, int role = Qt::DisplayRole) {
            return roster.index(row, column).data(role).toString();
        };
        auto* note = players->findChild<QLabel*>("lblNote");
        const auto enabled = [players](const char* name) {
            return players->findChild<QPushButton*>(name)->isEnabled();
        };
        QCOMPARE(note->text(), QString("Enter the server's address and port in the main window."));

        // Without the password only getstatus is asked: names, but no slot to kick.
        f->box("cboAddr")->setEditText("127.0.0.1");
        QTRY_COMPARE(roster.rowCount(), 4);
        QCOMPARE(note->text(), QString("Slots and addresses need the rcon password."));
        QCOMPARE(cell(3, PlayerRoster::NameColumn), QString("Big Boss Man"));
        QVERIFY(cell(3, PlayerRoster::SlotColumn).isEmpty() && !enabled("cmdKick"));
        QVERIFY(!heard.join().contains("rcon"));

        f->find<QLineEdit>("txtPassword")->setText("pw");
        QTRY_COMPARE(cell(3, PlayerRoster::SlotColumn), QString("3"));
        QCOMPARE(cell(3, PlayerRoster::NameColumn, PlayerRoster::NameAsSentRole),
                 QString("^1Big ^3Boss Man"));
        QVERIFY(note->text().isEmpty());
        QTRY_COMPARE(QApplication::focusWidget(), table);
        QVERIFY(enabled("cmdKick") && !enabled("cmdBan")); // a bot has no address
        QTest::keyClick(table, Qt::Key_Delete);
        QCOMPARE(f->desktop.boxes.size(), 1);
        QCOMPARE(f->desktop.boxes[0].title + ": " + f->desktop.boxes[0].text,
                 QString("Players: Kick Sarge (slot 0) from the server?"));
        QCOMPARE(f->desktop.boxes[0].buttons, platform::Desktop::Buttons::YesNo);
        QTRY_COMPARE(roster.rowCount(), 3);
        QVERIFY(ConsoleFixture::readFile(logPath()).contains(":> clientkick 0"));
        // Sarge is gone, and no one else was chosen in his stead: the user picks the next.
        QVERIFY(!enabled("cmdKick"));
        QTest::keyClick(table, Qt::Key_Down);
        f->desktop.textAnswers << QString("well played");
        QTest::keyClick(players, Qt::Key_T, Qt::AltModifier);
        QTRY_VERIFY(
            f->paneText().contains(":> tell " + cell(table->currentIndex().row(), 0) + " \"well played\""));
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

    // A refresh changes the rows that differ and adds or removes rows at the end, never rebuilding
    // the table; the selection stays on its player (slot and name) or, once gone, on no one.
    void refresh_data() {
        // steps: "rcon slot name [ping]|...", "status name|...", "refused" or "select ROW"; expected:
        // the selection after the last step, then what the last step told the view
        columns<QStringList, QString>("steps", "expected");
        using S = QStringList;
        row("first rows select the first player", S{"rcon 0 Sarge|1 Grism"}, "0 Sarge / inserted 0-1");
        row("a new ping changes its row only",
            S{"rcon 0 Sarge|1 Grism|2 Major", "select 1", "rcon 0 Sarge|1 Grism 99|2 Major"},
            "1 Grism / changed 1-1");
        row("a player above leaves", S{"rcon 0 Sarge|1 Grism|2 Major", "select 2", "rcon 1 Grism|2 Major"},
            "2 Major / changed 0-1, removed 2-2");
        row("slot taken by another player", S{"rcon 0 Sarge|1 Grism", "select 1", "rcon 0 Sarge|1 Daemia"},
            "none / changed 1-1");
        row("a player joins", S{"rcon 0 Sarge", "rcon 0 Sarge|1 Grism"}, "0 Sarge / inserted 1-1");
        row("the same reply again", S{"rcon 0 Sarge", "rcon 0 Sarge"}, "0 Sarge / ");
        row("one name twice, the slot decides", S{"rcon 3 Bot|4 Bot", "select 1", "rcon 4 Bot|5 Bot"},
            "4 Bot / changed 0-1");
        row("the password gives names their slots",
            S{"status Sarge|Grism", "select 1", "rcon 0 Sarge|1 Grism"}, "1 Grism / changed 0-1");
        row("refused: the names again",
            S{"status Sarge|Grism", "rcon 0 Sarge|1 Grism", "select 1", "refused"}, "Grism / changed 0-1");
        row("getstatus leaves the rcon table alone", S{"rcon 0 Sarge", "status Sarge|Grism"}, "0 Sarge / ");
        row("everyone leaves", S{"rcon 0 Sarge|1 Grism", "rcon "}, "none / removed 0-1");
    }
    void refresh() {
        QFETCH(QStringList, steps);
        auto w = playersWindow();
        auto* table = w->findChild<QTableView*>("tblPlayers");
        const PlayerRoster& roster = w->roster();
        QStringList told;
        const auto tell = [&](const char* what, int first, int last) {
            told << QStringLiteral("%1 %2-%3").arg(what).arg(first).arg(last);
        };
        connect(&roster, &PlayerRoster::dataChanged, w.get(),
                [&](const QModelIndex& a, const QModelIndex& b) { tell("changed", a.row(), b.row()); });
        connect(&roster, &PlayerRoster::rowsInserted, w.get(),
                [&](const QModelIndex&, int a, int b) { tell("inserted", a, b); });
        connect(&roster, &PlayerRoster::rowsRemoved, w.get(),
                [&](const QModelIndex&, int a, int b) { tell("removed", a, b); });
        connect(&roster, &PlayerRoster::modelReset, w.get(), [&] { told << "reset"; });
        connect(&roster, &PlayerRoster::layoutChanged, w.get(), [&] { told << "layout"; });
        for (const QString& step : steps) {
            told.clear();
            const QString rest = step.section(' ', 1);
            if (step.startsWith("rcon"))
                w->rconStatusArrived(rconTable(rest));
            else if (step.startsWith("status"))
                w->statusArrived(statusList(rest));
            else if (step == "refused")
                w->rconRefused(ReplyKind::BadPassword);
            else
                table->selectRow(rest.toInt());
        }
        const QModelIndexList selected = table->selectionModel()->selectedRows();
        const QString who =
            selected.isEmpty()
                ? QString("none")
                : (roster.player(selected[0].row()).slot + ' ' + roster.player(selected[0].row()).name)
                      .trimmed();
        QTEST(who + " / " + told.join(", "), "expected");
    }

    // The counts the server gives stand as given; a line under the table says what is missing.
    void counts_data() {
        columns<QByteArray, QString, QString>("reply", "players",
                                              "shown"); // a getstatus datagram or an rcon table
        QByteArray thousand = kStatus + "\\sv_maxclients\\16\n",
                   rows300 = "cl score ping name address rate\n";
        for (int i = 0; i < 1000; ++i)
            thousand += "0 50 \"P" + QByteArray::number(i) + "\"\n";
        for (int i = 0; i < 300; ++i)
            rows300 += QByteArray::number(i) + " 0 50 P bot 0\n";
        row("getstatus: 1000 of 16 stays", thousand, "1000/16", "256 of 1000 players shown.");
        row("getstatus: a line that is no player",
            kStatus + "\\sv_maxclients\\8\n1 2 \"A\"\nnot one\n3 4 \"B\"\n", "3/8",
            "2 of 3 players shown; 1 could not be read.");
        row("getstatus: one line, unread", kStatus + "\\sv_maxclients\\8\nnot one\n", "1/8",
            "0 of 1 player shown; 1 could not be read.");
        row("getstatus: every line read", kStatus + "\\sv_maxclients\\8\n1 2 \"A\"\n", "1/8", "");
        row("rcon: a row that cannot be read",
            QByteArray("cl score ping name address rate\n0 0 0 A bot 0\nx\n1 0 0 B bot 0\n\n"), "",
            "2 of 3 players shown; 1 could not be read.");
        row("rcon: 300 rows", rows300 + "\n", "", "256 of 300 players shown.");
    }
    void counts() {
        QFETCH(QByteArray, reply);
        auto w = playersWindow();
        if (reply.startsWith(kStatus))
            w->statusArrived(*parseStatusResponse(reply));
        else
            w->rconStatusArrived(*parseRconStatus(QString::fromLatin1(reply)));
        auto* shown = w->findChild<QLabel*>("lblShown");
        QTEST(w->findChild<QLabel*>("lblPlayers")->text(), "players");
        QTEST(shown->text(), "shown");
        QCOMPARE(shown->isHidden(), shown->text().isEmpty());
    }

    // Every cell on the pane's colours, following a theme chosen while the window is open; every colour
    // code readable on them, whatever the theme.
    void themes_data() {
        columns<ThemeLook>("look");
        for (const Theme& t : themeCatalogue())
            row(qPrintable(t.identifier), t.id == ThemeId::Custom ? ThemeLook{0xE0E0E0, 0x800000} : t.look);
    }
    void themes() {
        QFETCH(ThemeLook, look);
        auto w = playersWindow();
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        f->session().setLook(look);
        w->resize(500, 700);
        w->rconStatusArrived(rconTable("0 ^0Mm|1 ^1Mm|2 ^2Mm|3 ^3Mm|4 ^4Mm|5 ^5Mm|6 ^6Mm|7 ^7Mm|8 Mm"));
        auto* table = w->findChild<QTableView*>("tblPlayers");
        table->clearSelection();
        const QColor back = colourOf(look.back);
        QCOMPARE(QList<quint32>({boxBackground(table), boxForeground(table)}),
                 QList<quint32>({look.back, look.fore}));
        const QImage shot = table->viewport()->grab().toImage();
        for (int r = 0; r < w->roster().rowCount(); ++r) {
            double best = 1;
            const QRect name = table->visualRect(w->roster().index(r, PlayerRoster::NameColumn));
            for (int x = name.left(); x < name.right(); ++x)
                for (int y = name.top(); y < name.bottom(); ++y)
                    best = qMax(best, ColourNameDelegate::contrast(shot.pixelColor(x, y), back));
            const QRect score = table->visualRect(w->roster().index(r, PlayerRoster::ScoreColumn));
            QCOMPARE(shot.pixelColor(score.left() + 2, score.top() + 2).rgb(), back.rgb());
            QVERIFY2(best >= 4, qPrintable(QStringLiteral("row %1: contrast %2").arg(r).arg(best)));
        }
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
        columns<QString, QString, QByteArray>("answers", "expected", "name"); // %1: HOST:PORT
        const QByteArray name = "^1Kest^7wold Test";
        row("gone, then back", QString("y..y"), QString("Server back after 0 s: Kestwold Test on oa_dm1"),
            name);
        row("flooded name cut", QString(".y"), "Server back after 0 s: " + QString(256, 'x') + " on oa_dm1",
            QByteArray(60000, 'x'));
        row("never gone", QString("y"),
            QString("%1 still answers 0 s after the reboot: the server did not quit"), name);
        row("gone for good", QString("y."), QString("No answer from %1 0 s after the reboot"), name);
    }
    void rebootReport() {
        QFETCH(QString, answers);
        QFETCH(QString, expected);
        QFETCH(QByteArray, name);
        UdpPeer server;
        const QString target = "127.0.0.1:" + QString::number(server.port());
        ServerPacers pacers;
        ServerWatch watch(pacers, {2000ms, 15ms, 150ms});
        watch.rebootStarted("127.0.0.1", server.port());
        QCOMPARE(watch.text(), "Rebooting " + target + ": waiting for the server (0 s)");
        int asked = 0;
        while (watch.rebooting())
            if (const QByteArray q = server.next(20); q != "<nothing>") {
                QVERIFY(q.startsWith("\xff\xff\xff\xffgetinfo "));
                if (answers.at(qMin(asked++, int(answers.size()) - 1)) == 'y')
                    server.reply("\xff\xff\xff\xffinfoResponse\n\\hostname\\" + name +
                                 "\\mapname\\oa_dm1\\challenge\\" + q.mid(12));
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
