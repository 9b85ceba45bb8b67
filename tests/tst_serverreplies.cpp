#include "CapturedReplies.h"

#include <ServerReplies.h>

using namespace console;

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
const QByteArray kStatus("\xff\xff\xff\xffstatusResponse\n"), kInfo("\xff\xff\xff\xffinfoResponse\n");
} // namespace

class tst_serverreplies : public QObject {
    Q_OBJECT
private slots:
    // getstatus and getinfo replies; each parser must refuse the other's reply.
    void statusAndInfo_data() {
        QTest::addColumn<QByteArray>("datagram");
        QTest::addColumn<QString>("expected"); // "status: ..." or "info: ..." or nothing
        const QString kest = "status: ^1Kest^7wold Test|oa_dm1|Free For All|";
        addRow("captured status, empty", captured("getstatus-empty"), kest + "0/8");
        addRow("captured status, bots", captured("getstatus-bots"),
               kest + "4/8 0 0 Sarge|1 0 Grism|0 0 Major|0 0 ^1Big ^3Boss Man");
        addRow("negative score, unquoted, garbage line",
               kStatus +
                   "\\sv_hostname\\x\\sv_maxclients\\64\n-3 999 \"a b\"\nnot a player\n5 20 bare name\n",
               "status: x|||2/64 -3 999 a b|5 20 bare name");
        addRow("status header only", QByteArray("\xff\xff\xff\xffstatusResponse"), "status: |||0/0");
        addRow("cut inside the name", kStatus + "\\a\\b\n1 2 \"Sar", "status: |||1/0 1 2 Sar");
        addRow("nothing read past 256 KiB", kStatus + "\\a\\" + QByteArray(256 * 1024, 'x') + "\n1 2 \"A\"",
               "status: |||0/0");
        addRow("no prefix", QByteArray("statusResponse\n\\a\\b"), "");
        addRow("longer word", QByteArray("\xff\xff\xff\xffstatusResponses\n"), "");
        addRow("captured info, empty", captured("getinfo-empty"),
               "info: xyz123 ^1Kest^7wold Test|oa_dm1|Free For All|0/8");
        addRow("captured info, bots", captured("getinfo-bots"),
               "info: ch4ll3nge ^1Kest^7wold Test|oa_dm1|Free For All|4/8");
        addRow("known type, odd case key", kInfo + "\\GameType\\4\\challenge\\c\\clients\\2\nextra",
               "info: c ||Capture the Flag|2/0");
        addRow("unknown type as sent", kInfo + "\\gametype\\wolf\\challenge", "info:  ||wolf|0/0");
    }
    void statusAndInfo() {
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
        QTEST(got.join(" + "), "expected");
    }

    void rconStatus_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected"); // complete or not, map, rows; "none" for no table
        addRow("captured empty", rconPayload(captured("rcon-status-empty")), "complete oa_dm1 ");
        addRow("captured long name", rconPayload(captured("rcon-status-longname")),
               "complete oa_dm1 0 1 0 [Sarge] bot|1 1 0 [Grism] bot|2 0 0 [Major] bot|3 1 0 [^1Big ^3Boss "
               "Man] bot|"
               "4 0 0 [A very long bot name indeed] bot");
        addRow("older columns, connecting, negative score",
               "map: q3dm17\nnum score ping name            lastmsg address               qport rate\n"
               "--- ----- ---- --------------- ------- --------------------- ----- -----\n"
               "  0    -2   48 ^2Two  Blanks^7          50 10.0.0.2:27960        1234 25000\n"
               " 11     0 CNCT Joe^7                   0 [::1]:27960              7  8000\n\n",
               "complete q3dm17 0 -2 48 [^2Two  Blanks^7] 10.0.0.2:27960|11 0 CNCT [Joe^7] [::1]:27960");
        addRow("no rate column", "num score ping name lastmsg address qport\n 3 1 2 A B 0 1.2.3.4:5 9\n",
               "partial  3 1 2 [A B] 1.2.3.4:5");
        addRow("cut mid row", "cl score ping name address rate\n 0 0 0 Sarge ^7bot 16384\n 1 0 0 Gri",
               "partial  0 0 0 [Sarge] bot");
        addRow("short and garbage rows",
               "cl score ping name address rate\n 0 0 0 16384\nx y z a b c\n 9999 0 0 a b c\n 2 0 0  b 3\n\n",
               "complete  2 0 0 [] b");
        addRow("no table", rconPayload(captured("rcon-cvarlist-0")), "none");
        addRow("refusal", rconPayload(captured("rcon-badpassword")), "none");
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
        QCOMPARE(parseInfoResponse(info)->pairs.size(), kMaxInfoPairs);
        QCOMPARE(s->players.size(), kMaxPlayers);
        QCOMPARE(t->players.size(), kMaxPlayers);
        QCOMPARE(s->players.last().name, QStringLiteral("^5P 255"));
        QCOMPARE(t->players.last().address, QStringLiteral("10.0.0.255:27960"));
        QCOMPARE(withoutColours(t->players.last().name), QStringLiteral("P 255"));
    }

    void colours_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("runs");
        addRow("name", "^1Big ^3Boss Man", "1:Big |3:Boss Man");
        addRow("plain white", "Sarge", "7:Sarge");
        addRow("empty", "", "");
        addRow("caret before code", "^^1x", "7:^|1:x");
        addRow("trailing caret", "a^", "7:a^");
        addRow("letters wrap", "^aA^zZ^", "1:A|2:Z^");
        addRow("eight and nine", "^8a^9b", "0:a|1:b");
        addRow("punctuation no code", "^!x^ y", "7:^!x^ y");
        addRow("non-ascii no code", QString::fromUtf8("^\u00e4x"), QString::fromUtf8("7:^\u00e4x"));
        addRow("codes in a row", "^1^2^3x^3y", "3:xy");
        addRow("code undone before any text", "a^1^7b", "7:ab");
    }
    void colours() {
        QFETCH(QString, text);
        QStringList runs;
        for (const ColourRun& r : colourRuns(text))
            runs << QString::number(r.colour) + ':' + r.text;
        QTEST(runs.join('|'), "runs");
    }

    void classify_data() {
        QTest::addColumn<QByteArray>("datagram");
        QTest::addColumn<ReplyKind>("kind");
        const QByteArray p("\xff\xff\xff\xffprint\n");
        addRow("captured bad", captured("rcon-badpassword"), ReplyKind::BadPassword);
        addRow("captured none", captured("rcon-nopassword"), ReplyKind::NoPassword);
        addRow("captured silent", captured("rcon-silent"), ReplyKind::Ordinary);
        addRow("captured status", captured("rcon-status-bots"), ReplyKind::Ordinary);
        addRow("no period", p + "Bad rconpassword\n", ReplyKind::BadPassword);
        addRow("quake 2", p + "Bad rcon_password.\n", ReplyKind::BadPassword);
        addRow("not first line", p + "say:\nBad rconpassword.\n", ReplyKind::Ordinary);
        addRow("no header", QByteArray("Bad rconpassword.\n"), ReplyKind::Ordinary);
        addRow("header only", QByteArray("\xff\xff\xff\xffprint"), ReplyKind::Ordinary);
    }
    void classify() {
        QFETCH(QByteArray, datagram);
        QTEST(classifyReply(datagram), "kind");
    }
};

QTEST_GUILESS_MAIN(tst_serverreplies)
#include "tst_serverreplies.moc"
