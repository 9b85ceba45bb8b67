#pragma once

#include <Desktop.h>

#include <QDateTime>
#include <QString>
#include <QtGlobal>

class QWidget;

namespace console {

// The error most recently raised and not yet cleared, as ReportError reads it.
struct ErrorInfo {
    qint32 number = 0; // 0 when no error is pending
    QString description;
    QString source;
    qint32 lastDllError = 0; // the system's code after its most recent failing call
};

ErrorInfo& currentError();
void raiseError(qint32 number, const QString& description, const QString& source);
// As above, with the system's code of the failing call that caused it.
void raiseError(qint32 number, const QString& description, const QString& source, qint32 lastDllError);
void setLastDllError(qint32 code);
void clearError();

// "error.log" among the program's files.
QString errorLogPath();

// The user's general date-and-time format: short date, a blank, the long time.
QString generalDateTimeText(const QDateTime& when);

// One record of "error.log": four lines inside one pair of double quotes, then CR LF.
// Nothing inside is escaped.
QString errorRecord(const QString& dateTimeText, const ErrorInfo& error);

// The box text: number, ": ", description, CR LF, then the caller's text.
QString errorBoxText(const ErrorInfo& error, const QString& text);

inline const QString kErrorBoxTitle = QStringLiteral("Tarnwick Caught An Error!");

// The message-box style numbers the callers pass: icon in bits 4-7, buttons in bits 0-3.
struct MessageBoxStyle {
    platform::Desktop::Icon icon;
    platform::Desktop::Buttons buttons;
};
MessageBoxStyle messageBoxStyle(qint32 flags);

// Appends the current error to "error.log", then shows the box modally; returns once it is dismissed.
// A log that cannot be written still leaves the box to tell the user. The current error stays as it was.
void ReportError(platform::Desktop& desktop, QWidget* parent, const QString& text, qint32 flags);

} // namespace console
