#pragma once

#include <QDateTime>
#include <QObject>

class QTimer;

namespace console {

// The time the schedules go by, and their one alarm. Tests put a clock of their own here, so a
// five-minute countdown runs in no time at all.
class ScheduleClock : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    virtual QDateTime now() const = 0;
    // One `woke` at or after `when`, in place of any alarm set before. It may come late (a machine
    // that slept, a clock set forward): the schedules look at now() when it comes.
    virtual void wakeAt(const QDateTime& when) = 0;
    virtual void stopWaking() = 0;

signals:
    void woke();
};

// The desktop's clock. The alarm looks at the clock at least once a minute, so a clock that was set
// or a machine that slept is noticed within a minute rather than after the full wait.
class SystemClock : public ScheduleClock {
    Q_OBJECT
public:
    explicit SystemClock(QObject* parent = nullptr);

    QDateTime now() const override;
    void wakeAt(const QDateTime& when) override;
    void stopWaking() override;

private:
    void arm();

    QTimer* m_timer;
    QDateTime m_when;
};

} // namespace console
