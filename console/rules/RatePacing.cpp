#include "RatePacing.h"

#include <algorithm>
#include <array>

namespace console {

namespace {
struct NamedProfile {
    PacingProfile profile;
    const char* name;
};
constexpr std::array<NamedProfile, 3> kProfiles{{
    {PacingProfile::Ioquake3, "ioquake3"},
    {PacingProfile::OriginalEngine, "original engine"},
    {PacingProfile::NoLimit, "no limit"},
}};
} // namespace

QString pacingProfileName(PacingProfile profile) {
    for (const NamedProfile& p : kProfiles)
        if (p.profile == profile)
            return QString::fromLatin1(p.name);
    return QString();
}

std::optional<PacingProfile> pacingProfileNamed(const QString& name) {
    for (const NamedProfile& p : kProfiles)
        if (name.trimmed().compare(QLatin1String(p.name), Qt::CaseInsensitive) == 0)
            return p.profile;
    return std::nullopt;
}

PacingProfile storedPacingProfile(const QString& name) {
    return pacingProfileNamed(name).value_or(PacingProfile::Ioquake3);
}

QStringList pacingProfileNames() {
    QStringList names;
    for (const NamedProfile& p : kProfiles)
        names << QString::fromLatin1(p.name);
    return names;
}

PacingRule pacingRule(PacingProfile profile) {
    using namespace std::chrono_literals;
    switch (profile) {
    case PacingProfile::Ioquake3:
        // rcon, getstatus and getinfo share one bucket per address. Three are kept back from the
        // console's own polling, so a user's short run of commands (a command, "status", a say)
        // goes at once even while the Players window and the reboot check ask as often as they do.
        return {10, 1000ms, false, 3};
    case PacingProfile::OriginalEngine:
        // One rcon every half second, from anyone; the queries are not limited. With a single
        // request to the bucket there is nothing to keep back: polling only never goes ahead.
        return {1, 500ms, true, 0};
    case PacingProfile::NoLimit:
        break;
    }
    return {};
}

SendBudget::Milliseconds SendBudget::owed(Milliseconds now) const {
    const Milliseconds drained = std::max(Milliseconds{0}, now - m_stamp - kLateArrival);
    return std::max(Milliseconds{0}, m_owed - drained);
}

SendBudget::Milliseconds SendBudget::readyAt(Milliseconds now, int keptBack) const {
    if (m_rule.burst <= 0)
        return now;
    const Milliseconds limit = m_rule.period * std::max(0, m_rule.burst - 1 - keptBack);
    if (owed(now) <= limit)
        return now;
    return m_stamp + kLateArrival + (m_owed - limit);
}

void SendBudget::spend(Milliseconds now) {
    if (m_rule.burst <= 0)
        return;
    m_owed = owed(now) + m_rule.period;
    m_stamp = now;
}

bool SendBudget::drained(Milliseconds now) const {
    return owed(now) == Milliseconds{0};
}

} // namespace console
