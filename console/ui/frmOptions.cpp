#include "frmOptions.h"

#include "Controls.h"
#include "OptionsRules.h"
#include "RatePacing.h"
#include "WidgetLook.h"

#include <Desktop.h>
#include <Twips.h>

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace console {

using platform::twipsToPixels;
using namespace controls;

namespace {
const QString kSeconds = QStringLiteral("Seconds");
const QString kMinutes = QStringLiteral("Minutes");

// The rate limit's row, below the dialog's own controls so none of them moves.
constexpr int kPacingRowTwips = 555;
QString pacingCaption(PacingProfile profile) {
    switch (profile) {
    case PacingProfile::Ioquake3:
        return QStringLiteral("ioquake3 (10 at once, then 1 a second)");
    case PacingProfile::OriginalEngine:
        return QStringLiteral("original engine (1 every half second)");
    case PacingProfile::NoLimit:
        break;
    }
    return QStringLiteral("no limit");
}
} // namespace

frmOptions::frmOptions(platform::Desktop& desktop, const AppSettings& settings, bool statusTimerRunning,
                       QWidget* parent)
    : QDialog(parent), m_desktop(desktop), m_settings(settings) {
    setWindowTitle(QStringLiteral("Options"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFixedSize(twipsToPixels(5400), twipsToPixels(2415 + kPacingRowTwips));

    auto optionsButton = [](QWidget* parent, const char* name, const char* caption, const TwipsRect& at) {
        QPushButton* b = button(parent, name, QString::fromLatin1(caption), at);
        b->setAutoDefault(false);
        return b;
    };

    QGroupBox* frame1 = frame(this, "Frame1", {120, 0, 2415, 1815});
    ckLog = check(frame1, "ckLog", QStringLiteral("Save Console Log"), {240, 240, 2055, 350});
    ckSavePwd = check(frame1, "ckSavePwd", QStringLiteral("Save Password On Exit"), {240, 600, 2055, 350});
    ckHideColorTags =
        check(frame1, "ckHideColorTags", QStringLiteral("Hide Fun Name Codes"), {240, 960, 2055, 350});
    ckEnableAutoComplete =
        check(frame1, "ckEnableAutoComplete", QStringLiteral("Enable AutoComplete"), {240, 1320, 1935, 350});
    QGroupBox* frame2 = frame(this, "Frame2", {2640, 0, 2655, 1095});
    ckQueryStat = check(frame2, "ckQueryStat", QStringLiteral("Auto-Query Status"), {240, 240, 2295, 375});
    txtMinutes = new QLineEdit(QStringLiteral("5"), frame2);
    named(txtMinutes, "txtMinutes");
    place(txtMinutes, {480, 600, 615, 315});
    cboTimePeriod = combo(frame2, "cboTimePeriod", QString(), {1200, 600, 1335, 315});
    cboTimePeriod->addItems({kMinutes, kSeconds});
    cboTimePeriod->setEditText(kMinutes);
    QPushButton* cmdShowThemes = optionsButton(frame(this, "Frame3", {2640, 1100, 2655, 720}),
                                               "cmdShowThemes", "Themes...", {240, 240, 2145, 350});
    QPushButton* cmdDefaults = optionsButton(this, "cmdDefaults", "Defaults", {120, 1935, 1185, 350});
    QPushButton* cmdCancel = optionsButton(this, "cmdCancel", "Cancel", {1440, 1935, 1185, 350});
    cmdApply = optionsButton(this, "cmdApply", "Apply", {2760, 1935, 1185, 350});
    QPushButton* cmdOK = optionsButton(this, "cmdOK", "OK", {4080, 1935, 1185, 350});
    cmdOK->setDefault(true);
    QGroupBox* frame4 = frame(this, "Frame4", {120, 2400, 5175, 480});
    QLabel* lblRatePacing =
        label(frame4, "lblRatePacing", QStringLiteral("Server &rate limit:"), {240, 165, 1335, 255});
    cboRatePacing = new QComboBox(frame4);
    named(cboRatePacing, "cboRatePacing");
    place(cboRatePacing, {1620, 105, 3435, 315});
    for (const QString& name : pacingProfileNames())
        cboRatePacing->addItem(pacingCaption(*pacingProfileNamed(name)), name);
    lblRatePacing->setBuddy(cboRatePacing);

    tabChain({ckLog, ckSavePwd, ckHideColorTags, ckEnableAutoComplete, ckQueryStat, txtMinutes, cboTimePeriod,
              cmdShowThemes, cmdApply, cmdOK, cmdCancel, cmdDefaults, cboRatePacing});

    for (QCheckBox* box : {ckLog, ckSavePwd, ckHideColorTags, ckEnableAutoComplete})
        connect(box, &QCheckBox::toggled, this, &frmOptions::SetDirty);
    connect(cboTimePeriod, &QComboBox::editTextChanged, this, &frmOptions::SetDirty);
    connect(cboRatePacing, &QComboBox::currentIndexChanged, this, &frmOptions::SetDirty);
    connect(ckQueryStat, &QCheckBox::toggled, this, &frmOptions::ckQueryStat_Click);
    connect(txtMinutes, &QLineEdit::textChanged, this, &frmOptions::txtMinutes_Change);
    connect(cmdShowThemes, &QPushButton::clicked, this, &frmOptions::themesRequested);
    connect(cmdApply, &QPushButton::clicked, this, &frmOptions::cmdApply_Click);
    connect(cmdOK, &QPushButton::clicked, this, &frmOptions::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(cmdDefaults, &QPushButton::clicked, this, &frmOptions::cmdDefaults_Click);

    Form_Load(statusTimerRunning);
}

void frmOptions::SetDirty() {
    cmdApply->setEnabled(true);
}

void frmOptions::Form_Load(bool statusTimerRunning) {
    const AppSettings& s = m_settings;
    ckHideColorTags->setChecked(s.HideFunNameCodes != 0);
    txtMinutes->setText(QString::number(s.TimePeriod));
    cboTimePeriod->setEditText(s.TimeScale == 1 ? kSeconds : kMinutes);
    ckQueryStat->setChecked(statusTimerRunning);
    ckLog->setChecked(s.EnableLogging);
    ckEnableAutoComplete->setChecked(s.UseAutoComplete);
    ckSavePwd->setChecked(s.SavePassword);
    cboRatePacing->setCurrentIndex(qMax(0, cboRatePacing->findData(s.RatePacing)));
    EnableTextBox(txtMinutes, ckQueryStat->isChecked());
    EnableComboBox(cboTimePeriod, ckQueryStat->isChecked());
    cmdApply->setEnabled(false);
}

void frmOptions::ckQueryStat_Click() {
    SetDirty();
    EnableTextBox(txtMinutes, ckQueryStat->isChecked());
    EnableComboBox(cboTimePeriod, ckQueryStat->isChecked());
}

void frmOptions::txtMinutes_Change() {
    SetDirty();
    const std::optional<MinutesCorrection> correction = checkMinutes(txtMinutes->text());
    if (!correction)
        return;
    m_desktop.messageBox(this, correction->message, QStringLiteral("vorlanix"),
                         platform::Desktop::Icon::Warning, platform::Desktop::Buttons::Ok);
    txtMinutes->setText(correction->corrected);
}

void frmOptions::cmdApply_Click() {
    AppSettings& s = m_settings;
    s.HideFunNameCodes = ckHideColorTags->isChecked() ? 1 : 0;
    s.TimePeriod = minutesValue(txtMinutes->text(), s.TimePeriod);
    s.EnableLogging = ckLog->isChecked();
    s.SavePassword = ckSavePwd->isChecked();
    s.UseAutoComplete = ckEnableAutoComplete->isChecked();
    s.TimeScale = cboTimePeriod->currentText() == kSeconds ? 1 : 60;
    s.AutoQuery = ckQueryStat->isChecked();
    s.RatePacing = cboRatePacing->currentData().toString();
    cmdApply->setEnabled(false);
    emit applied(s);
}

void frmOptions::cmdOK_Click() {
    cmdApply_Click();
    accept();
}

void frmOptions::cmdDefaults_Click() {
    ckHideColorTags->setChecked(false);
    ckLog->setChecked(false);
    ckSavePwd->setChecked(false);
    SetDirty();
}

} // namespace console
