#pragma once

#include "ConsoleSession.h"
#include "Layout.h"
#include "RestartPlan.h"
#include "Themes.h"

#include <QMainWindow>
#include <QString>

#include <functional>
#include <initializer_list>

class QAction;
class QActionGroup;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace platform {
class Desktop;
}

namespace console {

class ConsolePane;
class Schedules;
class frmActivity;
class frmBans;
class frmHistory;
class frmPlayers;
struct MenuRow;

// The console's main window: builds the controls and menus, hands what the user does to its
// session and shows what the session reports. Every control and menu item carries its name as its
// object name.
class frmMain : public QMainWindow {
    Q_OBJECT
public:
    explicit frmMain(platform::Desktop& desktop, const SessionSeams& seams = {}, QWidget* parent = nullptr);
    ~frmMain() override;

    void Form_Load();
    ConsoleSession& session() const { return *m_session; }
    Schedules& schedules() const { return *m_schedules; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    static const MenuRow kMenuRows[];

    void buildControls();
    void buildStatusLine();
    void buildMenus();
    void Form_Unload();
    void Form_Resize();
    void applyLayout();
    void applyPlacement();
    void placeOnceFramed();
    PlacementBasis placementBasis() const;
    void SaveSettings();
    int windowStateValue() const;

    void cmdConnect_Click();
    void UpdateLogMenu();
    void mnuFileLog_Click();
    void mnuFileDelete_Click();
    void mnuFileExit_Click();
    void mnuEdit_Click();
    void mnuEditCopy_Click();
    void mnuEditClear_Click();
    void mnuEditSelectAll_Click();
    void mnuFileClearHistory_Click();
    void mnuFileClearCommandHistory_Click();
    bool confirmed(const QString& question, const QString& title);
    void changeHistories(std::initializer_list<QComboBox*> boxes, const std::function<void()>& change);
    void mnuCommandsStatus_Click();
    void mnuCommandsInfo_Click();
    void mnuCommandsAutoQuery_Click();
    void mnuCommandsPlayers_Click();
    void mnuCommandsRestart_Click();
    void mnuCommandsCancelRestart_Click();
    void mnuCommandsMessages_Click();
    void mnuCommandsHistory_Click();
    void mnuCommandsBans_Click();
    void mnuViewActivity_Click();
    void showHistory(const QString& search);
    void mnuViewStatusBar_Click();
    void showStatusBar(bool on);
    void cmdSay_Click();
    // A Qt key, before the box acts on it.
    void cboCommand_KeyDown(int key);
    void cboCommand_Change();
    void openInEditor(const QString& path);
    void mnuViewOptions_Click();
    void mnuHelpAbout_Click();

    void mnuViewTheme_Click(QAction* item);
    void mnuViewThemeSettings_Click();
    void mnuViewThemeBigScreen_Click();
    void showThemeDialog(QWidget* over);
    void makeThemeCurrent(const QString& identifier);
    void ApplyTheme(const ThemeLook& look);
    void CheckThemeMenu(const QString& theme);
    void SetBigScreenMode(bool on);
    void showPaneLook(bool enlarged);

    platform::Desktop& m_desktop;
    ConsoleSession* m_session;
    Schedules* m_schedules;
    RestartPlan m_lastPlan;
    MainLayout m_layout;
    QString m_sayText;
    bool m_allowComplete = true;
    bool m_unloaded = false;
    bool m_placementPending = false;

    QGroupBox* fraSettings;
    QComboBox* cboAddr;
    QComboBox* cboPort;
    QLineEdit* txtPassword;
    QGroupBox* fraInput;
    QLabel* lblNotice;
    QComboBox* cboCommand;
    QPushButton* cmdConnect;
    QGroupBox* fraCommands;
    QPushButton* cmdExit;
    ConsolePane* txtOutput;
    QLabel* lblStatus;
    frmPlayers* m_players = nullptr;
    frmHistory* m_history = nullptr;
    frmBans* m_bans = nullptr;
    frmActivity* m_activity = nullptr;

    QAction* mnuFileLog = nullptr;
    QAction* mnuFileDelete = nullptr;
    QAction* mnuEditCopy = nullptr;
    QAction* mnuEditClear = nullptr;
    QAction* mnuEditSelectAll = nullptr;
    QAction* mnuCommandsAutoQuery = nullptr;
    QAction* mnuCommandsCancelRestart = nullptr;
    QAction* mnuViewThemeBigScreen = nullptr;
    QAction* mnuViewStatusBar = nullptr;
    QActionGroup* m_themeItems;
};

} // namespace console
