#pragma once

#include <QDialog>
#include <QString>
#include <QtGlobal>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace platform {
class Desktop;
}

namespace console {

class frmMain;

// "Customize Themes": previews the catalogue and builds a custom look on a sample; the main window
// changes only on Apply or OK.
class frmThemes : public QDialog {
    Q_OBJECT
public:
    frmThemes(frmMain& owner, platform::Desktop& desktop, QWidget* parent = nullptr);

    void SetDirty();
    void EnableCustomButtons(bool enabled);
    void PreviewTheme(quint32 back, quint32 fore, bool bold, bool italic, double size, const QString& face);

    void cboTheme_Click();
    void ckBigScreenMode_Click();
    void cmdColorBack_Click();
    void cmdColorFore_Click();
    void cmdShowFont_Click();
    void cmdApply_Click();
    void cmdOK_Click();
    void cmdCancel_Click();
    void cmdDefaults_Click();

    // Cancel and the close box: the theme a preview made current goes back to the applied one.
    void reject() override;

    static const QString kSampleText;

    QGroupBox* Frame2;
    QLabel* Label1;
    QComboBox* cboTheme;
    QCheckBox* ckBigScreenMode;
    QPushButton* cmdColorBack;
    QPushButton* cmdColorFore;
    QPushButton* cmdShowFont;
    QGroupBox* Frame1;
    QPlainTextEdit* txtFontSample;
    QPushButton* cmdDefaults;
    QPushButton* cmdCancel;
    QPushButton* cmdApply;
    QPushButton* cmdOK;

private:
    void Form_Load();

    frmMain& m_owner;
    platform::Desktop& m_desktop;
    QString m_appliedTheme; // CurrentTheme as of opening or the last Apply
};

} // namespace console
