#pragma once

#include <Result.h>

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

namespace platform {
class ProgramLauncher;
}

namespace listener {

// The status log holds fewer than this many characters; the entry that reaches it empties the log.
constexpr int kStatusLogLimit = 15000;
// What of a request the log shows; the rest is only counted.
constexpr int kRequestShown = 64;

// The log's text after one more entry: a line break before it unless the log is empty, "> ", the message.
QString appendStatusEntry(const QString& log, const QString& message);

// A request as the log shows it: printable ASCII as it is, every other byte (and the backslash)
// escaped, cut after kRequestShown bytes with the number that arrived.
QString requestText(const QByteArray& shown, qint64 total);

// The executable's folder, up to and including its last directory separator; empty without one.
QString workingFolderOf(const QString& executable);

// Whether the folder exists on the disk; Qt alone would read a path starting with ':' as a resource.
bool folderExists(const QString& folder);

// The parameter text split as a command line would be (quotes group words).
QStringList splitParameters(const QString& parameters);

// Why a value the listener reads cannot be trusted: a line break in any of them, and in the
// parameters a double quote that is never closed (it would swallow the rest of the line).
std::optional<QString> valueDamage(const QString& value, bool isParameters);

// What stands in the way of a launch before anything is started: no executable, a folder that
// does not exist, parameters that cannot be split.
platform::Result<> launchCheck(const QString& executable, const QString& parameters);

// Starts the executable detached, in its own folder, with the parameters; it outlives the listener.
// The started process's id, or why nothing was started.
platform::Result<qint64> startGame(platform::ProgramLauncher& launcher, const QString& executable,
                                   const QString& parameters);

// Why this process cannot open a port below 1024 of its own accord, with the three ways out; empty
// where it may (root, the capability, or a system that lets every user open it).
QString lowPortAdvice(int port, const QString& program);

// One status-log entry as one line for a journal: the line end the entries carry is dropped, and
// control characters (as a peer may send) are written as escapes, so no peer can break or forge a line.
QByteArray journalLine(const QString& message);

} // namespace listener
