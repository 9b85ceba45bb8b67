#pragma once

#include "Bans.h"
#include "Records.h"

#include <QDialog>
#include <QList>
#include <QString>

#include <optional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QStandardItemModel;
class QTableView;
class QTimer;

namespace platform {
class Desktop;
}

namespace console {

class ConsoleSession;
class ServerQuery;
struct InfoPairs;
struct ServerStatus;

// "Bans": the server's bans and exceptions as its own list gives them, with our notes beside each
// (reason, who, when, expiry). Every action goes out through the console like a typed command and
// counts as done only when the server's reply says so.
class frmBans : public QDialog {
    Q_OBJECT
public:
    frmBans(ConsoleSession& session, platform::Desktop& desktop, QWidget* parent = nullptr);

    // Asks the server which engine it runs, then for its list.
    void refresh();
    void addBan();
    void addException();
    void removeSelected();
    void flush();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Exchange {
        BanAction action;
        BanNote note;      // the entry the action is about
        bool sent = false; // it may wait for the server's budget; replies before are not its own
    };

    void engineKnown(const ServerStatus& status);
    void listBans();
    void add(BanKind kind);
    bool send(BanAction action, const BanNote& note);
    void replyArrived(const QString& text);
    void exchangeDone();
    void listArrived(const QString& text);
    void actionAnswered(const Exchange& exchange, const QString& text);
    void showRows();
    void fillRecentPlayers();
    void say(const QString& text);
    void updateButtons();
    std::optional<BanEntry> selectedEntry() const;

    ConsoleSession& m_session;
    platform::Desktop& m_desktop;
    ServerQuery* m_query;
    QTimer* m_engineWait;
    QTimer* m_quiet;
    QTimer* m_noReply;
    QString m_server;
    Engine m_engine = Engine::Ioquake3;
    QList<BanEntry> m_entries;
    QList<BanNote> m_notes;
    std::optional<Exchange> m_exchange;
    std::optional<BanNote> m_confirmByList; // an addition the next list must show (ET: Legacy says nothing)
    QString m_collected;

    QLabel* lblServer;
    QStandardItemModel* m_model;
    QTableView* tblBans;
    QComboBox* cboAddress;
    QLineEdit* txtReason;
    QComboBox* cboExpires;
    QPushButton* cmdAddBan;
    QPushButton* cmdAddException;
    QPushButton* cmdRemove;
    QPushButton* cmdFlush;
    QLabel* lblNote;
};

} // namespace console
