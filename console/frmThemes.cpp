#include "frmThemes.h"

#include "Themes.h"
#include "basMain.h"
#include "frmMain.h"

#include <Desktop.h>
#include <Twips.h>

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace console {

using platform::twipsRect;
using platform::twipsToPixels;

const QString frmThemes::kSampleText =
    QStringLiteral("8:37:56 PM:> status\r\n"
                   "========================================\r\n"
                   "map: q3tourney2\r\n"
                   "num score ping name            lastmsg address               qport rate\r\n"
                   "--- ----- ---- --------------- ------- --------------------- ----- -----\r\n"
                   "  1     1    0 Daemia              100 bot                   35567 16384\r\n"
                   "  2     0    0 Mynx                100 bot                   16007 16384\r\n"
                   "  3     0    0 Orbb                 50 bot                   48207 16384\r\n");

namespace {
QFont buttonFont() {
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPointSizeF(9.75);
    return font;
}

ThemeLook defaultLook() {
    return theme(ThemeId::Default).look;
}
} // namespace

frmThemes::frmThemes(frmMain& owner, platform::Desktop& desktop, QWidget* parent)
    : QDialog(parent,
              Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      m_owner(owner), m_desktop(desktop) {
    setWindowTitle(QStringLiteral("Customize Themes"));
    setFixedSize(twipsToPixels(7815), twipsToPixels(3375));

    auto button = [this](QWidget* parent, const char* caption, double l, double t, double w, double h) {
        auto* b = new QPushButton(QString::fromLatin1(caption), parent);
        b->setFont(buttonFont());
        b->setGeometry(twipsRect(l, t, w, h));
        return b;
    };

    Frame2 = new QGroupBox(this);
    Frame2->setGeometry(twipsRect(120, 0, 2055, 2775));
    Label1 = new QLabel(QStringLiteral("Select Theme: "), Frame2);
    Label1->setGeometry(twipsRect(120, 240, 1215, 255));
    cboTheme = new QComboBox(Frame2);
    cboTheme->setEditable(true);
    cboTheme->setInsertPolicy(QComboBox::NoInsert);
    for (const Theme& t : themeCatalogue())
        cboTheme->addItem(t.caption);
    cboTheme->setEditText(theme(ThemeId::Default).caption);
    cboTheme->setGeometry(twipsRect(120, 480, 1815, 315));
    ckBigScreenMode = new QCheckBox(QStringLiteral("Big Screen Mode"), Frame2);
    ckBigScreenMode->setGeometry(twipsRect(120, 960, 1815, 195));
    cmdColorBack = button(Frame2, "Background", 120, 1320, 1815, 350);
    cmdColorFore = button(Frame2, "Font Color", 120, 1800, 1815, 350);
    cmdShowFont = button(Frame2, "Font Face", 120, 2280, 1815, 350);

    Frame1 = new QGroupBox(this);
    Frame1->setGeometry(twipsRect(2280, 0, 5415, 2775));
    txtFontSample = new QPlainTextEdit(Frame1);
    txtFontSample->setGeometry(twipsRect(120, 240, 5175, 2415));
    txtFontSample->setLineWrapMode(QPlainTextEdit::NoWrap);
    txtFontSample->setReadOnly(true);
    txtFontSample->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtFontSample->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QString shown = kSampleText;
    shown.remove(QLatin1Char('\r'));
    txtFontSample->setPlainText(shown);

    cmdDefaults = button(this, "Defaults", 2520, 2895, 1185, 350);
    cmdCancel = button(this, "Cancel", 3840, 2895, 1185, 350);
    cmdApply = button(this, "Apply", 5160, 2895, 1185, 350);
    cmdOK = button(this, "OK", 6480, 2895, 1185, 350);
    cmdOK->setDefault(true);

    setTabOrder(cboTheme, ckBigScreenMode);
    setTabOrder(ckBigScreenMode, cmdColorBack);
    setTabOrder(cmdColorBack, cmdColorFore);
    setTabOrder(cmdColorFore, cmdShowFont);
    setTabOrder(cmdShowFont, cmdOK);
    setTabOrder(cmdOK, cmdApply);
    setTabOrder(cmdApply, cmdCancel);
    setTabOrder(cmdCancel, cmdDefaults);
    setTabOrder(cmdDefaults, txtFontSample);

    connect(cboTheme, &QComboBox::activated, this, &frmThemes::cboTheme_Click);
    // Typing in the selector changes what Apply files the look under.
    connect(cboTheme->lineEdit(), &QLineEdit::textEdited, this, &frmThemes::SetDirty);
    connect(ckBigScreenMode, &QCheckBox::toggled, this, &frmThemes::ckBigScreenMode_Click);
    connect(cmdColorBack, &QPushButton::clicked, this, &frmThemes::cmdColorBack_Click);
    connect(cmdColorFore, &QPushButton::clicked, this, &frmThemes::cmdColorFore_Click);
    connect(cmdShowFont, &QPushButton::clicked, this, &frmThemes::cmdShowFont_Click);
    connect(cmdApply, &QPushButton::clicked, this, &frmThemes::cmdApply_Click);
    connect(cmdOK, &QPushButton::clicked, this, &frmThemes::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmThemes::cmdCancel_Click);
    connect(cmdDefaults, &QPushButton::clicked, this, &frmThemes::cmdDefaults_Click);

    cmdApply->setEnabled(false);
    EnableCustomButtons(false);
    Form_Load();
}

void frmThemes::Form_Load() {
    const AppSettings& s = basMain().settings;
    // The stored look, never the big-screen enlargement.
    setBoxColours(txtFontSample, s.ColorBack, s.ColorFore);
    txtFontSample->setFont(lookFont(s.FormFontName, s.FormFontSize, s.FormFontBold, s.FormFontItalic));
    cboTheme->setEditText(selectorTextFor(s.CurrentTheme));
    ckBigScreenMode->setChecked(s.BigScreenMode);
    m_appliedTheme = s.CurrentTheme;
}

void frmThemes::SetDirty() {
    cmdApply->setEnabled(true);
}

void frmThemes::EnableCustomButtons(bool enabled) {
    cmdColorBack->setEnabled(enabled);
    cmdColorFore->setEnabled(enabled);
    cmdShowFont->setEnabled(enabled);
}

void frmThemes::PreviewTheme(quint32 back, quint32 fore, bool bold, bool italic, double size,
                             const QString& face) {
    setBoxColours(txtFontSample, back, fore);
    txtFontSample->setFont(lookFont(face, size, bold, italic));
    AppSettings& s = basMain().settings;
    s.CurrentTheme = identifierOfSelector(cboTheme->currentText());
    m_owner.CheckThemeMenu(s.CurrentTheme);
}

void frmThemes::cboTheme_Click() {
    const QString picked = cboTheme->currentText();
    for (const Theme& t : themeCatalogue()) {
        if (picked != t.caption) // a pick is always one of the list's own texts
            continue;
        if (t.id == ThemeId::Custom) {
            EnableCustomButtons(true);
        } else {
            PreviewTheme(t.look.back, t.look.fore, t.look.bold, t.look.italic, t.look.size, t.look.face);
            EnableCustomButtons(false);
        }
        break;
    }
    SetDirty();
}

void frmThemes::ckBigScreenMode_Click() {
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
    AppSettings& s = basMain().settings;
    const QString selector = cboTheme->currentText();
    const auto id = themeByCaption(selector);
    // A built-in name is shown again before the sample is read, so the look that goes on the pane
    // is the one the selector, the sample and the menu's check mark all name.
    if (id && *id != ThemeId::Custom) {
        const ThemeLook& l = theme(*id).look;
        PreviewTheme(l.back, l.fore, l.bold, l.italic, l.size, l.face);
    } else if (id) {
        s.CurrentTheme = identifierOfSelector(selector);
        m_owner.CheckThemeMenu(s.CurrentTheme);
    }

    const QFont font = txtFontSample->font();
    m_owner.ApplyTheme(boxBackground(txtFontSample), boxForeground(txtFontSample), font.bold(), font.italic(),
                       wholePoints(font.pointSizeF()), font.family());
    m_owner.SetBigScreenMode(ckBigScreenMode->isChecked());
    cmdApply->setEnabled(false);
    m_appliedTheme = s.CurrentTheme;
}

void frmThemes::cmdOK_Click() {
    cmdApply_Click();
    accept();
}

void frmThemes::cmdCancel_Click() {
    reject();
}

void frmThemes::reject() {
    AppSettings& s = basMain().settings;
    if (s.CurrentTheme != m_appliedTheme) {
        s.CurrentTheme = m_appliedTheme;
        m_owner.CheckThemeMenu(s.CurrentTheme);
    }
    QDialog::reject();
}

void frmThemes::cmdDefaults_Click() {
    const ThemeLook d = defaultLook();
    setBoxColours(txtFontSample, d.back, d.fore);
    txtFontSample->setFont(lookFont(d.face, d.size, d.bold, d.italic));
    ckBigScreenMode->setChecked(false);
    SetDirty();
}

} // namespace console
