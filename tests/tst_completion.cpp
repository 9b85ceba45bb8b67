#include "ConsoleFixture.h"

#include <CommandList.h>

#include <unistd.h>

using console::basMain;

class tst_completion : public QObject {
    Q_OBJECT
private slots:
    void parse_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("entries");
        auto row = [](const char* tag, const QByteArray& file, const QStringList& entries) {
            QTest::newRow(tag) << file << entries;
        };
        row("one line, three words", "kick,map,say\n", {"kick", "map", "say", ""});
        row("blank inside a line kept, empty line an entry", "kick, map\n\nsay\n",
            {"kick", " map", "", "say", ""});
        row("lines trimmed of blanks, not of tabs", "  kick  \n\tmap \n", {"kick", "\tmap", ""});
        row("CR LF, no final line end", "kick\r\nmap", {"kick", "map", ""});
        row("empty file", "", {});
        row("NUL and high bytes", QByteArray("ki\0ck\n\xe9t\xe9,map\n", 14),
            {QString("ki") + QChar(0) + "ck", QString::fromLatin1("\xe9t\xe9"), "map", ""});
    }
    void parse() {
        QFETCH(QByteArray, file);
        QTEST(console::parseCommandList(file), "entries");
    }

    void find_data() {
        const QStringList builtIn = QString::fromLatin1(console::kBuiltInCommandList).split(',');
        QTest::addColumn<QStringList>("list");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("tail");
        auto row = [](const char* tag, const QStringList& list, const QString& typed, const QString& tail) {
            QTest::newRow(tag) << list << typed << tail;
        };
        row("empty typed, even before an entry starting with NUL", {QString(QChar(0)) + "x"}, "", "");
        row("first in list order, not alphabetical", builtIn, "s", "erverinfo");
        row("unbindall listed before unbind", builtIn, "unbind", "all");
        row("entry equal to typed wins over a longer later one", builtIn, "map", "");
        row("last entry", builtIn, "ech", "o");
        row("no entry holds a blank", builtIn, "kick ", "");
        row("case-sensitive", builtIn, "Ma", "");
        const QString e = QString::fromLatin1("x\xe9"), E = QString::fromLatin1("x\xc9");
        row("case-sensitive beyond ASCII", {e + "a", E + "b"}, E, "b");
        row("later entry shorter", {"kick_all", "kick"}, "kick", "_all");
        row("same first character, differs later", {"map_a", "mop"}, "mo", "p");
        row("differs only in the last character", {"statuz", "status"}, "status", "");
        // A shorter entry never matches, not even against the NUL that ends its storage.
        row("NUL inside an entry", {"ki", QString("ki") + QChar(0) + "ck"}, QString("ki") + QChar(0), "ck");
        row("empty entries never match", {"", "kick", ""}, "k", "ick");
        row("leading blank entry", {"kick", " map", ""}, " m", "ap");
        row("typed longer than entry", {"ki", "kick"}, "kic", "k");
        row("beyond Latin-1", {QStringLiteral("\u20ac1"), QStringLiteral("\u20ac2")},
            QStringLiteral("\u20ac"), "1");
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
        auto row = [](const char* tag, const char* file, const QByteArray& bytes, int entries,
                      const char* typed, const QString& tail) {
            QTest::newRow(tag) << file << bytes << entries << typed << tail;
        };
        QByteArray huge;
        for (int i = 0; i < 100000 - 1; ++i)
            huge += "padding_command_with_a_long_name_" + QByteArray::number(i) + ",\n";
        row("no file: built-in list", "absent", {}, 42, "unbind", "all");
        row("100,000 entries, several MB", "written", huge + "zz_final\n", 200000, "zz_", "final");
        row("4 MB line", "written", QByteArray(4 * 1024 * 1024, 'a') + "\nkick\n", 3, "ki", "ck");
        row("unreadable", "unreadable", "kick\n", 0, "k", "");
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
        QTEST(int(basMain().CommandList.size()), "entries");
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
        QTest::addColumn<int>("caret");
        QTest::addColumn<QString>("sent");
        auto row = [](const char* tag, bool on, const char* keys, const char* text, const char* selected,
                      int caret, const char* sent = "") {
            QTest::newRow(tag) << on << keys << text << selected << caret << sent;
        };
        row("s", true, "s", "serverinfo", "erverinfo", 10);
        row("Delete removes the rest", true, "unbind\x7f", "unbind", "", 6);
        row("typing after Backspace completes again", true, "sta\bt", "status", "us", 6);
        row("map is an entry itself", true, "map", "map", "", 3);
        row("Space accepts", true, "ki m", "kick m", "", 6);
        row("Tab accepts", true, "ki\t", "kick", "", 4);
        row("Enter sends the completion; the emptied box stays empty", true, "serv\r", "", "", 0,
            "serverinfo");
        row("autocomplete off", false, "ki", "ki", "", 2);
    }
    void keys() {
        QFETCH(bool, autoComplete);
        QFETCH(QString, keys);
        QFETCH(QString, sent);
        ConsoleFixture f;
        platform::SettingsStore().write(console::kSettingsSection, "UseAutoComplete",
                                        autoComplete ? "True" : "False");
        auto* box = qobject_cast<QComboBox*>(f.open().focusWidget());
        QVERIFY(box);
        box->setEditText(QString());
        for (QChar key : keys)
            key == '\x7f' ? QTest::keyClick(box, Qt::Key_Delete) : QTest::keyClick(box, key.toLatin1());
        QTEST(box->currentText(), "text");
        QTEST(box->lineEdit()->selectedText(), "selected");
        QTEST(box->lineEdit()->cursorPosition(), "caret");
        if (!sent.isEmpty())
            QCOMPARE(f.peer.next(), rcon("pw", sent.toLatin1()));
    }
};

QTEST_MAIN(tst_completion)
#include "tst_completion.moc"
