#pragma once

#include <QString>
#include <QStringList>

namespace platform {
class Desktop;
}

namespace listener {

// The status log holds fewer than this many characters; the entry that reaches it empties the log.
constexpr int kStatusLogLimit = 15000;

// The log's text after one more entry: a line break before it unless the log is empty, "> ", the message.
QString appendStatusEntry(const QString& log, const QString& message);

// The executable's folder, up to and including its last directory separator; empty without one.
QString workingFolderOf(const QString& executable);

// The parameter text split as a command line would be (quotes group words).
QStringList splitParameters(const QString& parameters);

enum class LaunchResult { Started, EmptyPath, BadFolder, StartFailed };

// Starts the executable detached, in its own folder, with the parameters; it outlives the listener.
LaunchResult startGame(platform::Desktop& desktop, const QString& executable, const QString& parameters);

} // namespace listener
