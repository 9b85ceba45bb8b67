#pragma once

#include <ProgramLauncher.h>

#include <QColor>
#include <QFont>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class QWidget;

namespace platform {

// Everything that would block a test or escape the process: modal message boxes, the choosers,
// and handing an address, a file or a program to the desktop. The programs use RealDesktop;
// tests install a fake that records each call and answers as scripted.
class Desktop : public ProgramLauncher {
public:
    enum class Icon { None, Information, Question, Warning, Critical };
    enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel };
    enum class Answer { Ok, Cancel, Yes, No };

    virtual ~Desktop() = default;

    virtual Answer messageBox(QWidget* parent, const QString& text, const QString& title, Icon icon,
                              Buttons buttons) = 0;
    virtual std::optional<QColor> chooseColor(QWidget* parent, const QColor& initial) = 0;
    virtual std::optional<QFont> chooseFont(QWidget* parent, const QFont& initial) = 0;
    // Returns the chosen path, or an empty text when the user cancels.
    virtual QString chooseOpenFile(QWidget* parent, const QString& title, const QString& folder,
                                   const QString& filter) = 0;
    // Returns the path to write, or an empty text when the user cancels; `suggested` is the first offer.
    virtual QString chooseSaveFile(QWidget* parent, const QString& title, const QString& suggested,
                                   const QString& filter) = 0;
    // Asks for one line of text; nullopt when the user cancels.
    virtual std::optional<QString> askText(QWidget* parent, const QString& title, const QString& label,
                                           const QString& initial) = 0;
    // Hands the address to the desktop's default handler. refused runs, at once or from the event
    // loop, when no program takes it: none is there, or the one handed it gives up straight away.
    virtual void openUrl(const QString& address, std::function<void()> refused) = 0;
    // Opens the file in the desktop's plain-text editor, the path as one argument; refused as above.
    virtual void openInTextEditor(const QString& path, std::function<void()> refused) = 0;
    // True only when the clipboard then holds the text.
    virtual bool copyToClipboard(const QString& text) = 0;
    // A passing notice of the desktop (an outcome the user may be away from); text is plain.
    virtual void notify(const QString& title, const QString& text) = 0;
};

class RealDesktop : public Desktop {
public:
    Answer messageBox(QWidget* parent, const QString& text, const QString& title, Icon icon,
                      Buttons buttons) override;
    std::optional<QColor> chooseColor(QWidget* parent, const QColor& initial) override;
    std::optional<QFont> chooseFont(QWidget* parent, const QFont& initial) override;
    QString chooseOpenFile(QWidget* parent, const QString& title, const QString& folder,
                           const QString& filter) override;
    QString chooseSaveFile(QWidget* parent, const QString& title, const QString& suggested,
                           const QString& filter) override;
    std::optional<QString> askText(QWidget* parent, const QString& title, const QString& label,
                                   const QString& initial) override;
    void openUrl(const QString& address, std::function<void()> refused) override;
    void openInTextEditor(const QString& path, std::function<void()> refused) override;
    bool copyToClipboard(const QString& text) override;
    void notify(const QString& title, const QString& text) override;
    Result<qint64> startProgram(const QString& program, const QStringList& arguments,
                                const QString& workingFolder) override;
};

// The command that opens a text file in the desktop's editor: xdg-open where it exists, else the
// first plain editor found on PATH. Empty when there is none.
QStringList textEditorCommand(const QString& path);

} // namespace platform
