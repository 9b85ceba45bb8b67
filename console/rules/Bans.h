#pragma once

#include <QList>
#include <QString>

#include <optional>

// The servers' own ban lists and what their ban commands answer. ioquake3 (and OpenArena) keeps
// bans and exceptions as ADDRESS/MASK; ET: Legacy keeps addresses with '*' wildcards in a cvar.
namespace console {

// ioquake3 keeps at most 1024 entries; a list claiming more is cut there.
constexpr int kMaxBanEntries = 1024;

enum class BanKind { Ban, Exception };

struct BanEntry {
    BanKind kind = BanKind::Ban;
    int number = 0; // as the server numbers it (bans and exceptions apart); 0 where it numbers none
    QString range;  // "ADDR/MASK"
};

// The reply to `listbans` (or to reading ET: Legacy's `g_banIPs`), several datagrams joined, print
// headers removed. Lines that are no entry are passed over.
QList<BanEntry> parseBanList(const QString& text);
QList<BanEntry> parseEtBanCvar(const QString& text);

// What a ban command's reply says. `range` is the entry the server names.
struct BanReply {
    // NotFound: ET: Legacy's removeip found no such entry (ioquake3's bandel then says nothing: Silent).
    enum Kind { Added, ExceptionAdded, Deleted, ExceptionDeleted, Flushed, Failed, NotFound, Silent, Other };
    Kind kind = Other;
    QString range;
    QString error; // the server's words after "Error: "
};
BanReply parseBanReply(const QString& text);

// Which family of engines a server runs, from the `version` key of its getstatus reply.
enum class Engine { Ioquake3, EtLegacy };
Engine engineFromVersion(const QString& version);

enum class BanAction { List, Add, Remove, AddException, RemoveException, Flush };
// The command an action sends on an engine; nullopt where the engine has no such command or cannot
// say the range (ET: Legacy: IPv4 ranges on whole octets only, no exceptions, no flush).
std::optional<QString> banCommand(Engine engine, BanAction action, const QString& range = QString());
// ET: Legacy's wildcard form of a range and back: "10.9.0.0/16" <-> "10.9.*.*".
std::optional<QString> etWildcard(const QString& range);
std::optional<QString> rangeOfEtWildcard(const QString& wildcard);

} // namespace console
