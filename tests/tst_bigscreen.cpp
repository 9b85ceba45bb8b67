#include "ConsoleFixture.h"

#include <Layout.h>
#include <Themes.h>
#include <Twips.h>
#include <frmThemes.h>

#include <QCheckBox>
#include <QGroupBox>
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
        QTest::addColumn<QString>("item");
        QTest::addColumn<int>("id");
        QTest::newRow("Default") << "mnuViewThemeDefault" << int(ThemeId::Default);
        QTest::newRow("Bloodshot keeps its bold") << "mnuViewThemeBloodshot" << int(ThemeId::Bloodshot);
        QTest::newRow("Purple Haze") << "mnuViewThemePH" << int(ThemeId::PurpleHaze);
    }
    void menuToggle() {
        QFETCH(QString, item);
        QFETCH(int, id);
        ConsoleFixture f;
        auto& w = f.open(false);
        QAction* bigScreen = f.action("mnuViewThemeBigScreen");
        for (int round = 0; round < 2; ++round) {
            // The theme before the mode, and after it while it is on.
            if (round == 0)
                f.action(qPrintable(item))->trigger();
            bigScreen->trigger();
            if (round == 1)
                f.action(qPrintable(item))->trigger();
            QTRY_VERIFY(maximised(&w));
            QCOMPARE(shownLook(f.pane()), enlarged(catalogueLook(ThemeId(id))));
            QVERIFY(bigScreen->isChecked() && f.session().settings().BigScreenMode);
            // Shown, never stored.
            QVERIFY(f.session().look() == theme(ThemeId(id)).look);
            bigScreen->trigger();
            QTRY_VERIFY(!maximised(&w));
            QVERIFY(!w.isMinimized());
            QCOMPARE(shownLook(f.pane()), catalogueLook(ThemeId(id)));
            QVERIFY(!bigScreen->isChecked() && !f.session().settings().BigScreenMode);
        }
    }

    void fromStoredSetting() {
        ConsoleFixture f;
        const QStringList values{"BigScreenMode", "True",  "WindowLeft",   "300",  "WindowTop",      "450",
                                 "WindowWidth",   "9000",  "WindowHeight", "7500", "FormFontItalic", "True",
                                 "FormFontName",  "Arial", "FormFontSize", "12"};
        for (int i = 0; i < values.size(); i += 2)
            ConsoleFixture::store(values[i], values[i + 1]);
        const ShownLook look{QColor(0, 0, 192), QColor(255, 255, 0), "Arial", 12, false, true};
        f.open(false);
        QTRY_VERIFY(maximised(f.window.get()));
        QVERIFY(f.action("mnuViewThemeBigScreen")->isChecked());
        QCOMPARE(shownLook(f.pane()), enlarged(look)); // italic and face kept
        f.restart();
        const QStringList kept{"TheWindowState", "2",     "BigScreenMode", "True", "FormFontSize", "12",
                               "FormFontBold",   "False", "WindowWidth",   "9000", "WindowLeft",   "300"};
        for (int i = 0; i < kept.size(); i += 2)
            QCOMPARE(ConsoleFixture::stored(kept[i]), kept[i + 1]);
        QTRY_VERIFY(maximised(f.window.get()));
        QCOMPARE(shownLook(f.pane()), enlarged(look));
        f.action("mnuViewThemeBigScreen")->trigger();
        f.restart();
        QCOMPARE(ConsoleFixture::stored("BigScreenMode"), QString("False"));
        QVERIFY(!maximised(f.window.get()) && !f.action("mnuViewThemeBigScreen")->isChecked());
        QCOMPARE(shownLook(f.pane()), look);
    }

    void fromDialog() {
        ConsoleFixture f;
        auto& w = f.open(false);
        for (bool on : {true, false}) {
            double sampleSize = 0;
            whenModal<frmThemes>([&](frmThemes* d) {
                sampleSize = d->findChild<QWidget*>("txtFontSample")->font().pointSizeF();
                d->findChild<QCheckBox*>("ckBigScreenMode")->click();
                d->findChild<QPushButton*>("cmdOK")->click();
            });
            f.action("mnuViewThemeSettings")->trigger();
            QCOMPARE(sampleSize, 8.0);
            QTRY_COMPARE(maximised(&w), on);
            QCOMPARE(f.action("mnuViewThemeBigScreen")->isChecked(), on);
            QCOMPARE(shownLook(f.pane()).size, on ? 18.0 : 8.0);
        }
    }

    // Leaving the mode always restores; a window maximised while the mode is off stays so.
    void windowStateAcrossTheMode() {
        ConsoleFixture f;
        ConsoleFixture::store("TheWindowState", "2");
        auto& w = f.open(false);
        QTRY_VERIFY(maximised(&w));
        QVERIFY(!f.action("mnuViewThemeBigScreen")->isChecked());
        whenModal<frmThemes>([](frmThemes* d) { d->findChild<QPushButton*>("cmdOK")->click(); });
        f.action("mnuViewThemeSettings")->trigger();
        QVERIFY(maximised(&w));
        f.action("mnuViewThemeBigScreen")->trigger();
        f.action("mnuViewThemeBigScreen")->trigger();
        QTRY_VERIFY(!maximised(&w) && !w.isMinimized());
    }

    void layoutAtEverySize_data() {
        QTest::addColumn<QSize>("pixels"); // empty: maximised
        QTest::addColumn<bool>("statusBar");
        QTest::newRow("maximised") << QSize() << false;
        QTest::newRow("default size") << QSize(599, 591) << false;
        QTest::newRow("narrow, Exit held at 4080") << QSize(200, 320) << false;
        QTest::newRow("notice held at 120") << QSize(300, 400) << false;
        QTest::newRow("wide and short") << QSize(1100, 260) << false;
        QTest::newRow("beyond the screen") << QSize(1600, 1200) << false;
        QTest::newRow("maximised, status bar") << QSize() << true;
        QTest::newRow("default size, status bar") << QSize(599, 591) << true;
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
        if (pixels.isValid()) {
            // The user restores and resizes by hand; the mode stays on.
            w.showNormal();
            QTRY_VERIFY(!maximised(&w));
            // The first normal-state resize takes the stored placement (the window was first shown
            // maximised); the user's own resize comes after it.
            w.resize(pixels - QSize(1, 1));
            QTest::qWait(20);
            w.resize(pixels);
            QTRY_COMPARE(w.size(), pixels);
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
        QCOMPARE(f.pane()->geometry(), at(l.txtOutput));
        for (const char* frame : {"fraSettings", "fraInput", "fraCommands"})
            QCOMPARE(f.find(frame)->width(), at(l.txtOutput).width());
        QCOMPARE(f.find("fraInput")->geometry(), at(l.fraInput));
        QCOMPARE(f.find("fraCommands")->geometry(), at(l.fraCommands));
        QCOMPARE(f.find("cmdConnect")->geometry(), at(l.cmdConnect));
        QCOMPARE(f.find("cboCommand")->geometry(), at(l.cboCommand));
        QCOMPARE(f.find("lblNotice")->geometry(), at(l.lblNotice));
        QCOMPARE(f.find("cmdExit")->geometry(), at(l.cmdExit));
        // The bottom row stays inside the window.
        QVERIFY(f.find("fraCommands")->geometry().bottom() < w.centralWidget()->height());
    }

    void minimiseAndRestore() {
        ConsoleFixture f;
        auto& w = f.open(false);
        f.action("mnuViewThemeBigScreen")->trigger();
        QTRY_VERIFY(maximised(&w));
        QList<QRect> before;
        for (const char* name : {"txtOutput", "fraInput", "fraCommands", "cmdExit", "cboCommand"})
            before << f.find(name)->geometry();
        w.showMinimized();
        QTRY_VERIFY(w.isMinimized());
        w.showMaximized();
        QTRY_VERIFY(maximised(&w) && !w.isMinimized());
        QList<QRect> after;
        for (const char* name : {"txtOutput", "fraInput", "fraCommands", "cmdExit", "cboCommand"})
            after << f.find(name)->geometry();
        QCOMPARE(after, before);
        QVERIFY(f.action("mnuViewThemeBigScreen")->isChecked());
    }
};

QTEST_MAIN(tst_bigscreen)
#include "tst_bigscreen.moc"
