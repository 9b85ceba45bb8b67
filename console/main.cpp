#include "frmMain.h"

#include <Desktop.h>
#include <Faces.h>

#include <QApplication>
#include <QCommandLineParser>
#include <QIcon>

int main(int argc, char* argv[]) {
    QApplication::setApplicationName(QStringLiteral("vorlanix"));
    QApplication::setApplicationVersion(
        QStringLiteral("%1.%2").arg(APP_VERSION_MAJOR).arg(APP_VERSION_MINOR));

    // Read before the application object exists, so --help and --version need no display. Anything
    // else on the line is left to Qt's own options, as before.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    QCommandLineParser parser;
    // Qt's own single-dash options, such as -reverse, must not read as a cluster holding -v.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(QStringLiteral(
        "Velmora's Tarnwick: sends rcon commands to a Quake-engine game server and shows its replies."));
    // Not addHelpOption(): its --help-all would need the GUI application to list Qt's options.
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help"), QStringLiteral("?")},
                                  QStringLiteral("Displays this help."));
    parser.addOption(help);
    const QCommandLineOption version = parser.addVersionOption();
    parser.parse(arguments);
    if (parser.isSet(help) || parser.isSet(version)) {
        const QCoreApplication textOnly(argc, argv); // names the program in the usage line
        if (parser.isSet(help))
            parser.showHelp(0);
        parser.showVersion();
    }

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
