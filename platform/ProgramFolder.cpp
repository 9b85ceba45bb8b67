#include "ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace platform {

namespace {
QString& overriddenFolder() {
    static QString folder;
    return folder;
}
} // namespace

QString programFolder() {
    QString folder = overriddenFolder();
    if (folder.isEmpty())
        folder = QCoreApplication::applicationDirPath();
    return AddBackslash(folder);
}

void setProgramFolder(const QString& folder) {
    overriddenFolder() = folder;
}

QString& AddBackslash(QString& path) {
    if (!path.isEmpty() && !path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    return path;
}

bool FileExists(const QString& path) {
    if (path.isEmpty())
        return false;
    const QFileInfo info(path);
    return info.exists() && info.isFile() && !info.isHidden();
}

} // namespace platform
