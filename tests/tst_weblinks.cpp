#include "ConsoleFixture.h"

#include <WebLinks.h>

class tst_weblinks : public QObject {
    Q_OBJECT
private slots:
    // major "." minor as a decimal number with two decimals, longer minors rounded half up.
    void updateVersionText_data() {
        columns<int, int, QString>("major", "minor", "text");
        row("3.0", 3, 0, "3.00");
        row("minor 1", 3, 1, "3.10");
        row("three digits round up", 3, 125, "3.13");
        row("carry into major", 3, 999, "4.00");
        row("four digits", 3, 1049, "3.10");
        row("carry past the largest major", 2147483647, 996, "2147483648.00");
    }
    void updateVersionText() {
        QFETCH(int, major);
        QFETCH(int, minor);
        QTEST(console::updateVersionText(major, minor), "text");
    }

    // Each item hands its address to the desktop; with a browser or without, the console adds nothing.
    void helpItemOpensItsAddress_data() {
        columns<QString, QString, QString>("menu", "item", "address");
        auto row = [](const char* menu, const char* item, const QString& address) {
            QTest::newRow(qPrintable(QString(menu) + " / " + item)) << menu << item << address;
        };
        row("&Help", "Check For &Updates...",
            "https://www.velmora.example/velmora/tarnwick/update.asp?ver=3.00");
        row("&Help", "Submit &Feedback...", "https://www.velmora.example/velmora/tarnwick/feedback.asp");
        row("&Help", "Submit &Bug Report...", "https://www.velmora.example/velmora/bug.asp?from=vorlanix");
        row("&Help", "&Visit Velmora...", "https://www.velmora.example/velmora/default.asp?from=vorlanix");
        row("Return To Castle Wolfenstein", "Official Site", "https://www.castlewolfenstein.com/");
        row("Return To Castle Wolfenstein", "Achtung, Wolfenstein!",
            "https://www.achtungwolfenstein.com/wolfenstein");
        row("Star Trek Voyager: Elite Force", "Official Site", "https://www.ravensoft.com/eliteforce/");
        row("Star Trek Voyager: Elite Force", "Holodeck 5: Elite Force",
            "https://www.holodeck5.com/eliteforce/");
        row("Quake 2", "PlanetQuake", "https://www.planetquake.com/quake2");
        row("Quake 3 Arena", "Quake3World", "https://www.quake3world.com/");
        row("Quake 3 Arena", "PlanetQuake", "https://www.planetquake.com/quake3");
    }
    void helpItemOpensItsAddress() {
        QFETCH(QString, menu);
        QFETCH(QString, item);
        QFETCH(QString, address);
        FakeDesktop desktop;
        console::frmMain window(desktop);
        QAction* action = menuItem(window, menu, item);
        QVERIFY(action && action->isEnabled());
        const QMenu* links = menuTitled(window, "Community &Links"); // the game menus sit in it
        QVERIFY(menu == "&Help" || links->actions().contains(menuTitled(window, menu)->menuAction()));
        const auto* pane = window.findChild<console::ConsolePane*>("txtOutput");
        const QString paneBefore = pane->toPlainText();
        action->trigger(); // with a browser, then without
        desktop.urlOpens = false;
        action->trigger();
        QCOMPARE(desktop.urls, QStringList({address, address}));
        QVERIFY(desktop.boxes.isEmpty() && desktop.started.isEmpty() && pane->toPlainText() == paneBefore);
    }
};

QTEST_MAIN(tst_weblinks)
#include "tst_weblinks.moc"
