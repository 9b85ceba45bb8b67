#include "Desktop.h"

#include "PlainText.h"

#include <QApplication>
#include <QClipboard>
#include <QColorDialog>
#include <QDeadlineTimer>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFontDialog>
#include <QGuiApplication>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QStandardPaths>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QUrl>

namespace platform {

Desktop::Answer RealDesktop::messageBox(QWidget* parent, const QString& text, const QString& title, Icon icon,
                                        Buttons buttons) {
    QMessageBox box(parent);
    box.setTextFormat(Qt::PlainText);
    box.setText(bounded(text));
    setPlainWindowTitle(&box, title);
    switch (icon) {
    case Icon::None:
        box.setIcon(QMessageBox::NoIcon);
        break;
    case Icon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case Icon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    case Icon::Warning:
        box.setIcon(QMessageBox::Warning);
        break;
    case Icon::Critical:
        box.setIcon(QMessageBox::Critical);
        break;
    }
    switch (buttons) {
    case Buttons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case Buttons::OkCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        break;
    case Buttons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        break;
    case Buttons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Yes);
        break;
    }
    switch (box.exec()) {
    case QMessageBox::Ok:
        return Answer::Ok;
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    default:
        return Answer::Cancel;
    }
}

std::optional<QColor> RealDesktop::chooseColor(QWidget* parent, const QColor& initial) {
    const QColor chosen = QColorDialog::getColor(initial, parent);
    return chosen.isValid() ? std::optional<QColor>(chosen) : std::nullopt;
}

std::optional<QFont> RealDesktop::chooseFont(QWidget* parent, const QFont& initial) {
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, initial, parent);
    return ok ? std::optional<QFont>(chosen) : std::nullopt;
}

QString RealDesktop::chooseOpenFile(QWidget* parent, const QString& title, const QString& folder,
                                    const QString& filter) {
    return QFileDialog::getOpenFileName(parent, title, folder, filter);
}

QString RealDesktop::chooseSaveFile(QWidget* parent, const QString& title, const QString& suggested,
                                    const QString& filter) {
    return QFileDialog::getSaveFileName(parent, title, suggested, filter);
}

std::optional<QString> RealDesktop::askText(QWidget* parent, const QString& title, const QString& label,
                                            const QString& initial) {
    QInputDialog dialog(parent);
    setPlainWindowTitle(&dialog, title);
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setLabelText(bounded(label));
    for (QLabel* shown : dialog.findChildren<QLabel*>())
        makePlain(shown);
    dialog.setTextValue(initial);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.textValue();
}

namespace {
// A handler that gives up does so at once: xdg-open walks its list of browsers or editors and says
// "no method available" within a second or two. One still running after this has taken the file
// or address, and how it ends later (a browser closed hours on) says nothing about the hand-over.
constexpr int kRefusalWindowMs = 15000;

// Starts the handler as a child of its own, so that its exit status can be heard, and lets it run
// on unbothered when the program ends. Its output goes where ours goes: a pipe nobody reads would
// stall a long-running browser.
void hand(const QString& program, const QStringList& arguments, std::function<void()> refused) {
    auto* handler = new QProcess;
    handler->setProgram(program);
    handler->setArguments(arguments);
    handler->setProcessChannelMode(QProcess::ForwardedChannels);
    handler->setStandardInputFile(QProcess::nullDevice());
    const QDeadlineTimer window(kRefusalWindowMs);
    QObject::connect(handler, &QProcess::finished, handler,
                     [handler, refused, window](int code, QProcess::ExitStatus status) {
                         if ((status != QProcess::NormalExit || code != 0) && !window.hasExpired())
                             refused();
                         handler->deleteLater();
                     });
    QObject::connect(handler, &QProcess::errorOccurred, handler,
                     [handler, refused](QProcess::ProcessError error) {
                         if (error != QProcess::FailedToStart)
                             return;
                         refused();
                         handler->deleteLater();
                     });
    handler->start();
}
} // namespace

void RealDesktop::openUrl(const QString& address, std::function<void()> refused) {
    const QString xdgOpen = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (!xdgOpen.isEmpty())
        hand(xdgOpen, {address}, std::move(refused));
    else if (!QDesktopServices::openUrl(QUrl(address))) // a browser named by $BROWSER or found by name
        refused();
}

namespace {
constexpr int kNoticeMs = 15000;
}

void RealDesktop::notify(const QString& title, const QString& text) {
    if (!QSystemTrayIcon::isSystemTrayAvailable() && !QSystemTrayIcon::supportsMessages())
        return;
    // One icon for the program's life, shown only while it has something to say.
    static QSystemTrayIcon* const icon = [] {
        auto* i = new QSystemTrayIcon(QApplication::windowIcon(), qApp);
        QObject::connect(i, &QSystemTrayIcon::messageClicked, i, &QSystemTrayIcon::hide);
        return i;
    }();
    icon->show();
    // Notification services read markup in the body: the server's words go over escaped.
    icon->showMessage(bounded(title), bounded(text).toHtmlEscaped(), QSystemTrayIcon::Information);
    QTimer::singleShot(kNoticeMs, icon, &QSystemTrayIcon::hide);
}

QStringList textEditorCommand(const QString& path) {
    static const char* const candidates[] = {
        "xdg-open", "gnome-text-editor", "gedit", "kate", "mousepad", "xed", "pluma", "leafpad"};
    for (const char* name : candidates) {
        const QString program = QStandardPaths::findExecutable(QString::fromLatin1(name));
        if (!program.isEmpty())
            return {program, path};
    }
    return {};
}

void RealDesktop::openInTextEditor(const QString& path, std::function<void()> refused) {
    QStringList command = textEditorCommand(path);
    if (command.isEmpty()) {
        refused();
        return;
    }
    const QString program = command.takeFirst();
    hand(program, command, std::move(refused));
}

bool RealDesktop::copyToClipboard(const QString& text) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard)
        return false;
    clipboard->setText(text);
    // A display whose clipboard took nothing hands back something else.
    return clipboard->text() == text;
}

Result<qint64> RealDesktop::startProgram(const QString& program, const QStringList& arguments,
                                         const QString& workingFolder) {
    return DetachedLauncher().startProgram(program, arguments, workingFolder);
}

} // namespace platform
