#pragma once

#include "AppSettings.h"

#include <QString>
#include <QStringList>

namespace console {

// Process-wide state of the console: lives from start to exit, outside any window.
struct basMainState {
    AppSettings settings;
    QStringList CommandList; // autocomplete words, first match wins
    bool AllowComplete = true;
    qint32 QueryTicks = 0; // auto-query ticks since the last automatic status
    QString SayText;
    bool SayConfirmed = false;
};

basMainState& basMain();
// Tests start each case from a fresh process state.
void resetBasMain();

// "vorlanix.log" among the program's files.
QString logPath();
// Appends the text unchanged when logging is on. Returns false when nothing was written.
bool WriteLog(const QString& text);

} // namespace console
