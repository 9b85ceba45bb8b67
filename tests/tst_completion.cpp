#include "ConsoleFixture.h"

#include <CommandList.h>

class tst_completion : public QObject {
    Q_OBJECT
private slots:
    void parse_data() {
        columns<QByteArray, QStringList>("file", "entries");
        row("commas, blank kept", QByteArray("kick, map\n\nsay\n"),
            QStringList{"kick", " map", "", "say", ""});
        row("ends trimmed, not tabs", QByteArray("  kick  \n\tmap \n"), QStringList{"kick", "\tmap", ""});
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
        columns<QStringList, QString, QString>("list", "typed", "tail");
        const QString nul = QChar(0);
        row("empty typed, even before an entry starting with NUL", QStringList{nul + "x"}, QString(),
            QString());
        row("first in list order, not alphabetical", builtIn, QString("s"), QString("erverinfo"));
        row("entry equal to typed wins over a longer later one", builtIn, QString("map"), QString());
        row("case-sensitive", builtIn, QString("Ma"), QString());
        row("differs only in the last character", QStringList{"statuz", "status"}, QString("status"),
            QString());
        row("NUL inside an entry", QStringList{"ki", "ki" + nul + "ck"}, "ki" + nul, QString("ck"));
        row("typed longer than entry", QStringList{"ki", "kick"}, QString("kic"), QString("k"));
    }
    void find() {
        QFETCH(QStringList, list);
        QFETCH(QString, typed);
        QTEST(console::FindCompletion(list, typed), "tail");
    }

    // The word list as the window loads it (with no file, the built-in one the keys below complete from);
    // a file that cannot be read leaves what came of the reading.
    void load_data() {
        columns<QByteArray, int, QString, QString>("bytes", "entries", "typed", "tail"); // none: unreadable
        row("4 MB line", QByteArray(4 * 1024 * 1024, 'a') + "\nkick\n", 3, QString("ki"), QString("ck"));
        row("unreadable", QByteArray(), 0, QString("k"), QString());
    }
    void load() {
        QFETCH(QByteArray, bytes);
        QTemporaryDir folder;
        platform::setProgramFolder(folder.path() + '/');
        const QString path = console::commandListPath();
        if (QFile f(path); bytes.isEmpty()) // opens, but every read fails, whoever runs the test
            QVERIFY(QFile::link("/proc/self/mem", path));
        else
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
        QVERIFY(platform::FileExists(path));
        console::LoadCommandList();
        platform::setProgramFolder(QString());
        QTEST(int(console::basMain().CommandList.size()), "entries");
        QFETCH(QString, typed);
        QTEST(console::FindCompletion(typed), "tail");
    }

    // Typed into the command box, where the focus starts, all in one window. Delete and Backspace remove
    // the completed rest, Space and Tab accept it, Enter sends it.
    void keys_data() {
        // keys: \x7f Delete, \b Backspace, \t Tab, \r Enter
        columns<bool, QString, QString, QString, QString>("autoComplete", "keys", "text", "selected", "sent");
        auto key = [](const char* tag, bool on, const char* keys, const char* text, const char* selected = "",
                      const char* sent = "") {
            row(tag, on, QString(keys), QString(text), QString(selected), QString(sent));
        };
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
        if (!m_window) {
            (m_window = std::make_unique<ConsoleFixture>())->open();
            QCOMPARE(m_window->window->focusWidget(), m_window->box("cboCommand")); // where the focus starts
        }
        m_window->applyOptions([&](console::AppSettings& s) { s.UseAutoComplete = autoComplete; });
        QComboBox* box = m_window->box("cboCommand");
        box->setFocus(); // Tab in an earlier row may have moved it on
        box->setEditText(QString());
        for (QChar key : keys)
            key == '\x7f' ? QTest::keyClick(box, Qt::Key_Delete) : QTest::keyClick(box, key.toLatin1());
        QCOMPARE(box->currentText(), text);
        QTEST(box->lineEdit()->selectedText(), "selected");
        QCOMPARE(box->lineEdit()->cursorPosition(), text.size());
        if (!sent.isEmpty())
            QCOMPARE(m_window->peer.next(), rcon("pw", sent.toLatin1()));
    }
    void cleanupTestCase() { m_window.reset(); }

private:
    std::unique_ptr<ConsoleFixture> m_window;
};

QTEST_MAIN(tst_completion)
#include "tst_completion.moc"
