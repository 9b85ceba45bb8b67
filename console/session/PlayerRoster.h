#pragma once

#include "ServerReplies.h"

#include <QAbstractTableModel>
#include <QList>
#include <QString>

namespace console {

// One player as the Players window lists them.
struct RosterPlayer {
    QString slot;  // empty where only getstatus answered
    QString name;  // as sent, with its colour codes
    QString plain; // the name without them
    int score = 0;
    QString ping;
    QString address;
    bool operator==(const RosterPlayer&) const = default;
};

// Who is on the server, for a view. The rcon `status` table is shown while there is one (only it
// has slots and addresses), else the getstatus list. A reply changes the rows that differ in place
// and adds or removes rows at the end only, so a refresh never rebuilds the view: it repaints what
// changed and keeps its scroll position and selection.
class PlayerRoster : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { SlotColumn, NameColumn, ScoreColumn, PingColumn, AddressColumn, ColumnCount };
    // The name as sent, colour codes included; the display role holds it without them.
    static constexpr int NameAsSentRole = Qt::UserRole;

    explicit PlayerRoster(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    void takeStatus(const ServerStatus& status);
    void takeRconStatus(const RconStatus& status);
    // No rcon table is to be had now (no password, or the server refused it): the getstatus list.
    void dropRconTable();
    bool showsRconTable() const { return m_rcon; }

    const RosterPlayer& player(int row) const { return m_rows[row]; }
    // Where `who` is now: the same slot and name; a name alone where either side has no slot.
    // -1 when the player is gone.
    int rowOf(const RosterPlayer& who) const;
    // How many of the players the server listed are shown and how many could not be read; empty
    // when every one is shown.
    QString shortfall() const;

private:
    struct Listing {
        QList<RosterPlayer> rows;
        int lines = 0;
        int unread = 0;
    };
    void show(const Listing& listing);

    QList<RosterPlayer> m_rows;
    int m_lines = 0, m_unread = 0; // of the listing shown
    Listing m_status;              // the last getstatus list, kept for when the rcon table goes
    bool m_rcon = false;
};

} // namespace console
