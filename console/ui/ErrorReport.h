#pragma once

#include <Desktop.h>
#include <Result.h>

#include <QDateTime>
#include <QString>
#include <QtGlobal>

#include <functional>

class QWidget;

namespace console {

// The error a report tells of: its caller hands it over, so no error outlives the report it is for.
struct ErrorInfo {
    qint32 number = 0; // 0: no error
    QString description;
    QString source;
    qint32 lastDllError = 0; // the system's code after the failing call
};

// Where a report goes: the box over the parent, and a record that could not be written to whoever says
// so (nobody when empty).
struct ErrorReporter {
    platform::Desktop& desktop;
    QWidget* parent = nullptr;
    std::function<void(const platform::Failure&)> logNotWritten;
};

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

// Appends the error to "error.log", then shows the box modally; returns once it is dismissed. A log that
// cannot be written still leaves the box to tell the user.
void ReportError(const ErrorReporter& to, const ErrorInfo& error, const QString& text, qint32 flags);

} // namespace console
