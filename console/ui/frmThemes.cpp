#include "frmThemes.h"

#include "Controls.h"
#include "WidgetLook.h"

#include <Desktop.h>
#include <Faces.h>
#include <Twips.h>

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace console {

using platform::twipsToPixels;
using namespace controls;

const QString frmThemes::kSampleText =
    QStringLiteral("8:37:56 PM:> status\r\n"
                   "========================================\r\n"
                   "map: q3tourney2\r\n"
                   "num score ping name            lastmsg address               qport rate\r\n"
                   "--- ----- ---- --------------- ------- --------------------- ----- -----\r\n"
                   "  1     1    0 Daemia              100 bot                   35567 16384\r\n"
                   "  2     0    0 Mynx                100 bot                   16007 16384\r\n"
                   "  3     0    0 Orbb                 50 bot                   48207 16384\r\n");

frmThemes::frmThemes(platform::Desktop& desktop, const ThemeLook& look, const QString& currentTheme,
                     bool bigScreen, QWidget* parent)
    : QDialog(parent,
              Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      m_desktop(desktop) {
    setWindowTitle(QStringLiteral("Customize Themes"));
    setFixedSize(twipsToPixels(7815), twipsToPixels(3375));

    QGroupBox* frame2 = frame(this, "Frame2", {120, 0, 2055, 2775});
    QLabel* label1 = label(frame2, "Label1", QStringLiteral("Select Theme: "), {120, 240, 1215, 255});
    label1->setFont(font());
    cboTheme = combo(frame2, "cboTheme", QString(), {120, 480, 1815, 315});
    for (const Theme& t : themeCatalogue())
        cboTheme->addItem(t.caption);
    cboTheme->setEditText(theme(ThemeId::Default).caption);
    ckBigScreenMode =
        check(frame2, "ckBigScreenMode", QStringLiteral("Big Screen Mode"), {120, 960, 1815, 195});
    cmdColorBack = button(frame2, "cmdColorBack", QStringLiteral("Background"), {120, 1320, 1815, 350});
    cmdColorFore = button(frame2, "cmdColorFore", QStringLiteral("Font Color"), {120, 1800, 1815, 350});
    cmdShowFont = button(frame2, "cmdShowFont", QStringLiteral("Font Face"), {120, 2280, 1815, 350});

    QGroupBox* frame1 = frame(this, "Frame1", {2280, 0, 5415, 2775});
    txtFontSample = new QPlainTextEdit(frame1);
    named(txtFontSample, "txtFontSample");
    place(txtFontSample, {120, 240, 5175, 2415});
    txtFontSample->setLineWrapMode(QPlainTextEdit::NoWrap);
    txtFontSample->setReadOnly(true);
    txtFontSample->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtFontSample->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QString shown = kSampleText;
    shown.remove(QLatin1Char('\r'));
    txtFontSample->setPlainText(shown);

    QPushButton* cmdDefaults =
        button(this, "cmdDefaults", QStringLiteral("Defaults"), {2520, 2895, 1185, 350});
    QPushButton* cmdCancel = button(this, "cmdCancel", QStringLiteral("Cancel"), {3840, 2895, 1185, 350});
    cmdApply = button(this, "cmdApply", QStringLiteral("Apply"), {5160, 2895, 1185, 350});
    QPushButton* cmdOK = button(this, "cmdOK", QStringLiteral("OK"), {6480, 2895, 1185, 350});
    cmdOK->setDefault(true);

    tabChain({cboTheme, ckBigScreenMode, cmdColorBack, cmdColorFore, cmdShowFont, cmdOK, cmdApply, cmdCancel,
              cmdDefaults, txtFontSample});

    connect(cboTheme, &QComboBox::activated, this, &frmThemes::cboTheme_Click);
    // Typing in the selector changes what Apply files the look under.
    connect(cboTheme->lineEdit(), &QLineEdit::textEdited, this, &frmThemes::SetDirty);
    connect(ckBigScreenMode, &QCheckBox::toggled, this, &frmThemes::SetDirty);
    connect(cmdColorBack, &QPushButton::clicked, this, &frmThemes::cmdColorBack_Click);
    connect(cmdColorFore, &QPushButton::clicked, this, &frmThemes::cmdColorFore_Click);
    connect(cmdShowFont, &QPushButton::clicked, this, &frmThemes::cmdShowFont_Click);
    connect(cmdApply, &QPushButton::clicked, this, &frmThemes::cmdApply_Click);
    connect(cmdOK, &QPushButton::clicked, this, &frmThemes::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmThemes::reject);
    connect(cmdDefaults, &QPushButton::clicked, this, &frmThemes::cmdDefaults_Click);

    cmdApply->setEnabled(false);
    EnableCustomButtons(false);
    Form_Load(look, currentTheme, bigScreen);
}

void frmThemes::Form_Load(const ThemeLook& look, const QString& currentTheme, bool bigScreen) {
    showLook(look);
    cboTheme->setEditText(selectorTextFor(currentTheme));
    ckBigScreenMode->setChecked(bigScreen);
    m_theme = m_appliedTheme = currentTheme;
}

void frmThemes::SetDirty() {
    cmdApply->setEnabled(true);
}

void frmThemes::EnableCustomButtons(bool enabled) {
    cmdColorBack->setEnabled(enabled);
    cmdColorFore->setEnabled(enabled);
    cmdShowFont->setEnabled(enabled);
}

void frmThemes::showLook(const ThemeLook& look) {
    setBoxColours(txtFontSample, look.back, look.fore);
    txtFontSample->setFont(lookFont(look.face, look.size, look.bold, look.italic));
}

void frmThemes::makeCurrent(const QString& identifier) {
    m_theme = identifier;
    emit themeChanged(identifier);
}

void frmThemes::PreviewTheme(const ThemeLook& look) {
    showLook(look);
    makeCurrent(identifierOfSelector(cboTheme->currentText()));
}

void frmThemes::cboTheme_Click() {
    const QString picked = cboTheme->currentText();
    for (const Theme& t : themeCatalogue()) {
        if (picked != t.caption) // a pick is always one of the list's own texts
            continue;
        if (t.id == ThemeId::Custom) {
            EnableCustomButtons(true);
        } else {
            PreviewTheme(t.look);
            EnableCustomButtons(false);
        }
        break;
    }
    SetDirty();
}

void frmThemes::cmdColorBack_Click() {
    const QColor initial = colourOf(boxBackground(txtFontSample));
    const QColor chosen = m_desktop.chooseColor(this, initial).value_or(initial);
    setBoxColours(txtFontSample, bgrOf(chosen), boxForeground(txtFontSample));
    SetDirty();
}

void frmThemes::cmdColorFore_Click() {
    const quint32 before = boxForeground(txtFontSample);
    const QColor initial = colourOf(before);
    const QColor chosen = m_desktop.chooseColor(this, initial).value_or(initial);
    setBoxColours(txtFontSample, boxBackground(txtFontSample), bgrOf(chosen));
    if (boxForeground(txtFontSample) != before)
        SetDirty();
}

void frmThemes::cmdShowFont_Click() {
    const QFont initial = txtFontSample->font();
    const QFont chosen = m_desktop.chooseFont(this, initial).value_or(initial);
    // Face, bold, italic and size only: underline, strikeout and colour are not part of a look.
    const double size = chosen.pointSizeF() > 0 ? chosen.pointSizeF() : initial.pointSizeF();
    txtFontSample->setFont(lookFont(chosen.family(), size, chosen.bold(), chosen.italic()));
    SetDirty();
}

void frmThemes::cmdApply_Click() {
    // A built-in name is shown again before the sample is read, so the look that goes on the pane
    // is the one the selector, the sample and the menu's check mark all name.
    const QString selector = cboTheme->currentText();
    if (const auto id = themeByCaption(selector)) {
        if (*id == ThemeId::Custom)
            makeCurrent(identifierOfSelector(selector));
        else
            PreviewTheme(theme(*id).look);
    }
    const QFont font = txtFontSample->font();
    const ThemeLook look{boxBackground(txtFontSample),
                         boxForeground(txtFontSample),
                         font.bold(),
                         font.italic(),
                         wholePoints(font.pointSizeF()),
                         font.family()};
    emit applied(look, ckBigScreenMode->isChecked());
    cmdApply->setEnabled(false);
    m_appliedTheme = m_theme;
}

void frmThemes::cmdOK_Click() {
    cmdApply_Click();
    accept();
}

void frmThemes::reject() {
    if (m_theme != m_appliedTheme)
        makeCurrent(m_appliedTheme);
    QDialog::reject();
}

void frmThemes::cmdDefaults_Click() {
    showLook(theme(ThemeId::Default).look);
    ckBigScreenMode->setChecked(false);
    SetDirty();
}

} // namespace console
