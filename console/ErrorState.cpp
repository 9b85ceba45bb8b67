#include "ErrorState.h"

#include "Rcon.h"

#include <ProgramFolder.h>

#include <QDateTime>
#include <QLocale>

namespace console {

ErrorState& currentError() {
    static ErrorState error;
    return error;
}

void setCurrentError(qint32 number, const QString& description, const QString& source,
                     qint32 lastSystemError) {
    currentError() = ErrorState{number, description, source, lastSystemError};
}

void clearCurrentError() {
    currentError() = ErrorState{};
}

QString generalDateTimeText(const QDateTime& when) {
    return QLocale::system().toString(when.date(), QLocale::ShortFormat) + QLatin1Char(' ') +
           longTimeText(when.time());
}

QString errorLogRecord(const ErrorState& error, const QString& dateTimeText) {
    const QString crlf = QStringLiteral("\r\n");
    return QLatin1String("\"[") + dateTimeText + QLatin1String("] - Error ") + QString::number(error.number) +
           QLatin1String(": ") + error.description + crlf + QLatin1String("\tCalling Function: ") +
           error.source + crlf + QLatin1String("\tLast DLL: ") + QString::number(error.lastSystemError) +
           crlf + QLatin1String("\tSource: ") + error.source + QLatin1Char('"') + crlf;
}

QString errorBoxText(const ErrorState& error, const QString& text) {
    return QString::number(error.number) + QLatin1String(": ") + error.description + QLatin1String("\r\n") +
           text;
}

QString errorLogPath() {
    QString folder = platform::programFolder();
    return platform::AddBackslash(folder) + QStringLiteral("error.log");
}

} // namespace console
