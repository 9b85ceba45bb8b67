#pragma once

#include <QString>

namespace platform {

// The folder that holds the program file, with the directory separator at its end.
QString programFolder();
// Tests point the program's files at a temporary folder.
void setProgramFolder(const QString& folder);

// Appends the platform's directory separator unless the path is empty or already ends with one.
QString& AddBackslash(QString& path);

// True when the path names an ordinary, non-hidden file.
bool FileExists(const QString& path);

} // namespace platform
