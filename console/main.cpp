#include "frmMain.h"

#include <Desktop.h>
#include <Faces.h>

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("vorlanix"));
    QApplication::setApplicationVersion(
        QStringLiteral("%1.%2").arg(APP_VERSION_MAJOR).arg(APP_VERSION_MINOR));
    platform::installFaceSubstitutes();

    platform::RealDesktop desktop;
    console::frmMain window(desktop);
    window.Form_Load();
    return app.exec();
}
