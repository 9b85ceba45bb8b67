#include "ProgramLauncher.h"

#include <QProcess>

namespace platform {

bool DetachedLauncher::startProgram(const QString& program, const QStringList& arguments,
                                    const QString& workingFolder, qint64* pid) {
    if (pid)
        *pid = 0;
    return QProcess::startDetached(program, arguments, workingFolder, pid);
}

} // namespace platform
