#include "FakeDesktop.h"

#include <ConsolePane.h>
#include <ProgramFolder.h>
#include <SettingsStore.h>
#include <SocketControl.h>
#include <basMain.h>
#include <frmMain.h>

#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUdpSocket>
#include <memory>

using namespace console;

// The console's side of the remote reboot, against a TCP peer on loopback that records what it
// is sent and when, and an rcon peer that records the "quit".
class tst_reboot_client : public QObject {
    Q_OBJECT

    FakeDesktop desktop;
    QTemporaryDir folder;
    QTcpServer listener;
    QUdpSocket rcon;
    std::unique_ptr<frmMain> w;

    struct Connection {
        QTcpSocket* socket;
        QElapsedTimer since;
        QByteArray received;
        qint64 receivedAfterMs = -1;
        bool closedByPeer = false;
    };
    QList<std::shared_ptr<Connection>> connections;

    QList<QByteArray> rconDatagrams() {
        QList<QByteArray> got;
        while (rcon.hasPendingDatagrams()) {
            QByteArray d(int(rcon.pendingDatagramSize()), Qt::Uninitialized);
            rcon.readDatagram(d.data(), d.size());
            got << d;
        }
        return got;
    }

private slots:
    void initTestCase() {
        platform::setProgramFolder(folder.path());
        QVERIFY(rcon.bind(QHostAddress::LocalHost, 0));
        QVERIFY(listener.listen(QHostAddress::LocalHost, 0));
        connect(&listener, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* s = listener.nextPendingConnection()) {
                auto c = std::make_shared<Connection>();
                c->socket = s;
                c->since.start();
                connections << c;
                connect(s, &QTcpSocket::readyRead, this, [c] {
                    if (c->receivedAfterMs < 0)
                        c->receivedAfterMs = c->since.elapsed();
                    c->received += c->socket->readAll();
                });
                connect(s, &QTcpSocket::disconnected, this, [c] { c->closedByPeer = true; });
            }
        });
    }
    void init() {
        resetBasMain();
        QFile::remove(platform::SettingsStore().fileName());
        connections.clear();
        rconDatagrams();
        w = std::make_unique<frmMain>(desktop, listener.serverPort());
        w->Form_Load();
        w->cboAddr->setEditText("127.0.0.1");
        w->cboPort->setEditText(QString::number(rcon.localPort()));
        w->txtPassword->setText("pw");
    }
    void cleanup() { w.reset(); }

    void quitThenRebootFourSecondsLater() {
        w->cboCommand->setEditText("reboot");
        w->cmdConnect_Click();
        QTRY_COMPARE(connections.size(), 1);
        QTRY_VERIFY(rcon.hasPendingDatagrams());
        QCOMPARE(rconDatagrams(), QList<QByteArray>{"\xff\xff\xff\xffrcon pw quit"});
        QVERIFY(w->txtOutput->toPlainText().contains(":> quit"));
        // A second reboot during the wait starts nothing new.
        w->SendCommand("REBOOT");
        QTRY_VERIFY_WITH_TIMEOUT(connections[0]->closedByPeer, 7000);
        const Connection& c = *connections[0];
        QCOMPARE(c.received, QByteArray("reboot"));
        QVERIFY2(c.receivedAfterMs >= 3900 && c.receivedAfterMs < 5000,
                 qPrintable(QString::number(c.receivedAfterMs)));
        QCOMPARE(connections.size(), 1);
        QCOMPARE(rconDatagrams(), QList<QByteArray>{});
        QCOMPARE(w->TCPClient->State(), int(platform::SocketControl::sckClosed));
        QVERIFY(desktop.boxes.isEmpty());
        // The next reboot starts from the idle state again.
        w->SendCommand("Reboot");
        QTRY_COMPARE(connections.size(), 2);
    }

    void exitDuringTheWaitSendsNothing() {
        w->SendCommand("reboot");
        QTRY_COMPARE(connections.size(), 1);
        QTRY_VERIFY(rcon.hasPendingDatagrams());
        w->close();
        QTRY_VERIFY(connections[0]->closedByPeer);
        QTest::qWait(4500);
        QCOMPARE(connections[0]->received, QByteArray());
    }
};

QTEST_MAIN(tst_reboot_client)
#include "tst_reboot_client.moc"
