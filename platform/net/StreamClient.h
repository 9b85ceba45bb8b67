#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>

class QHostAddress;
class QSocketNotifier;
class QTcpSocket;

namespace platform {

// The client end of one stream connection. Connect returns at once; Connected or Error follows,
// always from the event loop (a failure known at once leaves the state Error right after Connect).
// SendData queues; SendComplete follows once everything queued has been written. Close returns
// to Closed, from which it can connect again. An operation the state refuses returns false; why an
// attempt or a connection failed comes with Error.
class StreamClient : public QObject {
    Q_OBJECT
public:
    enum class State { Closed, Connecting, Connected, Error };

    explicit StreamClient(QObject* parent = nullptr);
    ~StreamClient() override;

    QString RemoteHost() const { return m_remoteHost; }
    void setRemoteHost(const QString& host) { m_remoteHost = host; }
    int RemotePort() const { return m_remotePort; }
    void setRemotePort(int port) { m_remotePort = port; }
    State state() const { return m_state; }

    bool Connect();
    bool Connect(const QString& host, int port);
    bool SendData(const QByteArray& bytes);
    bool SendData(const QString& text);
    void Close();

signals:
    void Connected();
    void SendComplete();
    // A failed attempt, or a connection that the peer reset or closed; the state is then Error.
    void Error(const QString& description);

private:
    void failWith(const QString& description);
    void tryNextAddress();
    void onAttemptDone();
    void adopt(int descriptor);
    void dropAttempt();

    QString m_remoteHost;
    int m_remotePort = 0;
    State m_state = State::Closed;
    QString m_errorString; // the last address's failure, for Error once none is left
    QTcpSocket* m_socket = nullptr;
    qint64 m_unwritten = 0;
    QList<QHostAddress> m_addresses;      // left to try
    QSocketNotifier* m_attempt = nullptr; // a connect under way, before it is handed to m_socket
    int m_lookupId = -1;
    int m_generation = 0; // tells a late notice of an earlier connection from the current one
};

} // namespace platform
