#pragma once

#include <QString>

class QSettings;

namespace platform {

// The per-user settings store, addressed as (application, section, key) with text values.
// Backed by $XDG_CONFIG_HOME/<application>/<application>.ini; a section "title\Word" is the group
// "title/Word". The file holds the rcon password, so it is kept readable by its owner only.
class SettingsStore {
public:
    explicit SettingsStore(const QString& application = QStringLiteral("velmora"));
    ~SettingsStore();
    SettingsStore(const SettingsStore&) = delete;
    SettingsStore& operator=(const SettingsStore&) = delete;

    QString read(const QString& section, const QString& key, const QString& defaultText) const;
    void write(const QString& section, const QString& key, const QString& text);
    // Writes pending changes now, merging with keys another program wrote meanwhile.
    void sync();
    QString fileName() const;

private:
    void restrictPermissions() const;

    QSettings* m_settings;
    bool m_written = false;
};

} // namespace platform
