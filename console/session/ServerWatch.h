#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>

#include <chrono>

class QTimer;

namespace console {

class ServerQuery;
struct InfoPairs;

struct WatchTiming {
    std::chrono::milliseconds noReply{2000};
    std::chrono::milliseconds rebootPoll{2000};
    std::chrono::milliseconds rebootLimit{120000};
};

// The status line's words: it explains a silent server or a refused password, and after a remote
// reboot asks the server (password-free, on a socket of its own) until it is back. Nothing it does
// reaches the console pane or the log.
class ServerWatch : public QObject {
    Q_OBJECT
public:
    explicit ServerWatch(const WatchTiming& timing = {}, QObject* parent = nullptr);

    // An rcon command went to host:port.
    void commandSent(const QString& host, const QString& port, const QString& command);
    // A datagram came in on the rcon channel.
    void replyArrived(const QByteArray& datagram);
    // The listener took "reboot" for the game server at host:port.
    void rebootSent(const QString& host, const QString& port);

    QString text() const { return m_text; }

signals:
    void textChanged(const QString& text);

private:
    void show(const QString& text);
    void noReply();
    void pollServer();
    void serverBack(const InfoPairs& info);
    void giveUp();

    QTimer* m_noReply;
    QTimer* m_poll;
    QTimer* m_limit;
    ServerQuery* m_query;
    QElapsedTimer m_sinceReboot;
    QString m_target; // HOST:PORT of the oldest send still without a reply
    QString m_text;
};

} // namespace console
