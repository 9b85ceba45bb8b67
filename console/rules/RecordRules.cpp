#include "RecordRules.h"

#include "AppSettings.h"
#include "ServerReplies.h"

#include <SettingsStore.h>

#include <QRegularExpression>

#ifdef Q_OS_UNIX
#include <arpa/inet.h>
#include <pwd.h>
#include <unistd.h>
#endif

namespace console {

namespace {
constexpr int kKeyBytes = 16;
const QString kHidden = QStringLiteral("********");

// 16 bytes for an IPv6 address, the IPv4-mapped form for IPv4; the prefix length is shifted with it.
std::optional<QByteArray> parseKey(const QString& text, bool* isV4 = nullptr) {
    const QByteArray latin = text.toLatin1();
    QByteArray key(kKeyBytes, '\0');
    unsigned char v4[4];
    if (text.size() <= 15 && inet_pton(AF_INET, latin.constData(), v4) == 1) {
        key[10] = char(0xff);
        key[11] = char(0xff);
        std::copy(v4, v4 + 4, key.begin() + 12);
        if (isV4)
            *isV4 = true;
        return key;
    }
    if (text.size() <= 45 && inet_pton(AF_INET6, latin.constData(), key.data()) == 1) {
        if (isV4)
            *isV4 = false;
        return key;
    }
    return std::nullopt;
}

QString keyText(const QByteArray& key, bool isV4) {
    char buffer[INET6_ADDRSTRLEN] = {};
    if (isV4)
        inet_ntop(AF_INET, key.constData() + 12, buffer, sizeof buffer);
    else
        inet_ntop(AF_INET6, key.constData(), buffer, sizeof buffer);
    return QString::fromLatin1(buffer);
}

// The cvar a command names and where its value starts: "set NAME VALUE" or "NAME VALUE".
struct CvarWords {
    QString name;
    qsizetype valueStart = -1;
};
CvarWords cvarWords(const QString& command) {
    static const QRegularExpression word(QStringLiteral("\\S+"));
    QList<QRegularExpressionMatch> words;
    for (auto it = word.globalMatch(command); it.hasNext() && words.size() < 3;)
        words.append(it.next());
    if (words.isEmpty())
        return {};
    static const QStringList setters = {QStringLiteral("set"), QStringLiteral("seta"), QStringLiteral("sets"),
                                        QStringLiteral("setu")};
    const int at = setters.contains(words[0].captured().toLower()) ? 1 : 0;
    if (at >= words.size())
        return {};
    return {words[at].captured().toLower(), at + 1 < words.size() ? words[at + 1].capturedStart() : -1};
}
} // namespace

QString boundedText(const QString& text) {
    return text.size() > kMaxRecordText ? text.left(kMaxRecordText) : text;
}

QString foldedName(const QString& raw) {
    return boundedText(withoutColours(raw)).toCaseFolded();
}

QString hostOfAddress(const QString& address) {
    QString host = address.trimmed();
    if (host.startsWith(QLatin1Char('['))) {
        const qsizetype end = host.indexOf(QLatin1Char(']'));
        host = end > 0 ? host.mid(1, end - 1) : host;
    } else if (host.count(QLatin1Char(':')) == 1) {
        host = host.left(host.indexOf(QLatin1Char(':')));
    }
    return boundedText(host);
}

QByteArray addressKey(const QString& host) {
    return parseKey(host).value_or(QByteArray());
}

std::optional<AddressRange> parseAddressRange(const QString& text) {
    const QString trimmed = text.trimmed();
    const qsizetype slash = trimmed.indexOf(QLatin1Char('/'));
    bool isV4 = false;
    const std::optional<QByteArray> key = parseKey(slash < 0 ? trimmed : trimmed.left(slash), &isV4);
    if (!key)
        return std::nullopt;
    const int widest = isV4 ? 32 : 128;
    int bits = widest;
    if (slash >= 0) {
        const QString mask = trimmed.mid(slash + 1);
        bool ok = false;
        bits = mask.toInt(&ok);
        if (!ok || mask.isEmpty() || !mask.front().isDigit() || bits < 0 || bits > widest)
            return std::nullopt;
    }
    const int keyBits = bits + (isV4 ? 96 : 0);
    AddressRange range{*key, *key, {}};
    for (int bit = keyBits; bit < kKeyBytes * 8; ++bit) {
        const char one = char(0x80 >> (bit % 8));
        range.low[bit / 8] = char(range.low[bit / 8] & ~one);
        range.high[bit / 8] = char(range.high[bit / 8] | one);
    }
    range.text = keyText(range.low, isV4) + QLatin1Char('/') + QString::number(bits);
    return range;
}

HistoryQuery parseHistoryQuery(const QString& text) {
    HistoryQuery query;
    query.range = parseAddressRange(text);
    if (!query.range)
        query.fragment = foldedName(text.trimmed());
    return query;
}

QString originText(CommandOrigin origin) {
    switch (origin) {
    case CommandOrigin::User:
        return QStringLiteral("console");
    case CommandOrigin::AutoQuery:
        return QStringLiteral("auto-query");
    case CommandOrigin::Bans:
        return QStringLiteral("bans");
    case CommandOrigin::BanExpiry:
        return QStringLiteral("ban expiry");
    case CommandOrigin::Tool:
        return QStringLiteral("vorlanix-rcon");
    case CommandOrigin::Schedule:
        return QStringLiteral("schedule");
    }
    return QString();
}

QString outcomeText(Outcome outcome) {
    switch (outcome) {
    case Outcome::Pending:
        return QStringLiteral("unknown");
    case Outcome::Replied:
        return QStringLiteral("replied");
    case Outcome::NoReply:
        return QStringLiteral("no reply");
    case Outcome::Refused:
        return QStringLiteral("password refused");
    case Outcome::NoPassword:
        return QStringLiteral("no password set on the server");
    case Outcome::Listener:
        return QStringLiteral("handed to the listener");
    }
    return QString();
}

bool touchesPassword(const QString& command) {
    return cvarWords(command).name.contains(QLatin1String("password"));
}

QString redactedCommand(const QString& command) {
    const CvarWords words = cvarWords(command);
    if (!words.name.contains(QLatin1String("password")) || words.valueStart < 0)
        return boundedText(command);
    return boundedText(command.left(words.valueStart) + kHidden);
}

namespace {
const QString kRecordsSection = QStringLiteral("vorlanix\\Records");
}

RecordsSettings loadRecordsSettings(const platform::SettingsStore& store) {
    const RecordsSettings d;
    RecordsSettings s;
    const qint16 days = settingsInt16(
        store.read(kRecordsSection, QStringLiteral("HistoryDays"), QString::number(d.historyDays)), -1);
    s.historyDays = days >= 1 ? qMin(int(days), RecordsSettings::kMaxHistoryDays) : d.historyDays;
    s.auditAutoQuery = settingsBool(
        store.read(kRecordsSection, QStringLiteral("AuditAutoQuery"), boolText(d.auditAutoQuery)),
        d.auditAutoQuery);
    return s;
}

void saveRecordsSettings(platform::SettingsStore& store, const RecordsSettings& settings) {
    store.write(kRecordsSection, QStringLiteral("HistoryDays"), QString::number(settings.historyDays));
    store.write(kRecordsSection, QStringLiteral("AuditAutoQuery"), boolText(settings.auditAutoQuery));
}

QString keptReplyLine(const QString& command, const QString& replyPayload, Outcome outcome) {
    QString line;
    for (const QString& raw : replyPayload.left(kMaxRecordText * 4).split(QLatin1Char('\n'))) {
        line = withoutColours(raw).trimmed();
        if (!line.isEmpty())
            break;
    }
    if (outcome == Outcome::Replied &&
        (touchesPassword(command) || line.contains(QLatin1String("password"), Qt::CaseInsensitive)))
        return QStringLiteral("(not kept: it may show a password)");
    return boundedText(line);
}

QString desktopUser() {
#ifdef Q_OS_UNIX
    if (const passwd* entry = getpwuid(getuid()); entry && entry->pw_name)
        return boundedText(QString::fromLocal8Bit(entry->pw_name));
#endif
    for (const char* name : {"USER", "LOGNAME", "USERNAME"})
        if (const QString user = qEnvironmentVariable(name); !user.isEmpty())
            return boundedText(user);
    return QString();
}

QString csvLine(const QStringList& fields) {
    QStringList quoted;
    for (QString field : fields) {
        if (!field.isEmpty() && QStringLiteral("=+-@").contains(field.front()))
            field.prepend(QLatin1Char('\''));
        if (field.contains(QRegularExpression(QStringLiteral("[\",\r\n]"))) || field != field.trimmed())
            field =
                QLatin1Char('"') + field.replace(QLatin1Char('"'), QLatin1String("\"\"")) + QLatin1Char('"');
        quoted << field;
    }
    return quoted.join(QLatin1Char(',')) + QLatin1String("\r\n");
}

} // namespace console
