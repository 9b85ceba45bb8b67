#pragma once

#include "Layout.h"

#include <QMainWindow>
#include <QString>

class QAction;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTimer;

namespace platform {
class Desktop;
class SocketControl;
} // namespace platform

namespace console {

class ConsolePane;

// The console's main window: input fields, the console pane, the buttons, the menu bar, the two
// sockets and the two timers.
class frmMain : public QMainWindow {
    Q_OBJECT
public:
    static constexpr int kListenerPort = 1001;

    // The listener's port is a seam for tests; the shipped program uses kListenerPort.
    explicit frmMain(platform::Desktop& desktop, int listenerPort = kListenerPort, QWidget* parent = nullptr);
    ~frmMain() override;

    void Form_Load();
    void Form_Unload();
    void Form_Resize();

    void cmdConnect_Click();
    void SendCommand(const QString& command);
    void UDPClient_DataArrival(qint64 bytesTotal);

    void LoadSettings();
    void SaveSettings();
    void UpdateLogMenu();

    void mnuFileLog_Click();
    void mnuFileDelete_Click();
    void mnuFileExit_Click();
    void cmdExit_Click();
    void mnuEdit_Click();
    void mnuEditCopy_Click();
    void mnuEditClear_Click();
    void mnuEditSelectAll_Click();
    void mnuFileClearHistory_Click();
    void mnuFileClearCommandHistory_Click();

    void wireHelpMenu();
    void mnuHelpUpdate_Click();
    void mnuHelpFeedback_Click();
    void mnuHelpBugReport_Click();
    void mnuGotToRtCW_Click();
    void mnuHelpGoToAchtung_Click();
    void mnuGoToSTVEF_Click();
    void mnuHelpGoToEF_Click();
    void mnuGoToPQ_Q2_Click();
    void mnuGotoQ3W_Click();
    void mnuGoToPQ_Q3_Click();
    void mnuHelpVelmoraHome_Click();
    void mnuHelpAbout_Click();

    void TCPClient_Connect();
    void TCPClient_SendComplete();
    void TCPClient_Error();
    void tmrReboot_Timer();

    // Quick commands, auto-query, autocomplete, command lists and the Options dialog.
    void wireCommands();
    void mnuCommandsStatus_Click();
    void cmdServerStatus_Click();
    void mnuCommandsInfo_Click();
    void cmdServerInfo_Click();
    void mnuCommandsAutoQuery_Click();
    void tmrMain_Timer();
    void cmdSay_Click();
    // keyCode in the desktop's virtual-key numbering (8 Backspace, 9 Tab, 32 Space, 46 Delete).
    void cboCommand_KeyDown(int keyCode, Qt::KeyboardModifiers shift);
    void cboCommand_Change();
    void mnuEditcommandList_Click();
    void mnuViewCommandList_Click();
    void mnuViewVariables_Click();
    void mnuViewOptions_Click();

    // The layout the resize rules last produced, in twips.
    const MainLayout& layout() const { return m_layout; }
    // Outer size and position in twips.
    double outerWidthTwips() const;
    double outerHeightTwips() const;
    int windowStateValue() const;

    // Themes and big-screen mode (frmMain_themes.cpp).
    void ApplyTheme(quint32 back, quint32 fore, bool bold, bool italic, qint16 size, const QString& face);
    void CheckThemeMenu(const QString& theme);
    void SetBigScreenMode(bool on);
    // Opens the theme dialog modally; also the Options dialog's way to it.
    void showThemeDialog();
    void mnuViewThemeDefault_Click();
    void mnuViewThemeDOS_Click();
    void mnuViewThemeGreenScreen_Click();
    void mnuViewThemeBloodshot_Click();
    void mnuViewThemeBnW_Click();
    void mnuViewThemePH_Click();
    void mnuViewThemeCustom_Click();
    void mnuViewThemeSettings_Click();
    void mnuViewThemeBigScreen_Click();
    void wireThemeMenu();
    // Puts the look held in AppSettings on the console pane, enlarged for big-screen mode.
    void showPaneLook(bool enlarged);

    QString LastAddress, LastPort, LastPassword, LastCommand, ReplyText;

    QGroupBox* fraSettings;
    QLabel* Label1;
    QComboBox* cboAddr;
    QLabel* Label2;
    QComboBox* cboPort;
    QLabel* Label3;
    QLineEdit* txtPassword;
    QGroupBox* fraInput;
    QLabel* lblCommand;
    QComboBox* cboCommand;
    QPushButton* cmdConnect;
    QLabel* lblNotice;
    QGroupBox* fraCommands;
    QPushButton* cmdServerStatus;
    QPushButton* cmdServerInfo;
    QPushButton* cmdSay;
    QPushButton* cmdExit;
    ConsolePane* txtOutput;
    platform::SocketControl* UDPClient;
    platform::SocketControl* TCPClient;
    QTimer* tmrMain;
    QTimer* tmrReboot;

    QMenu* mnuFile;
    QAction* mnuFileLog;
    QAction* mnuFileDelete;
    QAction* mnuFileExit;
    QMenu* mnuEdit;
    QAction* mnuEditCopy;
    QAction* mnuEditClear;
    QAction* mnuEditSelectAll;
    QMenu* mnuCommands;
    QAction* mnuCommandsStatus;
    QAction* mnuCommandsInfo;
    QAction* mnuCommandsAutoQuery;
    QAction* mnuFileClearHistory;
    QAction* mnuFileClearCommandHistory;
    QAction* mnuEditcommandList;
    QMenu* mnuView;
    QAction* mnuViewCommandList;
    QAction* mnuViewVariables;
    QMenu* mnuViewThemeS;
    QAction* mnuViewThemeDefault;
    QAction* mnuViewThemeDOS;
    QAction* mnuViewThemeGreenScreen;
    QAction* mnuViewThemeBloodshot;
    QAction* mnuViewThemeBnW;
    QAction* mnuViewThemePH;
    QAction* mnuViewThemeCustom;
    QAction* mnuViewThemeSettings;
    QAction* mnuViewThemeBigScreen;
    QAction* mnuViewOptions;
    QMenu* mnuHelp;
    QAction* mnuHelpUpdate;
    QAction* mnuHelpFeedback;
    QAction* mnuHelpBugReport;
    QMenu* mnuHelpGameLinks;
    QMenu* mnuGame1;
    QAction* mnuGotToRtCW;
    QAction* mnuHelpGoToAchtung;
    QMenu* mnuGame2;
    QAction* mnuGoToSTVEF;
    QAction* mnuHelpGoToEF;
    QMenu* mnuGame4;
    QAction* mnuGoToPQ_Q2;
    QMenu* mnuGame3;
    QAction* mnuGotoQ3W;
    QAction* mnuGoToPQ_Q3;
    QAction* mnuHelpVelmoraHome;
    QAction* mnuHelpAbout;

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void buildMenus();
    void applyLayout();
    void applyPaneLook();
    void applyPlacement();
    void appendToPane(const QString& text);
    void writeLog(const QString& text);
    void startReboot();
    void rebootFailed();
    void runEnterDefault(QWidget* source);

    platform::Desktop& m_desktop;
    int m_listenerPort;
    MainLayout m_layout;
    bool m_unloaded = false;
    bool m_placementPending = false;
    bool m_rebootConnected = false; // "quit" has gone out for the running exchange
};

} // namespace console
