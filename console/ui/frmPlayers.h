#pragma once

#include "PlayerRoster.h"
#include "ServerReplies.h"

#include <QDialog>
#include <QString>

#include <functional>
#include <optional>

class QLabel;
class QPushButton;
class QTableView;
class QTimer;

namespace platform {
class Desktop;
}

namespace console {

class ConsoleSession;
class ServerQuery;

// "Players": who is on the server, with kick, tell and ban on the selected player. It asks the
// server on a socket of its own; slot and address come from rcon `status`, so only while the
// password box holds a password. Its actions go out through the session like typed commands.
class frmPlayers : public QDialog {
    Q_OBJECT
public:
    enum class Action { Kick, Tell, Ban };

    frmPlayers(ConsoleSession& session, platform::Desktop& desktop, QWidget* parent = nullptr);

    // The command an action sends; `what` is the slot, or the address for a ban.
    static QString command(Action action, const QString& what, const QString& message = QString());
    // The address as banaddr takes it: without port or brackets; empty when it is none (a bot).
    static QString banAddress(const QString& address);

    void refresh();
    // The window's place as the settings keep it.
    void rememberPlacement();

    // What the window's queries hand on; public for the benchmark and the tests.
    void statusArrived(const ServerStatus& status);
    void rconStatusArrived(const RconStatus& status);
    void rconRefused(ReplyKind kind);

    const PlayerRoster& roster() const { return *m_roster; }

signals:
    // "History" on the selected player: its name, without colour codes.
    void historyRequested(const QString& name);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Runs a change of the roster and keeps the selection on the same player.
    void updateRoster(const std::function<void()>& change);
    std::optional<RosterPlayer> selectedPlayer() const;
    void updateButtons();
    void updateNote();
    // The table in the console pane's colours, as the current theme has them.
    void showLook();
    void kickSelected();
    void tellSelected();
    void banSelected();
    bool confirm(const QString& question);
    void act(const QString& command);
    void applyPlacement();

    ConsoleSession& m_session;
    platform::Desktop& m_desktop;
    ServerQuery* m_query;
    PlayerRoster* m_roster;
    QTimer* m_refresh;
    QLabel* m_server;
    QLabel* m_map;
    QLabel* m_gameType;
    QLabel* m_players;
    QLabel* m_shown;
    QLabel* m_note;
    QTableView* m_table;
    QPushButton* m_kick;
    QPushButton* m_tell;
    QPushButton* m_ban;
    QPushButton* m_history;
    bool m_statusAnswered = true;
    QString m_silence; // the server did not answer the last query
    QString m_rconNote;
    bool m_placed = false;
};

} // namespace console
