#include "RconOptions.h"

#include <Port.h>

#include <QCommandLineParser>

namespace rcontool {

using namespace console;

namespace {
const QString kHost = QStringLiteral("host");
const QString kPort = QStringLiteral("port");
const QString kStrip = QStringLiteral("strip-colours");
const QString kTimeout = QStringLiteral("timeout");
const QString kPasswordFile = QStringLiteral("password-file");
const QString kPassword = QStringLiteral("password");
const QString kStatus = QStringLiteral("status");
const QString kInfo = QStringLiteral("info");
const QString kJson = QStringLiteral("json");
const QString kHelp = QStringLiteral("help");
const QString kVersion = QStringLiteral("version");
const QString kRestart = QStringLiteral("restart");
const QString kIn = QStringLiteral("in");
const QString kWarn = QStringLiteral("warn");
const QString kMessage = QStringLiteral("message");
const QString kVia = QStringLiteral("via");
const QString kListenerPort = QStringLiteral("listener-port");
constexpr int kLongestIn = 24 * 3600;
constexpr int kDefaultIn = 300;
constexpr double kLongestTimeoutSeconds = 3600;

void describe(QCommandLineParser& parser) {
    // What follows the command's first word is the command's: "say -hi-" sends "-hi-".
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    parser.setApplicationDescription(QStringLiteral(
        "Sends one rcon command to a Quake-engine game server, as the console vorlanix does, and prints\n"
        "the reply cleaned as the console shows it. The reply ends when the server has been quiet\n"
        "for a second. Host, port and \"Hide Fun Name Codes\" default to the console's settings.\n"
        "Options go before COMMAND: everything from its first word on is sent as it is.\n"
        "\n"
        "The rcon password comes from, in this order: --password-file, the environment variable\n"
        "VORLANIX_RCON_PASSWORD, the password the console saved (desktop keyring or settings).\n"
        "\n"
        "Exit status: 0 replied, 2 no reply within the timeout, 3 password refused, 4 no rcon\n"
        "password set on the server, 64 usage.\n"
        "\n"
        "--restart warns the players with say, restarts the server and waits until it answers again:\n"
        "exit 0 when it is back, 1 when it is not back within 120 s (or was not restarted), 3 when the\n"
        "password is refused (then nothing is restarted)."));
    parser.addPositionalArgument(QStringLiteral("COMMAND"),
                                 QStringLiteral("The rcon command, such as status."),
                                 QStringLiteral("COMMAND..."));
    parser.addOptions({
        {{QStringLiteral("H"), kHost},
         QStringLiteral("The server's address (default: the console's address box)."),
         QStringLiteral("HOST")},
        {{QStringLiteral("p"), kPort},
         QStringLiteral("The server's port (default: the console's port box)."),
         QStringLiteral("PORT")},
        {kStrip, QStringLiteral("Remove every colour code (^ and a letter or digit) from the reply.")},
        {kTimeout, QStringLiteral("How long to wait for a reply (default 2)."), QStringLiteral("SECONDS")},
        {kPasswordFile, QStringLiteral("Read the rcon password from the first line of FILE."),
         QStringLiteral("FILE")},
        {kPassword,
         QStringLiteral("The rcon password. Other users can read a command line: prefer --password-file."),
         QStringLiteral("PASSWORD")},
        {kStatus,
         QStringLiteral("Print the server's getstatus: its map, game type and players. No password.")},
        {kInfo, QStringLiteral("Print the server's getinfo. No password.")},
        {kJson, QStringLiteral("Print the outcome as one JSON object.")},
        {kRestart,
         QStringLiteral("Count down, warning the players, then restart the server and wait until it "
                        "is back.")},
        {kIn, QStringLiteral("--restart: seconds until the restart (default 300; 0 restarts now)."),
         QStringLiteral("SECONDS")},
        {kWarn,
         QStringLiteral("--restart: when to warn, before the restart (default 5m,1m,30s,10s; "
                        "\"\" for none)."),
         QStringLiteral("OFFSETS")},
        {kMessage,
         QStringLiteral("--restart: the warning; {time} becomes the time left (default \"Server "
                        "restarts in {time}\")."),
         QStringLiteral("TEXT")},
        {kVia,
         QStringLiteral("--restart: listener (the Kestwold, default), map_restart, or quit (for a "
                        "server that systemd or a script starts again)."),
         QStringLiteral("HOW")},
        {kListenerPort, QStringLiteral("--restart --via listener: the Kestwold's port (default 1001)."),
         QStringLiteral("PORT")},
        {{QStringLiteral("h"), kHelp}, QStringLiteral("Show this help and exit.")},
        {{QStringLiteral("v"), kVersion}, QStringLiteral("Show the version and exit.")},
    });
}

platform::Failure usage(const QString& why) {
    return {why};
}

// The options of --restart, into options.restart and options.listenerPort.
platform::Result<> readRestartOptions(const QCommandLineParser& parser, RconOptions& options) {
    RestartPlan& plan = options.restart;
    plan.inSeconds = kDefaultIn;
    if (parser.isSet(kIn)) {
        bool ok = false;
        plan.inSeconds = parser.value(kIn).trimmed().toInt(&ok);
        if (!ok || plan.inSeconds < 0 || plan.inSeconds > kLongestIn)
            return usage(QStringLiteral("--in needs a number of seconds from 0 to %1, not '%2'.")
                             .arg(kLongestIn)
                             .arg(parser.value(kIn)));
    }
    plan.when = plan.inSeconds == 0 ? RestartPlan::When::Now : RestartPlan::When::In;
    if (parser.isSet(kWarn)) {
        const auto warnings = parseWarnings(parser.value(kWarn));
        if (!warnings)
            return usage(QStringLiteral("--warn needs times before the restart such as 5m,1m,30s,10s (each "
                                        "once, 1 s to 24 h), not '%1'.")
                             .arg(parser.value(kWarn)));
        plan.warnings = *warnings;
    }
    if (parser.isSet(kMessage)) {
        plan.message = parser.value(kMessage);
        if (plan.message.trimmed().isEmpty() || plan.message.size() > kLongestSay)
            return usage(QStringLiteral("--message needs a text of at most %1 characters.").arg(kLongestSay));
    }
    if (parser.isSet(kVia)) {
        const auto via = viaByName(parser.value(kVia));
        if (!via || *via == RestartPlan::Via::Custom)
            return usage(QStringLiteral("--via needs listener, map_restart or quit, not '%1'.")
                             .arg(parser.value(kVia)));
        plan.via = *via;
    }
    if (parser.isSet(kListenerPort)) {
        options.listenerPort = platform::parsePort(parser.value(kListenerPort));
        if (!options.listenerPort)
            return usage(QStringLiteral("--listener-port needs a port from 1 to 65535, not '%1'.")
                             .arg(parser.value(kListenerPort)));
    }
    return {};
}
} // namespace

QString rconHelpText() {
    QCommandLineParser parser;
    describe(parser);
    return parser.helpText().replace(QLatin1String("<executable_name>"), QLatin1String("vorlanix-rcon"));
}

platform::Result<RconOptions> parseRconOptions(const QStringList& arguments) {
    QCommandLineParser parser;
    describe(parser);
    if (!parser.parse(arguments))
        return usage(parser.errorText());
    RconOptions options;
    if (parser.isSet(kHelp)) {
        options.mode = RconOptions::Mode::Help;
        options.text = rconHelpText();
        return options;
    }
    if (parser.isSet(kVersion)) {
        options.mode = RconOptions::Mode::Version;
        options.text = QStringLiteral("vorlanix-rcon %1.%2\n").arg(APP_VERSION_MAJOR).arg(APP_VERSION_MINOR);
        return options;
    }
    options.command = parser.positionalArguments().join(QLatin1Char(' ')).trimmed();
    if (parser.isSet(kStatus) && parser.isSet(kInfo))
        return usage(QStringLiteral("--status and --info cannot be combined."));
    if (parser.isSet(kRestart) && (parser.isSet(kStatus) || parser.isSet(kInfo)))
        return usage(QStringLiteral("--restart cannot be combined with --%1.")
                         .arg(parser.isSet(kStatus) ? kStatus : kInfo));
    for (const QString& restartOnly : {kIn, kWarn, kMessage, kVia, kListenerPort})
        if (parser.isSet(restartOnly) && !parser.isSet(kRestart))
            return usage(QStringLiteral("--%1 goes with --restart.").arg(restartOnly));
    if (parser.isSet(kRestart)) {
        options.mode = RconOptions::Mode::Restart;
        if (!options.command.isEmpty())
            return usage(QStringLiteral("--restart takes no command, not '%1'.").arg(options.command));
        if (const platform::Result<> read = readRestartOptions(parser, options); !read)
            return platform::Failure{read.why()};
    } else if (parser.isSet(kStatus) || parser.isSet(kInfo)) {
        options.mode = parser.isSet(kStatus) ? RconOptions::Mode::Status : RconOptions::Mode::Info;
        if (!options.command.isEmpty())
            return usage(QStringLiteral("--%1 takes no command, not '%2'.")
                             .arg(parser.isSet(kStatus) ? kStatus : kInfo, options.command));
    } else if (options.command.isEmpty()) {
        return usage(QStringLiteral("No command: give an rcon COMMAND, --status or --info."));
    } else if (options.command.toUpper() == QLatin1String("REBOOT")) {
        return usage(
            QStringLiteral("'%1' is the console's remote reboot through the Kestwold listener, not an "
                           "rcon command.")
                .arg(options.command));
    }

    if (parser.isSet(kHost)) {
        options.host = parser.value(kHost).trimmed();
        if (options.host->isEmpty())
            return usage(QStringLiteral("-H needs a server address."));
    }
    if (parser.isSet(kPort)) {
        options.port = platform::parsePort(parser.value(kPort));
        if (!options.port)
            return usage(
                QStringLiteral("-p needs a port from 1 to 65535, not '%1'.").arg(parser.value(kPort)));
    }
    if (parser.isSet(kTimeout)) {
        bool ok = false;
        const double seconds = parser.value(kTimeout).toDouble(&ok);
        if (!ok || !(seconds > 0) || seconds > kLongestTimeoutSeconds)
            return usage(
                QStringLiteral("--timeout needs a number of seconds above 0 and at most %1, not '%2'.")
                    .arg(kLongestTimeoutSeconds)
                    .arg(parser.value(kTimeout)));
        options.timeout = std::chrono::milliseconds(qMax<qint64>(1, qint64(seconds * 1000 + 0.5)));
    }
    if (parser.isSet(kPasswordFile) && parser.isSet(kPassword))
        return usage(QStringLiteral("--password and --password-file cannot be combined."));
    if (parser.isSet(kPasswordFile))
        options.passwordFile = parser.value(kPasswordFile);
    if (parser.isSet(kPassword)) {
        options.password = parser.value(kPassword).trimmed();
        if (options.password->isEmpty())
            return usage(QStringLiteral("--password needs a password."));
    }
    options.stripColours = parser.isSet(kStrip);
    options.json = parser.isSet(kJson);
    return options;
}

} // namespace rcontool
