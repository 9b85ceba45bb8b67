#pragma once

// What the theme and big-screen tests share: a console that starts, exits and starts again against
// the real settings file, and readings of the pane and the theme menu.

#include "FakeDesktop.h"

#include <AppSettings.h>
#include <ConsolePane.h>
#include <ProgramFolder.h>
#include <SettingsStore.h>
#include <basMain.h>
#include <frmMain.h>
#include <frmThemes.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <memory>

namespace themetest {

inline void freshProcess(const QString& programFolder) {
    console::resetBasMain();
    platform::setProgramFolder(programFolder);
    QFile::remove(platform::SettingsStore().fileName());
}

inline void store(const QString& key, const QString& value) {
    platform::SettingsStore s;
    s.write(console::kSettingsSection, key, value);
    s.sync();
}

inline QString stored(const QString& key) {
    return platform::SettingsStore().read(console::kSettingsSection, key, QStringLiteral("<absent>"));
}

inline std::unique_ptr<console::frmMain> start(FakeDesktop& desktop) {
    auto w = std::make_unique<console::frmMain>(desktop);
    w->Form_Load();
    return w;
}

// Exit (the unload saves) and start a new process state with a new window.
inline void restart(std::unique_ptr<console::frmMain>& w, FakeDesktop& desktop) {
    w.reset();
    console::resetBasMain();
    w = start(desktop);
}

inline QStringList checkedThemes(const console::frmMain& w) {
    QStringList checked;
    for (QAction* a : {w.mnuViewThemeDefault, w.mnuViewThemeDOS, w.mnuViewThemeGreenScreen,
                       w.mnuViewThemeBloodshot, w.mnuViewThemeBnW, w.mnuViewThemePH, w.mnuViewThemeCustom})
        if (a->isChecked())
            checked << a->text();
    return checked;
}

struct ShownLook {
    QColor back, fore;
    QString face;
    double size = 0;
    bool bold = false, italic = false;
};

inline ShownLook shownLook(const QWidget* box) {
    return {box->palette().color(QPalette::Base),
            box->palette().color(QPalette::Text),
            box->font().family(),
            box->font().pointSizeF(),
            box->font().bold(),
            box->font().italic()};
}

#define COMPARE_LOOK(actual, expected)                                                                       \
    do {                                                                                                     \
        const themetest::ShownLook a_ = (actual), e_ = (expected);                                           \
        QCOMPARE(a_.back, e_.back);                                                                          \
        QCOMPARE(a_.fore, e_.fore);                                                                          \
        QCOMPARE(a_.face, e_.face);                                                                          \
        QCOMPARE(a_.size, e_.size);                                                                          \
        QCOMPARE(a_.bold, e_.bold);                                                                          \
        QCOMPARE(a_.italic, e_.italic);                                                                      \
    } while (false)

// Runs `act` on the theme dialog once it is up as a modal window, then returns from the caller's exec.
inline void whileThemeDialogOpen(QObject* context, std::function<void(console::frmThemes&)> act) {
    auto* poll = new QTimer(context);
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, context, [poll, act] {
        auto* dialog = qobject_cast<console::frmThemes*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        poll->stop();
        poll->deleteLater();
        act(*dialog);
        if (dialog->isVisible())
            dialog->reject();
    });
    poll->start();
}

} // namespace themetest
