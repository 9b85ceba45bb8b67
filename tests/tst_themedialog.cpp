#include "ConsoleFixture.h"

#include <Themes.h>
#include <frmThemes.h>

#include <QCheckBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>

using namespace console;

Q_DECLARE_METATYPE(ThemeLook)

namespace {
// The dialog on a look and a theme name, with what it reports recorded.
struct Dialog {
    FakeDesktop desktop;
    std::unique_ptr<frmThemes> d;
    QStringList themes;                      // each themeChanged
    QList<std::pair<ThemeLook, bool>> looks; // each applied

    Dialog(const ThemeLook& look = {}, const QString& current = "Default", bool bigScreen = false) {
        d = std::make_unique<frmThemes>(desktop, look, current, bigScreen);
        QObject::connect(d.get(), &frmThemes::themeChanged, d.get(),
                         [this](const QString& t) { themes << t; });
        QObject::connect(d.get(), &frmThemes::applied, d.get(), [this](const ThemeLook& l, bool big) {
            looks.append({l, big});
        });
    }
    template <typename T = QPushButton> T* get(const char* name) const {
        return d->findChild<T*>(QLatin1String(name));
    }
    void pick(const QString& caption) const {
        auto* box = get<QComboBox>("cboTheme");
        const int index = box->findText(caption);
        box->setCurrentIndex(index);
        emit box->activated(index);
    }
    bool customButtons() const {
        return get("cmdColorBack")->isEnabled() && get("cmdColorFore")->isEnabled() &&
               get("cmdShowFont")->isEnabled();
    }
    ShownLook sample() const { return shownLook(get<QPlainTextEdit>("txtFontSample")); }
    bool dirty() const { return get("cmdApply")->isEnabled(); }
};

ShownLook shown(const ThemeLook& l) {
    return {colourOf(l.back), colourOf(l.fore), l.face, double(l.size), l.bold, l.italic};
}
} // namespace

class tst_themedialog : public QObject {
    Q_OBJECT
private slots:
    void opening_data() {
        QTest::addColumn<QString>("currentTheme");
        QTest::addColumn<bool>("bigScreen");
        QTest::addColumn<QString>("selector");
        QTest::newRow("purple haze") << "PurpleHaze" << false << "Purple Haze";
        QTest::newRow("custom any case") << "custom" << false << "Custom";
        QTest::newRow("unknown name") << "Solarized" << false << "Default";
        QTest::newRow("big screen on") << "DOS" << true << "DOS";
    }
    void opening() {
        QFETCH(QString, currentTheme);
        QFETCH(bool, bigScreen);
        const ThemeLook look{0x123456, 0x00FFFF, false, true, 11, "Courier New"};
        Dialog t(look, currentTheme, bigScreen);
        QTEST(t.get<QComboBox>("cboTheme")->currentText(), "selector");
        QCOMPARE(t.get<QCheckBox>("ckBigScreenMode")->isChecked(), bigScreen);
        // Setting the check box at open counts as a change; nothing else does.
        QCOMPARE(t.dirty(), bigScreen);
        QVERIFY(!t.get("cmdColorBack")->isEnabled() && !t.customButtons());
        QCOMPARE(t.sample(), shown(look)); // never the big-screen enlargement
        QCOMPARE(t.get<QComboBox>("cboTheme")->count(), 7);
        QCOMPARE(frmThemes::kSampleText.size(), 449);
        QCOMPARE(t.get<QPlainTextEdit>("txtFontSample")->document()->blockCount(), 9);
        QVERIFY(t.get("cmdOK")->isDefault());
        QVERIFY(t.themes.isEmpty() && t.looks.isEmpty());
    }

    void pickPreviewsAndCancelTakesBack_data() {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("identifier");
        QTest::newRow("DOS") << "DOS" << int(ThemeId::DOS) << "DOS";
        QTest::newRow("Default") << "Default" << int(ThemeId::Default) << "Default";
        QTest::newRow("Green Screen") << "Green Screen" << int(ThemeId::GreenScreen) << "GreenScreen";
        QTest::newRow("Bloodshot") << "Bloodshot" << int(ThemeId::Bloodshot) << "Bloodshot";
        QTest::newRow("Black And White")
            << "Black And White" << int(ThemeId::BlackAndWhite) << "BlackAndWhite";
        QTest::newRow("Purple Haze") << "Purple Haze" << int(ThemeId::PurpleHaze) << "PurpleHaze";
    }
    void pickPreviewsAndCancelTakesBack() {
        QFETCH(QString, caption);
        QFETCH(int, id);
        QFETCH(QString, identifier);
        Dialog t({0x123456, 0x654321, false, true, 12, "Liberation Sans"}, "Custom");
        t.pick("Custom");
        QVERIFY(t.customButtons());
        QVERIFY(t.themes.isEmpty()); // Custom keeps the sample and the current theme
        t.pick(caption);
        QVERIFY(!t.customButtons() && t.dirty());
        QCOMPARE(t.sample(), catalogueLook(ThemeId(id)));
        QCOMPARE(t.themes, QStringList{identifier});
        t.get("cmdCancel")->click();
        QCOMPARE(t.themes, (QStringList{identifier, "Custom"}));
        QVERIFY(t.looks.isEmpty());
    }

    void appliedPickSurvivesLaterCancel() {
        Dialog t;
        t.pick("DOS");
        t.get("cmdApply")->click();
        QVERIFY(!t.dirty());
        QCOMPARE(t.looks.size(), 1);
        QVERIFY(t.looks[0].first == theme(ThemeId::DOS).look);
        t.pick("Bloodshot");
        t.get("cmdCancel")->click();
        QCOMPARE(t.themes, (QStringList{"DOS", "DOS", "Bloodshot", "DOS"}));
        QCOMPARE(t.looks.size(), 1);
    }

    void customLookFromChoosers() {
        Dialog t;
        QFont chosen("DejaVu Sans Mono");
        chosen.setPointSizeF(14);
        chosen.setBold(true);
        chosen.setItalic(true);
        chosen.setUnderline(true); // not part of a look
        t.desktop.colourAnswers = {QColor(10, 20, 30), QColor(200, 210, 220)};
        t.desktop.fontAnswers = {chosen};
        t.pick("Custom");
        for (const char* button : {"cmdColorBack", "cmdColorFore", "cmdShowFont"})
            t.get(button)->click();
        QCOMPARE(t.sample(),
                 (ShownLook{QColor(10, 20, 30), QColor(200, 210, 220), "DejaVu Sans Mono", 14, true, true}));
        QVERIFY(!t.get<QPlainTextEdit>("txtFontSample")->font().underline());
        QVERIFY(t.looks.isEmpty()); // nothing goes out before OK
        t.get("cmdOK")->click();
        QCOMPARE(t.d->result(), int(QDialog::Accepted));
        QCOMPARE(t.looks.size(), 1);
        QVERIFY(t.looks[0].first == (ThemeLook{0x1E140A, 0xDCD2C8, true, true, 14, "DejaVu Sans Mono"}));
        QCOMPARE(t.themes, QStringList{"Custom"});
    }

    void appliedSizeRounding_data() {
        QTest::addColumn<double>("chosenSize");
        QTest::addColumn<int>("stored");
        QTest::newRow("10.5") << 10.5 << 10;
        QTest::newRow("11.5") << 11.5 << 12;
        QTest::newRow("16") << 16.0 << 16;
    }
    void appliedSizeRounding() {
        QFETCH(double, chosenSize);
        Dialog t;
        QFont chosen("Courier New");
        chosen.setPointSizeF(chosenSize);
        t.desktop.fontAnswers = {chosen};
        t.pick("Custom");
        t.get("cmdShowFont")->click();
        QCOMPARE(t.sample().size, chosenSize);
        t.get("cmdApply")->click();
        QTEST(int(t.looks[0].first.size), "stored");
    }

    void cancelledChoosers() {
        Dialog t;
        t.pick("Custom");
        t.get("cmdApply")->setEnabled(false);
        const ShownLook before = t.sample();
        t.get("cmdColorFore")->click(); // cancelled: the same colour, so no change
        QVERIFY(!t.dirty());
        t.get("cmdColorBack")->click(); // cancelled, yet counted as a change
        QVERIFY(t.dirty());
        t.get("cmdApply")->setEnabled(false);
        t.get("cmdShowFont")->click();
        QVERIFY(t.dirty());
        QCOMPARE(t.sample(), before);
        t.desktop.colourAnswers = {QColor(1, 2, 3)};
        t.get("cmdApply")->setEnabled(false);
        t.get("cmdColorFore")->click();
        QVERIFY(t.dirty());
    }

    void defaultsThenApply_data() {
        QTest::addColumn<QString>("selected");
        QTest::addColumn<int>("applied");
        QTest::addColumn<QString>("theme");
        // The selector still names Bloodshot: the pane, the sample and the menu all end up on it.
        QTest::newRow("built-in selected") << "Bloodshot" << int(ThemeId::Bloodshot) << "Bloodshot";
        QTest::newRow("Custom selected") << "Custom" << int(ThemeId::Default) << "Custom";
    }
    void defaultsThenApply() {
        QFETCH(QString, selected);
        QFETCH(int, applied);
        QFETCH(QString, theme);
        Dialog t(console::theme(ThemeId::PurpleHaze).look, "PurpleHaze", true);
        t.pick(selected);
        t.get("cmdApply")->setEnabled(false);
        t.get("cmdDefaults")->click();
        QVERIFY(t.dirty() && !t.get<QCheckBox>("ckBigScreenMode")->isChecked());
        QCOMPARE(t.sample(), catalogueLook(ThemeId::Default));
        QCOMPARE(t.get<QComboBox>("cboTheme")->currentText(), selected);
        t.get("cmdApply")->click();
        QCOMPARE(t.sample(), catalogueLook(ThemeId(applied)));
        QVERIFY(t.looks.last().first == console::theme(ThemeId(applied)).look);
        QCOMPARE(t.looks.last().second, false);
        QCOMPARE(t.themes.last(), theme);
    }

    void typedNameKeepsTheme() {
        Dialog t(theme(ThemeId::BlackAndWhite).look, "BlackAndWhite");
        t.desktop.colourAnswers = {QColor(9, 8, 7)};
        t.pick("Custom");
        t.get("cmdColorBack")->click();
        t.get<QComboBox>("cboTheme")->setEditText("My Theme");
        t.get("cmdOK")->click();
        QCOMPARE(t.looks[0].first.back, quint32(7 << 16 | 8 << 8 | 9));
        QVERIFY(t.themes.isEmpty());
    }

    // The window shows what the dialog applies, marks the menu, and keeps it over a restart.
    void windowCarriesOutTheDialog() {
        ConsoleFixture f;
        f.open(false);
        f.desktop.colourAnswers = {QColor(10, 20, 30)};
        whenModal<frmThemes>([](frmThemes* d) {
            auto* box = d->findChild<QComboBox*>("cboTheme");
            box->setCurrentIndex(box->findText("Custom"));
            emit box->activated(box->currentIndex());
            d->findChild<QPushButton*>("cmdColorBack")->click();
            d->findChild<QCheckBox*>("ckBigScreenMode")->click();
            d->findChild<QPushButton*>("cmdOK")->click();
        });
        f.action("mnuViewThemeCustom")->trigger();
        ShownLook expected = catalogueLook(ThemeId::Default);
        expected.back = QColor(10, 20, 30);
        expected.size = 18;
        expected.bold = true;
        QCOMPARE(shownLook(f.pane()), expected);
        QCOMPARE(checkedThemes(f.window.get()), QStringList{"Custom"});
        QVERIFY(f.action("mnuViewThemeBigScreen")->isChecked());
        f.restart();
        QCOMPARE(shownLook(f.pane()), expected);
        QCOMPARE(checkedThemes(f.window.get()), QStringList{"Custom"});
        QCOMPARE(ConsoleFixture::stored("ColorBack"), QString::number(30 << 16 | 20 << 8 | 10));
        QCOMPARE(ConsoleFixture::stored("FormFontSize"), QString("8"));
    }
};

QTEST_MAIN(tst_themedialog)
#include "tst_themedialog.moc"
