#include "frmMain.h"

#include "CommandList.h"
#include "ConsolePane.h"
#include "Controls.h"
#include "Openers.h"
#include "Placement.h"
#include "ScheduleClock.h"
#include "Schedules.h"
#include "Screens.h"
#include "SystemInfo.h"
#include "Version.h"
#include "WebLinks.h"
#include "WidgetLook.h"
#include "Wire.h"
#include "basMain.h"
#include "frmAbout.h"
#include "frmActivity.h"
#include "frmBans.h"
#include "frmHistory.h"
#include "frmMessages.h"
#include "frmOptions.h"
#include "frmPlayers.h"
#include "frmRestart.h"
#include "frmSay.h"
#include "frmThemes.h"

#include <Desktop.h>
#include <Faces.h>
#include <PlainText.h>
#include <ProgramFolder.h>
#include <SettingsStore.h>
#include <Twips.h>

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProxyStyle>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QStringListModel>

namespace console {

using platform::twipsToPixels;
using Answer = platform::Desktop::Answer;
using namespace controls;

namespace {
const QString kAppTitle = QStringLiteral("vorlanix");
const QString kNotice = QStringLiteral("Velmora's Tarnwick: remote console for Quake-engine game servers");
const QString kSettingsNotSaved = QStringLiteral("The settings were not saved: %1");
const QString kSettingsKept =
    QStringLiteral("The settings file could not be read at start, so it was kept as %1 before the settings "
                   "were saved.");
const QString kRestartTitle = QStringLiteral("Server restart");

// Every character of the password box shows as "*". A style sheet would do it too, but costs a
// noticeable share of the start-up time.
class AsteriskStyle : public QProxyStyle {
public:
    explicit AsteriskStyle(QObject* owner) : QProxyStyle() { setParent(owner); }
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_LineEdit_PasswordCharacter)
            return '*';
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

QPushButton* pushButton(QWidget* parent, const char* name, const char* caption, const TwipsRect& at) {
    QPushButton* b = button(parent, name, QString::fromLatin1(caption), at);
    b->setAutoDefault(true); // Enter on a focused button presses that button
    return b;
}
} // namespace

frmMain::frmMain(platform::Desktop& desktop, const SessionSeams& seams, QWidget* parent)
    : QMainWindow(parent), m_desktop(desktop), m_session(new ConsoleSession(seams, this)),
      m_schedules(new Schedules(*m_session, seams.clock ? *seams.clock : *new SystemClock(this), this)),
      m_themeItems(new QActionGroup(this)) {
    setWindowTitle(QStringLiteral("Velmora's Tarnwick"));
    // The window's font is every widget's default, so nothing asks for a face no control shows.
    QApplication::setFont(platform::designFont("Arial", 8.25));
    setFont(QApplication::font());
    buildControls();
    buildMenus();

    // The boxes keep what is typed; the session reads them when it sends or saves.
    m_session->readFieldsFrom([this] {
        return ConnectionFields{cboAddr->currentText(), cboPort->currentText(), txtPassword->text()};
    });
    connect(m_session, &ConsoleSession::paneText, txtOutput, &ConsolePane::appendText);
    // An entry just written means the file exists: no need to look for it at every reply.
    connect(m_session, &ConsoleSession::logWritten, this, [this] {
        mnuFileLog->setEnabled(true);
        mnuFileDelete->setEnabled(true);
    });
    connect(m_session, &ConsoleSession::autoQueryChanged, mnuCommandsAutoQuery, &QAction::setChecked);
    auto showStatus = [this](const QString& text) {
        platform::setPlainText(lblStatus, text);
        platform::setPlainToolTip(lblStatus, text);
    };
    connect(m_session, &ConsoleSession::statusText, lblStatus, showStatus);
    connect(m_session, &ConsoleSession::notify, this, [this](const QString& text, const QString& title) {
        m_desktop.messageBox(this, text, title, platform::Desktop::Icon::Information,
                             platform::Desktop::Buttons::Ok);
    });
    // Through the session, which knows what the line shows: the end of a wait then clears only its own.
    connect(m_schedules, &Schedules::statusText, m_session, &ConsoleSession::statusText);
    connect(m_schedules, &Schedules::restartFinished, this,
            [this](const RebootEnd& end) { m_desktop.notify(kRestartTitle, end.text); });
    connect(m_schedules, &Schedules::countingChanged, mnuCommandsCancelRestart, &QAction::setEnabled);
    mnuCommandsCancelRestart->setEnabled(false);
    m_session->alsoSave = [this](platform::SettingsStore& store) {
        saveSchedules(store, m_schedules->stored());
    };
    // A password typed before the keyring answered is the user's choice.
    connect(m_session, &ConsoleSession::keyringPassword, this, [this](const QString& password) {
        if (txtPassword->text().isEmpty())
            txtPassword->setText(password);
    });

    // The built-in outer size, which the default placement is centred for.
    resize(twipsToPixels(8985), twipsToPixels(8865));
}

frmMain::~frmMain() {
    Form_Unload();
}

// Below the laid-out controls; the resize rules get the height without it.
void frmMain::buildStatusLine() {
    lblStatus = platform::plainLabel(statusBar());
    named(lblStatus, "lblStatus");
    statusBar()->setObjectName(QStringLiteral("statusBar"));
    // A long text is cut, never a reason for the window to grow; the tip shows it whole.
    lblStatus->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    lblStatus->setContentsMargins(4, 0, 4, 0);
    statusBar()->addWidget(lblStatus, 1);
}

void frmMain::buildControls() {
    auto* central = new QWidget(this);
    setCentralWidget(central);
    buildStatusLine();

    // The session keeps the histories; the boxes show them.
    fraSettings = frame(central, "fraSettings", {});
    label(fraSettings, "Label1", QStringLiteral("Server Address"), {0, 285, 1215, 255});
    cboAddr = combo(fraSettings, "cboAddr", QString(), {1320, 240, 1815, 330}, m_session->serverHistory());
    label(fraSettings, "Label2", QStringLiteral("Server Port"), {3120, 285, 975, 255});
    cboPort = combo(fraSettings, "cboPort", QString::number(kDefaultServerPort), {4200, 240, 1335, 330},
                    m_session->portHistory());
    label(fraSettings, "Label3", QStringLiteral("Rcon Password"), {5520, 285, 1335, 255});
    txtPassword = new QLineEdit(fraSettings);
    named(txtPassword, "txtPassword");
    txtPassword->setEchoMode(QLineEdit::Password);
    txtPassword->setStyle(new AsteriskStyle(txtPassword));
    txtPassword->setFont(platform::designFont("MS Sans Serif", 8.25));
    place(txtPassword, {6960, 285, 1455, 285});

    txtOutput = new ConsolePane(central);
    named(txtOutput, "txtOutput");

    fraInput = frame(central, "fraInput", {});
    label(fraInput, "lblCommand", QStringLiteral("Command"), {120, 240, 1695, 255});
    lblNotice = label(fraInput, "lblNotice", kNotice, {});
    lblNotice->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    cboCommand = combo(fraInput, "cboCommand", QStringLiteral("status"), {}, m_session->commandHistory());
    // The box's own inline completion from its drop-down list would fight the command completion.
    cboCommand->setCompleter(nullptr);
    cmdConnect = pushButton(fraInput, "cmdConnect", "Send", {});
    cmdConnect->setDefault(true);

    fraCommands = frame(central, "fraCommands", {});
    QPushButton* cmdServerStatus =
        pushButton(fraCommands, "cmdServerStatus", "Status", {120, 260, 1185, 350});
    QPushButton* cmdServerInfo =
        pushButton(fraCommands, "cmdServerInfo", "ServerInfo", {1440, 260, 1185, 350});
    QPushButton* cmdSay = pushButton(fraCommands, "cmdSay", "Say", {2760, 260, 1185, 350});
    cmdExit = pushButton(fraCommands, "cmdExit", "Exit", {});

    tabChain({cboCommand, cboAddr, cboPort, txtPassword, cmdConnect, cmdServerStatus, cmdServerInfo, cmdSay,
              cmdExit, txtOutput});
    // Keys reach a box, which hands them to its line edit without filters; tests may aim at either.
    for (QWidget* w :
         std::initializer_list<QWidget*>{cboAddr, cboAddr->lineEdit(), cboPort, cboPort->lineEdit(),
                                         txtPassword, cboCommand, cboCommand->lineEdit(), txtOutput})
        w->installEventFilter(this);

    connect(cmdConnect, &QPushButton::clicked, this, &frmMain::cmdConnect_Click);
    connect(cmdServerStatus, &QPushButton::clicked, this, &frmMain::mnuCommandsStatus_Click);
    connect(cmdServerInfo, &QPushButton::clicked, this, &frmMain::mnuCommandsInfo_Click);
    connect(cmdSay, &QPushButton::clicked, this, &frmMain::cmdSay_Click);
    connect(cmdExit, &QPushButton::clicked, this, &frmMain::mnuFileExit_Click);
    connect(cboCommand, &QComboBox::editTextChanged, this, &frmMain::cboCommand_Change);
    applyLayout();
}

// One row per menu, item or separator. An item runs its handler, opens its web address, opens its
// file in the editor, or chooses its theme.
struct MenuRow {
    using Handler = void (frmMain::*)();
    using Text = QString (*)();
    enum class Kind { Menu, Separator, Item };
    Kind kind;
    int level; // 0: the menu bar
    const char* name;
    const char* caption = nullptr; // a theme item takes the catalogue's
    const char* shortcut = nullptr;
    Handler handler = nullptr; // for a menu: when it opens
    QAction* frmMain::*keep = nullptr;
    bool checkable = false;
    Text address = nullptr;
    Text file = nullptr;
    int theme = -1;
};

namespace {
using Kind = MenuRow::Kind;
MenuRow menu(int level, const char* name, const char* caption, MenuRow::Handler onOpen = nullptr) {
    return {Kind::Menu, level, name, caption, nullptr, onOpen};
}
MenuRow separator(int level, const char* name) {
    return {Kind::Separator, level, name};
}
MenuRow item(int level, const char* name, const char* caption, const char* shortcut, MenuRow::Handler handler,
             QAction* frmMain::*keep = nullptr, bool checkable = false) {
    return {Kind::Item, level, name, caption, shortcut, handler, keep, checkable};
}
MenuRow link(int level, const char* name, const char* caption, MenuRow::Text address) {
    return {Kind::Item, level, name, caption, nullptr, nullptr, nullptr, false, address};
}
MenuRow file(int level, const char* name, const char* caption, MenuRow::Text path) {
    return {Kind::Item, level, name, caption, nullptr, nullptr, nullptr, false, nullptr, path};
}
MenuRow themeItem(const char* name, ThemeId id) {
    return {Kind::Item, 2, name, nullptr, nullptr, nullptr, nullptr, true, nullptr, nullptr, int(id)};
}
} // namespace

const MenuRow frmMain::kMenuRows[] = {
    menu(0, "mnuFile", "&File"),
    item(1, "mnuFileLog", "&View Log...", "Ctrl+D", &frmMain::mnuFileLog_Click, &frmMain::mnuFileLog),
    item(1, "mnuFileDelete", "&Delete Log", nullptr, &frmMain::mnuFileDelete_Click, &frmMain::mnuFileDelete),
    separator(1, "s6"),
    item(1, "mnuFileExit", "E&xit", "Ctrl+Q", &frmMain::mnuFileExit_Click),
    menu(0, "mnuEdit", "&Edit", &frmMain::mnuEdit_Click),
    item(1, "mnuEditCopy", "&Copy", "Ctrl+C", &frmMain::mnuEditCopy_Click, &frmMain::mnuEditCopy),
    item(1, "mnuEditClear", "Clea&r Output Window", "Ctrl+R", &frmMain::mnuEditClear_Click,
         &frmMain::mnuEditClear),
    item(1, "mnuEditSelectAll", "Select &All", "Ctrl+A", &frmMain::mnuEditSelectAll_Click,
         &frmMain::mnuEditSelectAll),
    menu(0, "mnuCommands", "&Commands"),
    item(1, "mnuCommandsStatus", "Get Server &Status", "F5", &frmMain::mnuCommandsStatus_Click),
    item(1, "mnuCommandsInfo", "Get Server &Info", "F6", &frmMain::mnuCommandsInfo_Click),
    item(1, "mnuCommandsPlayers", "&Players...", "F7", &frmMain::mnuCommandsPlayers_Click),
    item(1, "mnuCommandsHistory", "Player &History...", nullptr, &frmMain::mnuCommandsHistory_Click),
    item(1, "mnuCommandsBans", "&Bans...", nullptr, &frmMain::mnuCommandsBans_Click),
    item(1, "mnuCommandsRestart", "&Restart Server...", nullptr, &frmMain::mnuCommandsRestart_Click),
    item(1, "mnuCommandsCancelRestart", "Cancel Restart", nullptr, &frmMain::mnuCommandsCancelRestart_Click,
         &frmMain::mnuCommandsCancelRestart),
    item(1, "mnuCommandsMessages", "&Messages...", nullptr, &frmMain::mnuCommandsMessages_Click),
    separator(1, "spac1"),
    item(1, "mnuCommandsAutoQuery", "Auto-&Query Status", nullptr, &frmMain::mnuCommandsAutoQuery_Click,
         &frmMain::mnuCommandsAutoQuery, true),
    separator(1, "mnuFilesp1"),
    item(1, "mnuFileClearHistory", "Clear &Server History", nullptr, &frmMain::mnuFileClearHistory_Click),
    item(1, "mnuFileClearCommandHistory", "Clear &Command History", nullptr,
         &frmMain::mnuFileClearCommandHistory_Click),
    separator(1, "sp8"),
    file(1, "mnuEditcommandList", "&Edit AutoComplete Command List...", &commandListPath),
    menu(0, "mnuView", "&View"),
    file(1, "mnuViewCommandList", "&Command List (all games)...",
         [] { return referencePath(QStringLiteral("commands.txt")); }),
    file(1, "mnuViewVariables", "&Variable List (all games)...",
         [] { return referencePath(QStringLiteral("variables.txt")); }),
    item(1, "mnuViewActivity", "&Activity...", nullptr, &frmMain::mnuViewActivity_Click),
    separator(1, "s4"),
    menu(1, "mnuViewThemeS", "&Themes"),
    themeItem("mnuViewThemeDefault", ThemeId::Default),
    themeItem("mnuViewThemeDOS", ThemeId::DOS),
    themeItem("mnuViewThemeGreenScreen", ThemeId::GreenScreen),
    themeItem("mnuViewThemeBloodshot", ThemeId::Bloodshot),
    themeItem("mnuViewThemeBnW", ThemeId::BlackAndWhite),
    themeItem("mnuViewThemePH", ThemeId::PurpleHaze),
    themeItem("mnuViewThemeCustom", ThemeId::Custom),
    separator(2, "sp9"),
    item(2, "mnuViewThemeSettings", "&Theme Settings...", nullptr, &frmMain::mnuViewThemeSettings_Click),
    separator(2, "spa2"),
    item(2, "mnuViewThemeBigScreen", "Big Screen Mode", nullptr, &frmMain::mnuViewThemeBigScreen_Click,
         &frmMain::mnuViewThemeBigScreen, true),
    separator(1, "sp6"),
    item(1, "mnuViewStatusBar", "Status &Bar", nullptr, &frmMain::mnuViewStatusBar_Click,
         &frmMain::mnuViewStatusBar, true),
    item(1, "mnuViewOptions", "&Options...", "Ctrl+O", &frmMain::mnuViewOptions_Click),
    menu(0, "mnuHelp", "&Help"),
    link(1, "mnuHelpUpdate", "Check For &Updates...",
         [] { return updateCheckAddress(kVersionMajor, kVersionMinor); }),
    link(1, "mnuHelpFeedback", "Submit &Feedback...", &feedbackAddress),
    link(1, "mnuHelpBugReport", "Submit &Bug Report...", &bugReportAddress),
    separator(1, "ss1"),
    menu(1, "mnuHelpGameLinks", "Community &Links"),
    menu(2, "mnuGame1", "Return To Castle Wolfenstein"),
    link(3, "mnuGotToRtCW", "Official Site", &rtcwOfficialAddress),
    link(3, "mnuHelpGoToAchtung", "Achtung, Wolfenstein!", &achtungWolfensteinAddress),
    menu(2, "mnuGame2", "Star Trek Voyager: Elite Force"),
    link(3, "mnuGoToSTVEF", "Official Site", &eliteForceOfficialAddress),
    link(3, "mnuHelpGoToEF", "Holodeck 5: Elite Force", &holodeck5Address),
    menu(2, "mnuGame4", "Quake 2"),
    link(3, "mnuGoToPQ_Q2", "PlanetQuake", &planetQuake2Address),
    menu(2, "mnuGame3", "Quake 3 Arena"),
    link(3, "mnuGotoQ3W", "Quake3World", &quake3WorldAddress),
    link(3, "mnuGoToPQ_Q3", "PlanetQuake", &planetQuake3Address),
    separator(1, "s2"),
    link(1, "mnuHelpVelmoraHome", "&Visit Velmora...", &velmoraHomeAddress),
    separator(1, "s1"),
    item(1, "mnuHelpAbout", "&About...", nullptr, &frmMain::mnuHelpAbout_Click),
};

void frmMain::buildMenus() {
    QMenu* menus[4] = {};
    for (const MenuRow& row : kMenuRows) {
        const QString name = QLatin1String(row.name);
        QMenu* into = row.level > 0 ? menus[row.level - 1] : nullptr;
        if (row.kind == Kind::Menu) {
            const QString caption = QString::fromLatin1(row.caption);
            QMenu* menu = into ? into->addMenu(caption) : menuBar()->addMenu(caption);
            menu->setObjectName(name);
            if (row.handler)
                connect(menu, &QMenu::aboutToShow, this, row.handler);
            menus[row.level] = menu;
            continue;
        }
        if (row.kind == Kind::Separator) {
            into->addSeparator()->setObjectName(name);
            continue;
        }
        const QString caption =
            row.theme >= 0 ? theme(ThemeId(row.theme)).caption : QString::fromLatin1(row.caption);
        QAction* action = into->addAction(caption);
        action->setObjectName(name);
        if (row.shortcut)
            action->setShortcut(QKeySequence(QLatin1String(row.shortcut)));
        action->setCheckable(row.checkable);
        if (row.keep)
            this->*row.keep = action;
        if (row.handler)
            connect(action, &QAction::triggered, this, row.handler);
        if (const MenuRow::Text address = row.address)
            connect(action, &QAction::triggered, this,
                    [this, address] { OpenWebPage(m_desktop, this, address()); });
        if (const MenuRow::Text path = row.file)
            connect(action, &QAction::triggered, this, [this, path] { openInEditor(path()); });
        if (row.theme >= 0) {
            action->setData(theme(ThemeId(row.theme)).identifier);
            m_themeItems->addAction(action);
        }
    }
    // At most one theme is checked, and none when the current theme names no entry.
    m_themeItems->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    connect(m_themeItems, &QActionGroup::triggered, this, &frmMain::mnuViewTheme_Click);
}

// ---- lifecycle

void frmMain::Form_Load() {
    LoadedEditTexts edits;
    changeHistories({cboAddr, cboPort, cboCommand},
                    [&] { edits = m_session->LoadSettings(placementBasis()); });
    const AppSettings& s = m_session->settings();
    mnuViewThemeBigScreen->setChecked(s.BigScreenMode);
    mnuCommandsAutoQuery->setChecked(s.AutoQuery);
    if (edits.address)
        cboAddr->setEditText(*edits.address);
    if (edits.port)
        cboPort->setEditText(*edits.port);

    m_allowComplete = true;
    m_session->setAutoQuery(s.AutoQuery);
    LoadCommandList();
    // A face or size the pane cannot show falls back to the default look's.
    ThemeLook look = m_session->look();
    if (!platform::isFaceAvailable(look.face))
        look.face = theme(ThemeId::Default).look.face;
    if (look.size < 1 || look.size > 512)
        look.size = theme(ThemeId::Default).look.size;
    m_session->setLook(look);
    if (s.SavePassword)
        txtPassword->setText(s.Password);
    const Qt::WindowState states[] = {Qt::WindowNoState, Qt::WindowMinimized, Qt::WindowMaximized};
    setWindowState(states[s.TheWindowState]);
    UpdateLogMenu();
    if (!(windowState() & Qt::WindowMaximized))
        applyPlacement();
    show();
    placeOnceFramed();
    CheckThemeMenu(s.CurrentTheme);
    SetBigScreenMode(s.BigScreenMode);
    showStatusBar(s.ShowStatusBar);
    m_schedules->resume(m_session->loadedSchedules());
    if (const auto daily = m_schedules->plan())
        m_lastPlan = *daily;
    cboCommand->setFocus();
}

PlacementBasis frmMain::placementBasis() const {
    PlacementBasis basis;
    if (const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen()) {
        basis.screenWidth = platform::pixelsToTwips(screen->geometry().width());
        basis.screenHeight = platform::pixelsToTwips(screen->geometry().height());
    }
    basis.windowWidth = platform::pixelsToTwips(frameGeometry().width());
    basis.windowHeight = platform::pixelsToTwips(frameGeometry().height());
    return basis;
}

void frmMain::Form_Unload() {
    if (m_unloaded)
        return;
    m_unloaded = true;
    if (m_players)
        m_players->rememberPlacement();
    m_schedules->stop();
    m_session->Close();
    SaveSettings();
    basMain().CommandList.clear();
}

void frmMain::closeEvent(QCloseEvent* event) {
    Form_Unload();
    event->accept();
}

void frmMain::mnuFileExit_Click() {
    close();
}

void frmMain::SaveSettings() {
    WindowSnapshot window;
    window.state = windowStateValue();
    const QRect outer = frameGeometry();
    window.left = platform::pixelsToTwips(outer.x());
    window.top = platform::pixelsToTwips(outer.y());
    window.width = platform::pixelsToTwips(outer.width());
    window.height = platform::pixelsToTwips(outer.height());
    const platform::Result<QString> saved = m_session->SaveSettings(window);
    // The status line goes with the window: what the exit could not do is said in a box.
    QString said;
    if (!saved)
        said = kSettingsNotSaved.arg(saved.why());
    else if (!saved->isEmpty())
        said = kSettingsKept.arg(*saved);
    if (!said.isEmpty())
        m_desktop.messageBox(this, said, kAppTitle, platform::Desktop::Icon::Warning,
                             platform::Desktop::Buttons::Ok);
}

int frmMain::windowStateValue() const {
    if (windowState() & Qt::WindowMinimized)
        return 1;
    if (windowState() & Qt::WindowMaximized)
        return 2;
    return 0;
}

void frmMain::applyPlacement() {
    const AppSettings& s = m_session->settings();
    const WindowPlacement outer =
        usablePlacement({s.WindowLeft, s.WindowTop, double(s.WindowWidth), double(s.WindowHeight)},
                        screenAreas(), primaryScreenArea());
    // The stored size is the outer size; the frame the desktop adds is known only once it has framed
    // the window, which may come after the window is shown and after its first resize.
    const QSize frame = frameOf(this);
    placeWindow(this, outer, frame);
    m_placementPending = frame.isNull();
}

// ---- layout

void frmMain::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    placeOnceFramed();
    Form_Resize();
}

// A window manager frames the window by moving it into its frame.
void frmMain::moveEvent(QMoveEvent* event) {
    QMainWindow::moveEvent(event);
    placeOnceFramed();
}

// Once the window has its frame, the stored outer size can be matched exactly.
void frmMain::placeOnceFramed() {
    if (m_placementPending && isVisible() && !frameOf(this).isNull() && windowStateValue() == 0) {
        m_placementPending = false;
        applyPlacement();
    }
}

void frmMain::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        Form_Resize();
}

void frmMain::Form_Resize() {
    // The rules lay out the outer size; a status bar takes its height off the bottom first.
    int height = frameGeometry().height();
    if (!statusBar()->isHidden())
        height -= statusBar()->sizeHint().height();
    m_layout = resizeLayout(m_layout, float(platform::pixelsToTwips(frameGeometry().width())),
                            float(platform::pixelsToTwips(height)), windowState() & Qt::WindowMinimized);
    applyLayout();
}

void frmMain::applyLayout() {
    place(fraSettings, m_layout.fraSettings);
    place(txtOutput, m_layout.txtOutput);
    place(fraInput, m_layout.fraInput);
    place(lblNotice, m_layout.lblNotice);
    place(cboCommand, m_layout.cboCommand);
    place(cmdConnect, m_layout.cmdConnect);
    place(fraCommands, m_layout.fraCommands);
    place(cmdExit, m_layout.cmdExit);
}

// ---- dispatch

bool frmMain::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        // The command box sees each key before it acts on it, as a key-down event does.
        if (watched == cboCommand || watched == cboCommand->lineEdit())
            cboCommand_KeyDown(key);
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            cmdConnect_Click();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void frmMain::cmdConnect_Click() {
    auto refuse = [this](const QString& message, QWidget* focus) {
        m_desktop.messageBox(this, message, kAppTitle, platform::Desktop::Icon::None,
                             platform::Desktop::Buttons::Ok);
        focus->setFocus();
    };
    if (cboAddr->currentText().trimmed().isEmpty())
        return refuse(QStringLiteral("You must provide a server address."), cboAddr);
    if (cboPort->currentText().trimmed().isEmpty())
        return refuse(QStringLiteral("You must provide a server port.  Default: %1").arg(kDefaultServerPort),
                      cboPort);
    if (cboCommand->currentText().trimmed().isEmpty()) {
        cboCommand->setFocus();
        return;
    }
    if (txtPassword->text().trimmed().isEmpty())
        return refuse(QStringLiteral("You must provide the rcon password."), txtPassword);

    m_session->SendCommand(cboCommand->currentText().trimmed());
    changeHistories({cboPort, cboAddr, cboCommand}, [this] {
        ConsoleSession::AddToHistory(m_session->portHistory(), cboPort->currentText());
        ConsoleSession::AddToHistory(m_session->serverHistory(), cboAddr->currentText());
        ConsoleSession::AddToHistory(m_session->commandHistory(), cboCommand->currentText());
    });
    cboCommand->setEditText(QString());
    cboCommand->setFocus();
}

void frmMain::mnuCommandsStatus_Click() {
    m_session->SendCommand(QStringLiteral("status"));
}

void frmMain::mnuCommandsInfo_Click() {
    m_session->SendCommand(QStringLiteral("serverinfo"));
}

void frmMain::mnuCommandsPlayers_Click() {
    if (!m_players) {
        m_players = new frmPlayers(*m_session, m_desktop, this);
        connect(m_players, &frmPlayers::historyRequested, this, &frmMain::showHistory);
    }
    m_players->show();
    m_players->raise();
    m_players->activateWindow();
}

void frmMain::mnuCommandsRestart_Click() {
    const ConnectionFields target = m_session->fields();
    frmRestart dialog(m_desktop, m_lastPlan,
                      target.address.trimmed() + QLatin1Char(':') + target.port.trimmed(),
                      m_schedules->counting(), this);
    dialog.exec();
    if (dialog.cancelConfirmed())
        return m_schedules->cancelRestart();
    const auto plan = dialog.confirmedPlan();
    if (!plan)
        return;
    m_lastPlan = *plan;
    if (const auto started = m_schedules->startRestart(*plan, target); !started)
        m_desktop.messageBox(this, started.why(), QStringLiteral("Restart Server"),
                             platform::Desktop::Icon::Warning, platform::Desktop::Buttons::Ok);
}

void frmMain::mnuCommandsCancelRestart_Click() {
    m_schedules->cancelRestart();
}

void frmMain::mnuCommandsMessages_Click() {
    frmMessages dialog(m_desktop, m_schedules->messages(), this);
    dialog.exec();
    if (const auto messages = dialog.confirmedMessages())
        m_schedules->setMessages(*messages);
}

// The records' windows stay open beside the console, like the Players window.
template <typename W> static void raiseWindow(W* window) {
    window->show();
    window->raise();
    window->activateWindow();
}

void frmMain::mnuCommandsHistory_Click() {
    showHistory(QString());
}

void frmMain::showHistory(const QString& search) {
    if (!m_history)
        m_history = new frmHistory(*m_session, m_desktop, this);
    raiseWindow(m_history);
    if (!search.isEmpty())
        m_history->searchFor(search);
}

void frmMain::mnuCommandsBans_Click() {
    if (!m_bans)
        m_bans = new frmBans(*m_session, m_desktop, this);
    raiseWindow(m_bans);
}

void frmMain::mnuViewActivity_Click() {
    if (!m_activity)
        m_activity = new frmActivity(*m_session, m_desktop, this);
    raiseWindow(m_activity);
}

void frmMain::mnuViewStatusBar_Click() {
    showStatusBar(mnuViewStatusBar->isChecked());
}

void frmMain::showStatusBar(bool on) {
    m_session->setShowStatusBar(on);
    mnuViewStatusBar->setChecked(on);
    statusBar()->setVisible(on);
    Form_Resize();
}

void frmMain::mnuCommandsAutoQuery_Click() {
    // The click has already inverted the check mark.
    m_session->setAutoQuery(mnuCommandsAutoQuery->isChecked());
}

void frmMain::cmdSay_Click() {
    frmSay dialog(m_sayText, this);
    dialog.exec();
    const std::optional<QString> text = dialog.confirmedText();
    if (!text)
        return;
    m_sayText = *text;
    if (!text->isEmpty())
        m_session->SendCommand(QStringLiteral("say \"") + *text + QLatin1Char('"'));
}

// ---- autocomplete

void frmMain::cboCommand_KeyDown(int key) {
    if (!m_session->settings().UseAutoComplete)
        return;
    switch (key) {
    case Qt::Key_Delete:
    case Qt::Key_Backspace:
        m_allowComplete = false;
        break;
    case Qt::Key_Space:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        cboCommand->lineEdit()->setCursorPosition(int(cboCommand->currentText().size()));
        m_allowComplete = true;
        break;
    default:
        m_allowComplete = true;
        break;
    }
}

void frmMain::cboCommand_Change() {
    if (!m_session->settings().UseAutoComplete || !m_allowComplete)
        return;
    const QString typed = cboCommand->currentText();
    const QString tail = FindCompletion(typed);
    // An empty tail leaves the text as it is, so the change does not come back to this handler.
    if (!tail.isEmpty())
        cboCommand->setEditText(typed + tail);
    cboCommand->lineEdit()->setSelection(int(typed.size()), int(tail.size()));
}

// ---- files

void frmMain::UpdateLogMenu() {
    const bool exists = platform::FileExists(logPath());
    mnuFileLog->setEnabled(exists);
    mnuFileDelete->setEnabled(exists);
}

void frmMain::mnuFileLog_Click() {
    OpenInTextEditor(m_desktop, this, logPath());
}

void frmMain::mnuFileDelete_Click() {
    const auto answer = m_desktop.messageBox(
        this, QStringLiteral("Are you sure you want to permanently delete the local log??"),
        QStringLiteral("Console Log"), platform::Desktop::Icon::Question, platform::Desktop::Buttons::YesNo);
    if (answer == Answer::Yes)
        QFile::remove(logPath());
    UpdateLogMenu();
}

void frmMain::openInEditor(const QString& path) {
    if (platform::FileExists(path))
        OpenInTextEditor(m_desktop, this, path);
}

// ---- edit menu and histories

void frmMain::mnuEdit_Click() {
    const bool hasText = !txtOutput->isEmpty();
    mnuEditCopy->setEnabled(hasText);
    mnuEditClear->setEnabled(hasText);
    mnuEditSelectAll->setEnabled(true);
}

void frmMain::mnuEditCopy_Click() {
    QClipboard* clipboard = QApplication::clipboard();
    if (!clipboard)
        return;
    clipboard->clear();
    QString selected = txtOutput->textCursor().selectedText();
    selected.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    clipboard->setText(selected);
}

void frmMain::mnuEditClear_Click() {
    txtOutput->clearText();
}

void frmMain::mnuEditSelectAll_Click() {
    txtOutput->setFocus();
    txtOutput->selectAll();
}

void frmMain::mnuFileClearHistory_Click() {
    if (confirmed(QStringLiteral("This will remove all Servers and Ports from history.  Continue?"),
                  QStringLiteral("Server History")))
        changeHistories({cboAddr, cboPort}, [this] { m_session->clearServerHistory(); });
}

void frmMain::mnuFileClearCommandHistory_Click() {
    if (confirmed(QStringLiteral("This will remove all commands from history.  Continue?"),
                  QStringLiteral("Command History")))
        changeHistories({cboCommand}, [this] { m_session->clearCommandHistory(); });
}

bool frmMain::confirmed(const QString& question, const QString& title) {
    return m_desktop.messageBox(this, question, title, platform::Desktop::Icon::Question,
                                platform::Desktop::Buttons::YesNo) == Answer::Yes;
}

// A box whose list changes shows its first entry: each keeps the text typed in it instead.
void frmMain::changeHistories(std::initializer_list<QComboBox*> boxes, const std::function<void()>& change) {
    QStringList typed;
    for (const QComboBox* box : boxes)
        typed << box->currentText();
    change();
    for (QComboBox* box : boxes)
        box->setEditText(typed.takeFirst());
}

// ---- dialogs

void frmMain::mnuViewOptions_Click() {
    frmOptions dialog(m_desktop, m_session->settings(), m_session->autoQueryRunning(), this);
    connect(&dialog, &frmOptions::applied, m_session, &ConsoleSession::applyOptions);
    connect(&dialog, &frmOptions::themesRequested, this, [this, &dialog] { showThemeDialog(&dialog); });
    dialog.exec();
}

void frmMain::mnuHelpAbout_Click() {
    // exec() runs its own event loop, so the session's sockets and timers are served meanwhile.
    frmAbout about(m_desktop, desktopSystemKeys(), this);
    connect(&about, &frmAbout::errorLogNotWritten, m_session, [this](const QString& why) {
        m_session->fileNotWritten(WrittenFile::ErrorLog, platform::Failure{why});
    });
    about.exec();
}

// ---- themes and big-screen mode

void frmMain::mnuViewTheme_Click(QAction* item) {
    const ThemeId id = themeByIdentifier(item->data().toString()).value_or(ThemeId::Custom);
    if (id == ThemeId::Custom) {
        // Clicking the item ticked it; whether "Custom" is checked is the dialog's to decide.
        CheckThemeMenu(m_session->settings().CurrentTheme);
        showThemeDialog(this);
        return;
    }
    ApplyTheme(theme(id).look);
    makeThemeCurrent(theme(id).identifier);
}

void frmMain::mnuViewThemeSettings_Click() {
    showThemeDialog(this);
}

void frmMain::mnuViewThemeBigScreen_Click() {
    // The click has already flipped the check mark; the mode follows the state before the click.
    SetBigScreenMode(!m_session->settings().BigScreenMode);
}

void frmMain::showThemeDialog(QWidget* over) {
    const AppSettings& s = m_session->settings();
    frmThemes dialog(m_desktop, m_session->look(), s.CurrentTheme, s.BigScreenMode, over);
    connect(&dialog, &frmThemes::themeChanged, this, &frmMain::makeThemeCurrent);
    connect(&dialog, &frmThemes::applied, this, [this](const ThemeLook& look, bool bigScreen) {
        ApplyTheme(look);
        SetBigScreenMode(bigScreen);
    });
    dialog.exec();
}

void frmMain::makeThemeCurrent(const QString& identifier) {
    m_session->setCurrentTheme(identifier);
    CheckThemeMenu(identifier);
}

void frmMain::ApplyTheme(const ThemeLook& look) {
    m_session->setLook(look);
    showPaneLook(false);
    if (m_session->settings().BigScreenMode)
        SetBigScreenMode(true);
}

void frmMain::CheckThemeMenu(const QString& identifier) {
    const auto id = themeByIdentifier(identifier);
    for (QAction* item : m_themeItems->actions())
        item->setChecked(id && themeByIdentifier(item->data().toString()) == id);
}

void frmMain::SetBigScreenMode(bool on) {
    if (on) {
        setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowMaximized);
    } else if (m_session->settings().BigScreenMode) {
        // Only leaving the mode gives the window back its normal state: a window the user (or the
        // stored state) maximised while the mode was off stays as it is.
        setWindowState(windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen));
    }
    showPaneLook(on);
    mnuViewThemeBigScreen->setChecked(on);
    m_session->setBigScreenMode(on);
}

void frmMain::showPaneLook(bool enlarged) {
    const ThemeLook look = m_session->look();
    setBoxColours(txtOutput, look.back, look.fore);
    txtOutput->setFont(lookFont(look.face, enlarged ? bigScreenSize(look.size) : look.size,
                                enlarged || look.bold, look.italic));
}

} // namespace console
