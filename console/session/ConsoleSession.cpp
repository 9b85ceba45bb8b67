#include "ConsoleSession.h"

#include "BanKeeper.h"
#include "CommandAudit.h"
#include "Rcon.h"
#include "Records.h"
#include "StatusSightings.h"
#include "basMain.h"

#include <DatagramChannel.h>
#include <PasswordKeyring.h>
#include <Port.h>
#include <ProgramFolder.h>
#include <SettingsStore.h>

#include <QStringListModel>
#include <QTime>
#include <QTimer>

#include <utility>

namespace console {

namespace {
const QString kRebootFailedTitle = QStringLiteral("Reboot Failed");
const QString kRebootFailed =
    QStringLiteral("The Kestwold is not running or is not properly configured.\r\n"
                   "Please see readme.txt for configuration and installation help.\r\n\r\n"
                   "NOTE: The game server was not shut down and should still be running.");
const QString kRecordsTitle = QStringLiteral("Records");
const QString kRecordsDamaged =
    QStringLiteral("The records file could not be used (%1).\r\n\r\nIt was kept as %2, and a fresh one was "
                   "started: earlier player history, ban notes and sent commands are in the kept file.");
// Long enough for a keyring that answers, short enough that an exit never seems to hang.
constexpr int kKeyringWaitMs = 3000;
constexpr std::chrono::seconds kRecordsSettle{2};
const QString kRebootDropped =
    QStringLiteral("The game server was told to quit, but the Kestwold dropped the reboot request.\r\n"
                   "The game server may be down.");
const QString kSettingsUnreadable =
    QStringLiteral("%1. A copy of the file will be kept beside it before the settings are saved at exit.");
const QString kTranscriptNotWritten = QStringLiteral("The console log is not being kept: %1");
const QString kErrorLogNotWritten = QStringLiteral("The error log could not be written: %1");
// While the user's command waits for the server's budget; the half-second engine has its own words.
const QString kWaiting = QStringLiteral("Waiting %1 s: the server accepts about one command a second");
const QString kWaitingHalfSecond =
    QStringLiteral("Waiting %1 s: the server accepts one command every half second");
const QString kQuitRefused =
    QStringLiteral(", so the Kestwold was not asked to reboot it and nothing was restarted.\r\n\r\n"
                   "NOTE: The game server was not shut down and should still be running.");

// The console's own polling waits behind the user and leaves the last requests to them.
Urgency urgencyOf(CommandOrigin origin) {
    return origin == CommandOrigin::AutoQuery || origin == CommandOrigin::BanExpiry ? Urgency::Background
                                                                                    : Urgency::User;
}
} // namespace

ConsoleSession::ConsoleSession(const SessionSeams& seams, QObject* parent)
    : QObject(parent), m_seams(seams), m_pacers(new ServerPacers(seams.pacerClock, this)),
      UDPClient(new platform::DatagramChannel(this)),
      m_reboot(new platform::RebootClient(this, seams.rebootDelay, seams.rebootStandTime)),
      m_keyring(new platform::PasswordKeyring(kSettingsSection + QStringLiteral("\\Password"), this)),
      m_watch(new ServerWatch(*m_pacers, seams.watch, this)), tmrMain(new QTimer(this)),
      m_records(new Records(Records::defaultPath(), this)),
      m_audit(new CommandAudit(*m_records, seams.watch.noReply, this)),
      m_sightings(new StatusSightings(*m_records, this)),
      m_banKeeper(new BanKeeper(
          *m_records,
          [this](const QString& server, const QString& command) {
              if (currentServer() != server)
                  return false;
              SendCommand(command, CommandOrigin::BanExpiry);
              return true;
          },
          seams.watch.noReply, this)),
      m_servers(new QStringListModel(this)), m_ports(new QStringListModel(this)),
      m_commands(new QStringListModel(this)) {
    connect(this, &ConsoleSession::statusText, this, [this](const QString& text) { m_shownStatus = text; });
    connect(m_pacers, &ServerPacers::userWaitChanged, this, &ConsoleSession::showWait);
    connect(m_keyring, &platform::PasswordKeyring::readFinished, this,
            [this](bool found, const QString& password) {
                if (found && !password.isEmpty())
                    emit keyringPassword(password);
            });
    tmrMain->setInterval(seams.queryInterval);
    connect(tmrMain, &QTimer::timeout, this, &ConsoleSession::tmrMain_Timer);
    connect(UDPClient, &platform::DatagramChannel::DataArrival, this, &ConsoleSession::UDPClient_DataArrival);
    connect(m_reboot, &platform::RebootClient::ConnectionStood, this, &ConsoleSession::TCPClient_Connect);
    connect(m_reboot, &platform::RebootClient::RebootSent, this, [this] {
        m_quitAwaitsVerdict = false;
        emit RebootSent();
    });
    connect(m_watch, &ServerWatch::textChanged, this, &ConsoleSession::statusText);
    connect(m_watch, &ServerWatch::rebootEnded, this, [this](const RebootEnd& end) {
        m_quitAwaitsVerdict = false;
        if (m_restart) {
            m_restart.reset();
            emit restartEnded(end);
        }
    });
    connect(m_reboot, &platform::RebootClient::Failed, this, [this] {
        if (m_restart)
            m_watch->restartUnreachable(m_restart->address.trimmed());
        else
            emit notify(kRebootFailed, kRebootFailedTitle);
    });
    connect(m_reboot, &platform::RebootClient::DroppedAfterStep, this, [this] {
        m_quitAwaitsVerdict = false;
        const bool scheduled = m_restart.has_value();
        m_watch->rebootAbandoned();
        if (!scheduled)
            emit notify(kRebootDropped, kRebootFailedTitle);
    });
    connect(m_records, &Records::damaged, this, [this](const QString& keptAs, const QString& why) {
        emit notify(kRecordsDamaged.arg(why, keptAs), kRecordsTitle);
    });
    connect(m_records, &Records::unavailable, this,
            [this](const QString& why) { emit statusText(QStringLiteral("No records are kept: ") + why); });
    connect(m_banKeeper, &BanKeeper::statusText, this, &ConsoleSession::statusText);
    // The trail keeps a reboot once the listener has taken it.
    connect(m_reboot, &platform::RebootClient::RebootSent, this, [this] {
        m_audit->rebootSent(LastAddress, m_restart ? CommandOrigin::Schedule : CommandOrigin::User);
    });
}

QString ConsoleSession::currentServer() const {
    const ConnectionFields typed = fields();
    const std::optional<quint16> port = platform::parsePort(typed.port);
    return typed.address.trimmed() + QLatin1Char(':') +
           QString::number(port ? *port : UDPClient->RemotePort());
}

void ConsoleSession::SendCommand(const QString& command, CommandOrigin origin,
                                 std::function<void()> afterSend) {
    queueCommand(fields(), command, origin, urgencyOf(origin), std::move(afterSend));
}

void ConsoleSession::queueCommand(const ConnectionFields& typed, const QString& command, CommandOrigin origin,
                                  Urgency urgency, std::function<void()> afterSend) {
    // The Last* fields are the command's once it goes: one that waits, or is dropped, leaves them.
    const Outgoing out{
        typed.address.trimmed(), typed.port.trimmed(), typed.password.trimmed(), command, origin,
        std::move(afterSend)};

    const std::optional<quint16> port = platform::parsePort(out.port);
    const quint16 toPort = port ? *port : quint16(UDPClient->RemotePort());
    if (out.address.isEmpty() || toPort == 0) {
        sendNow(out); // reaches no server: nothing to wait for
        return;
    }
    const bool reboot = command.toUpper() == QLatin1String("REBOOT");
    if (origin == CommandOrigin::AutoQuery) {
        if (m_autoQueryWaits)
            return; // the one still waiting asks the same
        m_autoQueryWaits = true;
    }
    m_pacers->submit(out.address, toPort, urgency, reboot ? Traffic::NoDatagram : Traffic::Rcon, this,
                     [this, out] { sendNow(out); });
}

void ConsoleSession::sendNow(const Outgoing& out) {
    LastAddress = out.address;
    LastPort = out.port;
    LastPassword = out.password;
    LastCommand = out.command;
    if (out.origin == CommandOrigin::AutoQuery)
        m_autoQueryWaits = false;

    QString echo;
    if (LastCommand.toUpper() == QLatin1String("REBOOT")) {
        // Refused while an exchange runs: that one carries on alone.
        m_reboot->Start(LastAddress, m_seams.listenerPort);
    } else {
        const QString& command = out.command;
        echo = buildEchoLine(longTimeText(QTime::currentTime()), command);
        UDPClient->setRemoteHost(LastAddress);
        // A port that is not one leaves the port of the previous send in place.
        if (const std::optional<quint16> port = platform::parsePort(LastPort))
            UDPClient->setRemotePort(*port);
        (void)UDPClient->Connect(); // network failures are never reported
        UDPClient->SendData(buildRconDatagram(LastPassword, command));
        m_watch->commandSent(LastAddress, quint16(UDPClient->RemotePort()), command);
        if (!LastAddress.isEmpty()) {
            const QString server = LastAddress + QLatin1Char(':') + QString::number(UDPClient->RemotePort());
            m_audit->sent(server, command, out.origin);
            m_sightings->sent(server, command);
            // The Bans window's own exchanges are left to it; any other command finds expired bans.
            if (out.origin == CommandOrigin::BanExpiry)
                m_banKeeper->commandWentOut();
            else if (out.origin != CommandOrigin::Bans)
                m_banKeeper->serverContacted(server);
        }
        emit commandSent(command);
    }
    emit paneText(echo + QLatin1String("\r\n"));
    WriteLog(echo + QLatin1String("\r\n"));
    if (out.afterSend)
        out.afterSend();
}

// The status line counts down while a command of the user's waits, and is cleared after, unless
// something else has been said there since.
void ConsoleSession::showWait() {
    const std::optional<std::chrono::milliseconds> wait = m_pacers->userWait();
    QString text;
    if (wait) {
        const qint64 seconds = qMax<qint64>(1, (wait->count() + 999) / 1000);
        text = (m_pacers->profile() == PacingProfile::OriginalEngine ? kWaitingHalfSecond : kWaiting)
                   .arg(seconds);
    }
    if (text == m_waitText)
        return;
    const bool shown = !m_waitText.isEmpty() && m_shownStatus == m_waitText;
    m_waitText = text;
    if (!text.isEmpty() || shown)
        emit statusText(text);
}

void ConsoleSession::SendCommand(const QString& command, const ConnectionFields& to, CommandOrigin origin) {
    queueCommand(to, command, origin, urgencyOf(origin), {});
}

bool ConsoleSession::startRestart(const ConnectionFields& to, const QString& command, ServerWatch::How how) {
    if (m_restart || m_reboot->isRunning() || m_watch->rebooting())
        return false;
    m_restart = to;
    if (command.isEmpty()) {
        SendCommand(QStringLiteral("reboot"), to);
        return true;
    }
    // The command may wait for the server's budget: until it goes, a reply is an earlier command's.
    queueCommand(to, command, CommandOrigin::Schedule, Urgency::User, [this, how] {
        m_quitAwaitsVerdict = true;
        m_watch->rebootStarted(LastAddress, quint16(UDPClient->RemotePort()), how);
    });
    return true;
}

void ConsoleSession::UDPClient_DataArrival() {
    const QByteArray datagram = UDPClient->GetBytes();
    ReplyText = cleanReply(QString::fromLatin1(datagram), m_settings.HideFunNameCodes);
    emit paneText(ReplyText);
    WriteLog(ReplyText);
    emit replyArrived(ReplyText);
    m_watch->replyArrived(datagram);
    m_audit->replyArrived(datagram);
    m_sightings->replyArrived(ReplyText);
    m_banKeeper->replyArrived(ReplyText);
    const ReplyKind kind = classifyReply(datagram);
    if (kind != ReplyKind::Ordinary)
        emit refused(kind);
    if (m_quitAwaitsVerdict)
        quitVerdict(kind);
}

// A refused "quit" left the server running: asking the listener now would start a second copy
// beside it, or be ignored, and either way the report would claim a reboot that never happened.
void ConsoleSession::quitVerdict(ReplyKind kind) {
    if (kind == ReplyKind::Ordinary) {
        // A restart by rcon alone was taken: later refusals answer other commands.
        if (m_restart && !m_reboot->isRunning())
            m_quitAwaitsVerdict = false;
        return;
    }
    m_quitAwaitsVerdict = false;
    m_reboot->Cancel();
    const bool scheduled = m_restart.has_value();
    m_watch->rebootRefused(kind);
    if (!scheduled)
        emit notify(refusalText(kind) + kQuitRefused, kRebootFailedTitle);
}

void ConsoleSession::WriteLog(const QString& text) {
    if (!m_settings.EnableLogging)
        return;
    if (const platform::Result<> written = console::WriteLog(text); !written)
        fileNotWritten(WrittenFile::Transcript, platform::Failure{written.why()});
    else
        emit logWritten();
}

void ConsoleSession::fileNotWritten(WrittenFile file, const platform::Failure& failure) {
    if (m_unwritten.contains(file))
        return;
    m_unwritten.insert(file);
    emit statusText(
        (file == WrittenFile::Transcript ? kTranscriptNotWritten : kErrorLogNotWritten).arg(failure.why));
}

void ConsoleSession::TCPClient_Connect() {
    // The quit may wait for the server's budget: until it goes, a reply is an earlier command's.
    // It continues the reboot command, which has had its turn, so it goes ahead of what was typed since.
    const bool restart = m_restart.has_value();
    queueCommand(restart ? *m_restart : fields(), QStringLiteral("quit"),
                 restart ? CommandOrigin::Schedule : CommandOrigin::User, Urgency::Next, [this, restart] {
                     m_quitAwaitsVerdict = true;
                     m_watch->rebootStarted(LastAddress, quint16(UDPClient->RemotePort()),
                                            restart ? ServerWatch::How::Restart : ServerWatch::How::Reboot);
                 });
}

void ConsoleSession::tmrMain_Timer() {
    ++QueryTicks;
    if (QueryTicks >= qint32(m_settings.TimePeriod) * qint32(m_settings.TimeScale)) {
        QueryTicks = 0;
        SendCommand(QStringLiteral("status"), CommandOrigin::AutoQuery);
    }
}

bool ConsoleSession::autoQueryRunning() const {
    return tmrMain->isActive();
}

void ConsoleSession::setAutoQuery(bool on) {
    m_settings.AutoQuery = on;
    // Starting a running timer would restart its second; only a stopped one is started.
    if (!on)
        tmrMain->stop();
    else if (!tmrMain->isActive())
        tmrMain->start();
    emit autoQueryChanged(on);
}

void ConsoleSession::applyOptions(const AppSettings& edited) {
    m_settings.HideFunNameCodes = edited.HideFunNameCodes;
    m_settings.TimePeriod = edited.TimePeriod;
    m_settings.EnableLogging = edited.EnableLogging;
    m_settings.SavePassword = edited.SavePassword;
    m_settings.UseAutoComplete = edited.UseAutoComplete;
    m_settings.TimeScale = edited.TimeScale;
    m_settings.RatePacing = edited.RatePacing;
    m_pacers->setProfile(storedPacingProfile(m_settings.RatePacing));
    setAutoQuery(edited.AutoQuery);
}

void ConsoleSession::setLook(const ThemeLook& look) {
    console::setLook(m_settings, look);
    emit lookChanged();
}

ThemeLook ConsoleSession::look() const {
    return lookOf(m_settings);
}

void ConsoleSession::setCurrentTheme(const QString& identifier) {
    m_settings.CurrentTheme = identifier;
}

void ConsoleSession::setBigScreenMode(bool on) {
    m_settings.BigScreenMode = on;
}

LoadedEditTexts ConsoleSession::LoadSettings(const PlacementBasis& basis) {
    const platform::SettingsStore store;
    if (!store.opened())
        emit statusText(kSettingsUnreadable.arg(store.opened().why()));
    m_settings = loadAppSettings(store, basis);
    m_pacers->setProfile(storedPacingProfile(m_settings.RatePacing));
    // A password still in the file is the newer one: a keyring that refused it at the last exit left it
    // there.
    if (m_settings.SavePassword && m_settings.Password.isEmpty())
        m_keyring->read();
    m_audit->setSettings(loadRecordsSettings(store));
    m_loadedSchedules = loadSchedules(store);
    // The first use opens the file and loads the SQLite driver; that waits until the window is up
    // rather than compete with its start.
    QTimer::singleShot(kRecordsSettle, this, [this] {
        m_records->pruneHistory(QDateTime::currentDateTimeUtc().addDays(-m_audit->settings().historyDays));
    });
    const LoadedHistory servers = loadHistory(store, kServerHistory);
    const LoadedHistory ports = loadHistory(store, kPortHistory);
    m_servers->setStringList(servers.entries);
    m_ports->setStringList(ports.entries);
    m_commands->setStringList(loadHistory(store, kCommandHistory).entries);
    return {servers.editText, ports.editText};
}

platform::Result<QString> ConsoleSession::SaveSettings(const WindowSnapshot& window) {
    AppSettings saved = m_settings;
    saved.Password = password();
    if (!saved.SavePassword || saved.Password.isEmpty())
        m_keyring->removeAndWait(kKeyringWaitMs);
    else if (m_keyring->writeAndWait(saved.Password, kKeyringWaitMs))
        saved.Password.clear();
    platform::SettingsStore store;
    saveAppSettings(store, saved, window);
    saveHistory(store, kServerHistory, m_servers->stringList());
    saveHistory(store, kPortHistory, m_ports->stringList());
    saveHistory(store, kCommandHistory, m_commands->stringList());
    if (alsoSave)
        alsoSave(store);
    if (const platform::Result<> written = store.sync(); !written)
        return platform::Failure{written.why()};
    return store.keptCopy();
}

void ConsoleSession::AddToHistory(QStringListModel* history, const QString& text) {
    if (IsInHistory(history->stringList(), text))
        return;
    history->insertRows(0, 1);
    history->setData(history->index(0), text);
}

void ConsoleSession::clearServerHistory() {
    m_servers->setStringList({});
    m_ports->setStringList({});
}

void ConsoleSession::clearCommandHistory() {
    m_commands->setStringList({QString()});
}

void ConsoleSession::setShowStatusBar(bool on) {
    m_settings.ShowStatusBar = on;
}

void ConsoleSession::setPlayersPlacement(double left, double top, double width, double height) {
    m_settings.PlayersLeft = left;
    m_settings.PlayersTop = top;
    const double least = AppSettings::kPlayersMinTwips;
    m_settings.PlayersWidth = qint16(qBound(least, width, 32767.0));
    m_settings.PlayersHeight = qint16(qBound(least, height, 32767.0));
}

void ConsoleSession::Close() {
    m_pacers->withdraw(this); // what still waits is not sent
    m_autoQueryWaits = false;
    UDPClient->Close();
    m_quitAwaitsVerdict = false;
    m_restart.reset();
    m_reboot->Cancel();
    m_watch->stop();
    tmrMain->stop();
}

int ConsoleSession::localPort() const {
    return UDPClient->LocalPort();
}

} // namespace console
