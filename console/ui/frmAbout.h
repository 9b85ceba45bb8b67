#pragma once

#include "CreditsScroll.h"

#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;
class QTimer;

namespace platform {
class Desktop;
}

namespace console {

class SystemKeys;

// The About box: product name and version, the scrolling texts, the picture link and the
// system-information button. Shown modally; its timer lives and dies with it.
class frmAbout : public QDialog {
    Q_OBJECT
public:
    frmAbout(platform::Desktop& desktop, const SystemKeys& keys, QWidget* parent = nullptr);

    void Form_Load();
    void cmdOK_Click();
    void cmdPause_Click();
    void tmrMain_Timer();
    void cmdSysInfo_Click();
    void Image1_Click();

    // The text block's top in its viewport, in twips.
    int boxTop() const { return m_scroll.top(); }

signals:
    // A report's record could not be added to the error log.
    void errorLogNotWritten(const QString& why);

public:
    QFrame* Frame1;
    QLabel* Image1;
    QLabel* lblTitle;
    QLabel* lblVersion;
    QFrame* Picture1;
    QFrame* fraBox;
    QLabel* Label2;
    QLabel* Label4;
    QLabel* Label1;
    QLabel* lblDescription;
    QLabel* Label3;
    QFrame* UserControl11;
    QPushButton* cmdSysInfo;
    QPushButton* cmdPause;
    QPushButton* cmdOK;
    QTimer* tmrMain;

protected:
    void done(int result) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void placeBox();

    platform::Desktop& m_desktop;
    const SystemKeys& m_keys;
    CreditsScroll m_scroll;
};

} // namespace console
