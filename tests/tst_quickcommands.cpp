#include "ConsoleFixture.h"

#include <ConsolePane.h>
#include <frmOptions.h>
#include <frmSay.h>

#include <QAction>
#include <QCheckBox>
#include <QPlainTextEdit>
#include <QPushButton>

using console::basMain;

class tst_quickcommands : public QObject {
    Q_OBJECT

    // Counts the real ticks of tmrMain and notes the ticks at which the automatic status went out.
    struct TickLog {
        int ticks = 0;
        int stopAt = -1;
        QList<int> fired;
    };
    static void watchTicks(console::frmMain& w, TickLog& log) {
        // Connected after the window's own handler, so it sees each tick's result.
        QObject::connect(w.tmrMain, &QTimer::timeout, w.tmrMain, [&w, &log] {
            ++log.ticks;
            if (basMain().QueryTicks == 0)
                log.fired.append(log.ticks);
            if (log.ticks == log.stopAt)
                w.tmrMain->stop();
        });
        w.tmrMain->setInterval(0); // the one seam: a tick as fast as the event loop turns
    }

private slots:
    void quickCommand_data() {
        QTest::addColumn<QString>("trigger");
        QTest::addColumn<QByteArray>("command");
        QTest::newRow("Status button") << "cmdServerStatus" << QByteArray("status");
        QTest::newRow("Get Server Status menu") << "mnuCommandsStatus" << QByteArray("status");
        QTest::newRow("ServerInfo button") << "cmdServerInfo" << QByteArray("serverinfo");
        QTest::newRow("Get Server Info menu") << "mnuCommandsInfo" << QByteArray("serverinfo");
    }
    void quickCommand() {
        QFETCH(QString, trigger);
        QFETCH(QByteArray, command);
        ConsoleFixture f;
        auto& w = f.open();
        const int historyBefore = w.cboCommand->count();
        if (trigger == "cmdServerStatus")
            QTest::mouseClick(w.cmdServerStatus, Qt::LeftButton);
        else if (trigger == "cmdServerInfo")
            QTest::mouseClick(w.cmdServerInfo, Qt::LeftButton);
        else if (trigger == "mnuCommandsStatus")
            w.mnuCommandsStatus->trigger();
        else
            w.mnuCommandsInfo->trigger();
        QTRY_COMPARE(f.peer.received.size(), 1);
        QCOMPARE(f.peer.received.first(), LoopbackPeer::rcon("pw", command));
        QVERIFY(w.txtOutput->toPlainText().contains(":> " + QString::fromLatin1(command)));
        QCOMPARE(w.cboCommand->count(), historyBefore); // quick commands stay out of the history
    }

    void quickCommandWithEmptyFieldsStillEchoes() {
        ConsoleFixture f;
        auto& w = f.open();
        w.cboAddr->setEditText(QString());
        w.txtPassword->clear();
        w.mnuCommandsStatus->trigger();
        QVERIFY(w.txtOutput->toPlainText().contains(":> status"));
        QVERIFY(f.desktop.boxes.isEmpty());
    }

    void autoQueryPeriod_data() {
        QTest::addColumn<int>("period");
        QTest::addColumn<int>("scale");
        QTest::addColumn<int>("run");
        QTest::addColumn<QList<int>>("fired");
        QTest::newRow("period 0: every tick") << 0 << 60 << 4 << QList<int>{1, 2, 3, 4};
        QTest::newRow("1 second") << 1 << 1 << 3 << QList<int>{1, 2, 3};
        QTest::newRow("1 minute") << 1 << 60 << 121 << QList<int>{60, 120};
        QTest::newRow("defaults, 5 minutes") << 5 << 60 << 601 << QList<int>{300, 600};
        QTest::newRow("600 minutes") << 600 << 60 << 36001 << QList<int>{36000};
    }
    void autoQueryPeriod() {
        QFETCH(int, period);
        QFETCH(int, scale);
        QFETCH(int, run);
        QFETCH(QList<int>, fired);
        ConsoleFixture f;
        auto& w = f.open();
        basMain().settings.TimePeriod = qint16(period);
        basMain().settings.TimeScale = qint16(scale);
        TickLog log;
        log.stopAt = run;
        watchTicks(w, log);
        w.mnuCommandsAutoQuery->trigger();
        QVERIFY(w.tmrMain->isActive());
        QTRY_VERIFY_WITH_TIMEOUT(!w.tmrMain->isActive(), 60000);
        QCOMPARE(log.ticks, run);
        QCOMPARE(log.fired, fired);
        QTRY_COMPARE(f.peer.received.size(), fired.size());
        for (const QByteArray& d : f.peer.received)
            QCOMPARE(d, LoopbackPeer::rcon("pw", "status"));
    }

    void autoQueryOffAfter200Ticks() {
        ConsoleFixture f;
        auto& w = f.open();
        TickLog log;
        log.stopAt = 200;
        watchTicks(w, log);
        w.mnuCommandsAutoQuery->trigger();
        QTRY_VERIFY(!w.tmrMain->isActive());
        QCOMPARE(basMain().QueryTicks, 200);
        w.mnuCommandsAutoQuery->trigger(); // the menu still shows it on: this switches it off
        QVERIFY(!w.mnuCommandsAutoQuery->isChecked());
        QVERIFY(!basMain().settings.AutoQuery);
        QVERIFY(!w.tmrMain->isActive());
        QTest::qWait(30);
        QCOMPARE(basMain().QueryTicks, 200); // kept while off
        w.mnuCommandsAutoQuery->trigger();
        QVERIFY(w.mnuCommandsAutoQuery->isChecked());
        QVERIFY(basMain().settings.AutoQuery);
        log.stopAt = 300;
        QTRY_VERIFY(!w.tmrMain->isActive());
        QCOMPARE(log.fired, QList<int>{300}); // 100 ticks after switching on again
    }

    void shorteningThePeriodFiresAtNextTick() {
        ConsoleFixture f;
        auto& w = f.open();
        TickLog log;
        log.stopAt = 200;
        watchTicks(w, log);
        w.mnuCommandsAutoQuery->trigger();
        QTRY_VERIFY(!w.tmrMain->isActive());
        QCOMPARE(basMain().QueryTicks, 200);

        console::frmOptions options(f.desktop, w.tmrMain, w.mnuCommandsAutoQuery, &w);
        options.ckQueryStat->setChecked(true);
        options.txtMinutes->setText("1");
        log.stopAt = 201;
        options.cmdApply_Click();
        QTRY_VERIFY(!w.tmrMain->isActive());
        QCOMPARE(log.fired, QList<int>{201});
        QTRY_COMPARE(f.peer.received.size(), 1);
    }

    void autoQueryStoredOnStartsTimer() {
        ConsoleFixture f;
        {
            platform::SettingsStore store;
            store.write(console::kSettingsSection, "AutoQuery", "True");
            store.sync();
        }
        auto& w = f.open();
        QVERIFY(w.tmrMain->isActive());
        QCOMPARE(w.tmrMain->interval(), 1000);
        QVERIFY(w.mnuCommandsAutoQuery->isChecked());
    }

    void say_data() {
        QTest::addColumn<QString>("previous");
        QTest::addColumn<bool>("clear");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("close");   // ok, enter, cancel, frame
        QTest::addColumn<QByteArray>("sent"); // empty: nothing
        QTest::addColumn<QString>("kept");
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
        auto& w = f.open();
        basMain().SayText = previous;
        QString offered, offeredSelection;
        whenModal<console::frmSay>([&](console::frmSay* d) {
            offered = d->Text1->toPlainText();
            offeredSelection = d->Text1->textCursor().selectedText();
            if (clear)
                QTest::keyClick(d->Text1, Qt::Key_Backspace);
            if (!typed.isEmpty())
                QTest::keyClicks(d->Text1, typed);
            if (close == "ok")
                QTest::mouseClick(d->cmdOK, Qt::LeftButton);
            else if (close == "enter")
                QTest::keyClick(d->Text1, Qt::Key_Return);
            else if (close == "cancel")
                QTest::mouseClick(d->cmdCancel, Qt::LeftButton);
            else
                d->close();
        });
        QTest::mouseClick(w.cmdSay, Qt::LeftButton);
        QCOMPARE(offered, previous);
        QCOMPARE(offeredSelection, previous);
        QCOMPARE(basMain().SayText, kept);
        QVERIFY(!basMain().SayConfirmed);
        // A status sent afterwards shows whether the say went out before it.
        w.mnuCommandsStatus_Click();
        const int expected = sent.isEmpty() ? 1 : 2;
        QTRY_COMPARE(f.peer.received.size(), expected);
        if (!sent.isEmpty())
            QCOMPARE(f.peer.received.first(), LoopbackPeer::rcon("pw", sent));
        QCOMPARE(f.peer.received.last(), LoopbackPeer::rcon("pw", "status"));
    }

    void sayOffersLastConfirmedNextTime() {
        ConsoleFixture f;
        auto& w = f.open();
        whenModal<console::frmSay>([](console::frmSay* d) {
            QTest::keyClicks(d->Text1, "first");
            QTest::mouseClick(d->cmdOK, Qt::LeftButton);
        });
        w.cmdSay_Click();
        QString offered;
        whenModal<console::frmSay>([&](console::frmSay* d) {
            offered = d->Text1->toPlainText();
            QTest::keyClicks(d->Text1, "second");
            QTest::mouseClick(d->cmdCancel, Qt::LeftButton);
        });
        w.cmdSay_Click();
        QCOMPARE(offered, QString("first"));
        QCOMPARE(basMain().SayText, QString("first"));
        QTRY_COMPARE(f.peer.received.size(), 1);
        QCOMPARE(f.peer.received.first(), LoopbackPeer::rcon("pw", "say \"first\""));
    }
};

QTEST_MAIN(tst_quickcommands)
#include "tst_quickcommands.moc"
