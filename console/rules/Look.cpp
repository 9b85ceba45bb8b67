#include "Look.h"

#include "AppSettings.h"

namespace console {

ThemeLook lookOf(const AppSettings& s) {
    return {s.ColorBack, s.ColorFore, s.FormFontBold, s.FormFontItalic, s.FormFontSize, s.FormFontName};
}

void setLook(AppSettings& s, const ThemeLook& look) {
    s.ColorBack = look.back;
    s.ColorFore = look.fore;
    s.FormFontBold = look.bold;
    s.FormFontItalic = look.italic;
    s.FormFontSize = look.size;
    s.FormFontName = look.face;
}

} // namespace console
