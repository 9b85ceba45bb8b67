#include "ConsoleFixture.h"

#include <Themes.h>

using namespace console;

Q_DECLARE_METATYPE(ThemeLook)

class TstThemes : public QObject {
    Q_OBJECT
private slots:
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
        row("10.5 to even below", 10.5, 10);
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
        QTest::addColumn<QString>("name"); // "-": nothing stored
        QTest::addColumn<QString>("size");
        QTest::addColumn<QStringList>("checked");
        QTest::addColumn<double>("shownSize");
        row("nothing stored", "-", "", QStringList{"Default"}, 8.0);
        row("name in lower case", "greenscreen", "13", QStringList{"Green Screen"}, 13.0);
        row("custom in mixed case", "cUsToM", "13", QStringList{"Custom"}, 13.0);
        row("unknown name", "Solarized", "13", QStringList{}, 13.0);
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

QTEST_MAIN(TstThemes)
#include "tst_themes.moc"
