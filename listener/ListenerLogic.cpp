#include "ListenerLogic.h"

#include <Desktop.h>

#include <QDir>
#include <QProcess>

namespace listener {

QString appendStatusEntry(const QString& log, const QString& message)
{
    QString text = log;
    if (!text.isEmpty())
        text += QLatin1String("\r\n");
    text += QLatin1String("> ") + message;
    return text.size() >= kStatusLogLimit ? QString() : text;
}

QString workingFolderOf(const QString& executable)
{
    const qsizetype cut = executable.lastIndexOf(QLatin1Char('/'));
    return cut < 0 ? QString() : executable.left(cut + 1);
}

QStringList splitParameters(const QString& parameters)
{
    return QProcess::splitCommand(parameters);
}

LaunchResult startGame(platform::Desktop& desktop, const QString& executable, const QString& parameters)
{
    if (executable.isEmpty())
        return LaunchResult::EmptyPath;
    const QString folder = workingFolderOf(executable);
    if (!folder.isEmpty() && !QDir(folder).exists())
        return LaunchResult::BadFolder;
    return desktop.startProgram(executable, splitParameters(parameters), folder) ? LaunchResult::Started
                                                                                 : LaunchResult::StartFailed;
}

} // namespace listener
