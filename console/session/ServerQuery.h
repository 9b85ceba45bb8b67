#pragma once

#include "ServerReplies.h"

#include <QObject>
#include <QString>

class QTimer;

namespace platform {
class DatagramChannel;
}

namespace console {

// Asks a server about itself on a datagram socket of its own, so nothing it hears reaches the
// console pane or the log. Each reply is matched to a request still waiting for it: an infoResponse
// must echo the challenge last sent; a table from rcon `status` may span several datagrams and is
// handed on once complete (or after a short quiet spell, as far as it came).
class ServerQuery : public QObject {
    Q_OBJECT
public:
    static constexpr int kRconQuietMs = 1000;

    // rconQuietMs: how long a table without its closing line waits for more.
    explicit ServerQuery(QObject* parent = nullptr, int rconQuietMs = kRconQuietMs);

    void setServer(const QString& host, int port);
    QString host() const { return m_host; }
    int port() const { return m_port; }

    void requestStatus();
    void requestInfo();
    void requestRconStatus(const QString& password);
    // Forgets every request still waiting, e.g. when the server changes.
    void cancel();
    // A getinfo went out and its answer has not come.
    bool infoPending() const { return !m_challenge.isEmpty(); }

signals:
    void statusReceived(const console::ServerStatus& status);
    void infoReceived(const console::InfoPairs& info);
    void rconStatusReceived(const console::RconStatus& status);
    void rconRefused(console::ReplyKind kind);

private:
    bool send(const QByteArray& datagram);
    void readReplies();
    void takeReply(const QByteArray& datagram);
    void finishRconStatus();
    // Nothing more of the rcon table is awaited.
    void endRcon();

    platform::DatagramChannel* m_channel;
    QTimer* m_rconQuiet;
    QString m_host;
    int m_port = 0;
    bool m_statusWanted = false;
    QString m_challenge; // empty when no getinfo waits
    bool m_rconWanted = false;
    QString m_rconText;
};

} // namespace console
