#include "Openers.h"

#include <Desktop.h>

#include <QPointer>
#include <QWidget>

namespace console {

namespace {
const QString kTitle = QStringLiteral("vorlanix");
const QString kBrowserRemedy =
    QStringLiteral("xdg-open (package xdg-utils) and a web browser let the console open addresses itself.");
const QString kEditorRemedy = QStringLiteral("xdg-open (package xdg-utils) or a text editor such as gedit, "
                                             "kate or mousepad lets the console open files itself.");

void tell(platform::Desktop& desktop, QWidget* parent, const QString& text) {
    desktop.messageBox(parent, text, kTitle, platform::Desktop::Icon::Warning,
                       platform::Desktop::Buttons::Ok);
}
} // namespace

void OpenWebPage(platform::Desktop& desktop, QWidget* parent, const QString& address) {
    // The refusal may come from the event loop, when the window that asked has closed.
    desktop.openUrl(address, [&desktop, owner = QPointer<QWidget>(parent), address] {
        const QString what = desktop.copyToClipboard(address)
                                 ? QStringLiteral("It is on the clipboard now: paste it into a web browser.")
                                 : QStringLiteral("Type it into a web browser.");
        tell(desktop, owner,
             QStringLiteral("No program could open this address:\n\n%1\n\n%2\n%3")
                 .arg(address, what, kBrowserRemedy));
    });
}

void OpenInTextEditor(platform::Desktop& desktop, QWidget* parent, const QString& path) {
    desktop.openInTextEditor(path, [&desktop, owner = QPointer<QWidget>(parent), path] {
        tell(desktop, owner,
             QStringLiteral("No program could open this file:\n\n%1\n\nOpen it in a text editor.\n%2")
                 .arg(path, kEditorRemedy));
    });
}

} // namespace console
