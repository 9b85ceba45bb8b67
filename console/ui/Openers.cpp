#include "Openers.h"

#include <Desktop.h>

namespace console {

void OpenWebPage(platform::Desktop& desktop, const QString& address) {
    desktop.openUrl(address);
}

} // namespace console
