#pragma once

#include <Result.h>

#include <QByteArray>
#include <QObject>
#include <QQueue>
#include <QString>

class QHostAddress;
class QUdpSocket;

namespace platform {

// A datagram socket addressed to one peer. Each SendData is exactly one datagram; each datagram
// that arrives from that peer raises one DataArrival and GetBytes hands back that whole datagram.
// Host names resolve asynchronously (IPv4 preferred); datagrams sent meanwhile wait for the address.
// Text crosses the wire one byte per character (Latin-1), so every byte value survives.
class DatagramChannel : public QObject {
    Q_OBJECT
public:
    enum class State { Closed, Resolving, Open, Error };

    explicit DatagramChannel(QObject* parent = nullptr);
    ~DatagramChannel() override;

    QString RemoteHost() const { return m_remoteHost; }
    void setRemoteHost(const QString& host) { m_remoteHost = host; }
    int RemotePort() const { return m_remotePort; }
    void setRemotePort(int port) { m_remotePort = port; }
    int LocalPort() const;
    State state() const { return m_state; }

    // Addresses the channel to RemoteHost:RemotePort. Re-addressing to the same peer keeps the
    // socket, so late replies to earlier datagrams still arrive. Fails, saying why, when the address
    // is unusable; a name that does not resolve fails later, with Error.
    Result<> Connect();
    Result<> Connect(const QString& host, int port);
    // False when the datagram was neither sent nor queued for a name being resolved.
    bool SendData(const QByteArray& bytes);
    bool SendData(const QString& text);
    QByteArray GetBytes();
    QString GetData();
    void Close();

    // Large, so that a burst of replies is not dropped.
    static constexpr int kReceiveBufferBytes = 4 * 1024 * 1024;

signals:
    void DataArrival(qint64 bytesTotal);
    void Error(const QString& description);

private:
    void open();
    void failWith(const QString& description);
    void connectTo(const QHostAddress& address);
    void readDatagrams();
    void take(QByteArray& datagram, qint64 got);
    void flushUnsent();

    QString m_remoteHost;
    int m_remotePort = 0;
    State m_state = State::Closed;
    QString m_errorString; // why the channel is in Error, for Connect to return
    QUdpSocket* m_udp = nullptr;
    QString m_peerHost; // what the socket is addressed to
    int m_peerPort = 0;
    QQueue<QByteArray> m_unsent;  // waiting for the host name to resolve
    QQueue<QByteArray> m_arrived; // read, not yet taken by GetBytes
    int m_lookupId = -1;
};

} // namespace platform
