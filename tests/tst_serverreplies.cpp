#include "CapturedReplies.h"

#include <ServerReplies.h>

#include <QFile>
#include <QRandomGenerator>
#include <QTest>

using namespace console;

namespace {

QString names(const QList<StatusPlayer>& players) {
    QStringList n;
    for (const StatusPlayer& p : players)
        n << QString::number(p.score) + ' ' + QString::number(p.ping) + ' ' + p.name;
    return n.join('|');
}

QString rows(const QList<RconPlayer>& players) {
    QStringList n;
    for (const RconPlayer& p : players)
        n << QStringLiteral("%1 %2 %3 [%4] %5").arg(p.slot).arg(p.score).arg(p.pingText, p.name, p.address);
    return n.join('|');
}

const char* const kOneBot = "0 0 Sarge|1 0 Grism|0 0 Major|0 0 ^1Big ^3Boss Man";

} // namespace

class tst_serverreplies : public QObject {
    Q_OBJECT
private slots:
    void statusResponse_data() {
        QTest::addColumn<QByteArray>("datagram");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<QString>("hostname");
        QTest::addColumn<int>("maxPlayers");
        QTest::addColumn<QString>("players");
        const QByteArray h("\xff\xff\xff\xffstatusResponse\n");
        QTest::newRow("captured empty")
            << captured("getstatus-empty") << true << "^1Kest^7wold Test" << 8 << "";
        QTest::newRow("captured bots")
            << captured("getstatus-bots") << true << "^1Kest^7wold Test" << 8 << kOneBot;
        QTest::newRow("captured long name")
            << captured("getstatus-longname") << true << "^1Kest^7wold Test" << 8
            << "1 0 Sarge|1 0 Grism|0 0 Major|1 0 ^1Big ^3Boss Man|0 0 A very long bot name indeed";
        QTest::newRow("negative score, unquoted, garbage line")
            << h + "\\sv_hostname\\x\\sv_maxclients\\64\n-3 999 \"a b\"\nnot a player\n5 20 bare name\n"
            << true << "x" << 64 << "-3 999 a b|5 20 bare name";
        QTest::newRow("header only") << QByteArray("\xff\xff\xff\xffstatusResponse") << true << "" << 0 << "";
        QTest::newRow("cut inside the name") << h + "\\a\\b\n1 2 \"Sar" << true << "" << 0 << "1 2 Sar";
        QTest::newRow("other reply") << captured("getinfo-bots") << false << "" << 0 << "";
        QTest::newRow("no prefix") << QByteArray("statusResponse\n\\a\\b") << false << "" << 0 << "";
        QTest::newRow("longer word") << QByteArray("\xff\xff\xff\xffstatusResponses\n") << false << "" << 0
                                     << "";
    }
    void statusResponse() {
        QFETCH(QByteArray, datagram);
        QFETCH(bool, valid);
        const auto status = parseStatusResponse(datagram);
        QCOMPARE(status.has_value(), valid);
        if (!valid)
            return;
        const ServerSummary s = summarize(*status);
        QTEST(s.hostname, "hostname");
        QTEST(s.maxPlayers, "maxPlayers");
        QTEST(names(status->players), "players");
        QCOMPARE(s.players, status->players.size());
    }

    void infoResponse_data() {
        QTest::addColumn<QByteArray>("datagram");
        QTest::addColumn<QString>("challenge");
        QTest::addColumn<int>("players");
        QTest::addColumn<QString>("gameType");
        QTest::newRow("captured empty") << captured("getinfo-empty") << "xyz123" << 0 << "Free For All";
        QTest::newRow("captured bots") << captured("getinfo-bots") << "ch4ll3nge" << 4 << "Free For All";
        QTest::newRow("known type, odd case key")
            << QByteArray("\xff\xff\xff\xffinfoResponse\n\\GameType\\4\\challenge\\c\\clients\\2\nextra")
            << "c" << 2 << "Capture the Flag";
        QTest::newRow("unknown type as sent")
            << QByteArray("\xff\xff\xff\xffinfoResponse\n\\gametype\\wolf\\challenge") << "" << 0 << "wolf";
    }
    void infoResponse() {
        QFETCH(QByteArray, datagram);
        const auto info = parseInfoResponse(datagram);
        QVERIFY(info);
        QTEST(info->value("challenge"), "challenge");
        const ServerSummary s = summarize(*info);
        QTEST(s.players, "players");
        QTEST(s.gameType, "gameType");
        QVERIFY(!parseInfoResponse(captured("getstatus-bots")));
    }

    void rconStatus_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("complete");
        QTest::addColumn<QString>("map");
        QTest::addColumn<QString>("expected");
        QTest::newRow("captured empty") << rconPayload(captured("rcon-status-empty")) << true << "oa_dm1"
                                        << "";
        QTest::newRow("captured bots")
            << rconPayload(captured("rcon-status-bots")) << true << "oa_dm1"
            << "0 0 0 [Sarge] bot|1 1 0 [Grism] bot|2 0 0 [Major] bot|3 0 0 [^1Big ^3Boss Man] bot";
        QTest::newRow("captured long name")
            << rconPayload(captured("rcon-status-longname")) << true << "oa_dm1"
            << "0 1 0 [Sarge] bot|1 1 0 [Grism] bot|2 0 0 [Major] bot|3 1 0 [^1Big ^3Boss Man] bot|"
               "4 0 0 [A very long bot name indeed] bot";
        QTest::newRow("older columns, connecting, negative score")
            << "map: q3dm17\nnum score ping name            lastmsg address               qport rate\n"
               "--- ----- ---- --------------- ------- --------------------- ----- -----\n"
               "  0    -2   48 ^2Two  Blanks^7          50 10.0.0.2:27960        1234 25000\n"
               " 11     0 CNCT Joe^7                   0 [::1]:27960              7  8000\n\n"
            << true << "q3dm17"
            << "0 -2 48 [^2Two  Blanks^7] 10.0.0.2:27960|11 0 CNCT [Joe^7] [::1]:27960";
        QTest::newRow("no rate column")
            << "num score ping name lastmsg address qport\n 3 1 2 A B 0 1.2.3.4:5 9\n"
            << false << ""
            << "3 1 2 [A B] 1.2.3.4:5";
        QTest::newRow("cut mid row")
            << "cl score ping name address rate\n 0 0 0 Sarge ^7bot 16384\n 1 0 0 Gri" << false << ""
            << "0 0 0 [Sarge] bot";
        QTest::newRow("short and garbage rows")
            << "cl score ping name address rate\n 0 0 0 16384\nx y z a b c\n 9999 0 0 a b c\n 2 0 0  b 3\n\n"
            << true << ""
            << "2 0 0 [] b";
        QTest::newRow("no table") << rconPayload(captured("rcon-cvarlist-0")) << false << ""
                                  << "none";
        QTest::newRow("refusal") << rconPayload(captured("rcon-badpassword")) << false << ""
                                 << "none";
    }
    void rconStatus() {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        const auto status = parseRconStatus(text);
        QCOMPARE(status.has_value(), expected != "none");
        if (!status)
            return;
        QTEST(status->complete, "complete");
        QTEST(status->map, "map");
        QCOMPARE(rows(status->players), expected);
    }

    // Every cut of a real table yields exactly the rows before the cut, never a wrong row.
    void rconStatusPrefixes() {
        const QString full = rconPayload(captured("rcon-status-longname"));
        const QList<RconPlayer> all = parseRconStatus(full)->players;
        for (qsizetype n = 0; n <= full.size(); ++n) {
            const auto status = parseRconStatus(full.left(n));
            if (!status)
                continue;
            QVERIFY(status->players.size() <= all.size());
            QCOMPARE(rows(status->players), rows(all.mid(0, status->players.size())));
            QCOMPARE(status->complete, n == full.size());
        }
    }

    void manyPlayers_data() {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("expected");
        QTest::newRow("64") << 64 << 64;
        QTest::newRow("bounded") << 5000 << kMaxPlayers;
    }
    void manyPlayers() {
        QFETCH(int, count);
        QFETCH(int, expected);
        QByteArray status("\xff\xff\xff\xffstatusResponse\n\\sv_maxclients\\64\n");
        QString table = "cl score ping name address rate\n-- ----- ----\n";
        for (int i = 0; i < count; ++i) {
            status += QByteArray::number(i) + " 50 \"^" + QByteArray::number(i % 10) + "P " +
                      QByteArray::number(i) + "\"\n";
            table += QStringLiteral("%1 %2 50 ^3P %1 ^710.0.0.%1:27960 25000\n").arg(i).arg(-i);
        }
        const auto s = parseStatusResponse(status);
        const auto t = parseRconStatus(table + "\n");
        QCOMPARE(s->players.size(), expected);
        QCOMPARE(t->players.size(), expected);
        QCOMPARE(s->players.last().name,
                 QStringLiteral("^%1P %2").arg((expected - 1) % 10).arg(expected - 1));
        QCOMPARE(t->players.last().address, QStringLiteral("10.0.0.%1:27960").arg(expected - 1));
        QCOMPARE(withoutColours(t->players.last().name), QStringLiteral("P %1").arg(expected - 1));
    }

    void colours_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("runs");
        QTest::newRow("name") << "^1Big ^3Boss Man"
                              << "1:Big |3:Boss Man";
        QTest::newRow("plain white") << "Sarge"
                                     << "7:Sarge";
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("caret before code") << "^^1x"
                                           << "7:^|1:x";
        QTest::newRow("trailing caret") << "a^"
                                        << "7:a^";
        QTest::newRow("letters wrap") << "^aA^zZ^"
                                      << "1:A|2:Z^";
        QTest::newRow("eight and nine") << "^8a^9b"
                                        << "0:a|1:b";
        QTest::newRow("punctuation no code") << "^!x^ y"
                                             << "7:^!x^ y";
        QTest::newRow("non-ascii no code")
            << QString::fromUtf8("^\u00e4x") << QString::fromUtf8("7:^\u00e4x");
        QTest::newRow("codes in a row") << "^1^2^3x^3y"
                                        << "3:xy";
        QTest::newRow("code undone before any text") << "a^1^7b"
                                                     << "7:ab";
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
        QTest::addColumn<int>("kind");
        const QByteArray p("\xff\xff\xff\xffprint\n");
        QTest::newRow("captured bad") << captured("rcon-badpassword") << int(ReplyKind::BadPassword);
        QTest::newRow("captured none") << captured("rcon-nopassword") << int(ReplyKind::NoPassword);
        QTest::newRow("captured silent") << captured("rcon-silent") << int(ReplyKind::Ordinary);
        QTest::newRow("captured status") << captured("rcon-status-bots") << int(ReplyKind::Ordinary);
        QTest::newRow("no period") << p + "Bad rconpassword\n" << int(ReplyKind::BadPassword);
        QTest::newRow("quake 2") << p + "Bad rcon_password.\n" << int(ReplyKind::BadPassword);
        QTest::newRow("not first line") << p + "say:\nBad rconpassword.\n" << int(ReplyKind::Ordinary);
        QTest::newRow("no header") << QByteArray("Bad rconpassword.\n") << int(ReplyKind::Ordinary);
        QTest::newRow("header only") << QByteArray("\xff\xff\xff\xffprint") << int(ReplyKind::Ordinary);
    }
    void classify() {
        QFETCH(QByteArray, datagram);
        QTEST(int(classifyReply(datagram)), "kind");
    }

    // Cut, flipped and random bytes never crash a parser, and results stay bounded.
    void garbage() {
        const char* const files[] = {"getstatus-bots", "getinfo-bots", "rcon-status-longname",
                                     "rcon-cvarlist-1"};
        QRandomGenerator rng(1234);
        int parsed = 0;
        for (const char* file : files) {
            const QByteArray whole = captured(file);
            for (int round = 0; round < 300; ++round) {
                QByteArray d = whole.left(rng.bounded(whole.size() + 1));
                for (int flips = rng.bounded(4); flips > 0 && !d.isEmpty(); --flips)
                    d[rng.bounded(int(d.size()))] = char(rng.bounded(256));
                if (round % 50 == 0) {
                    d.resize(rng.bounded(2000) * 4);
                    rng.fillRange(reinterpret_cast<quint32*>(d.data()), d.size() / 4);
                }
                if (const auto s = parseStatusResponse(d)) {
                    QVERIFY(s->players.size() <= kMaxPlayers);
                    ++parsed;
                }
                if (const auto i = parseInfoResponse(d)) {
                    QVERIFY(i->pairs.size() <= kMaxInfoPairs);
                    ++parsed;
                }
                if (const auto t = parseRconStatus(rconPayload(d))) {
                    QVERIFY(t->players.size() <= kMaxPlayers);
                    ++parsed;
                }
                for (const ColourRun& r : colourRuns(QString::fromLatin1(d)))
                    QVERIFY(r.colour >= 0 && r.colour <= 7 && !r.text.isEmpty());
                classifyReply(d);
            }
        }
        QVERIFY(parsed > 100);
    }
};

QTEST_GUILESS_MAIN(tst_serverreplies)
#include "tst_serverreplies.moc"
