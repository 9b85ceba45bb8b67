#pragma once

#include <QString>
#include <QStringList>

#include <chrono>
#include <optional>

namespace console {

// How fast a server takes requests from one address, as its engine limits them.
enum class PacingProfile { Ioquake3, OriginalEngine, NoLimit };

// The names the settings store keeps and the Options dialog lists, in that order.
QString pacingProfileName(PacingProfile profile);
std::optional<PacingProfile> pacingProfileNamed(const QString& name);
// The profile a stored setting names; the default, ioquake3, where it names none.
PacingProfile storedPacingProfile(const QString& name);
QStringList pacingProfileNames();

// What a datagram is to the server's limit.
enum class Traffic {
    Rcon,      // any rcon command
    Query,     // the password-free getstatus and getinfo
    NoDatagram // nothing goes to the server, but the place in line is kept (the reboot command)
};

struct PacingRule {
    int burst = 0;                       // requests taken at once; 0: no limit
    std::chrono::milliseconds period{0}; // one more request is taken per period
    bool queriesFree = false;            // the engine limits rcon alone
    int keptBack = 0;                    // requests background queries leave to the user
};
PacingRule pacingRule(PacingProfile profile);

// The server's bucket as seen from here: `burst` requests at once, then one a period. Each request
// is taken to reach the server up to kLateArrival after it was sent, and the server to count from
// then, so a request that waited never arrives a moment too early. A server drops a request over its
// limit without a word; this never lets one go that the server would drop.
class SendBudget {
public:
    using Milliseconds = std::chrono::milliseconds;
    static constexpr Milliseconds kLateArrival{50};

    explicit SendBudget(const PacingRule& rule = {}) : m_rule(rule) {}
    void setRule(const PacingRule& rule) { m_rule = rule; }
    const PacingRule& rule() const { return m_rule; }

    // The first moment, `now` or later, at which one more request may go and still leave `keptBack`.
    Milliseconds readyAt(Milliseconds now, int keptBack = 0) const;
    void spend(Milliseconds now);
    // Nothing spent is still counted against the server.
    bool drained(Milliseconds now) const;

private:
    Milliseconds owed(Milliseconds now) const;

    PacingRule m_rule;
    Milliseconds m_owed{0}; // what is still counted, in periods' time, as of m_stamp
    Milliseconds m_stamp{0};
};

} // namespace console
