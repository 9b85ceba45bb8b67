#include "ConsoleFixture.h"

#include <frmSay.h>

#include <sys/stat.h>

using namespace console;
using namespace Qt::StringLiterals;

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
        QSignalSpy said(&f.session(), &ConsoleSession::statusText);
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QTest::keyClick(&w, Qt::Key_F5);
        QCOMPARE(f.peer.next(), rcon("pw", "status"));
        f.peer.reply("\xff\xff\xff\xffprint\nanswered\n");
        QTRY_VERIFY(f.paneText().contains("answered"));
        QVERIFY(!f.action("mnuFileLog")->isEnabled());
        // Said once, with the path and the reason, however many entries are lost.
        QCOMPARE(said.size(), 1);
        QCOMPARE(f.find<QLabel>("lblStatus")->text(), "The console log is not being kept: cannot write " +
                                                          logPath() + ": it is not a regular file");
        QTest::keyClick(&w, Qt::Key_Q, Qt::ControlModifier);
        QTRY_VERIFY(!w.isVisible());
        QCOMPARE(f.stored("EnableLogging"), QString("True")); // the exit ran and saved
    }

    // A settings file that cannot be read is said at start and kept aside before the exit writes; one that
    // cannot be written is said at exit. Either way the box names the path and the reason.
    void settingsFile_data() {
        columns<QString, QString, QString>("damage", "atStart", "atExit");
        row("not text", QString("not text"),
            QString("cannot be read: it is not text. A copy of the file will be kept"),
            QString("could not be read at start, so it was kept as %1.unreadable-"));
        row("its folder is a file", QString("its folder is a file"), QString(),
            QString("The settings were not saved: cannot write %1: the folder"));
        row("a folder in its place", QString("a folder in its place"), QString("cannot read %1"),
            QString("The settings were not saved: cannot read %1"));
    }
    void settingsFile() {
        QFETCH(QString, damage);
        QFETCH(QString, atStart);
        QFETCH(QString, atExit);
        ConsoleFixture f;
        const QString file = platform::SettingsStore().fileName(), folder = QFileInfo(file).path();
        const auto cleanUp = qScopeGuard([&] {
            QFile::remove(folder);
            QDir(folder).removeRecursively();
        });
        QDir(folder).removeRecursively();
        if (damage == "its folder is a file")
            QVERIFY(QFile(folder).open(QIODevice::WriteOnly));
        else if (damage == "a folder in its place")
            QVERIFY(QDir().mkpath(file));
        else {
            QVERIFY(QDir().mkpath(folder));
            QFile garbage(file);
            QVERIFY(garbage.open(QIODevice::WriteOnly) && garbage.write("\xff\xfe\x01[x]") > 0);
        }
        f.open(false);
        const QString status = f.find<QLabel>("lblStatus")->text();
        QVERIFY2(atStart.isEmpty() ? status.isEmpty() : status.contains(atStart.arg(file)),
                 qPrintable(status));
        f.window.reset();
        QCOMPARE(f.desktop.boxes.size(), 1);
        QVERIFY2(f.desktop.boxes[0].text.contains(atExit.arg(file)), qPrintable(f.desktop.boxes[0].text));
        if (damage == "not text") // the copy holds the old bytes, the file the console's settings
            QCOMPARE(f.stored("CurrentPort"), QString("27960"));
    }
};

QTEST_MAIN(tst_hostile_setups)
#include "tst_hostile_setups.moc"
