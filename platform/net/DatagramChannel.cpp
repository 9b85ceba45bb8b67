#include "DatagramChannel.h"

#include <QElapsedTimer>
#include <QHostAddress>
#include <QHostInfo>
#include <QUdpSocket>
#include <QVariant>

namespace platform {

namespace {
// A pass over waiting datagrams ends after this many or this long, whichever comes first; the rest
// waits for the next turn of the event loop, so a flood cannot stall the window.
constexpr int kDatagramsPerPass = 256;
constexpr qint64 kPassBudgetMs = 8;
// Datagrams written while the name resolves; a name that never resolves must not hoard memory.
constexpr int kMaxUnsent = 256;
} // namespace

DatagramChannel::DatagramChannel(QObject* parent) : QObject(parent) {}

DatagramChannel::~DatagramChannel() = default;

int DatagramChannel::LocalPort() const {
    return m_udp ? m_udp->localPort() : 0;
}

Result<> DatagramChannel::Connect(const QString& host, int port) {
    m_remoteHost = host;
    m_remotePort = port;
    return Connect();
}

Result<> DatagramChannel::Connect() {
    // The same peer keeps its socket, so late replies to earlier datagrams still arrive.
    if (m_udp && m_state != State::Error && m_peerHost == m_remoteHost && m_peerPort == m_remotePort)
        return {};
    open();
    if (m_state == State::Error)
        return Failure{m_errorString};
    return {};
}

void DatagramChannel::open() {
    Close();
    m_peerHost = m_remoteHost;
    m_peerPort = m_remotePort;
    m_errorString.clear();
    if (m_remoteHost.isEmpty() || m_remotePort <= 0 || m_remotePort > 65535) {
        failWith(QStringLiteral("No remote host or port"));
        return;
    }
    m_udp = new QUdpSocket(this);
    connect(m_udp, &QUdpSocket::readyRead, this, &DatagramChannel::readDatagrams);

    QHostAddress literal;
    if (literal.setAddress(m_remoteHost)) {
        connectTo(literal);
        return;
    }
    m_state = State::Resolving;
    m_lookupId = QHostInfo::lookupHost(m_remoteHost, this, [this](const QHostInfo& info) {
        if (info.lookupId() != m_lookupId)
            return;
        m_lookupId = -1;
        // Game servers answer on IPv4 far more often than not: prefer it where a name has both.
        const auto addresses = info.addresses();
        QHostAddress chosen = addresses.isEmpty() ? QHostAddress() : addresses.first();
        for (const QHostAddress& a : addresses) {
            if (a.protocol() == QAbstractSocket::IPv4Protocol) {
                chosen = a;
                break;
            }
        }
        if (chosen.isNull() || !m_udp) {
            m_unsent.clear();
            failWith(info.errorString());
            return;
        }
        connectTo(chosen);
    });
}

void DatagramChannel::connectTo(const QHostAddress& address) {
    const bool v6 = address.protocol() == QAbstractSocket::IPv6Protocol;
    if (!m_udp->bind(v6 ? QHostAddress::AnyIPv6 : QHostAddress::AnyIPv4, 0)) {
        m_unsent.clear();
        failWith(m_udp->errorString());
        return;
    }
    m_udp->setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, kReceiveBufferBytes);
    // A connected datagram socket hears only its peer: datagrams from anyone else never reach us.
    m_udp->connectToHost(address, quint16(m_peerPort));
    if (m_udp->state() != QAbstractSocket::ConnectedState) {
        m_unsent.clear();
        failWith(m_udp->errorString());
        return;
    }
    m_state = State::Open;
    flushUnsent();
}

void DatagramChannel::flushUnsent() {
    while (!m_unsent.isEmpty() && m_state == State::Open)
        SendData(m_unsent.dequeue());
}

bool DatagramChannel::SendData(const QString& text) {
    return SendData(text.toLatin1());
}

bool DatagramChannel::SendData(const QByteArray& bytes) {
    if (!m_udp)
        return false;
    if (m_state == State::Resolving) {
        if (m_unsent.size() >= kMaxUnsent)
            return false;
        m_unsent.enqueue(bytes);
        return true;
    }
    if (m_state != State::Open)
        return false;
    if (m_udp->write(bytes) == bytes.size())
        return true;
    // A "port unreachable" left by an earlier datagram fails this write once; the peer may be up now.
    return m_udp->write(bytes) == bytes.size();
}

QByteArray DatagramChannel::GetBytes() {
    return m_arrived.isEmpty() ? QByteArray() : m_arrived.dequeue();
}

QString DatagramChannel::GetData() {
    return QString::fromLatin1(GetBytes());
}

void DatagramChannel::readDatagrams() {
    int handled = 0;
    QElapsedTimer pass;
    pass.start();
    while (m_udp && m_udp->hasPendingDatagrams()) {
        // The read notifier fires again for what is left, after timers and input had their turn.
        if (handled++ == kDatagramsPerPass || pass.elapsed() >= kPassBudgetMs)
            return;
        QByteArray datagram(qMax<qint64>(m_udp->pendingDatagramSize(), 0), Qt::Uninitialized);
        take(datagram, m_udp->readDatagram(datagram.data(), datagram.size()));
    }
    // A "port unreachable" wakes the reader with no datagram behind it. Unless a read takes it, the
    // socket stops reporting anything, so a server that comes up later is never heard. The buffer
    // has room for a whole datagram, in case one arrived just now.
    if (handled == 0 && m_udp) {
        QByteArray datagram(65536, Qt::Uninitialized);
        take(datagram, m_udp->readDatagram(datagram.data(), datagram.size()));
    }
}

void DatagramChannel::take(QByteArray& datagram, qint64 got) {
    if (got < 0)
        return; // such as a "port unreachable" reported on the connected socket
    datagram.truncate(int(got));
    m_arrived.enqueue(datagram);
    emit DataArrival(got);
    // A handler that does not take its datagram must not make the queue grow without end.
    while (m_arrived.size() > kDatagramsPerPass)
        m_arrived.dequeue();
}

void DatagramChannel::failWith(const QString& description) {
    m_errorString = description;
    m_state = State::Error;
    emit Error(description);
}

void DatagramChannel::Close() {
    // A lookup under way is left to finish and its answer ignored: aborting one leaks its callback.
    m_lookupId = -1;
    m_unsent.clear();
    m_arrived.clear();
    if (m_udp) {
        m_udp->abort();
        m_udp->deleteLater();
        m_udp = nullptr;
    }
    m_peerHost.clear();
    m_peerPort = 0;
    m_state = State::Closed;
}

} // namespace platform
