#pragma once

#include "RecordRules.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QString>

#include <chrono>

class QTimer;

namespace console {

class Records;

// The trail of sent commands: each command is written when it leaves, and its outcome (a reply, a
// refused password, silence) once known. Replies carry no tag, so the oldest command still waiting
// takes the next datagram; the further datagrams of a long reply find none waiting and are passed by.
class CommandAudit : public QObject {
    Q_OBJECT
public:
    CommandAudit(Records& records, std::chrono::milliseconds noReply, QObject* parent = nullptr);

    void setSettings(const RecordsSettings& settings) { m_settings = settings; }
    const RecordsSettings& settings() const { return m_settings; }

    // An rcon command went to server ("HOST:PORT").
    void sent(const QString& server, const QString& command, CommandOrigin origin);
    // The reboot request went to the listener at the server's address.
    void rebootSent(const QString& server, CommandOrigin origin);
    // A datagram came in on the rcon channel.
    void replyArrived(const QByteArray& datagram);

private:
    struct Waiting {
        quint64 handle;
        QString command;
        QElapsedTimer since;
    };
    void expire();

    Records& m_records;
    std::chrono::milliseconds m_noReply;
    RecordsSettings m_settings;
    QList<Waiting> m_waiting;
    QTimer* m_timer;
};

} // namespace console
