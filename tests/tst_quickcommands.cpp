#include "ConsoleFixture.h"

#include <frmSay.h>

#include <QPlainTextEdit>
#include <QPushButton>

using namespace console;

class tst_quickcommands : public QObject {
    Q_OBJECT

private slots:
    void quickCommand_data() {
        columns<QString, bool, QByteArray>("trigger", "fields", "command");
        row("Status button", "cmdServerStatus", true, QByteArray("status"));
        row("Get Server Status menu", "mnuCommandsStatus", true, QByteArray("status"));
        row("ServerInfo button", "cmdServerInfo", true, QByteArray("serverinfo"));
        row("Get Server Info menu", "mnuCommandsInfo", true, QByteArray("serverinfo"));
        row("empty fields: echoed all the same", "mnuCommandsStatus", false, QByteArray("status"));
    }
    void quickCommand() {
        QFETCH(QString, trigger);
        QFETCH(bool, fields);
        QFETCH(QByteArray, command);
        ConsoleFixture f;
        f.open(fields);
        if (trigger.startsWith("cmd"))
            QTest::mouseClick(f.find<QPushButton>(qPrintable(trigger)), Qt::LeftButton);
        else
            f.action(qPrintable(trigger))->trigger();
        QVERIFY(f.paneText().contains(":> " + QString::fromLatin1(command) + "\n"));
        QCOMPARE(f.peer.next(fields ? 3000 : 100), fields ? rcon("pw", command) : "<nothing>");
        QCOMPARE(f.box("cboCommand")->count(), 0); // quick commands stay out of the history
        QVERIFY(f.desktop.boxes.isEmpty());
    }

    // The menu mark, the timer and the stored setting follow each other whichever side switches.
    void autoQuery() {
        ConsoleFixture f;
        f.seams.queryInterval = 1ms;
        f.open();
        f.applyOptions([](AppSettings& s) { s.TimePeriod = 0; });
        QAction* item = f.action("mnuCommandsAutoQuery");
        // The mark, the timer, the setting.
        const auto state = [&] {
            return QList<bool>{item->isChecked(), f.session().autoQueryRunning(),
                               f.session().settings().AutoQuery};
        };
        const QList<bool> on(3, true), off(3, false);
        QCOMPARE(state(), off);
        item->trigger();
        QCOMPARE(state(), on);
        QCOMPARE(f.peer.next(), rcon("pw", "status"));
        QCOMPARE(f.peer.next(), rcon("pw", "status"));
        item->trigger();
        QCOMPARE(state(), off);
        f.applyOptions([](AppSettings& s) { s.AutoQuery = true; });
        QCOMPARE(state(), on);
        f.restart();
        item = f.action("mnuCommandsAutoQuery");
        QCOMPARE(state(), on);
    }

    void say_data() {
        columns<QString, QString, QString, QByteArray, QString>("previous", "typed", "close", "sent", "kept");
        row("OK sends the message", "", "hello all", "ok", QByteArray("say \"hello all\""), "hello all");
        row("typing replaces the offered text", "old", "new", "ok", QByteArray("say \"new\""), "new");
        row("OK on the offered text", "gg", "", "ok", QByteArray("say \"gg\""), "gg");
        row("Enter is the default button", "", "hi", "enter", QByteArray("say \"hi\""), "hi");
        row("Cancel after editing", "old", "new", "cancel", QByteArray(), "old");
        row("closed from the frame", "old", "new", "frame", QByteArray(), "old");
        row("confirmed empty", "old", "\b", "ok", QByteArray(), "");
        row("quotes inside go as typed", "", "he said \"go\"", "ok", QByteArray("say \"he said \"go\"\""),
            "he said \"go\"");
        row("blanks kept untrimmed", "", " gl hf ", "ok", QByteArray("say \" gl hf \""), " gl hf ");
    }
    void say() {
        QFETCH(QString, previous);
        QFETCH(QString, typed);
        QFETCH(QString, close);
        QFETCH(QByteArray, sent);
        QFETCH(QString, kept);
        ConsoleFixture f;
        f.open();
        // Opens Say from its button, types and closes the dialog as told; gives back the text offered
        // and the part of it selected.
        const auto runSay = [&](const QString& keys, const QString& how) {
            QString offered;
            whenModal<frmSay>([&](frmSay* d) {
                auto* text = d->findChild<QPlainTextEdit*>("Text1");
                offered = text->toPlainText() + '|' + text->textCursor().selectedText();
                QTest::keyClicks(text, keys);
                if (how == "enter")
                    QTest::keyClick(text, Qt::Key_Return);
                else if (how == "frame")
                    d->close();
                else
                    QTest::mouseClick(d->findChild<QPushButton*>(how == "ok" ? "cmdOK" : "cmdCancel"),
                                      Qt::LeftButton);
            });
            QTest::mouseClick(f.find<QPushButton>("cmdSay"), Qt::LeftButton);
            return offered;
        };
        if (!previous.isEmpty()) {
            runSay(previous, "ok");
            QCOMPARE(f.peer.next(), rcon("pw", "say \"" + previous.toLatin1() + "\""));
        }
        QCOMPARE(runSay(typed, close), previous + '|' + previous);
        // A status sent afterwards shows whether the say went out before it.
        f.action("mnuCommandsStatus")->trigger();
        if (!sent.isEmpty())
            QCOMPARE(f.peer.next(), rcon("pw", sent));
        QCOMPARE(f.peer.next(), rcon("pw", "status"));
        QCOMPARE(runSay("", "frame"), kept + '|' + kept);
    }
};

QTEST_MAIN(tst_quickcommands)
#include "tst_quickcommands.moc"
