#pragma once

#include "Bans.h"
#include "RecordRules.h"

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>

class QThread;

namespace console {

struct SeenPlayer {
    QString name;    // as sent, colour codes included
    QString address; // as the server printed it; empty where the list gives none
};

struct HistoryRow {
    QString server, name, address;
    QDateTime firstSeen, lastSeen;
    int timesSeen = 0;
};

struct AuditEntry {
    QDateTime at;
    QString user, server, command;
    CommandOrigin origin = CommandOrigin::User;
    Outcome outcome = Outcome::Pending;
    QString firstLine;
};

struct AuditFilter {
    QString server; // empty: every server
    QString text;   // in the command or the reply line, letter case ignored
    QDate from, to; // local dates, both included; null: open
};

struct BanNote {
    QString server;
    BanKind kind = BanKind::Ban;
    QString range;
    Engine engine = Engine::Ioquake3; // whose words remove it
    QString reason, who;
    QDateTime at;
    QDateTime expires; // null: never
};

// How many rows a search or a listing hands back at most.
constexpr int kMaxRecordRows = 1000;

class RecordsWorker;

// The console's local records in one SQLite file (velmora.sqlite in the data folder the transcript
// uses). Every statement runs on a thread of its own with its own connection, so the window never
// waits for the disk or for another console's lock: writes are queued and each is one short
// transaction; reads answer through a callback on the caller's thread. The file is opened at the
// first use; one that cannot be opened or fails its check is moved aside and a fresh one started.
class Records : public QObject {
    Q_OBJECT
public:
    // The file the console uses.
    static QString defaultPath();

    explicit Records(const QString& path, QObject* parent = nullptr);
    // Writes what is queued, then closes the file.
    ~Records() override;

    QString path() const { return m_path; }

    void recordPlayers(const QString& server, const QList<SeenPlayer>& players,
                       const QDateTime& at = QDateTime::currentDateTimeUtc());
    // Returns the entry's handle for setOutcome. The command is kept as redactedCommand gives it.
    quint64 recordCommand(const AuditEntry& entry);
    void setOutcome(quint64 handle, Outcome outcome, const QString& firstLine);
    void saveBanNote(const BanNote& note);
    void removeBanNote(const QString& server, BanKind kind, const QString& range);
    // After a flush: the server keeps none.
    void removeBanNotes(const QString& server);
    // Sightings last seen before the cutoff go; so does everything with clearHistory.
    void pruneHistory(const QDateTime& cutoff);
    void clearHistory();

    using HistoryDone = std::function<void(const QList<HistoryRow>&)>;
    using AuditDone = std::function<void(const QList<AuditEntry>&)>;
    using NotesDone = std::function<void(const QList<BanNote>&)>;
    using ServersDone = std::function<void(const QStringList&)>;
    // `done` runs on this object's thread, and only while `context` lives.
    void searchHistory(const QString& text, QObject* context, HistoryDone done);
    void readAudit(const AuditFilter& filter, QObject* context, AuditDone done);
    void auditServers(QObject* context, ServersDone done);
    void banNotes(const QString& server, QObject* context, NotesDone done);

    // Waits until everything queued so far is done (a command-line tool before it exits, tests).
    void flush();

signals:
    // The file could not be opened or failed its check: it was kept as `keptAs` and a fresh one started.
    void damaged(const QString& keptAs, const QString& why);
    // No records can be kept this run; the reason says why. Said once.
    void unavailable(const QString& why);

private:
    void post(std::function<void(RecordsWorker&)> job);
    template <typename R>
    void read(QObject* context, std::function<R(RecordsWorker&)> job, std::function<void(const R&)> done);

    QString m_path;
    QThread* m_thread;
    QObject* m_threadContext; // lives in m_thread; jobs run in its name
    std::unique_ptr<RecordsWorker> m_worker;
    quint64 m_nextHandle = 1;
};

} // namespace console
