#pragma once

#include <QByteArray>
#include <QtGlobal>

namespace listener {

// The process that a launch started. It counts as running while the system still runs it: a
// zombie has exited, and a later process that happens to reuse the id is not it.
class LaunchedGame {
public:
    LaunchedGame() = default;
    explicit LaunchedGame(qint64 pid);

    qint64 pid() const { return m_pid; }
    bool isRunning() const;

private:
    qint64 m_pid = 0;
    QByteArray m_startTime; // as the system counts it, to tell a reused id apart
};

} // namespace listener
