#include "FakeDesktop.h"
#include "OpenArena.h"

#include <ConsolePane.h>
#include <ProgramFolder.h>
#include <SettingsStore.h>
#include <SocketControl.h>
#include <basMain.h>
#include <frmMain.h>

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

using namespace console;

// The console against a real Quake-3-engine server on loopback.
class tst_openarena : public QObject {
    Q_OBJECT

    std::unique_ptr<OpenArenaServer> server;
    QTemporaryDir folder;
    FakeDesktop desktop;
    std::unique_ptr<frmMain> w;
    QList<QByteArray> arrived;

    void send(const QString& password, const QString& command) {
        w->cboAddr->setEditText("127.0.0.1");
        w->cboPort->setEditText(QString::number(server->port()));
        w->txtPassword->setText(password);
        w->cboCommand->setEditText(command);
        QTest::keyClick(w->cboCommand, Qt::Key_Return);
    }
    // A bare socket's view of the same request, for comparison.
    QList<QByteArray> bareRequest(const QByteArray& command) {
        QUdpSocket s;
        s.connectToHost(QHostAddress::LocalHost, server->port());
        s.write("\xff\xff\xff\xffrcon secret " + command);
        QList<QByteArray> got;
        while (s.waitForReadyRead(1500))
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
        platform::setProgramFolder(folder.path());
        resetBasMain();
        w = std::make_unique<frmMain>(desktop);
        w->Form_Load();
        basMain().settings.EnableLogging = true;
        connect(w->UDPClient, &platform::SocketControl::DataArrival, this,
                [this] { arrived << w->ReplyText.toLatin1(); });
    }
    void cleanupTestCase() {
        w.reset();
        if (server) {
            const qint64 pid = server->pid();
            server.reset();
            QVERIFY(pid > 0);
        }
    }
    void init() {
        w->txtOutput->clearText();
        QFile::remove(logPath());
        arrived.clear();
        QTest::qWait(600); // the server limits how often one address may use rcon
    }

    void status() {
        send("secret", "status");
        QTRY_VERIFY_WITH_TIMEOUT(w->txtOutput->toPlainText().contains("map: oa_dm1"), 5000);
        const QString pane = w->txtOutput->toPlainText();
        QVERIFY2(pane.contains(":> status\n"), qPrintable(pane));
        QVERIFY(pane.contains("num score ping name") || pane.contains("cl score ping name"));
        QVERIFY(!pane.contains(QChar(0xFF)) && !pane.contains("print\n"));
        QVERIFY(pane.indexOf(":> status") < pane.indexOf("map: oa_dm1"));
    }

    void wrongPassword() {
        send("not-the-password", "status");
        QTRY_VERIFY_WITH_TIMEOUT(w->txtOutput->toPlainText().contains("Bad rconpassword."), 5000);
    }

    void cvarlistEveryDatagramInOrder() {
        const QList<QByteArray> bare = bareRequest("cvarlist");
        QVERIFY(bare.size() > 1);
        QTest::qWait(600);
        arrived.clear();
        QFile::remove(logPath());
        w->txtOutput->clearText();
        send("secret", "cvarlist");
        QTRY_VERIFY_WITH_TIMEOUT(arrived.size() >= bare.size(), 8000);
        QTest::qWait(500);
        QCOMPARE(arrived.size(), bare.size());
        // Each datagram cleaned by itself and appended in arrival order.
        QByteArray expectedTail;
        for (const QByteArray& d : arrived)
            expectedTail += d;
        const QByteArray log = [] {
            QFile f(logPath());
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        }();
        QVERIFY(log.endsWith(expectedTail));
        QVERIFY(expectedTail.contains("fs_basepath"));
        QVERIFY(expectedTail.indexOf("g_arenasFile") < expectedTail.indexOf("fs_basepath"));
        // With logging on, the log holds exactly what the pane received.
        QString pane = w->txtOutput->toPlainText();
        QCOMPARE(QString::fromLatin1(log).remove('\r'), pane);
    }
};

QTEST_MAIN(tst_openarena)
#include "tst_openarena.moc"
