#include "basMain.h"

#include "CommandList.h"

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
    return platform::writtenFilePath(QStringLiteral("vorlanix.log"));
}

QString referencePath(const QString& name) {
    return platform::referenceFilePath(name);
}

platform::Result<> WriteLog(const QString& text) {
    // Opened and closed per entry, so the transcript is complete even if the program is killed.
    return platform::appendToRegularFile(logPath(), text.toLatin1());
}

void LoadCommandList() {
    QStringList& list = basMain().CommandList;
    const QString path = commandListPath();
    if (!platform::FileExists(path)) {
        list = QString::fromLatin1(kBuiltInCommandList).split(QLatin1Char(','));
        return;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        list.clear();
        return;
    }
    // Read in pieces so that a read error part-way keeps what came before it.
    QByteArray bytes;
    char chunk[64 * 1024];
    for (;;) {
        const qint64 got = file.read(chunk, sizeof chunk);
        if (got <= 0)
            break;
        bytes.append(chunk, got);
    }
    list = parseCommandList(bytes);
}

QString FindCompletion(const QString& typed) {
    return FindCompletion(basMain().CommandList, typed);
}

} // namespace console
