#pragma once

#include <QString>

namespace platform {
class Desktop;
}

namespace console {

// Hands the address to the desktop's default handler. Whatever goes wrong there is the desktop's
// to show; the console reports nothing.
void OpenWebPage(platform::Desktop& desktop, const QString& address);

} // namespace console
