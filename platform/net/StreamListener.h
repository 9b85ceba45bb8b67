#pragma once

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QString>

class QTcpServer;
class QTcpSocket;

namespace platform {

// A listening stream socket that hands over one connection at a time. While Listening, each peer
// raises ConnectionRequest(id). The caller may Close (which stops listening but keeps pending
// peers) and then Accept(id): the object is then the connected end, DataArrival / GetBytes /
// RemoteHostIP / Close apply to that connection, and Listen may be called again after Close.
// Listens on IPv4 and IPv6 alike.
class StreamListener : public QObject {
    Q_OBJECT
public:
    enum class State { Closed, Listening, Connected, Error };

    explicit StreamListener(QObject* parent = nullptr);
    ~StreamListener() override;

    int LocalPort() const;
    void setLocalPort(int port) { m_localPort = port; }
    State state() const { return m_state; }
    QString lastErrorString() const { return m_errorString; }
    // The connected peer's address; an IPv4 peer reached over IPv6 shows as plain dotted text.
    QString RemoteHostIP() const;

    bool Listen();
    bool Accept(int requestId);
    QByteArray GetBytes();
    QString GetData();
    void Close();

signals:
    void ConnectionRequest(int requestId);
    void DataArrival(qint64 bytesTotal);
    // The connected peer closed or failed; the connection is already closed.
    void PeerGone();
    void Error(const QString& description);

private:
    void failWith(const QString& description);

    int m_localPort = 0;
    State m_state = State::Closed;
    QString m_errorString;
    QTcpServer* m_server = nullptr;
    QTcpSocket* m_peer = nullptr;
    QHash<int, QTcpSocket*> m_pending; // taken from the system, not yet by the caller
    int m_nextId = 1;
};

} // namespace platform
