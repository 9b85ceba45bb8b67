#include "ConsoleFixture.h"

#include <Themes.h>
#include <frmOptions.h>
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

// The check boxes in the order checks() reports them.
const char* const kBoxes[] = {"ckHideColorTags", "ckLog", "ckSavePwd", "ckEnableAutoComplete", "ckQueryStat"};

// The dialog over the given settings, with its controls reachable by name and its Applies recorded.
struct Options {
    FakeDesktop desktop;
    frmOptions dialog;
    QList<AppSettings> applied;

    explicit Options(const AppSettings& given = {}, bool timerRunning = false)
        : dialog(desktop, given, timerRunning) {
        QObject::connect(&dialog, &frmOptions::applied, &dialog,
                         [this](const AppSettings& s) { applied << s; });
    }
    template <typename T = QCheckBox> T* get(const char* name) { return dialog.findChild<T*>(name); }
    QLineEdit* minutes() { return get<QLineEdit>("txtMinutes"); }
    QComboBox* unit() { return get<QComboBox>("cboTimePeriod"); }
    bool dirty() { return get<QPushButton>("cmdApply")->isEnabled(); }
    void click(const char* name) { QTest::mouseClick(get<QPushButton>(name), Qt::LeftButton); }
    QString checks() {
        QString marks;
        for (const char* box : kBoxes)
            marks += get(box)->isChecked() ? '1' : '0';
        return marks;
    }
    void setChecks(const QString& marks) {
        for (int i = 0; i < marks.size(); ++i)
            get(kBoxes[i])->setChecked(marks[i] == '1');
    }
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

    // Captions, then the state shown: the timer's rather than the AutoQuery field, the period greyed
    // while the timer stands; any scale but 1 means minutes.
    void opens_data() {
        columns<int, bool, QString>("scale", "running", "shown");
        row("seconds", 1, true, "11101 30Seconds");
        row("odd scale means minutes", 2, true, "11101 30Minutes");
        row("timer standing", 1, false, "11100 30Seconds");
    }
    void opens() {
        QFETCH(int, scale);
        QFETCH(bool, running);
        AppSettings s;
        s.HideFunNameCodes = 1;
        s.EnableLogging = s.SavePassword = s.AutoQuery = true;
        s.UseAutoComplete = false;
        s.TimePeriod = 30;
        s.TimeScale = qint16(scale);
        Options o(s, running);
        QCOMPARE(o.dialog.windowTitle(), "Options");
        for (const QString pair :
             {"ckLog|Save Console Log", "ckSavePwd|Save Password On Exit",
              "ckHideColorTags|Hide Fun Name Codes", "ckEnableAutoComplete|Enable AutoComplete",
              "ckQueryStat|Auto-Query Status", "cmdShowThemes|Themes...", "cmdDefaults|Defaults",
              "cmdCancel|Cancel", "cmdApply|Apply", "cmdOK|OK"})
            QCOMPARE(o.dialog.findChild<QObject*>(pair.section('|', 0, 0))->property("text").toString(),
                     pair.section('|', 1));
        QCOMPARE(ConsoleFixture::entries(o.unit()), QStringList({"Minutes", "Seconds"}));
        QVERIFY(o.get<QPushButton>("cmdOK")->isDefault() && !o.dirty());
        QTEST(o.checks() + ' ' + o.minutes()->text() + o.unit()->currentText(), "shown");
        const QColor back = QApplication::palette().color(running ? QPalette::Base : QPalette::Button);
        for (QWidget* w : std::initializer_list<QWidget*>{o.minutes(), o.unit()}) // alike in every state
            QVERIFY(w->isEnabled() == running &&
                    w->palette().color(QPalette::Disabled, QPalette::Base) == back);
    }

    // Apply and OK hand out a changed copy; Cancel hands out nothing; Defaults clears three boxes only.
    void apply_data() {
        columns<QString, QString, QString, QString, QString, int, int>("marks", "minutes", "unit", "buttons",
                                                                       "applied", "period", "scale");
        row("seconds, 30", "11101", "30", "Seconds", "cmdApply", "11101", 30, 1);
        row("unit typed differently", "00010", "30", "seconds", "cmdApply", "00010", 30, 60);
        row("2.5 applies as 2", "10100", "2.5", "Minutes", "cmdApply", "10100", 2, 60);
        row("3.5 applies as 4", "01011", "3.5", "Minutes", "cmdApply", "01011", 4, 60);
        row("OK applies", "11111", "9", "Seconds", "cmdOK", "11111", 9, 1);
        row("Cancel drops", "11111", "9", "Seconds", "cmdCancel", "", 0, 0);
        row("Defaults", "11111", "12", "Minutes", "cmdDefaults cmdApply", "00011", 12, 60);
    }
    void apply() {
        QFETCH(QString, marks);
        QFETCH(QString, buttons);
        QFETCH(QString, minutes);
        QFETCH(QString, unit);
        QFETCH(QString, applied);
        AppSettings given;
        given.CurrentTheme = "DOS";
        Options o(given, marks[4] == '0');
        o.setChecks(marks);
        o.minutes()->setText(minutes);
        o.unit()->setEditText(unit);
        QVERIFY(o.dirty());
        for (const QString& button : buttons.split(' '))
            o.click(qPrintable(button));
        QCOMPARE(o.dialog.result(), int(buttons == "cmdOK" ? QDialog::Accepted : QDialog::Rejected));
        QCOMPARE(o.applied.size(), int(!applied.isEmpty()));
        for (const AppSettings& s : o.applied) {
            QCOMPARE(Options(s, s.AutoQuery).checks(), applied); // shown as opening shows it
            QTEST(int(s.TimePeriod), "period");
            QTEST(int(s.TimeScale), "scale");
            QVERIFY(s.CurrentTheme == "DOS" && !o.dirty() && o.desktop.boxes.isEmpty()); // the rest as given
        }
    }

    void period_data() {
        columns<QString, QString, QString>("text", "message", "result"); // message empty: accepted as it is
        const QString numeric = "Minutes must be numeric.", high = "Minutes must be less than 32000.",
                      low = "Minutes must be no less than 0.", none;
        row("cleared by Backspace", "<BS>", numeric, "5");
        row("lone minus", "-", numeric, "5");
        row("40000", "40000", high, "32000");
        row("beyond 32 bits", "1e10", high, "32000");
        row("beyond a double", "1e400", high, "32000");
        row("-3", "-3", low, "0");
        row("below 32 bits", "-1e10", low, "0");
        row("0", "0", none, "0");
        row("32000", "32000", none, "32000");
        row("32000.5 rounds to even", "32000.5", none, "32000.5");
        row("-0.4 rounds to 0", "-0.4", none, "-0.4");
    }
    void period() {
        QFETCH(QString, text);
        QFETCH(QString, message);
        Options o({}, true);
        if (text == "<BS>") {
            o.minutes()->selectAll();
            QTest::keyClick(o.minutes(), Qt::Key_Backspace);
        } else {
            o.minutes()->setText(text);
        }
        QTEST(o.minutes()->text(), "result");
        QCOMPARE(o.desktop.boxes.size(), message.isEmpty() ? 0 : 1);
        for (const FakeDesktop::Box& box : o.desktop.boxes)
            QVERIFY(box.text == message && box.title == "vorlanix" &&
                    box.icon == platform::Desktop::Icon::Warning &&
                    box.buttons == platform::Desktop::Buttons::Ok);
        QVERIFY(o.dirty());
    }

    // From the menu: modal while the session's timer and socket go on; Apply reaches the timer and
    // the menu's mark; the Themes button opens the theme dialog over it.
    void windowCarriesOutApply() {
        ConsoleFixture f;
        f.seams.queryInterval = 1ms;
        f.open();
        f.applyOptions([](AppSettings& s) { s.TimePeriod = 0; });
        f.action("mnuCommandsAutoQuery")->trigger();
        bool themesOverOptions = false;
        QByteArray whileOpen;
        whenModal<frmOptions>([&](frmOptions* d) {
            f.drainPeer();
            whileOpen = f.peer.next();
            whenModal<frmThemes>([&](frmThemes* t) {
                themesOverOptions = t->isModal() && t->parentWidget() == d;
                t->reject();
            });
            d->findChild<QPushButton*>("cmdShowThemes")->click();
            d->findChild<QLineEdit*>("txtMinutes")->setText("7");
            QTest::mouseClick(d->findChild<QCheckBox*>("ckQueryStat"), Qt::LeftButton);
            d->findChild<QPushButton*>("cmdOK")->click();
        });
        f.action("mnuViewOptions")->trigger();
        QCOMPARE(whileOpen, rcon("pw", "status"));
        QVERIFY(themesOverOptions);
        QVERIFY(!f.action("mnuCommandsAutoQuery")->isChecked() && !f.session().autoQueryRunning());
        QCOMPARE(f.session().settings().TimePeriod, qint16(7));
    }
};

QTEST_MAIN(tst_themedialog)
#include "tst_themedialog.moc"
