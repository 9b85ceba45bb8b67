#include "ConsoleOptions.h"
#include "frmMain.h"

#include <Desktop.h>
#include <Faces.h>

#include <QApplication>
#include <QIcon>

#include <cstdio>

int main(int argc, char* argv[]) {
    // Read before the application object exists, so that --help, --version and a mistake on the
    // line are answered without a display. The toolkit's own options go on to it.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    const console::ConsoleOptions options = console::ConsoleOptions::parse(arguments);
    switch (options.mode) {
    case console::ConsoleOptions::Mode::Help:
    case console::ConsoleOptions::Mode::Version:
        std::fputs(options.message.toLocal8Bit().constData(), stdout);
        return 0;
    case console::ConsoleOptions::Mode::Error:
        std::fprintf(stderr, "vorlanix: %s\nTry 'vorlanix --help'.\n",
                     options.message.toLocal8Bit().constData());
        return 2;
    case console::ConsoleOptions::Mode::Window:
        break;
    }

    QApplication::setApplicationName(QStringLiteral("vorlanix"));
    QApplication app(argc, argv);
    // The installed desktop entry and icon; both are simply absent when run from a build tree.
    QApplication::setDesktopFileName(QStringLiteral("example.velmora.vorlanix"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("example.velmora.vorlanix")));
    platform::installFaceSubstitutes();

    platform::RealDesktop desktop;
    console::frmMain window(desktop);
    window.Form_Load();
    return app.exec();
}
