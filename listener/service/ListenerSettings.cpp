#include "ListenerSettings.h"

#include "ListenerLogic.h"

#include <SettingsStore.h>

namespace listener {

namespace {
const QString kSection = QStringLiteral("Kestwold\\Settings");

struct Row {
    QLatin1StringView key;
    QString ListenerSettings::*member;                   // read into; none: written only
    QString (*stored)(const ListenerSettings& settings); // what is written; none: read only
    QLatin1StringView defaultText;
};

// Written in this order, as the window has always written them.
const Row kRows[] = {
    {QLatin1StringView("GameEXE"), &ListenerSettings::executable,
     [](const ListenerSettings& s) { return s.executable.trimmed(); }, QLatin1StringView("")},
    {QLatin1StringView("GameDir"), nullptr,
     [](const ListenerSettings& s) { return workingFolderOf(s.executable.trimmed()); },
     QLatin1StringView("")},
    {QLatin1StringView("GameParams"), &ListenerSettings::parameters,
     [](const ListenerSettings& s) { return s.parameters.trimmed(); }, QLatin1StringView("")},
    {QLatin1StringView("AllowedPeers"), &ListenerSettings::allowedPeers, nullptr, QLatin1StringView("")},
};

// How the key reads in the file: the section's first word is the group, the rest goes before the key.
QString inFile(const QLatin1StringView key) {
    return QStringLiteral("Settings\\%1 in section [Kestwold]").arg(key);
}

QString fixFor(const QString& why) {
    return why.contains(QLatin1String("quote"))
               ? QStringLiteral("add the closing quote (written by hand, a double quote inside a value is "
                                "\\\"), or save the settings from the window")
               : QStringLiteral("write the value on one line, or save the settings from the window");
}
} // namespace

std::optional<QString> ListenerSettings::damage(const QString& key, const QString& value) {
    return valueDamage(value, key == QLatin1String("GameParams"));
}

ListenerSettings ListenerSettings::read(const platform::SettingsStore& store) {
    ListenerSettings settings;
    for (const Row& row : kRows)
        if (row.member)
            settings.*row.member = store.read(kSection, row.key, row.defaultText);
    return settings;
}

platform::Result<ListenerSettings> ListenerSettings::load(const platform::SettingsStore& store) {
    if (const platform::Result<>& opened = store.opened(); !opened)
        return platform::Failure{opened.why() + QStringLiteral("; ") + fixFor(opened.why())};
    const ListenerSettings settings = read(store);
    for (const Row& row : kRows) {
        if (!row.member)
            continue;
        if (const auto why = damage(row.key, settings.*row.member))
            return platform::Failure{
                QStringLiteral("%1 of %2 %3; %4").arg(inFile(row.key), store.fileName(), *why, fixFor(*why))};
    }
    return settings;
}

platform::Result<> ListenerSettings::save(platform::SettingsStore& store) const {
    for (const Row& row : kRows)
        if (row.member && row.stored)
            if (const auto why = damage(row.key, row.stored(*this)))
                return platform::Failure{QStringLiteral("%1 %2").arg(row.key, *why)};
    for (const Row& row : kRows)
        if (row.stored)
            store.write(kSection, row.key, row.stored(*this));
    return store.sync();
}

} // namespace listener
