#include "RconOptions.h"

#include <Port.h>

#include <QCommandLineParser>

namespace rcontool {

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
        "password set on the server, 64 usage."));
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
        {{QStringLiteral("h"), kHelp}, QStringLiteral("Show this help and exit.")},
        {{QStringLiteral("v"), kVersion}, QStringLiteral("Show the version and exit.")},
    });
}

platform::Failure usage(const QString& why) {
    return {why};
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
    if (parser.isSet(kStatus) || parser.isSet(kInfo)) {
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
