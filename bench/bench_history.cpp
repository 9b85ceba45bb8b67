// The player history at 1,000,000 sightings: a name-fragment search, an address search and the
// recording of a 64-player refresh through the console's records service, beside the same
// statements on the same file and indexes through plain sqlite3 C calls. Then what the window's
// thread pays for a write while another console holds the file's lock.
#include <Records.h>
#include <RecordsSchema.h>
#include <ServerReplies.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QHash>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <vector>

using namespace console;

namespace {
using Clock = std::chrono::steady_clock;
constexpr int kRecords = 1000000;
constexpr int kNames = 200000;
constexpr int kRounds = 30;

double ms(Clock::time_point since) {
    return std::chrono::duration<double, std::milli>(Clock::now() - since).count();
}
double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

const char* const kSyllables[] = {"ka", "ro",  "zen", "mi",  "tor", "vel", "an", "dru", "sha", "qi",
                                  "lo", "bex", "un",  "fa",  "gri", "sm",  "ol", "per", "ty",  "wu",
                                  "ne", "xa",  "cor", "jin", "ba",  "dex", "ha", "yu",  "spl", "ik"};
QString nameOf(int i) {
    QString name;
    for (int k = 0, v = i; k < 4; ++k, v /= 30)
        name += QString::fromLatin1(kSyllables[v % 30]);
    return QStringLiteral("^%1%2%3").arg(i % 8).arg(name).arg(i / 810000 ? QString::number(i) : QString());
}
QString addressOf(QRandomGenerator& random) {
    const quint32 v = random.generate();
    if (random.bounded(10) == 0)
        return QStringLiteral("[2001:db8:%1::%2]:27960").arg(v >> 16, 0, 16).arg(v & 0xffff, 0, 16);
    return QStringLiteral("%1.%2.%3.%4:27960")
        .arg(v >> 24)
        .arg((v >> 16) & 255)
        .arg((v >> 8) & 255)
        .arg(v & 255);
}

struct Sqlite {
    sqlite3* db = nullptr;
    explicit Sqlite(const QString& path) {
        sqlite3_open(path.toUtf8().constData(), &db);
        sqlite3_busy_timeout(db, 5000);
        exec("PRAGMA synchronous=NORMAL"); // as the console's own connection
    }
    ~Sqlite() { sqlite3_close(db); }
    sqlite3_stmt* prepare(const QString& sql) const {
        sqlite3_stmt* s = nullptr;
        if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &s, nullptr) != SQLITE_OK)
            std::fprintf(stderr, "prepare: %s\n", sqlite3_errmsg(db));
        return s;
    }
    void exec(const char* sql) const { sqlite3_exec(db, sql, nullptr, nullptr, nullptr); }
};

void bindText(sqlite3_stmt* s, int at, const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    sqlite3_bind_text(s, at, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
}

// The console's own recording statements for a refresh, through C calls.
struct Recorder {
    const Sqlite& sql;
    mutable QHash<QString, sqlite3_stmt*> prepared; // kept, as the console keeps its own
    ~Recorder() {
        for (sqlite3_stmt* s : std::as_const(prepared))
            sqlite3_finalize(s);
    }
    sqlite3_stmt* statement(const QString& text) const {
        sqlite3_stmt*& s = prepared[text];
        if (!s)
            s = sql.prepare(text);
        sqlite3_reset(s);
        return s;
    }
    void record(const QString& server, const QList<SeenPlayer>& players, qint64 at) const {
        const int count = int(players.size());
        QList<QByteArray> folded;
        for (const SeenPlayer& p : players)
            folded << foldedName(p.name).toUtf8();
        sqlite3_stmt* addNames = statement(recordsSql::addNames(count));
        sqlite3_stmt* nameIds = statement(recordsSql::nameIds(count));
        for (int i = 0; i < count; ++i) {
            sqlite3_bind_text(addNames, i + 1, folded[i].constData(), int(folded[i].size()), SQLITE_STATIC);
            sqlite3_bind_text(nameIds, i + 1, folded[i].constData(), int(folded[i].size()), SQLITE_STATIC);
        }
        sqlite3_step(addNames);
        QHash<QByteArray, sqlite3_int64> ids;
        while (sqlite3_step(nameIds) == SQLITE_ROW)
            ids.insert(QByteArray(reinterpret_cast<const char*>(sqlite3_column_text(nameIds, 1))),
                       sqlite3_column_int64(nameIds, 0));
        sqlite3_stmt* see = statement(recordsSql::seePlayers(count));
        int n = 1;
        for (int i = 0; i < count; ++i) {
            const SeenPlayer& p = players[i];
            const QString host = hostOfAddress(p.address);
            const QByteArray key = addressKey(host);
            bindText(see, n++, server);
            bindText(see, n++, p.name);
            bindText(see, n++, withoutColours(p.name));
            sqlite3_bind_int64(see, n++, ids.value(folded[i]));
            bindText(see, n++, host);
            sqlite3_bind_blob(see, n++, key.constData(), int(key.size()), SQLITE_TRANSIENT);
            sqlite3_bind_int64(see, n++, at);
            sqlite3_bind_int64(see, n++, at);
        }
        sqlite3_bind_int64(see, n, kVisitGapMs);
        sqlite3_step(see);
    }
};

// The same search through plain C calls: the same statement, prepared once as the console's own,
// every column read out.
int baselineSearch(const Recorder& statements, const QString& text) {
    const HistoryQuery q = parseHistoryQuery(text);
    sqlite3_stmt* s = statements.statement(q.range                  ? recordsSql::kSearchAddress
                                           : q.fragment.size() >= 3 ? recordsSql::kSearchName
                                                                    : recordsSql::kSearchShortName);
    int at = 1;
    if (q.range) {
        sqlite3_bind_blob(s, at++, q.range->low.constData(), 16, SQLITE_STATIC);
        sqlite3_bind_blob(s, at++, q.range->high.constData(), 16, SQLITE_STATIC);
    } else {
        bindText(s, at++,
                 q.fragment.size() >= 3 ? QLatin1Char('"') + q.fragment + QLatin1Char('"') : q.fragment);
    }
    sqlite3_bind_int(s, at, kMaxRecordRows);
    int rows = 0;
    std::vector<std::string> keep;
    while (sqlite3_step(s) == SQLITE_ROW) {
        for (int c = 0; c < 3; ++c)
            keep.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(s, c)));
        (void)sqlite3_column_int64(s, 3), (void)sqlite3_column_int64(s, 4), (void)sqlite3_column_int(s, 5);
        ++rows;
    }
    return rows;
}

// The baseline's statements run on a thread of their own too, handed over the same way, so that
// both sides pay the same hand-off on this shared machine.
struct BaselineThread {
    QThread thread;
    QObject context;
    BaselineThread() {
        context.moveToThread(&thread);
        thread.start();
    }
    ~BaselineThread() {
        thread.quit();
        thread.wait();
    }
    void run(const std::function<void()>& job) {
        QMetaObject::invokeMethod(&context, job, Qt::BlockingQueuedConnection);
    }
};
BaselineThread* baselineThread = nullptr;

int serviceSearch(Records& records, const QString& text) {
    QEventLoop loop;
    int rows = 0;
    records.searchHistory(text, &loop, [&](const QList<HistoryRow>& found) {
        rows = int(found.size());
        loop.quit();
    });
    loop.exec();
    return rows;
}

// Each side runs its rounds in a block after a warm-up, so neither finds its page cache spoilt by the
// other's connection at every turn.
void compare(const char* what, double target, Records& records, const Recorder& sql,
             const QStringList& queries) {
    std::vector<double> ours, base;
    int rows = 0;
    for (const QString& q : queries)
        serviceSearch(records, q), baselineSearch(sql, q);
    for (int r = 0; r < kRounds; ++r)
        for (const QString& q : queries) {
            const auto t = Clock::now();
            rows += serviceSearch(records, q);
            ours.push_back(ms(t));
        }
    for (int r = 0; r < kRounds; ++r)
        for (const QString& q : queries) {
            const auto t = Clock::now();
            baselineSearch(sql, q);
            base.push_back(ms(t));
        }
    std::vector<double> threaded;
    for (int r = 0; r < kRounds; ++r)
        for (const QString& q : queries) {
            const auto t = Clock::now();
            baselineThread->run([&] { baselineSearch(sql, q); });
            threaded.push_back(ms(t));
        }
    const double m = median(ours), b = median(base), bt = median(threaded);
    std::printf("%-30s %8.3f ms (target %2.0f)  sqlite3 C %8.3f ms: %5.2fx  on a thread %8.3f ms: %5.2fx  "
                "%4.0f rows\n",
                what, m, target, b, m / b, bt, m / bt, double(rows) / (kRounds * queries.size()));
}
} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    // bench_history [FILE]: the generated file is kept there, and reused by the next run.
    QTemporaryDir dir;
    const QString path =
        argc > 1 ? QString::fromLocal8Bit(argv[1]) : dir.filePath(QStringLiteral("velmora.sqlite"));
    const bool reuse = QFileInfo::exists(path);
    QRandomGenerator random(22);
    QStringList addresses, fragments;
    if (!reuse) {
        Records schema(path);
        schema.recordPlayers(QStringLiteral("warm"), {{QStringLiteral("warm"), QStringLiteral("1.1.1.1")}});
        schema.flush();
    }
    {
        auto t = Clock::now();
        Sqlite sql(reuse ? QStringLiteral(":memory:") : path);
        // Loading only: no journal, no waiting for the disk, the indexes in memory.
        sql.exec("PRAGMA journal_mode=OFF");
        sql.exec("PRAGMA synchronous=OFF");
        sql.exec("PRAGMA cache_size=-1000000");
        sql.exec("BEGIN");
        std::optional<Recorder> recorder;
        if (!reuse)
            recorder.emplace(Recorder{sql, {}});
        const qint64 start = QDateTime::currentMSecsSinceEpoch() - 80LL * 86400 * 1000;
        // In refreshes of 64, as the console records them.
        QList<SeenPlayer> refresh;
        for (int i = 0; i < kRecords; ++i) {
            const int name = int(random.bounded(kNames));
            refresh.append({nameOf(name), addressOf(random)});
            if (i % 50000 == 7) {
                addresses << hostOfAddress(refresh.back().address);
                fragments << foldedName(refresh.back().name).mid(2, 5);
            }
            if (refresh.size() == 64 || i + 1 == kRecords) {
                if (recorder)
                    recorder->record(QStringLiteral("203.0.113.%1:27960").arg(i % 4), refresh,
                                     start + i * 6000LL);
                refresh.clear();
            }
        }
        sql.exec("COMMIT");
        std::printf("%d sightings of %d names over 4 servers %s in %.1f s (file %.0f MB)\n", kRecords, kNames,
                    reuse ? "generated (the file kept from an earlier run)" : "written", ms(t) / 1000,
                    QFileInfo(path).size() / 1e6);
    }

    BaselineThread baseline;
    baselineThread = &baseline;
    std::printf(
        "medians of %d rounds; the service end to end from the window's thread, beside the same statements "
        "through sqlite3 C calls on the calling thread and on a thread of their own\n",
        kRounds);
    Records records(path);
    serviceSearch(records, QStringLiteral("warm")); // opens the file and checks it
    Sqlite sql(path);
    const Recorder searches{sql, {}};
    compare("name fragment (5 letters)", 50, records, searches, fragments);
    compare("name fragment (2 letters)", 50, records, searches, {QStringLiteral("qz"), QStringLiteral("xu")});
    compare("address", 5, records, searches, addresses);
    QStringList ranges;
    for (const QString& a : addresses.mid(0, 5))
        if (!a.contains(QLatin1Char(':')))
            ranges << a.section(QLatin1Char('.'), 0, 2) + QStringLiteral(".0/24");
    compare("address range (/24)", 5, records, searches, ranges);

    // Handing a search to the records' thread and its answer back, with no statement run.
    {
        std::vector<double> hops;
        for (int r = 0; r < kRounds; ++r) {
            const auto t = Clock::now();
            serviceSearch(records, QString());
            hops.push_back(ms(t));
        }
        std::printf("%-30s %8.3f ms (in every figure of the service)\n", "hand-off to the thread and back",
                    median(hops));
    }

    // A 64-player refresh: the service's write, from the call to its commit, beside the same rows
    // in one transaction through C calls; and what the call itself costs the window's thread. The
    // usual refresh finds the players of the last one; a new map may bring 64 never seen.
    for (const bool known : {true, false}) {
        std::vector<double> ours, calls, base;
        QList<QList<SeenPlayer>> refreshes;
        for (int r = 0; r <= kRounds; ++r) {
            QList<SeenPlayer> players;
            for (int p = 0; p < 64; ++p)
                players.append({nameOf(int(random.bounded(kNames))), addressOf(random)});
            refreshes.append(known && r > 0 ? refreshes.front() : players);
        }
        for (int r = 0; r <= kRounds; ++r) { // the first round warms up
            auto t = Clock::now();
            records.recordPlayers(QStringLiteral("203.0.113.9:27960"), refreshes[r]);
            calls.push_back(ms(t));
            records.flush();
            ours.push_back(ms(t));
        }
        std::vector<double> threaded;
        Recorder recorder{sql, {}};
        for (const bool onThread : {false, true}) {
            for (int r = 0; r <= kRounds; ++r) {
                const auto t = Clock::now();
                const auto write = [&] {
                    sql.exec("BEGIN IMMEDIATE");
                    recorder.record(QStringLiteral("203.0.113.%1:27960").arg(onThread ? 7 : 8), refreshes[r],
                                    QDateTime::currentMSecsSinceEpoch());
                    sql.exec("COMMIT");
                };
                if (onThread)
                    baselineThread->run(write);
                else
                    write();
                (onThread ? threaded : base).push_back(ms(t));
            }
        }
        for (auto* v : {&ours, &calls, &base, &threaded})
            v->erase(v->begin());
        const double m = median(ours), b = median(base), bt = median(threaded);
        std::printf("%-30s %8.3f ms (target %2d)  sqlite3 C %8.3f ms: %5.2fx  on a thread %8.3f ms: %5.2fx\n",
                    known ? "a 64-player refresh" : "64 players never seen", m, 2, b, m / b, bt, m / bt);
        std::printf("%-30s %8.3f ms, longest %.3f ms (a frame: 16 ms)\n", "  the window's thread's part",
                    median(calls), *std::max_element(calls.begin(), calls.end()));
    }

    // Another console holds the write lock for a second while the window's thread writes at every
    // millisecond tick; the same second without writes and without the lock is its baseline (this
    // machine's own scheduling pauses).
    for (const bool contended : {false, true}) {
        Sqlite other(path);
        if (contended)
            other.exec("BEGIN IMMEDIATE");
        QElapsedTimer since;
        since.start();
        double longestGap = 0, longestCall = 0;
        qint64 last = 0;
        QTimer tick;
        tick.setInterval(1);
        QObject::connect(&tick, &QTimer::timeout, [&] {
            longestGap = std::max(longestGap, (since.nsecsElapsed() - last) / 1e6);
            last = since.nsecsElapsed();
            if (!contended)
                return;
            const auto t = Clock::now();
            records.recordCommand({QDateTime::currentDateTimeUtc(), QStringLiteral("bench"),
                                   QStringLiteral("203.0.113.9:27960"), QStringLiteral("status"),
                                   CommandOrigin::User, Outcome::Pending, QString()});
            longestCall = std::max(longestCall, ms(t));
        });
        last = since.nsecsElapsed();
        tick.start();
        QTimer::singleShot(1000, [&] { other.exec("COMMIT"); });
        QEventLoop wait;
        QTimer::singleShot(1500, &wait, &QEventLoop::quit);
        wait.exec();
        tick.stop();
        const auto t = Clock::now();
        records.flush();
        if (contended)
            std::printf(
                "another console held the lock 1 s while the window wrote at every tick: longest pause of "
                "the window's thread %.2f ms, longest write call %.3f ms; the queue then drained in %.1f "
                "ms\n",
                longestGap, longestCall, ms(t));
        else
            std::printf(
                "the same 1.5 s without writes or lock: longest pause of the window's thread %.2f ms\n",
                longestGap);
    }
    return 0;
}
