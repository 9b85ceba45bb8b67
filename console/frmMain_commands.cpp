#include "frmMain.h"

#include "CommandList.h"
#include "basMain.h"
#include "frmOptions.h"
#include "frmSay.h"

#include <Desktop.h>
#include <ProgramFolder.h>

#include <QAction>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

namespace console {

namespace {
constexpr int kKeyBackspace = 8;
constexpr int kKeyTab = 9;
constexpr int kKeySpace = 32;
constexpr int kKeyDelete = 46;

int virtualKeyCode(int qtKey) {
    switch (qtKey) {
    case Qt::Key_Backspace:
        return kKeyBackspace;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return kKeyTab;
    case Qt::Key_Space:
        return kKeySpace;
    case Qt::Key_Delete:
        return kKeyDelete;
    default:
        return qtKey;
    }
}

// Sees each key of the command box before the box acts on it, as a key-down event does; installed
// after the window's own filter, so it runs first and lets every key through.
class CommandKeyWatcher : public QObject {
public:
    explicit CommandKeyWatcher(frmMain* window) : QObject(window), m_window(window) {}

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            m_window->cboCommand_KeyDown(virtualKeyCode(key->key()), key->modifiers());
        }
        return false;
    }

private:
    frmMain* m_window;
};

QString referenceFile(const char* name) {
    return platform::referenceFilePath(QString::fromLatin1(name));
}
} // namespace

void frmMain::wireCommands() {
    // The box's own inline completion from its drop-down list would fight the command completion.
    cboCommand->setCompleter(nullptr);
    // Keys reach the box, which hands them to its line edit without filters; tests may aim at either.
    auto* watcher = new CommandKeyWatcher(this);
    cboCommand->installEventFilter(watcher);
    cboCommand->lineEdit()->installEventFilter(watcher);
    connect(cboCommand, &QComboBox::editTextChanged, this, &frmMain::cboCommand_Change);

    connect(mnuCommandsStatus, &QAction::triggered, this, &frmMain::mnuCommandsStatus_Click);
    connect(mnuCommandsInfo, &QAction::triggered, this, &frmMain::mnuCommandsInfo_Click);
    connect(mnuCommandsAutoQuery, &QAction::triggered, this, [this] {
        // The action has already flipped its own mark; the handler does the flipping.
        mnuCommandsAutoQuery->setChecked(!mnuCommandsAutoQuery->isChecked());
        mnuCommandsAutoQuery_Click();
    });
    connect(cmdServerStatus, &QPushButton::clicked, this, &frmMain::cmdServerStatus_Click);
    connect(cmdServerInfo, &QPushButton::clicked, this, &frmMain::cmdServerInfo_Click);
    connect(cmdSay, &QPushButton::clicked, this, &frmMain::cmdSay_Click);
    connect(tmrMain, &QTimer::timeout, this, &frmMain::tmrMain_Timer);
    connect(mnuEditcommandList, &QAction::triggered, this, &frmMain::mnuEditcommandList_Click);
    connect(mnuViewCommandList, &QAction::triggered, this, &frmMain::mnuViewCommandList_Click);
    connect(mnuViewVariables, &QAction::triggered, this, &frmMain::mnuViewVariables_Click);
    connect(mnuViewOptions, &QAction::triggered, this, &frmMain::mnuViewOptions_Click);
}

// ---- quick commands and auto-query

void frmMain::mnuCommandsStatus_Click() {
    SendCommand(QStringLiteral("status"));
}

void frmMain::cmdServerStatus_Click() {
    mnuCommandsStatus_Click();
}

void frmMain::mnuCommandsInfo_Click() {
    SendCommand(QStringLiteral("serverinfo"));
}

void frmMain::cmdServerInfo_Click() {
    mnuCommandsInfo_Click();
}

void frmMain::mnuCommandsAutoQuery_Click() {
    mnuCommandsAutoQuery->setChecked(!mnuCommandsAutoQuery->isChecked());
    basMain().settings.AutoQuery = mnuCommandsAutoQuery->isChecked();
    if (basMain().settings.AutoQuery)
        tmrMain->start();
    else
        tmrMain->stop();
}

void frmMain::tmrMain_Timer() {
    basMainState& state = basMain();
    ++state.QueryTicks;
    const qint32 period = qint32(state.settings.TimePeriod) * qint32(state.settings.TimeScale);
    if (state.QueryTicks >= period) {
        state.QueryTicks = 0;
        SendCommand(QStringLiteral("status"));
    }
}

void frmMain::cmdSay_Click() {
    {
        frmSay dialog(this);
        dialog.exec();
    }
    basMainState& state = basMain();
    if (!state.SayText.isEmpty() && state.SayConfirmed)
        SendCommand(QStringLiteral("say \"") + state.SayText + QLatin1Char('"'));
    state.SayConfirmed = false;
}

// ---- autocomplete

void frmMain::cboCommand_KeyDown(int keyCode, Qt::KeyboardModifiers) {
    basMainState& state = basMain();
    if (!state.settings.UseAutoComplete)
        return;
    switch (keyCode) {
    case kKeyDelete:
    case kKeyBackspace:
        state.AllowComplete = false;
        break;
    case kKeySpace:
    case kKeyTab:
        cboCommand->lineEdit()->setCursorPosition(int(cboCommand->currentText().size()));
        state.AllowComplete = true;
        break;
    default:
        state.AllowComplete = true;
        break;
    }
}

void frmMain::cboCommand_Change() {
    const basMainState& state = basMain();
    if (!state.settings.UseAutoComplete || !state.AllowComplete)
        return;
    const QString typed = cboCommand->currentText();
    const QString tail = FindCompletion(typed);
    // An empty tail leaves the text as it is, so the change does not come back to this handler.
    if (!tail.isEmpty())
        cboCommand->setEditText(typed + tail);
    cboCommand->lineEdit()->setSelection(int(typed.size()), int(tail.size()));
}

// ---- command lists

void frmMain::mnuEditcommandList_Click() {
    const QString path = commandListPath();
    if (platform::FileExists(path))
        m_desktop.openInTextEditor(path);
}

void frmMain::mnuViewCommandList_Click() {
    const QString path = referenceFile("commands.txt");
    if (platform::FileExists(path))
        m_desktop.openInTextEditor(path);
}

void frmMain::mnuViewVariables_Click() {
    const QString path = referenceFile("variables.txt");
    if (platform::FileExists(path))
        m_desktop.openInTextEditor(path);
}

// ---- options

void frmMain::mnuViewOptions_Click() {
    frmOptions dialog(m_desktop, tmrMain, mnuCommandsAutoQuery, this);
    dialog.setThemeDialog([this] { showThemeDialog(); });
    dialog.exec();
}

} // namespace console
