#pragma once

#include <Result.h>

#include <QString>

namespace platform {
class SettingsStore;
}

namespace listener {

// The listener's settings in the section "Kestwold\Settings", read and written through one table
// of keys (ListenerSettings.cpp). The window and the service mode both use it.
struct ListenerSettings {
    QString executable;   // GameEXE
    QString parameters;   // GameParams
    QString allowedPeers; // AllowedPeers: absent or empty admits every peer; never written

    // Every key as stored, each default where it is absent; nothing is checked.
    static ListenerSettings read(const platform::SettingsStore& store);
    // The stored settings, or why they cannot be trusted: a file that did not read well, a line
    // break in a value, parameters whose quotes do not close. One line naming the file, the key and
    // what to fix.
    static platform::Result<ListenerSettings> load(const platform::SettingsStore& store);
    // Writes GameEXE, GameDir and GameParams as the window keeps them (trimmed); refuses, writing
    // nothing, values that a load would refuse.
    platform::Result<> save(platform::SettingsStore& store) const;

    // Why one key's value cannot be used, or nothing.
    static std::optional<QString> damage(const QString& key, const QString& value);
};

} // namespace listener
