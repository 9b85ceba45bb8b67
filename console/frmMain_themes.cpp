#include "frmMain.h"

#include "ConsolePane.h"
#include "Themes.h"
#include "basMain.h"
#include "frmThemes.h"

#include <QAction>

namespace console {

namespace {
QAction* themeMenuItem(const frmMain& w, ThemeId id) {
    switch (id) {
    case ThemeId::Default:
        return w.mnuViewThemeDefault;
    case ThemeId::DOS:
        return w.mnuViewThemeDOS;
    case ThemeId::GreenScreen:
        return w.mnuViewThemeGreenScreen;
    case ThemeId::Bloodshot:
        return w.mnuViewThemeBloodshot;
    case ThemeId::BlackAndWhite:
        return w.mnuViewThemeBnW;
    case ThemeId::PurpleHaze:
        return w.mnuViewThemePH;
    case ThemeId::Custom:
        return w.mnuViewThemeCustom;
    }
    return nullptr;
}

void chooseBuiltInTheme(frmMain& w, ThemeId id) {
    const Theme& t = theme(id);
    w.ApplyTheme(t.look.back, t.look.fore, t.look.bold, t.look.italic, t.look.size, t.look.face);
    basMain().settings.CurrentTheme = t.identifier;
    w.CheckThemeMenu(basMain().settings.CurrentTheme);
}
} // namespace

void frmMain::wireThemeMenu() {
    connect(mnuViewThemeDefault, &QAction::triggered, this, &frmMain::mnuViewThemeDefault_Click);
    connect(mnuViewThemeDOS, &QAction::triggered, this, &frmMain::mnuViewThemeDOS_Click);
    connect(mnuViewThemeGreenScreen, &QAction::triggered, this, &frmMain::mnuViewThemeGreenScreen_Click);
    connect(mnuViewThemeBloodshot, &QAction::triggered, this, &frmMain::mnuViewThemeBloodshot_Click);
    connect(mnuViewThemeBnW, &QAction::triggered, this, &frmMain::mnuViewThemeBnW_Click);
    connect(mnuViewThemePH, &QAction::triggered, this, &frmMain::mnuViewThemePH_Click);
    connect(mnuViewThemeCustom, &QAction::triggered, this, &frmMain::mnuViewThemeCustom_Click);
    connect(mnuViewThemeSettings, &QAction::triggered, this, &frmMain::mnuViewThemeSettings_Click);
    connect(mnuViewThemeBigScreen, &QAction::triggered, this, &frmMain::mnuViewThemeBigScreen_Click);
}

void frmMain::ApplyTheme(quint32 back, quint32 fore, bool bold, bool italic, qint16 size,
                         const QString& face) {
    AppSettings& s = basMain().settings;
    s.ColorBack = back;
    s.ColorFore = fore;
    s.FormFontBold = bold;
    s.FormFontItalic = italic;
    s.FormFontSize = size;
    s.FormFontName = face;
    showPaneLook(false);
    if (s.BigScreenMode)
        SetBigScreenMode(true);
}

void frmMain::showPaneLook(bool enlarged) {
    const AppSettings& s = basMain().settings;
    setBoxColours(txtOutput, s.ColorBack, s.ColorFore);
    txtOutput->setFont(lookFont(s.FormFontName, enlarged ? bigScreenSize(s.FormFontSize) : s.FormFontSize,
                                enlarged || s.FormFontBold, s.FormFontItalic));
}

void frmMain::CheckThemeMenu(const QString& theme) {
    for (const Theme& t : themeCatalogue())
        themeMenuItem(*this, t.id)->setChecked(false);
    if (const auto id = themeByIdentifier(theme))
        themeMenuItem(*this, *id)->setChecked(true);
}

void frmMain::SetBigScreenMode(bool on) {
    AppSettings& s = basMain().settings;
    if (on) {
        setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowMaximized);
    } else if (s.BigScreenMode) {
        // Only leaving the mode gives the window back its normal state: a window the user (or the
        // stored state) maximised while the mode was off stays as it is.
        setWindowState(windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen));
    }
    showPaneLook(on);
    mnuViewThemeBigScreen->setChecked(on);
    s.BigScreenMode = on;
}

void frmMain::showThemeDialog() {
    frmThemes dialog(*this, m_desktop, this);
    dialog.exec();
}

void frmMain::mnuViewThemeDefault_Click() {
    chooseBuiltInTheme(*this, ThemeId::Default);
}

void frmMain::mnuViewThemeDOS_Click() {
    chooseBuiltInTheme(*this, ThemeId::DOS);
}

void frmMain::mnuViewThemeGreenScreen_Click() {
    chooseBuiltInTheme(*this, ThemeId::GreenScreen);
}

void frmMain::mnuViewThemeBloodshot_Click() {
    chooseBuiltInTheme(*this, ThemeId::Bloodshot);
}

void frmMain::mnuViewThemeBnW_Click() {
    chooseBuiltInTheme(*this, ThemeId::BlackAndWhite);
}

void frmMain::mnuViewThemePH_Click() {
    chooseBuiltInTheme(*this, ThemeId::PurpleHaze);
}

void frmMain::mnuViewThemeCustom_Click() {
    // Clicking the item ticked it; whether "Custom" is checked is the dialog's to decide.
    CheckThemeMenu(basMain().settings.CurrentTheme);
    showThemeDialog();
}

void frmMain::mnuViewThemeSettings_Click() {
    showThemeDialog();
}

void frmMain::mnuViewThemeBigScreen_Click() {
    // The item's check mark flips on the click itself; the mode follows the state before the click.
    SetBigScreenMode(!basMain().settings.BigScreenMode);
}

} // namespace console
