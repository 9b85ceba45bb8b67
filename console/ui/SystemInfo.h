#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace platform {
class Desktop;
}

namespace console {

inline constexpr quint32 kKeyLocalMachine = 0x80000002;
inline constexpr char kSysInfoKey[] = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
inline constexpr char kSysInfoValue[] = "PATH";
inline constexpr char kSysInfoLocationKey[] = "SOFTWARE\\Microsoft\\Shared Tools Location";
inline constexpr char kSysInfoLocationValue[] = "MSINFO";
inline constexpr char kSysInfoFileName[] = "MSINFO32.EXE";

// The system's configuration store as far as the About box reads it.
class SystemKeys {
public:
    struct Answer {
        bool found = false;
        QString value;
        QString whyMissing; // for the error report when not found
    };
    virtual ~SystemKeys() = default;
    virtual Answer read(quint32 root, const QString& key, const QString& value) const = 0;
};

// On the Linux desktop the tool's key names the first system-information program found on PATH;
// there is no shared-tools folder, so the location key is always missing.
class DesktopSystemKeys : public SystemKeys {
public:
    Answer read(quint32 root, const QString& key, const QString& value) const override;
};

const SystemKeys& desktopSystemKeys();

// The system-information programs looked for, in order of preference.
const QStringList& systemInfoPrograms();
// The full path of the first of them on PATH, or empty.
QString findSystemInfoProgram();

// Reads a text value. A failed read leaves KeyVal empty, raises the error and reports it.
bool GetKeyValue(platform::Desktop& desktop, QWidget* parent, const SystemKeys& keys, quint32 KeyRoot,
                 const QString& KeyName, const QString& SubKeyRef, QString& KeyVal);

// Starts the system-information tool, or reports that it is unavailable.
void StartSysInfo(platform::Desktop& desktop, QWidget* parent, const SystemKeys& keys);

} // namespace console
