#include "frmOptions.h"

#include "OptionsRules.h"
#include "WidgetLook.h"

#include <Desktop.h>
#include <Faces.h>
#include <Twips.h>

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>

namespace console {

using platform::twipsRect;
using platform::twipsToPixels;

namespace {
const QString kSeconds = QStringLiteral("Seconds");
const QString kMinutes = QStringLiteral("Minutes");
} // namespace

frmOptions::frmOptions(platform::Desktop& desktop, const AppSettings& settings, bool statusTimerRunning,
                       QWidget* parent)
    : QDialog(parent), m_desktop(desktop), m_settings(settings) {
    setWindowTitle(QStringLiteral("Options"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFixedSize(twipsToPixels(5400), twipsToPixels(2415));

    auto frame = [this](double l, double t, double w, double h) {
        auto* box = new QGroupBox(this);
        box->setGeometry(twipsRect(l, t, w, h));
        return box;
    };
    auto named = [](QWidget* w, const char* name, double l, double t, double width, double h) {
        w->setObjectName(QLatin1String(name));
        w->setGeometry(twipsRect(l, t, width, h));
    };
    auto check = [&](QWidget* parent, const char* name, const char* caption, double l, double t, double w,
                     double h) {
        auto* box = new QCheckBox(QString::fromLatin1(caption), parent);
        named(box, name, l, t, w, h);
        return box;
    };
    auto button = [&](QWidget* parent, const char* name, const char* caption, double l, double t, double w) {
        auto* b = new QPushButton(QString::fromLatin1(caption), parent);
        b->setFont(platform::designFont("MS Sans Serif", 9.75));
        b->setAutoDefault(false);
        named(b, name, l, t, w, 350);
        return b;
    };

    QGroupBox* frame1 = frame(120, 0, 2415, 1815);
    ckLog = check(frame1, "ckLog", "Save Console Log", 240, 240, 2055, 350);
    ckSavePwd = check(frame1, "ckSavePwd", "Save Password On Exit", 240, 600, 2055, 350);
    ckHideColorTags = check(frame1, "ckHideColorTags", "Hide Fun Name Codes", 240, 960, 2055, 350);
    ckEnableAutoComplete = check(frame1, "ckEnableAutoComplete", "Enable AutoComplete", 240, 1320, 1935, 350);
    QGroupBox* frame2 = frame(2640, 0, 2655, 1095);
    ckQueryStat = check(frame2, "ckQueryStat", "Auto-Query Status", 240, 240, 2295, 375);
    txtMinutes = new QLineEdit(QStringLiteral("5"), frame2);
    named(txtMinutes, "txtMinutes", 480, 600, 615, 315);
    cboTimePeriod = new QComboBox(frame2);
    cboTimePeriod->setEditable(true);
    cboTimePeriod->setInsertPolicy(QComboBox::NoInsert);
    cboTimePeriod->addItems({kMinutes, kSeconds});
    cboTimePeriod->setEditText(kMinutes);
    named(cboTimePeriod, "cboTimePeriod", 1200, 600, 1335, 315);
    QPushButton* cmdShowThemes =
        button(frame(2640, 1100, 2655, 720), "cmdShowThemes", "Themes...", 240, 240, 2145);
    QPushButton* cmdDefaults = button(this, "cmdDefaults", "Defaults", 120, 1935, 1185);
    QPushButton* cmdCancel = button(this, "cmdCancel", "Cancel", 1440, 1935, 1185);
    cmdApply = button(this, "cmdApply", "Apply", 2760, 1935, 1185);
    QPushButton* cmdOK = button(this, "cmdOK", "OK", 4080, 1935, 1185);
    cmdOK->setDefault(true);

    QWidget* order[] = {ckLog,       ckSavePwd,  ckHideColorTags, ckEnableAutoComplete,
                        ckQueryStat, txtMinutes, cboTimePeriod,   cmdShowThemes,
                        cmdApply,    cmdOK,      cmdCancel,       cmdDefaults};
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);

    for (QCheckBox* box : {ckLog, ckSavePwd, ckHideColorTags, ckEnableAutoComplete})
        connect(box, &QCheckBox::toggled, this, &frmOptions::SetDirty);
    connect(cboTimePeriod, &QComboBox::editTextChanged, this, &frmOptions::SetDirty);
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
    const MinutesCheck check = checkMinutes(txtMinutes->text());
    if (check.valid)
        return;
    m_desktop.messageBox(this, check.message, QStringLiteral("vorlanix"), platform::Desktop::Icon::Warning,
                         platform::Desktop::Buttons::Ok);
    txtMinutes->setText(check.corrected);
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
