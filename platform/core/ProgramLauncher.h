#pragma once

#include "Result.h"

#include <QString>
#include <QStringList>
#include <QtGlobal>

namespace platform {

// Starting a program without waiting for it; it outlives the caller. The listener's service needs
// only this of the desktop, so it can run where there is no desktop at all.
class ProgramLauncher {
public:
    virtual ~ProgramLauncher() = default;
    // The started process's id (0 where the system does not tell it), or why it could not start.
    virtual Result<qint64> startProgram(const QString& program, const QStringList& arguments,
                                        const QString& workingFolder) = 0;
};

class DetachedLauncher : public ProgramLauncher {
public:
    Result<qint64> startProgram(const QString& program, const QStringList& arguments,
                                const QString& workingFolder) override;
};

// Why the program cannot be started, in words an administrator can act on ("not found", "is a
// folder", "is not executable"); empty when nothing stands in its way that a look at the disk shows.
QString whyProgramCannotStart(const QString& program, const QString& workingFolder);

} // namespace platform
