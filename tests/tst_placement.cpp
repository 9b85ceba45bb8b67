#include "ConsoleFixture.h"

#include <Placement.h>
#include <Twips.h>
#include <frmPlayers.h>

using namespace console;
using P = WindowPlacement;

Q_DECLARE_METATYPE(WindowPlacement)

// Where the console's windows open, whatever the settings hold.
class tst_placement : public QObject {
    Q_OBJECT

private slots:
    // Twips: a 1280 x 1024 pixel screen is 19200 x 15360, a second one lies right of it; the default
    // window is 8985 x 8865. Every window lands wholly on the screen that shows most of it.
    void rule_data() {
        columns<P, bool, P>("stored", "secondScreen", "expected");
        const P centred{(19200 - 8985) / 2.0, (15360 - 8865) / 2.0, 8985, 8865};
        row("height under the minimum", P{0, 0, 9000, 2235}, false, P{0, 0, 8985, 8865});
        row("the minimum", P{0, 0, 3000, 2250}, false, P{0, 0, 3000, 2250});
        row("just past the right edge", P{19200, 0, 8985, 8865}, false, centred);
        row("partly off right and bottom", P{19185, 15345, 8985, 8865}, false, P{10215, 6495, 8985, 8865});
        row("partly off left and top", P{-100, -50, 8985, 8865}, false, P{0, 0, 8985, 8865});
        row("on the second screen", P{25000, 100, 8985, 8865}, true, P{25000, 100, 8985, 8865});
        row("across both, mostly the second", P{18000, 100, 8985, 8865}, true, P{19200, 100, 8985, 8865});
        row("beyond the second screen", P{38400, 100, 8985, 8865}, true, centred);
        row("larger than the screen, lost", P{99999, 99999, 30000, 30000}, false, P{0, 0, 19200, 15360});
        row("larger than the screen, on it", P{300, 300, 30000, 20000}, false, P{0, 0, 19200, 15360});
    }
    void rule() {
        QFETCH(P, stored);
        QFETCH(bool, secondScreen);
        const QRectF primary(0, 0, 19200, 15360);
        const QList<QRectF> screens{primary, QRectF(19200, 0, 19200, 15360)};
        QTEST(usablePlacement(stored, screens.mid(0, secondScreen ? 2 : 1), primary), "expected");
    }

    // The main window opens visible, in a state it knows, in a face it has; exit rewrites the placement
    // only from a normal window.
    void mainWindow_data() {
        columns<QStringList, int, QRect>("stored", "state", "frame"); // frame: empty when maximised
        const QStringList usable{"WindowLeft",   "1500",         "WindowTop",    "300",
                                 "WindowWidth",  "9000",         "WindowHeight", "7500",
                                 "FormFontName", "No Such Face", "FormFontSize", "0"};
        const QRect placed(100, 20, 600, 500), screen = QGuiApplication::primaryScreen()->availableGeometry();
        QRect centred(QPoint(), QSize(599, 591)); // the default size
        centred.moveCenter(QGuiApplication::primaryScreen()->geometry().center());
        row("negative left", usable + QStringList{"WindowLeft", "-900"}, 0, placed.translated(-100, 0));
        row("unknown state", usable + QStringList{"TheWindowState", "5"}, 0, placed);
        row("maximised", usable + QStringList{"TheWindowState", "2"}, 2, QRect());
        row("minimised", usable + QStringList{"TheWindowState", "1"}, 1, placed);
        row("size 0 by -500", QStringList{"WindowWidth", "0", "WindowHeight", "-500"}, 0, centred);
        row("far off every screen", QStringList{"WindowLeft", "999999999", "WindowTop", "999999999"}, 0,
            centred);
        row("partly off the right edge",
            usable + QStringList{"WindowLeft", QString::number((screen.right() - 50) * 15)}, 0,
            QRect(screen.right() + 1 - 600, 20, 600, 500));
    }
    void mainWindow() {
        QFETCH(QStringList, stored);
        QFETCH(int, state);
        QFETCH(QRect, frame);
        ConsoleFixture f;
        ConsoleFixture::store(stored);
        const QWidget& w = f.open(false);
        QVERIFY(w.isVisible());
        QCOMPARE(w.isMinimized() ? 1 : w.isMaximized() ? 2 : 0, state);
        const QRect shown = w.frameGeometry();
        if (frame.isValid()) {
            QCOMPARE(shown.size(), frame.size());
            QVERIFY2((shown.center() - frame.center()).manhattanLength() <= 2,
                     qPrintable(QString("%1,%2").arg(shown.x()).arg(shown.y())));
        }
        QCOMPARE(shownLook(f.pane()).face + QString::number(shownLook(f.pane()).size), "Courier New8");
        f.window.reset();
        const auto twips = [](int pixels) { return QString::number(platform::pixelsToTwips(pixels)); };
        QCOMPARE(QStringList({f.stored("TheWindowState"), f.stored("WindowLeft"), f.stored("WindowWidth")}),
                 QStringList({QString::number(state), state ? "1500" : twips(shown.left()),
                              state ? "9000" : twips(shown.width())}));
    }

    // The Players window opens wholly on the screen, wherever it was left, and over the main window
    // where it was never placed.
    void playersWindow_data() {
        columns<QString, QString>("left", "top");
        row("never placed", "-1", "-1");
        row("far right and down", "32767", "32767");
        row("far left and up", "-30000", "-30000");
        row("half off the right edge",
            QString::number(QGuiApplication::primaryScreen()->geometry().width() * 15 - 3000), "300");
    }
    void playersWindow() {
        QFETCH(QString, left);
        QFETCH(QString, top);
        ConsoleFixture f;
        ConsoleFixture::store({"PlayersLeft", left, "PlayersTop", top, "PlayersWidth", "30000"});
        f.open();
        f.action("mnuCommandsPlayers")->trigger();
        auto* players = f.window->findChild<frmPlayers*>("frmPlayers");
        QVERIFY(players && players->isVisible());
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        QVERIFY2(screen.contains(players->frameGeometry()),
                 qPrintable(QString("%1,%2 %3x%4")
                                .arg(players->frameGeometry().x())
                                .arg(players->frameGeometry().y())
                                .arg(players->frameGeometry().width())
                                .arg(players->frameGeometry().height())));
    }
};

QTEST_MAIN(tst_placement)
#include "tst_placement.moc"
