#include "ConsoleFixture.h"
#include "OpenArena.h"

#include <ProgramFolder.h>
#include <frmPlayers.h>

#include <QLabel>
#include <QPushButton>
#include <QStatusBar>
#include <QTableWidget>

using namespace console;

namespace {
// With VORLANIX_SHOTS set, a picture of the widget goes there for a person to look at.
void shoot(QWidget* w, const char* name) {
    const QString folder = qEnvironmentVariable("VORLANIX_SHOTS");
    if (!folder.isEmpty())
        w->grab().save(folder + QLatin1Char('/') + QLatin1String(name) + QStringLiteral(".png"));
}

QByteArray captured(const char* name) {
    QFile f(QStringLiteral(REPLIES_DIR "/") + QLatin1String(name) + QStringLiteral(".dat"));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QStringList column(const QTableWidget* t, int c) {
    QStringList cells;
    for (int r = 0; r < t->rowCount(); ++r)
        cells << t->item(r, c)->text();
    return cells;
}
} // namespace

// The Players window and the status line against a real OpenArena server with two bots.
class tst_players : public QObject {
    Q_OBJECT

    std::unique_ptr<OpenArenaServer> server;
    std::unique_ptr<ConsoleFixture> f;

    void rconDirect(const QByteArray& command) {
        QUdpSocket s;
        s.writeDatagram(rcon("secret", command), QHostAddress::LocalHost, server->port());
        QVERIFY(s.waitForReadyRead(3000));
    }
    frmPlayers* openPlayers() {
        if (!QTest::qWaitForWindowActive(f->window.get()))
            return nullptr;
        QTest::keyClick(f->window.get(), Qt::Key_F7);
        auto* players = f->window->findChild<frmPlayers*>("frmPlayers");
        return players && players->isVisible() ? players : nullptr;
    }

private slots:
    void commands_data() {
        QTest::addColumn<int>("action");
        QTest::addColumn<QString>("what");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("expected");
        using A = frmPlayers::Action;
        QTest::newRow("kick") << int(A::Kick) << "3"
                              << ""
                              << "clientkick 3";
        QTest::newRow("tell") << int(A::Tell) << "0"
                              << "gg, 100%1"
                              << "tell 0 \"gg, 100%1\"";
        QTest::newRow("tell, quotes cannot end the message") << int(A::Tell) << "1"
                                                             << "a\" ; quit \"\nb"
                                                             << "tell 1 \"a' ; quit ' b\"";
        QTest::newRow("ban") << int(A::Ban) << "10.0.0.2"
                             << ""
                             << "banaddr 10.0.0.2";
    }
    void commands() {
        QFETCH(int, action);
        QFETCH(QString, what);
        QFETCH(QString, message);
        QTEST(frmPlayers::command(frmPlayers::Action(action), what, message), "expected");
    }

    void banAddress_data() {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("expected");
        QTest::newRow("v4 with port") << "10.0.0.2:27960"
                                      << "10.0.0.2";
        QTest::newRow("v6 with port") << "[::1]:27960"
                                      << "::1";
        QTest::newRow("bare v6") << "fe80::1"
                                 << "fe80::1";
        QTest::newRow("bot") << "bot"
                             << "";
        QTest::newRow("loopback") << "loopback"
                                  << "";
        QTest::newRow("cut bracket") << "[::1"
                                     << "";
    }
    void banAddress() {
        QFETCH(QString, address);
        QTEST(frmPlayers::banAddress(address), "expected");
    }

    // Size and place come back after a restart; nothing else in the store changes meaning.
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

    // What the window says when it cannot list everything, and the list without the password.
    void notes_data() {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("password");
        QTest::addColumn<bool>("answer");
        QTest::addColumn<QString>("note"); // %1: the peer's port
        QTest::addColumn<QStringList>("names");
        QTest::newRow("no address") << ""
                                    << "pw" << false
                                    << "Enter the server's address and port in the main window."
                                    << QStringList();
        QTest::newRow("no password") << "127.0.0.1"
                                     << "" << true << "Slots and addresses need the rcon password."
                                     << QStringList{"Sarge", "Grism", "Major", "Big Boss Man"};
        QTest::newRow("silent server") << "127.0.0.1"
                                       << "pw" << false << "No reply from 127.0.0.1:%1" << QStringList();
    }
    void notes() {
        QFETCH(QString, address);
        QFETCH(QString, password);
        QFETCH(bool, answer);
        QFETCH(QString, note);
        QFETCH(QStringList, names);
        ConsoleFixture fixture;
        fixture.open();
        fixture.box("cboAddr")->setEditText(address);
        fixture.find<QLineEdit>("txtPassword")->setText(password);
        fixture.action("mnuCommandsPlayers")->trigger();
        auto* players = fixture.window->findChild<frmPlayers*>("frmPlayers");
        if (answer) {
            QCOMPARE(fixture.peer.next(), QByteArray("\xff\xff\xff\xffgetstatus"));
            fixture.peer.reply(captured("getstatus-bots"));
        } else if (!address.isEmpty()) {
            QVERIFY(fixture.peer.next() != "<nothing>");
            players->findChild<QPushButton*>("cmdRefresh")->click(); // the first query went unanswered
        }
        QTRY_COMPARE(players->findChild<QLabel*>("lblNote")->text(), note.arg(fixture.peer.port()));
        auto* table = players->findChild<QTableWidget*>("tblPlayers");
        QTRY_COMPARE(column(table, 1), names);
        QVERIFY(!players->findChild<QPushButton*>("cmdKick")->isEnabled());
        QVERIFY(!fixture.paneText().contains("Sarge"));
    }

    void listKickTellRefuse() {
        if (!OpenArenaServer::installed())
            QSKIP("openarena-server is not installed");
        server = std::make_unique<OpenArenaServer>();
        QVERIFY2(server->waitUntilReady(), server->output().constData());
        rconDirect("addbot sarge 3");
        QTest::qWait(600); // the server takes one rcon command per half second from an address
        rconDirect("addbot grism 3 free 0 \"^1Big ^3Boss Man\"");

        f = std::make_unique<ConsoleFixture>();
        f->open();
        f->applyOptions([](AppSettings& s) { s.EnableLogging = true; });
        f->box("cboPort")->setEditText(QString::number(server->port()));
        f->find<QLineEdit>("txtPassword")->setText("secret");
        QTest::qWait(600);

        frmPlayers* players = openPlayers();
        QVERIFY(players);
        QCOMPARE(players->windowTitle(), QString("Players"));
        auto* table = players->findChild<QTableWidget*>("tblPlayers");
        QTRY_COMPARE_WITH_TIMEOUT(column(table, 0), QStringList({"0", "1"}), 5000);
        QCOMPARE(column(table, 1), QStringList({"Sarge", "Big Boss Man"}));
        QCOMPARE(table->item(1, 1)->data(Qt::UserRole).toString(), QString("^1Big ^3Boss Man"));
        QCOMPARE(column(table, 4), QStringList({"bot", "bot"}));
        QTRY_COMPARE(players->findChild<QLabel*>("lblMap")->text(), QString("oa_dm1"));
        QCOMPARE(players->findChild<QLabel*>("lblPlayers")->text(), QString("2/8"));
        QCOMPARE(players->findChild<QLabel*>("lblGameType")->text(), QString("Free For All"));
        QTRY_COMPARE(QApplication::focusWidget(), table);
        QCOMPARE(table->currentRow(), 0);
        QVERIFY(!players->findChild<QPushButton*>("cmdBan")->isEnabled()); // a bot has no address
        shoot(players, "players-window");

        QTest::keyClick(table, Qt::Key_Delete);
        QCOMPARE(f->desktop.boxes.size(), 1);
        QCOMPARE(f->desktop.boxes[0].title, QString("Players"));
        QCOMPARE(f->desktop.boxes[0].buttons, platform::Desktop::Buttons::YesNo);
        QTRY_VERIFY_WITH_TIMEOUT(f->paneText().contains(":> clientkick 0"), 3000);
        QVERIFY(ConsoleFixture::readFile(logPath()).contains(":> clientkick 0"));
        QTRY_COMPARE_WITH_TIMEOUT(column(table, 1), QStringList({"Big Boss Man"}), 8000);
        QCOMPARE(players->findChild<QLabel*>("lblPlayers")->text(), QString("1/8"));

        f->desktop.textAnswers << QString("well played");
        QTest::qWait(600);
        QTest::keyClick(players, Qt::Key_T, Qt::AltModifier);
        QTRY_VERIFY(f->paneText().contains(":> tell 1 \"well played\""));
        // The window's own queries never reach the pane.
        QVERIFY(!f->paneText().contains("statusResponse") && !f->paneText().contains("cl score ping"));
        shoot(f->window.get(), "players-main-after-kick");

        f->find<QLineEdit>("txtPassword")->setText("wrong");
        QTest::qWait(600);
        f->box("cboCommand")->setEditText("status");
        QTest::keyClick(f->box("cboCommand"), Qt::Key_Return);
        QTRY_COMPARE_WITH_TIMEOUT(f->find<QLabel>("lblStatus")->text(),
                                  QString("The server refused the rcon password"), 3000);
        shoot(f->window.get(), "players-main-refused");
        QTRY_VERIFY_WITH_TIMEOUT(players->findChild<QLabel*>("lblNote")->text().contains("refused"), 8000);
        shoot(players, "players-refused");
        f.reset();
        server.reset();
    }
};

QTEST_MAIN(tst_players)
#include "tst_players.moc"
