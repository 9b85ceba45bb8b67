#pragma once

#include "Themes.h"

#include <QDialog>
#include <QString>

class QCheckBox;
class QComboBox;
class QPlainTextEdit;
class QPushButton;

namespace platform {
class Desktop;
}

namespace console {

// "Customize Themes": previews the catalogue and builds a custom look on a sample. A pick makes its
// theme current at once (themeChanged); the look itself goes out only on Apply or OK (applied).
class frmThemes : public QDialog {
    Q_OBJECT
public:
    frmThemes(platform::Desktop& desktop, const ThemeLook& look, const QString& currentTheme, bool bigScreen,
              QWidget* parent = nullptr);

    static const QString kSampleText;

    // Cancel and the close box: a theme a pick made current goes back to the applied one.
    void reject() override;

signals:
    void themeChanged(const QString& identifier);
    void applied(const ThemeLook& look, bool bigScreen);

private:
    void Form_Load(const ThemeLook& look, const QString& currentTheme, bool bigScreen);
    void SetDirty();
    void EnableCustomButtons(bool enabled);
    void PreviewTheme(const ThemeLook& look);
    void makeCurrent(const QString& identifier);
    void showLook(const ThemeLook& look);
    void cboTheme_Click();
    void cmdColorBack_Click();
    void cmdColorFore_Click();
    void cmdShowFont_Click();
    void cmdApply_Click();
    void cmdOK_Click();
    void cmdDefaults_Click();

    platform::Desktop& m_desktop;
    QString m_theme;        // current as far as this dialog knows
    QString m_appliedTheme; // current as of opening or the last Apply
    QComboBox* cboTheme;
    QCheckBox* ckBigScreenMode;
    QPushButton* cmdColorBack;
    QPushButton* cmdColorFore;
    QPushButton* cmdShowFont;
    QPlainTextEdit* txtFontSample;
    QPushButton* cmdApply;
};

} // namespace console
