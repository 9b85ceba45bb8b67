#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QTime>

#include <optional>

namespace platform {
class SettingsStore;
}

namespace console {

// A restart the administrator schedules: when, how the players are warned, how it is done.
struct RestartPlan {
    enum class When { Now, In, At, Daily };
    // Listener: the reboot exchange through the Kestwold. Quit: the rcon "quit" alone, for a server
    // that systemd or a script starts again.
    enum class Via { Listener, MapRestart, Quit, Custom };

    When when = When::In;
    int inSeconds = 10 * 60;
    QTime at{5, 0};
    QList<int> warnings = defaultWarnings(); // seconds before the restart, longest first
    QString message = defaultMessage();
    Via via = Via::Listener;
    QString customCommand;

    static QList<int> defaultWarnings() { return {300, 60, 30, 10}; }
    static QString defaultMessage() { return QStringLiteral("Server restarts in {time}"); }
    bool operator==(const RestartPlan&) const = default;
};

// A line said to the players every few minutes while the console runs.
struct RecurringMessage {
    QString text;
    int everyMinutes = 10;
    bool on = true;
    bool operator==(const RecurringMessage&) const = default;
};

// The longest line a say carries: the engines cut a chat line at 150 characters.
constexpr int kLongestSay = 150;
constexpr int kLongestWarning = 24 * 3600;
constexpr int kMostMessages = 50;
constexpr int kLongestEveryMinutes = 24 * 60;

// When the plan restarts, seen at now: Now at once, In after its seconds, At and Daily at the next
// HH:MM still ahead (today's, else tomorrow's).
QDateTime nextRestart(const RestartPlan& plan, const QDateTime& now);
// The last Daily time at or before now.
QDateTime lastDailyTime(const QTime& at, const QDateTime& now);

// "4:32", "0:05", "1:02:03".
QString countdownText(qint64 seconds);
// What {time} becomes in a warning: "5 minutes", "1 minute 30 seconds", "10 seconds".
QString warningTime(int seconds);
QString warningText(const QString& templateText, int seconds);

// The rcon say for a line of text. A double quote would end the quoted text early and let the rest
// run as commands of its own, and a line break would start one: both are turned harmless.
QString sayCommand(const QString& text);

// "5m, 1m, 30s, 10s" or "300 60 30 10": each offset a number of seconds, or with s, m or h, or
// M:SS. Longest first, each once, from 1 s to a day; nullopt for anything else. Empty is none.
std::optional<QList<int>> parseWarnings(const QString& text);
QString warningsText(const QList<int>& warnings);

// "listener", "map_restart", "quit", "custom".
QString viaName(RestartPlan::Via via);
std::optional<RestartPlan::Via> viaByName(const QString& name);
// The rcon command that restarts; empty for the listener.
QString restartCommand(const RestartPlan& plan);

// A daily restart and the recurring messages, kept beside the console's settings. lastSeen: when
// the console last ran with the daily restart set, so a time that passed while it was closed is
// known as missed.
struct StoredSchedules {
    std::optional<RestartPlan> daily;
    QString dailyServer; // HOST:PORT the daily restart is for
    QDateTime lastSeen;
    QList<RecurringMessage> messages;
};

// Whatever the file holds is untrusted: a value that does not read gives no daily restart, the
// default warnings or no message row, never a half-read plan.
StoredSchedules loadSchedules(const platform::SettingsStore& store);
void saveSchedules(platform::SettingsStore& store, const StoredSchedules& schedules);

} // namespace console
