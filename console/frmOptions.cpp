#include "frmOptions.h"

#include "OptionsRules.h"
#include "basMain.h"

#include <Desktop.h>
#include <Twips.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

namespace console {

using platform::twipsRect;
using platform::twipsToPixels;

namespace {
const QString kSeconds = QStringLiteral("Seconds");
const QString kMinutes = QStringLiteral("Minutes");

int checkValue(const QCheckBox* box) {
    return box->isChecked() ? 1 : 0;
}
} // namespace

frmOptions::frmOptions(platform::Desktop& desktop, QTimer* statusTimer, QAction* autoQueryItem,
                       QWidget* parent)
    : QDialog(parent), m_desktop(desktop), m_statusTimer(statusTimer), m_autoQueryItem(autoQueryItem) {
    setWindowTitle(QStringLiteral("Options"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFixedSize(twipsToPixels(5400), twipsToPixels(2415));

    auto frame = [this](double l, double t, double w, double h) {
        auto* box = new QGroupBox(this);
        box->setGeometry(twipsRect(l, t, w, h));
        return box;
    };
    auto check = [](QWidget* parent, const char* caption, double l, double t, double w, double h) {
        auto* box = new QCheckBox(QString::fromLatin1(caption), parent);
        box->setGeometry(twipsRect(l, t, w, h));
        return box;
    };
    auto button = [](QWidget* parent, const char* caption, double l, double t, double w, double h) {
        auto* b = new QPushButton(QString::fromLatin1(caption), parent);
        QFont font(QStringLiteral("MS Sans Serif"));
        font.setPointSizeF(9.75);
        b->setFont(font);
        b->setAutoDefault(false);
        b->setGeometry(twipsRect(l, t, w, h));
        return b;
    };

    Frame1 = frame(120, 0, 2415, 1815);
    ckLog = check(Frame1, "Save Console Log", 240, 240, 2055, 350);
    ckSavePwd = check(Frame1, "Save Password On Exit", 240, 600, 2055, 350);
    ckHideColorTags = check(Frame1, "Hide Fun Name Codes", 240, 960, 2055, 350);
    ckEnableAutoComplete = check(Frame1, "Enable AutoComplete", 240, 1320, 1935, 350);
    Frame2 = frame(2640, 0, 2655, 1095);
    ckQueryStat = check(Frame2, "Auto-Query Status", 240, 240, 2295, 375);
    txtMinutes = new QLineEdit(QStringLiteral("5"), Frame2);
    txtMinutes->setGeometry(twipsRect(480, 600, 615, 315));
    cboTimePeriod = new QComboBox(Frame2);
    cboTimePeriod->setEditable(true);
    cboTimePeriod->setInsertPolicy(QComboBox::NoInsert);
    cboTimePeriod->addItems({kMinutes, kSeconds});
    cboTimePeriod->setEditText(kMinutes);
    cboTimePeriod->setGeometry(twipsRect(1200, 600, 1335, 315));
    Frame3 = frame(2640, 1100, 2655, 720);
    cmdShowThemes = button(Frame3, "Themes...", 240, 240, 2145, 350);
    cmdShowThemes->setEnabled(false);
    connect(cmdShowThemes, &QPushButton::clicked, this, &frmOptions::cmdShowThemes_Click);
    cmdDefaults = button(this, "Defaults", 120, 1935, 1185, 350);
    cmdCancel = button(this, "Cancel", 1440, 1935, 1185, 350);
    cmdApply = button(this, "Apply", 2760, 1935, 1185, 350);
    cmdOK = button(this, "OK", 4080, 1935, 1185, 350);
    cmdOK->setDefault(true);

    QWidget* order[] = {ckLog,       ckSavePwd,  ckHideColorTags, ckEnableAutoComplete,
                        ckQueryStat, txtMinutes, cboTimePeriod,   cmdShowThemes,
                        cmdApply,    cmdOK,      cmdCancel,       cmdDefaults};
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);

    connect(ckLog, &QCheckBox::toggled, this, &frmOptions::ckLog_Click);
    connect(ckSavePwd, &QCheckBox::toggled, this, &frmOptions::ckSavePwd_Click);
    connect(ckHideColorTags, &QCheckBox::toggled, this, &frmOptions::ckHideColorTags_Click);
    connect(ckEnableAutoComplete, &QCheckBox::toggled, this, &frmOptions::ckEnableAutoComplete_Click);
    connect(ckQueryStat, &QCheckBox::toggled, this, &frmOptions::ckQueryStat_Click);
    connect(txtMinutes, &QLineEdit::textChanged, this, &frmOptions::txtMinutes_Change);
    connect(cboTimePeriod, &QComboBox::editTextChanged, this, &frmOptions::cboTimePeriod_Change);
    connect(cmdApply, &QPushButton::clicked, this, &frmOptions::cmdApply_Click);
    connect(cmdOK, &QPushButton::clicked, this, &frmOptions::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmOptions::cmdCancel_Click);
    connect(cmdDefaults, &QPushButton::clicked, this, &frmOptions::cmdDefaults_Click);

    Form_Load();
}

void frmOptions::SetDirty() {
    cmdApply->setEnabled(true);
}

void frmOptions::Form_Load() {
    const AppSettings& s = basMain().settings;
    ckHideColorTags->setChecked(s.HideFunNameCodes != 0);
    txtMinutes->setText(QString::number(s.TimePeriod));
    cboTimePeriod->setEditText(s.TimeScale == 1 ? kSeconds : kMinutes);
    ckQueryStat->setChecked(m_statusTimer->isActive());
    ckLog->setChecked(s.EnableLogging);
    ckEnableAutoComplete->setChecked(s.UseAutoComplete);
    ckSavePwd->setChecked(s.SavePassword);
    EnableTextBox(txtMinutes, ckQueryStat->isChecked());
    EnableComboBox(cboTimePeriod, ckQueryStat->isChecked());
    cmdApply->setEnabled(false);
}

void frmOptions::ckLog_Click() {
    SetDirty();
}

void frmOptions::ckSavePwd_Click() {
    SetDirty();
}

void frmOptions::ckHideColorTags_Click() {
    SetDirty();
}

void frmOptions::ckEnableAutoComplete_Click() {
    SetDirty();
}

void frmOptions::cboTimePeriod_Change() {
    SetDirty();
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
    AppSettings& s = basMain().settings;
    s.HideFunNameCodes = qint16(checkValue(ckHideColorTags));
    s.TimePeriod = minutesValue(txtMinutes->text(), s.TimePeriod);
    s.EnableLogging = ckLog->isChecked();
    s.SavePassword = ckSavePwd->isChecked();
    s.UseAutoComplete = ckEnableAutoComplete->isChecked();
    s.TimeScale = cboTimePeriod->currentText() == kSeconds ? 1 : 60;
    // Starting a running timer would restart its second; only a stopped one is started.
    if (ckQueryStat->isChecked()) {
        if (!m_statusTimer->isActive())
            m_statusTimer->start();
    } else {
        m_statusTimer->stop();
    }
    s.AutoQuery = m_statusTimer->isActive();
    m_autoQueryItem->setChecked(s.AutoQuery);
    cmdApply->setEnabled(false);
}

void frmOptions::cmdOK_Click() {
    cmdApply_Click();
    accept();
}

void frmOptions::cmdCancel_Click() {
    reject();
}

void frmOptions::cmdDefaults_Click() {
    ckHideColorTags->setChecked(false);
    ckLog->setChecked(false);
    ckSavePwd->setChecked(false);
    SetDirty();
}

void frmOptions::setThemeDialog(std::function<void()> show) {
    m_showThemes = std::move(show);
    cmdShowThemes->setEnabled(bool(m_showThemes));
}

void frmOptions::cmdShowThemes_Click() {
    if (m_showThemes)
        m_showThemes();
}

} // namespace console
