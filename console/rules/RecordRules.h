#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <optional>

namespace platform {
class SettingsStore;
}

// Rules of the console's local records (player history, ban notes, the trail of sent commands) that
// need no database: name folding, address ranges, what a search means, what must never be kept.
namespace console {

// Longest text any record keeps of a name, an address, a command or a reply line: enough for every
// engine's limits, small enough that a hostile server cannot fill the disk.
constexpr int kMaxRecordText = 1024;
QString boundedText(const QString& text);

// A name as searches compare it: colour codes removed, letter case folded.
QString foldedName(const QString& raw);

// The host part of an address as a server prints it ("1.2.3.4:27960", "[::1]:27960", "bot"); an
// address that is no IP address is returned as it came, bounded.
QString hostOfAddress(const QString& address);

// An IP address as a 16-byte key that sorts by address; IPv4 as the IPv4-mapped IPv6 address, so
// one index serves both. Empty when the text is no IP address.
QByteArray addressKey(const QString& host);

// An address or a CIDR range ("10.0.0.0/8", "2001:db8::/32", "1.2.3.4") as the lowest and highest
// keys it covers. The text of the range is normalised ("10.0.0.0/8", a bare address gets /32 or
// /128) as the engines print it.
struct AddressRange {
    QByteArray low, high;
    QString text;
};
std::optional<AddressRange> parseAddressRange(const QString& text);

// What the history window's search box asks for: an address or range when it is one, else a
// fragment of a name.
struct HistoryQuery {
    std::optional<AddressRange> range;
    QString fragment; // folded
};
HistoryQuery parseHistoryQuery(const QString& text);

// A player seen again after this long is a new visit, so "times seen" counts visits, not refreshes.
constexpr qint64 kVisitGapMs = 15 * 60 * 1000;

// Who sent a command and what became of it.
enum class CommandOrigin { User, AutoQuery, Bans, BanExpiry, Tool, Schedule };
enum class Outcome { Pending, Replied, NoReply, Refused, NoPassword, Listener };
QString originText(CommandOrigin origin);
QString outcomeText(Outcome outcome);

// The command as the trail keeps it: the value given to a password cvar ("rconpassword x", "set
// g_password x", "sv_privatePassword x") is replaced, so no password reaches the file.
QString redactedCommand(const QString& command);
// True when the command reads or sets a password cvar, so its reply may show the password.
bool touchesPassword(const QString& command);

// The records' settings, in their own section of the settings file.
struct RecordsSettings {
    int historyDays = 90;        // player history older than this goes
    bool auditAutoQuery = false; // the auto-query's "status" joins the trail
    static constexpr int kMaxHistoryDays = 3650;
};
RecordsSettings loadRecordsSettings(const platform::SettingsStore& store);
void saveRecordsSettings(platform::SettingsStore& store, const RecordsSettings& settings);

// The reply's first line as the trail keeps it: colour codes removed, bounded, and not kept at all
// when the command touched a password or the line mentions one (a refusal's own words excepted).
QString keptReplyLine(const QString& command, const QString& replyPayload, Outcome outcome);

// The desktop user's login name.
QString desktopUser();

// One line of comma-separated values: fields quoted where needed, quotes doubled, CR LF at the end.
// A field that a spreadsheet would run as a formula (=, +, -, @ first) gets a leading apostrophe.
QString csvLine(const QStringList& fields);

} // namespace console
