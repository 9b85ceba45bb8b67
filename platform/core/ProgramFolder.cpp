#include "ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#ifndef VORLANIX_DATADIR
#define VORLANIX_DATADIR ""
#endif

namespace platform {

namespace {
QString& overriddenFolder() {
    static QString folder;
    return folder;
}

QString withSeparator(QString path) {
    return AddBackslash(path);
}

bool folderWritable(const QString& folder) {
#ifdef Q_OS_UNIX
    return ::access(QFile::encodeName(folder).constData(), W_OK | X_OK) == 0;
#else
    return QFileInfo(folder).isWritable();
#endif
}

FileFolders currentFolders() {
    const QString folder = programFolder();
    return fileFolders(folder, folderWritable(folder), qEnvironmentVariable("XDG_DATA_HOME"),
                       QDir::homePath(), QString::fromUtf8(VORLANIX_DATADIR));
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

FileFolders fileFolders(const QString& programFolder, bool programFolderWritable, const QString& xdgDataHome,
                        const QString& home, const QString& installedDataFolder) {
    FileFolders folders;
    const QString own = withSeparator(programFolder);
    if (programFolderWritable) {
        folders.written = own;
    } else {
        // A relative XDG_DATA_HOME is invalid and ignored, as the base-directory rules say.
        const QString dataHome =
            QDir::isAbsolutePath(xdgDataHome) ? xdgDataHome : home + QStringLiteral("/.local/share");
        folders.written = withSeparator(QDir::cleanPath(dataHome + QStringLiteral("/velmora")));
    }
    // An unpacked package keeps its data beside its bin folder; prefer it to an older installed copy.
    for (const QString& candidate :
         {own, withSeparator(QDir::cleanPath(own + QStringLiteral("../share/velmora"))),
          installedDataFolder.isEmpty() ? QString() : withSeparator(installedDataFolder)}) {
        if (!candidate.isEmpty() && !folders.reference.contains(candidate))
            folders.reference.append(candidate);
    }
    return folders;
}

QString writtenFilePath(const QString& name) {
    const QString folder = currentFolders().written;
    if (!QFileInfo::exists(folder) && QDir().mkpath(folder))
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return folder + name;
}

QString referenceFilePath(const QString& name) {
    const QStringList folders = currentFolders().reference;
    for (const QString& folder : folders) {
        if (FileExists(folder + name))
            return folder + name;
    }
    return folders.first() + name;
}

Result<> appendToRegularFile(const QString& path, const QByteArray& bytes) {
    const auto cannot = [&path](const QString& why) {
        return Failure{QStringLiteral("cannot write %1: %2").arg(path, why)};
    };
    const QString notAFile = QStringLiteral("it is not a regular file");
#ifdef Q_OS_UNIX
    const QByteArray name = QFile::encodeName(path);
    struct stat status {};
    const int found = ::stat(name.constData(), &status);
    if (found == 0 && !S_ISREG(status.st_mode))
        return cannot(notAFile);
    if (found != 0 && errno != ENOENT)
        return cannot(qt_error_string(errno));
    // Non-blocking, so that a pipe put in its place meanwhile cannot hold the program; checked again once
    // open.
    const int fd = ::open(name.constData(), O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd < 0)
        return cannot(qt_error_string(errno));
    QString why;
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode))
        why = notAFile;
    qsizetype done = 0;
    while (why.isEmpty() && done < bytes.size()) {
        const ssize_t written = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            why = written < 0 ? qt_error_string(errno) : QStringLiteral("nothing more could be written");
        else
            done += written;
    }
    ::close(fd);
    return why.isEmpty() ? Result<>() : cannot(why);
#else
    const QFileInfo info(path);
    if (info.exists() && !info.isFile())
        return cannot(notAFile);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append) || file.write(bytes) != bytes.size())
        return cannot(file.errorString());
    return {};
#endif
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
