#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

namespace console {

// What the period box does with a text it cannot take: the message, and the text to put back.
struct MinutesCorrection {
    QString message;
    QString corrected;
};
// Nothing for a text the box takes as it is.
std::optional<MinutesCorrection> checkMinutes(const QString& text);

// The period as Apply takes it: rounded to the nearest whole number, halves to the even neighbour.
// Text that is not a number in 0..32000 gives the fallback.
qint16 minutesValue(const QString& text, qint16 fallback);

} // namespace console
