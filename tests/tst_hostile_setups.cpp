#include "ConsoleFixture.h"

#include <Placement.h>

#include <QScreen>
#include <QtTest>

#include <sys/stat.h>

using console::usablePlacement;
using console::WindowPlacement;

Q_DECLARE_METATYPE(WindowPlacement)

// Set-ups a hand-edited file, a crashed desktop or a hostile folder leave behind.
class tst_hostile_setups : public QObject {
    Q_OBJECT

private slots:
    // Twips: a 1280 x 1024 pixel screen is 19200 x 15360; the default window is 8985 x 8865. Sizes of
    // 0 and below and a position far beyond every screen are tried through the window below.
    void placement_data() {
        QTest::addColumn<WindowPlacement>("stored");
        QTest::addColumn<bool>("secondScreen"); // a second screen to the right of the first
        QTest::addColumn<WindowPlacement>("expected");
        const WindowPlacement centred{(19200 - 8985) / 2.0, (15360 - 8865) / 2.0, 8985, 8865};
        QTest::newRow("height under the minimum")
            << WindowPlacement{0, 0, 9000, 2235} << false << WindowPlacement{0, 0, 8985, 8865};
        QTest::newRow("the minimum") << WindowPlacement{0, 0, 3000, 2250} << false
                                     << WindowPlacement{0, 0, 3000, 2250};
        QTest::newRow("just past the right edge")
            << WindowPlacement{19200, 0, 8985, 8865} << false << centred;
        QTest::newRow("partly off right and bottom") << WindowPlacement{19185, 15345, 8985, 8865} << false
                                                     << WindowPlacement{19185, 15345, 8985, 8865};
        QTest::newRow("on the second screen")
            << WindowPlacement{25000, 100, 8985, 8865} << true << WindowPlacement{25000, 100, 8985, 8865};
        QTest::newRow("beyond the second screen")
            << WindowPlacement{38400, 100, 8985, 8865} << true << centred;
        QTest::newRow("larger than the screen, lost")
            << WindowPlacement{99999, 99999, 30000, 30000} << false << WindowPlacement{0, 0, 30000, 30000};
    }
    void placement() {
        QFETCH(WindowPlacement, stored);
        QFETCH(bool, secondScreen);
        const QRectF primary(0, 0, 19200, 15360);
        QList<QRectF> screens{primary};
        if (secondScreen)
            screens.append(QRectF(19200, 0, 19200, 15360));
        QTEST(usablePlacement(stored, screens, primary), "expected");
    }

    // The same through the window: it opens visible, at the default size, centred.
    void lostWindow_data() {
        QTest::addColumn<QString>("size");
        QTest::addColumn<QString>("position");
        QTest::newRow("size 0") << "0"
                                << "";
        QTest::newRow("size -500") << "-500"
                                   << "";
        QTest::newRow("position 999999999") << ""
                                            << "999999999";
    }
    void lostWindow() {
        QFETCH(QString, size);
        QFETCH(QString, position);
        ConsoleFixture f;
        for (const char* key : {"WindowWidth", "WindowHeight"})
            if (!size.isEmpty())
                f.store(key, size);
        for (const char* key : {"WindowLeft", "WindowTop"})
            if (!position.isEmpty())
                f.store(key, position);
        const QWidget& w = f.open(false);
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        QVERIFY(w.isVisible());
        QCOMPARE(w.frameGeometry().size(), QSize(599, 591)); // 8985 x 8865 twips
        QVERIFY(screen.intersects(w.frameGeometry()));
        if (!position.isEmpty()) {
            QVERIFY(qAbs(w.frameGeometry().center().x() - screen.center().x()) <= 1);
            QVERIFY(qAbs(w.frameGeometry().center().y() - screen.center().y()) <= 1);
        }
    }

    // A named pipe in place of the transcript: the exchange goes on, nothing waits for a reader, the
    // log menu stays off, and Ctrl+Q still ends the program.
    void pipeForLog() {
        ConsoleFixture f;
        QCOMPARE(::mkfifo(QFile::encodeName(f.programFile("vorlanix.log")).constData(), 0600), 0);
        f.store("EnableLogging", "True");
        console::frmMain& w = f.open();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QTest::keyClick(&w, Qt::Key_F5);
        QCOMPARE(f.peer.next(), rcon("pw", "status"));
        f.peer.reply("\xff\xff\xff\xffprint\nanswered\n");
        QTRY_VERIFY(f.paneText().contains("answered"));
        QVERIFY(!f.action("mnuFileLog")->isEnabled());
        QTest::keyClick(&w, Qt::Key_Q, Qt::ControlModifier);
        QTRY_VERIFY(!w.isVisible());
        QCOMPARE(f.stored("EnableLogging"), QString("True")); // the exit ran and saved
    }
};

QTEST_MAIN(tst_hostile_setups)
#include "tst_hostile_setups.moc"
