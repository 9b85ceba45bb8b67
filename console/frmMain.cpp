#include "frmMain.h"

#include "AppSettings.h"
#include "CommandList.h"
#include "ConsolePane.h"
#include "History.h"
#include "Rcon.h"
#include "basMain.h"

#include <Desktop.h>
#include <Faces.h>
#include <ProgramFolder.h>
#include <SettingsStore.h>
#include <SocketControl.h>
#include <Twips.h>

#include <QAction>
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
#include <QTime>
#include <QTimer>

namespace console {

using platform::twipsRect;
using platform::twipsToPixels;

namespace {
const QString kAppTitle = QStringLiteral("vorlanix");
const QString kNotice = QStringLiteral("Velmora's Tarnwick: remote console for Quake-engine game servers");

QFont dialogFont(const char* face, double points) {
    QFont font(QString::fromLatin1(face));
    font.setPointSizeF(points);
    return font;
}

void place(QWidget* w, const TwipsRect& r) {
    w->setGeometry(twipsRect(r.left, r.top, r.width, r.height));
}

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

QStringList entriesOf(const QComboBox* box) {
    QStringList entries;
    for (int i = 0; i < box->count(); ++i)
        entries << box->itemText(i);
    return entries;
}

// Inserting into an editable box would replace its edit text with the new entry: keep it.
void insertEntry(QComboBox* box, int index, const QString& text) {
    const QString edit = box->currentText();
    box->insertItem(index, text);
    box->setEditText(edit);
}

bool IsInHistory(const QComboBox* box) {
    return console::IsInHistory(entriesOf(box), box->currentText());
}

void AddToHistory(QComboBox* box) {
    insertEntry(box, 0, box->currentText());
}

void loadHistoryInto(QComboBox* box, const platform::SettingsStore& store, const HistoryKind& kind) {
    const LoadedHistory loaded = loadHistory(store, kind);
    const QString edit = loaded.hasEditText ? loaded.editText : box->currentText();
    for (const QString& entry : loaded.entries)
        insertEntry(box, box->count(), entry);
    box->setEditText(edit);
}
} // namespace

frmMain::frmMain(platform::Desktop& desktop, int listenerPort, QWidget* parent)
    : QMainWindow(parent), m_desktop(desktop), m_listenerPort(listenerPort) {
    setWindowTitle(QStringLiteral("Velmora's Tarnwick"));
    setFont(dialogFont("Arial", 8.25));
    buildControls();
    buildMenus();
    wireHelpMenu();
    wireThemeMenu();

    UDPClient = new platform::SocketControl(platform::SocketControl::Protocol::Udp, this);
    TCPClient = new platform::SocketControl(platform::SocketControl::Protocol::Tcp, this);
    TCPClient->setRemotePort(m_listenerPort);
    tmrMain = new QTimer(this);
    tmrMain->setInterval(1000);
    tmrReboot = new QTimer(this);
    tmrReboot->setInterval(4000);
    // A coarse timer may fire up to 5% early; the game server needs its full four seconds to quit.
    tmrReboot->setTimerType(Qt::PreciseTimer);

    connect(UDPClient, &platform::SocketControl::DataArrival, this, &frmMain::UDPClient_DataArrival);
    connect(TCPClient, &platform::SocketControl::Connected, this, &frmMain::TCPClient_Connect);
    connect(TCPClient, &platform::SocketControl::SendComplete, this, &frmMain::TCPClient_SendComplete);
    connect(TCPClient, &platform::SocketControl::Error, this, &frmMain::TCPClient_Error);
    connect(tmrReboot, &QTimer::timeout, this, &frmMain::tmrReboot_Timer);
    wireCommands(); // after the timers exist: it connects tmrMain

    // The built-in outer size, which the default placement is centred for.
    resize(twipsToPixels(8985), twipsToPixels(8865));
}

frmMain::~frmMain() {
    Form_Unload();
}

void frmMain::buildControls() {
    auto* central = new QWidget(this);
    setCentralWidget(central);

    auto frame = [&](QWidget* parent) {
        auto* box = new QGroupBox(parent);
        box->setFlat(false);
        return box;
    };
    auto label = [&](QWidget* parent, const char* caption, double l, double t, double w, double h) {
        auto* lbl = new QLabel(QString::fromLatin1(caption), parent);
        lbl->setFont(dialogFont("MS Sans Serif", 8.25));
        lbl->setGeometry(twipsRect(l, t, w, h));
        return lbl;
    };
    auto combo = [&](QWidget* parent, const char* text, double l, double t, double w, double h) {
        auto* box = new QComboBox(parent);
        box->setEditable(true);
        box->setInsertPolicy(QComboBox::NoInsert); // the histories decide what enters the list
        box->setEditText(QString::fromLatin1(text));
        box->setGeometry(twipsRect(l, t, w, h));
        return box;
    };
    auto button = [&](QWidget* parent, const char* caption, double l, double t, double w, double h) {
        auto* b = new QPushButton(QString::fromLatin1(caption), parent);
        b->setFont(dialogFont("MS Sans Serif", 9.75));
        b->setAutoDefault(true); // Enter on a focused button presses that button
        b->setGeometry(twipsRect(l, t, w, h));
        return b;
    };

    fraSettings = frame(central);
    Label1 = label(fraSettings, "Server Address", 0, 285, 1215, 255);
    cboAddr = combo(fraSettings, "", 1320, 240, 1815, 330);
    Label2 = label(fraSettings, "Server Port", 3120, 285, 975, 255);
    cboPort = combo(fraSettings, "27960", 4200, 240, 1335, 330);
    Label3 = label(fraSettings, "Rcon Password", 5520, 285, 1335, 255);
    txtPassword = new QLineEdit(fraSettings);
    txtPassword->setEchoMode(QLineEdit::Password);
    txtPassword->setStyle(new AsteriskStyle(txtPassword));
    txtPassword->setFont(dialogFont("MS Sans Serif", 8.25));
    txtPassword->setGeometry(twipsRect(6960, 285, 1455, 285));

    txtOutput = new ConsolePane(central);

    fraInput = frame(central);
    lblCommand = label(fraInput, "Command", 120, 240, 1695, 255);
    lblNotice = label(fraInput, "", 1680, 240, 5055, 255);
    lblNotice->setText(kNotice);
    lblNotice->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    cboCommand = combo(fraInput, "status", 120, 480, 7080, 330);
    cmdConnect = button(fraInput, "Send", 7320, 480, 1185, 350);
    cmdConnect->setDefault(true);

    fraCommands = frame(central);
    cmdServerStatus = button(fraCommands, "Status", 120, 260, 1185, 350);
    cmdServerInfo = button(fraCommands, "ServerInfo", 1440, 260, 1185, 350);
    cmdSay = button(fraCommands, "Say", 2760, 260, 1185, 350);
    cmdExit = button(fraCommands, "Exit", 7320, 260, 1185, 350);

    setTabOrder(cboCommand, cboAddr);
    setTabOrder(cboAddr, cboPort);
    setTabOrder(cboPort, txtPassword);
    setTabOrder(txtPassword, cmdConnect);
    setTabOrder(cmdConnect, cmdServerStatus);
    setTabOrder(cmdServerStatus, cmdServerInfo);
    setTabOrder(cmdServerInfo, cmdSay);
    setTabOrder(cmdSay, cmdExit);
    setTabOrder(cmdExit, txtOutput);

    for (QWidget* w :
         std::initializer_list<QWidget*>{cboAddr, cboAddr->lineEdit(), cboPort, cboPort->lineEdit(),
                                         txtPassword, cboCommand, cboCommand->lineEdit(), txtOutput})
        w->installEventFilter(this);

    connect(cmdConnect, &QPushButton::clicked, this, &frmMain::cmdConnect_Click);
    connect(cmdExit, &QPushButton::clicked, this, &frmMain::cmdExit_Click);
    applyLayout();
}

void frmMain::buildMenus() {
    auto item = [this](QMenu* menu, const char* caption, QKeySequence shortcut = {}) {
        QAction* action = menu->addAction(QString::fromLatin1(caption));
        action->setShortcut(shortcut);
        return action;
    };

    mnuFile = menuBar()->addMenu(QStringLiteral("&File"));
    mnuFileLog = item(mnuFile, "&View Log...", QKeySequence(Qt::CTRL | Qt::Key_D));
    mnuFileDelete = item(mnuFile, "&Delete Log");
    mnuFile->addSeparator();
    mnuFileExit = item(mnuFile, "E&xit", QKeySequence(Qt::CTRL | Qt::Key_Q));

    mnuEdit = menuBar()->addMenu(QStringLiteral("&Edit"));
    mnuEditCopy = item(mnuEdit, "&Copy", QKeySequence(Qt::CTRL | Qt::Key_C));
    mnuEditClear = item(mnuEdit, "Clea&r Output Window", QKeySequence(Qt::CTRL | Qt::Key_R));
    mnuEditSelectAll = item(mnuEdit, "Select &All", QKeySequence(Qt::CTRL | Qt::Key_A));

    mnuCommands = menuBar()->addMenu(QStringLiteral("&Commands"));
    mnuCommandsStatus = item(mnuCommands, "Get Server &Status", QKeySequence(Qt::Key_F5));
    mnuCommandsInfo = item(mnuCommands, "Get Server &Info", QKeySequence(Qt::Key_F6));
    mnuCommands->addSeparator();
    mnuCommandsAutoQuery = item(mnuCommands, "Auto-&Query Status");
    mnuCommandsAutoQuery->setCheckable(true);
    mnuCommands->addSeparator();
    mnuFileClearHistory = item(mnuCommands, "Clear &Server History");
    mnuFileClearCommandHistory = item(mnuCommands, "Clear &Command History");
    mnuCommands->addSeparator();
    mnuEditcommandList = item(mnuCommands, "&Edit AutoComplete Command List...");

    mnuView = menuBar()->addMenu(QStringLiteral("&View"));
    mnuViewCommandList = item(mnuView, "&Command List (all games)...");
    mnuViewVariables = item(mnuView, "&Variable List (all games)...");
    mnuView->addSeparator();
    mnuViewThemeS = mnuView->addMenu(QStringLiteral("&Themes"));
    mnuViewThemeDefault = item(mnuViewThemeS, "Default");
    mnuViewThemeDOS = item(mnuViewThemeS, "DOS");
    mnuViewThemeGreenScreen = item(mnuViewThemeS, "Green Screen");
    mnuViewThemeBloodshot = item(mnuViewThemeS, "Bloodshot");
    mnuViewThemeBnW = item(mnuViewThemeS, "Black And White");
    mnuViewThemePH = item(mnuViewThemeS, "Purple Haze");
    mnuViewThemeCustom = item(mnuViewThemeS, "Custom");
    for (QAction* a : {mnuViewThemeDefault, mnuViewThemeDOS, mnuViewThemeGreenScreen, mnuViewThemeBloodshot,
                       mnuViewThemeBnW, mnuViewThemePH, mnuViewThemeCustom})
        a->setCheckable(true);
    mnuViewThemeS->addSeparator();
    mnuViewThemeSettings = item(mnuViewThemeS, "&Theme Settings...");
    mnuViewThemeS->addSeparator();
    mnuViewThemeBigScreen = item(mnuViewThemeS, "Big Screen Mode");
    mnuViewThemeBigScreen->setCheckable(true);
    mnuView->addSeparator();
    mnuViewOptions = item(mnuView, "&Options...", QKeySequence(Qt::CTRL | Qt::Key_O));

    mnuHelp = menuBar()->addMenu(QStringLiteral("&Help"));
    mnuHelpUpdate = item(mnuHelp, "Check For &Updates...");
    mnuHelpFeedback = item(mnuHelp, "Submit &Feedback...");
    mnuHelpBugReport = item(mnuHelp, "Submit &Bug Report...");
    mnuHelp->addSeparator();
    mnuHelpGameLinks = mnuHelp->addMenu(QStringLiteral("Community &Links"));
    mnuGame1 = mnuHelpGameLinks->addMenu(QStringLiteral("Return To Castle Wolfenstein"));
    mnuGotToRtCW = item(mnuGame1, "Official Site");
    mnuHelpGoToAchtung = item(mnuGame1, "Achtung, Wolfenstein!");
    mnuGame2 = mnuHelpGameLinks->addMenu(QStringLiteral("Star Trek Voyager: Elite Force"));
    mnuGoToSTVEF = item(mnuGame2, "Official Site");
    mnuHelpGoToEF = item(mnuGame2, "Holodeck 5: Elite Force");
    mnuGame4 = mnuHelpGameLinks->addMenu(QStringLiteral("Quake 2"));
    mnuGoToPQ_Q2 = item(mnuGame4, "PlanetQuake");
    mnuGame3 = mnuHelpGameLinks->addMenu(QStringLiteral("Quake 3 Arena"));
    mnuGotoQ3W = item(mnuGame3, "Quake3World");
    mnuGoToPQ_Q3 = item(mnuGame3, "PlanetQuake");
    mnuHelp->addSeparator();
    mnuHelpVelmoraHome = item(mnuHelp, "&Visit Velmora...");
    mnuHelp->addSeparator();
    mnuHelpAbout = item(mnuHelp, "&About...");

    connect(mnuFileLog, &QAction::triggered, this, &frmMain::mnuFileLog_Click);
    connect(mnuFileDelete, &QAction::triggered, this, &frmMain::mnuFileDelete_Click);
    connect(mnuFileExit, &QAction::triggered, this, &frmMain::mnuFileExit_Click);
    connect(mnuEdit, &QMenu::aboutToShow, this, &frmMain::mnuEdit_Click);
    connect(mnuEditCopy, &QAction::triggered, this, &frmMain::mnuEditCopy_Click);
    connect(mnuEditClear, &QAction::triggered, this, &frmMain::mnuEditClear_Click);
    connect(mnuEditSelectAll, &QAction::triggered, this, &frmMain::mnuEditSelectAll_Click);
    connect(mnuFileClearHistory, &QAction::triggered, this, &frmMain::mnuFileClearHistory_Click);
    connect(mnuFileClearCommandHistory, &QAction::triggered, this,
            &frmMain::mnuFileClearCommandHistory_Click);
}

// ---- lifecycle

void frmMain::Form_Load() {
    LoadSettings();
    basMain().AllowComplete = true;
    const AppSettings& s = basMain().settings;
    tmrMain->setInterval(1000);
    if (s.AutoQuery)
        tmrMain->start();
    else
        tmrMain->stop();
    LoadCommandList();
    applyPaneLook();
    if (s.SavePassword)
        txtPassword->setText(s.Password);
    switch (s.TheWindowState) {
    case 1:
        setWindowState(Qt::WindowMinimized);
        break;
    case 2:
        setWindowState(Qt::WindowMaximized);
        break;
    default:
        setWindowState(Qt::WindowNoState);
        break;
    }
    UpdateLogMenu();
    if (!(windowState() & Qt::WindowMaximized))
        applyPlacement();
    show();
    // Now that the window has its frame, the stored outer size can be matched exactly.
    if (m_placementPending && frameGeometry().size() != geometry().size() && windowStateValue() == 0) {
        m_placementPending = false;
        applyPlacement();
    }
    CheckThemeMenu(basMain().settings.CurrentTheme);
    SetBigScreenMode(basMain().settings.BigScreenMode);
    cboCommand->setFocus();
}

void frmMain::Form_Unload() {
    if (m_unloaded)
        return;
    m_unloaded = true;
    if (UDPClient->State() != platform::SocketControl::sckClosed)
        UDPClient->Close();
    if (TCPClient->State() != platform::SocketControl::sckClosed)
        TCPClient->Close();
    tmrReboot->stop();
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

void frmMain::cmdExit_Click() {
    mnuFileExit_Click();
}

// ---- settings

void frmMain::LoadSettings() {
    const platform::SettingsStore store;
    PlacementBasis basis;
    if (const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen()) {
        basis.screenWidth = platform::pixelsToTwips(screen->geometry().width());
        basis.screenHeight = platform::pixelsToTwips(screen->geometry().height());
    }
    basis.windowWidth = outerWidthTwips();
    basis.windowHeight = outerHeightTwips();
    AppSettings& s = basMain().settings;
    s = loadAppSettings(store, basis);
    mnuViewThemeBigScreen->setChecked(s.BigScreenMode);
    mnuCommandsAutoQuery->setChecked(s.AutoQuery);
    loadHistoryInto(cboAddr, store, kServerHistory);
    loadHistoryInto(cboPort, store, kPortHistory);
    loadHistoryInto(cboCommand, store, kCommandHistory);
}

void frmMain::SaveSettings() {
    platform::SettingsStore store;
    WindowSnapshot window;
    window.state = windowStateValue();
    const QRect outer = frameGeometry();
    window.left = platform::pixelsToTwips(outer.x());
    window.top = platform::pixelsToTwips(outer.y());
    window.width = platform::pixelsToTwips(outer.width());
    window.height = platform::pixelsToTwips(outer.height());
    window.password = txtPassword->text();
    saveAppSettings(store, basMain().settings, window);
    saveHistory(store, kServerHistory, entriesOf(cboAddr));
    saveHistory(store, kPortHistory, entriesOf(cboPort));
    saveHistory(store, kCommandHistory, entriesOf(cboCommand));
    store.sync();
}

int frmMain::windowStateValue() const {
    if (windowState() & Qt::WindowMinimized)
        return 1;
    if (windowState() & Qt::WindowMaximized)
        return 2;
    return 0;
}

double frmMain::outerWidthTwips() const {
    return platform::pixelsToTwips(frameGeometry().width());
}

double frmMain::outerHeightTwips() const {
    return platform::pixelsToTwips(frameGeometry().height());
}

void frmMain::applyPaneLook() {
    AppSettings& s = basMain().settings;
    // A face or size the pane cannot show falls back to the default look's.
    const AppSettings defaults;
    if (!platform::isFaceAvailable(s.FormFontName))
        s.FormFontName = defaults.FormFontName;
    if (s.FormFontSize < 1 || s.FormFontSize > 512)
        s.FormFontSize = defaults.FormFontSize;
    showPaneLook(s.BigScreenMode);
}

void frmMain::applyPlacement() {
    const AppSettings& s = basMain().settings;
    // The stored size is the outer size; the frame the desktop adds is known only once shown.
    const QSize frame = frameGeometry().size() - geometry().size();
    move(twipsToPixels(s.WindowLeft), twipsToPixels(s.WindowTop));
    resize(qMax(1, twipsToPixels(s.WindowWidth) - frame.width()),
           qMax(1, twipsToPixels(s.WindowHeight) - frame.height()));
    m_placementPending = frame.isNull();
}

// ---- layout

void frmMain::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    if (m_placementPending && isVisible() && frameGeometry().size() != geometry().size() &&
        windowStateValue() == 0) {
        m_placementPending = false;
        applyPlacement();
    }
    Form_Resize();
}

void frmMain::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        Form_Resize();
}

void frmMain::Form_Resize() {
    m_layout = resizeLayout(m_layout, float(outerWidthTwips()), float(outerHeightTwips()),
                            windowState() & Qt::WindowMinimized);
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

// ---- dispatch and exchange

bool frmMain::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            runEnterDefault(qobject_cast<QWidget*>(watched));
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void frmMain::runEnterDefault(QWidget*) {
    cmdConnect_Click();
}

void frmMain::cmdConnect_Click() {
    auto refuse = [this](const char* message, QWidget* focus) {
        m_desktop.messageBox(this, QString::fromLatin1(message), kAppTitle, platform::Desktop::Icon::None,
                             platform::Desktop::Buttons::Ok);
        focus->setFocus();
    };
    if (cboAddr->currentText().trimmed().isEmpty())
        return refuse("You must provide a server address.", cboAddr);
    if (cboPort->currentText().trimmed().isEmpty())
        return refuse("You must provide a server port.  Default: 27960", cboPort);
    if (cboCommand->currentText().trimmed().isEmpty()) {
        cboCommand->setFocus();
        return;
    }
    if (txtPassword->text().trimmed().isEmpty())
        return refuse("You must provide the rcon password.", txtPassword);

    SendCommand(cboCommand->currentText().trimmed());
    for (QComboBox* box : {cboPort, cboAddr, cboCommand})
        if (!IsInHistory(box))
            AddToHistory(box);
    cboCommand->setEditText(QString());
    cboCommand->setFocus();
}

void frmMain::SendCommand(const QString& command) {
    LastAddress = cboAddr->currentText().trimmed();
    LastPort = cboPort->currentText().trimmed();
    LastPassword = txtPassword->text().trimmed();
    LastCommand = command;

    QString echo;
    if (LastCommand.toUpper() == QLatin1String("REBOOT")) {
        startReboot();
    } else {
        echo = buildEchoLine(longTimeText(QTime::currentTime()), command);
        UDPClient->setRemoteHost(LastAddress);
        bool portOk = false;
        const int port = LastPort.toInt(&portOk);
        // A port that is not a number leaves the port of the previous send in place.
        if (portOk)
            UDPClient->setRemotePort(port);
        UDPClient->Connect();
        UDPClient->SendData(buildRconDatagram(LastPassword, command));
    }
    appendToPane(echo + QLatin1String("\r\n"));
    writeLog(echo + QLatin1String("\r\n"));
}

void frmMain::UDPClient_DataArrival(qint64) {
    ReplyText = UDPClient->GetData();
    ReplyText = cleanReply(ReplyText, basMain().settings.HideFunNameCodes);
    appendToPane(ReplyText);
    writeLog(ReplyText);
}

void frmMain::appendToPane(const QString& text) {
    txtOutput->appendText(text);
}

void frmMain::writeLog(const QString& text) {
    if (!basMain().settings.EnableLogging)
        return;
    WriteLog(text);
    UpdateLogMenu();
}

// ---- log menu

void frmMain::UpdateLogMenu() {
    const bool exists = platform::FileExists(logPath());
    mnuFileLog->setEnabled(exists);
    mnuFileDelete->setEnabled(exists);
}

void frmMain::mnuFileLog_Click() {
    m_desktop.openInTextEditor(logPath());
}

void frmMain::mnuFileDelete_Click() {
    const auto answer = m_desktop.messageBox(
        this, QStringLiteral("Are you sure you want to permanently delete the local log??"),
        QStringLiteral("Console Log"), platform::Desktop::Icon::Question, platform::Desktop::Buttons::YesNo);
    if (answer == platform::Desktop::Answer::Yes)
        QFile::remove(logPath());
    UpdateLogMenu();
}

// ---- edit menu

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

// ---- histories

void frmMain::mnuFileClearHistory_Click() {
    const auto answer = m_desktop.messageBox(
        this, QStringLiteral("This will remove all Servers and Ports from history.  Continue?"),
        QStringLiteral("Server History"), platform::Desktop::Icon::Question,
        platform::Desktop::Buttons::YesNo);
    if (answer != platform::Desktop::Answer::Yes)
        return;
    for (QComboBox* box : {cboAddr, cboPort}) {
        const QString edit = box->currentText();
        box->clear();
        box->setEditText(edit);
    }
}

void frmMain::mnuFileClearCommandHistory_Click() {
    const auto answer =
        m_desktop.messageBox(this, QStringLiteral("This will remove all commands from history.  Continue?"),
                             QStringLiteral("Command History"), platform::Desktop::Icon::Question,
                             platform::Desktop::Buttons::YesNo);
    if (answer != platform::Desktop::Answer::Yes)
        return;
    const QString edit = cboCommand->currentText();
    cboCommand->clear();
    insertEntry(cboCommand, 0, QString());
    cboCommand->setEditText(edit);
}

// ---- remote reboot

void frmMain::startReboot() {
    TCPClient->setRemoteHost(LastAddress);
    TCPClient->setRemotePort(m_listenerPort);
    // Refused while an exchange is under way: that one carries on alone.
    if (TCPClient->Connect())
        m_rebootConnected = false;
    if (TCPClient->State() == platform::SocketControl::sckError)
        rebootFailed();
}

void frmMain::TCPClient_Connect() {
    m_rebootConnected = true;
    SendCommand(QStringLiteral("quit"));
    tmrReboot->start();
}

void frmMain::tmrReboot_Timer() {
    tmrReboot->stop();
    TCPClient->SendData(QByteArray("reboot"));
}

void frmMain::TCPClient_SendComplete() {
    if (TCPClient->State() != platform::SocketControl::sckClosed)
        TCPClient->Close();
}

void frmMain::TCPClient_Error() {
    // After the connection stood, "quit" has gone out: the failure box would tell the user the
    // server still runs, which it does not. The exchange just ends.
    if (m_rebootConnected) {
        tmrReboot->stop();
        TCPClient->Close();
        return;
    }
    rebootFailed();
}

void frmMain::rebootFailed() {
    m_desktop.messageBox(
        this,
        QStringLiteral("The Kestwold is not running or is not properly configured.\r\n"
                       "Please see readme.txt for configuration and installation help.\r\n\r\n"
                       "NOTE: The game server was not shut down and should still be running."),
        QStringLiteral("Reboot Failed"), platform::Desktop::Icon::Information,
        platform::Desktop::Buttons::Ok);
    tmrReboot->stop();
    TCPClient->Close();
}

} // namespace console
