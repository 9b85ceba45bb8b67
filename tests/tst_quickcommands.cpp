#include "ConsoleFixture.h"

#include <frmSay.h>

#include <QPlainTextEdit>
#include <QPushButton>

using namespace console;
using namespace Qt::StringLiterals;

class tst_quickcommands : public QObject {
    Q_OBJECT

private slots:
    // The menu mark, the timer and the stored setting follow each other whichever side switches.
    void autoQuery() {
        ConsoleFixture f;
        f.seams.queryInterval = 1ms;
        f.open();
        f.applyOptions([](AppSettings& s) { s.TimePeriod = 0; });
        const auto state = [&] {
            return QString("%1%2%3")
                .arg(f.action("mnuCommandsAutoQuery")->isChecked())
                .arg(f.session().autoQueryRunning())
                .arg(f.session().settings().AutoQuery);
        };
        QCOMPARE(state(), "000");
        f.action("mnuCommandsAutoQuery")->trigger();
        QCOMPARE(state(), "111");
        QCOMPARE(f.peer.next(), rcon("pw", "status"));
        QCOMPARE(f.peer.next(), rcon("pw", "status"));
        f.action("mnuCommandsAutoQuery")->trigger();
        QCOMPARE(state(), "000");
        f.applyOptions([](AppSettings& s) { s.AutoQuery = true; });
        QCOMPARE(state(), "111");
        f.restart();
        QCOMPARE(state(), "111");
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
};

QTEST_MAIN(tst_quickcommands)
#include "tst_quickcommands.moc"
