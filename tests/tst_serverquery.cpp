#include "CapturedReplies.h"

#include <ServerQuery.h>

#include <QFile>
#include <QTest>
#include <QUdpSocket>

using namespace console;

namespace {

const QByteArray kPrint("\xff\xff\xff\xffprint\n");

} // namespace

class tst_serverquery : public QObject {
    Q_OBJECT
private slots:
    // A loopback peer answers each request with the given datagrams; "CHALLENGE" in a reply becomes
    // the challenge the request carried.
    void replies_data() {
        QTest::addColumn<QString>("request");
        QTest::addColumn<QByteArray>("sent");
        QTest::addColumn<QList<QByteArray>>("replies");
        QTest::addColumn<QString>("heard");
        const QByteArray info("\xff\xff\xff\xffinfoResponse\n\\hostname\\Kest\\mapname\\oa_dm1\\challenge\\");
        const QByteArray table = captured("rcon-status-longname").mid(kPrint.size());
        QTest::newRow("status, answered twice")
            << "status" << QByteArray("\xff\xff\xff\xffgetstatus")
            << QList<QByteArray>{captured("getstatus-bots"), captured("getstatus-longname")} << "status 4";
        QTest::newRow("info") << "info" << QByteArray("\xff\xff\xff\xffgetinfo ")
                              << QList<QByteArray>{info + "CHALLENGE"} << "info Kest oa_dm1";
        QTest::newRow("info, stale challenge")
            << "info" << QByteArray("\xff\xff\xff\xffgetinfo ") << QList<QByteArray>{info + "old"} << "";
        QTest::newRow("rcon table in three pieces, cut mid row")
            << "rcon" << QByteArray("\xff\xff\xff\xffrcon pw status")
            << QList<QByteArray>{kPrint + table.left(200), kPrint + table.mid(200, 250),
                                 kPrint + table.mid(450)}
            << "rcon 5 complete";
        QTest::newRow("rcon after others' replies")
            << "rcon" << QByteArray("\xff\xff\xff\xffrcon pw status")
            << QList<QByteArray>{captured("getstatus-bots"), info + "CHALLENGE", captured("rcon-status-bots")}
            << "rcon 4 complete";
        QTest::newRow("rcon refused") << "rcon" << QByteArray("\xff\xff\xff\xffrcon pw status")
                                      << QList<QByteArray>{captured("rcon-badpassword")} << "refused";
        QTest::newRow("rcon table never closed")
            << "rcon" << QByteArray("\xff\xff\xff\xffrcon pw status")
            << QList<QByteArray>{kPrint + table.left(table.indexOf("Major"))} << "rcon 2 partial";
    }
    void replies() {
        QFETCH(QString, request);
        QFETCH(QByteArray, sent);
        QFETCH(QList<QByteArray>, replies);
        QFETCH(QString, heard);

        QUdpSocket peer;
        QVERIFY(peer.bind(QHostAddress::LocalHost, 0));
        QByteArray got;
        connect(&peer, &QUdpSocket::readyRead, &peer, [&] {
            while (peer.hasPendingDatagrams()) {
                QHostAddress from;
                quint16 port = 0;
                got.resize(int(peer.pendingDatagramSize()));
                peer.readDatagram(got.data(), got.size(), &from, &port);
                const QByteArray challenge = got.mid(got.indexOf(' ') + 1);
                for (QByteArray reply : replies)
                    peer.writeDatagram(reply.replace("CHALLENGE", challenge), from, port);
            }
        });

        ServerQuery query;
        query.setServer(QStringLiteral("127.0.0.1"), peer.localPort());
        QStringList events;
        connect(&query, &ServerQuery::statusReceived, this,
                [&](const ServerStatus& s) { events << "status " + QString::number(s.players.size()); });
        connect(&query, &ServerQuery::infoReceived, this, [&](const InfoPairs& i) {
            events << "info " + i.value("hostname") + ' ' + i.value("mapname");
        });
        connect(&query, &ServerQuery::rconStatusReceived, this, [&](const RconStatus& s) {
            events << QStringLiteral("rcon %1 %2")
                          .arg(s.players.size())
                          .arg(s.complete ? "complete" : "partial");
        });
        connect(&query, &ServerQuery::rconRefused, this, [&](ReplyKind) { events << "refused"; });

        if (request == "status")
            query.requestStatus();
        else if (request == "info")
            query.requestInfo();
        else
            query.requestRconStatus("pw");
        QTRY_VERIFY(got.startsWith(sent));
        // Long enough for stray replies and the quiet spell that ends an unclosed table.
        QTest::qWait(ServerQuery::kRconQuietMs + 500);
        QCOMPARE(events.join(';'), heard);
    }

    // A server that was down ("port unreachable") and then comes up is heard again.
    void heardAfterRefusal() {
        quint16 port = 0;
        {
            QUdpSocket probe;
            QVERIFY(probe.bind(QHostAddress::LocalHost, 0));
            port = probe.localPort();
        }
        ServerQuery query;
        query.setServer(QStringLiteral("127.0.0.1"), port);
        int answers = 0;
        connect(&query, &ServerQuery::statusReceived, this, [&] { ++answers; });
        query.requestStatus();
        QTest::qWait(200);
        query.requestStatus();
        QTest::qWait(200);
        QUdpSocket server;
        QVERIFY(server.bind(QHostAddress::LocalHost, port));
        query.requestStatus();
        QTRY_VERIFY(server.hasPendingDatagrams());
        QHostAddress from;
        quint16 fromPort = 0;
        QByteArray d(int(server.pendingDatagramSize()), Qt::Uninitialized);
        server.readDatagram(d.data(), d.size(), &from, &fromPort);
        server.writeDatagram(captured("getstatus-bots"), from, fromPort);
        QTRY_COMPARE(answers, 1);
    }
};

QTEST_GUILESS_MAIN(tst_serverquery)
#include "tst_serverquery.moc"
