#include "frmMain.h"

#include <Desktop.h>
#include <Faces.h>

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kestwold"));
    platform::installFaceSubstitutes();
    platform::RealDesktop desktop;
    // Hiding behind the notification icon is not closing: only Exit or the frame's close ends it.
    listener::frmMain window(desktop);
    window.Form_Load();
    return app.exec();
}
