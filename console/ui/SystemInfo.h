#pragma once

#include "ErrorReport.h"

#include <Result.h>

#include <QString>
#include <QStringList>

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
    virtual ~SystemKeys() = default;
    // The text value, or why it is missing (for the error report).
    virtual platform::Result<QString> read(quint32 root, const QString& key, const QString& value) const = 0;
};

// On the Linux desktop the tool's key names the first system-information program found on PATH;
// there is no shared-tools folder, so the location key is always missing.
class DesktopSystemKeys : public SystemKeys {
public:
    platform::Result<QString> read(quint32 root, const QString& key, const QString& value) const override;
};

const SystemKeys& desktopSystemKeys();

// The system-information programs looked for, in order of preference.
const QStringList& systemInfoPrograms();
// The full path of the first of them on PATH, or empty.
QString findSystemInfoProgram();

// Reads a text value, cut at its first zero character. A failed read is reported, and gives why.
platform::Result<QString> GetKeyValue(const ErrorReporter& to, const SystemKeys& keys, quint32 KeyRoot,
                                      const QString& KeyName, const QString& SubKeyRef);

// Starts the system-information tool, or reports that it is unavailable.
void StartSysInfo(const ErrorReporter& to, const SystemKeys& keys);

} // namespace console
