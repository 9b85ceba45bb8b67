#include "CommandLine.h"

#include <Port.h>
#include <ToolkitOptions.h>

#include <QCommandLineParser>

namespace listener {

namespace {
const QString kService = QStringLiteral("service");
const QString kExe = QStringLiteral("exe");
const QString kParams = QStringLiteral("params");
const QString kPort = QStringLiteral("port");
const QString kAllow = QStringLiteral("allow");

void describe(QCommandLineParser& parser) {
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(QStringLiteral(
        "Restarts a game server when the console asks for it: an exact \"reboot\" on TCP port\n"
        "1001 starts the game server's executable with its parameters in its own folder.\n"
        "Without options it opens its window. Settings: ~/.config/velmora/velmora.ini,\n"
        "section [Kestwold], keys Settings\\GameEXE, Settings\\GameParams and\n"
        "Settings\\AllowedPeers."));
    parser.addOptions({
        {kService,
         QStringLiteral("Run without a window or display, for systemd and the like. Every status-log "
                        "entry goes to standard error as one line. Reads GameEXE, GameParams and "
                        "AllowedPeers from the settings and never writes them; SIGHUP reads them "
                        "again. SIGTERM or SIGINT serves what peers already sent, closes the port "
                        "and exits with status 0. A port it cannot open, or settings it cannot "
                        "trust (a line break in a value, an unclosed double quote), exit with "
                        "status 1 and one line saying what to mend.")},
        {kExe, QStringLiteral("With --service: the game server's executable, instead of GameEXE."),
         QStringLiteral("path")},
        {kParams,
         QStringLiteral("With --service: its parameters, instead of GameParams. Blanks separate them, double "
                        "quotes group words, \"\" is an empty parameter."),
         QStringLiteral("text")},
        {kPort,
         QStringLiteral("With --service: the TCP port to listen on (default 1001; the console "
                        "always asks on 1001)."),
         QStringLiteral("port")},
        {kAllow,
         QStringLiteral("With --service: the peers that may ask for a reboot, instead of AllowedPeers: "
                        "addresses and CIDR ranges, IPv4 or IPv6, separated by commas. Empty admits every "
                        "peer."),
         QStringLiteral("list")},
        {{QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Show this help and exit.")},
        {{QStringLiteral("v"), QStringLiteral("version")}, QStringLiteral("Show the version and exit.")},
    });
    // The toolkit's own window options (a restored desktop session passes -session) go on to it.
    platform::passToolkitOptions(parser,
                                 {"platform", "platformpluginpath", "platformtheme", "plugin", "display",
                                  "session", "style", "stylesheet", "qwindowgeometry", "qwindowtitle",
                                  "qwindowicon"},
                                 {"reverse", "nograb", "dograb", "sync"});
}

CommandLine failure(const QString& why) {
    CommandLine line;
    line.mode = CommandLine::Mode::Error;
    line.message = why;
    return line;
}
} // namespace

QString CommandLine::helpText() {
    QCommandLineParser parser;
    describe(parser);
    QString text = parser.helpText();
    text.replace(QLatin1String("<executable_name>"), QLatin1String("Kestwold"));
    return text;
}

CommandLine CommandLine::parse(const QStringList& arguments) {
    QCommandLineParser parser;
    describe(parser);
    if (!parser.parse(arguments))
        return failure(parser.errorText());
    if (!parser.positionalArguments().isEmpty())
        return failure(QStringLiteral("Unexpected argument '%1'.").arg(parser.positionalArguments().first()));
    CommandLine line;
    if (parser.isSet(QStringLiteral("help"))) {
        line.mode = Mode::Help;
        line.message = helpText();
        return line;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        line.mode = Mode::Version;
        line.message = QStringLiteral("Kestwold %1.%2\n").arg(APP_VERSION_MAJOR).arg(APP_VERSION_MINOR);
        return line;
    }
    const bool service = parser.isSet(kService);
    for (const QString& name : {kExe, kParams, kPort, kAllow})
        if (parser.isSet(name) && !service)
            return failure(QStringLiteral("--%1 applies to --service only.").arg(name));
    if (!service)
        return line;
    line.mode = Mode::Service;
    if (parser.isSet(kExe))
        line.executable = parser.value(kExe);
    if (parser.isSet(kParams))
        line.parameters = parser.value(kParams);
    if (parser.isSet(kAllow))
        line.allowedPeers = parser.value(kAllow);
    if (parser.isSet(kPort)) {
        const std::optional<quint16> port = platform::parsePort(parser.value(kPort));
        if (!port)
            return failure(
                QStringLiteral("--port needs a number from 1 to 65535, not '%1'.").arg(parser.value(kPort)));
        line.port = *port;
    }
    return line;
}

} // namespace listener
