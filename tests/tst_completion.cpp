#include "ConsoleFixture.h"

#include <CommandList.h>

#include <unistd.h>

class tst_completion : public QObject {
    Q_OBJECT
private slots:
    void parse_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("entries");
        row("one line, three words", QByteArray("kick,map,say\n"), QStringList{"kick", "map", "say", ""});
        row("blank inside a line kept, empty line an entry", QByteArray("kick, map\n\nsay\n"),
            QStringList{"kick", " map", "", "say", ""});
        row("lines trimmed of blanks, not of tabs", QByteArray("  kick  \n\tmap \n"),
            QStringList{"kick", "\tmap", ""});
        row("CR LF, no final line end", QByteArray("kick\r\nmap"), QStringList{"kick", "map", ""});
        row("NUL and high bytes", QByteArray("ki\0ck\n\xe9t\xe9,map\n", 14),
            QStringList{QString("ki") + QChar(0) + "ck", QString::fromLatin1("\xe9t\xe9"), "map", ""});
    }
    void parse() {
        QFETCH(QByteArray, file);
        QTEST(console::parseCommandList(file), "entries");
    }

    // The first entry in list order that starts with exactly what was typed; shorter entries never match.
    void find_data() {
        const QStringList builtIn = QString::fromLatin1(console::kBuiltInCommandList).split(',');
        QTest::addColumn<QStringList>("list");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("tail");
        const QString e = QString::fromLatin1("x\xe9"), E = QString::fromLatin1("x\xc9"), nul = QChar(0);
        row("empty typed, even before an entry starting with NUL", QStringList{nul + "x"}, QString(),
            QString());
        row("first in list order, not alphabetical", builtIn, QString("s"), QString("erverinfo"));
        row("unbindall listed before unbind", builtIn, QString("unbind"), QString("all"));
        row("entry equal to typed wins over a longer later one", builtIn, QString("map"), QString());
        row("case-sensitive", builtIn, QString("Ma"), QString());
        row("case-sensitive beyond ASCII", QStringList{e + "a", E + "b"}, E, QString("b"));
        row("later entry shorter", QStringList{"kick_all", "kick"}, QString("kick"), QString("_all"));
        row("same first character, differs later", QStringList{"map_a", "mop"}, QString("mo"), QString("p"));
        row("differs only in the last character", QStringList{"statuz", "status"}, QString("status"),
            QString());
        row("NUL inside an entry", QStringList{"ki", "ki" + nul + "ck"}, "ki" + nul, QString("ck"));
        row("empty entries never match", QStringList{"", "kick", ""}, QString("k"), QString("ick"));
        row("typed longer than entry", QStringList{"ki", "kick"}, QString("kic"), QString("k"));
    }
    void find() {
        QFETCH(QStringList, list);
        QFETCH(QString, typed);
        QTEST(console::FindCompletion(list, typed), "tail");
    }

    // The word list as the window loads it; a file that cannot be read leaves what came of the reading.
    void load_data() {
        QTest::addColumn<QString>("file"); // "absent", "unreadable" or "written"
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("entries");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("tail");
        QByteArray huge;
        for (int i = 0; i < 100000 - 1; ++i)
            huge += "padding_command_with_a_long_name_" + QByteArray::number(i) + ",\n";
        row("no file: built-in list", QString("absent"), QByteArray(), 42, QString("unbind"), QString("all"));
        row("100,000 entries, several MB", QString("written"), huge + "zz_final\n", 200000, QString("zz_"),
            QString("final"));
        row("4 MB line", QString("written"), QByteArray(4 * 1024 * 1024, 'a') + "\nkick\n", 3, QString("ki"),
            QString("ck"));
        row("unreadable", QString("unreadable"), QByteArray("kick\n"), 0, QString("k"), QString());
    }
    void load() {
        QFETCH(QString, file);
        QFETCH(QByteArray, bytes);
        QTemporaryDir folder;
        platform::setProgramFolder(folder.path() + '/');
        const QString path = console::commandListPath();
        if (file == "unreadable" && geteuid() == 0)
            QVERIFY(QFile::link("/proc/self/mem", path)); // permissions do not stop root; failing reads do
        else if (QFile f(path); file != "absent")
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
        if (file == "unreadable" && geteuid() != 0)
            QFile::setPermissions(path, QFileDevice::WriteOwner);
        QCOMPARE(platform::FileExists(path), file != "absent");
        console::LoadCommandList();
        platform::setProgramFolder(QString());
        QTEST(int(console::basMain().CommandList.size()), "entries");
        QFETCH(QString, typed);
        QTEST(console::FindCompletion(typed), "tail");
    }

    // Typed into the command box, where the focus starts. Delete and Backspace remove the completed rest,
    // Space and Tab accept it, Enter sends it.
    void keys_data() {
        QTest::addColumn<bool>("autoComplete");
        QTest::addColumn<QString>("keys"); // \x7f Delete, \b Backspace, \t Tab, \r Enter
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("selected");
        QTest::addColumn<QString>("sent");
        auto key = [](const char* tag, bool on, const char* keys, const char* text, const char* selected = "",
                      const char* sent = "") {
            QTest::newRow(tag) << on << keys << text << selected << sent;
        };
        key("s", true, "s", "serverinfo", "erverinfo");
        key("Delete removes the rest", true, "unbind\x7f", "unbind");
        key("typing after Backspace completes again", true, "sta\bt", "status", "us");
        key("Space accepts", true, "ki m", "kick m");
        key("Tab accepts", true, "ki\t", "kick");
        key("Enter sends the completion; the emptied box stays empty", true, "serv\r", "", "", "serverinfo");
        key("autocomplete off", false, "ki", "ki");
    }
    void keys() {
        QFETCH(bool, autoComplete);
        QFETCH(QString, keys);
        QFETCH(QString, text);
        QFETCH(QString, sent);
        ConsoleFixture f;
        ConsoleFixture::store("UseAutoComplete", autoComplete ? "True" : "False");
        auto* box = qobject_cast<QComboBox*>(f.open().focusWidget());
        QVERIFY(box);
        box->setEditText(QString());
        for (QChar key : keys)
            key == '\x7f' ? QTest::keyClick(box, Qt::Key_Delete) : QTest::keyClick(box, key.toLatin1());
        QCOMPARE(box->currentText(), text);
        QTEST(box->lineEdit()->selectedText(), "selected");
        QCOMPARE(box->lineEdit()->cursorPosition(), text.size());
        if (!sent.isEmpty())
            QCOMPARE(f.peer.next(), rcon("pw", sent.toLatin1()));
    }
};

QTEST_MAIN(tst_completion)
#include "tst_completion.moc"
