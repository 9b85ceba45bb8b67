#include "ConsoleFixture.h"

// The saved rcon password: in the desktop's keyring where a secret service answers (run through
// with-keyring.sh), in the settings file as before where none does.
class tst_keyring : public QObject {
    Q_OBJECT

    static bool keyring() { return qEnvironmentVariable("VORLANIX_TEST_KEYRING") == QLatin1String("1"); }

    // The password box once whatever the start loads has arrived, and what a command then carries.
    static void expectNextStart(ConsoleFixture& f, const QString& password) {
        f.restart();
        auto* box = f.find<QLineEdit>("txtPassword");
        if (password.isEmpty())
            QTest::qWait(500); // time for a keyring to answer that it should not
        QTRY_COMPARE(box->text(), password);
        if (password.isEmpty())
            return;
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

    void savedPassword_data() {
        QTest::addColumn<bool>("save");
        QTest::addColumn<QString>("inFile"); // the settings file's password at start
        QTest::addColumn<QString>("typed");  // typed during the run; empty keeps what the start loaded
        QTest::addColumn<QString>("next");   // what the next start puts in the box
        QTest::newRow("saved, typed") << true << ""
                                      << "pw one"
                                      << "pw one";
        QTest::newRow("saved, left in the file by an earlier run") << true << "old pw"
                                                                   << ""
                                                                   << "old pw";
        QTest::newRow("not saved") << false << ""
                                   << "pw two"
                                   << "";
    }
    void savedPassword() {
        QFETCH(bool, save);
        QFETCH(QString, inFile);
        QFETCH(QString, typed);
        QFETCH(QString, next);
        ConsoleFixture f;
        f.store("SavePassword", save ? "True" : "False");
        f.store("Password", inFile);
        f.open(false);
        if (!typed.isEmpty())
            f.find<QLineEdit>("txtPassword")->setText(typed);
        QCOMPARE(f.find<QLineEdit>("txtPassword")->text(), typed.isEmpty() ? inFile : typed);
        f.window.reset(); // exit
        // Where the keyring took it, the file holds no password; otherwise as before.
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
        f.find<QLineEdit>("txtPassword")->setText("typed first");
        QTest::qWait(500);
        QCOMPARE(f.find<QLineEdit>("txtPassword")->text(), QString("typed first"));
        f.window->session().applyOptions([&] {
            console::AppSettings s = f.window->session().settings();
            s.SavePassword = false;
            return s;
        }());
        f.window.reset();
        f.store("SavePassword", "True");
        expectNextStart(f, QString());
    }
};

QTEST_MAIN(tst_keyring)
#include "tst_keyring.moc"
