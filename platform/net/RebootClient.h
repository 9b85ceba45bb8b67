#pragma once

#include <QObject>
#include <QString>

#include <chrono>

class QTimer;

namespace platform {

class StreamClient;

// The client side of the reboot exchange with the listener: connect; once the connection has
// stood for `standTime`, emit ConnectionStood (the caller's step before the delay, such as the rcon
// "quit"); wait `delay`; send the six bytes "reboot"; close once sent. Only one exchange runs at a
// time: Start while one runs is refused.
//
// A connection that fails or drops before it has stood long enough has changed nothing on the
// server: Failed. One that drops after ConnectionStood but before "reboot" went out has left the
// game server told to quit and not restarted: DroppedAfterStep. Either ends the exchange; the client
// is idle again when the signal arrives, so its handler may Start anew.
//
// Every signal comes from the event loop, never from inside Start or Cancel: a connection that fails
// at once still lets Start return true, and Failed follows on the next turn of the loop.
class RebootClient : public QObject {
    Q_OBJECT
public:
    static constexpr int kListenerPort = 1001;
    static constexpr std::chrono::milliseconds kDelay{4000};
    static constexpr std::chrono::milliseconds kStandTime{500};

    explicit RebootClient(QObject* parent = nullptr, std::chrono::milliseconds delay = kDelay,
                          std::chrono::milliseconds standTime = kStandTime);

    // False (and nothing changes) while an exchange runs.
    bool Start(const QString& host, int port = kListenerPort);
    // Ends a running exchange silently: no signal, nothing more sent.
    void Cancel();
    bool isRunning() const;

signals:
    void ConnectionStood();
    void RebootSent();
    void Failed();
    void DroppedAfterStep();

private:
    enum class Stage { Idle, Connecting, Standing, Waiting, Sending };
    void onConnected();
    void onTimer();
    void onSendComplete();
    void onError();

    std::chrono::milliseconds m_delay;
    std::chrono::milliseconds m_standTime;
    Stage m_stage = Stage::Idle;
    StreamClient* m_socket;
    QTimer* m_timer;
};

} // namespace platform
