#include "ConsoleFixture.h"

#include <frmSay.h>

#include <QPlainTextEdit>
#include <QPushButton>

using namespace console;

class tst_quickcommands : public QObject {
    Q_OBJECT

private slots:
    void quickCommand_data() {
        QTest::addColumn<QString>("trigger");
        QTest::addColumn<bool>("fields");
        QTest::addColumn<QByteArray>("command");
        QTest::newRow("Status button") << "cmdServerStatus" << true << QByteArray("status");
        QTest::newRow("Get Server Status menu") << "mnuCommandsStatus" << true << QByteArray("status");
        QTest::newRow("ServerInfo button") << "cmdServerInfo" << true << QByteArray("serverinfo");
        QTest::newRow("Get Server Info menu") << "mnuCommandsInfo" << true << QByteArray("serverinfo");
        QTest::newRow("empty fields: echoed all the same")
            << "mnuCommandsStatus" << false << QByteArray("status");
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

    void autoQueryFromMenuAndStore() {
        ConsoleFixture f;
        f.seams.queryInterval = 1ms;
        f.open();
        f.applyOptions([](AppSettings& s) { s.TimePeriod = 0; });
        QAction* item = f.action("mnuCommandsAutoQuery");
        QVERIFY(!item->isChecked());
        item->trigger();
        QVERIFY(item->isChecked() && f.session().autoQueryRunning() && f.session().settings().AutoQuery);
        QCOMPARE(f.peer.next(), rcon("pw", "status"));
        QCOMPARE(f.peer.next(), rcon("pw", "status"));
        item->trigger();
        QVERIFY(!item->isChecked() && !f.session().autoQueryRunning() && !f.session().settings().AutoQuery);
        // Stored on, it runs from the start with its mark set.
        item->trigger();
        f.restart();
        QVERIFY(f.action("mnuCommandsAutoQuery")->isChecked() && f.session().autoQueryRunning());
    }

    void say_data() {
        QTest::addColumn<QString>("previous");
        QTest::addColumn<bool>("clear");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("close");   // ok, enter, cancel, frame
        QTest::addColumn<QByteArray>("sent"); // empty: nothing
        QTest::addColumn<QString>("kept");    // offered next time
        QTest::newRow("OK sends the message") << "" << false << "hello all"
                                              << "ok" << QByteArray("say \"hello all\"") << "hello all";
        QTest::newRow("typing replaces the offered text") << "old" << false << "new"
                                                          << "ok" << QByteArray("say \"new\"") << "new";
        QTest::newRow("OK on the offered text") << "gg" << false << ""
                                                << "ok" << QByteArray("say \"gg\"") << "gg";
        QTest::newRow("Enter is the default button") << "" << false << "hi"
                                                     << "enter" << QByteArray("say \"hi\"") << "hi";
        QTest::newRow("Cancel after editing") << "old" << false << "new"
                                              << "cancel" << QByteArray() << "old";
        QTest::newRow("closed from the frame") << "old" << false << "new"
                                               << "frame" << QByteArray() << "old";
        QTest::newRow("confirmed empty") << "old" << true << ""
                                         << "ok" << QByteArray() << "";
        QTest::newRow("quotes inside go as typed")
            << "" << false << "he said \"go\""
            << "ok" << QByteArray("say \"he said \"go\"\"") << "he said \"go\"";
        QTest::newRow("blanks kept untrimmed") << "" << false << " gl hf "
                                               << "ok" << QByteArray("say \" gl hf \"") << " gl hf ";
    }
    void say() {
        QFETCH(QString, previous);
        QFETCH(bool, clear);
        QFETCH(QString, typed);
        QFETCH(QString, close);
        QFETCH(QByteArray, sent);
        QFETCH(QString, kept);
        ConsoleFixture f;
        f.open();
        const auto runSay = [&](const std::function<void(frmSay*, QPlainTextEdit*)>& act) {
            whenModal<frmSay>([&](frmSay* d) { act(d, d->findChild<QPlainTextEdit*>("Text1")); });
            QTest::mouseClick(f.find<QPushButton>("cmdSay"), Qt::LeftButton);
        };
        if (!previous.isEmpty()) {
            runSay([&](frmSay* d, QPlainTextEdit* text) {
                QTest::keyClicks(text, previous);
                d->findChild<QPushButton*>("cmdOK")->click();
            });
            QCOMPARE(f.peer.next(), rcon("pw", "say \"" + previous.toLatin1() + "\""));
        }
        QString offered, selected;
        runSay([&](frmSay* d, QPlainTextEdit* text) {
            offered = text->toPlainText();
            selected = text->textCursor().selectedText();
            if (clear)
                QTest::keyClick(text, Qt::Key_Backspace);
            QTest::keyClicks(text, typed);
            if (close == "ok")
                QTest::mouseClick(d->findChild<QPushButton*>("cmdOK"), Qt::LeftButton);
            else if (close == "enter")
                QTest::keyClick(text, Qt::Key_Return);
            else if (close == "cancel")
                QTest::mouseClick(d->findChild<QPushButton*>("cmdCancel"), Qt::LeftButton);
            else
                d->close();
        });
        QCOMPARE(offered, previous);
        QCOMPARE(selected, previous);
        // A status sent afterwards shows whether the say went out before it.
        f.action("mnuCommandsStatus")->trigger();
        if (!sent.isEmpty())
            QCOMPARE(f.peer.next(), rcon("pw", sent));
        QCOMPARE(f.peer.next(), rcon("pw", "status"));
        runSay([&](frmSay* d, QPlainTextEdit* text) {
            offered = text->toPlainText();
            d->reject();
        });
        QCOMPARE(offered, kept);
    }
};

QTEST_MAIN(tst_quickcommands)
#include "tst_quickcommands.moc"
