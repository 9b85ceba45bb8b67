#pragma once

#include <Result.h>

#include <QString>
#include <QStringList>

namespace console {

// Process-wide state of the console: lives from start to exit, outside any window.
struct basMainState {
    QStringList CommandList; // autocomplete words, first match wins
};

basMainState& basMain();
// Tests start each case from a fresh process state.
void resetBasMain();

// "vorlanix.log" among the program's files.
QString logPath();
// A reference text the View menu opens ("commands.txt", "variables.txt").
QString referencePath(const QString& name);
// Appends the text unchanged, or says why it could not.
platform::Result<> WriteLog(const QString& text);

// Fills basMain().CommandList from "cmdlist.dat", or from the built-in list when the file is absent.
// A file that cannot be read leaves what the reading produced.
void LoadCommandList();
// Looks typed up in basMain().CommandList.
QString FindCompletion(const QString& typed);

} // namespace console
