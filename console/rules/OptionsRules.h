#pragma once

#include <QString>
#include <QtGlobal>

namespace console {

// What the period box makes of its text: either valid, or a message and the text to put back.
struct MinutesCheck {
    bool valid = true;
    QString message;
    QString corrected;
};
MinutesCheck checkMinutes(const QString& text);

// The period as Apply takes it: rounded to the nearest whole number, halves to the even neighbour.
// Text that is not a number in 0..32000 gives the fallback.
qint16 minutesValue(const QString& text, qint16 fallback);

} // namespace console
