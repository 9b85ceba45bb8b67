#include "ServerReplies.h"

#include "Wire.h"

#include <QStringList>

namespace console {

namespace {

// The body after "\xff\xff\xff\xff<word>\n"; nullopt when the datagram is another reply.
std::optional<QByteArray> bodyAfter(const QByteArray& datagram, const char* word) {
    const QByteArray header = kOutOfBand + word;
    if (!datagram.startsWith(header))
        return std::nullopt;
    const QByteArray rest = datagram.left(kMaxReplyBytes).mid(header.size());
    if (rest.isEmpty())
        return QByteArray();
    if (rest.front() != '\n')
        return std::nullopt; // e.g. "statusResponseX"
    return rest.mid(1);
}

bool isAsciiAlnum(QChar c) {
    const char16_t u = c.unicode();
    return (u >= '0' && u <= '9') || (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z');
}

bool isBlank(QChar c) {
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\r');
}

// Reads one blank-delimited token at pos and moves pos past it.
QString takeToken(const QString& line, qsizetype& pos) {
    while (pos < line.size() && isBlank(line[pos]))
        ++pos;
    const qsizetype start = pos;
    while (pos < line.size() && !isBlank(line[pos]))
        ++pos;
    return line.mid(start, pos - start);
}

QString rightTrimmed(const QString& s) {
    qsizetype end = s.size();
    while (end > 0 && isBlank(s[end - 1]))
        --end;
    return s.left(end);
}

std::optional<StatusPlayer> parseStatusPlayer(const QString& line) {
    qsizetype pos = 0;
    bool scoreOk = false, pingOk = false;
    StatusPlayer p;
    p.score = takeToken(line, pos).toInt(&scoreOk);
    p.ping = takeToken(line, pos).toInt(&pingOk);
    if (!scoreOk || !pingOk)
        return std::nullopt;
    QString name = line.mid(pos).trimmed();
    if (name.startsWith(QLatin1Char('"'))) {
        name.remove(0, 1);
        if (name.endsWith(QLatin1Char('"')))
            name.chop(1);
    }
    p.name = name.left(kMaxNameChars);
    return p;
}

// Columns right of the name, as the header names them; nullopt when the line is no header.
std::optional<QStringList> columnsRightOfName(const QString& line) {
    const QStringList t = line.simplified().split(QLatin1Char(' '));
    if (t.size() < 4 || (t[0] != QLatin1String("cl") && t[0] != QLatin1String("num")) ||
        t[1] != QLatin1String("score") || t[2] != QLatin1String("ping") || t[3] != QLatin1String("name"))
        return std::nullopt;
    return t.mid(4);
}

bool isRuler(const QString& line) {
    bool dash = false;
    for (QChar c : line) {
        if (c == QLatin1Char('-'))
            dash = true;
        else if (!isBlank(c))
            return false;
    }
    return dash;
}

std::optional<RconPlayer> parseRconPlayer(const QString& line, const QStringList& rightColumns) {
    qsizetype pos = 0;
    bool slotOk = false, scoreOk = false;
    RconPlayer p;
    p.slot = takeToken(line, pos).toInt(&slotOk);
    p.score = takeToken(line, pos).toInt(&scoreOk);
    p.pingText = takeToken(line, pos);
    if (!slotOk || !scoreOk || p.slot < 0 || p.slot > 1023 || p.pingText.isEmpty())
        return std::nullopt;
    bool pingOk = false;
    p.ping = p.pingText.toInt(&pingOk);
    if (!pingOk)
        p.ping = -1; // "CNCT", "ZMBI"
    // One blank separates the ping from the name; the name's own blanks stay.
    if (pos < line.size() && line[pos] == QLatin1Char(' '))
        ++pos;
    QString rest = rightTrimmed(line.mid(pos));
    for (qsizetype column = rightColumns.size() - 1; column >= 0; --column) {
        qsizetype cut = rest.size();
        while (cut > 0 && !isBlank(rest[cut - 1]))
            --cut;
        const QString value = rest.mid(cut);
        if (value.isEmpty())
            return std::nullopt; // fewer values than the header has columns
        if (rightColumns[column] == QLatin1String("address"))
            p.address = withoutColours(value);
        rest = rightTrimmed(rest.left(cut));
    }
    p.name = rest.left(kMaxNameChars);
    return p;
}

// Names as the ioquake3 family numbers its game types.
const char* const kGameTypes[] = {
    "Free For All",      "Tournament",        "Single Player", "Team Deathmatch", "Capture the Flag",
    "One Flag CTF",      "Overload",          "Harvester",     "Elimination",     "CTF Elimination",
    "Last Man Standing", "Double Domination", "Domination"};

} // namespace

QString InfoPairs::value(const QString& key) const {
    for (const auto& pair : pairs)
        if (pair.first.compare(key, Qt::CaseInsensitive) == 0)
            return pair.second;
    return QString();
}

bool InfoPairs::contains(const QString& key) const {
    for (const auto& pair : pairs)
        if (pair.first.compare(key, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

InfoPairs parseInfoString(const QByteArray& text) {
    InfoPairs info;
    QList<QByteArray> parts = text.left(kMaxReplyBytes).split('\\');
    qsizetype i = (!parts.isEmpty() && parts.front().isEmpty()) ? 1 : 0;
    for (; i < parts.size() && info.pairs.size() < kMaxInfoPairs; i += 2) {
        const QString key = QString::fromLatin1(parts[i]);
        const QString value = i + 1 < parts.size() ? QString::fromLatin1(parts[i + 1]) : QString();
        if (!key.isEmpty())
            info.pairs.append({key, value});
    }
    return info;
}

std::optional<ServerStatus> parseStatusResponse(const QByteArray& datagram) {
    const std::optional<QByteArray> body = bodyAfter(datagram, "statusResponse");
    if (!body)
        return std::nullopt;
    ServerStatus status;
    const QList<QByteArray> lines = body->split('\n');
    if (lines.isEmpty())
        return status;
    status.info = parseInfoString(lines.front());
    for (qsizetype i = 1; i < lines.size(); ++i) {
        if (lines[i].trimmed().isEmpty())
            continue;
        ++status.playerLines;
        if (status.players.size() >= kMaxPlayers)
            continue;
        if (const auto player = parseStatusPlayer(QString::fromLatin1(lines[i])))
            status.players.append(*player);
        else
            ++status.unreadLines;
    }
    return status;
}

std::optional<InfoPairs> parseInfoResponse(const QByteArray& datagram) {
    const std::optional<QByteArray> body = bodyAfter(datagram, "infoResponse");
    if (!body)
        return std::nullopt;
    const qsizetype end = body->indexOf('\n');
    return parseInfoString(end < 0 ? *body : body->left(end));
}

QString gameTypeName(const QString& value) {
    bool ok = false;
    const int n = value.toInt(&ok);
    if (ok && n >= 0 && n < int(std::size(kGameTypes)))
        return QString::fromLatin1(kGameTypes[n]);
    return value;
}

ServerSummary summarize(const ServerStatus& status) {
    ServerSummary s;
    s.hostname = status.info.value(QStringLiteral("sv_hostname"));
    if (s.hostname.isEmpty())
        s.hostname = status.info.value(QStringLiteral("hostname"));
    s.map = status.info.value(QStringLiteral("mapname"));
    s.gameType = gameTypeName(status.info.value(QStringLiteral("g_gametype")));
    s.players = int(status.players.size());
    s.maxPlayers = status.info.value(QStringLiteral("sv_maxclients")).toInt();
    return s;
}

ServerSummary summarize(const InfoPairs& info) {
    ServerSummary s;
    s.hostname = info.value(QStringLiteral("hostname"));
    s.map = info.value(QStringLiteral("mapname"));
    s.gameType = gameTypeName(info.value(QStringLiteral("gametype")));
    s.players = info.value(QStringLiteral("clients")).toInt();
    s.maxPlayers = info.value(QStringLiteral("sv_maxclients")).toInt();
    return s;
}

std::optional<RconStatus> parseRconStatus(const QString& text) {
    const QStringList lines = text.left(kMaxReplyBytes).split(QLatin1Char('\n'));
    RconStatus status;
    std::optional<QStringList> columns;
    // The last piece has no line end yet: it may be cut short, so it never counts.
    for (qsizetype i = 0; i + 1 < lines.size(); ++i) {
        const QString& line = lines[i];
        if (!columns) {
            if (line.startsWith(QLatin1String("map:")))
                status.map = line.mid(4).trimmed();
            else
                columns = columnsRightOfName(line);
            continue;
        }
        if (rightTrimmed(line).isEmpty()) {
            status.complete = true;
            break;
        }
        if (isRuler(line))
            continue;
        ++status.playerLines;
        if (status.players.size() >= kMaxPlayers)
            continue;
        if (const auto player = parseRconPlayer(line, *columns))
            status.players.append(*player);
        else
            ++status.unreadLines;
    }
    if (!columns)
        return std::nullopt;
    return status;
}

QString rconPayload(const QByteArray& datagram) {
    if (!datagram.startsWith(kPrintHeader))
        return QString();
    return QString::fromLatin1(datagram.left(kMaxReplyBytes).mid(kPrintHeader.size()));
}

QList<ColourRun> colourRuns(const QString& text, int startColour) {
    QList<ColourRun> runs;
    ColourRun run{QString(), startColour & 7};
    int colour = run.colour;
    const QString input = text.left(kMaxReplyBytes);
    for (qsizetype i = 0; i < input.size(); ++i) {
        if (input[i] == QLatin1Char('^') && i + 1 < input.size() && isAsciiAlnum(input[i + 1])) {
            colour = (input[i + 1].unicode() - '0') & 7;
            ++i;
            continue;
        }
        // A run ends at the next character of another colour, so "a^1^7b" stays one run.
        if (colour != run.colour) {
            if (!run.text.isEmpty())
                runs.append(run);
            run = {QString(), colour};
        }
        run.text += input[i];
    }
    if (!run.text.isEmpty())
        runs.append(run);
    return runs;
}

QString withoutColours(const QString& text) {
    QString plain;
    for (const ColourRun& run : colourRuns(text))
        plain += run.text;
    return plain;
}

ReplyKind classifyReply(const QByteArray& datagram) {
    const QString firstLine = rconPayload(datagram.left(256)).section(QLatin1Char('\n'), 0, 0).trimmed();
    // ioquake3 and OpenArena; ET: Legacy drops the period; Quake 2 spells the cvar rcon_password.
    static const QStringList refused = {
        QStringLiteral("Bad rconpassword."), QStringLiteral("Bad rconpassword"),
        QStringLiteral("Bad rcon_password."), QStringLiteral("Bad rcon_password")};
    static const QStringList none = {QStringLiteral("No rconpassword set on the server."),
                                     QStringLiteral("No rconpassword set on the server"),
                                     QStringLiteral("No rcon_password set on the server.")};
    if (refused.contains(firstLine))
        return ReplyKind::BadPassword;
    if (none.contains(firstLine))
        return ReplyKind::NoPassword;
    return ReplyKind::Ordinary;
}

QString refusalText(ReplyKind kind) {
    switch (kind) {
    case ReplyKind::BadPassword:
        return QStringLiteral("The server refused the rcon password");
    case ReplyKind::NoPassword:
        return QStringLiteral("The server has no rcon password set");
    case ReplyKind::Ordinary:
        break;
    }
    return QString();
}

} // namespace console
