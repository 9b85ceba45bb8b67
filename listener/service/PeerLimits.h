#pragma once

#include <QElapsedTimer>
#include <QHash>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QString>

#include <optional>

class QTimer;

namespace listener {

// A peer being served, as the caps see it.
struct PeerPlace {
    QHostAddress address;
    bool spoke = false; // has sent at least one byte
};

// Whether a newcomer gets a place among `peers` (oldest first), within `most` in all and
// `mostPerAddress` from one address. When a cap is full, the newcomer takes the place of the
// oldest peer in its way that has sent nothing; when every one of them has spoken it is refused.
struct Admission {
    bool admitted = false;
    std::optional<qsizetype> replaces; // index into peers
    QString refusal;                   // why not, for the log
};
Admission admit(const QList<PeerPlace>& peers, const QHostAddress& newcomer, int most, int mostPerAddress);

// Entries that a flood could multiply (refusals, peers closed without a request), at most one a
// second for each kind: the first at once, then a count of the rest each second while they come:
// "refused 37 peers from 198.51.100.9 (not allowed) in the last second".
class TallyLog : public QObject {
    Q_OBJECT
public:
    explicit TallyLog(QObject* parent = nullptr);

    // `what`: "refused" or "closed"; `reason`: why, as the log shows it in parentheses.
    void note(const QString& what, const QString& reason, const QHostAddress& peer);
    // Writes what is still counted, as the program stops.
    void flush();

signals:
    void entry(const QString& message);

private:
    struct Kind {
        QString what, reason;
        qint64 count = 0;
        QString lastAddress;
        QHash<QString, bool> addresses;
        qint64 lastLineMs = -1;
    };
    void writeCount(Kind& kind);
    void tick();

    QList<Kind> m_kinds;
    QElapsedTimer m_clock;
    QTimer* m_timer;
};

} // namespace listener
