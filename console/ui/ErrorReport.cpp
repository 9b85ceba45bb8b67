#include "ErrorReport.h"

#include "Rcon.h"

#include <ProgramFolder.h>

#include <QLocale>

namespace console {

QString errorLogPath() {
    return platform::writtenFilePath(QStringLiteral("error.log"));
}

QString generalDateTimeText(const QDateTime& when) {
    return QLocale::system().toString(when.date(), QLocale::ShortFormat) + QLatin1Char(' ') +
           longTimeText(when.time());
}

QString errorRecord(const QString& dateTimeText, const ErrorInfo& error) {
    const QString crlf = QStringLiteral("\r\n");
    return QStringLiteral("\"[") + dateTimeText + QStringLiteral("] - Error ") +
           QString::number(error.number) + QStringLiteral(": ") + error.description + crlf +
           QStringLiteral("\tCalling Function: ") + error.source + crlf + QStringLiteral("\tLast DLL: ") +
           QString::number(error.lastDllError) + crlf + QStringLiteral("\tSource: ") + error.source +
           QLatin1Char('"') + crlf;
}

QString errorBoxText(const ErrorInfo& error, const QString& text) {
    return QString::number(error.number) + QStringLiteral(": ") + error.description + QStringLiteral("\r\n") +
           text;
}

MessageBoxStyle messageBoxStyle(qint32 flags) {
    using Icon = platform::Desktop::Icon;
    using Buttons = platform::Desktop::Buttons;
    MessageBoxStyle style{Icon::None, Buttons::Ok};
    switch (flags & 0xF0) {
    case 16:
        style.icon = Icon::Critical;
        break;
    case 32:
        style.icon = Icon::Question;
        break;
    case 48:
        style.icon = Icon::Warning;
        break;
    case 64:
        style.icon = Icon::Information;
        break;
    default:
        break;
    }
    switch (flags & 0x0F) {
    case 1:
        style.buttons = Buttons::OkCancel;
        break;
    // Abort/Retry/Ignore and Retry/Cancel have no buttons of their own here: a way out and a way on.
    case 2:
    case 5:
        style.buttons = Buttons::OkCancel;
        break;
    case 3:
        style.buttons = Buttons::YesNoCancel;
        break;
    case 4:
        style.buttons = Buttons::YesNo;
        break;
    default:
        break;
    }
    return style;
}

void ReportError(const ErrorReporter& to, const ErrorInfo& error, const QString& text, qint32 flags) {
    const platform::Result<> logged = platform::appendToRegularFile(
        errorLogPath(), errorRecord(generalDateTimeText(QDateTime::currentDateTime()), error).toLatin1());
    if (!logged && to.logNotWritten)
        to.logNotWritten(platform::Failure{logged.why()});
    const QString boxText = errorBoxText(error, text);
    if (boxText.isEmpty())
        return;
    const MessageBoxStyle style = messageBoxStyle(flags);
    to.desktop.messageBox(to.parent, boxText, kErrorBoxTitle, style.icon, style.buttons);
}

} // namespace console
