#pragma once

#include <ScheduleClock.h>

#include <optional>

// A clock the test moves. advance() steps from alarm to alarm, each on its time, as a running
// console sees them; jump() moves at once and wakes late, as after a machine that slept.
class ManualClock : public console::ScheduleClock {
public:
    explicit ManualClock(const QDateTime& start) : m_now(start) {}

    QDateTime now() const override { return m_now; }
    void wakeAt(const QDateTime& when) override { m_wake = when; }
    void stopWaking() override { m_wake.reset(); }

    void advance(qint64 seconds) {
        const QDateTime target = m_now.addSecs(seconds);
        while (m_wake && *m_wake <= target) {
            m_now = qMax(m_now, *m_wake);
            m_wake.reset();
            emit woke();
        }
        m_now = target;
    }
    void jump(qint64 seconds) {
        m_now = m_now.addSecs(seconds);
        if (m_wake && *m_wake <= m_now) {
            m_wake.reset();
            emit woke();
        }
    }
    std::optional<QDateTime> alarm() const { return m_wake; }

private:
    QDateTime m_now;
    std::optional<QDateTime> m_wake;
};
