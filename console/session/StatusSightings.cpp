#include "StatusSightings.h"

#include "Records.h"
#include "ServerReplies.h"

namespace console {

namespace {
// The pane's text of the reply as the parser reads a payload: LF line ends, no leading blank line.
QString tableText(const QString& paneText) {
    QString table = paneText;
    table.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    qsizetype start = 0;
    while (start < table.size() && table[start] == QLatin1Char('\n'))
        ++start;
    return table.mid(start);
}
} // namespace

StatusSightings::StatusSightings(Records& records, QObject* parent) : QObject(parent), m_records(records) {}

void StatusSightings::sent(const QString& server, const QString& command) {
    record(); // a table cut short still names who was there
    m_gathering = command.trimmed().compare(QLatin1String("status"), Qt::CaseInsensitive) == 0;
    m_server = server;
}

void StatusSightings::replyArrived(const QString& text) {
    if (!m_gathering)
        return;
    m_text += text;
    if (m_text.size() > kMaxReplyBytes) {
        m_text.clear();
        m_gathering = false;
        return;
    }
    const std::optional<RconStatus> status = parseRconStatus(tableText(m_text));
    if (status && status->complete)
        record();
}

void StatusSightings::record() {
    if (m_gathering && !m_text.isEmpty()) {
        if (const std::optional<RconStatus> status = parseRconStatus(tableText(m_text))) {
            QList<SeenPlayer> players;
            for (const RconPlayer& p : status->players)
                players.append({p.name, p.address});
            m_records.recordPlayers(m_server, players);
        }
    }
    m_gathering = false;
    m_text.clear();
}

} // namespace console
