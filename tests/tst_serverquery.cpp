#include "CapturedReplies.h"
#include "ConsoleFixture.h"

#include <ServerQuery.h>

using namespace console;
using Replies = QList<QByteArray>;

namespace {
const QByteArray kPrint("\xff\xff\xff\xffprint\n");
constexpr int kQuietMs = 30;
} // namespace

class tst_serverquery : public QObject {
    Q_OBJECT
private slots:
    // A loopback peer answers each request it expects with the row's datagrams, "CHALLENGE" replaced
    // by the challenge the request carried and "#" by the request's number. getinfo is asked twice.
    void replies_data() {
        columns<QString, Replies, QString>("request", "replies", "heard");
        const QByteArray info("\xff\xff\xff\xffinfoResponse\n\\mapname\\oa_dm1\\hostname\\");
        const QByteArray table = captured("rcon-status-longname").mid(kPrint.size());
        row("status answered twice", "getstatus",
            Replies{captured("getstatus-bots"), captured("getstatus-longname")}, "status 4");
        row("info asked twice: only the latest challenge", "getinfo ",
            Replies{info + "answer#\\challenge\\CHALLENGE"}, "info answer2 oa_dm1");
        row("rcon table in three pieces, cut mid row", "rcon pw status",
            Replies{kPrint + table.left(200), kPrint + table.mid(200, 250), kPrint + table.mid(450)},
            "rcon 5 complete");
        row("rcon after others' replies", "rcon pw status",
            Replies{captured("getstatus-bots"), info + "x\\challenge\\CHALLENGE",
                    captured("rcon-status-bots")},
            "rcon 4 complete");
        row("rcon refused", "rcon pw status", Replies{captured("rcon-badpassword")}, "refused");
        row("rcon table never closed", "rcon pw status", Replies{kPrint + table.left(table.indexOf("Major"))},
            "rcon 2 partial");
    }
    void replies() {
        QFETCH(QString, request);
        QFETCH(Replies, replies);
        QFETCH(QString, heard);
        UdpPeer peer;
        int asked = 0;
        connect(&peer.socket, &QUdpSocket::readyRead, this, [&] {
            while (peer.socket.hasPendingDatagrams()) {
                const QByteArray got = peer.next(0), number = QByteArray::number(++asked);
                for (QByteArray reply : replies)
                    if (got.startsWith("\xff\xff\xff\xff" + request.toLatin1()))
                        peer.reply(
                            reply.replace("CHALLENGE", got.mid(got.indexOf(' ') + 1)).replace('#', number));
            }
        });
        ServerQuery query(nullptr, kQuietMs);
        query.setServer(QStringLiteral("127.0.0.1"), peer.port());
        QStringList events;
        connect(&query, &ServerQuery::statusReceived, this,
                [&](const ServerStatus& s) { events << QStringLiteral("status %1").arg(s.players.size()); });
        connect(&query, &ServerQuery::infoReceived, this, [&](const InfoPairs& i) {
            events << "info " + i.value("hostname") + ' ' + i.value("mapname");
        });
        connect(&query, &ServerQuery::rconStatusReceived, this, [&](const RconStatus& s) {
            events << QStringLiteral("rcon %1 %2")
                          .arg(s.players.size())
                          .arg(s.complete ? "complete" : "partial");
        });
        connect(&query, &ServerQuery::rconRefused, this, [&](ReplyKind) { events << "refused"; });
        for (int i = request == "getinfo " ? 0 : 1; i < 2; ++i)
            request == "getstatus"  ? query.requestStatus()
            : request == "getinfo " ? query.requestInfo()
                                    : query.requestRconStatus("pw");
        QTRY_COMPARE(events.join(';'), heard);
        // A late extra reply or a quiet spell ending an already complete table would show up now.
        QTest::qWait(2 * kQuietMs);
        QCOMPARE(events.join(';'), heard);
    }

    // "Port unreachable" from a server still down must not leave the socket deaf once it is up.
    void heardAfterRefusal() {
        UdpPeer server;
        const quint16 port = server.port();
        server.socket.close();
        ServerQuery query;
        query.setServer(QStringLiteral("127.0.0.1"), port);
        QSignalSpy answers(&query, &ServerQuery::statusReceived);
        query.requestStatus();
        QSignalSpy woken(query.findChild<QUdpSocket*>(), &QUdpSocket::readyRead);
        QVERIFY(woken.wait(2000));
        query.requestStatus();
        QVERIFY(woken.wait(2000)); // still listening
        QVERIFY(server.socket.bind(QHostAddress::LocalHost, port));
        query.requestStatus();
        QCOMPARE(server.next(), QByteArray("\xff\xff\xff\xffgetstatus"));
        server.reply(captured("getstatus-bots"));
        QVERIFY(answers.wait(2000));
    }
};

QTEST_GUILESS_MAIN(tst_serverquery)
#include "tst_serverquery.moc"
