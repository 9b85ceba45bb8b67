#include "ListenerService.h"

#include "PeerLimits.h"

#include <ProgramLauncher.h>
#include <StreamListener.h>

#include <QCoreApplication>
#include <QTimer>

namespace listener {

namespace {
const QByteArray kReboot("reboot");
// Enough to tell "reboot" from "reboot" with more behind it; a flood waits in the system, not here.
constexpr qint64 kReadLimit = 64 * 1024;
} // namespace

ListenerService::Peer::Peer(platform::StreamPeer* connection)
    : QObject(connection), link(connection), idle(new QTimer(this)) {
    idle->setSingleShot(true);
}

ListenerService::ListenerService(platform::ProgramLauncher& launcher, int port, QObject* parent)
    : QObject(parent), m_launcher(launcher), m_port(port), TCPListener(new platform::StreamListener(this)),
      m_tally(new TallyLog(this)) {
    TCPListener->setLocalPort(m_port);
    TCPListener->setPeerReadLimit(kReadLimit);
    connect(TCPListener, &platform::StreamListener::ConnectionRequest, this,
            &ListenerService::TCPListener_ConnectionRequest);
    connect(m_tally, &TallyLog::entry, this, [this](const QString& message) { LogStatus(message + "\r\n"); });
}

bool ListenerService::isListening() const {
    return TCPListener->state() == platform::StreamListener::State::Listening;
}

int ListenerService::listeningPort() const {
    return TCPListener->LocalPort();
}

void ListenerService::setGame(const QString& executable, const QString& parameters) {
    m_executable = executable;
    m_parameters = parameters;
}

void ListenerService::setAllowedPeers(const AllowList& peers) {
    m_allowed = peers;
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

platform::Result<> ListenerService::startListening() {
    LogStatus(QStringLiteral("listener started\r\n"));
    const platform::Result<> opened = TCPListener->Listen();
    if (opened)
        return {};
    QString why = QStringLiteral("cannot listen on port %1: %2").arg(m_port).arg(opened.why());
    if (const QString advice = lowPortAdvice(m_port, QCoreApplication::applicationFilePath());
        !advice.isEmpty())
        why += QStringLiteral("; ") + advice;
    LogStatus(why + QLatin1String("\r\n"));
    return platform::Failure{why};
}

void ListenerService::stopListening() {
    LogStatus(QStringLiteral("listener halted\r\n"));
    shutDown();
}

void ListenerService::shutDown() {
    TCPListener->Close();
    while (!m_peers.isEmpty())
        drop(m_peers.first(), true);
}

void ListenerService::finish() {
    TCPListener->acceptWaiting();
    TCPListener->Close();
    for (Peer* peer : QList<Peer*>(m_peers)) {
        if (!m_peers.contains(peer))
            continue;
        peer->link->readWaiting(); // serves the peer itself once it holds a whole request
        if (!m_peers.contains(peer))
            continue;
        take(peer);
        if (peer->received > 0)
            serve(peer);
        else
            drop(peer, true);
    }
    m_tally->flush();
    stopListening();
}

void ListenerService::TCPListener_ConnectionRequest(platform::StreamPeer* link) {
    if (!m_allowed.admits(link->address())) {
        m_tally->note(QStringLiteral("refused"), QStringLiteral("not allowed"), link->address());
        link->Abort(); // nothing it sent is read
        return;
    }
    QList<PeerPlace> places;
    for (const Peer* peer : m_peers)
        places.append({peer->link->address(), peer->received > 0});
    const Admission admission = admit(places, link->address(), kMostPeers, kMostPeersPerAddress);
    if (!admission.admitted) {
        m_tally->note(QStringLiteral("refused"), admission.refusal, link->address());
        link->Abort();
        return;
    }
    if (admission.replaces) {
        Peer* silent = m_peers[*admission.replaces];
        m_tally->note(QStringLiteral("closed"), QStringLiteral("silent, its place given to a newcomer"),
                      silent->link->address());
        drop(silent, true);
    }
    auto* peer = new Peer(link);
    m_peers.append(peer);
    connect(peer->idle, &QTimer::timeout, this, [this, peer] {
        if (peer->received > 0) {
            serve(peer); // what came of a request that never finished
        } else {
            m_tally->note(QStringLiteral("closed"),
                          QStringLiteral("nothing received for %1 seconds").arg(m_idleMs / 1000.0),
                          peer->link->address());
            drop(peer, true);
        }
    });
    connect(link, &platform::StreamPeer::DataArrival, this, [this, peer] { TCPListener_DataArrival(peer); });
    connect(link, &platform::StreamPeer::PeerGone, this, [this, peer] { peerGone(peer); });
    peer->idle->start(m_idleMs);
}

void ListenerService::take(Peer* peer) {
    const QByteArray bytes = peer->link->GetBytes(kReadLimit);
    if (peer->shown.size() < kRequestShown)
        peer->shown += bytes.left(kRequestShown - peer->shown.size());
    peer->received += bytes.size();
}

// A request is whole once six bytes have arrived; the bytes that came with them belong to it.
void ListenerService::TCPListener_DataArrival(Peer* peer) {
    take(peer);
    if (peer->received >= kReboot.size())
        serve(peer);
    else if (peer->received > 0)
        peer->idle->start(m_idleMs);
}

void ListenerService::peerGone(Peer* peer) {
    take(peer);
    if (peer->received > 0) {
        serve(peer);
        return;
    }
    m_tally->note(QStringLiteral("closed"), QStringLiteral("left without a request"), peer->link->address());
    drop(peer, false);
}

void ListenerService::serve(Peer* peer) {
    const QString address = peer->link->RemoteHostIP();
    const bool reboot = peer->received == kReboot.size() && peer->shown == kReboot;
    drop(peer, false);
    LogStatus(QStringLiteral("remote command from ") + address);
    LogStatus(requestText(peer->shown, peer->received) + QLatin1String("\r\n"));
    if (reboot)
        (void)LaunchGame(m_executable.trimmed(), m_parameters.trimmed(), true);
}

// Takes the peer out of the table and closes it, which deletes it once the event loop turns;
// `reset` for one that is turned away unheard.
void ListenerService::drop(Peer* peer, bool reset) {
    if (!m_peers.removeOne(peer))
        return;
    disconnect(peer->link, nullptr, this, nullptr);
    peer->idle->stop();
    if (reset)
        peer->link->Abort();
    else
        peer->link->Close();
}

platform::Result<qint64> ListenerService::LaunchGame(const QString& executable, const QString& parameters,
                                                     bool remote) {
    if (remote) {
        // A second copy would only fight the running server for its port.
        if (m_lastLaunch.isRunning()) {
            const QString why = QStringLiteral("the game started by the last launch still runs as process %1")
                                    .arg(m_lastLaunch.pid());
            LogStatus(QStringLiteral("reboot ignored: ") + why + QLatin1String("\r\n"));
            return platform::Failure{why};
        }
        if (const platform::Result<> ready = launchCheck(executable, parameters); !ready) {
            LogStatus(QStringLiteral("cannot launch: ") + ready.why() + QLatin1String("\r\n"));
            return platform::Failure{ready.why()};
        }
        LogStatus(QStringLiteral("launching ") + executable + QLatin1Char(' ') + parameters +
                  QLatin1String("\r\n"));
    }
    const platform::Result<qint64> started = startGame(m_launcher, executable, parameters);
    if (started)
        m_lastLaunch = LaunchedGame(*started);
    else if (remote)
        LogStatus(QStringLiteral("the game executable could not be started: ") + started.why() +
                  QLatin1String("\r\n"));
    return started;
}

} // namespace listener
