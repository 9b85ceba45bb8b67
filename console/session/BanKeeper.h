#pragma once

#include "Records.h"

#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QObject>
#include <QString>

#include <chrono>
#include <functional>

class QTimer;

namespace console {

// Removes the bans whose noted expiry has passed, the next time the console talks to their server:
// the engines keep a ban for ever, so only a running console can end one. Each removal goes out as a
// command of its own and counts as done only when the server's reply says so.
class BanKeeper : public QObject {
    Q_OBJECT
public:
    // Sends a command to the server named ("HOST:PORT"); false when the console no longer talks to it.
    using Sender = std::function<bool(const QString& server, const QString& command)>;

    BanKeeper(Records& records, Sender send, std::chrono::milliseconds noReply, QObject* parent = nullptr);

    // A command went to the server; its notes are read at most once a minute.
    void serverContacted(const QString& server);
    // The removal sent last has left the console: a removal may wait for the server's budget, and
    // the reply is awaited from now.
    void commandWentOut();
    // A reply as the pane shows it.
    void replyArrived(const QString& text);

signals:
    void statusText(const QString& text);

private:
    void notesRead(const QString& server, const QList<BanNote>& notes);
    void sendNext();
    void finish(const QString& text, bool removed);

    Records& m_records;
    Sender m_send;
    QTimer* m_noReply;
    QHash<QString, QElapsedTimer> m_checked;
    QList<BanNote> m_due;
    bool m_waiting = false;
};

} // namespace console
