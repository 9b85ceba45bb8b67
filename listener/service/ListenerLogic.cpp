#include "ListenerLogic.h"

#include <ProgramLauncher.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace listener {

QString appendStatusEntry(const QString& log, const QString& message) {
    QString text = log;
    if (!text.isEmpty())
        text += QLatin1String("\r\n");
    text += QLatin1String("> ") + message;
    return text.size() >= kStatusLogLimit ? QString() : text;
}

QString requestText(const QByteArray& shown, qint64 total) {
    QString text;
    for (const char c : shown.left(kRequestShown)) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == '\\')
            text += QLatin1String("\\\\");
        else if (byte == '\r')
            text += QLatin1String("\\r");
        else if (byte == '\n')
            text += QLatin1String("\\n");
        else if (byte == '\t')
            text += QLatin1String("\\t");
        else if (byte < 0x20 || byte >= 0x7f)
            text += QStringLiteral("\\x%1").arg(int(byte), 2, 16, QLatin1Char('0'));
        else
            text += QLatin1Char(c);
    }
    if (total > kRequestShown)
        text += QStringLiteral("... (%1 bytes)").arg(total);
    return text;
}

QString workingFolderOf(const QString& executable) {
    const qsizetype cut = executable.lastIndexOf(QLatin1Char('/'));
    return cut < 0 ? QString() : executable.left(cut + 1);
}

namespace {
QString onDisk(const QString& path) {
    return path.startsWith(QLatin1Char(':')) ? QLatin1String("./") + path : path;
}

bool quotesClose(const QString& parameters) {
    return parameters.count(QLatin1Char('"')) % 2 == 0;
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

std::optional<QString> valueDamage(const QString& value, bool isParameters) {
    if (value.contains(QLatin1Char('\n')) || value.contains(QLatin1Char('\r')))
        return QStringLiteral("holds a line break");
    if (isParameters && !quotesClose(value))
        return QStringLiteral("opens a double quote it never closes");
    return std::nullopt;
}

platform::Result<> launchCheck(const QString& executable, const QString& parameters) {
    if (executable.isEmpty())
        return platform::Failure{QStringLiteral("no game executable is configured")};
    const QString folder = workingFolderOf(executable);
    if (!folder.isEmpty() && !folderExists(folder))
        return platform::Failure{QStringLiteral("the folder %1 does not exist").arg(folder)};
    if (!quotesClose(parameters))
        return platform::Failure{QStringLiteral("the parameters open a double quote they never close")};
    return {};
}

platform::Result<qint64> startGame(platform::ProgramLauncher& launcher, const QString& executable,
                                   const QString& parameters) {
    if (const platform::Result<> ready = launchCheck(executable, parameters); !ready)
        return platform::Failure{ready.why()};
    // No file name holds a NUL: the system would cut the path there and start another program.
    if (executable.contains(QChar(0)))
        return platform::Failure{QStringLiteral("the path holds a NUL character")};
    // The child enters its folder before it runs the program, so a relative path would miss it.
    const QString folder = workingFolderOf(executable);
    const QString program = folder.isEmpty() ? executable : QFileInfo(onDisk(executable)).absoluteFilePath();
    return launcher.startProgram(program, splitParameters(parameters), folder);
}

namespace {
constexpr int kBindServiceCapability = 10; // CAP_NET_BIND_SERVICE

bool mayOpenLowPorts() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return true; // nothing known: say nothing that may be wrong
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("CapEff:"))
            return (line.mid(7).trimmed().toULongLong(nullptr, 16) >> kBindServiceCapability) & 1;
    return true;
}

int firstOpenPort() {
    QFile start(QStringLiteral("/proc/sys/net/ipv4/ip_unprivileged_port_start"));
    bool ok = false;
    const int port = start.open(QIODevice::ReadOnly) ? start.readAll().trimmed().toInt(&ok) : 0;
    return ok ? port : 1024;
}
} // namespace

QString lowPortAdvice(int port, const QString& program) {
    if (port <= 0 || port >= firstOpenPort() || mayOpenLowPorts())
        return {};
    return QStringLiteral("a port below 1024 needs a privilege: grant it once with "
                          "\"sudo setcap cap_net_bind_service=+ep %1\", run the systemd unit "
                          "kestwold@USER.service (it grants it), or listen on a port above 1023 with "
                          "--port and redirect port 1001 to it")
        .arg(program);
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
