#include "History.h"

#include <SettingsStore.h>

namespace console {

bool IsInHistory(const QStringList& entries, const QString& text) {
    return text.isEmpty() || entries.contains(text, Qt::CaseSensitive);
}

LoadedHistory loadHistory(const platform::SettingsStore& store, const HistoryKind& kind) {
    LoadedHistory loaded;
    for (int i = 0; i <= kind.limit; ++i) {
        const QString text = store.read(kind.section, QString::number(i), QString());
        if (text.isEmpty())
            continue;
        if (i <= loaded.entries.size())
            loaded.entries.insert(i, text);
        if (kind.setsEditText)
            loaded.editText = text;
    }
    return loaded;
}

void saveHistory(platform::SettingsStore& store, const HistoryKind& kind, const QStringList& entries) {
    const int n = int(entries.size());
    for (int i = 0; i <= kind.limit && i <= n; ++i)
        store.write(kind.section, QString::number(i), i < n ? entries.at(i) : QString());
}

} // namespace console
