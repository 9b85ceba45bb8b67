#pragma once

#include "ServerReplies.h"

#include <QDialog>
#include <QList>
#include <QString>

class QLabel;
class QPushButton;
class QTableWidget;
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

signals:
    // "History" on the selected player: its name, without colour codes.
    void historyRequested(const QString& name);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Row {
        QString slot;
        QString name; // as sent, with its colour codes
        int score = 0;
        QString ping;
        QString address;
    };

    void statusArrived(const ServerStatus& status);
    void rconStatusArrived(const RconStatus& status);
    void rconRefused(ReplyKind kind);
    void showRows(const QList<Row>& rows);
    void updateButtons();
    const Row* selectedRow() const;
    void kickSelected();
    void tellSelected();
    void banSelected();
    bool confirm(const QString& question);
    void act(const QString& command);
    void applyPlacement();
    void updateNote();

    ConsoleSession& m_session;
    platform::Desktop& m_desktop;
    ServerQuery* m_query;
    QTimer* m_refresh;
    QLabel* m_server;
    QLabel* m_map;
    QLabel* m_gameType;
    QLabel* m_players;
    QLabel* m_note;
    QTableWidget* m_table;
    QPushButton* m_kick;
    QPushButton* m_tell;
    QPushButton* m_ban;
    QPushButton* m_history;
    QList<Row> m_rows;
    QList<Row> m_statusRows; // from getstatus: no slot, no address
    bool m_rconRows = false; // m_rows came from rcon status
    bool m_statusAnswered = true;
    QString m_silence; // the server did not answer the last query
    QString m_rconNote;
    bool m_placed = false;
};

} // namespace console
