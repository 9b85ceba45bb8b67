#include "ThemeTestSupport.h"

#include <Themes.h>

#include <QTemporaryDir>

using namespace console;
using themetest::ShownLook;

namespace {
ShownLook catalogueLook(ThemeId id) {
    const ThemeLook& l = theme(id).look;
    return {colourOf(l.back), colourOf(l.fore), l.face, double(l.size), l.bold, l.italic};
}

void pick(frmThemes& dialog, const QString& caption) {
    const int index = dialog.cboTheme->findText(caption);
    QVERIFY(index >= 0);
    dialog.cboTheme->setCurrentIndex(index);
    emit dialog.cboTheme->activated(index);
}

bool customButtonsEnabled(const frmThemes& dialog) {
    const bool back = dialog.cmdColorBack->isEnabled();
    return back == dialog.cmdColorFore->isEnabled() && back == dialog.cmdShowFont->isEnabled() ? back : false;
}
} // namespace

class TstThemeDialog : public QObject {
    Q_OBJECT
    QTemporaryDir m_folder;
    FakeDesktop m_desktop;
    std::unique_ptr<frmMain> m_main;

private slots:
    void init() {
        themetest::freshProcess(m_folder.path() + QLatin1Char('/'));
        m_desktop = FakeDesktop{};
    }
    void cleanup() { m_main.reset(); }

    void opening_data();
    void opening();
    void previewLeavesPane_data();
    void previewLeavesPane();
    void appliedPickSurvivesLaterCancel();
    void customLookSurvivesRestart();
    void appliedSizeRounding_data();
    void appliedSizeRounding();
    void cancelledChoosers();
    void defaultsWithBuiltInSelected();
    void defaultsWithCustomSelected();
    void typedNameKeepsTheme();
};

void TstThemeDialog::opening_data() {
    QTest::addColumn<QString>("currentTheme");
    QTest::addColumn<bool>("bigScreen");
    QTest::addColumn<QString>("selector");

    QTest::newRow("purple haze") << "PurpleHaze" << false << "Purple Haze";
    QTest::newRow("custom any case") << "custom" << false << "Custom";
    QTest::newRow("unknown name") << "Solarized" << false << "Default";
    QTest::newRow("big screen on") << "DOS" << true << "DOS";
}

void TstThemeDialog::opening() {
    QFETCH(QString, currentTheme);
    QFETCH(bool, bigScreen);
    themetest::store(QStringLiteral("CurrentTheme"), currentTheme);
    themetest::store(QStringLiteral("BigScreenMode"), boolText(bigScreen));
    themetest::store(QStringLiteral("FormFontSize"), QStringLiteral("11"));
    themetest::store(QStringLiteral("ColorBack"), QStringLiteral("1193046"));
    m_main = themetest::start(m_desktop);

    frmThemes dialog(*m_main, m_desktop, m_main.get());
    QTEST(dialog.cboTheme->currentText(), "selector");
    QCOMPARE(dialog.ckBigScreenMode->isChecked(), bigScreen);
    // Setting the check box at open counts as a change; nothing else does.
    QCOMPARE(dialog.cmdApply->isEnabled(), bigScreen);
    QVERIFY(!customButtonsEnabled(dialog));
    QVERIFY(!dialog.cmdColorBack->isEnabled());
    // The stored look, without the big-screen enlargement the pane may show.
    COMPARE_LOOK(themetest::shownLook(dialog.txtFontSample),
                 (ShownLook{QColor(0x56, 0x34, 0x12), QColor(255, 255, 0), "Courier New", 11, false, false}));
    QCOMPARE(themetest::shownLook(m_main->txtOutput).size, bigScreen ? 21.0 : 11.0);
    QCOMPARE(dialog.cboTheme->count(), 7);
    QCOMPARE(dialog.cboTheme->itemText(2), QStringLiteral("Green Screen"));
    QCOMPARE(frmThemes::kSampleText.size(), 449);
    QCOMPARE(dialog.txtFontSample->document()->blockCount(), 9); // eight lines and the empty one after
    QVERIFY(dialog.cmdOK->isDefault());
    QCOMPARE(basMain().settings.CurrentTheme, currentTheme);
}

void TstThemeDialog::previewLeavesPane_data() {
    QTest::addColumn<QString>("caption");
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("identifier");
    QTest::newRow("DOS") << "DOS" << int(ThemeId::DOS) << "DOS";
    QTest::newRow("Default") << "Default" << int(ThemeId::Default) << "Default";
    QTest::newRow("Green Screen") << "Green Screen" << int(ThemeId::GreenScreen) << "GreenScreen";
    QTest::newRow("Bloodshot") << "Bloodshot" << int(ThemeId::Bloodshot) << "Bloodshot";
    QTest::newRow("Black And White") << "Black And White" << int(ThemeId::BlackAndWhite) << "BlackAndWhite";
    QTest::newRow("Purple Haze") << "Purple Haze" << int(ThemeId::PurpleHaze) << "PurpleHaze";
}

void TstThemeDialog::previewLeavesPane() {
    QFETCH(QString, caption);
    QFETCH(int, id);
    QFETCH(QString, identifier);
    m_main = themetest::start(m_desktop);
    m_main->ApplyTheme(0x123456, 0x654321, false, true, 12, QStringLiteral("Liberation Sans"));
    basMain().settings.CurrentTheme = QStringLiteral("Custom");
    m_main->CheckThemeMenu(QStringLiteral("Custom"));
    const ShownLook pane = themetest::shownLook(m_main->txtOutput);
    const AppSettings settingsBefore = basMain().settings;

    frmThemes dialog(*m_main, m_desktop, m_main.get());
    pick(dialog, QStringLiteral("Custom"));
    QVERIFY(customButtonsEnabled(dialog));
    pick(dialog, caption);
    QVERIFY(!customButtonsEnabled(dialog));
    QVERIFY(dialog.cmdApply->isEnabled());
    COMPARE_LOOK(themetest::shownLook(dialog.txtFontSample), catalogueLook(ThemeId(id)));
    COMPARE_LOOK(themetest::shownLook(m_main->txtOutput), pane);
    QCOMPARE(basMain().settings.ColorBack, settingsBefore.ColorBack);
    QCOMPARE(basMain().settings.FormFontName, settingsBefore.FormFontName);
    // The menu follows the pick at once ...
    QCOMPARE(basMain().settings.CurrentTheme, identifier);
    QCOMPARE(themetest::checkedThemes(*m_main), QStringList{caption});

    // ... and Cancel takes that back too.
    dialog.cmdCancel->click();
    COMPARE_LOOK(themetest::shownLook(m_main->txtOutput), pane);
    QCOMPARE(basMain().settings.CurrentTheme, QStringLiteral("Custom"));
    QCOMPARE(themetest::checkedThemes(*m_main), QStringList{"Custom"});
    QCOMPARE(basMain().settings.FormFontSize, settingsBefore.FormFontSize);
    QCOMPARE(basMain().settings.FormFontItalic, true);
}

void TstThemeDialog::appliedPickSurvivesLaterCancel() {
    m_main = themetest::start(m_desktop);
    frmThemes dialog(*m_main, m_desktop, m_main.get());
    pick(dialog, QStringLiteral("DOS"));
    dialog.cmdApply->click();
    QVERIFY(!dialog.cmdApply->isEnabled());
    COMPARE_LOOK(themetest::shownLook(m_main->txtOutput), catalogueLook(ThemeId::DOS));
    pick(dialog, QStringLiteral("Bloodshot"));
    dialog.cmdCancel->click();
    QCOMPARE(basMain().settings.CurrentTheme, QStringLiteral("DOS"));
    QCOMPARE(themetest::checkedThemes(*m_main), QStringList{"DOS"});
    COMPARE_LOOK(themetest::shownLook(m_main->txtOutput), catalogueLook(ThemeId::DOS));
}

void TstThemeDialog::customLookSurvivesRestart() {
    m_main = themetest::start(m_desktop);
    QFont chosen(QStringLiteral("DejaVu Sans Mono"));
    chosen.setPointSizeF(14);
    chosen.setBold(true);
    chosen.setItalic(true);
    chosen.setUnderline(true); // not part of a look
    m_desktop.colourAnswers = {QColor(10, 20, 30), QColor(200, 210, 220)};
    m_desktop.fontAnswers = {chosen};
    const ShownLook custom{QColor(10, 20, 30), QColor(200, 210, 220), "DejaVu Sans Mono", 14, true, true};
    {
        frmThemes dialog(*m_main, m_desktop, m_main.get());
        QVERIFY(!customButtonsEnabled(dialog));
        pick(dialog, QStringLiteral("Custom"));
        dialog.cmdColorBack->click();
        dialog.cmdColorFore->click();
        dialog.cmdShowFont->click();
        QVERIFY(m_desktop.colourAnswers.isEmpty() && m_desktop.fontAnswers.isEmpty());
        QCOMPARE(dialog.cboTheme->currentText(), QStringLiteral("Custom"));
        COMPARE_LOOK(themetest::shownLook(dialog.txtFontSample), custom);
        QVERIFY(!dialog.txtFontSample->font().underline());
        // Nothing reaches the pane before OK.
        COMPARE_LOOK(themetest::shownLook(m_main->txtOutput), catalogueLook(ThemeId::Default));
        dialog.cmdOK->click();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
    }
    COMPARE_LOOK(themetest::shownLook(m_main->txtOutput), custom);
    QVERIFY(!m_main->txtOutput->font().underline());
    QCOMPARE(basMain().settings.CurrentTheme, QStringLiteral("Custom"));
    QCOMPARE(themetest::checkedThemes(*m_main), QStringList{"Custom"});

    themetest::restart(m_main, m_desktop);
    COMPARE_LOOK(themetest::shownLook(m_main->txtOutput), custom);
    QCOMPARE(themetest::checkedThemes(*m_main), QStringList{"Custom"});
    QCOMPARE(themetest::stored(QStringLiteral("ColorBack")), QString::number(30 << 16 | 20 << 8 | 10));
    frmThemes reopened(*m_main, m_desktop, m_main.get());
    QCOMPARE(reopened.cboTheme->currentText(), QStringLiteral("Custom"));
    COMPARE_LOOK(themetest::shownLook(reopened.txtFontSample), custom);
}

void TstThemeDialog::appliedSizeRounding_data() {
    QTest::addColumn<double>("chosenSize");
    QTest::addColumn<int>("stored");
    QTest::newRow("10.5") << 10.5 << 10;
    QTest::newRow("11.5") << 11.5 << 12;
    QTest::newRow("16") << 16.0 << 16;
}

void TstThemeDialog::appliedSizeRounding() {
    QFETCH(double, chosenSize);
    m_main = themetest::start(m_desktop);
    QFont chosen(QStringLiteral("Courier New"));
    chosen.setPointSizeF(chosenSize);
    m_desktop.fontAnswers = {chosen};
    frmThemes dialog(*m_main, m_desktop, m_main.get());
    pick(dialog, QStringLiteral("Custom"));
    dialog.cmdShowFont->click();
    QCOMPARE(dialog.txtFontSample->font().pointSizeF(), chosenSize);
    dialog.cmdApply->click();
    QTEST(int(basMain().settings.FormFontSize), "stored");
    QTEST(m_main->txtOutput->font().pointSize(), "stored");
}

void TstThemeDialog::cancelledChoosers() {
    m_main = themetest::start(m_desktop);
    frmThemes dialog(*m_main, m_desktop, m_main.get());
    pick(dialog, QStringLiteral("Custom"));
    dialog.cmdApply->setEnabled(false);
    const ShownLook before = themetest::shownLook(dialog.txtFontSample);

    dialog.cmdColorFore->click(); // cancelled: the same colour, so no change
    QVERIFY(!dialog.cmdApply->isEnabled());
    dialog.cmdColorBack->click(); // cancelled, yet counted as a change
    QVERIFY(dialog.cmdApply->isEnabled());
    dialog.cmdApply->setEnabled(false);
    dialog.cmdShowFont->click();
    QVERIFY(dialog.cmdApply->isEnabled());
    COMPARE_LOOK(themetest::shownLook(dialog.txtFontSample), before);

    m_desktop.colourAnswers = {QColor(1, 2, 3)};
    dialog.cmdApply->setEnabled(false);
    dialog.cmdColorFore->click();
    QVERIFY(dialog.cmdApply->isEnabled());
}

void TstThemeDialog::defaultsWithBuiltInSelected() {
    themetest::store(QStringLiteral("BigScreenMode"), QStringLiteral("True"));
    m_main = themetest::start(m_desktop);
    m_main->mnuViewThemeBloodshot->trigger();
    frmThemes dialog(*m_main, m_desktop, m_main.get());
    QCOMPARE(dialog.cboTheme->currentText(), QStringLiteral("Bloodshot"));
    dialog.cmdApply->setEnabled(false);
    dialog.cmdDefaults->click();
    QVERIFY(dialog.cmdApply->isEnabled());
    QVERIFY(!dialog.ckBigScreenMode->isChecked());
    COMPARE_LOOK(themetest::shownLook(dialog.txtFontSample), catalogueLook(ThemeId::Default));
    QCOMPARE(dialog.cboTheme->currentText(), QStringLiteral("Bloodshot"));

    // The selector still names Bloodshot: the pane, the sample and the menu all end up on it.
    dialog.cmdApply->click();
    COMPARE_LOOK(themetest::shownLook(dialog.txtFontSample), catalogueLook(ThemeId::Bloodshot));
    COMPARE_LOOK(themetest::shownLook(m_main->txtOutput), catalogueLook(ThemeId::Bloodshot));
    QCOMPARE(basMain().settings.CurrentTheme, QStringLiteral("Bloodshot"));
    QCOMPARE(themetest::checkedThemes(*m_main), QStringList{"Bloodshot"});
    QVERIFY(!basMain().settings.BigScreenMode);
    QVERIFY(!m_main->mnuViewThemeBigScreen->isChecked());
}

void TstThemeDialog::defaultsWithCustomSelected() {
    m_main = themetest::start(m_desktop);
    m_main->mnuViewThemePH->trigger();
    frmThemes dialog(*m_main, m_desktop, m_main.get());
    pick(dialog, QStringLiteral("Custom"));
    dialog.cmdDefaults->click();
    dialog.cmdOK->click();
    COMPARE_LOOK(themetest::shownLook(m_main->txtOutput), catalogueLook(ThemeId::Default));
    QCOMPARE(basMain().settings.CurrentTheme, QStringLiteral("Custom"));
    QCOMPARE(themetest::checkedThemes(*m_main), QStringList{"Custom"});
}

void TstThemeDialog::typedNameKeepsTheme() {
    m_main = themetest::start(m_desktop);
    m_main->mnuViewThemeBnW->trigger();
    m_desktop.colourAnswers = {QColor(9, 8, 7)};
    frmThemes dialog(*m_main, m_desktop, m_main.get());
    pick(dialog, QStringLiteral("Custom"));
    dialog.cmdColorBack->click();
    dialog.cboTheme->setEditText(QStringLiteral("My Theme"));
    dialog.cmdOK->click();
    QCOMPARE(themetest::shownLook(m_main->txtOutput).back, QColor(9, 8, 7));
    QCOMPARE(basMain().settings.ColorBack, quint32(7 << 16 | 8 << 8 | 9));
    QCOMPARE(basMain().settings.CurrentTheme, QStringLiteral("BlackAndWhite"));
    QCOMPARE(themetest::checkedThemes(*m_main), QStringList{"Black And White"});
}

QTEST_MAIN(TstThemeDialog)
#include "tst_themedialog.moc"
