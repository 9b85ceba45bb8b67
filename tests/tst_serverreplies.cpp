#include "CapturedReplies.h"
#include "ConsoleFixture.h"

#include <ServerQuery.h>

using namespace console;
using Replies = QList<QByteArray>;

namespace {
// What a parser made of a reply, in one line: summary, then each player.
QString described(const ServerSummary& s) {
    return QStringList{s.hostname, s.map, s.gameType,
                       QStringLiteral("%1/%2").arg(s.players).arg(s.maxPlayers)}
        .join('|');
}
QString rows(const QList<RconPlayer>& players) {
    QStringList n;
    for (const RconPlayer& p : players)
        n << QStringLiteral("%1 %2 %3 [%4] %5").arg(p.slot).arg(p.score).arg(p.pingText, p.name, p.address);
    return n.join('|');
}
const QByteArray kStatus("\xff\xff\xff\xffstatusResponse\n"), kInfo("\xff\xff\xff\xffinfoResponse\n"),
    kPrint("\xff\xff\xff\xffprint\n");
constexpr int kQuietMs = 30;
} // namespace

class tst_serverreplies : public QObject {
    Q_OBJECT
private slots:
    // Every parser and the refusal check on each datagram: each must leave the others' replies alone.
    void datagrams_data() {
        columns<QByteArray, QString>("datagram", "expected");
        const QString kest = "^1Kest^7wold Test|oa_dm1|Free For All|";
        row("captured status", captured("getstatus-bots"),
            "status: " + kest + "4/8 0 0 Sarge|1 0 Grism|0 0 Major|0 0 ^1Big ^3Boss Man");
        row("negative score, unquoted, garbage line",
            kStatus + "\\sv_hostname\\x\\sv_maxclients\\64\n-3 999 \"a b\"\nnot a player\n5 20 bare name\n",
            "status: x|||2/64 -3 999 a b|5 20 bare name");
        row("status header only", QByteArray("\xff\xff\xff\xffstatusResponse"), "status: |||0/0");
        row("cut inside the name", kStatus + "\\a\\b\n1 2 \"Sar", "status: |||1/0 1 2 Sar");
        row("nothing read past 256 KiB", kStatus + "\\a\\" + QByteArray(256 * 1024, 'x') + "\n1 2 \"A\"",
            "status: |||0/0");
        row("no prefix", QByteArray("statusResponse\n\\a\\b"), "");
        row("longer word", QByteArray("\xff\xff\xff\xffstatusResponses\n"), "");
        row("captured info", captured("getinfo-bots"), "info: ch4ll3nge " + kest + "4/8");
        row("known type, odd case key", kInfo + "\\GameType\\4\\challenge\\c\\clients\\2\nextra",
            "info: c ||Capture the Flag|2/0");
        row("unknown type as sent", kInfo + "\\gametype\\wolf\\challenge", "info:  ||wolf|0/0");
        row("captured refusal", captured("rcon-badpassword"), "bad password");
        row("captured no password", captured("rcon-nopassword"), "no password");
        row("captured silent", captured("rcon-silent"), "");
        row("refusal without period", kPrint + "Bad rconpassword\n", "bad password");
        row("quake 2 refusal", kPrint + "Bad rcon_password.\n", "bad password");
        row("refusal not first line", kPrint + "say:\nBad rconpassword.\n", "");
        row("refusal without header", QByteArray("Bad rconpassword.\n"), "");
        row("print header only", QByteArray("\xff\xff\xff\xffprint"), "");
    }
    void datagrams() {
        QFETCH(QByteArray, datagram);
        QStringList got;
        if (const auto s = parseStatusResponse(datagram)) {
            QStringList players;
            for (const StatusPlayer& p : s->players)
                players << QStringLiteral("%1 %2 %3").arg(p.score).arg(p.ping).arg(p.name);
            got << "status: " + described(summarize(*s)) + (players.isEmpty() ? "" : " " + players.join('|'));
        }
        if (const auto i = parseInfoResponse(datagram))
            got << "info: " + i->value("challenge") + ' ' + described(summarize(*i));
        if (const ReplyKind k = classifyReply(datagram); k != ReplyKind::Ordinary)
            got << (k == ReplyKind::BadPassword ? "bad password" : "no password");
        QTEST(got.join(" + "), "expected");
    }

    void rconStatus_data() {
        columns<QString, QString>("text", "expected"); // complete or not, map, rows; "none" for no table
        row("captured empty", rconPayload(captured("rcon-status-empty")), "complete oa_dm1 ");
        row("captured long name", rconPayload(captured("rcon-status-longname")),
            "complete oa_dm1 0 1 0 [Sarge] bot|1 1 0 [Grism] bot|2 0 0 [Major] bot|3 1 0 [^1Big ^3Boss Man] "
            "bot|4 0 0 [A very long bot name indeed] bot");
        row("older columns, connecting, negative score",
            "map: q3dm17\nnum score ping name            lastmsg address               qport rate\n"
            "  0    -2   48 ^2Two  Blanks^7          50 10.0.0.2:27960        1234 25000\n"
            " 11     0 CNCT Joe^7                   0 [::1]:27960              7  8000\n\n",
            "complete q3dm17 0 -2 48 [^2Two  Blanks^7] 10.0.0.2:27960|11 0 CNCT [Joe^7] [::1]:27960");
        row("no rate column", "num score ping name lastmsg address qport\n 3 1 2 A B 0 1.2.3.4:5 9\n",
            "partial  3 1 2 [A B] 1.2.3.4:5");
        row("cut mid row", "cl score ping name address rate\n 0 0 0 Sarge ^7bot 16384\n 1 0 0 Gri",
            "partial  0 0 0 [Sarge] bot");
        row("short and garbage rows",
            "cl score ping name address rate\n 0 0 0 16384\nx y z a b c\n 9999 0 0 a b c\n 2 0 0  b 3\n\n",
            "complete  2 0 0 [] b");
        row("no table", rconPayload(captured("rcon-cvarlist-0")), "none");
        row("refusal", rconPayload(captured("rcon-badpassword")), "none");
    }
    void rconStatus() {
        QFETCH(QString, text);
        const auto s = parseRconStatus(text);
        QTEST(s ? QStringLiteral("%1 %2 ").arg(s->complete ? "complete" : "partial", s->map) +
                      rows(s->players)
                : QString("none"),
              "expected");
        // Every cut yields exactly the rows before it, never a wrong row, and no closing line.
        for (qsizetype n = 0; s && n < text.size(); ++n)
            if (const auto cut = parseRconStatus(text.left(n))) {
                QCOMPARE(rows(cut->players), rows(s->players.mid(0, cut->players.size())));
                QVERIFY2(!cut->complete, qPrintable(text.left(n)));
            }
    }

    // Players and info pairs are bounded, whatever a server sends.
    void caps() {
        QByteArray status = kStatus + "\\sv_maxclients\\64\n", info = kInfo;
        QString table = "cl score ping name address rate\n-- ----- ----\n";
        for (int i = 0; i < 5000; ++i) {
            const QByteArray n = QByteArray::number(i);
            status += n + " 50 \"^" + QByteArray::number(i % 10) + "P " + n + "\"\n";
            info += "\\k" + n + "\\" + n;
            table += QStringLiteral("%1 %2 50 ^3P %1 ^710.0.0.%1:27960 25000\n").arg(i).arg(-i);
        }
        const auto s = parseStatusResponse(status);
        const auto t = parseRconStatus(table + "\n");
        QCOMPARE(
            QList<qsizetype>({parseInfoResponse(info)->pairs.size(), s->players.size(), t->players.size()}),
            QList<qsizetype>({kMaxInfoPairs, kMaxPlayers, kMaxPlayers}));
        QCOMPARE(QStringList({s->players.last().name, t->players.last().address,
                              withoutColours(t->players.last().name)}),
                 QStringList({"^5P 255", "10.0.0.255:27960", "P 255"}));
    }

    void colours_data() {
        columns<QString, QString>("text", "runs");
        row("name", "^1Big ^3Boss Man", "1:Big |3:Boss Man");
        row("empty", "", "");
        row("caret before code, trailing caret", "^^1x^", "7:^|1:x^");
        row("letters wrap, eight and nine", "^aA^zZ^8a^9b", "1:A|2:Z|0:a|1:b");
        row("punctuation and non-ascii no code", QString::fromUtf8("^!x^ y^\u00e4x"),
            QString::fromUtf8("7:^!x^ y^\u00e4x"));
        row("codes in a row, code undone before any text", "a^1^7b^1^2^3x^3y", "7:ab|3:xy");
    }
    void colours() {
        QFETCH(QString, text);
        QStringList runs;
        for (const ColourRun& r : colourRuns(text))
            runs << QString::number(r.colour) + ':' + r.text;
        QTEST(runs.join('|'), "runs");
    }

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
        ServerPacers pacers;
        ServerQuery query(pacers, nullptr, kQuietMs);
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
        ServerPacers pacers;
        ServerQuery query(pacers);
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

QTEST_GUILESS_MAIN(tst_serverreplies)
#include "tst_serverreplies.moc"
