#include "basMain.h"

#include <ProgramFolder.h>

namespace console {

basMainState& basMain() {
    static basMainState state;
    return state;
}

void resetBasMain() {
    basMain() = basMainState{};
}

QString logPath() {
    return platform::writtenFilePath(QStringLiteral("vorlanix.log"));
}

QString referencePath(const QString& name) {
    return platform::referenceFilePath(name);
}

bool WriteLog(const QString& text) {
    // Opened and closed per entry, so the transcript is complete even if the program is killed.
    return platform::appendToRegularFile(logPath(), text.toLatin1());
}

} // namespace console
