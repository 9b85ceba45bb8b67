#include "ThemeTestSupport.h"

#include <Layout.h>
#include <Themes.h>
#include <Twips.h>

#include <QGroupBox>
#include <QTemporaryDir>

#include <cmath>

using namespace console;
using themetest::ShownLook;

namespace {
using Item = QAction* frmMain::*;

bool maximised(const frmMain& w) {
    return w.windowState() & Qt::WindowMaximized;
}

// The resize rules as stated for a window above every threshold, checked against the controls.
void checkLayoutHolds(frmMain& w) {
    const double W = w.outerWidthTwips(), H = w.outerHeightTwips();
    QVERIFY2(W > 1850 && H > 3325, qPrintable(QStringLiteral("%1 x %2").arg(W).arg(H)));
    const MainLayout& l = w.layout();
    for (const TwipsRect* frame : {&l.fraSettings, &l.fraInput, &l.fraCommands, &l.txtOutput}) {
        QCOMPARE(frame->left, 75.0f);
        QCOMPARE(frame->width, float(W - 250));
    }
    QCOMPARE(l.txtOutput.top, 840.0f);
    QCOMPARE(l.txtOutput.height, float(H - 3325));
    QCOMPARE(l.fraInput.top, float(std::nearbyint(840 + H - 3325 + 10) + 10));
    QCOMPARE(l.fraCommands.top, l.fraInput.top + 985);
    QCOMPARE(l.cmdConnect.left, float(W - 250 - 1350));
    QCOMPARE(l.cboCommand.width, float(W - 250 - 1470));
    QCOMPARE(l.cmdExit.left, float(std::max(W - 250 - 1350, 4080.0)));
    QCOMPARE(l.lblNotice.left, float(std::max((W - 250) / 2 - 5055.0 / 2, 120.0)));

    // What the rules computed is where the controls are, and the bottom row stays inside the window.
    QCOMPARE(w.txtOutput->geometry(), platform::twipsRect(75, 840, W - 250, H - 3325));
    QCOMPARE(w.fraCommands->geometry().top(), platform::twipsToPixels(l.fraCommands.top));
    QCOMPARE(w.cmdExit->x(), platform::twipsToPixels(l.cmdExit.left));
    const QWidget* client = w.centralWidget();
    QVERIFY(w.fraCommands->geometry().bottom() < client->height());
    QVERIFY(w.fraCommands->geometry().right() < client->width());
    // Below this width the rules hold Exit at 4080 and the frame cuts it off, as they mean to.
    if (W - 250 >= 4080 + 1185)
        QVERIFY(w.cmdExit->geometry().right() < w.fraCommands->width());
    else
        QCOMPARE(l.cmdExit.left, 4080.0f);
}
} // namespace

Q_DECLARE_METATYPE(Item)
Q_DECLARE_METATYPE(ShownLook)

class TstBigScreen : public QObject {
    Q_OBJECT
    QTemporaryDir m_folder;
    FakeDesktop m_desktop;
    std::unique_ptr<frmMain> m_main;

private slots:
    void init() { themetest::freshProcess(m_folder.path() + QLatin1Char('/')); }
    void cleanup() { m_main.reset(); }

    void menuToggle_data();
    void menuToggle();
    void themeWhileOn();
    void fromDialog();
    void fromStoredSetting();
    void maximisedWithoutTheModeStays();
    void leavingAlwaysRestores();
    void layoutAtEverySize_data();
    void layoutAtEverySize();
    void minimiseAndRestore();
};

void TstBigScreen::menuToggle_data() {
    QTest::addColumn<Item>("theme");
    QTest::addColumn<ShownLook>("on");
    QTest::addColumn<ShownLook>("off");
    QTest::newRow("Default")
        << &frmMain::mnuViewThemeDefault
        << ShownLook{QColor(0, 0, 192), QColor(255, 255, 0), "Courier New", 18, true, false}
        << ShownLook{QColor(0, 0, 192), QColor(255, 255, 0), "Courier New", 8, false, false};
    QTest::newRow("Bloodshot keeps bold")
        << &frmMain::mnuViewThemeBloodshot
        << ShownLook{QColor(128, 0, 0), QColor(192, 192, 192), "Courier New", 19, true, false}
        << ShownLook{QColor(128, 0, 0), QColor(192, 192, 192), "Courier New", 9, true, false};
    QTest::newRow("Purple Haze")
        << &frmMain::mnuViewThemePH
        << ShownLook{QColor(128, 0, 128), QColor(255, 255, 255), "Arial", 20, true, false}
        << ShownLook{QColor(128, 0, 128), QColor(255, 255, 255), "Arial", 10, false, false};
}

void TstBigScreen::menuToggle() {
    QFETCH(Item, theme);
    m_main = themetest::start(m_desktop);
    ((*m_main).*theme)->trigger();
    const AppSettings lookBefore = basMain().settings;
    QVERIFY(!maximised(*m_main));

    m_main->mnuViewThemeBigScreen->trigger();
    QTRY_VERIFY(maximised(*m_main));
    COMPARE_LOOK(themetest::shownLook(m_main->txtOutput), [] {
        QFETCH(ShownLook, on);
        return on;
    }());
    QVERIFY(m_main->mnuViewThemeBigScreen->isChecked());
    QVERIFY(basMain().settings.BigScreenMode);
    // Shown, never stored.
    QCOMPARE(basMain().settings.FormFontSize, lookBefore.FormFontSize);
    QCOMPARE(basMain().settings.FormFontBold, lookBefore.FormFontBold);

    m_main->mnuViewThemeBigScreen->trigger();
    QTRY_VERIFY(!maximised(*m_main));
    QCOMPARE(m_main->windowStateValue(), 0);
    COMPARE_LOOK(themetest::shownLook(m_main->txtOutput), [] {
        QFETCH(ShownLook, off);
        return off;
    }());
    QVERIFY(!m_main->mnuViewThemeBigScreen->isChecked());
    QVERIFY(!basMain().settings.BigScreenMode);
}

void TstBigScreen::themeWhileOn() {
    m_main = themetest::start(m_desktop);
    m_main->SetBigScreenMode(true);
    m_main->mnuViewThemeBloodshot->trigger();
    COMPARE_LOOK(themetest::shownLook(m_main->txtOutput),
                 (ShownLook{QColor(128, 0, 0), QColor(192, 192, 192), "Courier New", 19, true, false}));
    QCOMPARE(int(basMain().settings.FormFontSize), 9);
    QVERIFY(basMain().settings.FormFontBold);
    QVERIFY(maximised(*m_main));
    // An italic custom look keeps its italic and face when enlarged.
    m_main->ApplyTheme(0x000000, 0xFFFFFF, false, true, 12, QStringLiteral("Liberation Serif"));
    COMPARE_LOOK(themetest::shownLook(m_main->txtOutput),
                 (ShownLook{QColor(0, 0, 0), QColor(255, 255, 255), "Liberation Serif", 22, true, true}));
    m_main->mnuViewThemeBigScreen->trigger();
    COMPARE_LOOK(themetest::shownLook(m_main->txtOutput),
                 (ShownLook{QColor(0, 0, 0), QColor(255, 255, 255), "Liberation Serif", 12, false, true}));
}

void TstBigScreen::fromDialog() {
    m_main = themetest::start(m_desktop);
    {
        frmThemes dialog(*m_main, m_desktop, m_main.get());
        dialog.ckBigScreenMode->click();
        QVERIFY(dialog.cmdApply->isEnabled());
        QVERIFY(!basMain().settings.BigScreenMode); // only Apply switches
        dialog.cmdApply->click();
        QTRY_VERIFY(maximised(*m_main));
        QVERIFY(m_main->mnuViewThemeBigScreen->isChecked());
        QCOMPARE(themetest::shownLook(m_main->txtOutput).size, 18.0);
        dialog.cmdCancel->click();
    }
    QVERIFY(basMain().settings.BigScreenMode);
    {
        frmThemes dialog(*m_main, m_desktop, m_main.get());
        QVERIFY(dialog.ckBigScreenMode->isChecked());
        QCOMPARE(dialog.txtFontSample->font().pointSizeF(), 8.0);
        dialog.ckBigScreenMode->click();
        dialog.cmdOK->click();
    }
    QTRY_VERIFY(!maximised(*m_main));
    QVERIFY(!m_main->mnuViewThemeBigScreen->isChecked());
    QCOMPARE(themetest::shownLook(m_main->txtOutput).size, 8.0);
    QVERIFY(!themetest::shownLook(m_main->txtOutput).bold);
}

void TstBigScreen::fromStoredSetting() {
    themetest::store(QStringLiteral("BigScreenMode"), QStringLiteral("True"));
    themetest::store(QStringLiteral("WindowLeft"), QStringLiteral("300"));
    themetest::store(QStringLiteral("WindowTop"), QStringLiteral("450"));
    themetest::store(QStringLiteral("WindowWidth"), QStringLiteral("9000"));
    themetest::store(QStringLiteral("WindowHeight"), QStringLiteral("7500"));
    m_main = themetest::start(m_desktop);
    QTRY_VERIFY(maximised(*m_main));
    QVERIFY(m_main->mnuViewThemeBigScreen->isChecked());
    COMPARE_LOOK(themetest::shownLook(m_main->txtOutput),
                 (ShownLook{QColor(0, 0, 192), QColor(255, 255, 0), "Courier New", 18, true, false}));

    themetest::restart(m_main, m_desktop);
    QCOMPARE(themetest::stored(QStringLiteral("TheWindowState")), QStringLiteral("2"));
    QCOMPARE(themetest::stored(QStringLiteral("BigScreenMode")), QStringLiteral("True"));
    QCOMPARE(themetest::stored(QStringLiteral("FormFontSize")), QStringLiteral("8"));
    QCOMPARE(themetest::stored(QStringLiteral("FormFontBold")), QStringLiteral("False"));
    QCOMPARE(themetest::stored(QStringLiteral("WindowWidth")), QStringLiteral("9000"));
    QCOMPARE(themetest::stored(QStringLiteral("WindowLeft")), QStringLiteral("300"));
    QTRY_VERIFY(maximised(*m_main));
    QVERIFY(basMain().settings.BigScreenMode);
    QCOMPARE(themetest::shownLook(m_main->txtOutput).size, 18.0);

    m_main->mnuViewThemeBigScreen->trigger();
    themetest::restart(m_main, m_desktop);
    QCOMPARE(themetest::stored(QStringLiteral("BigScreenMode")), QStringLiteral("False"));
    QVERIFY(!maximised(*m_main));
    QVERIFY(!m_main->mnuViewThemeBigScreen->isChecked());
    QCOMPARE(themetest::shownLook(m_main->txtOutput).size, 8.0);
}

void TstBigScreen::maximisedWithoutTheModeStays() {
    // A window stored maximised opens maximised; the mode, being off, leaves it so.
    themetest::store(QStringLiteral("TheWindowState"), QStringLiteral("2"));
    m_main = themetest::start(m_desktop);
    QTRY_VERIFY(maximised(*m_main));
    QVERIFY(!m_main->mnuViewThemeBigScreen->isChecked());
    QCOMPARE(themetest::shownLook(m_main->txtOutput).size, 8.0);

    // OK in the theme dialog with the mode still off does not undo the user's maximising either.
    frmThemes dialog(*m_main, m_desktop, m_main.get());
    dialog.cmdOK->click();
    QVERIFY(maximised(*m_main));
    QVERIFY(!basMain().settings.BigScreenMode);
}

void TstBigScreen::leavingAlwaysRestores() {
    m_main = themetest::start(m_desktop);
    m_main->showMaximized();
    QTRY_VERIFY(maximised(*m_main));
    m_main->mnuViewThemeBigScreen->trigger();
    m_main->mnuViewThemeBigScreen->trigger();
    QTRY_COMPARE(m_main->windowStateValue(), 0);
}

void TstBigScreen::layoutAtEverySize_data() {
    QTest::addColumn<QSize>("pixels"); // empty: maximised
    QTest::newRow("maximised") << QSize();
    QTest::newRow("default size") << QSize(599, 591);
    QTest::newRow("narrow, Exit held at 4080") << QSize(200, 320);
    QTest::newRow("notice held at 120") << QSize(300, 400);
    QTest::newRow("wide and short") << QSize(1100, 260);
    QTest::newRow("beyond the screen") << QSize(1600, 1200);
}

void TstBigScreen::layoutAtEverySize() {
    QFETCH(QSize, pixels);
    m_main = themetest::start(m_desktop);
    m_main->mnuViewThemeBigScreen->trigger();
    QTRY_VERIFY(maximised(*m_main));
    if (pixels.isValid()) {
        // The user restores and resizes by hand; the mode stays on.
        m_main->showNormal();
        QTRY_VERIFY(!maximised(*m_main));
        // The first normal-state resize takes the stored placement (the window was first shown
        // maximised); the user's own resize comes after it.
        m_main->resize(pixels - QSize(1, 1));
        QTest::qWait(20);
        m_main->resize(pixels);
        QTRY_COMPARE(m_main->size(), pixels);
    }
    QVERIFY(basMain().settings.BigScreenMode);
    QCOMPARE(themetest::shownLook(m_main->txtOutput).size, 18.0);
    checkLayoutHolds(*m_main);
}

void TstBigScreen::minimiseAndRestore() {
    m_main = themetest::start(m_desktop);
    m_main->mnuViewThemeBigScreen->trigger();
    QTRY_VERIFY(maximised(*m_main));
    const MainLayout before = m_main->layout();
    const QRect pane = m_main->txtOutput->geometry();
    m_main->showMinimized();
    QTRY_VERIFY(m_main->windowState() & Qt::WindowMinimized);
    m_main->showMaximized();
    QTRY_VERIFY(maximised(*m_main) && !(m_main->windowState() & Qt::WindowMinimized));
    QVERIFY(m_main->layout() == before);
    QCOMPARE(m_main->txtOutput->geometry(), pane);
    QVERIFY(m_main->mnuViewThemeBigScreen->isChecked());
}

QTEST_MAIN(TstBigScreen)
#include "tst_bigscreen.moc"
