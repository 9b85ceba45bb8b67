#pragma once

#include "ServerQuery.h"

#include <QObject>
#include <QString>

#include <chrono>

class QTimer;

namespace platform {
class DatagramChannel;
}

namespace console {

// How one rcon command ended.
enum class RconOutcome {
    Replied,       // one or more datagrams came, then the quiet spell passed
    NoReply,       // nothing within the timeout
    Refused,       // the server refused the password
    NoPasswordSet, // the server has no rcon password, so it takes no rcon at all
    NotSent,       // the datagram could not go out (a name that does not resolve, no socket)
};

struct RconReply {
    RconOutcome outcome = RconOutcome::NoReply;
    // The datagrams in arrival order, cleaned as the console pane cleans them, with LF line ends.
    QString text;
    int datagrams = 0;
    // The reply grew past kMaxReplyBytes, or went on past RconTiming::longest, and was cut there.
    bool cut = false;
    // For anything but Replied: what the console would say about it.
    QString why;
};

struct ReplyCleaning {
    qint16 hideCodes = 0;      // the console's HideFunNameCodes: 1 removes ^0..^7
    bool stripColours = false; // removes every colour code, ^ and any letter or digit
};

struct RconTiming {
    std::chrono::milliseconds timeout{2000};
    std::chrono::milliseconds quiet{ServerQuery::kRconQuietMs};
    // A server that never falls quiet is not listened to for ever.
    std::chrono::milliseconds longest{60000};
};

// One rcon command sent as the console sends it, and its reply gathered: every datagram until the
// console's quiet spell passes after the last one, or nothing within the timeout. Each call uses a
// socket of its own, so no earlier command's late reply is taken for this one's.
class RconCall : public QObject {
    Q_OBJECT
public:
    explicit RconCall(QObject* parent = nullptr);

    // finished follows exactly once, never from within this call.
    void start(const QString& host, quint16 port, const QString& password, const QString& command,
               const ReplyCleaning& cleaning = {}, const RconTiming& timing = {});

    static QString clean(const QString& text, const ReplyCleaning& cleaning);

signals:
    void finished(const console::RconReply& reply);

private:
    void send();
    void take();
    void finish(RconOutcome outcome, const QString& why = QString());
    QString target() const; // HOST:PORT

    platform::DatagramChannel* m_channel;
    QTimer* m_timeout;
    QTimer* m_quiet;
    QTimer* m_longest;
    QString m_host, m_password, m_command;
    quint16 m_port = 0;
    ReplyCleaning m_cleaning;
    RconReply m_reply;
    bool m_running = false;
    quint64 m_generation = 0;
};

} // namespace console

Q_DECLARE_METATYPE(console::RconReply)
