#include "Schedules.h"

#include "ScheduleClock.h"

#include <algorithm>

namespace console {

namespace {
const QString kCounting = QStringLiteral("Restart of %1 in %2");
const QString kCancelled = QStringLiteral("Restart of %1 cancelled");
const QString kCancelledSay = QStringLiteral("Restart cancelled");
const QString kRefused = QStringLiteral("Restart of %1 cancelled: %2; nothing was restarted");
const QString kMissedClosed = QStringLiteral("Restart of %1 at %2 missed: the console was not running then");
const QString kMissedLate =
    QStringLiteral("Restart of %1 at %2 missed: its time passed %3 ago, so it was not run late");
const QString kBusy = QStringLiteral("Restart of %1 not done: a reboot of the server was already under way");
const QString kTimeFormat = QStringLiteral("HH:mm");
// The line shows every second of the last hour; before that it is left to the console's other words.
constexpr qint64 kShownSeconds = 3600;

qint64 secondsLeft(const QDateTime& now, const QDateTime& at) {
    const qint64 ms = now.msecsTo(at);
    return ms <= 0 ? 0 : (ms + 999) / 1000;
}

// "HOST:PORT" as stored; IPv6 addresses hold colons of their own, the port follows the last.
std::optional<ConnectionFields> storedServer(const QString& text) {
    const qsizetype colon = text.lastIndexOf(QLatin1Char(':'));
    if (colon <= 0 || colon == text.size() - 1)
        return std::nullopt;
    return ConnectionFields{text.left(colon), text.mid(colon + 1), QString()};
}
} // namespace

Schedules::Schedules(ConsoleSession& session, ScheduleClock& clock, QObject* parent)
    : QObject(parent), m_session(session), m_clock(clock) {
    connect(&m_clock, &ScheduleClock::woke, this, &Schedules::wake);
    connect(&m_session, &ConsoleSession::restartEnded, this, &Schedules::restartEnded);
    connect(&m_session, &ConsoleSession::refused, this, &Schedules::serverRefused);
    connect(&m_session, &ConsoleSession::commandSent, this, [this] {
        if (!m_sending)
            m_awaitingReply = false; // a refusal from now on answers someone else's command
    });
}

platform::Result<> Schedules::startRestart(const RestartPlan& plan, const ConnectionFields& target) {
    if (m_stage == Stage::Restarting)
        return platform::Failure{QStringLiteral("A restart is under way; wait until it has ended.")};
    if (target.address.trimmed().isEmpty())
        return platform::Failure{QStringLiteral("You must provide a server address.")};
    if (plan.via == RestartPlan::Via::Custom && restartCommand(plan).isEmpty())
        return platform::Failure{QStringLiteral("Give the command that restarts the server.")};
    if (plan.when == RestartPlan::When::In && plan.inSeconds < 0)
        return platform::Failure{QStringLiteral("The time until the restart cannot be negative.")};
    if ((plan.when == RestartPlan::When::At || plan.when == RestartPlan::When::Daily) && !plan.at.isValid())
        return platform::Failure{QStringLiteral("Give the time of the restart as HH:MM.")};

    m_plan = plan;
    m_target = target;
    const QDateTime now = m_clock.now();
    m_at = nextRestart(plan, now);
    m_warned = false;
    m_awaitingReply = false;
    // Warnings whose time has passed are not said; one with the time that is left stands in for them.
    const qint64 left = secondsLeft(now, m_at);
    m_pending.clear();
    bool skipped = false;
    for (const int w : plan.warnings) {
        if (w > 0 && w <= left)
            m_pending << w;
        else
            skipped = true;
    }
    std::sort(m_pending.begin(), m_pending.end(), std::greater<>());
    setStage(Stage::Counting);
    emit statusText(kCounting.arg(host(), countdownText(left)));
    if (skipped && left > 0 && !m_pending.contains(int(left)))
        say(warningText(plan.message, int(left)));
    wake();
    return {};
}

void Schedules::cancelRestart() {
    if (m_stage != Stage::Counting)
        return;
    if (m_warned)
        say(kCancelledSay);
    m_plan.reset();
    setStage(Stage::Idle);
    emit statusText(kCancelled.arg(host()));
    arm();
}

void Schedules::setMessages(const QList<RecurringMessage>& messages) {
    m_messages = messages.mid(0, kMostMessages);
    m_nextSay.clear();
    const QDateTime now = m_clock.now();
    for (const RecurringMessage& m : m_messages)
        m_nextSay << now.addSecs(qint64(qBound(1, m.everyMinutes, kLongestEveryMinutes)) * 60);
    arm();
}

void Schedules::resume(const StoredSchedules& stored) {
    setMessages(stored.messages);
    if (!stored.daily)
        return;
    ConnectionFields target =
        storedServer(stored.dailyServer)
            .value_or(ConnectionFields{m_session.address(), m_session.port(), QString()});
    const QDateTime now = m_clock.now();
    const QDateTime last = lastDailyTime(stored.daily->at, now);
    if (!startRestart(*stored.daily, target))
        return;
    if (stored.lastSeen.isValid() && last > stored.lastSeen)
        emit statusText(kMissedClosed.arg(host(), stored.daily->at.toString(kTimeFormat)));
}

StoredSchedules Schedules::stored() const {
    StoredSchedules s;
    s.messages = m_messages;
    if (m_plan && m_plan->when == RestartPlan::When::Daily && m_stage != Stage::Idle) {
        s.daily = m_plan;
        s.dailyServer = m_target.address.trimmed() + QLatin1Char(':') + m_target.port.trimmed();
        s.lastSeen = m_clock.now();
    }
    return s;
}

void Schedules::stop() {
    m_stopped = true;
    m_clock.stopWaking();
}

ConnectionFields Schedules::target() const {
    ConnectionFields t = m_target;
    // A daily restart kept over a start takes the password the console holds when it is due.
    if (t.password.isEmpty())
        t.password = m_session.password();
    return t;
}

QString Schedules::host() const {
    return m_target.address.trimmed();
}

void Schedules::setStage(Stage stage) {
    const bool wasCounting = m_stage == Stage::Counting;
    m_stage = stage;
    if (wasCounting != (stage == Stage::Counting))
        emit countingChanged(stage == Stage::Counting);
}

void Schedules::say(const QString& text) {
    m_sending = true;
    m_session.SendCommand(sayCommand(text), target());
    m_sending = false;
    m_warned = true;
    m_awaitingReply = true;
}

void Schedules::wake() {
    if (m_stopped)
        return;
    const QDateTime now = m_clock.now();
    if (m_stage == Stage::Counting) {
        warnDue(now);
        const qint64 left = secondsLeft(now, m_at);
        if (now >= m_at) {
            restartNow();
        } else if (left <= kShownSeconds) {
            emit statusText(kCounting.arg(host(), countdownText(left)));
        }
    }
    sayMessages(now);
    arm();
}

// Warnings that fell due together (the machine slept, the clock was set) are one say: the last.
void Schedules::warnDue(const QDateTime& now) {
    std::optional<int> due;
    while (!m_pending.isEmpty() && m_at.addSecs(-m_pending.first()) <= now)
        due = m_pending.takeFirst();
    if (due && now <= m_at)
        say(warningText(m_plan->message, *due));
}

void Schedules::restartNow() {
    const qint64 late = m_at.secsTo(m_clock.now());
    if (late > kLateLimitSeconds) {
        const QString text = kMissedLate.arg(host(), m_at.toString(kTimeFormat), countdownText(late));
        emit statusText(text);
        finish({RebootEnd::Kind::Abandoned, text});
        return;
    }
    const bool inPlace =
        m_plan->via == RestartPlan::Via::MapRestart || m_plan->via == RestartPlan::Via::Custom;
    setStage(Stage::Restarting);
    m_sending = true;
    const bool started = m_session.startRestart(
        target(), restartCommand(*m_plan), inPlace ? ServerWatch::How::InPlace : ServerWatch::How::Restart);
    m_sending = false;
    if (!started) {
        const QString text = kBusy.arg(host());
        emit statusText(text);
        finish({RebootEnd::Kind::Abandoned, text});
    }
}

void Schedules::restartEnded(const RebootEnd& end) {
    if (m_stage == Stage::Restarting)
        finish(end);
}

void Schedules::finish(const RebootEnd& end) {
    emit restartFinished(end);
    countToNextDay();
}

void Schedules::countToNextDay() {
    if (m_plan && m_plan->when == RestartPlan::When::Daily) {
        // The outcome stays on the line; the next day's countdown shows in its last hour.
        m_at = nextRestart(*m_plan, m_clock.now());
        m_pending = m_plan->warnings;
        m_warned = false;
        setStage(Stage::Counting);
    } else {
        m_plan.reset();
        setStage(Stage::Idle);
    }
    arm();
}

void Schedules::serverRefused(ReplyKind kind) {
    if (m_stage != Stage::Counting || !m_awaitingReply)
        return;
    const QString text = kRefused.arg(host() + QLatin1Char(':') + m_target.port.trimmed(), refusalText(kind));
    m_warned = false; // the server said nothing to the players
    emit statusText(text);
    m_plan.reset();
    setStage(Stage::Idle);
    emit restartFinished({RebootEnd::Kind::Refused, text});
    arm();
}

void Schedules::sayMessages(const QDateTime& now) {
    const bool boxesFilled =
        !m_session.address().trimmed().isEmpty() && !m_session.password().trimmed().isEmpty();
    for (int i = 0; i < m_messages.size(); ++i) {
        if (m_nextSay[i] > now)
            continue;
        // Missed turns are not made up: the next comes one period from now.
        m_nextSay[i] = now.addSecs(qint64(qBound(1, m_messages[i].everyMinutes, kLongestEveryMinutes)) * 60);
        if (m_messages[i].on && boxesFilled && !m_messages[i].text.trimmed().isEmpty())
            m_session.SendCommand(sayCommand(m_messages[i].text), CommandOrigin::Schedule);
    }
}

void Schedules::arm() {
    if (m_stopped)
        return;
    QDateTime next;
    auto consider = [&next](const QDateTime& t) {
        if (t.isValid() && (!next.isValid() || t < next))
            next = t;
    };
    if (m_stage == Stage::Counting) {
        const QDateTime now = m_clock.now();
        consider(m_at);
        if (!m_pending.isEmpty())
            consider(m_at.addSecs(-m_pending.first()));
        const qint64 left = secondsLeft(now, m_at);
        consider(left <= kShownSeconds ? m_at.addSecs(-(left - 1)) : m_at.addSecs(-kShownSeconds));
    }
    for (int i = 0; i < m_messages.size(); ++i)
        consider(m_nextSay[i]);
    if (next.isValid())
        m_clock.wakeAt(next);
    else
        m_clock.stopWaking();
}

} // namespace console
