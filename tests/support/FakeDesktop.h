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
    QStringList fileAnswers;
    QList<std::optional<QString>> textAnswers; // when empty, cancelled
    QStringList urls;
    QStringList editedFiles;
    QList<Started> started;
    bool programStarts = true;
    bool urlOpens = true; // false: as if no browser were configured

    Answer messageBox(QWidget*, const QString& text, const QString& title, Icon icon,
                      Buttons buttons) override {
        boxes.append({text, title, icon, buttons});
        if (!answers.isEmpty())
            return answers.takeFirst();
        return buttons == Buttons::YesNo || buttons == Buttons::YesNoCancel ? Answer::Yes : Answer::Ok;
    }
    std::optional<QColor> chooseColor(QWidget*, const QColor&) override { return next(colourAnswers); }
    std::optional<QFont> chooseFont(QWidget*, const QFont&) override { return next(fontAnswers); }
    QString chooseOpenFile(QWidget*, const QString&, const QString&, const QString&) override {
        return next(fileAnswers);
    }
    std::optional<QString> askText(QWidget*, const QString&, const QString&, const QString&) override {
        return next(textAnswers);
    }
    bool openUrl(const QString& address) override {
        urls.append(address);
        return urlOpens;
    }
    bool openInTextEditor(const QString& path) override {
        editedFiles.append(path);
        return true;
    }
    bool startProgram(const QString& program, const QStringList& arguments, const QString& workingFolder,
                      qint64* pid = nullptr) override {
        if (pid)
            *pid = 0; // nothing really starts
        started.append({program, arguments, workingFolder});
        return programStarts;
    }

private:
    // The next scripted answer; when none is left, what a cancelled chooser gives.
    template <typename T> static T next(QList<T>& answers) {
        return answers.isEmpty() ? T() : answers.takeFirst();
    }
};
