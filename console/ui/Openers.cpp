#include "Openers.h"

#include <Desktop.h>

namespace console {

namespace {
const QString kTitle = QStringLiteral("vorlanix");
const QString kRemedy = QStringLiteral("Installing xdg-utils lets the console hand it to the desktop.");

void tell(platform::Desktop& desktop, QWidget* parent, const QString& text) {
    desktop.messageBox(parent, text, kTitle, platform::Desktop::Icon::Warning,
                       platform::Desktop::Buttons::Ok);
}
} // namespace

void OpenWebPage(platform::Desktop& desktop, QWidget* parent, const QString& address) {
    if (desktop.openUrl(address))
        return;
    const QString what = desktop.copyToClipboard(address)
                             ? QStringLiteral("It is on the clipboard now: paste it into a web browser.")
                             : QStringLiteral("Type it into a web browser.");
    tell(desktop, parent,
         QStringLiteral("No program could open this address:\n\n%1\n\n%2\n%3").arg(address, what, kRemedy));
}

void OpenInTextEditor(platform::Desktop& desktop, QWidget* parent, const QString& path) {
    if (desktop.openInTextEditor(path))
        return;
    tell(desktop, parent,
         QStringLiteral("No program could open this file:\n\n%1\n\nOpen it in a text editor.\n%2")
             .arg(path, kRemedy));
}

} // namespace console
