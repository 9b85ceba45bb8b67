#include "ConsoleFixture.h"

#include <frmOptions.h>
#include <frmThemes.h>

#include <QCheckBox>
#include <QPushButton>

using namespace console;

namespace {
// The dialog over the given settings, with its controls reachable by name and its Applies recorded.
struct Options {
    FakeDesktop desktop;
    std::unique_ptr<frmOptions> dialog;
    QList<AppSettings> applied;

    explicit Options(const AppSettings& given = {}, bool timerRunning = false)
        : dialog(std::make_unique<frmOptions>(desktop, given, timerRunning)) {
        QObject::connect(dialog.get(), &frmOptions::applied, dialog.get(),
                         [this](const AppSettings& s) { applied << s; });
    }
    template <typename T = QCheckBox> T* get(const char* name) const { return dialog->findChild<T*>(name); }
    QLineEdit* minutes() const { return get<QLineEdit>("txtMinutes"); }
    QComboBox* unit() const { return get<QComboBox>("cboTimePeriod"); }
    bool dirty() const { return get<QPushButton>("cmdApply")->isEnabled(); }
    void click(const char* name) const { QTest::mouseClick(get<QPushButton>(name), Qt::LeftButton); }
};
} // namespace

class tst_options : public QObject {
    Q_OBJECT
private slots:
    void opens_data() {
        QTest::addColumn<bool>("on"); // every option the other way from its default
        QTest::addColumn<int>("scale");
        QTest::addColumn<QString>("unit");
        QTest::newRow("defaults") << false << 60 << "Minutes";
        QTest::newRow("all on, seconds") << true << 1 << "Seconds";
        QTest::newRow("odd scale means minutes") << true << 2 << "Minutes";
    }
    void opens() {
        QFETCH(bool, on);
        QFETCH(int, scale);
        AppSettings s;
        s.HideFunNameCodes = on ? 1 : 0;
        s.EnableLogging = s.SavePassword = on;
        s.UseAutoComplete = !on;
        s.TimePeriod = on ? 30 : 5;
        s.TimeScale = qint16(scale);
        s.AutoQuery = !on; // the dialog shows the timer, not the field
        const Options o(s, on);
        for (const char* box : {"ckHideColorTags", "ckLog", "ckSavePwd", "ckQueryStat"})
            QCOMPARE(o.get(box)->isChecked(), on);
        QCOMPARE(o.get("ckEnableAutoComplete")->isChecked(), !on);
        QCOMPARE(o.minutes()->text(), on ? QString("30") : QString("5"));
        QTEST(o.unit()->currentText(), "unit");
        QCOMPARE(o.minutes()->isEnabled(), on);
        QCOMPARE(o.unit()->isEnabled(), on);
        QVERIFY(!o.dirty() && o.desktop.boxes.isEmpty());
    }

    void apply_data() {
        QTest::addColumn<bool>("on");
        QTest::addColumn<QString>("minutes");
        QTest::addColumn<QString>("unit");
        QTest::addColumn<int>("period");
        QTest::addColumn<int>("scale");
        QTest::newRow("seconds, 30") << true << "30"
                                     << "Seconds" << 30 << 1;
        QTest::newRow("unit typed differently") << false << "30"
                                                << "seconds" << 30 << 60;
        QTest::newRow("2.5 applies as 2") << true << "2.5"
                                          << "Minutes" << 2 << 60;
        QTest::newRow("3.5 applies as 4") << false << "3.5"
                                          << "Minutes" << 4 << 60;
    }
    void apply() {
        QFETCH(bool, on);
        QFETCH(QString, minutes);
        QFETCH(QString, unit);
        AppSettings given;
        given.CurrentTheme = "DOS";
        const Options o(given, !on);
        for (const char* box : {"ckHideColorTags", "ckLog", "ckSavePwd", "ckQueryStat"})
            o.get(box)->setChecked(on);
        o.get("ckEnableAutoComplete")->setChecked(!on);
        o.minutes()->setText(minutes);
        o.unit()->setEditText(unit);
        QVERIFY(o.dirty());
        o.click("cmdApply");
        QCOMPARE(o.applied.size(), 1);
        const AppSettings& s = o.applied[0];
        QCOMPARE(s.HideFunNameCodes, qint16(on ? 1 : 0));
        QVERIFY(s.EnableLogging == on && s.SavePassword == on && s.AutoQuery == on &&
                s.UseAutoComplete == !on);
        QTEST(int(s.TimePeriod), "period");
        QTEST(int(s.TimeScale), "scale");
        QCOMPARE(s.CurrentTheme, QString("DOS")); // the rest as given
        QVERIFY(!o.dirty() && o.desktop.boxes.isEmpty());
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
        o.get("ckLog")->setChecked(true);
        o.click(qPrintable(button));
        QTEST(o.dialog->result(), "result");
        QTEST(int(o.applied.size()), "applies");
    }

    void defaultsClearThreeBoxes() {
        AppSettings s;
        s.HideFunNameCodes = 1;
        s.EnableLogging = s.SavePassword = s.UseAutoComplete = true;
        s.TimePeriod = 12;
        const Options o(s, true);
        o.click("cmdDefaults");
        QVERIFY(!o.get("ckHideColorTags")->isChecked() && !o.get("ckLog")->isChecked());
        QVERIFY(!o.get("ckSavePwd")->isChecked());
        QVERIFY(o.get("ckEnableAutoComplete")->isChecked() && o.get("ckQueryStat")->isChecked());
        QCOMPARE(o.minutes()->text(), QString("12"));
        QVERIFY(o.dirty() && o.applied.isEmpty());
    }

    void period_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message"); // empty: accepted as it is
        QTest::addColumn<QString>("result");
        const QString numeric = "Minutes must be numeric.", high = "Minutes must be less than 32000.",
                      low = "Minutes must be no less than 0.";
        QTest::newRow("cleared") << "" << numeric << "5";
        QTest::newRow("cleared by Backspace") << "<BS>" << numeric << "5";
        QTest::newRow("letters") << "abc" << numeric << "5";
        QTest::newRow("lone minus") << "-" << numeric << "5";
        QTest::newRow("40000") << "40000" << high << "32000";
        QTest::newRow("beyond 32 bits") << "1e10" << high << "32000";
        QTest::newRow("beyond a double") << "1e400" << high << "32000";
        QTest::newRow("-3") << "-3" << low << "0";
        QTest::newRow("below 32 bits") << "-1e10" << low << "0";
        QTest::newRow("0") << "0" << QString() << "0";
        QTest::newRow("32000") << "32000" << QString() << "32000";
        QTest::newRow("32000.5 rounds to even") << "32000.5" << QString() << "32000.5";
        QTest::newRow("-0.4 rounds to 0") << "-0.4" << QString() << "-0.4";
    }
    void period() {
        QFETCH(QString, text);
        QFETCH(QString, message);
        const Options o({}, true);
        if (text == "<BS>") {
            o.minutes()->selectAll();
            QTest::keyClick(o.minutes(), Qt::Key_Backspace);
        } else {
            o.minutes()->setText(text);
        }
        QTEST(o.minutes()->text(), "result");
        QCOMPARE(o.desktop.boxes.size(), message.isEmpty() ? 0 : 1);
        if (!message.isEmpty()) {
            QCOMPARE(o.desktop.boxes[0].text, message);
            QCOMPARE(o.desktop.boxes[0].title, QString("vorlanix"));
            QCOMPARE(o.desktop.boxes[0].icon, platform::Desktop::Icon::Warning);
            QCOMPARE(o.desktop.boxes[0].buttons, platform::Desktop::Buttons::Ok);
        }
        QVERIFY(o.dirty());
    }

    void uncheckingAutoQueryGreysPeriod() {
        const Options o({}, true);
        const QPalette system = QApplication::palette();
        QCOMPARE(o.minutes()->palette().color(QPalette::Base),
                 system.color(QPalette::Active, QPalette::Base));
        QTest::mouseClick(o.get("ckQueryStat"), Qt::LeftButton);
        QVERIFY(!o.minutes()->isEnabled() && !o.unit()->isEnabled());
        for (QWidget* field : {static_cast<QWidget*>(o.minutes()), static_cast<QWidget*>(o.unit())})
            QCOMPARE(field->palette().color(QPalette::Disabled, QPalette::Base),
                     system.color(QPalette::Active, QPalette::Button));
        QCOMPARE(o.minutes()->palette().color(QPalette::Disabled, QPalette::Text),
                 system.color(QPalette::Active, QPalette::Dark));
        QVERIFY(o.applied.isEmpty()); // not before Apply
    }

    // From the menu: modal while the session's timer and socket go on; Apply reaches the timer and
    // the menu's mark; the Themes button opens the theme dialog over it.
    void windowCarriesOutApply() {
        ConsoleFixture f;
        f.seams.queryInterval = 1ms;
        f.open();
        f.applyOptions([](AppSettings& s) { s.TimePeriod = 0; });
        f.action("mnuCommandsAutoQuery")->trigger();
        bool themesOverOptions = false;
        QByteArray whileOpen;
        whenModal<frmOptions>([&](frmOptions* d) {
            f.drainPeer();
            whileOpen = f.peer.next();
            whenModal<frmThemes>([&](frmThemes* t) {
                themesOverOptions = t->isModal() && t->parentWidget() == d;
                t->reject();
            });
            d->findChild<QPushButton*>("cmdShowThemes")->click();
            d->findChild<QLineEdit*>("txtMinutes")->setText("7");
            QTest::mouseClick(d->findChild<QCheckBox*>("ckQueryStat"), Qt::LeftButton);
            d->findChild<QPushButton*>("cmdOK")->click();
        });
        f.action("mnuViewOptions")->trigger();
        QCOMPARE(whileOpen, rcon("pw", "status"));
        QVERIFY(themesOverOptions);
        QVERIFY(!f.action("mnuCommandsAutoQuery")->isChecked() && !f.session().autoQueryRunning());
        QCOMPARE(f.session().settings().TimePeriod, qint16(7));
    }
};

QTEST_MAIN(tst_options)
#include "tst_options.moc"
