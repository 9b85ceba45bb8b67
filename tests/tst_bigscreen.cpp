#include "ConsoleFixture.h"

#include <Layout.h>
#include <Twips.h>
#include <frmThemes.h>

using namespace console;

class tst_bigscreen : public QObject {
    Q_OBJECT
private slots:
    // The mode enlarges the shown look without storing it, maximises the window and comes back at
    // start; leaving it always gives a normal window, while one maximised with the mode off stays so.
    void toggle_data() {
        columns<QString, ShownLook, bool>("theme", "look", "dialog");
        row("Bloodshot, by the dialog, maximised", "mnuViewThemeBloodshot", catalogueLook(ThemeId::Bloodshot),
            true);
        row("stored italic face, by the menu", "",
            ShownLook{QColor(0, 0, 192), QColor(255, 255, 0), "Arial", 12, false, true}, false);
    }
    void toggle() {
        QFETCH(QString, theme);
        QFETCH(ShownLook, look);
        QFETCH(bool, dialog);
        ConsoleFixture f;
        ConsoleFixture::store({"TheWindowState", dialog ? "2" : "0", "WindowWidth", "9000", "FormFontItalic",
                               "True", "FormFontName", "Arial", "FormFontSize", "12"});
        f.open(false);
        const auto flip = [&](bool toggle) {
            if (!dialog)
                return f.action("mnuViewThemeBigScreen")->trigger();
            whenModal<frmThemes>([&](frmThemes* d) {
                if (toggle)
                    d->findChild<QCheckBox*>("ckBigScreenMode")->click();
                d->findChild<QPushButton*>("cmdOK")->click();
            });
            f.action("mnuViewThemeSettings")->trigger();
        };
        const auto shows = [&](bool on, bool max) {
            QTRY_VERIFY(f.window->isMaximized() == max && !f.window->isMinimized());
            QCOMPARE(f.action("mnuViewThemeBigScreen")->isChecked(), on);
            QCOMPARE(f.session().settings().BigScreenMode, on);
            ShownLook enlarged = look;
            if (on)
                enlarged.size += 10, enlarged.bold = true;
            QCOMPARE(shownLook(f.pane()), enlarged);
        };
        if (!theme.isEmpty())
            f.action(qPrintable(theme))->trigger();
        if (dialog)
            flip(false);
        shows(false, dialog);
        flip(true);
        shows(true, true);
        f.restart();
        shows(true, true);
        // A maximised exit keeps the geometry of before.
        QCOMPARE(f.stored("TheWindowState") + '|' + f.stored("WindowWidth") + '|' + f.stored("FormFontSize"),
                 "2|9000|" + QString::number(look.size));
        flip(true);
        shows(false, false);
        f.restart();
        shows(false, false);
    }

    void layoutAtEverySize_data() {
        columns<QSize, bool>("pixels", "statusBar"); // pixels empty: maximised, minimised and back
        row("maximised", QSize(), false);
        row("default size", QSize(599, 591), false);
        row("narrow, Exit held at 4080", QSize(200, 320), false);
        row("default size, status bar", QSize(599, 591), true);
    }
    // Without the status bar the rules place every control as ever; with it, they lay out the
    // height above it.
    void layoutAtEverySize() {
        QFETCH(QSize, pixels);
        QFETCH(bool, statusBar);
        ConsoleFixture f;
        ConsoleFixture::store("ShowStatusBar", statusBar ? "True" : "False");
        auto& w = f.open(false);
        QCOMPARE(w.statusBar()->isVisible(), statusBar);
        f.action("mnuViewThemeBigScreen")->trigger();
        QTRY_VERIFY(w.isMaximized());
        if (!pixels.isValid()) {
            w.showMinimized();
            QTRY_VERIFY(w.isMinimized());
            w.showMaximized();
            QTRY_VERIFY(w.isMaximized() && !w.isMinimized());
        } else {
            // The user restores and resizes by hand, again if need be: the first normal-state resize takes
            // the stored placement (the window was first shown maximised). The mode stays on.
            w.showNormal();
            QTRY_VERIFY(!w.isMaximized());
            QTRY_COMPARE((w.resize(pixels), w.size()), pixels);
        }
        QCOMPARE(shownLook(f.pane()).size, 18.0);
        const int bar = statusBar ? w.statusBar()->height() : 0;
        const auto W = float(platform::pixelsToTwips(w.frameGeometry().width())),
                   H = float(platform::pixelsToTwips(w.frameGeometry().height() - bar));
        QVERIFY(W > 1850 && H > 3325);
        // Above every threshold the rules do not depend on what was before.
        const MainLayout l = resizeLayout(MainLayout{}, W, H, false);
        const auto at = [](const TwipsRect& r) {
            return platform::twipsRect(r.left, r.top, r.width, r.height);
        };
        const QList<std::pair<const char*, TwipsRect>> placed{
            {"txtOutput", l.txtOutput},   {"fraInput", l.fraInput},     {"fraCommands", l.fraCommands},
            {"cmdConnect", l.cmdConnect}, {"cboCommand", l.cboCommand}, {"lblNotice", l.lblNotice},
            {"cmdExit", l.cmdExit}};
        for (const auto& [name, rect] : placed)
            QCOMPARE(f.find(name)->geometry(), at(rect));
        QCOMPARE(f.find("fraSettings")->width(), at(l.fraSettings).width());
        QVERIFY(f.find("fraCommands")->geometry().bottom() < w.centralWidget()->height());
    }
};

QTEST_MAIN(tst_bigscreen)
#include "tst_bigscreen.moc"
