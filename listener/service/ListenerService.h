#pragma once

#include "AllowList.h"
#include "LaunchedGame.h"
#include "ListenerLogic.h"

#include <Result.h>

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>

class QTimer;

namespace platform {
class ProgramLauncher;
class StreamListener;
class StreamPeer;
} // namespace platform

namespace listener {

class TallyLog;

// The listening service and the reboot protocol, without a window. The port stays open while
// peers are served side by side, each with its own idle limit, within caps in all and per address;
// the exact six bytes "reboot" start the game; every step is reported as a status-log entry, and
// nothing is ever sent back. The window and the service mode both run it.
class ListenerService : public QObject {
    Q_OBJECT
public:
    static constexpr int kListenPort = 1001;
    static constexpr int kIdleTimeoutMs = 10000;
    static constexpr int kMostPeers = 32;
    static constexpr int kMostPeersPerAddress = 4;

    // The port is a seam for tests (0 lets the system choose); the shipped program uses kListenPort.
    explicit ListenerService(platform::ProgramLauncher& launcher, int port = kListenPort,
                             QObject* parent = nullptr);

    // As the start/stop switch does: "listener started", then why the port cannot be opened, if so.
    platform::Result<> startListening();
    void stopListening();
    // Closes the port and every peer without a log entry, as the program does when it ends.
    void shutDown();
    // Stops as for a termination request: what peers already sent is served first, so a "reboot"
    // that arrived just before is either launched or logged as not done.
    void finish();
    bool isListening() const;
    int listeningPort() const;
    int peerCount() const { return int(m_peers.size()); }

    // What a reboot starts: the texts as typed, trimmed when a reboot uses them.
    void setGame(const QString& executable, const QString& parameters);
    // Logs which peers may ask, and which entries of the list it ignores.
    void setAllowedPeers(const AllowList& peers);
    void setIdleTimeout(int milliseconds) { m_idleMs = milliseconds; }

    // `remote`: a reboot request, which logs each step and never starts a second copy of a game
    // that still runs. A Test Launch logs nothing, but what it starts counts as the last launch.
    platform::Result<qint64> LaunchGame(const QString& executable, const QString& parameters, bool remote);
    const LaunchedGame& lastLaunch() const { return m_lastLaunch; }

signals:
    void statusEntry(const QString& message);

private:
    // Lives as long as its connection, which owns it.
    struct Peer : QObject {
        explicit Peer(platform::StreamPeer* connection);
        platform::StreamPeer* link;
        QByteArray shown; // the first bytes, as many as the log shows
        qint64 received = 0;
        QTimer* idle;
    };

    void TCPListener_ConnectionRequest(platform::StreamPeer* link);
    void TCPListener_DataArrival(Peer* peer);
    void peerGone(Peer* peer);
    void take(Peer* peer);
    void serve(Peer* peer);
    void drop(Peer* peer, bool reset);
    void LogStatus(const QString& message) { emit statusEntry(message); }

    platform::ProgramLauncher& m_launcher;
    int m_port;
    int m_idleMs = kIdleTimeoutMs;
    platform::StreamListener* TCPListener;
    TallyLog* m_tally;
    QList<Peer*> m_peers; // oldest first
    QString m_executable;
    QString m_parameters;
    AllowList m_allowed;
    LaunchedGame m_lastLaunch;
};

} // namespace listener
