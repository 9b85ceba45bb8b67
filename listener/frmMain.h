#pragma once

#include "ListenerLogic.h"

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
class QTimer;

namespace platform {
class Desktop;
class SocketControl;
} // namespace platform

namespace listener {

// The listener's window: status log and lamp of the listening service, the game settings, and the
// notification-area icon it can hide behind.
class frmMain : public QWidget {
    Q_OBJECT
public:
    static constexpr int kListenPort = 1001;
    static constexpr int kIdleTimeoutMs = 10000;

    // The port is a seam for tests (0 lets the system choose); the shipped program uses kListenPort.
    explicit frmMain(platform::Desktop& desktop, int port = kListenPort, QWidget* parent = nullptr);
    ~frmMain() override;

    void Form_Load();
    void Form_Unload();
    void Command1_Click();
    void LogStatus(const QString& message);
    void TCPListener_ConnectionRequest(int requestId);
    void TCPListener_DataArrival(qint64 bytesTotal);
    void LaunchGame(const QString& executable, const QString& parameters, bool remote);
    void cmdBrowse_Click();
    void Command4_Click();
    void Command3_Click();
    void Command2_Click();
    void ToggleWindow();

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
    platform::SocketControl* TCPListener;
    QSystemTrayIcon* TrayIcon1;
    QIcon ImageList1[2]; // stopped, listening
    QMenu* mnuPopup;
    QAction* mnuStartServer;
    QAction* mnuStop;
    QAction* mnuShow;
    QAction* mnuHide;
    QTimer* tmrIdle; // closes a connection that sends nothing

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void showState(bool listening);
    void listenAgain();
    void dropConnection(const QString& why);

    platform::Desktop& m_desktop;
    int m_port;
    QString m_tag = QStringLiteral("off");
    QString m_log;
    bool m_unloaded = false;
    bool m_saidNoTray = false;
    bool m_connected = false; // holds an accepted peer instead of listening
};

} // namespace listener
