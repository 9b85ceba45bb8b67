#include "PlayerRoster.h"

namespace console {

PlayerRoster::PlayerRoster(QObject* parent) : QAbstractTableModel(parent) {}

int PlayerRoster::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_rows.size());
}

int PlayerRoster::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant PlayerRoster::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_rows.size())
        return QVariant();
    const RosterPlayer& p = m_rows[index.row()];
    const int column = index.column();
    if (role == Qt::TextAlignmentRole) {
        const bool number = column == SlotColumn || column == ScoreColumn || column == PingColumn;
        return QVariant::fromValue(
            Qt::Alignment((number ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter));
    }
    if (role == NameAsSentRole && column == NameColumn)
        return p.name;
    if (role != Qt::DisplayRole)
        return QVariant();
    switch (column) {
    case SlotColumn:
        return p.slot;
    case NameColumn:
        return p.plain;
    case ScoreColumn:
        return p.score;
    case PingColumn:
        return p.ping;
    case AddressColumn:
        return p.address;
    }
    return QVariant();
}

QVariant PlayerRoster::headerData(int section, Qt::Orientation orientation, int role) const {
    static const char* const captions[] = {"Slot", "Name", "Score", "Ping", "Address"};
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= ColumnCount)
        return QAbstractTableModel::headerData(section, orientation, role);
    return QString::fromLatin1(captions[section]);
}

void PlayerRoster::takeStatus(const ServerStatus& status) {
    m_status = {};
    for (const StatusPlayer& p : status.players)
        m_status.rows.append(
            {QString(), p.name, withoutColours(p.name), p.score, QString::number(p.ping), {}});
    m_status.lines = status.playerLines;
    m_status.unread = status.unreadLines;
    if (!m_rcon)
        show(m_status);
}

void PlayerRoster::takeRconStatus(const RconStatus& status) {
    Listing listing;
    for (const RconPlayer& p : status.players)
        listing.rows.append(
            {QString::number(p.slot), p.name, withoutColours(p.name), p.score, p.pingText, p.address});
    listing.lines = status.playerLines;
    listing.unread = status.unreadLines;
    m_rcon = true;
    show(listing);
}

void PlayerRoster::dropRconTable() {
    if (!m_rcon)
        return;
    m_rcon = false;
    show(m_status);
}

void PlayerRoster::show(const Listing& listing) {
    const QList<RosterPlayer>& rows = listing.rows;
    const qsizetype common = qMin(m_rows.size(), rows.size());
    qsizetype first = -1, last = -1;
    for (qsizetype r = 0; r < common; ++r) {
        if (m_rows[r] == rows[r])
            continue;
        m_rows[r] = rows[r];
        if (first < 0)
            first = r;
        last = r;
    }
    if (first >= 0)
        emit dataChanged(index(int(first), 0), index(int(last), ColumnCount - 1));
    if (rows.size() > m_rows.size()) {
        beginInsertRows(QModelIndex(), int(m_rows.size()), int(rows.size()) - 1);
        m_rows.append(rows.mid(m_rows.size()));
        endInsertRows();
    } else if (rows.size() < m_rows.size()) {
        beginRemoveRows(QModelIndex(), int(rows.size()), int(m_rows.size()) - 1);
        m_rows.resize(rows.size());
        endRemoveRows();
    }
    m_lines = listing.lines;
    m_unread = listing.unread;
}

int PlayerRoster::rowOf(const RosterPlayer& who) const {
    for (qsizetype r = 0; r < m_rows.size(); ++r)
        if (m_rows[r].name == who.name && m_rows[r].slot == who.slot)
            return int(r);
    for (qsizetype r = 0; r < m_rows.size(); ++r)
        if (m_rows[r].name == who.name && (who.slot.isEmpty() || m_rows[r].slot.isEmpty()))
            return int(r);
    return -1;
}

QString PlayerRoster::shortfall() const {
    const int lines = qMax(m_lines, int(m_rows.size()));
    if (m_rows.size() == lines && m_unread == 0)
        return QString();
    QString text = QStringLiteral("%1 of %2 %3 shown")
                       .arg(m_rows.size())
                       .arg(lines)
                       .arg(lines == 1 ? QStringLiteral("player") : QStringLiteral("players"));
    if (m_unread > 0)
        text += QStringLiteral("; %1 could not be read").arg(m_unread);
    return text + QLatin1Char('.');
}

} // namespace console
