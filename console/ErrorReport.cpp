#include "ErrorReport.h"

#include "ErrorState.h"

#include <Desktop.h>

#include <QDateTime>
#include <QFile>

namespace console {

namespace {
using Icon = platform::Desktop::Icon;
using Buttons = platform::Desktop::Buttons;

Icon iconOf(int flags) {
    switch (flags & 0xF0) {
    case 16:
        return Icon::Critical;
    case 32:
        return Icon::Question;
    case 48:
        return Icon::Warning;
    case 64:
        return Icon::Information;
    default:
        return Icon::None;
    }
}

// Abort/Retry/Ignore and Retry/Cancel have no counterpart in the seam; a report needs no answer.
Buttons buttonsOf(int flags) {
    switch (flags & 0x0F) {
    case 1:
        return Buttons::OkCancel;
    case 3:
        return Buttons::YesNoCancel;
    case 4:
        return Buttons::YesNo;
    default:
        return Buttons::Ok;
    }
}
} // namespace

void ReportError(platform::Desktop& desktop, QWidget* parent, const QString& text, int flags) {
    const ErrorState& error = currentError();
    // A log that cannot be written must not hide the error from the user: the box still comes.
    QFile log(errorLogPath());
    if (log.open(QIODevice::WriteOnly | QIODevice::Append)) {
        log.write(errorLogRecord(error, generalDateTimeText(QDateTime::currentDateTime())).toLatin1());
        log.close();
    }
    const QString boxText = errorBoxText(error, text);
    if (!boxText.isEmpty())
        desktop.messageBox(parent, boxText, QStringLiteral("Tarnwick Caught An Error!"), iconOf(flags),
                           buttonsOf(flags));
}

} // namespace console
