#pragma once

#include <QString>
#include <QtGlobal>

class QComboBox;
class QLineEdit;

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

// Enable or disable one period control and give it the desktop's colours for that state:
// window background and text when enabled, button face and button shadow when not.
void EnableTextBox(QLineEdit* box, bool enabled);
void EnableComboBox(QComboBox* box, bool enabled);

} // namespace console
