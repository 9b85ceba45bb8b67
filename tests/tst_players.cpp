#include "CapturedReplies.h"
#include "ConsoleFixture.h"

#include <frmPlayers.h>

#include <QLabel>
#include <QPushButton>
#include <QTableWidget>

using namespace console;
using A = frmPlayers::Action;

// The Players window against a loopback stand-in answering with a real server's captured replies;
// the real server's own turn is in the OpenArena test.
class tst_players : public QObject {
    Q_OBJECT
private slots:
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
        row("ban loopback", A::Ban, "loopback", "", "");
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
        ConsoleFixture f;
        f.seams.playersRefresh = 50ms;
        auto& w = f.open();
        f.applyOptions([](AppSettings& s) { s.EnableLogging = true; });
        bool silent = false;
        QByteArrayList heard;
        connect(&f.peer.socket, &QUdpSocket::readyRead, this, [&] {
            while (f.peer.socket.hasPendingDatagrams()) {
                const QByteArray d = heard.emplace_back(f.peer.next(0));
                QByteArrayList lines = (d.endsWith("getstatus")        ? captured("getstatus-bots")
                                        : d == rcon("pw", "status")    ? captured("rcon-status-bots")
                                        : d == rcon("wrong", "status") ? captured("rcon-badpassword")
                                                                       : QByteArray())
                                           .split('\n');
                if (heard.contains(rcon("pw", "clientkick 0")))
                    lines.removeIf([](const QByteArray& line) { return line.contains("Sarge"); });
                if (!silent && lines.size() > 1)
                    f.peer.reply(lines.join('\n'));
            }
        });
        f.box("cboAddr")->setEditText("");
        f.find<QLineEdit>("txtPassword")->setText("");
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
        f.box("cboAddr")->setEditText("127.0.0.1");
        QTRY_COMPARE(table->rowCount(), 4);
        QCOMPARE(note->text(), QString("Slots and addresses need the rcon password."));
        QCOMPARE(table->item(3, 1)->text(), QString("Big Boss Man"));
        QVERIFY(table->item(3, 0)->text().isEmpty() && !enabled("cmdKick"));
        QVERIFY(!heard.join().contains("rcon"));

        f.find<QLineEdit>("txtPassword")->setText("pw");
        QTRY_COMPARE(table->item(3, 0)->text(), QString("3"));
        QCOMPARE(table->item(3, 1)->data(Qt::UserRole).toString(), QString("^1Big ^3Boss Man"));
        QVERIFY(note->text().isEmpty());
        QTRY_COMPARE(QApplication::focusWidget(), table);
        QVERIFY(enabled("cmdKick") && !enabled("cmdBan")); // a bot has no address
        QTest::keyClick(table, Qt::Key_Delete);
        QCOMPARE(f.desktop.boxes.size(), 1);
        QCOMPARE(f.desktop.boxes[0].title + ": " + f.desktop.boxes[0].text,
                 QString("Players: Kick Sarge (slot 0) from the server?"));
        QCOMPARE(f.desktop.boxes[0].buttons, platform::Desktop::Buttons::YesNo);
        QTRY_COMPARE(table->rowCount(), 3);
        QVERIFY(ConsoleFixture::readFile(logPath()).contains(":> clientkick 0"));
        f.desktop.textAnswers << QString("well played");
        QTest::keyClick(players, Qt::Key_T, Qt::AltModifier);
        QTRY_VERIFY(f.paneText().contains(":> tell " + table->item(table->currentRow(), 0)->text() +
                                          " \"well played\""));
        // The window's own queries never reach the pane.
        QVERIFY(!f.paneText().contains("Sarge") && !f.paneText().contains("cl score ping"));

        f.find<QLineEdit>("txtPassword")->setText("wrong");
        QTRY_COMPARE(note->text(), QString("The server refused the rcon password."));
        silent = true;
        QTRY_VERIFY(
            note->text().startsWith(QStringLiteral("No reply from 127.0.0.1:%1\n").arg(f.peer.port())));

        // Size and place come back after a restart.
        players->resize(640, 420);
        QTRY_COMPARE(players->size(), QSize(640, 420));
        const QRect at = players->frameGeometry();
        f.restart();
        f.action("mnuCommandsPlayers")->trigger();
        QTRY_COMPARE(f.window->findChild<frmPlayers*>("frmPlayers")->frameGeometry(), at);
    }
};

QTEST_MAIN(tst_players)
#include "tst_players.moc"
