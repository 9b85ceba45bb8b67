#include "ConsoleFixture.h"
#include "MenuItems.h"

#include <Themes.h>

using namespace console;

namespace {
ShownLook shown(const ThemeLook& l) {
    return {colourOf(l.back), colourOf(l.fore), l.face, double(l.size), l.bold, l.italic};
}
ShownLook pane(const QWidget& window) {
    return shownLook(window.findChild<ConsolePane*>());
}
QStringList checkedThemes(const QWidget& window) {
    QStringList checked;
    for (const QAction* item : menuTitled(window, "&Themes")->actions())
        if (item->isChecked() && item->text() != "Big Screen Mode")
            checked << item->text();
    return checked;
}
} // namespace

Q_DECLARE_METATYPE(ThemeLook)

class TstThemes : public QObject {
    Q_OBJECT
private slots:

    // Stored names are identifiers in any case; the dialog's selector shows and takes captions in any case.
    void names_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("asName"); // the caption of the theme found, "-" for none
        QTest::addColumn<QString>("asCaption");
        auto row = [](const char* tag, const char* text, const char* asName, const char* asCaption) {
            QTest::newRow(tag) << text << asName << asCaption;
        };
        row("identifier", "GreenScreen", "Green Screen", "-");
        row("identifier lower case", "greenscreen", "Green Screen", "-");
        row("identifier mixed case", "pURPLEhAZE", "Purple Haze", "-");
        row("caption upper case", "BLACK AND WHITE", "-", "Black And White");
        row("one word", "dos", "DOS", "DOS");
        row("custom", "CUSTOM", "Custom", "Custom");
        row("trailing blank", "Bloodshot ", "-", "-");
        row("empty", "", "-", "-");
        row("unknown", "Solarized", "-", "-");
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
        QTest::addColumn<double>("points");
        QTest::addColumn<int>("expected");
        QTest::newRow("10.5 to even below") << 10.5 << 10;
        QTest::newRow("11.5 to even above") << 11.5 << 12;
        QTest::newRow("9.49") << 9.49 << 9;
        QTest::newRow("beyond 16 bits") << 1.0e6 << 32767;
        QTest::newRow("below 16 bits") << -1.0e6 << -32768;
        QTest::newRow("not a number") << qQNaN() << 8;
    }
    void wholePoints() {
        QFETCH(double, points);
        QTEST(int(console::wholePoints(points)), "expected");
    }

    // Each built-in theme, in catalogue and menu order: its item shows its look over an italic custom one,
    // is the one checked, stays so when clicked again, and is what the next start shows.
    void builtIn_data() {
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("identifier");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<ThemeLook>("look");
        auto row = [](int position, const char* identifier, const char* caption, ThemeLook look) {
            QTest::newRow(caption) << position << identifier << caption << look;
        };
        row(0, "Default", "Default", {12582912, 65535, false, false, 8, "Courier New"});
        row(1, "DOS", "DOS", {0, 12632256, false, false, 10, "Fixedsys"});
        row(2, "GreenScreen", "Green Screen", {3251025, 0, false, false, 10, "Terminal"});
        row(3, "Bloodshot", "Bloodshot", {128, 12632256, true, false, 9, "Courier New"});
        row(4, "BlackAndWhite", "Black And White", {16777215, 0, false, false, 10, "Courier New"});
        row(5, "PurpleHaze", "Purple Haze", {8388736, 16777215, false, false, 10, "Arial"});
    }
    void builtIn() {
        ConsoleFixture f;
        QFETCH(int, position);
        QFETCH(QString, identifier);
        QFETCH(QString, caption);
        QFETCH(ThemeLook, look);
        const Theme& t = themeCatalogue()[std::size_t(position)];
        QCOMPARE(t.identifier, identifier);
        QCOMPARE(t.caption, caption);
        QCOMPARE(t.look, look);

        ConsoleFixture::store("CurrentTheme", "Custom");
        ConsoleFixture::store("FormFontItalic", "True");
        ConsoleFixture::store("FormFontName", "DejaVu Serif");
        auto* w = &f.open(false);
        QAction* item = menuItem(*w, "&Themes", caption);
        QVERIFY(item);
        QCOMPARE(menuTitled(*w, "&Themes")->actions().indexOf(item), position);
        for (int click = 0; click < 2; ++click) {
            item->trigger();
            QCOMPARE(pane(*w), shown(look));
            QCOMPARE(checkedThemes(*w), QStringList{caption});
        }
        w = &f.restart();
        QCOMPARE(ConsoleFixture::stored("CurrentTheme"), identifier);
        QCOMPARE(pane(*w), shown(look));
        QCOMPARE(checkedThemes(*w), QStringList{caption});
    }

    // The stored look is shown whatever the stored name; a size the pane cannot show gives the default.
    void storedLook_data() {
        QTest::addColumn<QString>("name"); // null: nothing stored
        QTest::addColumn<QString>("size");
        QTest::addColumn<QStringList>("checked");
        QTest::addColumn<double>("shownSize");
        auto row = [](const char* tag, const char* name, const char* size, const QStringList& checked,
                      double shownSize) {
            QTest::newRow(tag) << QString::fromLatin1(name) << size << checked << shownSize;
        };
        row("nothing stored", nullptr, nullptr, {"Default"}, 8);
        row("name in lower case", "greenscreen", "13", {"Green Screen"}, 13);
        row("custom in mixed case", "cUsToM", "13", {"Custom"}, 13);
        row("caption is no name", "Green Screen", "13", {}, 13);
        row("unknown name", "Solarized", "13", {}, 13);
        row("size 0", "DOS", "0", {"DOS"}, 8);
        row("size 512", "DOS", "512", {"DOS"}, 512);
        row("size 513", "DOS", "513", {"DOS"}, 8);
    }
    void storedLook() {
        ConsoleFixture f;
        QFETCH(QString, name);
        QFETCH(QString, size);
        QFETCH(double, shownSize);
        ShownLook expected = shown(ThemeLook{});
        if (!name.isNull()) {
            ConsoleFixture::store("CurrentTheme", name);
            ConsoleFixture::store("ColorBack", "1193046"); // 0x123456
            ConsoleFixture::store("FormFontName", "Arial");
            ConsoleFixture::store("FormFontSize", size);
            ConsoleFixture::store("FormFontItalic", "True");
            expected = {QColor(0x56, 0x34, 0x12), QColor(255, 255, 0), "Arial", shownSize, false, true};
        }
        auto* w = &f.open(false);
        QTEST(checkedThemes(*w), "checked");
        QCOMPARE(pane(*w), expected);
        w = &f.restart();
        QCOMPARE(ConsoleFixture::stored("CurrentTheme"), name.isNull() ? "Default" : name);
        QCOMPARE(pane(*w), expected);
    }
};

QTEST_MAIN(TstThemes)
#include "tst_themes.moc"
