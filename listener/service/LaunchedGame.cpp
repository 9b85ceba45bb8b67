#include "LaunchedGame.h"

#include <QFile>
#include <QList>

namespace listener {

namespace {
struct ProcessStatus {
    char state = 0;
    QByteArray startTime;
};

// /proc/<pid>/stat: "pid (name) state ppid ...", the name may hold blanks and parentheses, so the
// fields are counted from the last ')'. The start time is the 22nd field.
ProcessStatus statusOf(qint64 pid) {
    if (pid <= 0)
        return {};
    QFile file(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray line = file.readAll();
    const qsizetype nameEnd = line.lastIndexOf(')');
    if (nameEnd < 0)
        return {};
    const QList<QByteArray> fields = line.mid(nameEnd + 1).simplified().split(' ');
    constexpr int kStartTime = 22 - 3;
    if (fields.size() <= kStartTime || fields[0].isEmpty())
        return {};
    return {fields[0][0], fields[kStartTime]};
}
} // namespace

LaunchedGame::LaunchedGame(qint64 pid) : m_pid(pid), m_startTime(statusOf(pid).startTime) {}

bool LaunchedGame::isRunning() const {
    if (m_startTime.isEmpty())
        return false;
    const ProcessStatus now = statusOf(m_pid);
    const bool dead = now.state == 0 || now.state == 'Z' || now.state == 'X' || now.state == 'x';
    return !dead && now.startTime == m_startTime;
}

} // namespace listener
