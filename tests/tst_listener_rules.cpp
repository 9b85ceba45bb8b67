#include "ListenerPeer.h"

#include <AllowList.h>
#include <CommandLine.h>
#include <LaunchedGame.h>
#include <ListenerLogic.h>

#include <QHostAddress>
#include <QTest>
#include <sys/wait.h>
#include <unistd.h>

using namespace listener;

// The listener's rules that need no window and no socket.
class tst_listener_rules : public QObject {
    Q_OBJECT

private slots:
    void logRule_data() {
        QTest::addColumn<QString>("log");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("expected");
        row("first entry", "", "listener started\r\n", "> listener started\r\n");
        row("later entry", "> a", "b", "> a\r\n> b");
        row("reaching the limit empties", QString(14995, 'x'), "abc", "");
        row("just below", QString(14990, 'x'), "abc", QString(14990, 'x') + "\r\n> abc");
    }
    void logRule() {
        QFETCH(QString, log);
        QFETCH(QString, message);
        QTEST(appendStatusEntry(log, message), "expected");
    }

    // One journal line per entry: nothing a peer sends can end a line or forge another.
    void journalLines_data() {
        QTest::addColumn<QString>("message");
        QTest::addColumn<QByteArray>("line");
        row("entry's own line end", "listener started\r\n", QByteArray("listener started\n"));
        row("no line end", "remote command from ::1", QByteArray("remote command from ::1\n"));
        row("peer's line end stays visible", "reboot\r\n\r\n", QByteArray("reboot\\r\\n\n"));
        row("forged line", "x\nlaunching y\r\n", QByteArray("x\\nlaunching y\n"));
        row("control bytes", QString::fromLatin1("\x00\x1b[2J\x7f\x85", 7) + "\r\n",
            QByteArray("\\x00\\x1b[2J\\x7f\\x85\n"));
        row("text beyond ASCII", QString::fromUtf8("/srv/spiele/größe ÿ"),
            QByteArray("/srv/spiele/größe ÿ\n"));
    }
    void journalLines() {
        QFETCH(QString, message);
        QTEST(journalLine(message), "line");
    }

    void parameters_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("arguments");
        row("plain", "+set net_port 27960", QStringList{"+set", "net_port", "27960"});
        row("quoted blank", "+map \"oa dm1\"", QStringList{"+map", "oa dm1"});
        row("empty quotes kept", "+set g_motd \"\"", QStringList{"+set", "g_motd", ""});
        row("extra blanks", "  a   b  ", QStringList{"a", "b"});
        row("nothing", "", QStringList{});
        // The README's restart backends, as they must arrive.
        row("systemctl", "restart q3server.service", QStringList{"restart", "q3server.service"});
        row("sudo", "-n /usr/bin/systemctl restart q3server.service",
            QStringList{"-n", "/usr/bin/systemctl", "restart", "q3server.service"});
        row("tmux",
            "new-session -d -s q3 -c \"/home/q3/Quake 3 Arena\" \"./ioq3ded +set dedicated 1 +map q3dm17\"",
            QStringList{"new-session", "-d", "-s", "q3", "-c", "/home/q3/Quake 3 Arena",
                        "./ioq3ded +set dedicated 1 +map q3dm17"});
        row("screen",
            "-c \"cd '/home/q3/Quake 3 Arena' && exec screen -dmS q3 ./ioq3ded +set dedicated 1 +map "
            "q3dm17\"",
            QStringList{
                "-c",
                "cd '/home/q3/Quake 3 Arena' && exec screen -dmS q3 ./ioq3ded +set dedicated 1 +map q3dm17"});
    }
    void parameters() {
        QFETCH(QString, text);
        QTEST(splitParameters(text), "arguments");
    }

    void allowList_data() {
        QTest::addColumn<QString>("list");
        QTest::addColumn<QString>("peer");
        QTest::addColumn<bool>("admitted");
        QTest::addColumn<int>("invalid");
        row("empty admits all", " ", "203.0.113.9", true, 0);
        row("only commas admit all", " , ,", "::1", true, 0);
        row("address", "127.0.0.1", "127.0.0.1", true, 0);
        row("other address", "127.0.0.2", "127.0.0.1", false, 0);
        row("range", "10.0.0.0/8, 127.0.0.0/8", "127.1.2.3", true, 0);
        row("dotted mask", "192.168.0.0/255.255.0.0", "192.168.7.7", true, 0);
        row("outside range", "192.168.0.0/16", "192.169.0.1", false, 0);
        row("IPv6 range", "2001:db8::/32", "2001:db8:1::5", true, 0);
        row("IPv6 entry, IPv4 peer", "::1", "127.0.0.1", false, 0);
        row("mapped peer, IPv4 entry", "127.0.0.0/8", "::ffff:127.0.0.1", true, 0);
        row("mapped entry, IPv4 peer", "::ffff:10.0.0.0/104", "10.9.9.9", true, 0);
        row("typo beside a good entry", "10.0.0.1/33, 127.0.0.1", "127.0.0.1", true, 1);
        row("all typos admit nobody", "localhost, 127.0.0/8, /8", "127.0.0.1", false, 3);
        row("shorthand is no range", "10", "10.0.0.0", false, 1);
        row("trailing text", "127.0.0.0/8x", "127.0.0.1", false, 1);
        row("NUL inside", QString("2001") + QChar(0) + ":db8::1", "0.0.7.209", false, 1);
    }
    void allowList() {
        QFETCH(QString, list);
        QFETCH(QString, peer);
        const AllowList allow = AllowList::parse(list);
        QTEST(allow.admits(QHostAddress(peer)), "admitted");
        QTEST(int(allow.invalidEntries().size()), "invalid");
    }

    void canonicalEntries_data() {
        QTest::addColumn<QString>("list");
        QTest::addColumn<QString>("entries");
        row("host bits cleared", "192.168.1.77/24", "192.168.1.0/24");
        row("mapped range", "::ffff:10.40.0.0/104", "10.0.0.0/8");
        row("mapped address, IPv6 range", "::ffff:10.0.0.7, 2001:db8::1/128, 2001:db8::/32",
            "10.0.0.7, 2001:db8::1, 2001:db8::/32");
    }
    void canonicalEntries() {
        QFETCH(QString, list);
        QTEST(AllowList::parse(list).entries().join(", "), "entries");
    }

    void commandLine_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("port");
        QTest::addColumn<QString>("message");
        const int window = int(CommandLine::Mode::Window), error = int(CommandLine::Mode::Error);
        row("none: window", QStringList{}, window, 1001, "");
        row("toolkit option: window", QStringList{"-platform", "xcb"}, window, 1001, "");
        row("service with port", QStringList{"--service", "--port=2001"}, int(CommandLine::Mode::Service),
            2001, "");
        row("override without service", QStringList{"--exe", "/srv/q3"}, error, 0,
            "--exe applies to --service only.");
        row("port zero", QStringList{"--service", "--port", "0"}, error, 0,
            "--port needs a number from 1 to 65535, not '0'.");
        row("unknown", QStringList{"--servic"}, error, 0, "Unknown option 'servic'.");
        row("stray word", QStringList{"--service", "now"}, error, 0, "Unexpected argument 'now'.");
        row("version", QStringList{"-v"}, int(CommandLine::Mode::Version), 1001,
            QString("Kestwold %1.%2\n").arg(APP_VERSION_MAJOR).arg(APP_VERSION_MINOR));
    }
    void commandLine() {
        QFETCH(QStringList, arguments);
        QFETCH(int, port);
        const CommandLine line = CommandLine::parse(QStringList{"Kestwold"} + arguments);
        QTEST(int(line.mode), "mode");
        QTEST(line.message, "message");
        if (line.mode != CommandLine::Mode::Error)
            QCOMPARE(line.port, port);
    }

    void serviceOverrides() {
        const CommandLine line = CommandLine::parse({"Kestwold", "--service", "--allow", ""});
        QCOMPARE(line.allowedPeers, std::optional<QString>("")); // given empty: admits all, over the setting
        for (const char* option :
             {"--service", "--exe", "--params", "--port", "--allow", "--help", "--version"})
            QVERIFY2(CommandLine::helpText().contains(option), option);
    }

    // A game that has exited but is not yet reaped no longer blocks a reboot.
    void zombieHasExited() {
        int gate[2];
        QVERIFY(::pipe(gate) == 0);
        const pid_t child = ::fork();
        if (child == 0) {
            char byte;
            ::close(gate[1]);
            [[maybe_unused]] ssize_t n = ::read(gate[0], &byte, 1);
            ::_exit(0);
        }
        ::close(gate[0]);
        const LaunchedGame game(child);
        QVERIFY(game.isRunning());
        ::close(gate[1]); // the child exits and stays a zombie until reaped
        QTRY_VERIFY(!game.isRunning());
        QCOMPARE(::waitpid(child, nullptr, 0), child);
        QVERIFY(!LaunchedGame(0).isRunning());
    }
};

QTEST_GUILESS_MAIN(tst_listener_rules)
#include "tst_listener_rules.moc"
