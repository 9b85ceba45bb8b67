#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace platform {
class ProgramLauncher;
}

namespace listener {

// The status log holds fewer than this many characters; the entry that reaches it empties the log.
constexpr int kStatusLogLimit = 15000;

// The log's text after one more entry: a line break before it unless the log is empty, "> ", the message.
QString appendStatusEntry(const QString& log, const QString& message);

// The executable's folder, up to and including its last directory separator; empty without one.
QString workingFolderOf(const QString& executable);

// Whether the folder exists on the disk; Qt alone would read a path starting with ':' as a resource.
bool folderExists(const QString& folder);

// The parameter text split as a command line would be (quotes group words).
QStringList splitParameters(const QString& parameters);

// StillRunning: the game the previous launch started has not exited, so nothing was started.
enum class LaunchResult { Started, EmptyPath, BadFolder, StartFailed, StillRunning };

// Starts the executable detached, in its own folder, with the parameters; it outlives the listener.
// The started process's id goes to `pid` where the launcher tells it.
LaunchResult startGame(platform::ProgramLauncher& launcher, const QString& executable,
                       const QString& parameters, qint64* pid = nullptr);

// One status-log entry as one line for a journal: the line end the entries carry is dropped, and
// control characters (as a peer may send) are written as escapes, so no peer can break or forge a line.
QByteArray journalLine(const QString& message);

} // namespace listener
