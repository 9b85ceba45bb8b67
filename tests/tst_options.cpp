#include "ConsoleFixture.h"

#include <OptionsRules.h>
#include <frmOptions.h>

#include <QAction>
#include <QCheckBox>
#include <QPushButton>

using console::basMain;
using console::frmOptions;

class tst_options : public QObject {
    Q_OBJECT
private slots:
    void minutesRules_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message"); // empty: accepted
        QTest::addColumn<QString>("corrected");
        QTest::newRow("empty") << ""
                               << "Minutes must be numeric."
                               << "5";
        QTest::newRow("letters") << "abc"
                                 << "Minutes must be numeric."
                                 << "5";
        QTest::newRow("lone minus") << "-"
                                    << "Minutes must be numeric."
                                    << "5";
        QTest::newRow("40000") << "40000"
                               << "Minutes must be less than 32000."
                               << "32000";
        QTest::newRow("32001") << "32001"
                               << "Minutes must be less than 32000."
                               << "32000";
        QTest::newRow("beyond 32 bits") << "1e10"
                                        << "Minutes must be less than 32000."
                                        << "32000";
        QTest::newRow("beyond a double") << "1e400"
                                         << "Minutes must be less than 32000."
                                         << "32000";
        QTest::newRow("-3") << "-3"
                            << "Minutes must be no less than 0."
                            << "0";
        QTest::newRow("below 32 bits") << "-1e10"
                                       << "Minutes must be no less than 0."
                                       << "0";
        QTest::newRow("0") << "0"
                           << ""
                           << "";
        QTest::newRow("32000") << "32000"
                               << ""
                               << "";
        QTest::newRow("32000.5 rounds to even") << "32000.5"
                                                << ""
                                                << "";
        QTest::newRow("-0.4 rounds to 0") << "-0.4"
                                          << ""
                                          << "";
        QTest::newRow("fraction") << "2.5"
                                  << ""
                                  << "";
    }
    void minutesRules() {
        QFETCH(QString, text);
        QFETCH(QString, message);
        QFETCH(QString, corrected);
        const console::MinutesCheck check = console::checkMinutes(text);
        QCOMPARE(check.valid, message.isEmpty());
        QCOMPARE(check.message, message);
        QCOMPARE(check.corrected, corrected);
    }

    void formLoad_data() {
        QTest::addColumn<int>("hide");
        QTest::addColumn<int>("period");
        QTest::addColumn<int>("scale");
        QTest::addColumn<bool>("timerOn");
        QTest::addColumn<bool>("logging");
        QTest::addColumn<bool>("autoComplete");
        QTest::addColumn<bool>("savePwd");
        QTest::addColumn<QString>("unit");
        QTest::newRow("defaults") << 0 << 5 << 60 << false << false << true << false << "Minutes";
        QTest::newRow("all on, seconds") << 1 << 30 << 1 << true << true << false << true << "Seconds";
        QTest::newRow("odd scale means minutes")
            << 0 << 7 << 2 << true << false << true << false << "Minutes";
    }
    void formLoad() {
        QFETCH(int, hide);
        QFETCH(int, period);
        QFETCH(int, scale);
        QFETCH(bool, timerOn);
        QFETCH(bool, logging);
        QFETCH(bool, autoComplete);
        QFETCH(bool, savePwd);
        QFETCH(QString, unit);
        ConsoleFixture f;
        auto& w = f.open();
        auto& s = basMain().settings;
        s.HideFunNameCodes = qint16(hide);
        s.TimePeriod = qint16(period);
        s.TimeScale = qint16(scale);
        s.EnableLogging = logging;
        s.UseAutoComplete = autoComplete;
        s.SavePassword = savePwd;
        s.AutoQuery = !timerOn; // the dialog shows the timer, not the field
        if (timerOn)
            w.tmrMain->start();
        frmOptions d(f.desktop, w.tmrMain, w.mnuCommandsAutoQuery, &w);
        QCOMPARE(d.ckHideColorTags->isChecked(), hide == 1);
        QCOMPARE(d.txtMinutes->text(), QString::number(period));
        QCOMPARE(d.cboTimePeriod->currentText(), unit);
        QCOMPARE(d.ckQueryStat->isChecked(), timerOn);
        QCOMPARE(d.ckLog->isChecked(), logging);
        QCOMPARE(d.ckEnableAutoComplete->isChecked(), autoComplete);
        QCOMPARE(d.ckSavePwd->isChecked(), savePwd);
        QCOMPARE(d.txtMinutes->isEnabled(), timerOn);
        QCOMPARE(d.cboTimePeriod->isEnabled(), timerOn);
        QVERIFY(!d.cmdApply->isEnabled());
        QVERIFY(!d.cmdShowThemes->isEnabled());
        QVERIFY(f.desktop.boxes.isEmpty());
    }

    void apply_data() {
        QTest::addColumn<bool>("hide");
        QTest::addColumn<bool>("logging");
        QTest::addColumn<bool>("savePwd");
        QTest::addColumn<bool>("autoComplete");
        QTest::addColumn<bool>("query");
        QTest::addColumn<QString>("minutes");
        QTest::addColumn<QString>("unit");
        QTest::addColumn<int>("period");
        QTest::addColumn<int>("scale");
        QTest::newRow("seconds, 30") << true << true << true << false << true << "30"
                                     << "Seconds" << 30 << 1;
        QTest::newRow("unit typed differently") << false << false << false << true << true << "30"
                                                << "seconds" << 30 << 60;
        QTest::newRow("2.5 applies as 2") << false << true << false << true << true << "2.5"
                                          << "Minutes" << 2 << 60;
        QTest::newRow("3.5 applies as 4") << false << true << false << true << true << "3.5"
                                          << "Minutes" << 4 << 60;
        QTest::newRow("auto-query off") << true << false << true << true << false << "10"
                                        << "Minutes" << 10 << 60;
    }
    void apply() {
        QFETCH(bool, hide);
        QFETCH(bool, logging);
        QFETCH(bool, savePwd);
        QFETCH(bool, autoComplete);
        QFETCH(bool, query);
        QFETCH(QString, minutes);
        QFETCH(QString, unit);
        QFETCH(int, period);
        QFETCH(int, scale);
        ConsoleFixture f;
        auto& w = f.open();
        if (!query) {
            w.mnuCommandsAutoQuery_Click(); // on, so that Apply has something to switch off
            QVERIFY(w.tmrMain->isActive());
        }
        basMain().QueryTicks = 17;
        frmOptions d(f.desktop, w.tmrMain, w.mnuCommandsAutoQuery, &w);
        d.ckHideColorTags->setChecked(hide);
        d.ckLog->setChecked(logging);
        d.ckSavePwd->setChecked(savePwd);
        d.ckEnableAutoComplete->setChecked(autoComplete);
        d.ckQueryStat->setChecked(query);
        d.txtMinutes->setText(minutes);
        d.cboTimePeriod->setEditText(unit);
        QVERIFY(d.cmdApply->isEnabled());
        QTest::mouseClick(d.cmdApply, Qt::LeftButton);
        const auto& s = basMain().settings;
        QCOMPARE(s.HideFunNameCodes, qint16(hide ? 1 : 0));
        QCOMPARE(s.EnableLogging, logging);
        QCOMPARE(s.SavePassword, savePwd);
        QCOMPARE(s.UseAutoComplete, autoComplete);
        QCOMPARE(int(s.TimePeriod), period);
        QCOMPARE(int(s.TimeScale), scale);
        QCOMPARE(w.tmrMain->isActive(), query);
        QCOMPARE(s.AutoQuery, query);
        QCOMPARE(w.mnuCommandsAutoQuery->isChecked(), query);
        QCOMPARE(w.tmrMain->interval(), 1000);
        QCOMPARE(basMain().QueryTicks, 17);
        QVERIFY(!d.cmdApply->isEnabled());
        QVERIFY(f.desktop.boxes.isEmpty());
    }

    void cancelDropsUnapplied() {
        ConsoleFixture f;
        auto& w = f.open();
        const console::AppSettings before = basMain().settings;
        frmOptions d(f.desktop, w.tmrMain, w.mnuCommandsAutoQuery, &w);
        d.ckLog->setChecked(true);
        d.txtMinutes->setText("9");
        d.ckQueryStat->setChecked(true);
        QTest::mouseClick(d.cmdCancel, Qt::LeftButton);
        QCOMPARE(d.result(), int(QDialog::Rejected));
        QCOMPARE(basMain().settings.EnableLogging, before.EnableLogging);
        QCOMPARE(basMain().settings.TimePeriod, before.TimePeriod);
        QVERIFY(!w.tmrMain->isActive());
        QVERIFY(!w.mnuCommandsAutoQuery->isChecked());
    }

    void okAppliesEvenWhenClean() {
        ConsoleFixture f;
        auto& w = f.open();
        frmOptions d(f.desktop, w.tmrMain, w.mnuCommandsAutoQuery, &w);
        QVERIFY(!d.cmdApply->isEnabled());
        basMain().settings.EnableLogging = true; // changed behind the dialog's back
        basMain().settings.TimePeriod = 99;
        QTest::mouseClick(d.cmdOK, Qt::LeftButton);
        QCOMPARE(d.result(), int(QDialog::Accepted));
        QVERIFY(!basMain().settings.EnableLogging);
        QCOMPARE(basMain().settings.TimePeriod, qint16(5));
    }

    void defaultsClearThreeBoxes() {
        ConsoleFixture f;
        auto& w = f.open();
        auto& s = basMain().settings;
        s.HideFunNameCodes = 1;
        s.EnableLogging = true;
        s.SavePassword = true;
        s.UseAutoComplete = true;
        s.TimePeriod = 12;
        w.tmrMain->start();
        frmOptions d(f.desktop, w.tmrMain, w.mnuCommandsAutoQuery, &w);
        QTest::mouseClick(d.cmdDefaults, Qt::LeftButton);
        QVERIFY(!d.ckHideColorTags->isChecked());
        QVERIFY(!d.ckLog->isChecked());
        QVERIFY(!d.ckSavePwd->isChecked());
        QVERIFY(d.ckEnableAutoComplete->isChecked());
        QVERIFY(d.ckQueryStat->isChecked());
        QCOMPARE(d.txtMinutes->text(), QString("12"));
        QVERIFY(d.cmdApply->isEnabled());
        QVERIFY(s.EnableLogging); // nothing applied yet
        QCOMPARE(s.HideFunNameCodes, qint16(1));
    }

    void invalidPeriod_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("result");
        QTest::newRow("cleared") << ""
                                 << "Minutes must be numeric."
                                 << "5";
        QTest::newRow("40000") << "40000"
                               << "Minutes must be less than 32000."
                               << "32000";
        QTest::newRow("-3") << "-3"
                            << "Minutes must be no less than 0."
                            << "0";
        QTest::newRow("32000 accepted") << "32000"
                                        << ""
                                        << "32000";
    }
    void invalidPeriod() {
        QFETCH(QString, text);
        QFETCH(QString, message);
        QFETCH(QString, result);
        ConsoleFixture f;
        auto& w = f.open();
        w.tmrMain->start();
        frmOptions d(f.desktop, w.tmrMain, w.mnuCommandsAutoQuery, &w);
        d.txtMinutes->setText(text);
        QCOMPARE(d.txtMinutes->text(), result);
        QCOMPARE(f.desktop.boxes.size(), message.isEmpty() ? 0 : 1);
        if (!message.isEmpty()) {
            QCOMPARE(f.desktop.boxes[0].text, message);
            QCOMPARE(f.desktop.boxes[0].title, QString("vorlanix"));
            QCOMPARE(f.desktop.boxes[0].icon, platform::Desktop::Icon::Warning);
            QCOMPARE(f.desktop.boxes[0].buttons, platform::Desktop::Buttons::Ok);
        }
        QVERIFY(d.cmdApply->isEnabled());
    }

    void typingClearedPeriod() {
        ConsoleFixture f;
        auto& w = f.open();
        w.tmrMain->start();
        frmOptions d(f.desktop, w.tmrMain, w.mnuCommandsAutoQuery, &w);
        d.txtMinutes->setFocus();
        d.txtMinutes->selectAll();
        QTest::keyClick(d.txtMinutes, Qt::Key_Backspace);
        QCOMPARE(d.txtMinutes->text(), QString("5"));
        QCOMPARE(f.desktop.boxes.size(), 1);
        QCOMPARE(f.desktop.boxes[0].text, QString("Minutes must be numeric."));
    }

    void uncheckingAutoQueryGreysPeriod() {
        ConsoleFixture f;
        auto& w = f.open();
        w.mnuCommandsAutoQuery_Click();
        frmOptions d(f.desktop, w.tmrMain, w.mnuCommandsAutoQuery, &w);
        QVERIFY(d.txtMinutes->isEnabled());
        const QPalette system = QApplication::palette();
        QCOMPARE(d.txtMinutes->palette().color(QPalette::Base),
                 system.color(QPalette::Active, QPalette::Base));
        QTest::mouseClick(d.ckQueryStat, Qt::LeftButton);
        QVERIFY(!d.ckQueryStat->isChecked());
        QVERIFY(!d.txtMinutes->isEnabled());
        QVERIFY(!d.cboTimePeriod->isEnabled());
        QCOMPARE(d.txtMinutes->palette().color(QPalette::Disabled, QPalette::Base),
                 system.color(QPalette::Active, QPalette::Button));
        QCOMPARE(d.txtMinutes->palette().color(QPalette::Disabled, QPalette::Text),
                 system.color(QPalette::Active, QPalette::Dark));
        QCOMPARE(d.cboTimePeriod->palette().color(QPalette::Disabled, QPalette::Base),
                 system.color(QPalette::Active, QPalette::Button));
        QVERIFY(w.tmrMain->isActive()); // not before Apply
        QTest::mouseClick(d.cmdApply, Qt::LeftButton);
        QVERIFY(!w.tmrMain->isActive());
        QVERIFY(!w.mnuCommandsAutoQuery->isChecked());
        QVERIFY(!basMain().settings.AutoQuery);
    }

    void modalWhileTimerAndSocketsRun() {
        ConsoleFixture f;
        auto& w = f.open();
        basMain().settings.TimePeriod = 0; // a status at every tick
        w.mnuCommandsAutoQuery_Click();
        w.tmrMain->setInterval(0);
        bool modal = false;
        int receivedWhileOpen = 0;
        whenModal<frmOptions>([&](frmOptions* d) {
            modal = d->isModal();
            QTest::qWait(1); // let the loop run
            QTRY_VERIFY(f.peer.received.size() >= 3);
            receivedWhileOpen = int(f.peer.received.size());
            QTest::mouseClick(d->cmdCancel, Qt::LeftButton);
        });
        const int before = int(f.peer.received.size());
        w.mnuViewOptions->trigger();
        QVERIFY(modal);
        QVERIFY(receivedWhileOpen >= before + 3);
        w.tmrMain->stop();
    }
};

QTEST_MAIN(tst_options)
#include "tst_options.moc"
