#include "ConsoleFixture.h"

#include <Themes.h>

#include <frmThemes.h>

#include <QPushButton>

using namespace console;

namespace {
ShownLook look(QColor back, QColor fore, const char* face, double size, bool bold, bool italic = false) {
    return {back, fore, QString::fromLatin1(face), size, bold, italic};
}
} // namespace

class TstThemes : public QObject {
    Q_OBJECT
private slots:

    void catalogue_data();
    void catalogue();
    void identifiers_data();
    void identifiers();
    void captions_data();
    void captions();
    void wholePoints_data();
    void wholePoints();
    void colours_data();
    void colours();

    void firstStart();
    void menuTheme_data();
    void menuTheme();
    void storedThemeName_data();
    void storedThemeName();
    void dialogItemCancelled_data();
    void dialogItemCancelled();
};

void TstThemes::catalogue_data() {
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("identifier");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<quint32>("back");
    QTest::addColumn<quint32>("fore");
    QTest::addColumn<QString>("face");
    QTest::addColumn<int>("size");
    QTest::addColumn<bool>("bold");

    QTest::newRow("Default") << int(ThemeId::Default) << "Default"
                             << "Default" << 12582912u << 65535u << "Courier New" << 8 << false;
    QTest::newRow("DOS") << int(ThemeId::DOS) << "DOS"
                         << "DOS" << 0u << 12632256u << "Fixedsys" << 10 << false;
    QTest::newRow("GreenScreen") << int(ThemeId::GreenScreen) << "GreenScreen"
                                 << "Green Screen" << 3251025u << 0u << "Terminal" << 10 << false;
    QTest::newRow("Bloodshot") << int(ThemeId::Bloodshot) << "Bloodshot"
                               << "Bloodshot" << 128u << 12632256u << "Courier New" << 9 << true;
    QTest::newRow("BlackAndWhite") << int(ThemeId::BlackAndWhite) << "BlackAndWhite"
                                   << "Black And White" << 16777215u << 0u << "Courier New" << 10 << false;
    QTest::newRow("PurpleHaze") << int(ThemeId::PurpleHaze) << "PurpleHaze"
                                << "Purple Haze" << 8388736u << 16777215u << "Arial" << 10 << false;
}

void TstThemes::catalogue() {
    QFETCH(int, id);
    const Theme& t = theme(ThemeId(id));
    QTEST(t.identifier, "identifier");
    QTEST(t.caption, "caption");
    QTEST(t.look.back, "back");
    QTEST(t.look.fore, "fore");
    QTEST(t.look.face, "face");
    QTEST(int(t.look.size), "size");
    QTEST(t.look.bold, "bold");
    QVERIFY(!t.look.italic);
    // Menu and selector order is the catalogue's order.
    QCOMPARE(int(themeCatalogue()[std::size_t(id)].id), id);
}

void TstThemes::identifiers_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("expected"); // -1: no theme
    QTest::addColumn<QString>("selector");

    QTest::newRow("exact") << "GreenScreen" << int(ThemeId::GreenScreen) << "Green Screen";
    QTest::newRow("lower") << "greenscreen" << int(ThemeId::GreenScreen) << "Green Screen";
    QTest::newRow("upper") << "GREENSCREEN" << int(ThemeId::GreenScreen) << "Green Screen";
    QTest::newRow("caption with space") << "Green Screen" << -1 << "Default";
    QTest::newRow("purple mixed") << "pURPLEhAZE" << int(ThemeId::PurpleHaze) << "Purple Haze";
    QTest::newRow("black and white") << "blackandwhite" << int(ThemeId::BlackAndWhite) << "Black And White";
    QTest::newRow("dos") << "dos" << int(ThemeId::DOS) << "DOS";
    QTest::newRow("custom") << "CUSTOM" << int(ThemeId::Custom) << "Custom";
    QTest::newRow("bloodshot") << "Bloodshot" << int(ThemeId::Bloodshot) << "Bloodshot";
    QTest::newRow("trailing blank") << "Bloodshot " << -1 << "Default";
    QTest::newRow("empty") << "" << -1 << "Default";
    QTest::newRow("unknown") << "Solarized" << -1 << "Default";
}

void TstThemes::identifiers() {
    QFETCH(QString, text);
    QFETCH(int, expected);
    const auto id = themeByIdentifier(text);
    QCOMPARE(id ? int(*id) : -1, expected);
    QTEST(selectorTextFor(text), "selector");
}

void TstThemes::captions_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("expected");
    QTest::addColumn<QString>("identifier");

    QTest::newRow("picked") << "Green Screen" << int(ThemeId::GreenScreen) << "GreenScreen";
    QTest::newRow("typed lower") << "black and white" << int(ThemeId::BlackAndWhite) << "blackandwhite";
    QTest::newRow("typed upper") << "PURPLE HAZE" << int(ThemeId::PurpleHaze) << "PURPLEHAZE";
    QTest::newRow("identifier is no caption") << "GreenScreen" << -1 << "GreenScreen";
    QTest::newRow("custom") << "custom" << int(ThemeId::Custom) << "custom";
    QTest::newRow("unknown") << "My Theme" << -1 << "MyTheme";
}

void TstThemes::captions() {
    QFETCH(QString, text);
    QFETCH(int, expected);
    const auto id = themeByCaption(text);
    QCOMPARE(id ? int(*id) : -1, expected);
    QTEST(identifierOfSelector(text), "identifier");
}

void TstThemes::wholePoints_data() {
    QTest::addColumn<double>("points");
    QTest::addColumn<int>("expected");
    QTest::newRow("10.5 to even below") << 10.5 << 10;
    QTest::newRow("11.5 to even above") << 11.5 << 12;
    QTest::newRow("9.49") << 9.49 << 9;
    QTest::newRow("12.51") << 12.51 << 13;
    QTest::newRow("whole") << 8.0 << 8;
    QTest::newRow("beyond 16 bits") << 1.0e6 << 32767;
}

void TstThemes::wholePoints() {
    QFETCH(double, points);
    QTEST(int(console::wholePoints(points)), "expected");
}

void TstThemes::colours_data() {
    QTest::addColumn<quint32>("bgr");
    QTest::addColumn<QColor>("colour");
    QTest::newRow("dark blue") << 0xC00000u << QColor(0, 0, 192);
    QTest::newRow("yellow") << 0x00FFFFu << QColor(255, 255, 0);
    QTest::newRow("green screen") << 0x319B51u << QColor(81, 155, 49);
    QTest::newRow("dark red") << 0x000080u << QColor(128, 0, 0);
    QTest::newRow("three bytes differ") << 0x123456u << QColor(0x56, 0x34, 0x12);
}

void TstThemes::colours() {
    QFETCH(quint32, bgr);
    QFETCH(QColor, colour);
    QCOMPARE(colourOf(bgr), colour);
    QCOMPARE(bgrOf(colour), bgr);
}

void TstThemes::firstStart() {
    ConsoleFixture f;
    auto& w = f.open(false);
    QCOMPARE(shownLook(f.pane()), look(QColor(0, 0, 192), QColor(255, 255, 0), "Courier New", 8, false));
    QCOMPARE(checkedThemes(&w), QStringList{"Default"});
}

void TstThemes::menuTheme_data() {
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("identifier");
    QTest::addColumn<ShownLook>("expected");

    QTest::newRow("Default") << "mnuViewThemeDefault"
                             << "Default"
                             << look(QColor(0, 0, 192), QColor(255, 255, 0), "Courier New", 8, false);
    QTest::newRow("DOS") << "mnuViewThemeDOS"
                         << "DOS" << look(QColor(0, 0, 0), QColor(192, 192, 192), "Fixedsys", 10, false);
    QTest::newRow("Green Screen") << "mnuViewThemeGreenScreen"
                                  << "GreenScreen"
                                  << look(QColor(81, 155, 49), QColor(0, 0, 0), "Terminal", 10, false);
    QTest::newRow("Bloodshot") << "mnuViewThemeBloodshot"
                               << "Bloodshot"
                               << look(QColor(128, 0, 0), QColor(192, 192, 192), "Courier New", 9, true);
    QTest::newRow("Black And White") << "mnuViewThemeBnW"
                                     << "BlackAndWhite"
                                     << look(QColor(255, 255, 255), QColor(0, 0, 0), "Courier New", 10,
                                             false);
    QTest::newRow("Purple Haze") << "mnuViewThemePH"
                                 << "PurpleHaze"
                                 << look(QColor(128, 0, 128), QColor(255, 255, 255), "Arial", 10, false);
}

void TstThemes::menuTheme() {
    QFETCH(QString, item);
    QFETCH(QString, identifier);
    QFETCH(ShownLook, expected);
    const QString caption = QString::fromLatin1(QTest::currentDataTag());

    ConsoleFixture f;
    // An italic custom look first, so every value of the theme has to replace something.
    const QStringList custom{"ColorBack",      "1193046",      "ColorFore",    "6636321",
                             "FormFontItalic", "True",         "FormFontSize", "14",
                             "FormFontName",   "DejaVu Serif", "CurrentTheme", "Custom"};
    for (int i = 0; i < custom.size(); i += 2)
        ConsoleFixture::store(custom[i], custom[i + 1]);
    auto* w = &f.open(false);

    f.action(qPrintable(item))->trigger();
    QCOMPARE(shownLook(f.pane()), expected);
    QCOMPARE(f.session().settings().CurrentTheme, identifier);
    QCOMPARE(checkedThemes(w), QStringList{caption});
    QCOMPARE(colourOf(f.session().settings().ColorBack), expected.back);
    QCOMPARE(int(f.session().settings().FormFontSize), int(expected.size));
    QVERIFY(!f.session().settings().FormFontItalic);

    // The same item again changes nothing.
    f.action(qPrintable(item))->trigger();
    QCOMPARE(checkedThemes(w), QStringList{caption});
    QCOMPARE(shownLook(f.pane()), expected);

    w = &f.restart();
    QCOMPARE(ConsoleFixture::stored(QStringLiteral("CurrentTheme")), identifier);
    QCOMPARE(shownLook(f.pane()), expected);
    QCOMPARE(checkedThemes(w), QStringList{caption});
}

void TstThemes::storedThemeName_data() {
    QTest::addColumn<QString>("storedName");
    QTest::addColumn<QStringList>("checked");
    QTest::newRow("lower case") << "greenscreen" << QStringList{"Green Screen"};
    QTest::newRow("upper case") << "GREENSCREEN" << QStringList{"Green Screen"};
    QTest::newRow("mixed custom") << "cUsToM" << QStringList{"Custom"};
    QTest::newRow("caption with space") << "Green Screen" << QStringList{};
    QTest::newRow("hand-edited") << "Solarized" << QStringList{};
}

void TstThemes::storedThemeName() {
    QFETCH(QString, storedName);
    ConsoleFixture f;
    // The stored look, not the named theme's, is what the pane shows.
    ConsoleFixture::store(QStringLiteral("CurrentTheme"), storedName);
    ConsoleFixture::store(QStringLiteral("ColorBack"), QStringLiteral("1193046")); // 0x123456
    ConsoleFixture::store(QStringLiteral("ColorFore"), QStringLiteral("6636321")); // 0x654321
    ConsoleFixture::store(QStringLiteral("FormFontName"), QStringLiteral("Arial"));
    ConsoleFixture::store(QStringLiteral("FormFontSize"), QStringLiteral("13"));
    ConsoleFixture::store(QStringLiteral("FormFontItalic"), QStringLiteral("True"));

    auto* w = &f.open(false);
    QTEST(checkedThemes(w), "checked");
    const ShownLook storedLook =
        look(QColor(0x56, 0x34, 0x12), QColor(0x21, 0x43, 0x65), "Arial", 13, false, true);
    QCOMPARE(shownLook(f.pane()), storedLook);

    w = &f.restart();
    QCOMPARE(ConsoleFixture::stored(QStringLiteral("CurrentTheme")), storedName);
    QCOMPARE(ConsoleFixture::stored(QStringLiteral("ColorBack")), QStringLiteral("1193046"));
    QCOMPARE(shownLook(f.pane()), storedLook);
}

void TstThemes::dialogItemCancelled_data() {
    QTest::addColumn<QString>("item");
    QTest::addColumn<bool>("byCloseBox");
    QTest::newRow("Custom, Cancel") << "mnuViewThemeCustom" << false;
    QTest::newRow("Theme Settings, Cancel") << "mnuViewThemeSettings" << false;
    QTest::newRow("Custom, close box") << "mnuViewThemeCustom" << true;
}

void TstThemes::dialogItemCancelled() {
    QFETCH(QString, item);
    QFETCH(bool, byCloseBox);
    ConsoleFixture f;
    auto& w = f.open(false);
    f.action("mnuViewThemeBloodshot")->trigger();
    const ShownLook before = shownLook(f.pane());

    QString title, previewed;
    bool modalOverMain = false;
    whenModal<frmThemes>([&](frmThemes* dialog) {
        title = dialog->windowTitle();
        modalOverMain = dialog->isModal() && dialog->parentWidget() == &w;
        // A preview inside the dialog must not outlive the cancel either.
        auto* selector = dialog->findChild<QComboBox*>("cboTheme");
        selector->setCurrentIndex(1);
        emit selector->activated(1);
        previewed = f.session().settings().CurrentTheme;
        if (byCloseBox)
            dialog->close();
        else
            dialog->findChild<QPushButton*>("cmdCancel")->click();
    });
    f.action(qPrintable(item))->trigger();

    QCOMPARE(title, QStringLiteral("Customize Themes"));
    QCOMPARE(previewed, QStringLiteral("DOS"));
    QVERIFY(modalOverMain);
    QCOMPARE(shownLook(f.pane()), before);
    QCOMPARE(f.session().settings().CurrentTheme, QStringLiteral("Bloodshot"));
    QCOMPARE(checkedThemes(&w), QStringList{"Bloodshot"});
}

QTEST_MAIN(TstThemes)
#include "tst_themes.moc"
