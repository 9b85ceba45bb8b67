#pragma once

#include <QString>

class QWidget;

namespace platform {
class Desktop;
}

namespace console {

// Appends a record of the current error to "error.log" in the program folder, then shows it with
// the caller's text in a box titled "Tarnwick Caught An Error!". flags is the message-box style
// (icon and buttons) of the desktop's encoding, e.g. 48 for an exclamation with OK.
void ReportError(platform::Desktop& desktop, QWidget* parent, const QString& text, int flags);

} // namespace console
