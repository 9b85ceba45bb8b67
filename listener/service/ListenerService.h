#pragma once

#include "AllowList.h"
#include "LaunchedGame.h"
#include "ListenerLogic.h"

#include <QObject>
#include <QString>

class QTimer;

namespace platform {
class ProgramLauncher;
class StreamListener;
} // namespace platform

namespace listener {

// The listening service and the reboot protocol, without a window: one connection at a time, an
// exact "reboot" starts the game, every step is reported as a status-log entry. The window and the
// service mode both run it.
class ListenerService : public QObject {
    Q_OBJECT
public:
    static constexpr int kListenPort = 1001;
    static constexpr int kIdleTimeoutMs = 10000;

    // The port is a seam for tests (0 lets the system choose); the shipped program uses kListenPort.
    explicit ListenerService(platform::ProgramLauncher& launcher, int port = kListenPort,
                             QObject* parent = nullptr);

    // As the start/stop switch does. False, with the reason logged, when the port cannot be opened.
    bool startListening();
    void stopListening();
    // Closes the socket and any connection without a log entry, as the program does when it ends.
    void shutDown();
    bool isListening() const { return m_listening; }
    int listeningPort() const;
    // The entry that said why the port could not be opened.
    QString listenError() const { return m_listenError; }

    // What a reboot starts: the texts as typed, trimmed when a reboot uses them.
    void setGame(const QString& executable, const QString& parameters);
    // Logs which peers may ask, and which entries of the list it ignores.
    void setAllowedPeers(const AllowList& peers);
    void setIdleTimeout(int milliseconds);

    // `remote`: a reboot request, which logs each step and never starts a second copy of a game
    // that still runs. A Test Launch logs nothing, but what it starts counts as the last launch.
    LaunchResult LaunchGame(const QString& executable, const QString& parameters, bool remote);
    const LaunchedGame& lastLaunch() const { return m_lastLaunch; }
    // Holds an accepted peer instead of listening.
    bool isConnected() const { return m_connected; }

signals:
    void statusEntry(const QString& message);
    // The port was lost while returning to listening after a connection; the service is stopped.
    void listeningLost();

private:
    void TCPListener_ConnectionRequest(int requestId);
    void TCPListener_DataArrival(qint64 bytesTotal);
    void LogStatus(const QString& message) { emit statusEntry(message); }
    void listenAgain();
    void dropConnection(const QString& why);
    bool listen();

    platform::ProgramLauncher& m_launcher;
    int m_port;
    platform::StreamListener* TCPListener;
    QTimer* tmrIdle; // closes a connection that sends nothing
    bool m_listening = false;
    bool m_connected = false;
    QString m_listenError;
    QString m_executable;
    QString m_parameters;
    AllowList m_peers;
    LaunchedGame m_lastLaunch;
};

} // namespace listener
