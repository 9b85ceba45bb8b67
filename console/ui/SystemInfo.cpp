#include "SystemInfo.h"

#include "ErrorReport.h"

#include <Desktop.h>
#include <ProgramFolder.h>

#include <QStandardPaths>

namespace console {

namespace {
constexpr int kExclamationOk = 48;
constexpr qint32 kKeyNotFound = 2; // what the system store answers for a missing key or value
constexpr qint32 kFileNotFound = 53;
const QString kUnavailable = QStringLiteral("System Information Is Unavailable At This Time");

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

SystemKeys::Answer DesktopSystemKeys::read(quint32 root, const QString& key, const QString& value) const {
    if (root == kKeyLocalMachine && key.compare(QLatin1String(kSysInfoKey), Qt::CaseInsensitive) == 0 &&
        value.compare(QLatin1String(kSysInfoValue), Qt::CaseInsensitive) == 0) {
        const QString program = findSystemInfoProgram();
        if (!program.isEmpty())
            return {true, program, {}};
        return {false,
                {},
                QStringLiteral("No system-information program found on PATH (looked for %1)")
                    .arg(systemInfoPrograms().join(QLatin1String(", ")))};
    }
    return {false, {}, QStringLiteral("Key not found: %1\\%2, value %3").arg(rootName(root), key, value)};
}

const SystemKeys& desktopSystemKeys() {
    static const DesktopSystemKeys keys;
    return keys;
}

bool GetKeyValue(platform::Desktop& desktop, QWidget* parent, const SystemKeys& keys, quint32 KeyRoot,
                 const QString& KeyName, const QString& SubKeyRef, QString& KeyVal) {
    const SystemKeys::Answer answer = keys.read(KeyRoot, KeyName, SubKeyRef);
    if (!answer.found) {
        KeyVal.clear();
        raiseError(kKeyNotFound, answer.whyMissing, QStringLiteral("GetKeyValue"), kKeyNotFound);
        ReportError(desktop, parent, QString(), kExclamationOk);
        return false;
    }
    const qsizetype end = answer.value.indexOf(QChar(0));
    KeyVal = end < 0 ? answer.value : answer.value.left(end);
    return true;
}

void StartSysInfo(platform::Desktop& desktop, QWidget* parent, const SystemKeys& keys) {
    // A stale error from an earlier attempt must not be reported as this one's.
    clearError();
    QString path;
    bool located = GetKeyValue(desktop, parent, keys, kKeyLocalMachine, QLatin1String(kSysInfoKey),
                               QLatin1String(kSysInfoValue), path);
    if (!located && GetKeyValue(desktop, parent, keys, kKeyLocalMachine, QLatin1String(kSysInfoLocationKey),
                                QLatin1String(kSysInfoLocationValue), path)) {
        path = platform::AddBackslash(path) + QLatin1String(kSysInfoFileName);
        located = platform::FileExists(path);
        if (!located)
            raiseError(kFileNotFound, QStringLiteral("File not found: %1").arg(path),
                       QStringLiteral("StartSysInfo"), 0);
    }
    if (located) {
        if (desktop.startProgram(path, {}, QString()))
            return;
        raiseError(kFileNotFound, QStringLiteral("Could not start %1").arg(path),
                   QStringLiteral("StartSysInfo"), 0);
    }
    ReportError(desktop, parent, kUnavailable, kExclamationOk);
}

} // namespace console
