#include "ConsoleFixture.h"
#include "OpenArena.h"

#include <QSignalSpy>

using namespace console;

// The console against a real Quake-3-engine server on loopback.
class tst_openarena : public QObject {
    Q_OBJECT

    std::unique_ptr<OpenArenaServer> server;
    std::unique_ptr<ConsoleFixture> f;
    QStringList arrived;

    void send(const QString& password, const QString& command) {
        f->box("cboPort")->setEditText(QString::number(server->port()));
        f->find<QLineEdit>("txtPassword")->setText(password);
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
        server = std::make_unique<OpenArenaServer>();
        QVERIFY2(server->waitUntilReady(), server->output().constData());
        f = std::make_unique<ConsoleFixture>();
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

    void status() {
        send("secret", "status");
        QTRY_VERIFY_WITH_TIMEOUT(f->paneText().contains("map: oa_dm1"), 5000);
        const QString pane = f->paneText();
        QVERIFY2(pane.contains(":> status\n"), qPrintable(pane));
        QVERIFY(pane.contains("num score ping name") || pane.contains("cl score ping name"));
        QVERIFY(!pane.contains(QChar(0xFF)) && !pane.contains("print\n"));
        QVERIFY(pane.indexOf(":> status") < pane.indexOf("map: oa_dm1"));
    }

    void wrongPassword() {
        send("not-the-password", "status");
        QTRY_VERIFY_WITH_TIMEOUT(f->paneText().contains("Bad rconpassword."), 5000);
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
