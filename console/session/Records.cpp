#include "Records.h"

#include "RecordsSchema.h"
#include "ServerReplies.h"

#include <ProgramFolder.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>
#include <QVariant>

#include <sqlite3.h>

namespace console {

namespace {
const QString kFileName = QStringLiteral("velmora.sqlite");
// Another console's transaction is short; this long, something holds the file for good.
constexpr int kBusyTimeoutMs = 5000;
constexpr int kSlice = 5000;

qint64 msOf(const QDateTime& at) {
    return at.toMSecsSinceEpoch();
}
QDateTime timeOf(const QVariant& ms) {
    return ms.isNull() ? QDateTime() : QDateTime::fromMSecsSinceEpoch(ms.toLongLong(), Qt::UTC);
}
// SQLite keeps a null QString as NULL; every text column is NOT NULL.
QString text(const QString& value) {
    return value.isNull() ? QStringLiteral("") : boundedText(value);
}
QString textOf(const QSqlError& error) {
    const QString text = error.databaseText().isEmpty() ? error.text() : error.databaseText();
    return text.isEmpty() ? QStringLiteral("unknown error") : text;
}
int codeOf(const QSqlError& error) {
    bool ok = false;
    const int code = error.nativeErrorCode().toInt(&ok);
    return ok ? code : SQLITE_ERROR;
}
bool isDamage(int code) {
    return (code & 0xff) == SQLITE_CORRUPT || (code & 0xff) == SQLITE_NOTADB;
}
bool isDamage(const QSqlError& error) {
    return isDamage(codeOf(error));
}
// Debian's driver links the system's libsqlite3, the one this program links too. A driver with a
// SQLite of its own hands over a handle this program's library must not touch.
sqlite3* handleOf(const QSqlDatabase& db) {
    const QVariant handle = db.driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("SELECT sqlite_source_id()")) || !q.next() ||
        q.value(0).toString() != QLatin1String(sqlite3_sourceid()))
        return nullptr;
    return *static_cast<sqlite3* const*>(handle.constData());
}
// In the file's own encoding, so that no comparison converts it again.
void bindText(sqlite3_stmt* s, int at, const QByteArray& utf8) {
    sqlite3_bind_text(s, at, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
}
void bindText(sqlite3_stmt* s, int at, const QString& value) {
    bindText(s, at, value.toUtf8());
}
QString columnText(sqlite3_stmt* s, int column) {
    const auto* utf8 = reinterpret_cast<const char*>(sqlite3_column_text(s, column));
    return QString::fromUtf8(utf8, sqlite3_column_bytes(s, column));
}
QDateTime columnTime(sqlite3_stmt* s, int column) {
    return sqlite3_column_type(s, column) == SQLITE_NULL
               ? QDateTime()
               : QDateTime::fromMSecsSinceEpoch(sqlite3_column_int64(s, column), Qt::UTC);
}
} // namespace

// Everything below runs on the records' thread only.
class RecordsWorker {
public:
    RecordsWorker(const QString& path, Records* owner)
        : m_path(path), m_owner(owner),
          m_connection(QStringLiteral("velmora-records-%1").arg(quintptr(owner), 0, 16)) {}

    bool ready();
    void close();
    // One short write transaction; false when it did not commit.
    bool write(const std::function<bool()>& body);
    QSqlQuery& statement(const QString& sql);
    bool run(QSqlQuery& query);
    // The busiest statements (a refresh, a search) go straight to the driver's sqlite3 handle: Qt SQL's
    // bookkeeping for each bound value cost a 64-player refresh more than SQLite's own work.
    // Reset and unbound; null when it cannot be prepared (already reported).
    sqlite3_stmt* direct(const QString& sql);
    // Steps once; false on an error, which is reported.
    bool step(sqlite3_stmt* s, bool& row);
    bool run(sqlite3_stmt* s);

    QHash<quint64, qint64> auditRows;

private:
    enum class Opened { Yes, Damaged, Unusable };
    Opened open(QString& why);
    void moveAside(const QString& why);
    void failed(const QSqlError& error);
    void failed(int code, const QString& why);
    bool exec(const char* sql);
    void tell(const QString& keptAs, const QString& why, bool damage);

    QString m_path;
    Records* m_owner;
    QString m_connection;
    QSqlDatabase m_db;
    QHash<QString, QSqlQuery> m_statements;
    sqlite3* m_handle = nullptr;
    QHash<QString, sqlite3_stmt*> m_direct;
    bool m_unusable = false;
    bool m_opening = false; // damage found while opening is open()'s to report
};

bool RecordsWorker::ready() {
    if (m_db.isOpen())
        return true;
    if (m_unusable)
        return false;
    QString why;
    m_opening = true;
    Opened opened = open(why);
    if (opened == Opened::Damaged) {
        moveAside(why);
        opened = m_unusable ? Opened::Unusable : open(why);
    }
    m_opening = false;
    if (opened != Opened::Yes && !m_unusable) {
        close();
        m_unusable = true;
        tell(QString(), why, false);
    }
    return opened == Opened::Yes;
}

RecordsWorker::Opened RecordsWorker::open(QString& why) {
    const QFileInfo info(m_path);
    if (info.exists() && !info.isFile()) {
        why = QStringLiteral("%1 is not a regular file").arg(m_path);
        return Opened::Damaged;
    }
    QDir().mkpath(info.absolutePath());
    if (!QSqlDatabase::contains(m_connection))
        m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
    if (!m_db.isValid()) {
        why = QStringLiteral("Qt's SQLite driver is not installed (Debian: libqt6sql6-sqlite)");
        return Opened::Unusable;
    }
    const bool existed = info.exists();
    m_db.setDatabaseName(m_path);
    m_db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(kBusyTimeoutMs));
    if (!m_db.open()) {
        why = textOf(m_db.lastError());
        return isDamage(m_db.lastError()) ? Opened::Damaged : Opened::Unusable;
    }
    if (!(m_handle = handleOf(m_db))) {
        why = QStringLiteral("Qt's SQLite driver does not use this program's SQLite library");
        return Opened::Unusable;
    }
    if (!existed) // names and addresses of people: the owner's only
        QFile::setPermissions(m_path, QFile::ReadOwner | QFile::WriteOwner);
    QSqlQuery q(m_db);
    auto single = [&](const QString& sql) -> std::optional<QVariant> {
        if (!q.exec(sql) || !q.next())
            return std::nullopt;
        return q.value(0);
    };
    // Read before anything is written: a file from a newer console stays as it is.
    const auto version = single(QStringLiteral("PRAGMA user_version"));
    if (!version) {
        why = textOf(q.lastError());
        return isDamage(q.lastError()) ? Opened::Damaged : Opened::Unusable;
    }
    const int known = int(recordsSql::kMigrations.size());
    const int at = version->toInt();
    if (at < 0 || at > known) {
        why = QStringLiteral("%1 was written by a newer console (schema %2; this one knows %3)")
                  .arg(m_path)
                  .arg(at)
                  .arg(known);
        return Opened::Unusable;
    }
    const auto check = single(QStringLiteral("PRAGMA quick_check"));
    if (!check || check->toString() != QLatin1String("ok")) {
        why = check ? QStringLiteral("integrity check: %1").arg(boundedText(check->toString().left(200)))
                    : textOf(q.lastError());
        return Opened::Damaged;
    }
    if (!single(QStringLiteral("PRAGMA journal_mode=WAL"))) {
        why = textOf(q.lastError());
        return isDamage(q.lastError()) ? Opened::Damaged : Opened::Unusable;
    }
    // WAL with NORMAL loses nothing committed when the process dies; only a power cut may cost the last.
    (void)q.exec(QStringLiteral("PRAGMA synchronous=NORMAL"));
    // A refresh touches a few pages of every index; with a million sightings the default 2 MB cache
    // would read most of them again each time.
    (void)q.exec(QStringLiteral("PRAGMA cache_size=-16384"));
    for (int step = at; step < known; ++step) {
        const bool ok = write([&] {
            // Another console may have taken the step while this one waited for the lock.
            if (const auto now = single(QStringLiteral("PRAGMA user_version")); now && now->toInt() > step)
                return true;
            for (const QString& sql : recordsSql::kMigrations[step])
                if (!q.exec(sql))
                    return false;
            return q.exec(QStringLiteral("PRAGMA user_version=%1").arg(step + 1));
        });
        if (!ok) {
            why = QStringLiteral("schema %1: %2").arg(step + 1).arg(textOf(q.lastError()));
            return isDamage(q.lastError()) ? Opened::Damaged : Opened::Unusable;
        }
    }
    return Opened::Yes;
}

void RecordsWorker::close() {
    m_statements.clear();
    for (sqlite3_stmt* s : std::as_const(m_direct))
        sqlite3_finalize(s);
    m_direct.clear();
    m_handle = nullptr;
    if (m_db.isValid())
        m_db.close();
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_connection);
}

void RecordsWorker::moveAside(const QString& why) {
    close();
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString kept = m_path + QStringLiteral(".damaged-") + stamp;
    for (int n = 2; QFileInfo::exists(kept); ++n)
        kept = m_path + QStringLiteral(".damaged-") + stamp + QLatin1Char('-') + QString::number(n);
    if (!QFile::rename(m_path, kept)) {
        m_unusable = true;
        tell(QString(), QStringLiteral("%1 (and it could not be moved aside)").arg(why), false);
        return;
    }
    // The journal belongs to the kept copy; the shared-memory index is rebuilt from it.
    QFile::rename(m_path + QStringLiteral("-wal"), kept + QStringLiteral("-wal"));
    QFile::remove(m_path + QStringLiteral("-shm"));
    tell(kept, why, true);
}

void RecordsWorker::tell(const QString& keptAs, const QString& why, bool damage) {
    Records* owner = m_owner;
    QMetaObject::invokeMethod(owner, [owner, keptAs, why, damage] {
        if (damage)
            emit owner->damaged(keptAs, why);
        else
            emit owner->unavailable(why);
    });
}

bool RecordsWorker::exec(const char* sql) {
    const int code = sqlite3_exec(m_handle, sql, nullptr, nullptr, nullptr);
    if (code == SQLITE_OK)
        return true;
    failed(sqlite3_extended_errcode(m_handle), QString::fromUtf8(sqlite3_errmsg(m_handle)));
    return false;
}

// A failing statement in the body has said why already.
bool RecordsWorker::write(const std::function<bool()>& body) {
    if (!exec("BEGIN IMMEDIATE"))
        return false;
    if (!body()) {
        if (m_handle && !sqlite3_get_autocommit(m_handle))
            sqlite3_exec(m_handle, "ROLLBACK", nullptr, nullptr, nullptr);
        return false;
    }
    if (exec("COMMIT"))
        return true;
    if (m_handle && !sqlite3_get_autocommit(m_handle))
        sqlite3_exec(m_handle, "ROLLBACK", nullptr, nullptr, nullptr);
    return false;
}

void RecordsWorker::failed(const QSqlError& error) {
    failed(codeOf(error), textOf(error));
}

// Damage found while running: the entry at hand is lost, the file moved aside, a fresh one begun.
void RecordsWorker::failed(int code, const QString& why) {
    if (m_opening || !isDamage(code) || !m_db.isOpen())
        return;
    moveAside(why.isEmpty() ? QStringLiteral("unknown error") : why);
    ready();
}

sqlite3_stmt* RecordsWorker::direct(const QString& sql) {
    sqlite3_stmt*& s = m_direct[sql];
    if (s) {
        sqlite3_reset(s);
        sqlite3_clear_bindings(s);
        return s;
    }
    const QByteArray utf8 = sql.toUtf8();
    if (sqlite3_prepare_v3(m_handle, utf8.constData(), int(utf8.size()), SQLITE_PREPARE_PERSISTENT, &s,
                           nullptr) == SQLITE_OK)
        return s;
    const int code = sqlite3_extended_errcode(m_handle);
    const QString why = QString::fromUtf8(sqlite3_errmsg(m_handle));
    sqlite3_finalize(s);
    m_direct.remove(sql);
    failed(code, why);
    return nullptr;
}

bool RecordsWorker::step(sqlite3_stmt* s, bool& row) {
    const int code = sqlite3_step(s);
    row = code == SQLITE_ROW;
    if (row || code == SQLITE_DONE)
        return true;
    // The statement may go with the file: read the error before anything else.
    const int extended = sqlite3_extended_errcode(m_handle);
    const QString why = QString::fromUtf8(sqlite3_errmsg(m_handle));
    sqlite3_reset(s);
    failed(extended, why);
    return false;
}

bool RecordsWorker::run(sqlite3_stmt* s) {
    bool row = false;
    while (step(s, row))
        if (!row)
            return true;
    return false;
}

QSqlQuery& RecordsWorker::statement(const QString& sql) {
    auto it = m_statements.find(sql);
    if (it == m_statements.end()) {
        it = m_statements.insert(sql, QSqlQuery(m_db));
        it->setForwardOnly(true);
        it->prepare(sql);
    }
    return *it;
}

bool RecordsWorker::run(QSqlQuery& query) {
    if (query.exec())
        return true;
    failed(query.lastError());
    return false;
}

// ---- the object the window holds

QString Records::defaultPath() {
    return platform::writtenFilePath(kFileName);
}

Records::Records(const QString& path, QObject* parent)
    : QObject(parent), m_path(path), m_thread(new QThread(this)), m_threadContext(new QObject),
      m_worker(std::make_unique<RecordsWorker>(path, this)) {
    m_thread->setObjectName(QStringLiteral("records"));
    m_threadContext->moveToThread(m_thread);
    m_thread->start();
}

Records::~Records() {
    // Queued work runs first: the blocking call waits behind it.
    QMetaObject::invokeMethod(
        m_threadContext, [w = m_worker.get()] { w->close(); }, Qt::BlockingQueuedConnection);
    m_thread->quit();
    m_thread->wait();
    delete m_threadContext;
}

void Records::post(std::function<void(RecordsWorker&)> job) {
    QMetaObject::invokeMethod(m_threadContext, [w = m_worker.get(), job = std::move(job)] {
        if (w->ready())
            job(*w);
    });
}

template <typename R>
void Records::read(QObject* context, std::function<R(RecordsWorker&)> job,
                   std::function<void(const R&)> done) {
    QPointer<QObject> guard(context);
    QMetaObject::invokeMethod(m_threadContext, [this, w = m_worker.get(), guard, job, done] {
        R result = w->ready() ? job(*w) : R();
        QMetaObject::invokeMethod(this, [guard, done, result] {
            if (guard)
                done(result);
        });
    });
}

void Records::flush() {
    QMetaObject::invokeMethod(
        m_threadContext, [] {}, Qt::BlockingQueuedConnection);
}

void Records::recordPlayers(const QString& server, const QList<SeenPlayer>& players, const QDateTime& at) {
    if (players.isEmpty())
        return;
    post([server = text(server), players = players.mid(0, kMaxPlayers), ms = msOf(at)](RecordsWorker& w) {
        w.write([&] {
            const int count = int(players.size());
            // Keyed by the bytes stored: a name that does not survive UTF-8 whole still finds its id.
            QList<QByteArray> folded;
            for (const SeenPlayer& player : players)
                folded << text(foldedName(player.name)).toUtf8();
            sqlite3_stmt* addNames = w.direct(recordsSql::addNames(count));
            if (!addNames)
                return false;
            for (int i = 0; i < count; ++i)
                bindText(addNames, i + 1, folded[i]);
            if (!w.run(addNames))
                return false;
            sqlite3_stmt* nameIds = w.direct(recordsSql::nameIds(count));
            if (!nameIds)
                return false;
            for (int i = 0; i < count; ++i)
                bindText(nameIds, i + 1, folded[i]);
            QHash<QByteArray, qint64> ids;
            bool read = false, row = false;
            while ((read = w.step(nameIds, row)) && row)
                ids.insert(QByteArray(reinterpret_cast<const char*>(sqlite3_column_text(nameIds, 1)),
                                      sqlite3_column_bytes(nameIds, 1)),
                           sqlite3_column_int64(nameIds, 0));
            if (!read)
                return false;
            sqlite3_stmt* see = w.direct(recordsSql::seePlayers(count));
            if (!see)
                return false;
            int at = 1;
            for (int i = 0; i < count; ++i) {
                const SeenPlayer& player = players[i];
                const QString host = text(hostOfAddress(player.address));
                const QByteArray key = addressKey(host);
                bindText(see, at++, server);
                bindText(see, at++, text(player.name));
                bindText(see, at++, text(withoutColours(text(player.name))));
                sqlite3_bind_int64(see, at++, ids.value(folded[i]));
                bindText(see, at++, host);
                if (key.isEmpty())
                    sqlite3_bind_null(see, at++);
                else
                    sqlite3_bind_blob(see, at++, key.constData(), int(key.size()), SQLITE_TRANSIENT);
                sqlite3_bind_int64(see, at++, ms);
                sqlite3_bind_int64(see, at++, ms);
            }
            sqlite3_bind_int64(see, at, kVisitGapMs);
            return w.run(see);
        });
    });
}

quint64 Records::recordCommand(const AuditEntry& entry) {
    const quint64 handle = m_nextHandle++;
    post([handle, entry](RecordsWorker& w) {
        w.write([&] {
            QSqlQuery& add = w.statement(recordsSql::kAddAudit);
            const QVariantList values = {msOf(entry.at),       text(entry.user),
                                         text(entry.server),   text(redactedCommand(entry.command)),
                                         int(entry.origin),    int(entry.outcome),
                                         text(entry.firstLine)};
            for (int i = 0; i < values.size(); ++i)
                add.bindValue(i, values[i]);
            if (!w.run(add))
                return false;
            w.auditRows.insert(handle, add.lastInsertId().toLongLong());
            return true;
        });
    });
    return handle;
}

void Records::setOutcome(quint64 handle, Outcome outcome, const QString& firstLine) {
    post([handle, outcome, line = text(firstLine)](RecordsWorker& w) {
        const qint64 row = w.auditRows.take(handle);
        if (row == 0)
            return;
        w.write([&] {
            QSqlQuery& set = w.statement(recordsSql::kSetOutcome);
            set.bindValue(0, int(outcome));
            set.bindValue(1, line);
            set.bindValue(2, row);
            return w.run(set);
        });
    });
}

void Records::saveBanNote(const BanNote& note) {
    post([note](RecordsWorker& w) {
        w.write([&] {
            QSqlQuery& save = w.statement(recordsSql::kSaveBanNote);
            const QVariantList values = {text(note.server),
                                         int(note.kind),
                                         text(note.range),
                                         int(note.engine),
                                         text(note.reason),
                                         text(note.who),
                                         msOf(note.at),
                                         note.expires.isValid() ? QVariant(msOf(note.expires))
                                                                : QVariant(QMetaType(QMetaType::LongLong))};
            for (int i = 0; i < values.size(); ++i)
                save.bindValue(i, values[i]);
            return w.run(save);
        });
    });
}

void Records::removeBanNote(const QString& server, BanKind kind, const QString& range) {
    post([server, kind, range](RecordsWorker& w) {
        w.write([&] {
            QSqlQuery& remove = w.statement(recordsSql::kRemoveBanNote);
            remove.bindValue(0, server);
            remove.bindValue(1, int(kind));
            remove.bindValue(2, range);
            return w.run(remove);
        });
    });
}

void Records::removeBanNotes(const QString& server) {
    post([server](RecordsWorker& w) {
        w.write([&] {
            QSqlQuery& remove = w.statement(recordsSql::kRemoveServerNotes);
            remove.bindValue(0, server);
            return w.run(remove);
        });
    });
}

void Records::pruneHistory(const QDateTime& cutoff) {
    post([ms = msOf(cutoff)](RecordsWorker& w) {
        for (const QString& sql : {recordsSql::kPruneSlice, recordsSql::kOrphanNamesSlice}) {
            for (int removed = kSlice; removed == kSlice;) {
                removed = 0;
                const bool ok = w.write([&] {
                    QSqlQuery& slice = w.statement(sql);
                    if (sql == recordsSql::kPruneSlice)
                        slice.bindValue(0, ms);
                    if (!w.run(slice))
                        return false;
                    removed = slice.numRowsAffected();
                    return true;
                });
                if (!ok)
                    return;
            }
        }
    });
}

void Records::clearHistory() {
    pruneHistory(QDateTime::fromMSecsSinceEpoch(std::numeric_limits<qint64>::max() / 2));
}

void Records::searchHistory(const QString& text, QObject* context, HistoryDone done) {
    const HistoryQuery query = parseHistoryQuery(text);
    read<QList<HistoryRow>>(
        context,
        [query](RecordsWorker& w) {
            QList<HistoryRow> rows;
            if (!query.range && query.fragment.isEmpty())
                return rows;
            const bool trigrams = query.fragment.size() >= 3;
            sqlite3_stmt* q = w.direct(query.range ? recordsSql::kSearchAddress
                                       : trigrams  ? recordsSql::kSearchName
                                                   : recordsSql::kSearchShortName);
            if (!q)
                return rows;
            int at = 1;
            if (query.range) {
                for (const QByteArray& end : {query.range->low, query.range->high})
                    sqlite3_bind_blob(q, at++, end.constData(), int(end.size()), SQLITE_TRANSIENT);
            } else if (trigrams) {
                QString phrase = query.fragment;
                bindText(q, at++,
                         QLatin1Char('"') + phrase.replace(QLatin1Char('"'), QLatin1String("\"\"")) +
                             QLatin1Char('"'));
            } else {
                bindText(q, at++, query.fragment);
            }
            sqlite3_bind_int(q, at, kMaxRecordRows);
            for (bool row = false; w.step(q, row) && row;)
                rows.append({columnText(q, 0), columnText(q, 1), columnText(q, 2), columnTime(q, 3),
                             columnTime(q, 4), sqlite3_column_int(q, 5)});
            return rows;
        },
        std::move(done));
}

void Records::readAudit(const AuditFilter& filter, QObject* context, AuditDone done) {
    read<QList<AuditEntry>>(
        context,
        [filter](RecordsWorker& w) {
            QList<AuditEntry> rows;
            QStringList where;
            QVariantList values;
            if (!filter.server.isEmpty()) {
                where << QStringLiteral("server = ?");
                values << filter.server;
            }
            if (!filter.text.isEmpty()) {
                where << QStringLiteral("(instr(lower(command), ?) > 0 OR instr(lower(first_line), ?) > 0)");
                values << filter.text.toLower() << filter.text.toLower();
            }
            if (filter.from.isValid()) {
                where << QStringLiteral("at >= ?");
                values << msOf(filter.from.startOfDay());
            }
            if (filter.to.isValid()) {
                where << QStringLiteral("at < ?");
                values << msOf(filter.to.addDays(1).startOfDay());
            }
            const QString sql =
                QStringLiteral("SELECT at, user, server, command, origin, outcome, first_line FROM audit %1 "
                               "ORDER BY at DESC, id DESC LIMIT %2")
                    .arg(where.isEmpty() ? QString()
                                         : QStringLiteral("WHERE ") + where.join(QLatin1String(" AND ")))
                    .arg(kMaxRecordRows);
            QSqlQuery& q = w.statement(sql);
            for (int i = 0; i < values.size(); ++i)
                q.bindValue(i, values[i]);
            if (!w.run(q))
                return rows;
            while (q.next()) {
                const int origin = q.value(4).toInt(), outcome = q.value(5).toInt();
                rows.append(
                    {timeOf(q.value(0)), q.value(1).toString(), q.value(2).toString(), q.value(3).toString(),
                     origin >= 0 && origin <= int(CommandOrigin::Schedule) ? CommandOrigin(origin)
                                                                           : CommandOrigin::User,
                     outcome >= 0 && outcome <= int(Outcome::Listener) ? Outcome(outcome) : Outcome::Pending,
                     q.value(6).toString()});
            }
            q.finish();
            return rows;
        },
        std::move(done));
}

void Records::auditServers(QObject* context, ServersDone done) {
    read<QStringList>(
        context,
        [](RecordsWorker& w) {
            QStringList servers;
            QSqlQuery& q =
                w.statement(QStringLiteral("SELECT DISTINCT server FROM audit ORDER BY server LIMIT %1")
                                .arg(kMaxRecordRows));
            if (w.run(q))
                while (q.next())
                    servers << q.value(0).toString();
            q.finish();
            return servers;
        },
        std::move(done));
}

void Records::banNotes(const QString& server, QObject* context, NotesDone done) {
    read<QList<BanNote>>(
        context,
        [server](RecordsWorker& w) {
            QList<BanNote> notes;
            QSqlQuery& q = w.statement(recordsSql::kBanNotes);
            q.bindValue(0, server);
            if (w.run(q))
                while (q.next() && notes.size() < kMaxBanEntries * 2)
                    notes.append(
                        {q.value(0).toString(), q.value(1).toInt() == 1 ? BanKind::Exception : BanKind::Ban,
                         q.value(2).toString(), q.value(3).toInt() == 1 ? Engine::EtLegacy : Engine::Ioquake3,
                         q.value(4).toString(), q.value(5).toString(), timeOf(q.value(6)),
                         timeOf(q.value(7))});
            q.finish();
            return notes;
        },
        std::move(done));
}

} // namespace console
