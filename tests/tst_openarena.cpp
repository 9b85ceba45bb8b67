#include "ConsoleFixture.h"
#include "OpenArena.h"

#include <frmPlayers.h>

#include <QLabel>
#include <QPushButton>
#include <QTableWidget>

using namespace console;

// The console against a real Quake-3-engine server on loopback.
class tst_openarena : public QObject {
    Q_OBJECT

    std::unique_ptr<OpenArenaServer> server;
    std::unique_ptr<ConsoleFixture> f;
    QStringList arrived;

    void aim(const QString& password) {
        f->box("cboPort")->setEditText(QString::number(server->port()));
        f->find<QLineEdit>("txtPassword")->setText(password);
    }
    void send(const QString& password, const QString& command) {
        aim(password);
        f->box("cboCommand")->setEditText(command);
        QTest::keyClick(f->box("cboCommand"), Qt::Key_Return);
    }
    // A bare socket's view of the same request, for comparison.
    QList<QByteArray> bareRequest(const QByteArray& command) {
        QUdpSocket s;
        s.connectToHost(QHostAddress::LocalHost, server->port());
        s.write("\xff\xff\xff\xffrcon secret " + command);
        QList<QByteArray> got;
        // The reply's datagrams come back to back; a short silence ends it.
        while (s.waitForReadyRead(got.isEmpty() ? 3000 : 300))
            while (s.hasPendingDatagrams()) {
                QByteArray d(int(s.pendingDatagramSize()), Qt::Uninitialized);
                s.readDatagram(d.data(), d.size());
                got << d;
            }
        return got;
    }

private slots:
    void initTestCase() {
        if (!OpenArenaServer::installed())
            QSKIP("openarena-server is not installed");
        server = std::make_unique<OpenArenaServer>(
            "secret", QStringList{"+addbot", "sarge", "3", "+addbot", "grism", "3"});
        QVERIFY2(server->waitUntilReady(), server->output().constData());
        f = std::make_unique<ConsoleFixture>();
        f->seams.playersRefresh = 400ms;
        f->open();
        f->applyOptions([](AppSettings& s) { s.EnableLogging = true; });
        connect(&f->session(), &ConsoleSession::replyArrived, this,
                [this](const QString& t) { arrived << t; });
    }
    void cleanupTestCase() {
        f.reset();
        server.reset();
    }
    void init() {
        f->pane()->clearText();
        QFile::remove(logPath());
        arrived.clear();
    }

    // First, while the server's per-address allowance of requests is still whole.
    void playersWindow() {
        aim("secret");
        f->action("mnuCommandsPlayers")->trigger();
        auto* players = f->window->findChild<frmPlayers*>("frmPlayers");
        auto* table = players->findChild<QTableWidget*>("tblPlayers");
        const auto shown = [&] {
            QStringList rows{players->findChild<QLabel*>("lblMap")->text(),
                             players->findChild<QLabel*>("lblPlayers")->text(),
                             players->findChild<QLabel*>("lblGameType")->text()};
            for (int r = 0; r < table->rowCount(); ++r)
                rows << table->item(r, 0)->text() + ' ' + table->item(r, 1)->text() + ' ' +
                            table->item(r, 4)->text();
            return rows.join('|');
        };
        QTRY_COMPARE(shown(), QString("oa_dm1|2/8|Free For All|0 Sarge bot|1 Grism bot"));
        players->close();
    }

    void status() {
        send("secret", "status");
        QTRY_VERIFY(f->paneText().contains("map: oa_dm1"));
        const QString pane = f->paneText();
        QVERIFY2(pane.contains(":> status\n"), qPrintable(pane));
        QVERIFY(pane.contains("num score ping name") || pane.contains("cl score ping name"));
        QVERIFY(!pane.contains(QChar(0xFF)) && !pane.contains("print\n"));
        QVERIFY(pane.indexOf(":> status") < pane.indexOf("map: oa_dm1"));
    }

    void wrongPassword() {
        send("not-the-password", "status");
        QTRY_VERIFY(f->paneText().contains("Bad rconpassword."));
        QCOMPARE(f->find<QLabel>("lblStatus")->text(), QString("The server refused the rcon password"));
    }

    void cvarlistEveryDatagramInOrder() {
        const QList<QByteArray> bare = bareRequest("cvarlist");
        QVERIFY(bare.size() > 1);
        send("secret", "cvarlist");
        QTRY_VERIFY_WITH_TIMEOUT(arrived.size() >= bare.size(), 8000);
        QTest::qWait(100);
        QCOMPARE(arrived.size(), bare.size());
        // Each datagram cleaned by itself and appended in arrival order; the log holds the pane.
        const QString all = arrived.join(QString());
        const QString log = QString::fromLatin1(ConsoleFixture::readFile(logPath()));
        QVERIFY(log.endsWith(all));
        QVERIFY(all.indexOf("g_arenasFile") >= 0 && all.indexOf("g_arenasFile") < all.indexOf("fs_basepath"));
        QCOMPARE(QString(log).remove('\r'), f->paneText());
    }
};

QTEST_MAIN(tst_openarena)
#include "tst_openarena.moc"
