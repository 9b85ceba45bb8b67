#include "ConsoleFixture.h"

#include <Themes.h>
#include <frmThemes.h>

using namespace console;

Q_DECLARE_METATYPE(ThemeLook)

namespace {
// As the user picks from the selector's list.
void pick(QWidget* dialog, const QString& caption) {
    auto* box = dialog->findChild<QComboBox*>("cboTheme");
    box->setCurrentIndex(box->findText(caption));
    emit box->activated(box->currentIndex());
}

// The dialog on a look and a theme name, with what it reports recorded.
struct Dialog {
    FakeDesktop desktop;
    frmThemes d;
    QStringList themes;                      // each themeChanged
    QList<std::pair<ThemeLook, bool>> looks; // each applied

    explicit Dialog(const ThemeLook& look = {}, const QString& current = "Default", bool bigScreen = false)
        : d(desktop, look, current, bigScreen) {
        QObject::connect(&d, &frmThemes::themeChanged, &d, [this](const QString& t) { themes << t; });
        QObject::connect(&d, &frmThemes::applied, &d, [this](const ThemeLook& l, bool big) {
            looks.append({l, big});
        });
    }
    template <typename T = QPushButton> T* get(const char* name) { return d.findChild<T*>(name); }
    void click(const char* name) { get(name)->click(); }
    void pick(const QString& caption) { ::pick(&d, caption); }
    int customButtons() {
        return get("cmdColorBack")->isEnabled() + get("cmdColorFore")->isEnabled() +
               get("cmdShowFont")->isEnabled();
    }
    ShownLook sample() { return shownLook(get<QPlainTextEdit>("txtFontSample")); }
    bool dirty() { return get("cmdApply")->isEnabled(); }
    void clean() { get("cmdApply")->setEnabled(false); }
};

} // namespace

class tst_themedialog : public QObject {
    Q_OBJECT
private slots:
    // Captions, then the state the dialog opens in: the check box set at open counts as a change.
    void opening() {
        const ThemeLook look{0x123456, 0x00FFFF, false, true, 11, "Courier New"};
        Dialog t(look, "dos", true);
        QCOMPARE(t.d.windowTitle(), QString("Customize Themes"));
        QCOMPARE(t.d.findChild<QLabel*>()->text(), QString("Select Theme: "));
        for (const QString pair : {"ckBigScreenMode|Big Screen Mode", "cmdColorBack|Background",
                                   "cmdColorFore|Font Color", "cmdShowFont|Font Face", "cmdDefaults|Defaults",
                                   "cmdCancel|Cancel", "cmdApply|Apply", "cmdOK|OK"})
            QCOMPARE(t.get<QAbstractButton>(qPrintable(pair.section('|', 0, 0)))->text(),
                     pair.section('|', 1));
        QCOMPARE(ConsoleFixture::entries(t.get<QComboBox>("cboTheme")),
                 QStringList({"Default", "DOS", "Green Screen", "Bloodshot", "Black And White", "Purple Haze",
                              "Custom"}));
        QVERIFY(t.get<QPlainTextEdit>("txtFontSample")->toPlainText().startsWith("8:37:56 PM:> status\n"));
        QCOMPARE(frmThemes::kSampleText.size(), 449);
        QCOMPARE(t.get<QPlainTextEdit>("txtFontSample")->toPlainText(),
                 QString(frmThemes::kSampleText).remove('\r'));
        QVERIFY(t.get("cmdOK")->isDefault() && t.get<QCheckBox>("ckBigScreenMode")->isChecked());
        QCOMPARE(t.get<QComboBox>("cboTheme")->currentText(), QString("DOS"));
        QVERIFY(t.dirty() && t.customButtons() == 0 && t.themes.isEmpty() && t.looks.isEmpty());
        // the sample never shows the big-screen enlargement
        QCOMPARE(t.sample(),
                 (ShownLook{QColor(0x56, 0x34, 0x12), QColor(255, 255, 0), "Courier New", 11, false, true}));
        QVERIFY(!Dialog(look, "Solarized").dirty());
    }

    // A pick makes its theme current at once; Cancel goes back to the theme last applied, if any.
    void pickPreviewsAndCancelTakesBack_data() {
        QTest::addColumn<int>("id");
        for (const Theme& theme : themeCatalogue())
            if (theme.id != ThemeId::Custom)
                QTest::newRow(qPrintable(theme.caption)) << int(theme.id);
    }
    void pickPreviewsAndCancelTakesBack() {
        QFETCH(int, id);
        const Theme& picked = theme(ThemeId(id));
        const bool apply = id % 2; // half the rows apply the pick, then pick another
        Dialog t({0x123456, 0x654321, false, true, 12, "Liberation Sans"}, "Custom");
        t.pick("Custom");
        QVERIFY(t.customButtons() == 3 && t.themes.isEmpty()); // Custom keeps the sample and the theme
        t.pick(picked.caption);
        QVERIFY(t.customButtons() == 0 && t.dirty());
        QCOMPARE(t.sample(), catalogueLook(picked.id));
        QStringList back{picked.identifier};
        if (apply) {
            t.click("cmdApply");
            QVERIFY(!t.dirty() && t.looks.size() == 1 && t.looks[0].first == picked.look);
            const Theme& other = theme(ThemeId(id - 1));
            t.pick(other.caption);
            back << picked.identifier << other.identifier;
        }
        t.click("cmdCancel");
        QCOMPARE(t.themes, back << (apply ? picked.identifier : "Custom"));
        QCOMPARE(t.looks.size(), int(apply));
    }

    // A cancelled chooser keeps the sample; Font Face still counts as a change, Font Color only when
    // its colour differs. A name typed over the selector applies the look but keeps the theme.
    void customLookFromChoosers_data() {
        columns<QString, QStringList>("typed", "themes");
        row("Custom", QString(), QStringList{"Custom"});
        row("typed name", QString("My Theme"), QStringList{});
    }
    void customLookFromChoosers() {
        QFETCH(QString, typed);
        Dialog t;
        t.pick("Custom");
        t.clean();
        const ShownLook before = t.sample();
        t.click("cmdColorFore");
        QVERIFY(!t.dirty());
        t.click("cmdShowFont");
        QVERIFY(t.dirty() && t.sample() == before);
        QFont chosen("DejaVu Sans Mono", -1, QFont::Bold, true);
        chosen.setPointSizeF(10.5);
        chosen.setUnderline(true); // not part of a look
        t.desktop.colourAnswers = {QColor(10, 20, 30), QColor(200, 210, 220)};
        t.desktop.fontAnswers = {chosen};
        for (const char* button : {"cmdColorBack", "cmdColorFore", "cmdShowFont"})
            t.click(button);
        QCOMPARE(t.sample(), (ShownLook{QColor(10, 20, 30), QColor(200, 210, 220), "DejaVu Sans Mono", 10.5,
                                        true, true}));
        QVERIFY(!t.get<QPlainTextEdit>("txtFontSample")->font().underline() && t.looks.isEmpty());
        if (!typed.isEmpty())
            t.get<QComboBox>("cboTheme")->setEditText(typed);
        t.click("cmdOK");
        // whole points, the half to the even neighbour
        QVERIFY(t.d.result() == QDialog::Accepted && t.looks.size() == 1);
        QVERIFY(t.looks[0].first == (ThemeLook{0x1E140A, 0xDCD2C8, true, true, 10, "DejaVu Sans Mono"}));
        QTEST(t.themes, "themes");
    }

    // Defaults puts the default look on the sample; Apply then puts on the pane what the selector names.
    void defaultsThenApply() {
        Dialog t(theme(ThemeId::PurpleHaze).look, "PurpleHaze", true);
        t.pick("Bloodshot");
        t.clean();
        t.click("cmdDefaults");
        QVERIFY(t.dirty() && !t.get<QCheckBox>("ckBigScreenMode")->isChecked());
        QCOMPARE(t.sample(), catalogueLook(ThemeId::Default));
        t.click("cmdApply");
        QCOMPARE(t.sample(), catalogueLook(ThemeId::Bloodshot));
        QVERIFY(t.looks.last() == std::make_pair(theme(ThemeId::Bloodshot).look, false));
    }

    // The window shows what the dialog applies, marks the menu and stores it.
    void windowCarriesOutTheDialog() {
        ConsoleFixture f;
        f.open(false);
        f.desktop.colourAnswers = {QColor(10, 20, 30)};
        whenModal<frmThemes>([](frmThemes* d) {
            pick(d, "Custom");
            d->findChild<QPushButton*>("cmdColorBack")->click();
            d->findChild<QPushButton*>("cmdOK")->click();
        });
        f.action("mnuViewThemeCustom")->trigger();
        QCOMPARE(shownLook(f.pane()), (ShownLook{QColor(10, 20, 30), QColor(255, 255, 0), "Courier New", 8}));
        QCOMPARE(checkedThemes(f.window.get()), QStringList{"Custom"});
        f.window.reset(); // exit saves
        QCOMPARE(ConsoleFixture::stored("ColorBack"), QString::number(30 << 16 | 20 << 8 | 10));
    }

    // Stored names are identifiers in any case; the dialog's selector shows and takes captions in any case.
    void names_data() {
        columns<QString, QString, QString>("text", "asName", "asCaption"); // the caption found, "-" for none
        row("identifier mixed case", "pURPLEhAZE", "Purple Haze", "-");
        row("caption upper case", "BLACK AND WHITE", "-", "Black And White");
        row("trailing blank", "Bloodshot ", "-", "-");
        row("empty", "", "-", "-");
    }
    void names() {
        QFETCH(QString, text);
        QFETCH(QString, asName);
        auto caption = [](std::optional<ThemeId> id) { return id ? theme(*id).caption : QString("-"); };
        QCOMPARE(caption(themeByIdentifier(text)), asName);
        QCOMPARE(selectorTextFor(text), asName == "-" ? QString("Default") : asName);
        QTEST(caption(themeByCaption(text)), "asCaption");
    }

    void wholePoints_data() {
        columns<double, int>("points", "expected");
        row("11.5 to even above", 11.5, 12);
        row("beyond 16 bits", 1.0e6, 32767);
        row("not a number", qQNaN(), 8);
    }
    void wholePoints() {
        QFETCH(double, points);
        QTEST(int(console::wholePoints(points)), "expected");
    }

    // Each built-in theme, in catalogue and menu order: its item shows its look over an italic custom one,
    // is the one checked, stays so when clicked again, and is what exit saves.
    void builtIn_data() {
        columns<int, QString, ThemeLook>("position", "identifier", "look"); // the tag is the caption
        row("Default", 0, "Default", ThemeLook{12582912, 65535, false, false, 8, "Courier New"});
        row("DOS", 1, "DOS", ThemeLook{0, 12632256, false, false, 10, "Fixedsys"});
        row("Green Screen", 2, "GreenScreen", ThemeLook{3251025, 0, false, false, 10, "Terminal"});
        row("Bloodshot", 3, "Bloodshot", ThemeLook{128, 12632256, true, false, 9, "Courier New"});
        row("Black And White", 4, "BlackAndWhite", ThemeLook{16777215, 0, false, false, 10, "Courier New"});
        row("Purple Haze", 5, "PurpleHaze", ThemeLook{8388736, 16777215, false, false, 10, "Arial"});
    }
    void builtIn() {
        QFETCH(int, position);
        const QString caption = QTest::currentDataTag();
        const Theme& t = themeCatalogue()[std::size_t(position)];
        QTEST(t.identifier, "identifier");
        QTEST(t.look, "look");
        QCOMPARE(t.caption, caption);
        ConsoleFixture f;
        ConsoleFixture::store(
            {"CurrentTheme", "Custom", "FormFontItalic", "True", "FormFontName", "DejaVu Serif"});
        QAction* item = menuItem(f.open(false), "&Themes", caption);
        QCOMPARE(menuTitled(*f.window, "&Themes")->actions().indexOf(item), position);
        for (int click = 0; click < 2; ++click) {
            item->trigger();
            QCOMPARE(shownLook(f.pane()), catalogueLook(t.id));
            QCOMPARE(checkedThemes(f.window.get()), QStringList{caption});
        }
        f.window.reset(); // exit saves
        QCOMPARE(ConsoleFixture::stored("CurrentTheme") + ConsoleFixture::stored("FormFontName"),
                 t.identifier + t.look.face);
    }

    // The stored look is shown whatever the stored name; a size the pane cannot show gives the default.
    void storedLook_data() {
        columns<QString, QString, QStringList, double>("name", "size", "checked", "shownSize");
        row("nothing stored", "-", "", QStringList{"Default"}, 8.0);
        row("name in lower case", "greenscreen", "13", QStringList{"Green Screen"}, 13.0);
        row("custom in mixed case", "cUsToM", "13", QStringList{"Custom"}, 13.0);
        row("hostile name", "../\n\\x00;rm", "13", QStringList{}, 13.0);
        row("size 0", "DOS", "0", QStringList{"DOS"}, 8.0);
        row("size 512", "DOS", "512", QStringList{"DOS"}, 512.0);
        row("size 513", "DOS", "513", QStringList{"DOS"}, 8.0);
    }
    void storedLook() {
        QFETCH(QString, name);
        QFETCH(QString, size);
        QFETCH(double, shownSize);
        ConsoleFixture f;
        ShownLook expected = catalogueLook(ThemeId::Default);
        if (name != "-") {
            ConsoleFixture::store({"CurrentTheme", name, "ColorBack", "1193046", // 0x123456
                                   "FormFontName", "Arial", "FormFontSize", size, "FormFontItalic", "True"});
            expected = {QColor(0x56, 0x34, 0x12), QColor(255, 255, 0), "Arial", shownSize, false, true};
        }
        QTEST(checkedThemes(&f.open(false)), "checked");
        QCOMPARE(shownLook(f.pane()), expected);
        f.window.reset(); // exit keeps the name as it was
        QCOMPARE(ConsoleFixture::stored("CurrentTheme"), name == "-" ? "Default" : name);
    }
};

QTEST_MAIN(tst_themedialog)
#include "tst_themedialog.moc"
