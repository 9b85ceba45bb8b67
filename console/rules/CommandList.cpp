#include "CommandList.h"

#include <ProgramFolder.h>

#include <QFile>

#include <cstring>

namespace console {

const char* const kBuiltInCommandList =
    "cmdlist,serverinfo,status,set,kick,map,sets,say,vstr,exec,seta,killserver,spdevmap,spmap,devmap,"
    "sectorlist,map_restart,dumpuser,systeminfo,heartbeat,vminfo,midiinfo,net_restart,in_restart,"
    "writeconfig,changeVectors,quit,meminfo,bind,unbindall,touchFile,dir,path,bindlist,unbind,cvar_restart,"
    "cvarlist,reset,setu,toggle,wait,echo";

namespace {
// Blanks only: a tab or other control character inside the file is part of the word.
QString trimBlanks(const QString& line) {
    qsizetype first = 0;
    qsizetype last = line.size();
    while (first < last && line.at(first) == QLatin1Char(' '))
        ++first;
    while (last > first && line.at(last - 1) == QLatin1Char(' '))
        --last;
    return line.mid(first, last - first);
}
} // namespace

QString commandListPath() {
    return platform::writtenFilePath(QStringLiteral("cmdlist.dat"));
}

QStringList parseCommandList(const QByteArray& fileBytes) {
    QString accumulated;
    accumulated.reserve(fileBytes.size() + 1);
    qsizetype start = 0;
    while (start < fileBytes.size()) {
        qsizetype end = fileBytes.indexOf('\n', start);
        const qsizetype next = end < 0 ? fileBytes.size() : end + 1;
        if (end < 0)
            end = fileBytes.size();
        // A line ends at LF, CR LF or the end of the file.
        qsizetype lineEnd = end;
        if (lineEnd > start && fileBytes.at(lineEnd - 1) == '\r')
            --lineEnd;
        accumulated += trimBlanks(QString::fromLatin1(fileBytes.constData() + start, lineEnd - start));
        accumulated += QLatin1Char(',');
        start = next;
    }
    if (accumulated.isEmpty())
        return {};
    return accumulated.split(QLatin1Char(','));
}

QString FindCompletion(const QStringList& entries, const QString& typed) {
    const qsizetype n = typed.size();
    if (n == 0)
        return {};
    const QChar* t = typed.constData();
    const QChar first = t[0];
    const std::size_t bytes = std::size_t(n) * sizeof(QChar);
    // Runs on every keystroke over lists of any length. Most entries already differ in the first code
    // unit, so that is looked at before the whole prefix; code units compare exactly, hence memcmp.
    for (const QString& entry : entries) {
        if (entry.size() >= n && entry.constData()[0] == first &&
            std::memcmp(entry.constData(), t, bytes) == 0)
            return entry.mid(n);
    }
    return {};
}

} // namespace console
