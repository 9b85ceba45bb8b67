#include "ProgramLauncher.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace platform {

QString whyProgramCannotStart(const QString& program, const QString& workingFolder) {
    if (!program.contains(QLatin1Char('/'))) {
        if (QStandardPaths::findExecutable(program).isEmpty())
            return QStringLiteral("%1 is not found on the PATH").arg(program);
        return {};
    }
    const QFileInfo file(QDir(workingFolder).filePath(program));
    if (!file.exists())
        return QStringLiteral("%1 is not found").arg(program);
    if (file.isDir())
        return QStringLiteral("%1 is a folder, not a program").arg(program);
    if (!file.isExecutable())
        return QStringLiteral("%1 is not executable (chmod +x)").arg(program);
    return {};
}

Result<qint64> DetachedLauncher::startProgram(const QString& program, const QStringList& arguments,
                                              const QString& workingFolder) {
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    process.setWorkingDirectory(workingFolder);
    qint64 pid = 0;
    if (process.startDetached(&pid))
        return pid;
    const QString why = whyProgramCannotStart(program, workingFolder);
    return Failure{
        why.isEmpty() ? QStringLiteral("%1 cannot be started: %2").arg(program, process.errorString()) : why};
}

} // namespace platform
