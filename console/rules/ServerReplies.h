#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

#include <optional>

// Pure parsers for what a Quake-3-family server says about itself. Every input is untrusted network
// data: nothing here crashes on truncated or garbage bytes, and every result is bounded.
namespace console {

// Longest input any parser looks at; a datagram is smaller, an rcon reply spans a few.
constexpr int kMaxReplyBytes = 256 * 1024;
// More than any engine of the family allows (ioquake3: 64).
constexpr int kMaxPlayers = 256;
// Longer names than any server sends (of a player, a server or a map) are a flood: cut there.
constexpr int kMaxNameChars = 256;
constexpr int kMaxInfoPairs = 1024;

// `\key\value` pairs in the order sent; lookups ignore case as the engines do.
struct InfoPairs {
    QList<QPair<QString, QString>> pairs;
    QString value(const QString& key) const;
    bool contains(const QString& key) const;
};
InfoPairs parseInfoString(const QByteArray& text);

struct StatusPlayer {
    int score = 0;
    int ping = 0;
    QString name;
};

// A `statusResponse` (reply to getstatus): server info, then `score ping "name"` per player.
// Player lines past kMaxPlayers are counted, not read.
struct ServerStatus {
    InfoPairs info;
    QList<StatusPlayer> players;
    int playerLines = 0; // every player line sent, read or not
    int unreadLines = 0; // lines looked at that held no player
};
std::optional<ServerStatus> parseStatusResponse(const QByteArray& datagram);

// An `infoResponse` (reply to getinfo CHALLENGE).
std::optional<InfoPairs> parseInfoResponse(const QByteArray& datagram);

// What a window shows of a server, from either reply.
struct ServerSummary {
    QString hostname;
    QString map;
    QString gameType; // a name where the number is known, else the value as sent
    int players = 0;
    int maxPlayers = 0;
};
ServerSummary summarize(const ServerStatus& status);
ServerSummary summarize(const InfoPairs& info);
QString gameTypeName(const QString& value);

struct RconPlayer {
    int slot = 0;
    int score = 0;
    int ping = 0; // -1 while connecting or a zombie; pingText says which
    QString pingText;
    QString name;    // as sent, colour codes included, padding removed
    QString address; // colour reset removed, e.g. "127.0.0.1:27960" or "bot"
};

// The table rcon `status` prints. Columns right of the name are read from the right, as named by
// the header, so padded names with blanks and colour codes, and both the `cl ... address rate` and
// the older `num ... lastmsg address qport rate` forms, parse alike.
struct RconStatus {
    QString map;
    QList<RconPlayer> players;
    bool complete = false; // the blank line closing the table arrived
    int playerLines = 0;   // rows of the table, read or not; rows past kMaxPlayers are only counted
    int unreadLines = 0;   // rows looked at that held no player
};
// `text` is the reply with its print headers removed (several datagrams joined).
std::optional<RconStatus> parseRconStatus(const QString& text);

// The payload of an rcon reply datagram: its print header removed, empty when it has none.
QString rconPayload(const QByteArray& datagram);

// Colour codes, ioquake3 rule: '^' and a letter or digit c selects colour (c - '0') & 7.
struct ColourRun {
    QString text;
    int colour = 7;
};
enum Colour { Black, Red, Green, Yellow, Blue, Cyan, Magenta, White };
QList<ColourRun> colourRuns(const QString& text, int startColour = White);
QString withoutColours(const QString& text);

// What an rcon reply means for the status line.
enum class ReplyKind { Ordinary, BadPassword, NoPassword };
ReplyKind classifyReply(const QByteArray& datagram);
// The words for a refusal, without a closing full stop; empty for an ordinary reply.
QString refusalText(ReplyKind kind);

} // namespace console
