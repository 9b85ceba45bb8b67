#include "RestartPlan.h"

#include <AppSettings.h>
#include <SettingsStore.h>

#include <QRegularExpression>

#include <algorithm>

namespace console {

namespace {
const QString kDaily = QStringLiteral("RestartDaily");
const QString kServer = QStringLiteral("RestartServer");
const QString kWarnings = QStringLiteral("RestartWarnings");
const QString kMessage = QStringLiteral("RestartMessage");
const QString kVia = QStringLiteral("RestartVia");
const QString kCommand = QStringLiteral("RestartCommand");
const QString kSeen = QStringLiteral("RestartSeen");
const QString kMessageCount = QStringLiteral("MessageCount");
const QString kDailyFormat = QStringLiteral("HH:mm");
constexpr int kLongestCommand = 1024;

QString plural(qint64 n, const char* unit) {
    return QStringLiteral("%1 %2%3").arg(n).arg(QLatin1String(unit)).arg(n == 1 ? "" : "s");
}

std::optional<int> parseOffset(const QString& word) {
    static const QRegularExpression minutesSeconds(QStringLiteral("^(\\d{1,4}):([0-5]\\d)$"));
    static const QRegularExpression counted(QStringLiteral("^(\\d{1,6})([smh]?)$"),
                                            QRegularExpression::CaseInsensitiveOption);
    qint64 seconds = 0;
    if (const auto m = minutesSeconds.match(word); m.hasMatch()) {
        seconds = m.captured(1).toLongLong() * 60 + m.captured(2).toLongLong();
    } else if (const auto c = counted.match(word); c.hasMatch()) {
        const QString unit = c.captured(2).toLower();
        seconds = c.captured(1).toLongLong() * (unit == QLatin1String("h")   ? 3600
                                                : unit == QLatin1String("m") ? 60
                                                                             : 1);
    } else {
        return std::nullopt;
    }
    if (seconds < 1 || seconds > kLongestWarning)
        return std::nullopt;
    return int(seconds);
}

// Today's HH:MM in now's zone, moved a day on (or back) to fall after (or at or before) now; a day
// is added as the calendar does, so the wall-clock time holds across a change of summer time.
QDateTime atOrAfter(const QTime& at, const QDateTime& now, bool before) {
    QDateTime t = now;
    t.setTime(at);
    if (!before && t <= now)
        t = t.addDays(1);
    if (before && t > now)
        t = t.addDays(-1);
    return t;
}

QString messageKey(int index, const char* field) {
    return QStringLiteral("Message%1%2").arg(index + 1).arg(QLatin1String(field));
}
} // namespace

QDateTime nextRestart(const RestartPlan& plan, const QDateTime& now) {
    switch (plan.when) {
    case RestartPlan::When::Now:
        return now;
    case RestartPlan::When::In:
        return now.addSecs(plan.inSeconds);
    case RestartPlan::When::At:
    case RestartPlan::When::Daily:
        break;
    }
    return atOrAfter(plan.at, now, false);
}

QDateTime lastDailyTime(const QTime& at, const QDateTime& now) {
    return atOrAfter(at, now, true);
}

QString countdownText(qint64 seconds) {
    seconds = qMax<qint64>(0, seconds);
    const qint64 h = seconds / 3600, m = seconds / 60 % 60, s = seconds % 60;
    const QString tail = QStringLiteral("%1").arg(s, 2, 10, QLatin1Char('0'));
    if (h > 0)
        return QStringLiteral("%1:%2:%3").arg(h).arg(m, 2, 10, QLatin1Char('0')).arg(tail);
    return QStringLiteral("%1:%2").arg(m).arg(tail);
}

QString warningTime(int seconds) {
    const int h = seconds / 3600, m = seconds / 60 % 60, s = seconds % 60;
    QStringList parts;
    if (h > 0)
        parts << plural(h, "hour");
    if (m > 0)
        parts << plural(m, "minute");
    if (s > 0 || parts.isEmpty())
        parts << plural(s, "second");
    return parts.join(QLatin1Char(' '));
}

QString warningText(const QString& templateText, int seconds) {
    QString text = templateText;
    return text.replace(QLatin1String("{time}"), warningTime(seconds));
}

QString sayCommand(const QString& text) {
    QString said = text.left(kLongestSay);
    said.replace(QLatin1Char('"'), QLatin1Char('\''));
    for (QChar& c : said)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            c = QLatin1Char(' ');
    return QStringLiteral("say \"") + said + QLatin1Char('"');
}

std::optional<QList<int>> parseWarnings(const QString& text) {
    static const QRegularExpression separators(QStringLiteral("[,;\\s]+"));
    QList<int> warnings;
    for (const QString& word : text.split(separators, Qt::SkipEmptyParts)) {
        const auto offset = parseOffset(word);
        if (!offset || warnings.contains(*offset))
            return std::nullopt;
        warnings << *offset;
    }
    std::sort(warnings.begin(), warnings.end(), std::greater<>());
    return warnings;
}

QString warningsText(const QList<int>& warnings) {
    QStringList words;
    for (const int w : warnings) {
        if (w % 3600 == 0)
            words << QStringLiteral("%1h").arg(w / 3600);
        else if (w % 60 == 0)
            words << QStringLiteral("%1m").arg(w / 60);
        else if (w > 60)
            words << QStringLiteral("%1:%2").arg(w / 60).arg(w % 60, 2, 10, QLatin1Char('0'));
        else
            words << QStringLiteral("%1s").arg(w);
    }
    return words.join(QLatin1String(", "));
}

QString viaName(RestartPlan::Via via) {
    switch (via) {
    case RestartPlan::Via::Listener:
        return QStringLiteral("listener");
    case RestartPlan::Via::MapRestart:
        return QStringLiteral("map_restart");
    case RestartPlan::Via::Quit:
        return QStringLiteral("quit");
    case RestartPlan::Via::Custom:
        break;
    }
    return QStringLiteral("custom");
}

std::optional<RestartPlan::Via> viaByName(const QString& name) {
    for (const auto via : {RestartPlan::Via::Listener, RestartPlan::Via::MapRestart, RestartPlan::Via::Quit,
                           RestartPlan::Via::Custom})
        if (name.trimmed().compare(viaName(via), Qt::CaseInsensitive) == 0)
            return via;
    return std::nullopt;
}

QString restartCommand(const RestartPlan& plan) {
    switch (plan.via) {
    case RestartPlan::Via::Listener:
        return QString();
    case RestartPlan::Via::Custom:
        return plan.customCommand.trimmed();
    case RestartPlan::Via::MapRestart:
    case RestartPlan::Via::Quit:
        break;
    }
    return viaName(plan.via); // their names are the rcon commands
}

StoredSchedules loadSchedules(const platform::SettingsStore& store) {
    auto read = [&store](const QString& key) { return store.read(kSettingsSection, key, QString()); };
    StoredSchedules stored;
    const QTime daily = QTime::fromString(read(kDaily).trimmed(), kDailyFormat);
    const auto via = viaByName(read(kVia));
    const QString command = read(kCommand).trimmed();
    const bool commandFits = !command.isEmpty() && command.size() <= kLongestCommand;
    if (daily.isValid() && via && (*via != RestartPlan::Via::Custom || commandFits)) {
        RestartPlan plan;
        plan.when = RestartPlan::When::Daily;
        plan.at = daily;
        plan.via = *via;
        if (*via == RestartPlan::Via::Custom)
            plan.customCommand = command;
        if (const auto warnings = parseWarnings(read(kWarnings)))
            plan.warnings = *warnings;
        const QString message = read(kMessage);
        if (!message.trimmed().isEmpty())
            plan.message = message.left(kLongestSay);
        stored.daily = plan;
        stored.dailyServer = read(kServer).trimmed().left(kLongestCommand);
    }
    stored.lastSeen = QDateTime::fromString(read(kSeen).trimmed(), Qt::ISODate);

    bool ok = false;
    const int count = qBound(0, read(kMessageCount).toInt(&ok), kMostMessages);
    for (int i = 0; ok && i < count; ++i) {
        RecurringMessage m;
        m.text = read(messageKey(i, "")).left(kLongestSay);
        bool everyOk = false;
        m.everyMinutes = read(messageKey(i, "Every")).toInt(&everyOk);
        m.on = settingsBool(read(messageKey(i, "On")), false);
        if (!m.text.trimmed().isEmpty() && everyOk && m.everyMinutes >= 1 &&
            m.everyMinutes <= kLongestEveryMinutes)
            stored.messages << m;
    }
    return stored;
}

void saveSchedules(platform::SettingsStore& store, const StoredSchedules& schedules) {
    auto write = [&store](const QString& key, const QString& text) {
        store.write(kSettingsSection, key, text);
    };
    const RestartPlan plan = schedules.daily.value_or(RestartPlan{});
    write(kDaily, schedules.daily ? plan.at.toString(kDailyFormat) : QString());
    write(kServer, schedules.daily ? schedules.dailyServer : QString());
    write(kWarnings, warningsText(plan.warnings));
    write(kMessage, plan.message);
    write(kVia, viaName(plan.via));
    write(kCommand, plan.customCommand);
    write(kSeen, schedules.lastSeen.isValid() ? schedules.lastSeen.toUTC().toString(Qt::ISODate) : QString());
    const auto& messages = schedules.messages;
    const int count = int(qMin<qsizetype>(messages.size(), kMostMessages));
    write(kMessageCount, QString::number(count));
    for (int i = 0; i < count; ++i) {
        write(messageKey(i, ""), messages[i].text);
        write(messageKey(i, "Every"), QString::number(messages[i].everyMinutes));
        write(messageKey(i, "On"), boolText(messages[i].on));
    }
}

} // namespace console
