#include "basMain.h"

#include <ProgramFolder.h>

#include <QFile>

namespace console {

basMainState& basMain() {
    static basMainState state;
    return state;
}

void resetBasMain() {
    basMain() = basMainState{};
}

QString logPath() {
    return platform::programFolder() + QStringLiteral("vorlanix.log");
}

QString referencePath(const QString& name) {
    return platform::programFolder() + name;
}

bool WriteLog(const QString& text) {
    // Opened and closed per entry, so the transcript is complete even if the program is killed.
    QFile file(logPath());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return false;
    const QByteArray bytes = text.toLatin1();
    return file.write(bytes) == bytes.size();
}

} // namespace console
