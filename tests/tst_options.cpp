#include "ConsoleFixture.h"

#include <OptionsRules.h>
#include <frmOptions.h>
#include <frmThemes.h>

#include <QCheckBox>
#include <QPushButton>
#include <QSignalSpy>

using namespace console;

namespace {
// The dialog over the given settings, with its controls reachable by name.
struct Options {
    FakeDesktop desktop;
    AppSettings given;
    std::unique_ptr<frmOptions> dialog;
    std::unique_ptr<QSignalSpy> applied;

    Options& open(bool timerRunning = false) {
        dialog = std::make_unique<frmOptions>(desktop, given, timerRunning);
        applied = std::make_unique<QSignalSpy>(dialog.get(), &frmOptions::applied);
        return *this;
    }
    template <typename T = QCheckBox> T* get(const char* name) const {
        return dialog->findChild<T*>(QLatin1String(name));
    }
    void click(const char* name) const { QTest::mouseClick(get<QPushButton>(name), Qt::LeftButton); }
    AppSettings last() const { return applied->last()[0].value<AppSettings>(); }
};
} // namespace

Q_DECLARE_METATYPE(AppSettings)

class tst_options : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { qRegisterMetaType<AppSettings>(); }

    void minutesRules_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message"); // empty: accepted
        QTest::addColumn<QString>("corrected");
        const QString numeric = "Minutes must be numeric.", high = "Minutes must be less than 32000.",
                      low = "Minutes must be no less than 0.";
        QTest::newRow("empty") << "" << numeric << "5";
        QTest::newRow("letters") << "abc" << numeric << "5";
        QTest::newRow("lone minus") << "-" << numeric << "5";
        QTest::newRow("40000") << "40000" << high << "32000";
        QTest::newRow("beyond 32 bits") << "1e10" << high << "32000";
        QTest::newRow("beyond a double") << "1e400" << high << "32000";
        QTest::newRow("-3") << "-3" << low << "0";
        QTest::newRow("below 32 bits") << "-1e10" << low << "0";
        QTest::newRow("0") << "0" << QString() << QString();
        QTest::newRow("32000") << "32000" << QString() << QString();
        QTest::newRow("32000.5 rounds to even") << "32000.5" << QString() << QString();
        QTest::newRow("-0.4 rounds to 0") << "-0.4" << QString() << QString();
    }
    void minutesRules() {
        QFETCH(QString, text);
        QFETCH(QString, message);
        const MinutesCheck check = checkMinutes(text);
        QCOMPARE(check.valid, message.isEmpty());
        QCOMPARE(check.message, message);
        QTEST(check.corrected, "corrected");
    }

    void opens_data() {
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
    void opens() {
        QFETCH(int, hide);
        QFETCH(int, period);
        QFETCH(int, scale);
        QFETCH(bool, timerOn);
        QFETCH(bool, logging);
        QFETCH(bool, autoComplete);
        QFETCH(bool, savePwd);
        Options o;
        o.given.HideFunNameCodes = qint16(hide);
        o.given.TimePeriod = qint16(period);
        o.given.TimeScale = qint16(scale);
        o.given.EnableLogging = logging;
        o.given.UseAutoComplete = autoComplete;
        o.given.SavePassword = savePwd;
        o.given.AutoQuery = !timerOn; // the dialog shows the timer, not the field
        o.open(timerOn);
        QCOMPARE(o.get("ckHideColorTags")->isChecked(), hide == 1);
        QCOMPARE(o.get<QLineEdit>("txtMinutes")->text(), QString::number(period));
        QTEST(o.get<QComboBox>("cboTimePeriod")->currentText(), "unit");
        QCOMPARE(o.get("ckQueryStat")->isChecked(), timerOn);
        QCOMPARE(o.get("ckLog")->isChecked(), logging);
        QCOMPARE(o.get("ckEnableAutoComplete")->isChecked(), autoComplete);
        QCOMPARE(o.get("ckSavePwd")->isChecked(), savePwd);
        QCOMPARE(o.get<QLineEdit>("txtMinutes")->isEnabled(), timerOn);
        QCOMPARE(o.get<QComboBox>("cboTimePeriod")->isEnabled(), timerOn);
        QVERIFY(!o.get<QPushButton>("cmdApply")->isEnabled());
        QVERIFY(o.desktop.boxes.isEmpty());
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
        QFETCH(bool, query);
        Options o;
        o.given.CurrentTheme = "DOS";
        o.open(!query);
        QFETCH(bool, hide);
        QFETCH(bool, logging);
        QFETCH(bool, savePwd);
        QFETCH(bool, autoComplete);
        o.get("ckHideColorTags")->setChecked(hide);
        o.get("ckLog")->setChecked(logging);
        o.get("ckSavePwd")->setChecked(savePwd);
        o.get("ckEnableAutoComplete")->setChecked(autoComplete);
        o.get("ckQueryStat")->setChecked(query);
        QFETCH(QString, minutes);
        QFETCH(QString, unit);
        o.get<QLineEdit>("txtMinutes")->setText(minutes);
        o.get<QComboBox>("cboTimePeriod")->setEditText(unit);
        QVERIFY(o.get<QPushButton>("cmdApply")->isEnabled());
        o.click("cmdApply");
        QCOMPARE(o.applied->size(), 1);
        const AppSettings s = o.last();
        QCOMPARE(s.HideFunNameCodes, qint16(hide ? 1 : 0));
        QCOMPARE(s.EnableLogging, logging);
        QCOMPARE(s.SavePassword, savePwd);
        QCOMPARE(s.UseAutoComplete, autoComplete);
        QTEST(int(s.TimePeriod), "period");
        QTEST(int(s.TimeScale), "scale");
        QCOMPARE(s.AutoQuery, query);
        QCOMPARE(s.CurrentTheme, QString("DOS")); // the rest as given
        QVERIFY(!o.get<QPushButton>("cmdApply")->isEnabled());
        QVERIFY(o.desktop.boxes.isEmpty());
    }

    void closing_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("result");
        QTest::addColumn<int>("applies");
        QTest::newRow("Cancel drops the unapplied") << "cmdCancel" << int(QDialog::Rejected) << 0;
        QTest::newRow("OK applies, even when clean") << "cmdOK" << int(QDialog::Accepted) << 1;
    }
    void closing() {
        QFETCH(QString, button);
        Options o;
        o.open();
        o.click(qPrintable(button));
        QTEST(o.dialog->result(), "result");
        QTEST(int(o.applied->size()), "applies");
    }

    void defaultsClearThreeBoxes() {
        Options o;
        o.given.HideFunNameCodes = 1;
        o.given.EnableLogging = o.given.SavePassword = o.given.UseAutoComplete = true;
        o.given.TimePeriod = 12;
        o.open(true);
        o.click("cmdDefaults");
        QVERIFY(!o.get("ckHideColorTags")->isChecked() && !o.get("ckLog")->isChecked() &&
                !o.get("ckSavePwd")->isChecked());
        QVERIFY(o.get("ckEnableAutoComplete")->isChecked() && o.get("ckQueryStat")->isChecked());
        QCOMPARE(o.get<QLineEdit>("txtMinutes")->text(), QString("12"));
        QVERIFY(o.get<QPushButton>("cmdApply")->isEnabled());
        QVERIFY(o.applied->isEmpty());
    }

    void invalidPeriodCorrected_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("result");
        QTest::newRow("cleared") << ""
                                 << "Minutes must be numeric."
                                 << "5";
        QTest::newRow("cleared by Backspace") << "<BS>"
                                              << "Minutes must be numeric."
                                              << "5";
        QTest::newRow("40000") << "40000"
                               << "Minutes must be less than 32000."
                               << "32000";
        QTest::newRow("-3") << "-3"
                            << "Minutes must be no less than 0."
                            << "0";
        QTest::newRow("32000 accepted") << "32000" << QString() << "32000";
    }
    void invalidPeriodCorrected() {
        QFETCH(QString, text);
        QFETCH(QString, message);
        Options o;
        o.open(true);
        auto* minutes = o.get<QLineEdit>("txtMinutes");
        if (text == "<BS>") {
            minutes->selectAll();
            QTest::keyClick(minutes, Qt::Key_Backspace);
        } else {
            minutes->setText(text);
        }
        QTEST(minutes->text(), "result");
        QCOMPARE(o.desktop.boxes.size(), message.isEmpty() ? 0 : 1);
        if (!message.isEmpty()) {
            QCOMPARE(o.desktop.boxes[0].text, message);
            QCOMPARE(o.desktop.boxes[0].title, QString("vorlanix"));
            QCOMPARE(o.desktop.boxes[0].icon, platform::Desktop::Icon::Warning);
            QCOMPARE(o.desktop.boxes[0].buttons, platform::Desktop::Buttons::Ok);
        }
        QVERIFY(o.get<QPushButton>("cmdApply")->isEnabled());
    }

    void uncheckingAutoQueryGreysPeriod() {
        Options o;
        o.open(true);
        auto* minutes = o.get<QLineEdit>("txtMinutes");
        const QPalette system = QApplication::palette();
        QCOMPARE(minutes->palette().color(QPalette::Base), system.color(QPalette::Active, QPalette::Base));
        QTest::mouseClick(o.get("ckQueryStat"), Qt::LeftButton);
        QVERIFY(!minutes->isEnabled() && !o.get<QComboBox>("cboTimePeriod")->isEnabled());
        QCOMPARE(minutes->palette().color(QPalette::Disabled, QPalette::Base),
                 system.color(QPalette::Active, QPalette::Button));
        QCOMPARE(minutes->palette().color(QPalette::Disabled, QPalette::Text),
                 system.color(QPalette::Active, QPalette::Dark));
        QVERIFY(o.applied->isEmpty()); // not before Apply
    }

    // From the menu: modal while the session's timer and socket go on; Apply reaches the timer and
    // the menu's mark but not the tick count; the Themes button opens the theme dialog over it.
    void windowCarriesOutApply() {
        ConsoleFixture f;
        f.seams.queryInterval = 1ms;
        f.open();
        f.applyOptions([](AppSettings& s) { s.TimePeriod = 0; });
        f.action("mnuCommandsAutoQuery")->trigger();
        bool modal = false, themesOverOptions = false;
        QByteArray whileOpen;
        whenModal<frmOptions>([&](frmOptions* d) {
            modal = d->isModal();
            f.drainPeer();
            whileOpen = f.peer.next();
            whenModal<frmThemes>([&](frmThemes* t) {
                themesOverOptions = t->parentWidget() == d;
                t->reject();
            });
            d->findChild<QPushButton*>("cmdShowThemes")->click();
            QTest::mouseClick(d->findChild<QCheckBox*>("ckQueryStat"), Qt::LeftButton);
            d->findChild<QPushButton*>("cmdApply")->click();
            QVERIFY(!f.session().autoQueryRunning());
            d->reject();
        });
        f.action("mnuViewOptions")->trigger();
        QVERIFY(modal && themesOverOptions);
        QCOMPARE(whileOpen, rcon("pw", "status"));
        QVERIFY(!f.action("mnuCommandsAutoQuery")->isChecked());
        QVERIFY(!f.session().settings().AutoQuery);
    }
};

QTEST_MAIN(tst_options)
#include "tst_options.moc"
