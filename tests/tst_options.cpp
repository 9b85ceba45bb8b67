#include "ConsoleFixture.h"

#include <frmOptions.h>
#include <frmThemes.h>

using namespace console;

namespace {
// The check boxes in the order checks() reports them.
const char* const kBoxes[] = {"ckHideColorTags", "ckLog", "ckSavePwd", "ckEnableAutoComplete", "ckQueryStat"};

// The dialog over the given settings, with its controls reachable by name and its Applies recorded.
struct Options {
    FakeDesktop desktop;
    frmOptions dialog;
    QList<AppSettings> applied;

    explicit Options(const AppSettings& given = {}, bool timerRunning = false)
        : dialog(desktop, given, timerRunning) {
        QObject::connect(&dialog, &frmOptions::applied, &dialog,
                         [this](const AppSettings& s) { applied << s; });
    }
    template <typename T = QCheckBox> T* get(const char* name) { return dialog.findChild<T*>(name); }
    QLineEdit* minutes() { return get<QLineEdit>("txtMinutes"); }
    QComboBox* unit() { return get<QComboBox>("cboTimePeriod"); }
    bool dirty() { return get<QPushButton>("cmdApply")->isEnabled(); }
    void click(const char* name) { QTest::mouseClick(get<QPushButton>(name), Qt::LeftButton); }
    QString checks() {
        QString marks;
        for (const char* box : kBoxes)
            marks += get(box)->isChecked() ? '1' : '0';
        return marks;
    }
    void setChecks(const QString& marks) {
        for (int i = 0; i < marks.size(); ++i)
            get(kBoxes[i])->setChecked(marks[i] == '1');
    }
};
} // namespace

// The Options dialog: what it shows, what it hands out, and the period's checks.
class tst_options : public QObject {
    Q_OBJECT

private slots:
    // Captions, then the state shown: the timer's rather than the AutoQuery field, the period greyed
    // while the timer stands; any scale but 1 means minutes.
    void opens_data() {
        columns<int, bool, QString>("scale", "running", "shown");
        row("seconds", 1, true, "11101 30Seconds");
        row("odd scale means minutes", 2, true, "11101 30Minutes");
        row("timer standing", 1, false, "11100 30Seconds");
    }
    void opens() {
        QFETCH(int, scale);
        QFETCH(bool, running);
        AppSettings s;
        s.HideFunNameCodes = 1;
        s.EnableLogging = s.SavePassword = s.AutoQuery = true;
        s.UseAutoComplete = false;
        s.TimePeriod = 30;
        s.TimeScale = qint16(scale);
        Options o(s, running);
        QCOMPARE(o.dialog.windowTitle(), "Options");
        for (const QString pair :
             {"ckLog|Save Console Log", "ckSavePwd|Save Password On Exit",
              "ckHideColorTags|Hide Fun Name Codes", "ckEnableAutoComplete|Enable AutoComplete",
              "ckQueryStat|Auto-Query Status", "cmdShowThemes|Themes...", "cmdDefaults|Defaults",
              "cmdCancel|Cancel", "cmdApply|Apply", "cmdOK|OK"})
            QCOMPARE(o.dialog.findChild<QObject*>(pair.section('|', 0, 0))->property("text").toString(),
                     pair.section('|', 1));
        QCOMPARE(ConsoleFixture::entries(o.unit()), QStringList({"Minutes", "Seconds"}));
        QVERIFY(o.get<QPushButton>("cmdOK")->isDefault() && !o.dirty());
        QTEST(o.checks() + ' ' + o.minutes()->text() + o.unit()->currentText(), "shown");
        const QColor back = QApplication::palette().color(running ? QPalette::Base : QPalette::Button);
        for (QWidget* w : std::initializer_list<QWidget*>{o.minutes(), o.unit()}) // alike in every state
            QVERIFY(w->isEnabled() == running &&
                    w->palette().color(QPalette::Disabled, QPalette::Base) == back);
    }

    // Apply and OK hand out a changed copy; Cancel hands out nothing; Defaults clears three boxes only.
    void apply_data() {
        columns<QString, QString, QString, QString, QString, int, int>("marks", "minutes", "unit", "buttons",
                                                                       "applied", "period", "scale");
        row("seconds, 30", "11101", "30", "Seconds", "cmdApply", "11101", 30, 1);
        row("unit typed differently", "00010", "30", "seconds", "cmdApply", "00010", 30, 60);
        row("2.5 applies as 2", "10100", "2.5", "Minutes", "cmdApply", "10100", 2, 60);
        row("3.5 applies as 4", "01011", "3.5", "Minutes", "cmdApply", "01011", 4, 60);
        row("OK applies", "11111", "9", "Seconds", "cmdOK", "11111", 9, 1);
        row("Cancel drops", "11111", "9", "Seconds", "cmdCancel", "", 0, 0);
        row("Defaults", "11111", "12", "Minutes", "cmdDefaults cmdApply", "00011", 12, 60);
    }
    void apply() {
        QFETCH(QString, marks);
        QFETCH(QString, buttons);
        QFETCH(QString, minutes);
        QFETCH(QString, unit);
        QFETCH(QString, applied);
        AppSettings given;
        given.CurrentTheme = "DOS";
        Options o(given, marks[4] == '0');
        o.setChecks(marks);
        o.minutes()->setText(minutes);
        o.unit()->setEditText(unit);
        QVERIFY(o.dirty());
        for (const QString& button : buttons.split(' '))
            o.click(qPrintable(button));
        QCOMPARE(o.dialog.result(), int(buttons == "cmdOK" ? QDialog::Accepted : QDialog::Rejected));
        QCOMPARE(o.applied.size(), int(!applied.isEmpty()));
        for (const AppSettings& s : o.applied) {
            QCOMPARE(Options(s, s.AutoQuery).checks(), applied); // shown as opening shows it
            QTEST(int(s.TimePeriod), "period");
            QTEST(int(s.TimeScale), "scale");
            QVERIFY(s.CurrentTheme == "DOS" && !o.dirty() && o.desktop.boxes.isEmpty()); // the rest as given
        }
    }

    // The servers' rate limit: shown as stored, chosen from the keyboard, handed out by OK.
    void rateLimit_data() {
        columns<QString, int, QString>("stored", "downs", "applied");
        row("ioquake3 by default, down once", "ioquake3", 1, "original engine");
        row("original engine, down once", "original engine", 1, "no limit");
        row("no limit is the last", "no limit", 2, "no limit");
    }
    void rateLimit() {
        QFETCH(QString, stored);
        QFETCH(int, downs);
        AppSettings given;
        given.RatePacing = stored;
        Options o(given);
        o.dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&o.dialog));
        QVERIFY(!o.dirty());
        QTest::keyClick(&o.dialog, Qt::Key_R, Qt::AltModifier);
        QCOMPARE(QApplication::focusWidget(), o.get<QComboBox>("cboRatePacing"));
        for (int i = 0; i < downs; ++i)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
        QCOMPARE(o.dirty(), stored != "no limit");
        o.click("cmdOK");
        QCOMPARE(o.applied.size(), 1);
        QTEST(o.applied.first().RatePacing, "applied");
    }

    void period_data() {
        columns<QString, QString, QString>("text", "message", "result"); // message empty: accepted as it is
        const QString numeric = "Minutes must be numeric.", high = "Minutes must be less than 32000.",
                      low = "Minutes must be no less than 0.", none;
        row("cleared by Backspace", "<BS>", numeric, "5");
        row("lone minus", "-", numeric, "5");
        row("40000", "40000", high, "32000");
        row("beyond 32 bits", "1e10", high, "32000");
        row("beyond a double", "1e400", high, "32000");
        row("-3", "-3", low, "0");
        row("below 32 bits", "-1e10", low, "0");
        row("0", "0", none, "0");
        row("32000", "32000", none, "32000");
        row("32000.5 rounds to even", "32000.5", none, "32000.5");
        row("-0.4 rounds to 0", "-0.4", none, "-0.4");
    }
    void period() {
        QFETCH(QString, text);
        QFETCH(QString, message);
        Options o({}, true);
        if (text == "<BS>") {
            o.minutes()->selectAll();
            QTest::keyClick(o.minutes(), Qt::Key_Backspace);
        } else {
            o.minutes()->setText(text);
        }
        QTEST(o.minutes()->text(), "result");
        QCOMPARE(o.desktop.boxes.size(), message.isEmpty() ? 0 : 1);
        for (const FakeDesktop::Box& box : o.desktop.boxes)
            QVERIFY(box.text == message && box.title == "vorlanix" &&
                    box.icon == platform::Desktop::Icon::Warning &&
                    box.buttons == platform::Desktop::Buttons::Ok);
        QVERIFY(o.dirty());
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
