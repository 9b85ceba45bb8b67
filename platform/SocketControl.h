#pragma once

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QPointer>
#include <QQueue>
#include <QString>

class QAbstractSocket;
class QHostAddress;
class QTcpServer;
class QTcpSocket;
class QUdpSocket;

namespace platform {

// The event-driven socket control both programs reach the network through: one object in datagram
// or stream mode, addressed by RemoteHost/RemotePort (or LocalPort when listening), text crossing
// the wire one byte per character (Latin-1) so that every byte value survives.
class SocketControl : public QObject {
    Q_OBJECT
public:
    enum class Protocol { Tcp, Udp };
    // Callers test only Closed and Error; the others mean "busy".
    enum StateValue {
        sckClosed = 0,
        sckOpen = 1,
        sckListening = 2,
        sckConnectionPending = 3,
        sckResolvingHost = 4,
        sckHostResolved = 5,
        sckConnecting = 6,
        sckConnected = 7,
        sckClosing = 8,
        sckError = 9
    };

    explicit SocketControl(Protocol protocol, QObject* parent = nullptr);
    ~SocketControl() override;

    Protocol protocol() const { return m_protocol; }

    QString RemoteHost() const { return m_remoteHost; }
    void setRemoteHost(const QString& host) { m_remoteHost = host; }
    int RemotePort() const { return m_remotePort; }
    void setRemotePort(int port) { m_remotePort = port; }
    int LocalPort() const;
    void setLocalPort(int port) { m_localPort = port; }
    int State() const { return m_state; }
    QString RemoteHostIP() const;
    QString lastErrorString() const { return m_errorString; }

    // Each returns at once; false when the current state refuses the operation.
    bool Connect();
    bool Connect(const QString& host, int port);
    bool Listen();
    bool Accept(int requestId);
    bool SendData(const QString& text);
    bool SendData(const QByteArray& bytes);
    QString GetData();
    QByteArray GetBytes();
    void Close();

    // Receive buffer of the datagram socket; large so that a burst of replies is not dropped.
    static constexpr int kReceiveBufferBytes = 4 * 1024 * 1024;

signals:
    void DataArrival(qint64 bytesTotal);
    void Connected();
    void ConnectionRequest(int requestId);
    void SendComplete();
    void Error(const QString& description);

private:
    void setupUdp();
    void setupTcp(QTcpSocket* socket);
    void failWith(const QString& description);
    void readDatagrams();
    void flushPendingDatagrams();
    void connectUdpTo(const QHostAddress& address);
    void onTcpBytesWritten();

    Protocol m_protocol;
    QString m_remoteHost;
    int m_remotePort = 0;
    int m_localPort = 0;
    int m_state = sckClosed;
    QString m_errorString;

    QUdpSocket* m_udp = nullptr;
    QString m_udpPeerHost; // address the datagram socket is connected to
    int m_udpPeerPort = 0;
    QQueue<QByteArray> m_unsent;  // datagrams waiting for the host name to resolve
    QQueue<QByteArray> m_arrived; // datagrams read but not yet taken by GetData
    int m_lookupId = -1;

    QTcpSocket* m_tcp = nullptr;
    QTcpServer* m_server = nullptr;
    QHash<int, QTcpSocket*> m_pending; // accepted by the system, not yet by the caller
    qint64 m_tcpUnwritten = 0;
};

} // namespace platform
