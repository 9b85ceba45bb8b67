#pragma once

#include <QString>

class QWidget;

namespace platform {
class Desktop;
}

namespace console {

// Hands the address to the desktop's default handler. When nothing takes it, a message box over
// the parent names the address and puts it on the clipboard, so that it can be pasted into a browser.
// The desktop must outlive the windows: a refusal may come later, from the event loop.
void OpenWebPage(platform::Desktop& desktop, QWidget* parent, const QString& address);

// Opens the file in the desktop's plain-text editor; when none starts, a message box names the file.
void OpenInTextEditor(platform::Desktop& desktop, QWidget* parent, const QString& path);

} // namespace console
