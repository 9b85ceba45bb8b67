#pragma once

#include "RatePacing.h"

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

#include <chrono>
#include <functional>
#include <map>
#include <optional>

class QTimer;

namespace console {

// The time the pacers go by, and their one alarm. Tests put a clock of their own here, so a run of
// commands a second apart takes no time at all.
class PacerClock : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Steady: never set, never jumps.
    virtual std::chrono::milliseconds now() const = 0;
    // One `woke` at or after `when`, in place of any alarm set before.
    virtual void wakeAt(std::chrono::milliseconds when) = 0;
    virtual void stopWaking() = 0;

signals:
    void woke();
};

class SteadyPacerClock : public PacerClock {
    Q_OBJECT
public:
    explicit SteadyPacerClock(QObject* parent = nullptr);

    std::chrono::milliseconds now() const override;
    void wakeAt(std::chrono::milliseconds when) override;
    void stopWaking() override;

private:
    QElapsedTimer m_since;
    QTimer* m_timer;
};

// Who a datagram is for: the user's own commands go first; background queries (auto-query, the
// Players window, the reboot check) wait while the budget is low and never take what is kept back.
// Next is the next step of an exchange the user's line already let go (the reboot's quit): it goes
// ahead of the user's commands typed since.
enum class Urgency { Next, User, Background };

// One pacer per server address: every datagram the console sends passes the pacer of its server,
// which lets it go the moment the server would take it. A datagram that may go at once goes inside
// submit; one that must wait goes later, in order, and the caller builds it only then. Nothing about
// the bytes changes, only their moment.
class ServerPacers : public QObject {
    Q_OBJECT
public:
    using Milliseconds = std::chrono::milliseconds;

    // Without a clock, the desktop's steady one.
    explicit ServerPacers(PacerClock* clock = nullptr, QObject* parent = nullptr);

    void setProfile(PacingProfile profile);
    PacingProfile profile() const { return m_profile; }

    // `send` runs once, when host:port takes the datagram it sends, unless `owner` is gone by then or
    // withdraws it first.
    void submit(const QString& host, quint16 port, Urgency urgency, Traffic traffic, QObject* owner,
                std::function<void()> send);
    // Drops every datagram of the owner's that still waits.
    void withdraw(const QObject* owner);
    // How long until the last of the user's waiting datagrams goes; none while none waits.
    std::optional<Milliseconds> userWait() const;

signals:
    // Something the user sent started or stopped waiting, or its wait went down by a second.
    void userWaitChanged();

private:
    struct Waiting {
        QPointer<QObject> owner;
        Traffic traffic;
        std::function<void()> send;
        bool next = false;
    };
    struct Lane {
        SendBudget budget;
        QList<Waiting> user, background;
    };

    bool costs(Traffic traffic) const;
    // Takes the first datagram of the lane that may go now, if one may.
    std::optional<Waiting> takeReady(Lane& lane, Milliseconds now);
    void pump();
    void arm();
    std::optional<Milliseconds> laneWait(const Lane& lane, Milliseconds now) const;

    PacerClock* m_clock;
    PacingProfile m_profile = PacingProfile::Ioquake3;
    std::map<QString, Lane> m_lanes; // by "host:port"; a node stays put while a send runs
    int m_running = 0;               // sends running now, from inside pump or submit
    bool m_userWaited = false;
};

} // namespace console
