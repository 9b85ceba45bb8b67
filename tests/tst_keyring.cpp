#include "ConsoleFixture.h"

#include <PasswordKeyring.h>

// The saved rcon password: in the desktop's keyring where a secret service answers (run through
// with-keyring.sh), in the settings file as before where none does.
class tst_keyring : public QObject {
    Q_OBJECT

    static bool keyring() { return qEnvironmentVariable("VORLANIX_TEST_KEYRING") == QLatin1String("1"); }

    // The password box once the start has loaded it, and what a command then carries; where no password
    // is expected, the keyring holds none either.
    static void expectNextStart(ConsoleFixture& f, const QString& password) {
        f.restart();
        auto* box = f.find<QLineEdit>("txtPassword");
        if (password.isEmpty()) {
            platform::PasswordKeyring probe(console::kSettingsSection + "\\Password");
            QSignalSpy answer(&probe, &platform::PasswordKeyring::readFinished);
            probe.read();
            QTRY_COMPARE(answer.size(), 1);
            QCOMPARE(answer[0][0].toBool(), false);
            QCOMPARE(box->text(), QString());
            return;
        }
        QTRY_COMPARE(box->text(), password);
        f.box("cboAddr")->setEditText(QStringLiteral("127.0.0.1"));
        f.box("cboPort")->setEditText(QString::number(f.peer.port()));
        f.session().SendCommand(QStringLiteral("status"));
        QCOMPARE(f.peer.next(), rcon(qPrintable(password), "status"));
    }

private slots:
    void initTestCase() {
        if (qEnvironmentVariable("VORLANIX_TEST_KEYRING") == QLatin1String("missing"))
            QSKIP("no dbus-run-session or gnome-keyring-daemon: no secret service to test against");
        qInfo(keyring() ? "against a real secret service" : "with no secret service");
    }

    // The password is never lost: what the keyring took leaves the file, what it refused stays there.
    void savedPassword_data() {
        QTest::addColumn<bool>("save");
        QTest::addColumn<QString>("inFile"); // the settings file's password at start
        QTest::addColumn<QString>("typed");  // typed during the run; empty keeps what the start loaded
        QTest::addColumn<QString>("next");   // what the next start puts in the box
        row("saved, typed", true, QString(), QString("pw one"), QString("pw one"));
        row("saved, left in the file by an earlier run", true, QString("old pw"), QString(),
            QString("old pw"));
        row("not saved", false, QString(), QString("pw two"), QString());
    }
    void savedPassword() {
        QFETCH(bool, save);
        QFETCH(QString, inFile);
        QFETCH(QString, typed);
        QFETCH(QString, next);
        ConsoleFixture f;
        f.store({"SavePassword", save ? "True" : "False", "Password", inFile});
        f.open(false);
        if (!typed.isEmpty())
            f.find<QLineEdit>("txtPassword")->setText(typed);
        QCOMPARE(f.find<QLineEdit>("txtPassword")->text(), typed.isEmpty() ? inFile : typed);
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
        f.open(false);
        f.find<QLineEdit>("txtPassword")->setText("kept");
        f.window.reset();
        QCOMPARE(f.stored("Password"), QString());
        f.restart();
        QSignalSpy answer(f.session().findChild<platform::PasswordKeyring*>(),
                          &platform::PasswordKeyring::readFinished);
        f.find<QLineEdit>("txtPassword")->setText("typed first");
        QTRY_COMPARE(answer.size(), 1);
        QCOMPARE(answer[0][1].toString(), QString("kept"));
        QCOMPARE(f.find<QLineEdit>("txtPassword")->text(), QString("typed first"));
        f.applyOptions([](console::AppSettings& s) { s.SavePassword = false; });
        f.window.reset();
        f.store("SavePassword", "True");
        expectNextStart(f, QString());
    }
};

QTEST_MAIN(tst_keyring)
#include "tst_keyring.moc"
