#pragma once

#include "Result.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace platform {

// The folder that holds the program file, with the directory separator at its end.
QString programFolder();
// Tests point the program's files at a temporary folder.
void setProgramFolder(const QString& folder);

// Where the console's files live. A program folder the user may write keeps everything beside the
// program; an installed program keeps what it writes in the per-user data folder and reads the
// shipped reference texts from the installed data folder.
struct FileFolders {
    QString written;       // ends with a separator
    QStringList reference; // searched in order; each ends with a separator
};
FileFolders fileFolders(const QString& programFolder, bool programFolderWritable, const QString& xdgDataHome,
                        const QString& home, const QString& installedDataFolder);

// A file the console writes or the user edits ("vorlanix.log", "error.log", "cmdlist.dat").
// Creates the per-user data folder when that is where it lives.
QString writtenFilePath(const QString& name);
// A shipped reference text ("commands.txt", "variables.txt"): the first folder that holds it, else
// the path in the program folder.
QString referenceFilePath(const QString& name);

// Appends the bytes to the file when it is a regular file or does not exist yet; a named pipe, a
// device or a folder in its place is never written and never waited for. Fails, naming the path and
// the reason, when not all of it was written.
Result<> appendToRegularFile(const QString& path, const QByteArray& bytes);

// Appends the platform's directory separator unless the path is empty or already ends with one.
QString& AddBackslash(QString& path);

// True when the path names an ordinary, non-hidden file.
bool FileExists(const QString& path);

} // namespace platform
