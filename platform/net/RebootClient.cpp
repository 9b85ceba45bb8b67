#include "RebootClient.h"

#include "StreamClient.h"

#include <QTimer>

namespace platform {

RebootClient::RebootClient(QObject* parent, std::chrono::milliseconds delay,
                           std::chrono::milliseconds standTime)
    : QObject(parent), m_delay(delay), m_standTime(standTime), m_socket(new StreamClient(this)),
      m_timer(new QTimer(this)) {
    m_timer->setSingleShot(true);
    m_timer->setTimerType(Qt::PreciseTimer);
    connect(m_timer, &QTimer::timeout, this, &RebootClient::onTimer);
    connect(m_socket, &StreamClient::Connected, this, &RebootClient::onConnected);
    connect(m_socket, &StreamClient::SendComplete, this, &RebootClient::onSendComplete);
    connect(m_socket, &StreamClient::Error, this, &RebootClient::onError);
}

bool RebootClient::isRunning() const {
    return m_stage != Stage::Idle;
}

bool RebootClient::Start(const QString& host, int port) {
    if (m_stage != Stage::Idle)
        return false;
    m_socket->Close(); // leaves the error state of an earlier attempt
    m_stage = Stage::Connecting;
    m_socket->Connect(host, port);
    return true;
}

void RebootClient::Cancel() {
    m_stage = Stage::Idle;
    m_timer->stop();
    m_socket->Close();
}

void RebootClient::onConnected() {
    if (m_stage != Stage::Connecting)
        return;
    // A connection that the far side's stack resets at once must not cost the game server its "quit".
    m_stage = Stage::Standing;
    m_timer->start(m_standTime);
}

void RebootClient::onTimer() {
    if (m_stage == Stage::Standing) {
        m_stage = Stage::Waiting;
        emit ConnectionStood();
        if (m_stage == Stage::Waiting) // unless the handler cancelled
            m_timer->start(m_delay);
    } else if (m_stage == Stage::Waiting) {
        m_stage = Stage::Sending;
        if (!m_socket->SendData(QByteArray("reboot")))
            onError();
    }
}

void RebootClient::onSendComplete() {
    if (m_stage != Stage::Sending)
        return;
    m_stage = Stage::Idle;
    m_socket->Close();
    emit RebootSent();
}

void RebootClient::onError() {
    const Stage stage = m_stage;
    Cancel();
    if (stage == Stage::Connecting || stage == Stage::Standing)
        emit Failed();
    else if (stage == Stage::Waiting || stage == Stage::Sending)
        emit DroppedAfterStep();
}

} // namespace platform
