#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

namespace platform {

// Starting a program without waiting for it; it outlives the caller. The listener's service needs
// only this of the desktop, so it can run where there is no desktop at all.
class ProgramLauncher {
public:
    virtual ~ProgramLauncher() = default;
    // Where `pid` is given it receives the started process's id (0 when unknown).
    virtual bool startProgram(const QString& program, const QStringList& arguments,
                              const QString& workingFolder, qint64* pid = nullptr) = 0;
};

class DetachedLauncher : public ProgramLauncher {
public:
    bool startProgram(const QString& program, const QStringList& arguments, const QString& workingFolder,
                      qint64* pid = nullptr) override;
};

} // namespace platform
