#pragma once

#include <functional>

#include <QDialog>

class QAction;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QTimer;

namespace platform {
class Desktop;
}

namespace console {

// "Options": edits its controls and applies them to AppSettings and the status timer on Apply or OK
// only. Whether changes are unapplied is the enabled state of cmdApply.
class frmOptions : public QDialog {
    Q_OBJECT
public:
    frmOptions(platform::Desktop& desktop, QTimer* statusTimer, QAction* autoQueryItem,
               QWidget* parent = nullptr);

    void SetDirty();
    // Opens the theme dialog over this one; the Themes button is live once it is set.
    void setThemeDialog(std::function<void()> show);
    void cmdShowThemes_Click();

    void Form_Load();
    void ckLog_Click();
    void ckSavePwd_Click();
    void ckHideColorTags_Click();
    void ckEnableAutoComplete_Click();
    void cboTimePeriod_Change();
    void ckQueryStat_Click();
    void txtMinutes_Change();
    void cmdApply_Click();
    void cmdOK_Click();
    void cmdCancel_Click();
    void cmdDefaults_Click();

    QGroupBox* Frame1;
    QCheckBox* ckLog;
    QCheckBox* ckSavePwd;
    QCheckBox* ckHideColorTags;
    QCheckBox* ckEnableAutoComplete;
    QGroupBox* Frame2;
    QCheckBox* ckQueryStat;
    QLineEdit* txtMinutes;
    QComboBox* cboTimePeriod;
    QGroupBox* Frame3;
    QPushButton* cmdShowThemes;

private:
    std::function<void()> m_showThemes;

public:
    QPushButton* cmdDefaults;
    QPushButton* cmdCancel;
    QPushButton* cmdApply;
    QPushButton* cmdOK;

private:
    platform::Desktop& m_desktop;
    QTimer* m_statusTimer;
    QAction* m_autoQueryItem;
};

} // namespace console
