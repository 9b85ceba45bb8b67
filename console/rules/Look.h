#pragma once

#include <QString>
#include <QtGlobal>

namespace console {

struct AppSettings;

// The six values that make the console pane's look. Colours are 0x00BBGGRR numbers.
struct ThemeLook {
    quint32 back = 0;
    quint32 fore = 0;
    bool bold = false;
    bool italic = false;
    qint16 size = 0;
    QString face{};
    bool operator==(const ThemeLook&) const = default;
};

// The look the settings hold, and the settings holding a look.
ThemeLook lookOf(const AppSettings& settings);
void setLook(AppSettings& settings, const ThemeLook& look);

} // namespace console
