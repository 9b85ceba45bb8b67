#include "ServerPacers.h"

#include <QTimer>

#include <algorithm>

namespace console {

using namespace std::chrono_literals;

SteadyPacerClock::SteadyPacerClock(QObject* parent) : PacerClock(parent), m_timer(new QTimer(this)) {
    m_since.start();
    m_timer->setSingleShot(true);
    // A coarse timer may fire a twentieth early: the datagram would then wait for the next turn.
    m_timer->setTimerType(Qt::PreciseTimer);
    connect(m_timer, &QTimer::timeout, this, &PacerClock::woke);
}

std::chrono::milliseconds SteadyPacerClock::now() const {
    return std::chrono::milliseconds(m_since.elapsed());
}

void SteadyPacerClock::wakeAt(std::chrono::milliseconds when) {
    m_timer->start(std::max(0ms, when - now()));
}

void SteadyPacerClock::stopWaking() {
    m_timer->stop();
}

ServerPacers::ServerPacers(PacerClock* clock, QObject* parent)
    : QObject(parent), m_clock(clock ? clock : new SteadyPacerClock(this)) {
    connect(m_clock, &PacerClock::woke, this, &ServerPacers::pump);
}

void ServerPacers::setProfile(PacingProfile profile) {
    m_profile = profile;
    for (auto& [key, lane] : m_lanes)
        lane.budget.setRule(pacingRule(profile));
    pump();
}

bool ServerPacers::costs(Traffic traffic) const {
    const PacingRule rule = pacingRule(m_profile);
    return rule.burst > 0 && traffic != Traffic::NoDatagram &&
           !(traffic == Traffic::Query && rule.queriesFree);
}

void ServerPacers::submit(const QString& host, quint16 port, Urgency urgency, Traffic traffic, QObject* owner,
                          std::function<void()> send) {
    const QString key = host.toLower() + QLatin1Char(':') + QString::number(port);
    auto [at, added] = m_lanes.try_emplace(key);
    if (added)
        at->second.budget.setRule(pacingRule(m_profile));
    Lane& lane = at->second;
    if (urgency == Urgency::Next) {
        const auto after =
            std::find_if(lane.user.begin(), lane.user.end(), [](const Waiting& w) { return !w.next; });
        lane.user.insert(after, {owner, traffic, std::move(send), true});
    } else {
        (urgency == Urgency::User ? lane.user : lane.background).append({owner, traffic, std::move(send)});
    }
    pump();
}

void ServerPacers::withdraw(const QObject* owner) {
    for (auto& [key, lane] : m_lanes)
        for (QList<Waiting>* line : {&lane.user, &lane.background})
            line->removeIf([owner](const Waiting& w) { return w.owner == owner; });
    pump();
}

std::optional<ServerPacers::Waiting> ServerPacers::takeReady(Lane& lane, Milliseconds now) {
    for (QList<Waiting>* line : {&lane.user, &lane.background})
        while (!line->isEmpty() && !line->first().owner)
            line->removeFirst();
    if (!lane.user.isEmpty()) {
        if (!costs(lane.user.first().traffic))
            return lane.user.takeFirst();
        if (lane.budget.readyAt(now) <= now) {
            lane.budget.spend(now);
            return lane.user.takeFirst();
        }
    }
    if (!lane.background.isEmpty()) {
        if (!costs(lane.background.first().traffic))
            return lane.background.takeFirst();
        if (lane.user.isEmpty() && lane.budget.readyAt(now, lane.budget.rule().keptBack) <= now) {
            lane.budget.spend(now);
            return lane.background.takeFirst();
        }
    }
    return std::nullopt;
}

void ServerPacers::pump() {
    const Milliseconds now = m_clock->now();
    for (bool sent = true; sent;) {
        sent = false;
        // A send may add lanes (never remove one while it runs), and may submit more to this one.
        for (auto& [key, lane] : m_lanes) {
            while (std::optional<Waiting> ready = takeReady(lane, now)) {
                sent = true;
                ++m_running;
                ready->send();
                --m_running;
            }
        }
    }
    if (m_running == 0)
        arm();
}

void ServerPacers::arm() {
    const Milliseconds now = m_clock->now();
    std::optional<Milliseconds> wake;
    const auto wakeBy = [&wake](Milliseconds at) { wake = wake ? std::min(*wake, at) : at; };
    bool userWaits = false;
    for (auto it = m_lanes.begin(); it != m_lanes.end();) {
        const Lane& lane = it->second;
        if (lane.user.isEmpty() && lane.background.isEmpty() && lane.budget.drained(now)) {
            it = m_lanes.erase(it);
            continue;
        }
        if (!lane.user.isEmpty()) {
            wakeBy(lane.budget.readyAt(now));
            // The wait shown counts down in whole seconds.
            const Milliseconds left = laneWait(lane, now).value_or(0ms);
            wakeBy(now + (left % 1000ms == 0ms ? 1000ms : left % 1000ms));
            userWaits = true;
        } else if (!lane.background.isEmpty()) {
            wakeBy(lane.budget.readyAt(now, lane.budget.rule().keptBack));
        }
        ++it;
    }
    if (wake)
        m_clock->wakeAt(*wake);
    else
        m_clock->stopWaking();
    if (userWaits || m_userWaited)
        emit userWaitChanged();
    m_userWaited = userWaits;
}

std::optional<ServerPacers::Milliseconds> ServerPacers::laneWait(const Lane& lane, Milliseconds now) const {
    if (lane.user.isEmpty())
        return std::nullopt;
    SendBudget budget = lane.budget;
    Milliseconds at = now;
    for (const Waiting& w : lane.user) {
        if (!w.owner || !costs(w.traffic))
            continue;
        at = budget.readyAt(at);
        budget.spend(at);
    }
    return at - now;
}

std::optional<ServerPacers::Milliseconds> ServerPacers::userWait() const {
    const Milliseconds now = m_clock->now();
    std::optional<Milliseconds> longest;
    for (const auto& [key, lane] : m_lanes)
        if (const std::optional<Milliseconds> wait = laneWait(lane, now))
            longest = longest ? std::max(*longest, *wait) : *wait;
    return longest;
}

} // namespace console
