#pragma once

#include "AppSettings.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace platform {
class Desktop;
}

namespace console {

// "Options": edits a copy of the settings and reports each Apply; the caller carries it out.
// Whether changes are unapplied is the enabled state of cmdApply.
class frmOptions : public QDialog {
    Q_OBJECT
public:
    // `statusTimerRunning` is what the auto-query box starts from, rather than the AutoQuery field.
    frmOptions(platform::Desktop& desktop, const AppSettings& settings, bool statusTimerRunning,
               QWidget* parent = nullptr);

    void SetDirty();

signals:
    // The settings as last applied: the options fields and AutoQuery from the dialog, the rest as given.
    void applied(const AppSettings& settings);
    void themesRequested();

private:
    void Form_Load(bool statusTimerRunning);
    void ckQueryStat_Click();
    void txtMinutes_Change();
    void cmdApply_Click();
    void cmdOK_Click();
    void cmdDefaults_Click();

    platform::Desktop& m_desktop;
    AppSettings m_settings;
    QCheckBox* ckLog;
    QCheckBox* ckSavePwd;
    QCheckBox* ckHideColorTags;
    QCheckBox* ckEnableAutoComplete;
    QCheckBox* ckQueryStat;
    QLineEdit* txtMinutes;
    QComboBox* cboTimePeriod;
    QComboBox* cboRatePacing; // the servers' rate limit, by profile name
    QPushButton* cmdApply;
};

} // namespace console
