#pragma once

#include "Result.h"

#include <QByteArray>
#include <QString>

#include <optional>

class QSettings;

namespace platform {

// What makes a settings file unfit to be read, or written over: not UTF-8 text, a control
// character, a line that is neither a section, a key nor a comment, or a value whose double quotes
// do not pair up (the reader would run such a value on into the following lines). The reason names
// the line. Nothing for a file that reads well.
std::optional<QString> iniDamage(const QByteArray& bytes);

// The per-user settings store, addressed as (application, section, key) with text values.
// Backed by $XDG_CONFIG_HOME/<application>/<application>.ini; a section "title\Word" is the group
// "title/Word". The file holds the rcon password, so it is kept readable by its owner only.
//
// Both programs share the file, and neither may destroy what the other keeps there. A file that
// could not be read or does not parse is therefore never written over as it is: the first write
// keeps a copy of it beside it as "<file>.unreadable-YYYYMMDD-HHMMSS", or writes nothing at all.
class SettingsStore {
public:
    explicit SettingsStore(const QString& application = QStringLiteral("velmora"));
    ~SettingsStore();
    SettingsStore(const SettingsStore&) = delete;
    SettingsStore& operator=(const SettingsStore&) = delete;

    QString read(const QString& section, const QString& key, const QString& defaultText) const;
    void write(const QString& section, const QString& key, const QString& text);
    // Writes pending changes now, merging with keys another program wrote meanwhile. Fails, naming
    // the path and the reason, when nothing could be written.
    Result<> sync();
    QString fileName() const;

    // Whether the file read well when the store was opened; a missing file reads well (a first start).
    const Result<>& opened() const { return m_opened; }
    // Where the copy of a file that did not read well was kept; empty until one was.
    QString keptCopy() const { return m_keptCopy; }

private:
    void restrictPermissions() const;
    Result<> keepCopy();

    QSettings* m_settings;
    Result<> m_opened;
    QString m_keptCopy;
    bool m_written = false;
};

} // namespace platform
