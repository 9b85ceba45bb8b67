#pragma once

#include <QStringList>

// The local records' tables and the statements that read and write them, in one place so that the
// benchmark's plain sqlite3 baseline runs exactly what the console runs.
namespace console::recordsSql {

// Migration N brings the file from schema version N-1 (PRAGMA user_version) to N. Append, never edit.
inline const QList<QStringList> kMigrations = {
    {
        QStringLiteral("CREATE TABLE names(id INTEGER PRIMARY KEY, folded TEXT NOT NULL UNIQUE)"),
        // Trigrams find a fragment of three or more letters anywhere in a name without a scan.
        QStringLiteral(
            "CREATE VIRTUAL TABLE names_fts USING fts5(folded, content='names', content_rowid='id', "
            "tokenize='trigram')"),
        QStringLiteral("CREATE TRIGGER names_added AFTER INSERT ON names BEGIN INSERT INTO names_fts(rowid, "
                       "folded) VALUES (new.id, new.folded); END"),
        QStringLiteral(
            "CREATE TRIGGER names_removed AFTER DELETE ON names BEGIN INSERT INTO names_fts(names_fts, "
            "rowid, folded) VALUES ('delete', old.id, old.folded); END"),
        QStringLiteral(
            "CREATE TABLE players(id INTEGER PRIMARY KEY, server TEXT NOT NULL, name TEXT NOT NULL, "
            "plain_name TEXT NOT NULL, name_id INTEGER NOT NULL REFERENCES names(id), "
            "address TEXT NOT NULL, ip BLOB, first_seen INTEGER NOT NULL, last_seen INTEGER NOT NULL, "
            "times_seen INTEGER NOT NULL, UNIQUE(server, name, address))"),
        QStringLiteral("CREATE INDEX players_name ON players(name_id)"),
        QStringLiteral("CREATE INDEX players_ip ON players(ip)"),
        QStringLiteral("CREATE INDEX players_last_seen ON players(last_seen)"),
        QStringLiteral("CREATE TABLE audit(id INTEGER PRIMARY KEY, at INTEGER NOT NULL, user TEXT NOT NULL, "
                       "server TEXT NOT NULL, command TEXT NOT NULL, origin INTEGER NOT NULL, "
                       "outcome INTEGER NOT NULL, first_line TEXT NOT NULL)"),
        QStringLiteral("CREATE INDEX audit_at ON audit(at)"),
        QStringLiteral(
            "CREATE TABLE ban_notes(server TEXT NOT NULL, kind INTEGER NOT NULL, range TEXT NOT NULL, "
            "engine INTEGER NOT NULL, reason TEXT NOT NULL, who TEXT NOT NULL, at INTEGER NOT NULL, expires "
            "INTEGER, "
            "PRIMARY KEY(server, kind, range))"),
    },
};

// A refresh is written with three statements whatever its size, the rows of each in one list of
// values: the names, their ids, then the sightings (nine values each; a sighting after a gap, the
// last value in ms, is a new visit).
inline QString repeated(const QString& group, int count) {
    QStringList groups;
    for (int i = 0; i < count; ++i)
        groups << group;
    return groups.join(QLatin1Char(','));
}
inline QString addNames(int count) {
    return QStringLiteral("INSERT OR IGNORE INTO names(folded) VALUES ") +
           repeated(QStringLiteral("(?)"), count);
}
inline QString nameIds(int count) {
    return QStringLiteral("SELECT id, folded FROM names WHERE folded IN (") +
           repeated(QStringLiteral("?"), count) + QLatin1Char(')');
}
inline QString seePlayers(int count) {
    return QStringLiteral("INSERT INTO players(server, name, plain_name, name_id, address, ip, first_seen, "
                          "last_seen, times_seen) VALUES ") +
           repeated(QStringLiteral("(?, ?, ?, ?, ?, ?, ?, ?, 1)"), count) +
           QStringLiteral(
               " ON CONFLICT(server, name, address) DO UPDATE SET times_seen = times_seen + "
               "(excluded.last_seen - last_seen >= ?), last_seen = max(last_seen, excluded.last_seen)");
}

#define VORLANIX_HISTORY_COLUMNS "p.server, p.name, p.address, p.first_seen, p.last_seen, p.times_seen "
// A fragment of three letters or more, through the trigram index; the bound text is an FTS phrase.
// The names come first (CROSS JOIN): walking the sightings in last-seen order instead would visit all.
inline const QString kSearchName = QStringLiteral(
    "SELECT " VORLANIX_HISTORY_COLUMNS "FROM names_fts CROSS JOIN players p ON p.name_id = names_fts.rowid "
    "WHERE names_fts MATCH ? ORDER BY p.last_seen DESC LIMIT ?");
// Shorter fragments have no trigram: the names (not the sightings) are scanned.
inline const QString kSearchShortName =
    QStringLiteral("SELECT " VORLANIX_HISTORY_COLUMNS "FROM names n CROSS JOIN players p ON p.name_id = n.id "
                   "WHERE instr(n.folded, ?) > 0 ORDER BY p.last_seen DESC LIMIT ?");
inline const QString kSearchAddress =
    QStringLiteral("SELECT " VORLANIX_HISTORY_COLUMNS "FROM players p WHERE p.ip BETWEEN ? AND ? "
                   "ORDER BY p.last_seen DESC LIMIT ?");
#undef VORLANIX_HISTORY_COLUMNS

// Old sightings go in slices, so no transaction holds the file for long.
inline const QString kPruneSlice =
    QStringLiteral("DELETE FROM players WHERE id IN (SELECT id FROM players WHERE last_seen < ? LIMIT 5000)");
inline const QString kOrphanNamesSlice =
    QStringLiteral("DELETE FROM names WHERE id IN (SELECT n.id FROM names n WHERE NOT EXISTS "
                   "(SELECT 1 FROM players p WHERE p.name_id = n.id) LIMIT 5000)");

inline const QString kAddAudit = QStringLiteral(
    "INSERT INTO audit(at, user, server, command, origin, outcome, first_line) VALUES (?, ?, ?, ?, ?, ?, ?)");
inline const QString kSetOutcome =
    QStringLiteral("UPDATE audit SET outcome = ?, first_line = ? WHERE id = ?");

inline const QString kSaveBanNote =
    QStringLiteral("INSERT OR REPLACE INTO ban_notes(server, kind, range, engine, reason, who, at, expires) "
                   "VALUES (?, ?, ?, ?, ?, ?, ?, ?)");
inline const QString kRemoveBanNote =
    QStringLiteral("DELETE FROM ban_notes WHERE server = ? AND kind = ? AND range = ?");
inline const QString kRemoveServerNotes = QStringLiteral("DELETE FROM ban_notes WHERE server = ?");
inline const QString kBanNotes = QStringLiteral("SELECT server, kind, range, engine, reason, who, at, "
                                                "expires FROM ban_notes WHERE server = ? ORDER BY at");

} // namespace console::recordsSql
