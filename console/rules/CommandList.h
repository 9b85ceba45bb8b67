#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace console {

// The vocabulary used when the program folder holds no "cmdlist.dat"; order decides which entry wins.
extern const char* const kBuiltInCommandList;

// "cmdlist.dat" among the program's files.
QString commandListPath();

// Each line trimmed of blanks and followed by a comma, the whole then split at every comma: a trailing
// empty entry always follows, and an empty line gives an empty entry. No lines give no entries.
// Bytes are single-byte text, so every byte value stays one character.
QStringList parseCommandList(const QByteArray& fileBytes);

// The untyped rest of the first entry that starts with typed (case-sensitive), or the empty text.
QString FindCompletion(const QStringList& entries, const QString& typed);

} // namespace console
