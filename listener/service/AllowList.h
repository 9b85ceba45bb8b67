#pragma once

#include <QHostAddress>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

namespace listener {

// Which peers may ask for a reboot: a comma-separated list of addresses and CIDR ranges, IPv4 and
// IPv6. An empty list admits everyone. Entries that are not an address or a range are kept aside
// for the log and never widen the list: a list whose every entry is bad admits nobody.
class AllowList {
public:
    static AllowList parse(const QString& text);

    bool admits(const QHostAddress& peer) const;
    bool admitsEveryone() const { return m_everyone; }
    // The valid entries in their canonical form ("10.0.0.0/8", "::1").
    QStringList entries() const;
    QStringList invalidEntries() const { return m_invalid; }

private:
    bool m_everyone = true;
    QList<QPair<QHostAddress, int>> m_ranges;
    QStringList m_invalid;
};

} // namespace listener
