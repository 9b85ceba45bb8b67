#include "Bans.h"

#include "RecordRules.h"
#include "ServerReplies.h"

#include <QRegularExpression>

namespace console {

namespace {
struct BanWords {
    Engine engine;
    BanAction action;
    const char* pattern; // %1 is the range in the engine's own form
};
// Another engine's words are adopted here.
constexpr BanWords kBanWords[] = {
    {Engine::Ioquake3, BanAction::List, "listbans"},
    {Engine::Ioquake3, BanAction::Add, "banaddr %1"},
    {Engine::Ioquake3, BanAction::Remove, "bandel %1"},
    {Engine::Ioquake3, BanAction::AddException, "exceptaddr %1"},
    {Engine::Ioquake3, BanAction::RemoveException, "exceptdel %1"},
    {Engine::Ioquake3, BanAction::Flush, "flushbans"},
    {Engine::EtLegacy, BanAction::List, "g_banIPs"},
    {Engine::EtLegacy, BanAction::Add, "addip %1"},
    {Engine::EtLegacy, BanAction::Remove, "removeip %1"},
};

std::optional<QString> rangeText(const QString& text) {
    const std::optional<AddressRange> range = parseAddressRange(text);
    return range ? std::optional(range->text) : std::nullopt;
}

QStringList lines(const QString& text) {
    QString t = text;
    t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    return t.split(QLatin1Char('\n'));
}
} // namespace

QList<BanEntry> parseBanList(const QString& text) {
    static const QRegularExpression entry(QStringLiteral("^(Ban|Except) #(\\d{1,4}): (\\S+)$"));
    QList<BanEntry> entries;
    for (const QString& line : lines(text.left(kMaxReplyBytes))) {
        const QRegularExpressionMatch m = entry.match(withoutColours(line).trimmed());
        if (!m.hasMatch())
            continue;
        const std::optional<AddressRange> range = parseAddressRange(m.captured(3));
        if (!range)
            continue;
        entries.append({m.captured(1) == QLatin1String("Ban") ? BanKind::Ban : BanKind::Exception,
                        m.captured(2).toInt(), range->text});
        if (entries.size() == kMaxBanEntries)
            break;
    }
    return entries;
}

QList<BanEntry> parseEtBanCvar(const QString& text) {
    static const QRegularExpression value(QStringLiteral("\"g_banIPs\" is:\"([^\"]*)\""),
                                          QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = value.match(text.left(kMaxReplyBytes));
    QList<BanEntry> entries;
    if (!m.hasMatch())
        return entries;
    for (const QString& word : withoutColours(m.captured(1)).split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (const std::optional<QString> range = rangeOfEtWildcard(word))
            entries.append({BanKind::Ban, int(entries.size()) + 1, *range});
        if (entries.size() == kMaxBanEntries)
            break;
    }
    return entries;
}

BanReply parseBanReply(const QString& text) {
    static const QList<QPair<BanReply::Kind, QRegularExpression>> patterns = {
        {BanReply::Added, QRegularExpression(QStringLiteral("^Added ban: (\\S+)$"))},
        {BanReply::ExceptionAdded, QRegularExpression(QStringLiteral("^Added ban exception: (\\S+)$"))},
        {BanReply::Deleted, QRegularExpression(QStringLiteral("^Deleting ban (\\S+)$"))},
        {BanReply::ExceptionDeleted, QRegularExpression(QStringLiteral("^Deleting exception (\\S+)$"))},
        {BanReply::Flushed,
         QRegularExpression(QStringLiteral("^All bans and exceptions have been deleted\\.$"))},
        {BanReply::Failed, QRegularExpression(QStringLiteral("^Error: (.*)$"))},
        // ET: Legacy's removeip.
        {BanReply::Deleted, QRegularExpression(QStringLiteral("^Removed\\.$"))},
        {BanReply::NotFound, QRegularExpression(QStringLiteral("^Didn't find (\\S+)\\.$"))},
    };
    bool any = false;
    for (const QString& raw : lines(text.left(kMaxReplyBytes))) {
        const QString line = withoutColours(raw).trimmed();
        any = any || !line.isEmpty();
        for (const auto& [kind, pattern] : patterns) {
            const QRegularExpressionMatch m = pattern.match(line);
            if (!m.hasMatch())
                continue;
            BanReply reply{kind, {}, {}};
            if (kind == BanReply::Failed)
                reply.error = boundedText(m.captured(1));
            else if (kind == BanReply::NotFound)
                reply.range = rangeOfEtWildcard(m.captured(1)).value_or(QString());
            else if (pattern.captureCount() > 0)
                reply.range = rangeText(m.captured(1)).value_or(QString());
            return reply;
        }
    }
    return {any ? BanReply::Other : BanReply::Silent, {}, {}};
}

Engine engineFromVersion(const QString& version) {
    const QString v = version.trimmed();
    if (v.startsWith(QLatin1String("ET Legacy"), Qt::CaseInsensitive) ||
        v.startsWith(QLatin1String("ETL"), Qt::CaseInsensitive) ||
        v.startsWith(QLatin1String("ET 2."), Qt::CaseInsensitive))
        return Engine::EtLegacy;
    return Engine::Ioquake3;
}

std::optional<QString> banCommand(Engine engine, BanAction action, const QString& range) {
    for (const BanWords& words : kBanWords) {
        if (words.engine != engine || words.action != action)
            continue;
        const QString pattern = QString::fromLatin1(words.pattern);
        if (!pattern.contains(QLatin1String("%1")))
            return pattern;
        // Only a parsed range reaches the server: no blank, quote or semicolon can ride along.
        const std::optional<AddressRange> parsed = parseAddressRange(range);
        if (!parsed)
            return std::nullopt;
        if (engine == Engine::EtLegacy) {
            const std::optional<QString> wildcard = etWildcard(parsed->text);
            return wildcard ? std::optional(pattern.arg(*wildcard)) : std::nullopt;
        }
        return pattern.arg(parsed->text);
    }
    return std::nullopt;
}

std::optional<QString> etWildcard(const QString& range) {
    const std::optional<AddressRange> parsed = parseAddressRange(range);
    if (!parsed || parsed->text.contains(QLatin1Char(':')))
        return std::nullopt;
    const QStringList parts = parsed->text.split(QLatin1Char('/'));
    const int bits = parts[1].toInt();
    if (bits % 8 != 0)
        return std::nullopt;
    QStringList octets = parts[0].split(QLatin1Char('.'));
    for (int i = bits / 8; i < 4; ++i)
        octets[i] = QStringLiteral("*");
    return octets.join(QLatin1Char('.'));
}

std::optional<QString> rangeOfEtWildcard(const QString& wildcard) {
    const QStringList octets = wildcard.split(QLatin1Char('.'));
    if (octets.size() != 4)
        return std::nullopt;
    QStringList address;
    int bits = 0;
    bool wild = false;
    for (const QString& octet : octets) {
        if (octet == QLatin1String("*")) {
            wild = true;
            address << QStringLiteral("0");
            continue;
        }
        bool ok = false;
        const int value = octet.toInt(&ok);
        if (wild || !ok || value < 0 || value > 255 || octet.size() > 3)
            return std::nullopt;
        address << QString::number(value);
        bits += 8;
    }
    return rangeText(address.join(QLatin1Char('.')) + QLatin1Char('/') + QString::number(bits));
}

} // namespace console
