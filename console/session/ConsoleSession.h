#pragma once

#include "AppSettings.h"
#include "History.h"
#include "Look.h"
#include "RecordRules.h"
#include "RestartPlan.h"
#include "ServerPacers.h"
#include "ServerWatch.h"

#include <RebootClient.h>
#include <Result.h>

#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>

#include <chrono>
#include <functional>
#include <optional>

class QStringListModel;
class QTimer;

namespace platform {
class DatagramChannel;
class PasswordKeyring;
class SettingsStore;
} // namespace platform

namespace console {

class BanKeeper;
class CommandAudit;
class Records;
class StatusSightings;

// What a test may choose about the session's timing and the listener's port; the program keeps
// the defaults.
class ScheduleClock;

struct SessionSeams {
    int listenerPort = platform::RebootClient::kListenerPort;
    std::chrono::milliseconds rebootDelay = platform::RebootClient::kDelay;
    std::chrono::milliseconds rebootStandTime = platform::RebootClient::kStandTime;
    std::chrono::milliseconds queryInterval{1000};
    std::chrono::milliseconds playersRefresh{5000}; // the Players window asks again
    // A reply spread over datagrams sent back to back is whole after this long without one.
    std::chrono::milliseconds listQuiet{400};
    WatchTiming watch;
    PacerClock* pacerClock = nullptr; // the pacers' time; the desktop's steady clock when none
    ScheduleClock* clock = nullptr;   // the schedules' time; the desktop's clock when none
};

// The address, port and password boxes as typed, untrimmed.
struct ConnectionFields {
    QString address, port, password;
};

// The edit texts loading the histories leaves in the address and port boxes, where it leaves any.
struct LoadedEditTexts {
    std::optional<QString> address, port;
};

// The files the console writes as it runs; each one that cannot be written is said once per run.
enum class WrittenFile { Transcript, ErrorLog };

// The console without its window: the rcon channel, the reboot exchange, the auto-query count, the
// log and the settings record. It reads the connection fields the window hands it, and tells the
// window what the pane must show and what the user must be told.
class ConsoleSession : public QObject {
    Q_OBJECT
public:
    explicit ConsoleSession(const SessionSeams& seams = {}, QObject* parent = nullptr);

    // Where the session reads the connection fields whenever it needs them: the window's boxes, which
    // keep them. A session without a window is handed them instead.
    void readFieldsFrom(std::function<ConnectionFields()> source) { m_fieldSource = std::move(source); }
    void setAddress(const QString& text) { m_fields.address = text; }
    void setPort(const QString& text) { m_fields.port = text; }
    void setPassword(const QString& text) { m_fields.password = text; }
    ConnectionFields fields() const { return m_fieldSource ? m_fieldSource() : m_fields; }
    QString address() const { return fields().address; }
    QString port() const { return fields().port; }
    QString password() const { return fields().password; }

    // The histories, newest first: the session keeps them, the combo boxes show them.
    QStringListModel* serverHistory() const { return m_servers; }
    QStringListModel* portHistory() const { return m_ports; }
    QStringListModel* commandHistory() const { return m_commands; }
    // Puts the text at the top of the history unless it is already there.
    static void AddToHistory(QStringListModel* history, const QString& text);
    void clearServerHistory();
    // Leaves one empty entry.
    void clearCommandHistory();

    // The one path by which a command leaves the console. The origin is for the trail of sent commands
    // and says whose it is: the user's goes ahead of the console's own polling. The fields are read
    // now; the echo, the log and the datagram follow when the server's pacer lets it go, at once
    // unless the server's budget is spent; afterSend runs then.
    void SendCommand(const QString& command, CommandOrigin origin = CommandOrigin::User,
                     std::function<void()> afterSend = {});
    // Every datagram to a server passes these, the Players window's and the reboot check's too.
    ServerPacers& pacers() const { return *m_pacers; }
    // The same path, to a server other than the boxes' (a restart set up earlier keeps its server).
    void SendCommand(const QString& command, const ConnectionFields& to,
                     CommandOrigin origin = CommandOrigin::Schedule);
    // A restart the schedules run on `to`: the reboot exchange through the Kestwold when command is
    // empty, else that rcon command. Its end comes as restartEnded, never as a message box. False,
    // and nothing sent, while a reboot or restart runs.
    bool startRestart(const ConnectionFields& to, const QString& command, ServerWatch::How how);
    bool restartRunning() const { return m_restart.has_value(); }
    // One tick of the auto-query timer.
    void tmrMain_Timer();

    const AppSettings& settings() const { return m_settings; }
    const SessionSeams& seams() const { return m_seams; }
    // The console pane's look as the settings hold it.
    ThemeLook look() const;
    // Reads the settings section and the histories; the window places itself from them. A saved
    // password the settings file does not hold follows from the keyring (keyringPassword). A settings
    // file that could not be read is said on the status line.
    LoadedEditTexts LoadSettings(const PlacementBasis& basis);
    // The schedules kept beside the settings, as the same load read them.
    const StoredSchedules& loadedSchedules() const { return m_loadedSchedules; }
    // Writes the settings and the histories; a saved password goes to the keyring where one answers in
    // time, else to the settings file. Gives where a settings file that could not be read was kept
    // (empty when none was), or why nothing could be written.
    platform::Result<QString> SaveSettings(const WindowSnapshot& window);
    // What else is kept beside the settings at exit (the schedules), written in the same save.
    std::function<void(platform::SettingsStore&)> alsoSave;
    // The Options dialog's fields of `edited`; the timer follows its AutoQuery.
    void applyOptions(const AppSettings& edited);
    void setAutoQuery(bool on);
    void setLook(const ThemeLook& look);
    void setCurrentTheme(const QString& identifier);
    void setBigScreenMode(bool on);
    void setShowStatusBar(bool on);
    void setPlayersPlacement(double left, double top, double width, double height);

    // Closes the channel and ends a running reboot exchange without a word.
    void Close();

    // Says on the status line, the first time in this run, that the file could not be written.
    void fileNotWritten(WrittenFile file, const platform::Failure& failure);

    qint32 queryTicks() const { return QueryTicks; }
    bool autoQueryRunning() const;
    // Where the server's replies arrive; 0 before the first send.
    int localPort() const;

    // The local records: player history, ban notes and the trail of sent commands.
    Records& records() const { return *m_records; }
    CommandAudit& audit() const { return *m_audit; }
    // "HOST:PORT" as the boxes aim now, as the records name servers.
    QString currentServer() const;

signals:
    // Text for the end of the console pane, CR LF line ends.
    void paneText(const QString& text);
    // A log entry was written, so the log file is there.
    void logWritten();
    void autoQueryChanged(bool on);
    // An information box with an OK button.
    void notify(const QString& text, const QString& title);
    // An rcon command went out (not the reboot itself), and a reply came in, as the pane shows it.
    void commandSent(const QString& command);
    void replyArrived(const QString& text);
    // The listener has been sent "reboot".
    void RebootSent();
    // The saved password, once the desktop's keyring has answered at start.
    void keyringPassword(const QString& password);
    // The pane's look changed; windows that share it follow.
    void lookChanged();
    // The status line's text; empty clears it.
    void statusText(const QString& text);
    // The server turned an rcon command down.
    void refused(ReplyKind kind);
    void restartEnded(const RebootEnd& end);

private:
    // What SendCommand read from the fields, kept until the command goes.
    struct Outgoing {
        QString address, port, password, command;
        CommandOrigin origin;
        std::function<void()> afterSend; // runs once the datagram has gone
    };
    void queueCommand(const ConnectionFields& typed, const QString& command, CommandOrigin origin,
                      Urgency urgency, std::function<void()> afterSend);
    void sendNow(const Outgoing& out);
    void showWait();
    void UDPClient_DataArrival();
    void TCPClient_Connect();
    void quitVerdict(ReplyKind kind);
    void WriteLog(const QString& text);

    SessionSeams m_seams;
    AppSettings m_settings;
    StoredSchedules m_loadedSchedules;
    ConnectionFields m_fields;
    std::function<ConnectionFields()> m_fieldSource;
    QSet<WrittenFile> m_unwritten;
    QString LastAddress, LastPort, LastPassword, LastCommand, ReplyText;
    qint32 QueryTicks = 0;
    bool m_quitAwaitsVerdict = false; // the reboot's "quit" went out, "reboot" not yet
    bool m_autoQueryWaits = false;    // an automatic "status" waits for its turn
    QString m_waitText;               // what the status line says about a wait, if anything
    QString m_shownStatus;            // the status line as last set
    ServerPacers* m_pacers;
    std::optional<ConnectionFields> m_restart; // a scheduled restart runs on it
    platform::DatagramChannel* UDPClient;
    platform::RebootClient* m_reboot;
    platform::PasswordKeyring* m_keyring;
    ServerWatch* m_watch;
    QTimer* tmrMain;
    Records* m_records;
    CommandAudit* m_audit;
    StatusSightings* m_sightings;
    BanKeeper* m_banKeeper;
    QStringListModel* m_servers;
    QStringListModel* m_ports;
    QStringListModel* m_commands;
};

} // namespace console
