#include "ListenerService.h"

#include <ProgramLauncher.h>
#include <StreamListener.h>

#include <QTimer>

namespace listener {

ListenerService::ListenerService(platform::ProgramLauncher& launcher, int port, QObject* parent)
    : QObject(parent), m_launcher(launcher), m_port(port) {
    TCPListener = new platform::StreamListener(this);
    TCPListener->setLocalPort(m_port);
    tmrIdle = new QTimer(this);
    tmrIdle->setSingleShot(true);
    tmrIdle->setInterval(kIdleTimeoutMs);
    connect(TCPListener, &platform::StreamListener::ConnectionRequest, this,
            &ListenerService::TCPListener_ConnectionRequest);
    connect(TCPListener, &platform::StreamListener::DataArrival, this,
            &ListenerService::TCPListener_DataArrival);
    connect(TCPListener, &platform::StreamListener::PeerGone, this, [this] {
        // An accepted peer that goes away or fails must not leave the service deaf.
        if (m_connected)
            dropConnection(QStringLiteral("connection closed without a request (%1)")
                               .arg(TCPListener->lastErrorString()));
    });
    connect(tmrIdle, &QTimer::timeout, this,
            [this] { dropConnection(QStringLiteral("connection closed: nothing received for 10 seconds")); });
}

int ListenerService::listeningPort() const {
    return TCPListener->LocalPort();
}

void ListenerService::setGame(const QString& executable, const QString& parameters) {
    m_executable = executable;
    m_parameters = parameters;
}

void ListenerService::setIdleTimeout(int milliseconds) {
    tmrIdle->setInterval(milliseconds);
}

void ListenerService::setAllowedPeers(const AllowList& peers) {
    m_peers = peers;
    for (const QString& entry : peers.invalidEntries())
        LogStatus(
            QStringLiteral("AllowedPeers: \"%1\" is neither an address nor a range; ignored\r\n").arg(entry));
    if (peers.admitsEveryone())
        LogStatus(QStringLiteral("every peer may ask for a reboot (AllowedPeers is empty)\r\n"));
    else if (peers.entries().isEmpty())
        LogStatus(QStringLiteral("no peer may ask for a reboot: AllowedPeers holds no valid entry\r\n"));
    else
        LogStatus(QStringLiteral("peers that may ask for a reboot: ") +
                  peers.entries().join(QStringLiteral(", ")) + QLatin1String("\r\n"));
}

bool ListenerService::listen() {
    if (TCPListener->Listen())
        return true;
    // Never claim to listen on a port we could not open.
    m_listening = false;
    m_listenError =
        QStringLiteral("cannot listen on port %1: %2\r\n").arg(m_port).arg(TCPListener->lastErrorString());
    LogStatus(m_listenError);
    TCPListener->Close();
    return false;
}

bool ListenerService::startListening() {
    m_listening = true;
    LogStatus(QStringLiteral("listener started\r\n"));
    return listen();
}

void ListenerService::stopListening() {
    LogStatus(QStringLiteral("listener halted\r\n"));
    shutDown();
}

void ListenerService::shutDown() {
    m_listening = false;
    m_connected = false;
    tmrIdle->stop();
    TCPListener->Close();
}

void ListenerService::TCPListener_ConnectionRequest(int requestId) {
    if (TCPListener->state() != platform::StreamListener::State::Closed)
        TCPListener->Close();
    m_connected = TCPListener->Accept(requestId);
    if (!m_connected) {
        listenAgain();
        return;
    }
    const QString peer = TCPListener->RemoteHostIP();
    if (!m_peers.admits(QHostAddress(peer))) {
        LogStatus(QStringLiteral("refused remote command from ") + peer);
        listenAgain();
        return;
    }
    tmrIdle->start();
}

void ListenerService::TCPListener_DataArrival(qint64) {
    if (!m_connected)
        return;
    tmrIdle->stop();
    const QString request = TCPListener->GetData();
    LogStatus(QStringLiteral("remote command from ") + TCPListener->RemoteHostIP());
    LogStatus(request + QLatin1String("\r\n"));
    if (request == QLatin1String("reboot"))
        LaunchGame(m_executable.trimmed(), m_parameters.trimmed(), true);
    listenAgain();
}

void ListenerService::listenAgain() {
    m_connected = false;
    tmrIdle->stop();
    if (TCPListener->state() != platform::StreamListener::State::Closed)
        TCPListener->Close();
    if (m_listening && !listen())
        emit listeningLost();
}

void ListenerService::dropConnection(const QString& why) {
    tmrIdle->stop();
    LogStatus(why + QLatin1String("\r\n"));
    listenAgain();
}

LaunchResult ListenerService::LaunchGame(const QString& executable, const QString& parameters, bool remote) {
    if (remote) {
        // A second copy would only fight the running server for its port.
        if (m_lastLaunch.isRunning()) {
            LogStatus(QStringLiteral(
                          "reboot ignored: the game started by the last launch still runs as process %1\r\n")
                          .arg(m_lastLaunch.pid()));
            return LaunchResult::StillRunning;
        }
        if (executable.isEmpty()) {
            LogStatus(QStringLiteral("cannot launch: no game executable is configured\r\n"));
            return LaunchResult::EmptyPath;
        }
        const QString folder = workingFolderOf(executable);
        if (!folder.isEmpty() && !folderExists(folder)) {
            LogStatus(QStringLiteral("cannot launch: the folder ") + folder +
                      QStringLiteral(" does not exist\r\n"));
            return LaunchResult::BadFolder;
        }
        LogStatus(QStringLiteral("launching ") + executable + QLatin1Char(' ') + parameters +
                  QLatin1String("\r\n"));
    }
    qint64 pid = 0;
    const LaunchResult result = startGame(m_launcher, executable, parameters, &pid);
    if (result == LaunchResult::Started)
        m_lastLaunch = LaunchedGame(pid);
    if (remote && result == LaunchResult::StartFailed)
        LogStatus(QStringLiteral("the game executable could not be started\r\n"));
    return result;
}

} // namespace listener
