#pragma once

#include "ListenerService.h"

#include <QIcon>
#include <QString>
#include <QWidget>

class QAction;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QSystemTrayIcon;

namespace platform {
class Desktop;
} // namespace platform

namespace listener {

// The listener's window: status log and lamp of the listening service, the game settings, and the
// notification-area icon it can hide behind. The service itself runs below it, without widgets.
class frmMain : public QWidget {
    Q_OBJECT
public:
    // The port is a seam for tests (0 lets the system choose); the shipped program uses 1001.
    explicit frmMain(platform::Desktop& desktop, int port = ListenerService::kListenPort,
                     QWidget* parent = nullptr);
    ~frmMain() override;

    void Form_Load();
    void Form_Unload();
    void Command1_Click();
    void LogStatus(const QString& message);
    void cmdBrowse_Click();
    void Command4_Click();
    void Command3_Click();
    void Command2_Click();
    void ToggleWindow();
    // Writes the settings the window shows; refused, with the reason in the status log, for values
    // a load would refuse. Also ends the hold that a damaged settings file put on the listener.
    bool saveSettings();

    QString serviceTag() const { return m_tag; }
    QString statusLog() const { return m_log; }
    QColor lampColour() const;
    int listeningPort() const;

    QGroupBox* Frame3;
    QPlainTextEdit* Text1;
    QGroupBox* Frame1;
    QLabel* label1;
    QLineEdit* txtPath;
    QPushButton* cmdBrowse;
    QLabel* Label2;
    QLineEdit* txtParams;
    QPushButton* Command4;
    QLabel* Picture1;
    QFrame* UserControl11;
    QPushButton* Command1;
    QPushButton* Command3;
    QPushButton* Command2;
    ListenerService* service;
    QSystemTrayIcon* TrayIcon1;
    QIcon ImageList1[2]; // stopped, listening
    QMenu* mnuPopup;
    QAction* mnuStartServer;
    QAction* mnuStop;
    QAction* mnuShow;
    QAction* mnuHide;
    QAction* mnuSave;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void showState(bool listening);

    platform::Desktop& m_desktop;
    QString m_tag = QStringLiteral("off");
    QString m_log;
    QString m_damage; // why the stored settings were not trusted; the listener stays stopped meanwhile
    bool m_unloaded = false;
    bool m_saidNoTray = false;
};

} // namespace listener
