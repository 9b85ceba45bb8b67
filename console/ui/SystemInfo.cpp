#include "SystemInfo.h"

#include "ErrorReport.h"

#include <Desktop.h>
#include <ProgramFolder.h>

#include <QStandardPaths>

#include <optional>

namespace console {

namespace {
constexpr int kExclamationOk = 48;
constexpr qint32 kKeyNotFound = 2; // what the system store answers for a missing key or value
constexpr qint32 kFileNotFound = 53;
const QString kUnavailable = QStringLiteral("System Information Is Unavailable At This Time");

ErrorInfo keyError(const QString& why) {
    return {kKeyNotFound, why, QStringLiteral("GetKeyValue"), kKeyNotFound};
}

QString rootName(quint32 root) {
    return root == kKeyLocalMachine ? QStringLiteral("HKEY_LOCAL_MACHINE")
                                    : QStringLiteral("0x%1").arg(root, 8, 16, QLatin1Char('0'));
}
} // namespace

const QStringList& systemInfoPrograms() {
    static const QStringList programs = {QStringLiteral("kinfocenter"),
                                         QStringLiteral("hardinfo2"),
                                         QStringLiteral("hardinfo"),
                                         QStringLiteral("cpu-x"),
                                         QStringLiteral("gnome-system-monitor"),
                                         QStringLiteral("mate-system-monitor"),
                                         QStringLiteral("xfce4-taskmanager"),
                                         QStringLiteral("lxtask")};
    return programs;
}

QString findSystemInfoProgram() {
    for (const QString& name : systemInfoPrograms()) {
        const QString path = QStandardPaths::findExecutable(name);
        if (!path.isEmpty())
            return path;
    }
    return {};
}

platform::Result<QString> DesktopSystemKeys::read(quint32 root, const QString& key,
                                                  const QString& value) const {
    if (root == kKeyLocalMachine && key.compare(QLatin1String(kSysInfoKey), Qt::CaseInsensitive) == 0 &&
        value.compare(QLatin1String(kSysInfoValue), Qt::CaseInsensitive) == 0) {
        const QString program = findSystemInfoProgram();
        if (!program.isEmpty())
            return program;
        return platform::Failure{QStringLiteral("No system-information program found on PATH (looked for %1)")
                                     .arg(systemInfoPrograms().join(QLatin1String(", ")))};
    }
    return platform::Failure{
        QStringLiteral("Key not found: %1\\%2, value %3").arg(rootName(root), key, value)};
}

const SystemKeys& desktopSystemKeys() {
    static const DesktopSystemKeys keys;
    return keys;
}

platform::Result<QString> GetKeyValue(const ErrorReporter& to, const SystemKeys& keys, quint32 KeyRoot,
                                      const QString& KeyName, const QString& SubKeyRef) {
    const platform::Result<QString> answer = keys.read(KeyRoot, KeyName, SubKeyRef);
    if (!answer) {
        ReportError(to, keyError(answer.why()), QString(), kExclamationOk);
        return answer;
    }
    const qsizetype end = answer->indexOf(QChar(0));
    return end < 0 ? *answer : answer->left(end);
}

void StartSysInfo(const ErrorReporter& to, const SystemKeys& keys) {
    // Each attempt starts with no error: a stale one from an earlier attempt is not this one's.
    ErrorInfo error;
    std::optional<QString> path;
    if (const auto tool = GetKeyValue(to, keys, kKeyLocalMachine, QLatin1String(kSysInfoKey),
                                      QLatin1String(kSysInfoValue))) {
        path = *tool;
    } else if (const auto folder = GetKeyValue(to, keys, kKeyLocalMachine, QLatin1String(kSysInfoLocationKey),
                                               QLatin1String(kSysInfoLocationValue))) {
        QString candidate = *folder;
        candidate = platform::AddBackslash(candidate) + QLatin1String(kSysInfoFileName);
        if (platform::FileExists(candidate))
            path = candidate;
        else
            error = {kFileNotFound, QStringLiteral("File not found: %1").arg(candidate),
                     QStringLiteral("StartSysInfo"), 0};
    } else {
        error = keyError(folder.why());
    }
    if (path) {
        if (to.desktop.startProgram(*path, {}, QString()))
            return;
        error = {kFileNotFound, QStringLiteral("Could not start %1").arg(*path),
                 QStringLiteral("StartSysInfo"), 0};
    }
    ReportError(to, error, kUnavailable, kExclamationOk);
}

} // namespace console
