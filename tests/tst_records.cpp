#include "CapturedReplies.h"
#include "ConsoleFixture.h"

#include <Bans.h>
#include <CommandAudit.h>
#include <RecordRules.h>
#include <Records.h>
#include <ServerReplies.h>
#include <frmActivity.h>
#include <frmBans.h>
#include <frmHistory.h>

#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

using namespace console;

namespace {
// Waits for a read the records answer through a callback.
template <typename R, typename Ask> R answer(Ask ask) {
    R result{};
    bool done = false;
    QObject context;
    ask(&context, [&](const R& rows) {
        result = rows;
        done = true;
    });
    if (!QTest::qWaitFor([&] { return done; }, 10000))
        qWarning("the records did not answer");
    return result;
}
QList<HistoryRow> search(Records& r, const QString& text) {
    return answer<QList<HistoryRow>>([&](QObject* c, auto done) { r.searchHistory(text, c, done); });
}
QList<AuditEntry> trail(Records& r, const AuditFilter& filter = {}) {
    return answer<QList<AuditEntry>>([&](QObject* c, auto done) { r.readAudit(filter, c, done); });
}
QString shown(const QList<HistoryRow>& rows) {
    QStringList out;
    for (const HistoryRow& row : rows)
        out << row.server + ' ' + withoutColours(row.name) + ' ' + row.address + ' ' +
                   QString::number(row.timesSeen);
    out.sort();
    return out.join('|');
}
QString shown(const QList<AuditEntry>& rows) {
    QStringList out;
    for (const AuditEntry& e : rows)
        out << e.command + ' ' + outcomeText(e.outcome) + ' ' + e.firstLine;
    return out.join('|');
}
// Opens the file the way another program would, to look at it from outside the service.
struct RawFile {
    explicit RawFile(const QString& path) {
        db = QSqlDatabase::addDatabase("QSQLITE", "raw");
        db.setDatabaseName(path);
        db.open();
    }
    ~RawFile() {
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase("raw");
    }
    QString single(const QString& sql) {
        QSqlQuery q(db);
        return q.exec(sql) && q.next() ? q.value(0).toString() : "<" + q.lastError().text() + ">";
    }
    QSqlDatabase db;
};

// The child of the kill test: writes trail entries one after another, each waited for, and says so.
int runWriter(const QString& path) {
    Records records(path);
    QTextStream out(stdout);
    for (int i = 1;; ++i) {
        records.recordCommand({QDateTime::currentDateTimeUtc(), "me", "127.0.0.1:27960",
                               QString("say entry %1").arg(i), CommandOrigin::User, Outcome::Replied, "x"});
        records.flush();
        out << "committed " << i << Qt::endl;
    }
}
} // namespace

class tst_records : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QString path() const { return dir.filePath("velmora.sqlite"); }

private slots:
    void init() { QDir(dir.path()).removeRecursively(), QDir().mkpath(dir.path()); }

    void addressRanges_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("range");
        row("v4 address", QString("10.1.2.3"), QString("10.1.2.3/32"));
        row("v4 range normalised", QString(" 10.9.4.5/16 "), QString("10.9.0.0/16"));
        row("v4 everything", QString("1.2.3.4/0"), QString("0.0.0.0/0"));
        row("v6 address", QString("2001:DB8::1"), QString("2001:db8::1/128"));
        row("v6 range", QString("2001:db8:1:2::/32"), QString("2001:db8::/32"));
        row("mask too wide", QString("10.0.0.0/33"), QString());
        row("signed mask", QString("10.0.0.0/+8"), QString());
        row("empty mask", QString("10.0.0.0/"), QString());
        row("octet too big", QString("300.1.1.1"), QString());
        row("name", QString("Sarge"), QString());
        row("command riding along", QString("1.2.3.4;quit"), QString());
    }
    void addressRanges() {
        QFETCH(QString, text);
        QFETCH(QString, range);
        const auto parsed = parseAddressRange(text);
        QCOMPARE(parsed ? parsed->text : QString(), range);
        if (parsed) // every address of the range sorts between its ends
            QVERIFY(parsed->low <= addressKey(parsed->text.section('/', 0, 0)) &&
                    parsed->low <= parsed->high);
    }

    void redaction_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("kept");
        QTest::addColumn<bool>("touches");
        row("rcon password set", QString("rconpassword hunter2"), QString("rconpassword ********"), true);
        row("set form", QString("set  g_password  hunter2 x"), QString("set  g_password  ********"), true);
        row("seta, case", QString("SETA sv_privatePassword hunter2"),
            QString("SETA sv_privatePassword ********"), true);
        row("read only", QString("rconpassword"), QString("rconpassword"), true);
        row("ordinary", QString("kick password"), QString("kick password"), false);
    }
    void redaction() {
        QFETCH(QString, command);
        QFETCH(QString, kept);
        QFETCH(bool, touches);
        QCOMPARE(redactedCommand(command), kept);
        QCOMPARE(touchesPassword(command), touches);
    }

    void csv_data() {
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<QString>("line");
        row("plain", QStringList{"a", "b c"}, QString("a,b c\r\n"));
        row("quotes and commas", QStringList{"say \"hi\", all"}, QString("\"say \"\"hi\"\", all\"\r\n"));
        row("line break", QStringList{"a\nb"}, QString("\"a\nb\"\r\n"));
        row("formula", QStringList{"=HYPERLINK(1)", "@x"}, QString("'=HYPERLINK(1),'@x\r\n"));
    }
    void csv() {
        QFETCH(QStringList, fields);
        QFETCH(QString, line);
        QCOMPARE(csvLine(fields), line);
    }

    // The real server's answers, captured on loopback.
    void banLists_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("entries");
        auto payload = [](const char* name) { return rconPayload(captured(name)); };
        row("empty", payload("rcon-listbans-empty"), QString());
        row("bans and exception", payload("rcon-listbans"),
            QString("B1 10.1.2.3/32|B2 10.9.0.0/16|B3 2001:db8::/32|E1 10.9.4.5/32"));
        const QString many = payload("rcon-listbans-many-0") + payload("rcon-listbans-many-1");
        QStringList all;
        for (int i = 0; i < 70; ++i)
            all << QString("B%1 10.20.%2.0/24").arg(i + 1).arg(i);
        row("two datagrams", many, (all << "E1 10.20.3.9/32").join('|'));
        row("pane line ends, colours", QString("^1Ban #1: 10.1.2.3/32\r\nbogus #2: 1.1.1.1/32\r\n"),
            QString("B1 10.1.2.3/32"));
        row("et cvar", QString("\"g_banIPs\" is:\"10.1.*.* 1.2.3.4 bad.1.2.3 ^7\" default:\"\"^7"),
            QString("B1 10.1.0.0/16|B2 1.2.3.4/32"));
    }
    void banLists() {
        QFETCH(QString, text);
        QFETCH(QString, entries);
        QStringList out;
        const QList<BanEntry> list = text.contains("g_banIPs") ? parseEtBanCvar(text) : parseBanList(text);
        for (const BanEntry& e : list)
            out << QString(e.kind == BanKind::Ban ? "B" : "E") + QString::number(e.number) + ' ' + e.range;
        QCOMPARE(out.join('|'), entries);
    }

    void banReplies_data() {
        QTest::addColumn<QString>("capture");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("detail");
        row("added", QString("rcon-banaddr-added"), int(BanReply::Added), QString("10.1.2.3/32"));
        row("added range", QString("rcon-banaddr-range"), int(BanReply::Added), QString("10.9.0.0/16"));
        row("added v6", QString("rcon-banaddr-ipv6"), int(BanReply::Added), QString("2001:db8::/32"));
        row("supersedes", QString("rcon-banaddr-supersedes"), int(BanReply::Failed),
            QString("Ban 10.9.0.0/16 supersedes ban 10.9.4.5/32"));
        row("invalid, after the resolver's line", QString("rcon-banaddr-invalid"), int(BanReply::Failed),
            QString("Invalid address 300.1.1.1"));
        row("bot slot", QString("rcon-banaddr-bot"), int(BanReply::Failed),
            QString("Can ban players connected via the internet only."));
        row("no such slot", QString("rcon-banaddr-noclient"), int(BanReply::Failed),
            QString("Playernum 5 does not exist."));
        row("exception added", QString("rcon-exceptaddr"), int(BanReply::ExceptionAdded),
            QString("10.9.4.5/32"));
        row("deleted", QString("rcon-bandel"), int(BanReply::Deleted), QString("10.1.2.3/32"));
        row("deleted by number", QString("rcon-bandel-number"), int(BanReply::Deleted),
            QString("10.9.0.0/16"));
        row("bad number", QString("rcon-bandel-badnumber"), int(BanReply::Failed),
            QString("Invalid ban number given"));
        row("unknown address: silence", QString("rcon-bandel-unknown"), int(BanReply::Silent), QString());
        row("exception deleted", QString("rcon-exceptdel"), int(BanReply::ExceptionDeleted),
            QString("10.9.4.5/32"));
        row("flushed", QString("rcon-flushbans"), int(BanReply::Flushed), QString());
        row("refused", QString("rcon-badpassword"), int(BanReply::Other), QString());
    }
    void banReplies() {
        QFETCH(QString, capture);
        QFETCH(int, kind);
        QFETCH(QString, detail);
        const BanReply reply = parseBanReply(rconPayload(captured(capture)));
        QCOMPARE(int(reply.kind), kind);
        QCOMPARE(reply.kind == BanReply::Failed ? reply.error : reply.range, detail);
    }

    void banCommands_data() {
        QTest::addColumn<int>("engine");
        QTest::addColumn<int>("action");
        QTest::addColumn<QString>("range");
        QTest::addColumn<QString>("command");
        const int q3 = int(Engine::Ioquake3), et = int(Engine::EtLegacy);
        row("q3 add", q3, int(BanAction::Add), QString("10.9.4.5/16"), QString("banaddr 10.9.0.0/16"));
        row("q3 add v6", q3, int(BanAction::Add), QString("2001:db8::1"), QString("banaddr 2001:db8::1/128"));
        row("q3 exception", q3, int(BanAction::AddException), QString("1.2.3.4"),
            QString("exceptaddr 1.2.3.4/32"));
        row("q3 flush", q3, int(BanAction::Flush), QString(), QString("flushbans"));
        row("q3 injection", q3, int(BanAction::Remove), QString("1.2.3.4;quit"), QString("<none>"));
        row("et add", et, int(BanAction::Add), QString("10.9.0.0/16"), QString("addip 10.9.*.*"));
        row("et remove", et, int(BanAction::Remove), QString("1.2.3.4"), QString("removeip 1.2.3.4"));
        row("et list", et, int(BanAction::List), QString(), QString("g_banIPs"));
        row("et odd mask", et, int(BanAction::Add), QString("10.9.0.0/12"), QString("<none>"));
        row("et v6", et, int(BanAction::Add), QString("2001:db8::/32"), QString("<none>"));
        row("et no exceptions", et, int(BanAction::AddException), QString("1.2.3.4"), QString("<none>"));
        row("et no flush", et, int(BanAction::Flush), QString(), QString("<none>"));
    }
    void banCommands() {
        QFETCH(int, engine);
        QFETCH(int, action);
        QFETCH(QString, range);
        QFETCH(QString, command);
        QCOMPARE(banCommand(Engine(engine), BanAction(action), range).value_or("<none>"), command);
    }

    void engines_data() {
        QTest::addColumn<QString>("version");
        QTest::addColumn<int>("engine");
        row("openarena", QString("ioq3 1.36_GIT_f2c61c14-2020-02-11 linux-x86_64 Feb 11 2020"),
            int(Engine::Ioquake3));
        row("et legacy", QString("ET Legacy v2.81.1 linux-x86_64 Jan 1 2023"), int(Engine::EtLegacy));
        row("et 2.60", QString("ET 2.60b linux-i386 May  8 2006"), int(Engine::EtLegacy));
    }
    void engines() {
        QFETCH(QString, version);
        QFETCH(int, engine);
        QCOMPARE(int(engineFromVersion(version)), engine);
    }

    // One name, addresses and servers; the search finds a name whatever its colours and letter case,
    // and an address or a range whatever name used it.
    void historySearch_data() {
        QTest::addColumn<QString>("query");
        QTest::addColumn<QString>("found");
        const QString big = "s1 Big Boss Man 10.1.2.3 1|s2 Big Boss Man 10.1.9.9 1";
        row("fragment, colours and case", QString("boss m"), big);
        row("fragment with colours typed", QString("^1BIG"), big);
        row("two letters", QString("ig"), big);
        row("address", QString("10.1.9.9"), QString("s2 Big Boss Man 10.1.9.9 1"));
        row("range", QString("10.1.0.0/16"), big);
        row("v6 range", QString("2001:db8::/32"), QString("s1 Grism 2001:db8::5 1"));
        row("bot", QString("sarge"), QString("s1 Sarge bot 1"));
        row("quote in fragment", QString("o\"brien"), QString("s1 O\"Brien 10.7.7.7 1"));
        // A lone surrogate does not survive UTF-8 whole: the sighting must still reach its name.
        row("name not whole in UTF-8", QString("lonely"), QString("s1 ?Lonely 10.8.8.8 1"));
        row("nothing", QString("zebra"), QString());
    }
    void historySearch() {
        QFETCH(QString, query);
        QFETCH(QString, found);
        Records r(path());
        r.recordPlayers("s1", {{"^1Big ^3Boss Man", "10.1.2.3:27960"},
                               {"Sarge", "bot"},
                               {"Grism", "[2001:db8::5]:27960"},
                               {"O\"Brien", "10.7.7.7:1"},
                               {QChar(0xd800) + QString("Lonely"), "10.8.8.8:1"}});
        r.recordPlayers("s2", {{"Big Boss ^7Man", "10.1.9.9:27960"}});
        QCOMPARE(shown(search(r, query)), found);
    }

    // A refresh seconds later is the same visit; one after the gap is another.
    void visitsAndRetention() {
        Records r(path());
        const QDateTime start = QDateTime::currentDateTimeUtc().addDays(-100);
        for (qint64 ms : {0LL, 5000LL, kVisitGapMs + 5000})
            r.recordPlayers("s", {{"Old", "1.1.1.1"}}, start.addMSecs(ms));
        r.recordPlayers("s", {{"New", "2.2.2.2"}});
        QCOMPARE(shown(search(r, "old")), QString("s Old 1.1.1.1 2"));
        r.pruneHistory(QDateTime::currentDateTimeUtc().addDays(-90));
        QCOMPARE(shown(search(r, "0.0.0.0/0")), QString("s New 2.2.2.2 1"));
        r.clearHistory();
        QCOMPARE(shown(search(r, "0.0.0.0/0")), QString());
        r.recordPlayers("s", {{"New", "2.2.2.2"}}); // the name's search index was cleared with it
        QCOMPARE(shown(search(r, "new")), QString("s New 2.2.2.2 1"));
    }

    // Through the console: what is sent, what became of it, never a password.
    void trailThroughSession() {
        ConsoleFixture f;
        f.seams.watch.noReply = std::chrono::milliseconds(500);
        ConsoleSession& s = f.session();
        s.SendCommand("rconpassword hunter2");
        QCOMPARE(f.peer.next(), rcon("pw", "rconpassword hunter2"));
        f.peer.reply("\xff\xff\xff\xffprint\n\"rconpassword\" is:\"hunter2^7\"\n");
        QSignalSpy replies(&s, &ConsoleSession::replyArrived);
        s.SendCommand("status");
        f.peer.next();
        f.peer.reply(captured("rcon-status-bots"));
        QVERIFY(replies.wait());
        s.SendCommand("say hi");
        f.peer.next();
        f.peer.reply(captured("rcon-badpassword"));
        s.tmrMain_Timer(); // not the auto-query's turn yet: nothing
        s.SendCommand("status", CommandOrigin::AutoQuery);
        s.SendCommand("quiet");
        const QString expected =
            "quiet no reply |say hi password refused Bad rconpassword.|"
            "status replied map: oa_dm1|rconpassword ******** replied (not kept: it may show a "
            "password)";
        QTRY_COMPARE_WITH_TIMEOUT(shown(trail(s.records())), expected, 10000);
        // The auto-query's own "status" stays out unless asked for; the user's is there.
        QCOMPARE(trail(s.records(), {{}, "status", {}, {}}).size(), 1);
        const QString server = "127.0.0.1:" + QString::number(f.peer.port());
        QCOMPARE(trail(s.records(), {server, {}, QDate::currentDate(), QDate::currentDate()}).size(), 4);
        QCOMPARE(trail(s.records(), {"elsewhere:1", {}, {}, {}}).size(), 0);
        // The user's status reply joined the player history.
        QCOMPARE(shown(search(s.records(), "gris")), server + " Grism bot 1");
        s.records().flush();
        RawFile raw(Records::defaultPath());
        QCOMPARE(raw.single("SELECT count(*) FROM audit WHERE command LIKE '%hunter2%' OR "
                            "first_line LIKE '%hunter2%'"),
                 QString("0"));
    }

    // A noted ban whose time is up goes the next time the console talks to its server.
    void expiredBan_data() {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QString>("status");
        QTest::addColumn<bool>("kept");
        row("removed", QByteArray("\xff\xff\xff\xffprint\nDeleting ban 10.1.2.3/32\n"),
            QString("Expired ban on 10.1.2.3/32 removed from "), false);
        row("already gone", QByteArray("\xff\xff\xff\xffprint\n"),
            QString("Expired ban on 10.1.2.3/32 was no longer on "), false);
        row("refused", captured("rcon-badpassword"), QString("Expired ban on 10.1.2.3/32 not removed: "),
            true);
    }
    void expiredBan() {
        QFETCH(QByteArray, reply);
        QFETCH(QString, status);
        QFETCH(bool, kept);
        ConsoleFixture f;
        ConsoleSession& s = f.session();
        const QString server = "127.0.0.1:" + QString::number(f.peer.port());
        const QDateTime now = QDateTime::currentDateTimeUtc();
        s.records().saveBanNote({server, BanKind::Ban, "10.1.2.3/32", Engine::Ioquake3, "r", "me",
                                 now.addDays(-2), now.addSecs(-60)});
        s.records().saveBanNote(
            {server, BanKind::Ban, "10.4.4.4/32", Engine::Ioquake3, "r", "me", now, now.addDays(1)});
        QSignalSpy said(&s, &ConsoleSession::statusText);
        s.SendCommand("status");
        f.peer.next();
        QCOMPARE(f.peer.next(), rcon("pw", "bandel 10.1.2.3/32"));
        f.peer.reply(reply);
        QTRY_VERIFY(!said.isEmpty() && said.last().first().toString().startsWith(status));
        const auto notes =
            answer<QList<BanNote>>([&](QObject* c, auto done) { s.records().banNotes(server, c, done); });
        QCOMPARE(notes.size(), kept ? 2 : 1);
        QCOMPARE(f.peer.next(300), QByteArray("<nothing>"));
    }

    // A file that is no database, or fails its check, is kept aside whole and a fresh one started.
    void damagedFile_data() {
        QTest::addColumn<QString>("damage");
        row("text", QString("text"));
        row("torn pages", QString("pages"));
        row("torn while open", QString("open"));
        row("folder", QString("folder"));
    }
    void damagedFile() {
        QFETCH(QString, damage);
        // Open: the damage is met by a refresh's statements, not by the check at opening.
        std::optional<Records> open;
        if (damage == "pages" || damage == "open") {
            open.emplace(path());
            for (int i = 0; i < 40; ++i)
                open->recordPlayers(
                    "s", {{QString("player %1 with a long name to fill pages").arg(i), "1.2.3.4"}});
            open->flush();
            if (damage == "pages")
                open.reset();
        }
        QByteArray bytes = "not a database, just words\n";
        if (damage == "folder") {
            QDir().mkpath(path() + "/inside");
            bytes.clear();
        } else if (damage == "pages" || damage == "open") {
            RawFile(path()).single("PRAGMA wal_checkpoint(TRUNCATE)");
            QFile f(path());
            f.open(QIODevice::ReadWrite);
            bytes = f.readAll();
            QVERIFY(bytes.size() >= 4 * 4096);
            // Open, the page headers too: a running statement meets no damage in a page's free space.
            for (int at = damage == "open" ? 4096 : 4096 + 100; at < bytes.size(); at += 4096)
                bytes.replace(at, 200, QByteArray(200, '\x5a'));
            f.seek(0);
            f.write(bytes);
        } else {
            QFile f(path());
            f.open(QIODevice::WriteOnly);
            f.write(bytes);
        }
        std::optional<Records> later;
        Records& r = open ? *open : later.emplace(path());
        QSignalSpy damaged(&r, &Records::damaged);
        r.recordPlayers("s", {{"After", "5.5.5.5"}});
        if (open) // the entry being written when the damage was found is the one lost
            r.recordPlayers("s", {{"After", "5.5.5.5"}});
        QVERIFY(damaged.wait(10000));
        const QString kept = damaged.first().first().toString();
        QVERIFY2(QRegularExpression("velmora\\.sqlite\\.damaged-\\d{8}-\\d{6}$").match(kept).hasMatch(),
                 qPrintable(kept));
        if (!bytes.isEmpty())
            QCOMPARE(ConsoleFixture::readFile(kept), bytes);
        QCOMPARE(shown(search(r, "after")), QString("s After 5.5.5.5 1"));
    }

    // A file from a newer console is left alone, and nothing is written to it.
    void newerSchema() {
        RawFile(path()).single("PRAGMA user_version=99");
        const QByteArray before = ConsoleFixture::readFile(path());
        Records r(path());
        QSignalSpy unavailable(&r, &Records::unavailable);
        r.recordPlayers("s", {{"x", "1.1.1.1"}});
        QVERIFY(unavailable.wait(10000));
        QVERIFY2(unavailable.first().first().toString().contains("newer"),
                 qPrintable(unavailable.first().first().toString()));
        QCOMPARE(ConsoleFixture::readFile(path()), before);
    }

    // Two consoles on one file: both keep working, nothing is lost.
    void twoConsoles() {
        Records a(path()), b(path());
        for (int i = 0; i < 300; ++i) {
            a.recordCommand(
                {QDateTime::currentDateTimeUtc(), "a", "s", "a", CommandOrigin::User, Outcome::Replied, ""});
            b.recordPlayers("s", {{QString("p%1").arg(i), "1.1.1.1"}});
        }
        a.flush();
        b.flush();
        RawFile raw(path());
        QCOMPARE(raw.single("SELECT count(*) FROM audit") + ' ' + raw.single("SELECT count(*) FROM players"),
                 QString("300 300"));
    }

    // Killed in the middle of writing, the file is whole and at most the entry being written is lost.
    void killMidWrite() {
        QProcess writer;
        writer.start(QCoreApplication::applicationFilePath(), {"--writer", path()});
        int committed = 0;
        while (committed < 300 && writer.waitForReadyRead(10000))
            while (writer.canReadLine())
                committed = QString(writer.readLine()).trimmed().section(' ', 1).toInt();
        writer.kill();
        writer.waitForFinished();
        while (writer.canReadLine())
            committed = qMax(committed, QString(writer.readLine()).trimmed().section(' ', 1).toInt());
        QVERIFY(committed >= 300);
        RawFile raw(path());
        QCOMPARE(raw.single("PRAGMA integrity_check"), QString("ok"));
        const int stored = raw.single("SELECT count(*) FROM audit").toInt();
        qInfo("killed after %d committed entries: %d stored", committed, stored);
        QVERIFY2(stored == committed || stored == committed + 1, qPrintable(QString::number(stored)));
    }
    // The Bans window: the server's list with our notes, an addition confirmed by the reply, a
    // refusal, and a flush only after the typed word. Each command reaches the server through the
    // console, echoed in the pane.
    void bansWindow() {
        ConsoleFixture f;
        f.open();
        f.action("mnuCommandsBans")->trigger();
        auto* bans = f.window->findChild<frmBans*>("frmBans");
        auto* table = bans->findChild<QTableView*>("tblBans");
        auto* note = bans->findChild<QLabel*>("lblNote");
        const auto rows = [&] {
            QStringList out;
            for (int r = 0; r < table->model()->rowCount(); ++r) {
                QStringList cells;
                for (int c : {0, 2, 3, 6})
                    cells << table->model()->index(r, c).data().toString();
                out << cells.join(' ');
            }
            return out.join('|');
        };
        QCOMPARE(f.peer.next().right(9), QByteArray("getstatus"));
        f.peer.reply(captured("getstatus-bots"));
        QCOMPARE(f.peer.next(), rcon("pw", "listbans"));
        f.peer.reply(captured("rcon-listbans"));
        QTRY_COMPARE(
            rows(),
            QString("Ban 10.1.2.3/32  |Ban 10.9.0.0/16  |Ban 2001:db8::/32  |Exception 10.9.4.5/32  "));

        bans->findChild<QComboBox*>("cboAddress")->setEditText(" 10.1.2.3 ");
        bans->findChild<QLineEdit*>("txtReason")->setText("<b>aimbot</b>");
        bans->findChild<QComboBox*>("cboExpires")->setCurrentIndex(2);
        QTest::mouseClick(bans->findChild<QPushButton*>("cmdAddBan"), Qt::LeftButton);
        QCOMPARE(f.peer.next(), rcon("pw", "banaddr 10.1.2.3/32"));
        f.peer.reply(captured("rcon-banaddr-added"));
        QCOMPARE(f.peer.next(), rcon("pw", "listbans"));
        QCOMPARE(note->text(), QString("Added ban: 10.1.2.3/32"));
        f.peer.reply(captured("rcon-listbans"));
        QTRY_VERIFY(
            rows().startsWith("Ban 10.1.2.3/32 <b>aimbot</b> " +
                              QLocale::system()
                                  .toString(QDateTime::currentDateTime().addDays(1), QLocale::ShortFormat)
                                  .left(6)));
        QVERIFY(f.paneText().contains(":> banaddr 10.1.2.3/32\n"));

        QTest::mouseClick(bans->findChild<QPushButton*>("cmdAddBan"), Qt::LeftButton);
        QCOMPARE(f.peer.next(), rcon("pw", "banaddr 10.1.2.3/32"));
        f.peer.reply(captured("rcon-badpassword"));
        QTRY_COMPARE(note->text(), QString("The server refused the rcon password."));

        f.desktop.textAnswers = {QString("flush"), QString("FLUSH")};
        QTest::mouseClick(bans->findChild<QPushButton*>("cmdFlush"), Qt::LeftButton);
        QCOMPARE(note->text(), QString("Nothing was flushed: FLUSH was not typed."));
        QTest::mouseClick(bans->findChild<QPushButton*>("cmdFlush"), Qt::LeftButton);
        QCOMPARE(f.peer.next(), rcon("pw", "flushbans"));
        f.peer.reply(captured("rcon-flushbans"));
        QCOMPARE(f.peer.next(), rcon("pw", "listbans"));
        f.peer.reply(captured("rcon-listbans-empty"));
        QTRY_COMPARE(rows(), QString());
        const QString server = "127.0.0.1:" + QString::number(f.peer.port());
        QCOMPARE(answer<QList<BanNote>>([&](QObject* c, auto done) {
                     f.session().records().banNotes(server, c, done);
                 }).size(),
                 0);
        // The trail names the window as the source of its commands.
        const QList<AuditEntry> sent = trail(f.session().records(), {{}, "banaddr", {}, {}});
        QVERIFY(sent.size() == 2 && sent.front().origin == CommandOrigin::Bans);
    }

    // The history window from the Players window's selection, and the activity window's export.
    void historyAndActivityWindows() {
        ConsoleFixture f;
        f.open();
        const QString server = "127.0.0.1:" + QString::number(f.peer.port());
        f.session().records().recordPlayers(server, {{"^1Big ^3Boss", "10.1.2.3:27960"}, {"Sarge", "bot"}});
        f.window->findChild<QAction*>("mnuCommandsHistory")->trigger();
        auto* history = f.window->findChild<frmHistory*>("frmHistory");
        history->searchFor("BOSS");
        auto* table = history->findChild<QTableView*>("tblHistory");
        QTRY_COMPARE(table->model()->rowCount(), 1);
        QCOMPARE(table->model()->index(0, 0).data().toString() + ' ' +
                     table->model()->index(0, 1).data().toString(),
                 QString("Big Boss 10.1.2.3"));
        f.desktop.answers = {platform::Desktop::Answer::Yes};
        QTest::mouseClick(history->findChild<QPushButton*>("cmdClearHistory"), Qt::LeftButton);
        QCOMPARE(shown(search(f.session().records(), "boss")), QString());

        f.session().SendCommand("say \"one, two\"");
        f.peer.next();
        f.peer.reply("\xff\xff\xff\xffprint\n=cmd\n");
        QTRY_COMPARE(trail(f.session().records()).value(0).outcome, Outcome::Replied);
        f.window->findChild<QAction*>("mnuViewActivity")->trigger();
        auto* activity = f.window->findChild<frmActivity*>("frmActivity");
        QTRY_COMPARE(activity->findChild<QTableView*>("tblActivity")->model()->rowCount(), 1);
        const QString csv = dir.filePath("trail.csv");
        f.desktop.fileAnswers = {csv};
        activity->exportCsv();
        QCOMPARE(QString::fromUtf8(ConsoleFixture::readFile(csv)).section("\r\n", 1),
                 trail(f.session().records()).value(0).at.toLocalTime().toString(Qt::ISODate) + ',' +
                     desktopUser() + ',' + server + ",\"say \"\"one, two\"\"\",console,replied,'=cmd\r\n");
    }
    // vorlanix-rcon's commands join the console's trail, marked as the tool's.
    void toolInTrail() {
        UdpPeer peer;
        const QString token = QString::number(QDateTime::currentMSecsSinceEpoch());
        QProcess tool;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("VORLANIX_RCON_PASSWORD", "pw");
        tool.setProcessEnvironment(env);
        tool.start(RCON_TOOL, {"-H", "127.0.0.1", "-p", QString::number(peer.port()), "say", token});
        QCOMPARE(peer.next(), rcon("pw", "say " + token.toLatin1()));
        peer.reply("\xff\xff\xff\xffprint\nsaid\n");
        QVERIFY(tool.waitForFinished(10000));
        QCOMPARE(tool.exitCode(), 0);
        Records r(QFileInfo(RCON_TOOL).absolutePath() + "/velmora.sqlite");
        const QList<AuditEntry> kept = trail(r, {{}, token, {}, {}});
        QCOMPARE(kept.size(), 1);
        QCOMPARE(originText(kept[0].origin) + ' ' + shown(kept),
                 QString("vorlanix-rcon say %1 replied said").arg(token));
    }
};

int main(int argc, char** argv) {
    if (argc == 3 && qstrcmp(argv[1], "--writer") == 0) {
        QCoreApplication app(argc, argv);
        return runWriter(QString::fromLocal8Bit(argv[2]));
    }
    QApplication app(argc, argv);
    tst_records test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_records.moc"
