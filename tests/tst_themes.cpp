#include "ThemeTestSupport.h"

#include <Themes.h>

#include <QTemporaryDir>

using namespace console;
using themetest::ShownLook;

namespace {
using Item = QAction* frmMain::*;

ShownLook look(QColor back, QColor fore, const char* face, double size, bool bold, bool italic = false) {
    return {back, fore, QString::fromLatin1(face), size, bold, italic};
}
} // namespace

Q_DECLARE_METATYPE(Item)
Q_DECLARE_METATYPE(ShownLook)

class TstThemes : public QObject {
    Q_OBJECT
    QTemporaryDir m_folder;
    FakeDesktop m_desktop;

private slots:
    void init() { themetest::freshProcess(m_folder.path() + QLatin1Char('/')); }

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
    auto w = themetest::start(m_desktop);
    COMPARE_LOOK(themetest::shownLook(w->txtOutput),
                 look(QColor(0, 0, 192), QColor(255, 255, 0), "Courier New", 8, false));
    QCOMPARE(themetest::checkedThemes(*w), QStringList{"Default"});
}

void TstThemes::menuTheme_data() {
    QTest::addColumn<Item>("item");
    QTest::addColumn<QString>("identifier");
    QTest::addColumn<ShownLook>("expected");

    QTest::newRow("Default") << &frmMain::mnuViewThemeDefault << "Default"
                             << look(QColor(0, 0, 192), QColor(255, 255, 0), "Courier New", 8, false);
    QTest::newRow("DOS") << &frmMain::mnuViewThemeDOS << "DOS"
                         << look(QColor(0, 0, 0), QColor(192, 192, 192), "Fixedsys", 10, false);
    QTest::newRow("Green Screen") << &frmMain::mnuViewThemeGreenScreen << "GreenScreen"
                                  << look(QColor(81, 155, 49), QColor(0, 0, 0), "Terminal", 10, false);
    QTest::newRow("Bloodshot") << &frmMain::mnuViewThemeBloodshot << "Bloodshot"
                               << look(QColor(128, 0, 0), QColor(192, 192, 192), "Courier New", 9, true);
    QTest::newRow("Black And White") << &frmMain::mnuViewThemeBnW << "BlackAndWhite"
                                     << look(QColor(255, 255, 255), QColor(0, 0, 0), "Courier New", 10,
                                             false);
    QTest::newRow("Purple Haze") << &frmMain::mnuViewThemePH << "PurpleHaze"
                                 << look(QColor(128, 0, 128), QColor(255, 255, 255), "Arial", 10, false);
}

void TstThemes::menuTheme() {
    QFETCH(Item, item);
    QFETCH(QString, identifier);
    QFETCH(ShownLook, expected);
    const QString caption = QString::fromLatin1(QTest::currentDataTag());

    auto w = themetest::start(m_desktop);
    // An italic custom look first, so every value of the theme has to replace something.
    w->ApplyTheme(0x123456, 0x654321, false, true, 14, QStringLiteral("DejaVu Serif"));
    basMain().settings.CurrentTheme = QStringLiteral("Custom");
    w->CheckThemeMenu(QStringLiteral("Custom"));

    ((*w).*item)->trigger();
    COMPARE_LOOK(themetest::shownLook(w->txtOutput), expected);
    QCOMPARE(basMain().settings.CurrentTheme, identifier);
    QCOMPARE(themetest::checkedThemes(*w), QStringList{caption});
    QCOMPARE(colourOf(basMain().settings.ColorBack), expected.back);
    QCOMPARE(int(basMain().settings.FormFontSize), int(expected.size));
    QVERIFY(!basMain().settings.FormFontItalic);

    // The same item again changes nothing.
    ((*w).*item)->trigger();
    QCOMPARE(themetest::checkedThemes(*w), QStringList{caption});
    COMPARE_LOOK(themetest::shownLook(w->txtOutput), expected);

    themetest::restart(w, m_desktop);
    QCOMPARE(themetest::stored(QStringLiteral("CurrentTheme")), identifier);
    COMPARE_LOOK(themetest::shownLook(w->txtOutput), expected);
    QCOMPARE(themetest::checkedThemes(*w), QStringList{caption});
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
    // The stored look, not the named theme's, is what the pane shows.
    themetest::store(QStringLiteral("CurrentTheme"), storedName);
    themetest::store(QStringLiteral("ColorBack"), QStringLiteral("1193046")); // 0x123456
    themetest::store(QStringLiteral("ColorFore"), QStringLiteral("6636321")); // 0x654321
    themetest::store(QStringLiteral("FormFontName"), QStringLiteral("Arial"));
    themetest::store(QStringLiteral("FormFontSize"), QStringLiteral("13"));
    themetest::store(QStringLiteral("FormFontItalic"), QStringLiteral("True"));

    auto w = themetest::start(m_desktop);
    QTEST(themetest::checkedThemes(*w), "checked");
    const ShownLook storedLook =
        look(QColor(0x56, 0x34, 0x12), QColor(0x21, 0x43, 0x65), "Arial", 13, false, true);
    COMPARE_LOOK(themetest::shownLook(w->txtOutput), storedLook);

    themetest::restart(w, m_desktop);
    QCOMPARE(themetest::stored(QStringLiteral("CurrentTheme")), storedName);
    QCOMPARE(themetest::stored(QStringLiteral("ColorBack")), QStringLiteral("1193046"));
    COMPARE_LOOK(themetest::shownLook(w->txtOutput), storedLook);
}

void TstThemes::dialogItemCancelled_data() {
    QTest::addColumn<Item>("item");
    QTest::addColumn<bool>("byCloseBox");
    QTest::newRow("Custom, Cancel") << &frmMain::mnuViewThemeCustom << false;
    QTest::newRow("Theme Settings, Cancel") << &frmMain::mnuViewThemeSettings << false;
    QTest::newRow("Custom, close box") << &frmMain::mnuViewThemeCustom << true;
}

void TstThemes::dialogItemCancelled() {
    QFETCH(Item, item);
    QFETCH(bool, byCloseBox);
    auto w = themetest::start(m_desktop);
    w->mnuViewThemeBloodshot->trigger();
    const ShownLook before = themetest::shownLook(w->txtOutput);

    QString title;
    bool modalOverMain = false;
    themetest::whileThemeDialogOpen(w.get(), [&](frmThemes& dialog) {
        title = dialog.windowTitle();
        modalOverMain = dialog.isModal() && dialog.parentWidget() == w.get();
        // A preview inside the dialog must not outlive the cancel either.
        dialog.cboTheme->setCurrentIndex(1);
        emit dialog.cboTheme->activated(1);
        QCOMPARE(basMain().settings.CurrentTheme, QStringLiteral("DOS"));
        if (byCloseBox)
            dialog.close();
        else
            dialog.cmdCancel->click();
    });
    ((*w).*item)->trigger();

    QCOMPARE(title, QStringLiteral("Customize Themes"));
    QVERIFY(modalOverMain);
    COMPARE_LOOK(themetest::shownLook(w->txtOutput), before);
    QCOMPARE(basMain().settings.CurrentTheme, QStringLiteral("Bloodshot"));
    QCOMPARE(themetest::checkedThemes(*w), QStringList{"Bloodshot"});
}

QTEST_MAIN(TstThemes)
#include "tst_themes.moc"
