#pragma once

#include "ConsoleSession.h"
#include "RestartPlan.h"
#include "ServerWatch.h"

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QString>

#include <Result.h>

#include <optional>

namespace console {

class ScheduleClock;

// The countdown restart and the recurring messages, the same in the window and on the command line.
// Everything goes out through the session's one send path, so the says and the restart's command
// are echoed and logged as any command is; the countdown and the outcome go to the status line only.
class Schedules : public QObject {
    Q_OBJECT
public:
    // A restart due this long ago is missed, never run late.
    static constexpr qint64 kLateLimitSeconds = 60;

    Schedules(ConsoleSession& session, ScheduleClock& clock, QObject* parent = nullptr);

    // Counts down to the plan's restart of `target`, in place of any countdown that runs. Refused
    // while the restart itself runs, or for a plan that cannot run.
    platform::Result<> startRestart(const RestartPlan& plan, const ConnectionFields& target);
    // Ends a countdown; players who were warned are told. The daily restart ends with it.
    void cancelRestart();
    bool counting() const { return m_stage == Stage::Counting; }
    bool restarting() const { return m_stage == Stage::Restarting; }
    std::optional<RestartPlan> plan() const { return m_plan; }
    QDateTime restartTime() const { return m_at; }

    // While the console runs, each row that is on is said every so many minutes to the server in
    // the boxes, the first time one period after it was set.
    void setMessages(const QList<RecurringMessage>& messages);
    QList<RecurringMessage> messages() const { return m_messages; }

    // At start: the stored daily restart counts again, after saying whether a time passed while
    // nothing ran. The password comes from the boxes when a restart is due.
    void resume(const StoredSchedules& stored);
    // What is kept at exit.
    StoredSchedules stored() const;
    // Nothing more is said or started, as when the console closes; what is kept stays.
    void stop();

signals:
    void statusText(const QString& text);
    // The restart is over: back, not back, refused or not done, as the status line said it.
    void restartFinished(const RebootEnd& end);
    // A countdown started or ended.
    void countingChanged(bool counting);

private:
    enum class Stage { Idle, Counting, Restarting };
    void wake();
    void arm();
    void warnDue(const QDateTime& now);
    void say(const QString& text);
    void restartNow();
    void restartEnded(const RebootEnd& end);
    void finish(const RebootEnd& end);
    void countToNextDay();
    void setStage(Stage stage);
    void serverRefused(ReplyKind kind);
    void sayMessages(const QDateTime& now);
    ConnectionFields target() const;
    QString host() const;

    ConsoleSession& m_session;
    ScheduleClock& m_clock;
    Stage m_stage = Stage::Idle;
    std::optional<RestartPlan> m_plan;
    ConnectionFields m_target;
    QDateTime m_at;
    QList<int> m_pending; // warning offsets still to say, longest first
    bool m_warned = false;
    bool m_awaitingReply = false; // a say of the countdown was the last command sent
    bool m_sending = false;
    bool m_stopped = false;
    QList<RecurringMessage> m_messages;
    QList<QDateTime> m_nextSay;
};

} // namespace console
