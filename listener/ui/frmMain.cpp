#include "frmMain.h"

#include "ListenerSettings.h"

#include <Desktop.h>
#include <SettingsStore.h>
#include <Twips.h>

#include <QAction>
#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSystemTrayIcon>

namespace listener {

using platform::twipsRect;
using platform::twipsToPixels;

namespace {
const QString kAppTitle = QStringLiteral("Kestwold");
const QString kUnclosedQuote = QStringLiteral("The parameters open a double quote they never close.");
const QColor kRed(255, 0, 0);   // 255 as 0x00BBGGRR
const QColor kGreen(0, 255, 0); // 65280

// Our own artwork: a lamp in the state's colour.
QIcon lampIcon(const QColor& colour) {
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::black, 2));
    p.setBrush(colour);
    p.drawEllipse(3, 3, 26, 26);
    p.setBrush(Qt::white);
    p.setPen(Qt::NoPen);
    p.drawEllipse(9, 8, 7, 6);
    return QIcon(pixmap);
}
} // namespace

frmMain::frmMain(platform::Desktop& desktop, int port, QWidget* parent)
    : QWidget(parent), m_desktop(desktop) {
    setWindowTitle(QStringLiteral("Tarnwick Listener"));
    setFixedSize(twipsToPixels(6255), twipsToPixels(4140));
    ImageList1[0] = lampIcon(kRed);
    ImageList1[1] = lampIcon(kGreen);
    setWindowIcon(ImageList1[1]);

    auto button = [](QWidget* parent, const char* caption, double l, double t) {
        auto* b = new QPushButton(QString::fromLatin1(caption), parent);
        b->setGeometry(twipsRect(l, t, 1215, 350));
        return b;
    };
    Frame3 = new QGroupBox(this);
    Frame3->setGeometry(twipsRect(120, 0, 6015, 1815));
    Text1 = new QPlainTextEdit(Frame3);
    Text1->setGeometry(twipsRect(120, 240, 5775, 1455));
    Text1->setReadOnly(true);
    Text1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QPalette logColours = Text1->palette();
    logColours.setColor(QPalette::Text, QColor(255, 255, 0)); // 0x00FFFF as 0x00BBGGRR
    logColours.setColor(QPalette::Base, QColor(0, 0, 255));   // 0xFF0000
    Text1->setPalette(logColours);
    QFont logFont(QStringLiteral("Courier New"));
    logFont.setStyleHint(QFont::TypeWriter);
    logFont.setPointSize(9);
    Text1->setFont(logFont);

    Frame1 = new QGroupBox(this);
    Frame1->setGeometry(twipsRect(120, 1850, 6015, 1695));
    label1 = new QLabel(QStringLiteral("Executable:"), Frame1);
    label1->setGeometry(twipsRect(120, 240, 2175, 255));
    txtPath = new QLineEdit(Frame1);
    txtPath->setGeometry(twipsRect(120, 480, 4455, 350));
    cmdBrowse = button(Frame1, "Browse", 4680, 480);
    Label2 = new QLabel(QStringLiteral("Parameters:"), Frame1);
    Label2->setGeometry(twipsRect(120, 960, 2175, 255));
    txtParams = new QLineEdit(Frame1);
    txtParams->setGeometry(twipsRect(120, 1200, 4455, 350));
    Command4 = button(Frame1, "Test Launch", 4680, 1200);

    Picture1 = new QLabel(this);
    Picture1->setGeometry(twipsRect(120, 3670, 350, 350));
    Picture1->setToolTip(QStringLiteral("Kestwold Status"));
    Picture1->setAutoFillBackground(true);
    Picture1->setFrameShape(QFrame::Panel);
    Picture1->setFrameShadow(QFrame::Sunken);
    UserControl11 = new QFrame(this);
    UserControl11->setGeometry(twipsRect(600, 3555, 1575, 495));
    UserControl11->setFrameShape(QFrame::HLine);
    UserControl11->setFrameShadow(QFrame::Sunken);
    Command1 = button(this, "Start", 2280, 3670);
    Command3 = button(this, "Hide", 3600, 3670);
    Command2 = button(this, "Exit", 4920, 3670);

    mnuPopup = new QMenu(QStringLiteral("PopupMenu"), this);
    mnuStartServer = mnuPopup->addAction(QStringLiteral("Start"));
    mnuStartServer->setEnabled(false);
    mnuStop = mnuPopup->addAction(QStringLiteral("Stop"));
    mnuPopup->addSeparator();
    mnuShow = mnuPopup->addAction(QStringLiteral("Show"));
    mnuHide = mnuPopup->addAction(QStringLiteral("Hide"));
    mnuHide->setEnabled(false);
    mnuPopup->addSeparator();
    mnuSave = mnuPopup->addAction(QStringLiteral("Save Settings"));
    mnuSave->setShortcut(QKeySequence::Save);
    addAction(mnuSave); // the shortcut works in the window too

    TrayIcon1 = new QSystemTrayIcon(ImageList1[0], this);
    TrayIcon1->setContextMenu(mnuPopup);
    if (QSystemTrayIcon::isSystemTrayAvailable())
        TrayIcon1->show();

    service = new ListenerService(desktop, port, this);

    connect(Command1, &QPushButton::clicked, this, &frmMain::Command1_Click);
    connect(cmdBrowse, &QPushButton::clicked, this, &frmMain::cmdBrowse_Click);
    connect(Command4, &QPushButton::clicked, this, &frmMain::Command4_Click);
    connect(Command3, &QPushButton::clicked, this, &frmMain::Command3_Click);
    connect(Command2, &QPushButton::clicked, this, &frmMain::Command2_Click);
    // The pop-up items act as the buttons do; Show and Hide both toggle the window.
    connect(mnuStartServer, &QAction::triggered, this, &frmMain::Command1_Click);
    connect(mnuStop, &QAction::triggered, this, &frmMain::Command1_Click);
    connect(mnuShow, &QAction::triggered, this, &frmMain::ToggleWindow);
    connect(mnuHide, &QAction::triggered, this, &frmMain::ToggleWindow);
    connect(mnuSave, &QAction::triggered, this, &frmMain::saveSettings);
    connect(TrayIcon1, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        // A double click also delivers a click: toggling on both would undo itself.
        if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::MiddleClick)
            ToggleWindow();
    });
    connect(service, &ListenerService::statusEntry, this, &frmMain::LogStatus);
    // A reboot starts what the boxes hold at that moment.
    auto passGame = [this] { service->setGame(txtPath->text(), txtParams->text()); };
    connect(txtPath, &QLineEdit::textChanged, this, passGame);
    connect(txtParams, &QLineEdit::textChanged, this, passGame);
    showState(false);
}

frmMain::~frmMain() {
    Form_Unload();
}

QColor frmMain::lampColour() const {
    return Picture1->palette().color(QPalette::Window);
}

int frmMain::listeningPort() const {
    return service->listeningPort();
}

void frmMain::showState(bool listening) {
    Command1->setText(listening ? QStringLiteral("Stop") : QStringLiteral("Start"));
    m_tag = listening ? QStringLiteral("on") : QStringLiteral("off");
    TrayIcon1->setIcon(ImageList1[listening ? 1 : 0]);
    TrayIcon1->setToolTip(kAppTitle + (listening ? QStringLiteral(": Listener started")
                                                 : QStringLiteral(": Listener stopped")));
    mnuStop->setEnabled(listening);
    mnuStartServer->setEnabled(!listening);
    QPalette palette = Picture1->palette();
    palette.setColor(QPalette::Window, listening ? kGreen : kRed);
    Picture1->setPalette(palette);
}

void frmMain::Command1_Click() {
    if (m_tag == QLatin1String("off")) {
        if (!m_damage.isEmpty()) {
            LogStatus(QStringLiteral("the listener stays stopped until the settings are saved from this "
                                     "window (Save Settings, Ctrl+S)\r\n"));
            return;
        }
        showState(true);
        if (!service->startListening())
            showState(false); // never claim to listen on a port that could not be opened
    } else {
        showState(false);
        service->stopListening();
    }
}

void frmMain::LogStatus(const QString& message) {
    m_log = appendStatusEntry(m_log, message);
    QString shown = m_log;
    shown.remove(QLatin1Char('\r'));
    Text1->setPlainText(shown);
    Text1->moveCursor(QTextCursor::End);
    Text1->ensureCursorVisible();
}

void frmMain::Form_Load() {
    const platform::SettingsStore store;
    const platform::Result<ListenerSettings> loaded = ListenerSettings::load(store);
    if (!loaded)
        m_damage = loaded.why();
    // A damaged file's values are shown, so that they can be mended here, but never used unsaved.
    const ListenerSettings shown = ListenerSettings::read(store);
    if (!m_damage.isEmpty())
        LogStatus(QStringLiteral("settings not trusted: ") + m_damage + QLatin1String("\r\n"));
    Command1_Click(); // while they are not trusted it stays stopped, saying so

    txtPath->setText(shown.executable);
    txtParams->setText(shown.parameters);
    if (loaded)
        service->setAllowedPeers(AllowList::parse(loaded->allowedPeers));
    show();
    if (txtPath->text().isEmpty())
        m_desktop.messageBox(
            this,
            QStringLiteral("The Game Executable is not specified.\r\n"
                           "You must provide the path to the game executable for the listener "
                           "to be able to reboot the game server."),
            kAppTitle, platform::Desktop::Icon::Information, platform::Desktop::Buttons::Ok);
}

void frmMain::Form_Unload() {
    if (m_unloaded)
        return;
    m_unloaded = true;
    service->shutDown();
    platform::SettingsStore store;
    (void)ListenerSettings{txtPath->text(), txtParams->text(), QString()}.save(store);
    TrayIcon1->hide();
}

bool frmMain::saveSettings() {
    platform::SettingsStore store;
    const platform::Result<> saved =
        ListenerSettings{txtPath->text(), txtParams->text(), QString()}.save(store);
    if (!saved) {
        LogStatus(QStringLiteral("settings not saved: ") + saved.why() + QLatin1String("\r\n"));
        return false;
    }
    LogStatus(QStringLiteral("settings saved in ") + store.fileName() + QLatin1String("\r\n"));
    if (!store.keptCopy().isEmpty())
        LogStatus(QStringLiteral("the file that could not be read is kept as ") + store.keptCopy() +
                  QLatin1String("\r\n"));
    if (!m_damage.isEmpty()) {
        m_damage.clear();
        // Start is the user's once more, after reading whom the file just written admits.
        const platform::SettingsStore written;
        service->setAllowedPeers(AllowList::parse(ListenerSettings::read(written).allowedPeers));
    }
    return true;
}

void frmMain::closeEvent(QCloseEvent* event) {
    if (!m_unloaded && ListenerSettings::damage(QStringLiteral("GameParams"), txtParams->text().trimmed()) &&
        m_desktop.messageBox(this, kUnclosedQuote + QStringLiteral("\r\nExit without saving the settings?"),
                             kAppTitle, platform::Desktop::Icon::Warning,
                             platform::Desktop::Buttons::YesNo) != platform::Desktop::Answer::Yes) {
        event->ignore();
        return;
    }
    Form_Unload();
    event->accept();
}

void frmMain::cmdBrowse_Click() {
    const QString chosen =
        m_desktop.chooseOpenFile(this, QStringLiteral("Select Game Server Executable"), txtPath->text(),
                                 QStringLiteral("Executables (*.exe);;Batch Files (*.bat);;All Files (*)"));
    if (!chosen.isEmpty())
        txtPath->setText(chosen);
}

void frmMain::Command4_Click() {
    txtPath->setText(txtPath->text().trimmed());
    txtParams->setText(txtParams->text().trimmed());
    const QString folder = workingFolderOf(txtPath->text());
    QString refusal;
    if (!folder.isEmpty() && !folderExists(folder))
        refusal = QStringLiteral("The path is incorrect.  Make the necessary changes and try again.");
    else if (ListenerSettings::damage(QStringLiteral("GameParams"), txtParams->text()))
        refusal = kUnclosedQuote + QStringLiteral("  Close it and try again.");
    if (!refusal.isEmpty()) {
        m_desktop.messageBox(this, refusal, kAppTitle, platform::Desktop::Icon::Warning,
                             platform::Desktop::Buttons::Ok);
        return;
    }
    (void)service->LaunchGame(txtPath->text(), txtParams->text(), false); // other failures are silent
}

void frmMain::ToggleWindow() {
    if (isVisible() && !isMinimized()) {
        // Hidden without a notification area there would be no way back: minimise instead.
        if (!QSystemTrayIcon::isSystemTrayAvailable()) {
            if (!m_saidNoTray) {
                m_saidNoTray = true;
                LogStatus(
                    QStringLiteral("no notification area: the window is minimised instead of hidden\r\n"));
            }
            showMinimized();
            return;
        }
        hide();
    } else {
        showNormal();
        raise();
        activateWindow();
    }
}

void frmMain::Command3_Click() {
    ToggleWindow();
}

void frmMain::Command2_Click() {
    close();
}

} // namespace listener
