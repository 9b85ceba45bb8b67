#include "ConsoleFixture.h"

#include <Placement.h>
#include <Twips.h>
#include <frmSay.h>

#include <sys/stat.h>

using namespace console;
using namespace Qt::StringLiterals;
using P = WindowPlacement;

Q_DECLARE_METATYPE(WindowPlacement)

// Quick commands, and set-ups a hand-edited file, a crashed desktop or a hostile folder leave behind.
class tst_hostile_setups : public QObject {
    Q_OBJECT

private slots:
    // The menu mark, the timer and the stored setting follow each other whichever side switches.
    void autoQuery() {
        ConsoleFixture f;
        f.seams.queryInterval = 1ms;
        f.open();
        f.applyOptions([](AppSettings& s) { s.TimePeriod = 0; });
        const auto state = [&] {
            return QList<bool>{f.action("mnuCommandsAutoQuery")->isChecked(), f.session().autoQueryRunning(),
                               f.session().settings().AutoQuery};
        };
        QCOMPARE(state(), QList<bool>(3, false));
        f.action("mnuCommandsAutoQuery")->trigger();
        QCOMPARE(state(), QList<bool>(3, true));
        QCOMPARE(f.peer.next(), rcon("pw", "status"));
        QCOMPARE(f.peer.next(), rcon("pw", "status"));
        f.action("mnuCommandsAutoQuery")->trigger();
        QCOMPARE(state(), QList<bool>(3, false));
        f.applyOptions([](AppSettings& s) { s.AutoQuery = true; });
        QCOMPARE(state(), QList<bool>(3, true));
        f.restart();
        QCOMPARE(state(), QList<bool>(3, true));
    }

    // Say offers the last text said, all selected; only a confirmed text is said and kept, as typed.
    void say_data() {
        columns<QString, QString, QString, QByteArray, QString>("previous", "typed", "close", "sent", "kept");
        row("typing replaces the offered text", "old", "new", "cmdOK", "say \"new\""_ba, "new");
        row("Enter is the default button", "", "hi", "enter", "say \"hi\""_ba, "hi");
        row("Cancel after editing", "old", "new", "cmdCancel", ""_ba, "old");
        row("closed from the frame", "old", "new", "frame", ""_ba, "old");
        row("confirmed empty", "old", "\b", "cmdOK", ""_ba, "");
        row("quotes and blanks", "", " he said \"go\" ", "cmdOK", "say \" he said \"go\" \""_ba,
            " he said \"go\" ");
    }
    void say() {
        QFETCH(QString, previous);
        QFETCH(QString, typed);
        QFETCH(QString, close);
        QFETCH(QByteArray, sent);
        QFETCH(QString, kept);
        ConsoleFixture f;
        f.open();
        // Types into the dialog and closes it as told; gives back the text offered and its selected part.
        const auto runSay = [&](const QString& keys, const QString& how) {
            QString offered;
            whenModal<frmSay>([&](frmSay* d) {
                auto* text = d->findChild<QPlainTextEdit*>("Text1");
                offered = text->toPlainText() + '|' + text->textCursor().selectedText();
                QTest::keyClicks(text, keys);
                if (how == "frame")
                    d->close();
                else
                    how == "enter" ? QTest::keyClick(text, Qt::Key_Return)
                                   : QTest::mouseClick(d->findChild<QWidget*>(how), Qt::LeftButton);
            });
            QTest::mouseClick(f.find<QPushButton>("cmdSay"), Qt::LeftButton);
            return offered;
        };
        if (!previous.isEmpty()) {
            runSay(previous, "cmdOK");
            QCOMPARE(f.peer.next(), rcon("pw", "say \"" + previous.toLatin1() + "\""));
        }
        QCOMPARE(runSay(typed, close), previous + '|' + previous);
        QCOMPARE(f.peer.next(sent.isEmpty() ? 100 : 5000),
                 sent.isEmpty() ? "<nothing>"_ba : rcon("pw", sent));
        QCOMPARE(runSay("", "frame"), kept + '|' + kept);
    }

    // Twips: a 1280 x 1024 pixel screen is 19200 x 15360; the default window is 8985 x 8865. Sizes of
    // 0 and below and a position far beyond every screen are tried through the window below.
    void placement_data() {
        columns<P, bool, P>("stored", "secondScreen", "expected"); // a second screen right of the first
        const P centred{(19200 - 8985) / 2.0, (15360 - 8865) / 2.0, 8985, 8865};
        row("height under the minimum", P{0, 0, 9000, 2235}, false, P{0, 0, 8985, 8865});
        row("the minimum", P{0, 0, 3000, 2250}, false, P{0, 0, 3000, 2250});
        row("just past the right edge", P{19200, 0, 8985, 8865}, false, centred);
        row("partly off right and bottom", P{19185, 15345, 8985, 8865}, false, P{19185, 15345, 8985, 8865});
        row("on the second screen", P{25000, 100, 8985, 8865}, true, P{25000, 100, 8985, 8865});
        row("beyond the second screen", P{38400, 100, 8985, 8865}, true, centred);
        row("larger than the screen, lost", P{99999, 99999, 30000, 30000}, false, P{0, 0, 30000, 30000});
    }
    void placement() {
        QFETCH(P, stored);
        QFETCH(bool, secondScreen);
        const QRectF primary(0, 0, 19200, 15360);
        const QList<QRectF> screens{primary, QRectF(19200, 0, 19200, 15360)};
        QTEST(usablePlacement(stored, screens.mid(0, secondScreen ? 2 : 1), primary), "expected");
    }

    // The window opens visible, in a state it knows, in a face it has; exit rewrites the placement
    // only from a normal window.
    void storedWindow_data() {
        columns<QStringList, int, QRect>("stored", "state", "frame"); // frame: empty when maximised
        const QStringList usable{"WindowLeft",   "1500",         "WindowTop",    "300",
                                 "WindowWidth",  "9000",         "WindowHeight", "7500",
                                 "FormFontName", "No Such Face", "FormFontSize", "0"};
        const QRect placed(100, 20, 600, 500);
        QRect centred(QPoint(), QSize(599, 591)); // the default size
        centred.moveCenter(QGuiApplication::primaryScreen()->geometry().center());
        row("negative left", usable + QStringList{"WindowLeft", "-900"}, 0, placed.translated(-100, 0));
        row("unknown state", usable + QStringList{"TheWindowState", "5"}, 0, placed);
        row("maximised", usable + QStringList{"TheWindowState", "2"}, 2, QRect());
        row("minimised", usable + QStringList{"TheWindowState", "1"}, 1, placed);
        row("size 0 by -500", QStringList{"WindowWidth", "0", "WindowHeight", "-500"}, 0, centred);
        row("far off every screen", QStringList{"WindowLeft", "999999999", "WindowTop", "999999999"}, 0,
            centred);
    }
    void storedWindow() {
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

    // A named pipe or a folder in place of the transcript: the exchange goes on, nothing waits for a
    // reader, the log menu stays off, and Ctrl+Q still ends the program.
    void logIsNoFile_data() {
        columns<bool>("pipe");
        row("named pipe", true);
        row("folder", false);
    }
    void logIsNoFile() {
        QFETCH(bool, pipe);
        ConsoleFixture f;
        const QByteArray path = QFile::encodeName(logPath());
        QCOMPARE(pipe ? ::mkfifo(path.constData(), 0600) : ::mkdir(path.constData(), 0700), 0);
        f.store("EnableLogging", "True");
        frmMain& w = f.open();
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
