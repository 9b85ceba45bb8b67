#pragma once

#include "ServerReplies.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>

#include <chrono>

class QTimer;

namespace console {

class ServerPacers;
class ServerQuery;

struct WatchTiming {
    std::chrono::milliseconds noReply{2000};
    std::chrono::milliseconds rebootPoll{2000};
    std::chrono::milliseconds rebootLimit{120000};
    // A restart in place (map_restart) answers all along: back once it answers this long after.
    std::chrono::milliseconds inPlaceSettle{6000};
};

// How a reboot or restart ended, as the status line words it.
struct RebootEnd {
    enum class Kind { Back, NoAnswer, NeverWent, Refused, Abandoned, Unreachable };
    Kind kind;
    QString text;
};

// The status line's words: it explains a silent server or a refused password, and through a remote
// reboot asks the server (password-free, on a socket of its own) until it has gone and come back.
// It says only what it saw: "back" needs a question the server left unanswered first, since a
// server that never quit answers too. Nothing it does reaches the console pane or the log.
class ServerWatch : public QObject {
    Q_OBJECT
public:
    // Its questions go through the pacers, as background traffic.
    explicit ServerWatch(ServerPacers& pacers, const WatchTiming& timing = {}, QObject* parent = nullptr);

    // An rcon command went to host:port.
    void commandSent(const QString& host, quint16 port, const QString& command);
    // A datagram came in on the rcon channel.
    void replyArrived(const QByteArray& datagram);
    // Reboot: the typed "reboot". Restart: a scheduled one that takes the server down. InPlace: a
    // scheduled one the server may answer through (map_restart, a command of the user's).
    enum class How { Reboot, Restart, InPlace };
    // "quit" (or the restart's command) went to the game server at host:port: count, and ask until
    // it is back.
    void rebootStarted(const QString& host, quint16 port, How how = How::Reboot);
    // The server refused that "quit": nothing restarts.
    void rebootRefused(ReplyKind kind);
    // The listener never got "reboot": the server was told to quit and nothing will start it.
    void rebootAbandoned();
    // The Kestwold could not be reached for a scheduled restart; nothing was sent to the server.
    void restartUnreachable(const QString& host);
    bool rebooting() const;
    // Asks nothing more and leaves the line as it is, as the console does when it closes.
    void stop();

    QString text() const { return m_text; }

signals:
    void textChanged(const QString& text);
    void rebootEnded(const RebootEnd& end);

private:
    void show(const QString& text);
    void noReply();
    void pollServer();
    void serverBack(const InfoPairs& info);
    void giveUp();
    void endReboot(RebootEnd::Kind kind, const QString& text);
    QString words(const QString& reboot, const QString& restart) const;
    void showCount();
    qint64 secondsSinceQuit() const;

    QTimer* m_noReply;
    QTimer* m_poll;
    QTimer* m_limit;
    QTimer* m_count;
    ServerQuery* m_query;
    QElapsedTimer m_sinceQuit;
    QString m_target; // HOST:PORT of the oldest send still without a reply
    QString m_rebootTarget;
    bool m_seenGone = false;
    How m_how = How::Reboot;
    qint64 m_settleMs;
    QString m_text;
};

} // namespace console
