#include "CapturedReplies.h"
#include "ConsoleFixture.h"

#include <frmPlayers.h>

#include <QLabel>
#include <QPushButton>
#include <QTableWidget>

using namespace console;
using A = frmPlayers::Action;

// The Players window's commands and notes against a loopback stand-in; the real server's turn is in
// the OpenArena test.
class tst_players : public QObject {
    Q_OBJECT
private slots:
    void commands_data() {
        QTest::addColumn<A>("action");
        QTest::addColumn<QString>("what");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("expected");
        row("kick", A::Kick, QString("3"), QString(), QString("clientkick 3"));
        row("tell", A::Tell, QString("0"), QString("gg, 100%1"), QString("tell 0 \"gg, 100%1\""));
        row("tell, quotes and line breaks cannot end the message", A::Tell, QString("1"),
            QString("a\" ; quit \"\nb\rc"), QString("tell 1 \"a' ; quit ' b c\""));
        row("ban", A::Ban, QString("10.0.0.2"), QString(), QString("banaddr 10.0.0.2"));
    }
    void commands() {
        QFETCH(A, action);
        QFETCH(QString, what);
        QFETCH(QString, message);
        QTEST(frmPlayers::command(action, what, message), "expected");
    }

    // Ban only for a real address: without port or brackets, nothing for a bot.
    void banAddress_data() {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("expected");
        for (const auto& [address, expected] : {std::pair{"10.0.0.2:27960", "10.0.0.2"},
                                                {"[::1]:27960", "::1"},
                                                {"fe80::1", "fe80::1"},
                                                {"bot", ""},
                                                {"loopback", ""},
                                                {"[::1", ""}})
            row(address, QString(address), QString(expected));
    }
    void banAddress() {
        QFETCH(QString, address);
        QTEST(frmPlayers::banAddress(address), "expected");
    }

    // Size and place come back after a restart.
    void placementRemembered() {
        ConsoleFixture fixture;
        auto& w = fixture.open();
        fixture.action("mnuCommandsPlayers")->trigger();
        auto* players = w.findChild<frmPlayers*>("frmPlayers");
        QVERIFY(players);
        players->resize(640, 420);
        QTRY_COMPARE(players->size(), QSize(640, 420));
        const QPoint at = players->frameGeometry().topLeft();
        auto& again = fixture.restart();
        QVERIFY(ConsoleFixture::stored("PlayersLeft") != "<absent>");
        fixture.action("mnuCommandsPlayers")->trigger();
        players = again.findChild<frmPlayers*>("frmPlayers");
        QTRY_COMPARE(players->size(), QSize(640, 420));
        QCOMPARE(players->frameGeometry().topLeft(), at);
    }

    // What the window says when it cannot list everything; rcon status goes out only with a password.
    void notes_data() {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QByteArrayList>("sent");
        QTest::addColumn<QString>("note"); // %1: the peer's port
        QTest::addColumn<QStringList>("names");
        const QByteArray status("\xff\xff\xff\xffgetstatus");
        row("no address", QString(), QString("pw"), QByteArrayList(),
            QString("Enter the server's address and port in the main window."), QStringList());
        row("no password", QString("127.0.0.1"), QString(), QByteArrayList{status},
            QString("Slots and addresses need the rcon password."),
            QStringList{"Sarge", "Grism", "Major", "Big Boss Man"});
        row("silent server", QString("127.0.0.1"), QString("pw"),
            QByteArrayList{status, rcon("pw", "status")}, QString("No reply from 127.0.0.1:%1"),
            QStringList());
    }
    void notes() {
        QFETCH(QString, address);
        QFETCH(QString, password);
        QFETCH(QByteArrayList, sent);
        QFETCH(QString, note);
        QFETCH(QStringList, names);
        ConsoleFixture fixture;
        fixture.open();
        fixture.box("cboAddr")->setEditText(address);
        fixture.find<QLineEdit>("txtPassword")->setText(password);
        fixture.action("mnuCommandsPlayers")->trigger();
        auto* players = fixture.window->findChild<frmPlayers*>("frmPlayers");
        for (const QByteArray& d : sent)
            QCOMPARE(fixture.peer.next(), d);
        QCOMPARE(fixture.peer.next(0), QByteArray("<nothing>")); // all of a query leaves at once
        if (!names.isEmpty())
            fixture.peer.reply(captured("getstatus-bots"));
        else if (!sent.isEmpty())
            players->findChild<QPushButton*>("cmdRefresh")->click(); // the first query went unanswered
        QTRY_COMPARE(players->findChild<QLabel*>("lblNote")->text(),
                     note.replace("%1", QString::number(fixture.peer.port())));
        auto* table = players->findChild<QTableWidget*>("tblPlayers");
        const auto shown = [table] {
            QStringList cells;
            for (int r = 0; r < table->rowCount(); ++r)
                cells << table->item(r, 1)->text();
            return cells;
        };
        QTRY_COMPARE(shown(), names);
        QVERIFY(!players->findChild<QPushButton*>("cmdKick")->isEnabled());
        QVERIFY(!fixture.paneText().contains("Sarge"));
    }

    // Kick, tell and a refused password from the window, against a stand-in answering with a real
    // server's captured replies; once Sarge is kicked they leave him out.
    void actions() {
        ConsoleFixture f;
        f.seams.playersRefresh = 50ms;
        f.open();
        f.applyOptions([](AppSettings& s) { s.EnableLogging = true; });
        QByteArrayList heard;
        connect(&f.peer.socket, &QUdpSocket::readyRead, this, [&] {
            while (f.peer.socket.hasPendingDatagrams()) {
                heard << f.peer.next(0);
                QByteArrayList lines =
                    (heard.last().endsWith("getstatus")        ? captured("getstatus-bots")
                     : heard.last() == rcon("pw", "status")    ? captured("rcon-status-bots")
                     : heard.last() == rcon("wrong", "status") ? captured("rcon-badpassword")
                                                               : QByteArray())
                        .split('\n');
                if (heard.contains(rcon("pw", "clientkick 0")))
                    lines.removeIf([](const QByteArray& line) { return line.contains("Sarge"); });
                if (lines.join('\n').size() > 0)
                    f.peer.reply(lines.join('\n'));
            }
        });
        QVERIFY(QTest::qWaitForWindowActive(f.window.get()));
        QTest::keyClick(f.window.get(), Qt::Key_F7);
        auto* players = f.window->findChild<frmPlayers*>("frmPlayers");
        QVERIFY(players && players->isVisible());
        auto* table = players->findChild<QTableWidget*>("tblPlayers");
        QTRY_COMPARE(table->rowCount(), 4);
        QCOMPARE(table->item(3, 1)->text(), QString("Big Boss Man"));
        QCOMPARE(table->item(3, 1)->data(Qt::UserRole).toString(), QString("^1Big ^3Boss Man"));
        QTRY_COMPARE(QApplication::focusWidget(), table);
        QCOMPARE(table->currentRow(), 0);
        QVERIFY(!players->findChild<QPushButton*>("cmdBan")->isEnabled()); // a bot has no address

        QTest::keyClick(table, Qt::Key_Delete);
        QCOMPARE(f.desktop.boxes.size(), 1);
        QCOMPARE(f.desktop.boxes[0].text, QString("Kick Sarge (slot 0) from the server?"));
        QCOMPARE(f.desktop.boxes[0].title, QString("Players"));
        QCOMPARE(f.desktop.boxes[0].buttons, platform::Desktop::Buttons::YesNo);
        QTRY_COMPARE(table->rowCount(), 3);
        QVERIFY(f.paneText().contains(":> clientkick 0"));
        QVERIFY(ConsoleFixture::readFile(logPath()).contains(":> clientkick 0"));

        f.desktop.textAnswers << QString("well played");
        QTest::keyClick(players, Qt::Key_T, Qt::AltModifier);
        const QString slot = table->item(table->currentRow(), 0)->text();
        QTRY_VERIFY(f.paneText().contains(":> tell " + slot + " \"well played\""));
        // The window's own queries never reach the pane.
        QVERIFY(!f.paneText().contains("statusResponse") && !f.paneText().contains("cl score ping"));

        f.find<QLineEdit>("txtPassword")->setText("wrong");
        QTRY_COMPARE(players->findChild<QLabel*>("lblNote")->text(),
                     QString("The server refused the rcon password."));
    }
};

QTEST_MAIN(tst_players)
#include "tst_players.moc"
