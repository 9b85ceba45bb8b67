#pragma once

#include <QString>

class QDateTime;

namespace console {

// The error most recently raised and not yet cleared, which the error report describes.
struct ErrorState {
    qint32 number = 0; // 0: no error pending
    QString description;
    QString source;
    qint32 lastSystemError = 0; // the code of the most recent failed system call
};

ErrorState& currentError();
void setCurrentError(qint32 number, const QString& description, const QString& source,
                     qint32 lastSystemError = 0);
void clearCurrentError();

// The user's general date-and-time format: short date, a blank, the long time without its zone.
QString generalDateTimeText(const QDateTime& when);

// One record of "error.log": four lines in one pair of double quotes, then CR LF. Quotes inside
// the description or source are written as they are.
QString errorLogRecord(const ErrorState& error, const QString& dateTimeText);

// Number, ": ", description, CR LF, then the caller's text.
QString errorBoxText(const ErrorState& error, const QString& text);

// "error.log" in the program folder.
QString errorLogPath();

} // namespace console
