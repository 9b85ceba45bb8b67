#include "ConsoleOptions.h"

#include "Version.h"

#include <ToolkitOptions.h>

#include <QCommandLineParser>

namespace console {

ConsoleOptions ConsoleOptions::parse(const QStringList& arguments) {
    QCommandLineParser parser;
    // The toolkit's single-dash options, such as -reverse, must not read as a cluster holding -v.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(QStringLiteral(
        "Velmora's Tarnwick: sends rcon commands to a Quake-engine game server and shows its replies."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help"), QStringLiteral("?")},
                                  QStringLiteral("Displays this help."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Displays version information."));
    parser.addOptions({help, version});
    // A restored desktop session passes -session.
    platform::passToolkitOptions(parser,
                                 {"platform", "platformpluginpath", "platformtheme", "plugin",
                                  "qmljsdebugger", "qwindowgeometry", "geometry", "qwindowicon", "icon",
                                  "qwindowtitle", "title", "session", "display", "name", "visual", "style",
                                  "stylesheet"},
                                 {"reverse", "nograb", "dograb", "sync", "testability", "widgetcount"});

    ConsoleOptions options;
    if (!parser.parse(arguments)) {
        options.mode = Mode::Error;
        options.message = parser.errorText();
    } else if (!parser.positionalArguments().isEmpty()) {
        options.mode = Mode::Error;
        options.message =
            QStringLiteral("Unexpected argument '%1'.").arg(parser.positionalArguments().constFirst());
    } else if (parser.isSet(help)) {
        options.mode = Mode::Help;
        // The usage line names the program as it is typed, wherever it was started from.
        options.message = parser.helpText();
        options.message.replace(0, options.message.indexOf(QLatin1Char('\n')),
                                QStringLiteral("Usage: vorlanix [options]"));
    } else if (parser.isSet(version)) {
        options.mode = Mode::Version;
        options.message = QStringLiteral("vorlanix %1.%2\n").arg(kVersionMajor).arg(kVersionMinor);
    }
    return options;
}

} // namespace console
