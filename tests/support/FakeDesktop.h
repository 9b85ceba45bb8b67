#pragma once

#include <Desktop.h>

#include <QList>
#include <QString>
#include <QStringList>

// Records every call the programs make of the desktop and answers as the test scripts.
class FakeDesktop : public platform::Desktop {
public:
    struct Box {
        QString text, title;
        Icon icon;
        Buttons buttons;
    };
    struct Started {
        QString program;
        QStringList arguments;
        QString workingFolder;
    };

    QList<Box> boxes;
    QList<Answer> answers; // taken in order; when empty, Ok or Yes
    QList<std::optional<QColor>> colourAnswers;
    QList<std::optional<QFont>> fontAnswers;
    QList<std::optional<QString>> textAnswers; // when empty, cancelled
    QStringList fileAnswers, urls, editedFiles, copied;
    QList<Started> started;
    QList<QStringList> notices; // title, text
    // false: as if no program started, no browser were configured, no editor found, no clipboard kept it
    bool programStarts = true, urlOpens = true, editorOpens = true, clipboardKeeps = true;

    Answer messageBox(QWidget*, const QString& text, const QString& title, Icon icon,
                      Buttons buttons) override {
        boxes.append({text, title, icon, buttons});
        const bool asks = buttons == Buttons::YesNo || buttons == Buttons::YesNoCancel;
        return answers.isEmpty() ? (asks ? Answer::Yes : Answer::Ok) : answers.takeFirst();
    }
    std::optional<QColor> chooseColor(QWidget*, const QColor&) override { return next(colourAnswers); }
    std::optional<QFont> chooseFont(QWidget*, const QFont&) override { return next(fontAnswers); }
    QString chooseOpenFile(QWidget*, const QString&, const QString&, const QString&) override {
        return next(fileAnswers);
    }
    QString chooseSaveFile(QWidget*, const QString&, const QString&, const QString&) override {
        return next(fileAnswers);
    }
    std::optional<QString> askText(QWidget*, const QString&, const QString&, const QString&) override {
        return next(textAnswers);
    }
    void openUrl(const QString& address, std::function<void()> refused) override {
        urls.append(address);
        if (!urlOpens)
            refused();
    }
    void openInTextEditor(const QString& path, std::function<void()> refused) override {
        editedFiles.append(path);
        if (!editorOpens)
            refused();
    }
    bool copyToClipboard(const QString& text) override { return copied.append(text), clipboardKeeps; }
    void notify(const QString& title, const QString& text) override { notices.append({title, text}); }
    platform::Result<qint64> startProgram(const QString& program, const QStringList& arguments,
                                          const QString& workingFolder) override {
        started.append({program, arguments, workingFolder});
        if (!programStarts)
            return platform::Failure{program + QStringLiteral(" is not executable")};
        return qint64(0); // nothing really starts
    }

private:
    // The next scripted answer; when none is left, what a cancelled chooser gives.
    template <typename T> static T next(QList<T>& answers) {
        return answers.isEmpty() ? T() : answers.takeFirst();
    }
};
