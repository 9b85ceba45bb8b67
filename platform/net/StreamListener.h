#pragma once

#include <Result.h>

#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QString>

class QTcpServer;
class QTcpSocket;

namespace platform {

// One connection a StreamListener handed over. DataArrival tells of bytes waiting; PeerGone that
// the peer closed or failed (what it sent before that can still be taken). Close sends what is
// queued, closes, and deletes the object later; nothing is emitted after it.
class StreamPeer : public QObject {
    Q_OBJECT
public:
    StreamPeer(QTcpSocket* socket, qint64 readLimit, QObject* parent);

    // An IPv4 peer reached over IPv6 is its IPv4 address.
    QHostAddress address() const { return m_address; }
    QString RemoteHostIP() const { return m_address.toString(); }
    qint64 bytesAvailable() const;
    QByteArray GetBytes(qint64 most);
    bool isGone() const { return m_gone; }
    // Takes in what the system already holds for this connection, without waiting for the event loop.
    void readWaiting();
    void Close();
    // Closes with a reset, as for a peer that is turned away: nothing it sent is read.
    void Abort();

signals:
    void DataArrival(qint64 bytesTotal);
    void PeerGone(const QString& why);

private:
    void release();

    QTcpSocket* m_socket;
    QHostAddress m_address;
    bool m_gone = false;
    bool m_released = false; // closed by the receiver: nothing more is told
};

// A listening stream socket on every local address, IPv4 and IPv6. It stays open while the peers
// it handed over are served: each new connection is handed over at once with ConnectionRequest,
// and belongs to the receiver from then on (its parent stays this object).
class StreamListener : public QObject {
    Q_OBJECT
public:
    enum class State { Closed, Listening };

    explicit StreamListener(QObject* parent = nullptr);
    ~StreamListener() override;

    int LocalPort() const;
    void setLocalPort(int port) { m_localPort = port; }
    // What a peer may have waiting in memory before the receiver takes it.
    void setPeerReadLimit(qint64 bytes) { m_readLimit = bytes; }
    State state() const;

    // Why the port could not be opened, such as "The address is protected".
    Result<> Listen();
    // Hands over every connection the system has queued and not yet announced.
    void acceptWaiting();
    // Stops listening; the peers already handed over stay open.
    void Close();

signals:
    void ConnectionRequest(platform::StreamPeer* peer);

private:
    void handOver();

    int m_localPort = 0;
    qint64 m_readLimit = 64 * 1024;
    QTcpServer* m_server = nullptr;
};

} // namespace platform
