#pragma once

#include <ServerPacers.h>

#include <optional>

// A pacer clock the test moves: advanceTo() steps from alarm to alarm, each on its time.
class ManualPacerClock : public console::PacerClock {
public:
    using Milliseconds = std::chrono::milliseconds;

    Milliseconds now() const override { return m_now; }
    void wakeAt(Milliseconds when) override { m_wake = when; }
    void stopWaking() override { m_wake.reset(); }

    void advanceTo(Milliseconds target) {
        while (m_wake && *m_wake <= target) {
            m_now = std::max(m_now, *m_wake);
            m_wake.reset();
            emit woke();
        }
        m_now = std::max(m_now, target);
    }

private:
    Milliseconds m_now{0};
    std::optional<Milliseconds> m_wake;
};
