#include "CommandLine.h"
#include "ServiceMode.h"
#include "frmMain.h"

#include <Desktop.h>
#include <Faces.h>

#include <QApplication>

#include <cstdio>
#ifdef Q_OS_LINUX
#include <sys/prctl.h>
#endif

int main(int argc, char* argv[]) {
#ifdef Q_OS_LINUX
    // The right to open a low port that systemd hands over is ours alone: the game servers started
    // later must not inherit it. The process itself keeps it.
    ::prctl(PR_CAP_AMBIENT, PR_CAP_AMBIENT_CLEAR_ALL, 0, 0, 0);
#endif
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const listener::CommandLine options = listener::CommandLine::parse(arguments);
    switch (options.mode) {
    case listener::CommandLine::Mode::Help:
    case listener::CommandLine::Mode::Version:
        std::fputs(options.message.toLocal8Bit().constData(), stdout);
        return 0;
    case listener::CommandLine::Mode::Error:
        std::fprintf(stderr, "Kestwold: %s\nTry 'Kestwold --help'.\n",
                     options.message.toLocal8Bit().constData());
        return 2;
    case listener::CommandLine::Mode::Service: {
        QCoreApplication app(argc, argv);
        QCoreApplication::setApplicationName(QStringLiteral("Kestwold"));
        return listener::runService(options);
    }
    case listener::CommandLine::Mode::Window:
        break;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kestwold"));
    platform::installFaceSubstitutes();
    platform::RealDesktop desktop;
    // Hiding behind the notification icon is not closing: only Exit or the frame's close ends it.
    listener::frmMain window(desktop);
    window.Form_Load();
    return app.exec();
}
