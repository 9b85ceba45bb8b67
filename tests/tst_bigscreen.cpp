#include "ConsoleFixture.h"

#include <Layout.h>
#include <Twips.h>
#include <frmThemes.h>

#include <QCheckBox>
#include <QPushButton>
#include <QStatusBar>

using namespace console;

namespace {
bool maximised(const QWidget* w) {
    return w->windowState() & Qt::WindowMaximized;
}
ShownLook enlarged(ShownLook look) {
    look.size += 10;
    look.bold = true;
    return look;
}
} // namespace

class tst_bigscreen : public QObject {
    Q_OBJECT
private slots:
    void menuToggle_data() {
        columns<QString, int>("item", "id");
        row("Default", "mnuViewThemeDefault", int(ThemeId::Default));
        row("Bloodshot keeps its bold", "mnuViewThemeBloodshot", int(ThemeId::Bloodshot));
        row("Purple Haze", "mnuViewThemePH", int(ThemeId::PurpleHaze));
    }
    void menuToggle() {
        QFETCH(QString, item);
        QFETCH(int, id);
        ConsoleFixture f;
        auto& w = f.open(false);
        QAction* bigScreen = f.action("mnuViewThemeBigScreen");
        // The theme before the mode, then once more while it is on.
        for (int round = 0; round < 2; ++round) {
            if (round == 0)
                f.action(qPrintable(item))->trigger();
            bigScreen->trigger();
            if (round == 1)
                f.action(qPrintable(item))->trigger();
            QTRY_VERIFY(maximised(&w));
            QCOMPARE(shownLook(f.pane()), enlarged(catalogueLook(ThemeId(id))));
            QVERIFY(bigScreen->isChecked() && f.session().settings().BigScreenMode);
            QVERIFY(f.session().look() == theme(ThemeId(id)).look); // shown, never stored
            bigScreen->trigger();
            QTRY_VERIFY(!maximised(&w) && !w.isMinimized());
            QCOMPARE(shownLook(f.pane()), catalogueLook(ThemeId(id)));
            QVERIFY(!bigScreen->isChecked() && !f.session().settings().BigScreenMode);
        }
    }

    void fromStoredSetting() {
        ConsoleFixture f;
        ConsoleFixture::store({"BigScreenMode", "True", "WindowLeft", "300", "WindowTop", "450",
                               "WindowWidth", "9000", "WindowHeight", "7500", "FormFontItalic", "True",
                               "FormFontName", "Arial", "FormFontSize", "12"});
        const ShownLook look{QColor(0, 0, 192), QColor(255, 255, 0), "Arial", 12, false, true};
        for (int start = 0; start < 2; ++start) {
            start == 0 ? f.open(false) : f.restart();
            QTRY_VERIFY(maximised(f.window.get()));
            QVERIFY(f.action("mnuViewThemeBigScreen")->isChecked());
            QCOMPARE(shownLook(f.pane()), enlarged(look)); // italic and face kept
        }
        // A maximised exit keeps the geometry of before; the enlargement is never stored.
        const QStringList kept{"TheWindowState", "2",           "FormFontSize", "12",         "FormFontBold",
                               "False",          "WindowWidth", "9000",         "WindowLeft", "300"};
        for (int i = 0; i < kept.size(); i += 2)
            QCOMPARE(ConsoleFixture::stored(kept[i]), kept[i + 1]);
        f.action("mnuViewThemeBigScreen")->trigger();
        f.restart();
        QCOMPARE(ConsoleFixture::stored("BigScreenMode"), QString("False"));
        QVERIFY(!maximised(f.window.get()) && !f.action("mnuViewThemeBigScreen")->isChecked());
        QCOMPARE(shownLook(f.pane()), look);
    }

    // The theme dialog switches the mode on Apply; leaving the mode always gives a normal window,
    // while a window maximised with the mode off stays maximised.
    void fromDialogAndWindowState() {
        ConsoleFixture f;
        ConsoleFixture::store("TheWindowState", "2");
        auto& w = f.open(false);
        const auto okInDialog = [&](bool toggle) {
            double sampleSize = 0;
            whenModal<frmThemes>([&](frmThemes* d) {
                sampleSize = d->findChild<QWidget*>("txtFontSample")->font().pointSizeF();
                if (toggle)
                    d->findChild<QCheckBox*>("ckBigScreenMode")->click();
                d->findChild<QPushButton*>("cmdOK")->click();
            });
            f.action("mnuViewThemeSettings")->trigger();
            QCOMPARE(sampleSize, 8.0);
        };
        QTRY_VERIFY(maximised(&w));
        okInDialog(false);
        QVERIFY(maximised(&w) && !f.action("mnuViewThemeBigScreen")->isChecked());
        for (bool on : {true, false}) {
            okInDialog(true);
            QTRY_COMPARE(maximised(&w), on);
            QCOMPARE(f.action("mnuViewThemeBigScreen")->isChecked(), on);
            QCOMPARE(shownLook(f.pane()).size, on ? 18.0 : 8.0);
        }
        QVERIFY(!w.isMinimized());
    }

    void layoutAtEverySize_data() {
        columns<QSize, bool>("pixels", "statusBar"); // pixels empty: maximised; negative: minimised and back
        row("maximised", QSize(), false);
        row("minimised and restored", QSize(-1, -2), false);
        row("default size", QSize(599, 591), false);
        row("narrow, Exit held at 4080", QSize(200, 320), false);
        row("notice held at 120", QSize(300, 400), false);
        row("wide and short", QSize(1100, 260), false);
        row("beyond the screen", QSize(1600, 1200), false);
        row("maximised, status bar", QSize(), true);
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
        QTRY_VERIFY(maximised(&w));
        if (pixels.width() < 0) {
            w.showMinimized();
            QTRY_VERIFY(w.isMinimized());
            w.showMaximized();
            QTRY_VERIFY(maximised(&w) && !w.isMinimized());
        } else if (pixels.isValid()) {
            // The user restores and resizes by hand, again if need be: the first normal-state resize takes
            // the stored placement (the window was first shown maximised). The mode stays on.
            w.showNormal();
            QTRY_VERIFY(!maximised(&w));
            QTRY_COMPARE((w.resize(pixels), w.size()), pixels);
        }
        QCOMPARE(shownLook(f.pane()).size, 18.0);
        const float W = float(platform::pixelsToTwips(w.frameGeometry().width()));
        const int bar = statusBar ? w.statusBar()->height() : 0;
        const float H = float(platform::pixelsToTwips(w.frameGeometry().height() - bar));
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
