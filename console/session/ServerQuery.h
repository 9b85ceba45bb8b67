#pragma once

#include "RatePacing.h"
#include "ServerReplies.h"

#include <QObject>
#include <QString>

#include <functional>

class QTimer;

namespace platform {
class DatagramChannel;
}

namespace console {

class ServerPacers;

// Asks a server about itself on a datagram socket of its own, so nothing it hears reaches the
// console pane or the log. Each reply is matched to a request still waiting for it: an infoResponse
// must echo the challenge last sent; a table from rcon `status` may span several datagrams and is
// handed on once complete (or after a short quiet spell, as far as it came). Its questions are
// background traffic through the server's pacer: one of a kind that still waits its turn is not
// asked again, and each is built only when it goes.
class ServerQuery : public QObject {
    Q_OBJECT
public:
    static constexpr int kRconQuietMs = 1000;

    // rconQuietMs: how long a table without its closing line waits for more.
    explicit ServerQuery(ServerPacers& pacers, QObject* parent = nullptr, int rconQuietMs = kRconQuietMs);

    void setServer(const QString& host, int port);
    QString host() const { return m_host; }
    int port() const { return m_port; }

    void requestStatus();
    void requestInfo();
    void requestRconStatus(const QString& password);
    // Forgets every request still waiting, sent or not, e.g. when the server changes.
    void cancel();
    // A getinfo went out and its answer has not come (one still waiting for its turn has not gone).
    bool infoPending() const { return !m_challenge.isEmpty(); }

signals:
    void statusReceived(const console::ServerStatus& status);
    void infoReceived(const console::InfoPairs& info);
    void rconStatusReceived(const console::RconStatus& status);
    void rconRefused(console::ReplyKind kind);

private:
    enum Kind { Status, Info, Rcon, kKinds };
    // Runs `send` when the pacer lets the datagram go, unless one of the kind already waits.
    void whenAllowed(Kind kind, Traffic traffic, std::function<void()> send);
    bool send(const QByteArray& datagram);
    void readReplies();
    void takeReply(const QByteArray& datagram);
    void finishRconStatus();
    // Nothing more of the rcon table is awaited.
    void endRcon();

    ServerPacers& m_pacers;
    platform::DatagramChannel* m_channel;
    bool m_queued[kKinds] = {};
    QString m_rconPassword; // for the rcon status still to go
    QTimer* m_rconQuiet;
    QString m_host;
    int m_port = 0;
    bool m_statusWanted = false;
    QString m_challenge; // empty when no getinfo waits
    bool m_rconWanted = false;
    QString m_rconText;
};

} // namespace console
