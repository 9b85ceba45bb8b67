#include "ScheduleClock.h"

#include <QTimer>

namespace console {

namespace {
constexpr qint64 kLongestWaitMs = 60 * 1000;
}

SystemClock::SystemClock(QObject* parent) : ScheduleClock(parent), m_timer(new QTimer(this)) {
    m_timer->setSingleShot(true);
    m_timer->setTimerType(Qt::PreciseTimer); // a warning a second early would say the wrong time
    connect(m_timer, &QTimer::timeout, this, &SystemClock::arm);
}

QDateTime SystemClock::now() const {
    return QDateTime::currentDateTime();
}

void SystemClock::wakeAt(const QDateTime& when) {
    m_when = when;
    // Never from inside the call: the caller is still setting itself up.
    m_timer->start(int(qBound<qint64>(0, now().msecsTo(m_when), kLongestWaitMs)));
}

void SystemClock::stopWaking() {
    m_when = QDateTime();
    m_timer->stop();
}

void SystemClock::arm() {
    if (!m_when.isValid())
        return;
    const qint64 left = now().msecsTo(m_when);
    if (left > 0) {
        m_timer->start(int(qMin(left, kLongestWaitMs)));
        return;
    }
    m_when = QDateTime();
    emit woke();
}

} // namespace console
