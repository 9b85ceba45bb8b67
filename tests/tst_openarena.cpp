#include "ConsoleFixture.h"
#include "OpenArena.h"

#include <frmPlayers.h>

#include <QLabel>

using namespace console;

// The console against a real Quake-3-engine server with two bots on loopback. Each test has a server of
// its own: a server takes only a few requests in a row from one address, and one test's requests must
// not use up the next one's.
class tst_openarena : public QObject {
    Q_OBJECT

    std::unique_ptr<OpenArenaServer> server;
    std::unique_ptr<ConsoleFixture> f;
    QStringList arrived;

    void send(const QString& password, const QString& command) {
        f->find<QLineEdit>("txtPassword")->setText(password);
        f->box("cboCommand")->setEditText(command);
        QTest::keyClick(f->box("cboCommand"), Qt::Key_Return);
    }

private slots:
    void init() {
        if (!OpenArenaServer::installed())
            QSKIP("openarena-server is not installed");
        arrived.clear();
        server = std::make_unique<OpenArenaServer>(
            "secret", QStringList{"+addbot", "sarge", "3", "+addbot", "grism", "3"});
        QVERIFY2(server->waitUntilReady(), server->output().constData());
        f = std::make_unique<ConsoleFixture>();
        f->seams.playersRefresh = 400ms;
        f->open();
        f->applyOptions([](AppSettings& s) { s.EnableLogging = true; });
        f->box("cboPort")->setEditText(QString::number(server->port()));
        connect(&f->session(), &ConsoleSession::replyArrived, this,
                [this](const QString& t) { arrived << t; });
    }
    void cleanup() {
        f.reset();
        server.reset();
    }

    void playersWindow() {
        f->find<QLineEdit>("txtPassword")->setText("secret");
        f->action("mnuCommandsPlayers")->trigger();
        auto* players = f->window->findChild<frmPlayers*>("frmPlayers");
        const PlayerRoster& table = players->roster();
        const auto shown = [&] {
            QStringList rows;
            for (const char* label : {"lblMap", "lblPlayers", "lblGameType"})
                rows << players->findChild<QLabel*>(label)->text();
            for (int r = 0; r < table.rowCount(); ++r)
                for (int c : {0, 1, 4})
                    rows << table.index(r, c).data().toString();
            return rows.join('|');
        };
        QTRY_COMPARE(shown(), QString("oa_dm1|2/8|Free For All|0|Sarge|bot|1|Grism|bot"));
        players->close();
    }

    // The server takes ten at once, then one a second, and drops the rest without a word: fifteen
    // commands typed as fast as keys go all get their replies, in order, the last five once they may.
    void fifteenTypedAllAnswered() {
        f->find<QLineEdit>("txtPassword")->setText("secret");
        QStringList expected;
        for (int i = 1; i <= 15; ++i) {
            const QString word = QStringLiteral("typed%1").arg(i, 2, 10, QLatin1Char('0'));
            expected << word;
            f->box("cboCommand")->setEditText("echo " + word);
            QTest::keyClick(f->box("cboCommand"), Qt::Key_Return);
        }
        QVERIFY(f->find<QLabel>("lblStatus")->text().startsWith("Waiting "));
        QTRY_COMPARE_WITH_TIMEOUT(arrived.size(), 15, 15000);
        for (QString& reply : arrived)
            reply = reply.trimmed();
        QCOMPARE(arrived, expected);
        QCOMPARE(f->paneText().count(":> echo typed"), 15);
        QTRY_VERIFY(f->find<QLabel>("lblStatus")->text().isEmpty());
    }

    // A long reply: every datagram cleaned by itself and shown in arrival order after the echo; then a
    // refusal on the status line.
    void cvarlistThenRefusal() {
        // A bare socket's view of the same request, for comparison: datagrams back to back.
        QUdpSocket s;
        s.writeDatagram(rcon("secret", "cvarlist"), QHostAddress::LocalHost, server->port());
        QList<QByteArray> bare;
        while (s.waitForReadyRead(bare.isEmpty() ? 3000 : 300))
            while (s.hasPendingDatagrams())
                bare << s.receiveDatagram().data();
        QVERIFY(bare.size() > 1);
        f->pane()->clearText();
        QFile::remove(logPath());
        send("secret", "cvarlist");
        QTRY_VERIFY_WITH_TIMEOUT(arrived.size() >= bare.size(), 8000);
        QTest::qWait(100); // and no more
        QCOMPARE(arrived.size(), bare.size());
        const QString all = arrived.join(QString()), pane = f->paneText();
        const QString log = QString::fromLatin1(ConsoleFixture::readFile(logPath()));
        QVERIFY2(pane.contains(":> cvarlist\n") && log.endsWith(all) && !all.contains(QChar(0xFF)) &&
                     !all.contains("print\n") && all.indexOf("g_arenasFile") >= 0 &&
                     all.indexOf("g_arenasFile") < all.indexOf("fs_basepath"),
                 qPrintable(pane));
        QCOMPARE(QString(log).remove('\r'), pane); // the log holds the pane
        QVERIFY(f->find<QLabel>("lblStatus")->text().isEmpty());
        send("wrong", "status");
        QTRY_COMPARE(f->find<QLabel>("lblStatus")->text(), QString("The server refused the rcon password"));
    }
};

QTEST_MAIN(tst_openarena)
#include "tst_openarena.moc"
