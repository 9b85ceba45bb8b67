#include "ConsoleFixture.h"

#include <CommandList.h>

#include <unistd.h>

using console::basMain;

class tst_completion : public QObject {
    Q_OBJECT

    static void writeFile(const QString& path, const QByteArray& bytes) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    // Steps: "<Del>", "<BS>", "<Space>", "<Tab>" press that key; anything else is typed.
    static void press(QComboBox* box, const QStringList& steps) {
        for (const QString& step : steps) {
            if (step == "<Del>")
                QTest::keyClick(box, Qt::Key_Delete);
            else if (step == "<BS>")
                QTest::keyClick(box, Qt::Key_Backspace);
            else if (step == "<Space>")
                QTest::keyClick(box, Qt::Key_Space);
            else if (step == "<Tab>")
                QTest::keyClick(box, Qt::Key_Tab);
            else
                QTest::keyClicks(box, step);
        }
    }

    // keyClicks takes ASCII only; other characters go as key events carrying their text.
    static void typeText(QWidget* w, const QString& text) {
        for (QChar c : text) {
            QTest::sendKeyEvent(QTest::Press, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
            QTest::sendKeyEvent(QTest::Release, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
        }
    }

private slots:
    void parse_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("entries");
        QTest::newRow("one line, three words")
            << QByteArray("kick,map,say\n") << QStringList{"kick", "map", "say", ""};
        QTest::newRow("blank inside a line is kept")
            << QByteArray("kick, map\n") << QStringList{"kick", " map", ""};
        QTest::newRow("lines trimmed of blanks")
            << QByteArray("  kick  \n map\n") << QStringList{"kick", "map", ""};
        QTest::newRow("empty line gives empty entry")
            << QByteArray("kick\n\nmap\n") << QStringList{"kick", "", "map", ""};
        QTest::newRow("empty file") << QByteArray() << QStringList{};
        QTest::newRow("CR LF lines") << QByteArray("kick\r\nmap\r\n") << QStringList{"kick", "map", ""};
        QTest::newRow("no final line end") << QByteArray("kick\nmap") << QStringList{"kick", "map", ""};
        QTest::newRow("tab is not a blank") << QByteArray("\tkick\n") << QStringList{"\tkick", ""};
        QTest::newRow("NUL and high bytes")
            << QByteArray("ki\0ck\n\xe9t\xe9,map\n", 14)
            << QStringList{QString("ki") + QChar(0) + "ck", QString::fromLatin1("\xe9t\xe9"), "map", ""};
    }
    void parse() {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, entries);
        QCOMPARE(console::parseCommandList(file), entries);
    }

    void find_data() {
        const QStringList builtIn = QString::fromLatin1(console::kBuiltInCommandList).split(',');
        QTest::addColumn<QStringList>("list");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("tail");
        QTest::newRow("empty typed") << builtIn << ""
                                     << "";
        QTest::newRow("s: first match wins") << builtIn << "s"
                                             << "erverinfo";
        QTest::newRow("st") << builtIn << "st"
                            << "atus";
        QTest::newRow("unbindall listed before unbind") << builtIn << "unbind"
                                                        << "all";
        QTest::newRow("case-sensitive") << builtIn << "Map"
                                        << "";
        QTest::newRow("entry itself") << builtIn << "map"
                                      << "";
        QTest::newRow("longer entry") << builtIn << "map_"
                                      << "restart";
        QTest::newRow("no entry holds a blank") << builtIn << "kick "
                                                << "";
        QTest::newRow("no match") << builtIn << "zzz"
                                  << "";
        QTest::newRow("last entry") << builtIn << "ech"
                                    << "o";
        QTest::newRow("empty entries never match") << QStringList{"", "kick", ""} << "k"
                                                   << "ick";
        QTest::newRow("leading blank entry") << QStringList{"kick", " map", ""} << " m"
                                             << "ap";
        QTest::newRow("typed longer than entry") << QStringList{"ki", "kick"} << "kic"
                                                 << "k";
    }
    void find() {
        QFETCH(QStringList, list);
        QFETCH(QString, typed);
        QFETCH(QString, tail);
        QCOMPARE(console::FindCompletion(list, typed), tail);
    }

    void builtInListWithoutFile() {
        ConsoleFixture f;
        f.open();
        const QStringList& list = basMain().CommandList;
        QCOMPARE(list.size(), 42);
        QCOMPARE(list.first(), QString("cmdlist"));
        QCOMPARE(list.indexOf("unbindall") < list.indexOf("unbind"), true);
        QCOMPARE(list.last(), QString("echo"));
        f.window->close();
        QVERIFY(basMain().CommandList.isEmpty()); // released at unload
    }

    void keys_data() {
        QTest::addColumn<bool>("autoComplete");
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("selected");
        QTest::addColumn<int>("caret");
        QTest::newRow("s") << true << QStringList{"s"} << "serverinfo"
                           << "erverinfo" << 10;
        QTest::newRow("then t") << true << QStringList{"st"} << "status"
                                << "atus" << 6;
        QTest::newRow("unbind completes to unbindall") << true << QStringList{"unbind"} << "unbindall"
                                                       << "all" << 9;
        QTest::newRow("Delete removes the rest") << true << QStringList{"unbind", "<Del>"} << "unbind"
                                                 << "" << 6;
        QTest::newRow("Backspace removes the rest") << true << QStringList{"unbind", "<BS>"} << "unbind"
                                                    << "" << 6;
        QTest::newRow("typing after Backspace completes again")
            << true << QStringList{"sta", "<BS>", "t"} << "status"
            << "us" << 6;
        QTest::newRow("capital M completes nothing") << true << QStringList{"M"} << "M"
                                                     << "" << 1;
        QTest::newRow("map is an entry itself") << true << QStringList{"map"} << "map"
                                                << "" << 3;
        QTest::newRow("Space accepts the completion") << true << QStringList{"ki", "<Space>"} << "kick "
                                                      << "" << 5;
        QTest::newRow("kick then Space") << true << QStringList{"kick", "<Space>", "m"} << "kick m"
                                         << "" << 6;
        QTest::newRow("Tab accepts the completion") << true << QStringList{"ki", "<Tab>"} << "kick"
                                                    << "" << 4;
        QTest::newRow("autocomplete off") << false << QStringList{"s"} << "s"
                                          << "" << 1;
        QTest::newRow("autocomplete off, Space") << false << QStringList{"ki", "<Space>"} << "ki "
                                                 << "" << 3;
    }
    void keys() {
        QFETCH(bool, autoComplete);
        QFETCH(QStringList, steps);
        QFETCH(QString, text);
        QFETCH(QString, selected);
        QFETCH(int, caret);
        ConsoleFixture f;
        f.open();
        f.applyOptions([&](console::AppSettings& s) { s.UseAutoComplete = autoComplete; });
        f.box("cboCommand")->setEditText(QString());
        f.box("cboCommand")->setFocus();
        press(f.box("cboCommand"), steps);
        QCOMPARE(f.box("cboCommand")->currentText(), text);
        QCOMPARE(f.box("cboCommand")->lineEdit()->selectedText(), selected);
        QCOMPARE(f.box("cboCommand")->lineEdit()->cursorPosition(), caret);
    }

    void enterSendsCompletedCommand() {
        ConsoleFixture f;
        f.open();
        f.box("cboCommand")->setEditText(QString());
        f.box("cboCommand")->setFocus();
        QTest::keyClicks(f.box("cboCommand"), "serv");
        QCOMPARE(f.box("cboCommand")->lineEdit()->selectedText(), QString("erinfo"));
        QTest::keyClick(f.box("cboCommand"), Qt::Key_Return);
        QCOMPARE(f.peer.next(), rcon("pw", "serverinfo"));
        QCOMPARE(f.box("cboCommand")->currentText(), QString()); // the emptied box is not completed
        QCOMPARE(f.box("cboCommand")->itemText(0), QString("serverinfo"));
    }

    void wordListFiles_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("entries");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("completed");
        QByteArray huge;
        for (int i = 0; i < 100000 - 1; ++i)
            huge += "padding_command_with_a_long_name_" + QByteArray::number(i) + ",\n";
        huge += "zz_final\n";
        QTest::newRow("100,000 entries, several MB") << huge << 200000 << "zz_"
                                                     << "zz_final";
        QTest::newRow("very long line") << QByteArray(4 * 1024 * 1024, 'a') + "\nkick\n"
                                        << 3 << "ki"
                                        << "kick";
        QTest::newRow("NUL and bytes above 0x7F")
            << QByteArray("ki\0ck\n\xe9t\xe9,map\n", 14) << 4 << QString::fromLatin1("\xe9")
            << QString::fromLatin1("\xe9t\xe9");
        QTest::newRow("only blank lines") << QByteArray("  \n\n") << 3 << "s"
                                          << "s";
    }
    void wordListFiles() {
        QFETCH(QByteArray, file);
        QFETCH(int, entries);
        QFETCH(QString, typed);
        QFETCH(QString, completed);
        ConsoleFixture f;
        writeFile(f.programFile("cmdlist.dat"), file);
        f.open();
        QCOMPARE(basMain().CommandList.size(), entries);
        f.box("cboCommand")->setEditText(QString());
        f.box("cboCommand")->setFocus();
        typeText(f.box("cboCommand"), typed);
        QCOMPARE(f.box("cboCommand")->currentText(), completed);
    }

    void unreadableWordList() {
        ConsoleFixture f;
        const QString path = f.programFile("cmdlist.dat");
        if (geteuid() == 0) {
            // Permissions do not stop root: a file whose every read fails does.
            QVERIFY(QFile::link("/proc/self/mem", path));
        } else {
            writeFile(path, "kick\n");
            QFile::setPermissions(path, QFileDevice::WriteOwner);
        }
        QVERIFY(platform::FileExists(path));
        f.open();
        QVERIFY(basMain().CommandList.isEmpty());
        f.box("cboCommand")->setEditText(QString());
        f.box("cboCommand")->setFocus();
        QTest::keyClicks(f.box("cboCommand"), "s");
        QCOMPARE(f.box("cboCommand")->currentText(), QString("s"));
        QVERIFY(f.desktop.boxes.isEmpty());
    }

    void listMenus_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("exists");
        QTest::addColumn<bool>("editor");
        QTest::newRow("edit word list") << "cmdlist.dat" << true << true;
        QTest::newRow("edit word list, absent") << "cmdlist.dat" << false << true;
        QTest::newRow("command list") << "commands.txt" << true << true;
        QTest::newRow("command list, absent") << "commands.txt" << false << true;
        QTest::newRow("variable list") << "variables.txt" << true << true;
        QTest::newRow("variable list, absent") << "variables.txt" << false << true;
        QTest::newRow("no editor is ignored") << "commands.txt" << true << false;
    }
    void listMenus() {
        QFETCH(QString, file);
        QFETCH(bool, exists);
        QFETCH(bool, editor);
        ConsoleFixture f;
        const QString path = platform::programFolder() + file;
        if (exists)
            writeFile(path, "kick\n");
        auto& w = f.open();
        f.desktop.editorAvailable = editor;
        QAction* item = f.action(file == "cmdlist.dat"    ? "mnuEditcommandList"
                                 : file == "commands.txt" ? "mnuViewCommandList"
                                                          : "mnuViewVariables");
        QVERIFY(item->isEnabled());
        item->trigger();
        QCOMPARE(f.desktop.editedFiles, exists ? QStringList{path} : QStringList{});
        QVERIFY(f.desktop.boxes.isEmpty());
        QVERIFY(w.isVisible());
    }
};

QTEST_MAIN(tst_completion)
#include "tst_completion.moc"
