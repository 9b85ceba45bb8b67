#include "ListenerLogic.h"

#include <ProgramLauncher.h>

#include <QDir>
#include <QFileInfo>

namespace listener {

QString appendStatusEntry(const QString& log, const QString& message) {
    QString text = log;
    if (!text.isEmpty())
        text += QLatin1String("\r\n");
    text += QLatin1String("> ") + message;
    return text.size() >= kStatusLogLimit ? QString() : text;
}

QString workingFolderOf(const QString& executable) {
    const qsizetype cut = executable.lastIndexOf(QLatin1Char('/'));
    return cut < 0 ? QString() : executable.left(cut + 1);
}

namespace {
QString onDisk(const QString& path) {
    return path.startsWith(QLatin1Char(':')) ? QLatin1String("./") + path : path;
}
} // namespace

bool folderExists(const QString& folder) {
    return QDir(onDisk(folder)).exists();
}

QStringList splitParameters(const QString& parameters) {
    // Unlike QProcess::splitCommand, an empty pair of quotes stays an argument: +set g_motd "" clears it.
    QStringList arguments;
    QString current;
    bool inWord = false;
    bool quoted = false;
    for (const QChar c : parameters) {
        if (c == QLatin1Char('"')) {
            quoted = !quoted;
            inWord = true;
        } else if (!quoted && (c == QLatin1Char(' ') || c == QLatin1Char('\t'))) {
            if (inWord)
                arguments << current;
            current.clear();
            inWord = false;
        } else {
            current += c;
            inWord = true;
        }
    }
    if (inWord)
        arguments << current;
    return arguments;
}

LaunchResult startGame(platform::ProgramLauncher& launcher, const QString& executable,
                       const QString& parameters, qint64* pid) {
    if (executable.isEmpty())
        return LaunchResult::EmptyPath;
    const QString folder = workingFolderOf(executable);
    if (!folder.isEmpty() && !folderExists(folder))
        return LaunchResult::BadFolder;
    // No file name holds a NUL: the system would cut the path there and start another program.
    if (executable.contains(QChar(0)))
        return LaunchResult::StartFailed;
    // The child enters its folder before it runs the program, so a relative path would miss it.
    const QString program = folder.isEmpty() ? executable : QFileInfo(onDisk(executable)).absoluteFilePath();
    return launcher.startProgram(program, splitParameters(parameters), folder, pid)
               ? LaunchResult::Started
               : LaunchResult::StartFailed;
}

QByteArray journalLine(const QString& message) {
    QString text = message;
    if (text.endsWith(QLatin1String("\r\n")))
        text.chop(2);
    QString line;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == u'\r')
            line += QLatin1String("\\r");
        else if (u == u'\n')
            line += QLatin1String("\\n");
        else if (u == u'\t')
            line += QLatin1String("\\t");
        else if (u < 0x20 || (u >= 0x7f && u < 0xa0))
            line += QStringLiteral("\\x%1").arg(int(u), 2, 16, QLatin1Char('0'));
        else
            line += c;
    }
    return line.toUtf8() + '\n';
}

} // namespace listener
