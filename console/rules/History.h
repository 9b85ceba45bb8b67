#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace platform {
class SettingsStore;
}

namespace console {

// The drop-down lists of the address, port and command boxes are the histories, newest first.
struct HistoryKind {
    QString section;
    int limit;         // highest key stored
    bool setsEditText; // loading leaves the last value read in the box's edit field
};

inline const HistoryKind kServerHistory{QStringLiteral("vorlanix\\Servers"), 10, true};
inline const HistoryKind kPortHistory{QStringLiteral("vorlanix\\Ports"), 5, true};
inline const HistoryKind kCommandHistory{QStringLiteral("vorlanix\\Commands"), 10, false};

// An empty text counts as present: the position past the last entry reads as empty.
bool IsInHistory(const QStringList& entries, const QString& text);

struct LoadedHistory {
    QStringList entries;
    std::optional<QString> editText; // what loading leaves in the box's edit field, if anything
};

// Keys 0..limit in order; entries stop at the first empty key, the edit text is the last non-empty value.
LoadedHistory loadHistory(const platform::SettingsStore& store, const HistoryKind& kind);
// Keys 0..min(n, limit), key n written empty; higher keys keep older values.
void saveHistory(platform::SettingsStore& store, const HistoryKind& kind, const QStringList& entries);

} // namespace console
