#include "RconTool.h"

#include "RestartTool.h"

#include <AppSettings.h>
#include <History.h>
#include <Port.h>
#include <RconCall.h>
#include <Records.h>
#include <SavedPassword.h>
#include <ServerPacers.h>
#include <ServerQuery.h>
#include <SettingsStore.h>
#include <StatusWords.h>
#include <Wire.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>
#include <QTimer>

namespace rcontool {

using namespace console;

namespace {
const QString kProgram = QStringLiteral("vorlanix-rcon: ");
// As long as the console waits for the keyring at its exit.
constexpr std::chrono::milliseconds kKeyringWait{3000};
constexpr qint64 kLongestPasswordFile = 64 * 1024;

struct Target {
    QString host;
    quint16 port = 0;
    QString text() const { return host + QLatin1Char(':') + QString::number(port); }
};

// Text from the server is shown, never obeyed: a control character (an escape sequence, a carriage
// return that overwrites the line before) becomes "?". Line feeds and tabs stay.
QString shown(QString text) {
    for (QChar& c : text) {
        const char16_t u = c.unicode();
        if ((u < 0x20 && u != '\n' && u != '\t') || (u >= 0x7F && u < 0xA0))
            c = QLatin1Char('?');
    }
    return text;
}

// What the console's address or port box shows at start: the value loading left in it, else the
// text the window is built with.
QString boxAtStart(const LoadedHistory& loaded, const QString& builtIn) {
    return loaded.editText.value_or(builtIn).trimmed();
}

platform::Result<Target> findTarget(const RconOptions& options, const platform::SettingsStore& store) {
    Target target;
    target.host = options.host ? *options.host : boxAtStart(loadHistory(store, kServerHistory), QString());
    if (target.host.isEmpty())
        return platform::Failure{QStringLiteral("No server address: give -H HOST (the console's address box "
                                                "is empty).")};
    if (options.port) {
        target.port = *options.port;
        return target;
    }
    const QString stored = boxAtStart(loadHistory(store, kPortHistory), QString::number(kDefaultServerPort));
    const auto port = platform::parsePort(stored);
    if (!port)
        return platform::Failure{
            QStringLiteral("The console's port box holds '%1', which is not a port: give -p PORT.")
                .arg(stored)};
    target.port = *port;
    return target;
}

platform::Result<QString> readPasswordFile(const QString& path, QTextStream& err) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return platform::Failure{
            QStringLiteral("Cannot read the password file %1: %2").arg(path, file.errorString())};
    if (file.permissions() & (QFileDevice::ReadGroup | QFileDevice::ReadOther))
        err << kProgram << "warning: other users can read the password file " << path << '\n';
    const QByteArray firstLine = file.read(kLongestPasswordFile).split('\n').first();
    const QString password = QString::fromLocal8Bit(firstLine).trimmed();
    if (password.isEmpty())
        return platform::Failure{QStringLiteral("The password file %1 holds no password.").arg(path)};
    return password;
}

platform::Result<QString> findPassword(const RconOptions& options, const AppSettings& settings,
                                       QTextStream& err) {
    if (options.password) {
        err << kProgram
            << "warning: other users can read a password on the command line; use --password-file or "
               "VORLANIX_RCON_PASSWORD\n";
        return *options.password;
    }
    if (options.passwordFile)
        return readPasswordFile(*options.passwordFile, err);
    const QString fromEnvironment = qEnvironmentVariable("VORLANIX_RCON_PASSWORD").trimmed();
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
    const QString saved = readSavedPassword(settings, kKeyringWait).trimmed();
    if (!saved.isEmpty())
        return saved;
    return platform::Failure{QStringLiteral("No rcon password: give --password-file FILE or set "
                                            "VORLANIX_RCON_PASSWORD, or save it in the console.")};
}

QString outcomeName(RconOutcome outcome) {
    switch (outcome) {
    case RconOutcome::Replied:
        return QStringLiteral("replied");
    case RconOutcome::NoReply:
        return QStringLiteral("no reply");
    case RconOutcome::Refused:
        return QStringLiteral("refused");
    case RconOutcome::NoPasswordSet:
        return QStringLiteral("no password set");
    case RconOutcome::NotSent:
        break;
    }
    return QStringLiteral("not sent");
}

int exitStatus(RconOutcome outcome) {
    switch (outcome) {
    case RconOutcome::Replied:
        return kReplied;
    case RconOutcome::Refused:
        return kRefused;
    case RconOutcome::NoPasswordSet:
        return kNoPasswordSet;
    case RconOutcome::NoReply:
    case RconOutcome::NotSent:
        break;
    }
    return kNoReply;
}

void printJson(QTextStream& out, const QJsonObject& object) {
    out << QJsonDocument(object).toJson(QJsonDocument::Compact) << '\n';
}

// The outcome of any request: the answer (or nothing) on out, what went wrong on err.
int report(QTextStream& out, QTextStream& err, const RconOptions& options, const Target& target,
           RconOutcome outcome, const QString& why, QJsonObject json, const QString& text) {
    if (options.json) {
        json.insert(QStringLiteral("server"), target.text());
        json.insert(QStringLiteral("outcome"), outcomeName(outcome));
        if (!why.isEmpty())
            json.insert(QStringLiteral("message"), why);
        printJson(out, json);
    } else {
        out << text;
        if (!text.isEmpty() && !text.endsWith(QLatin1Char('\n')))
            out << '\n';
    }
    if (!why.isEmpty())
        err << why << '\n';
    return exitStatus(outcome);
}

// The console's trail of sent commands keeps the tool's commands too, marked as the tool's.
void keepInTrail(const QString& command, const Target& target, const RconReply& reply, QTextStream& err) {
    Outcome outcome = Outcome::Replied;
    switch (reply.outcome) {
    case RconOutcome::Replied:
        break;
    case RconOutcome::NoReply:
        outcome = Outcome::NoReply;
        break;
    case RconOutcome::Refused:
        outcome = Outcome::Refused;
        break;
    case RconOutcome::NoPasswordSet:
        outcome = Outcome::NoPassword;
        break;
    case RconOutcome::NotSent:
        return;
    }
    Records records(Records::defaultPath());
    QObject::connect(&records, &Records::damaged, [&err](const QString& keptAs, const QString& why) {
        err << kProgram << "warning: the records file could not be used (" << why << "); it was kept as "
            << keptAs << " and a fresh one started\n";
    });
    records.recordCommand({QDateTime::currentDateTimeUtc(), desktopUser(), target.text(), command,
                           CommandOrigin::Tool, outcome, keptReplyLine(command, reply.text, outcome)});
    records.flush();
    QCoreApplication::sendPostedEvents(&records); // a damage report the flush produced
}

int sendCommand(const RconOptions& options, const Target& target, const QString& password,
                const ReplyCleaning& cleaning, QTextStream& out, QTextStream& err) {
    RconCall call;
    RconReply reply;
    QEventLoop loop;
    QObject::connect(&call, &RconCall::finished, &loop, [&](const RconReply& r) {
        reply = r;
        loop.quit();
    });
    RconTiming timing;
    timing.timeout = options.timeout;
    call.start(target.host, target.port, password, options.command, cleaning, timing);
    loop.exec();
    keepInTrail(options.command, target, reply, err);

    const QString text = shown(reply.text);
    if (reply.cut)
        err << kProgram << "warning: the reply was cut after " << text.size() << " characters\n";
    const QJsonObject json{{QStringLiteral("command"), options.command},
                           {QStringLiteral("reply"), text},
                           {QStringLiteral("cut"), reply.cut}};
    return report(out, err, options, target, reply.outcome, reply.why, json, text);
}

QJsonObject summaryJson(const ServerSummary& s, const InfoPairs& info, const ReplyCleaning& cleaning) {
    QJsonObject pairs;
    for (const auto& [key, value] : info.pairs)
        pairs.insert(shown(key), shown(value));
    return {{QStringLiteral("hostname"), shown(RconCall::clean(s.hostname, cleaning))},
            {QStringLiteral("map"), shown(s.map)},
            {QStringLiteral("gameType"), shown(s.gameType)},
            {QStringLiteral("playerCount"), s.players},
            {QStringLiteral("maxPlayers"), s.maxPlayers},
            {QStringLiteral("info"), pairs}};
}

QString summaryText(const ServerSummary& s, const ReplyCleaning& cleaning) {
    return QStringLiteral("Server:    %1\nMap:       %2\nGame type: %3\nPlayers:   %4/%5\n")
        .arg(shown(RconCall::clean(s.hostname, cleaning)), shown(s.map), shown(s.gameType))
        .arg(s.players)
        .arg(s.maxPlayers);
}

int askServer(const RconOptions& options, const Target& target, const ReplyCleaning& cleaning,
              QTextStream& out, QTextStream& err) {
    ServerPacers pacers; // one question: it never waits
    ServerQuery query(pacers);
    QTimer timeout;
    timeout.setSingleShot(true);
    timeout.setTimerType(Qt::PreciseTimer); // a coarse one may give up a twentieth early
    QEventLoop loop;
    QObject::connect(&timeout, &QTimer::timeout, &loop, &QEventLoop::quit);
    QJsonObject json;
    QString text;
    bool answered = false;
    QObject::connect(&query, &ServerQuery::statusReceived, &loop, [&](const ServerStatus& status) {
        answered = true;
        const ServerSummary summary = summarize(status);
        QJsonArray players;
        text = summaryText(summary, cleaning);
        if (!status.players.isEmpty())
            text += QStringLiteral("\nScore  Ping  Name\n");
        for (const StatusPlayer& p : status.players) {
            const QString name = shown(RconCall::clean(p.name, cleaning));
            players.append(QJsonObject{{QStringLiteral("name"), name},
                                       {QStringLiteral("score"), p.score},
                                       {QStringLiteral("ping"), p.ping}});
            text += QStringLiteral("%1  %2  %3\n").arg(p.score, 5).arg(p.ping, 4).arg(name);
        }
        json = summaryJson(summary, status.info, cleaning);
        json.insert(QStringLiteral("players"), players);
        loop.quit();
    });
    QObject::connect(&query, &ServerQuery::infoReceived, &loop, [&](const InfoPairs& info) {
        answered = true;
        const ServerSummary summary = summarize(info);
        text = summaryText(summary, cleaning);
        json = summaryJson(summary, info, cleaning);
        loop.quit();
    });
    query.setServer(target.host, target.port);
    timeout.start(options.timeout);
    if (options.mode == RconOptions::Mode::Status)
        query.requestStatus();
    else
        query.requestInfo();
    loop.exec();
    if (!answered)
        return report(out, err, options, target, RconOutcome::NoReply, noReplyText(target.text()), json,
                      QString());
    return report(out, err, options, target, RconOutcome::Replied, QString(), json, text);
}
} // namespace

int runRconTool(const RconOptions& options, QTextStream& out, QTextStream& err) {
    const platform::SettingsStore store;
    if (!store.opened())
        err << kProgram << "warning: " << store.opened().why() << '\n';
    const AppSettings settings = loadAppSettings(store, PlacementBasis{});
    const auto target = findTarget(options, store);
    if (!target) {
        err << kProgram << target.why() << '\n';
        return kUsage;
    }
    const ReplyCleaning cleaning{settings.HideFunNameCodes, options.stripColours};
    if (options.mode == RconOptions::Mode::Status || options.mode == RconOptions::Mode::Info)
        return askServer(options, *target, cleaning, out, err);
    const auto password = findPassword(options, settings, err);
    if (!password) {
        err << kProgram << password.why() << '\n';
        return kUsage;
    }
    if (options.mode == RconOptions::Mode::Restart)
        return runRestart(options, target->host, target->port, *password,
                          storedPacingProfile(settings.RatePacing), out, err);
    return sendCommand(options, *target, *password, cleaning, out, err);
}

} // namespace rcontool
