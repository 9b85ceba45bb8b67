#include "ConsoleFixture.h"

#include <PasswordKeyring.h>

// The saved rcon password: in the desktop's keyring where a secret service answers (run through
// with-keyring.sh), in the settings file as before where none does.
class tst_keyring : public QObject {
    Q_OBJECT

    static bool keyring() { return qEnvironmentVariable("VORLANIX_TEST_KEYRING") == QLatin1String("1"); }

    // The password box once the start has loaded it; the keyring holds a password only where one is
    // expected and a keyring answers.
    static void expectNextStart(ConsoleFixture& f, const QString& password) {
        auto* box = f.restart().findChild<QLineEdit*>("txtPassword");
        QTRY_COMPARE(box->text(), password);
        platform::PasswordKeyring probe(console::kSettingsSection + "\\Password");
        QSignalSpy answer(&probe, &platform::PasswordKeyring::readFinished);
        probe.read();
        QTRY_COMPARE(answer.size(), 1);
        QCOMPARE(answer[0][0].toBool(), keyring() && !password.isEmpty());
    }

private slots:
    void initTestCase() {
        if (qEnvironmentVariable("VORLANIX_TEST_KEYRING") == QLatin1String("missing"))
            QSKIP("no dbus-run-session or gnome-keyring-daemon: no secret service to test against");
        qInfo(keyring() ? "against a real secret service" : "with no secret service");
    }

    // The password is never lost: what the keyring took leaves the file, what it refused stays there.
    void savedPassword_data() {
        // The settings file's password at start, what is typed during the run (empty: what the start
        // loaded is kept) and what the next start puts in the box.
        columns<bool, QString, QString, QString>("save", "inFile", "typed", "next");
        const QString none;
        row("saved, typed", true, none, QString("pw one"), QString("pw one"));
        row("saved, left in the file by an earlier run", true, QString("old pw"), none, QString("old pw"));
        row("not saved", false, none, QString("pw two"), none);
    }
    void savedPassword() {
        QFETCH(bool, save);
        QFETCH(QString, inFile);
        QFETCH(QString, typed);
        QFETCH(QString, next);
        ConsoleFixture f;
        f.store({"SavePassword", save ? "True" : "False", "Password", inFile});
        auto* box = f.open(false).findChild<QLineEdit*>("txtPassword");
        QCOMPARE(box->text(), inFile);
        if (!typed.isEmpty())
            box->setText(typed);
        f.window.reset(); // exit
        QCOMPARE(f.stored("Password"), keyring() || !save ? QString() : next);
        expectNextStart(f, next);
    }

    // Switching the saving off forgets the password in the keyring too, and a password typed before
    // the keyring answers is not overwritten.
    void savingSwitchedOff() {
        if (!keyring())
            QSKIP("needs a secret service");
        ConsoleFixture f;
        f.store("SavePassword", "True");
        f.open(false).findChild<QLineEdit*>("txtPassword")->setText("kept");
        auto* box = f.restart().findChild<QLineEdit*>("txtPassword");
        QSignalSpy answer(f.session().findChild<platform::PasswordKeyring*>(),
                          &platform::PasswordKeyring::readFinished);
        box->setText("typed first");
        QTRY_COMPARE(answer.size(), 1);
        QCOMPARE(answer[0][1].toString(), QString("kept"));
        QCOMPARE(box->text(), QString("typed first"));
        f.applyOptions([](console::AppSettings& s) { s.SavePassword = false; });
        f.window.reset();
        f.store("SavePassword", "True");
        expectNextStart(f, QString());
    }
};

QTEST_MAIN(tst_keyring)
#include "tst_keyring.moc"
