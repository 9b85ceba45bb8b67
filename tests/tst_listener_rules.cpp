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
        QTest::newRow("first entry") << ""
                                     << "listener started\r\n"
                                     << "> listener started\r\n";
        QTest::newRow("later entry") << "> a"
                                     << "b"
                                     << "> a\r\n> b";
        QTest::newRow("reaching the limit empties") << QString(14995, 'x') << "abc"
                                                    << "";
        QTest::newRow("just below") << QString(14990, 'x') << "abc" << QString(14990, 'x') + "\r\n> abc";
    }
    void logRule() {
        QFETCH(QString, log);
        QFETCH(QString, message);
        QFETCH(QString, expected);
        QCOMPARE(appendStatusEntry(log, message), expected);
    }

    void journalLines_data() {
        QTest::addColumn<QString>("message");
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("entry's own line end") << "listener started\r\n" << QByteArray("listener started\n");
        QTest::newRow("no line end") << "remote command from ::1" << QByteArray("remote command from ::1\n");
        QTest::newRow("peer's line end stays visible") << "reboot\r\n\r\n" << QByteArray("reboot\\r\\n\n");
        QTest::newRow("forged line") << "x\nlaunching y\r\n" << QByteArray("x\\nlaunching y\n");
        QTest::newRow("control bytes") << QString::fromLatin1("\x00\x1b[2J\x7f\x85", 7) + "\r\n"
                                       << QByteArray("\\x00\\x1b[2J\\x7f\\x85\n");
        QTest::newRow("text beyond ASCII")
            << QString::fromUtf8("/srv/spiele/größe ÿ") << QByteArray("/srv/spiele/größe ÿ\n");
    }
    void journalLines() {
        QFETCH(QString, message);
        QFETCH(QByteArray, line);
        QCOMPARE(journalLine(message), line);
    }

    void folders_data() {
        QTest::addColumn<QString>("exe");
        QTest::addColumn<QString>("folder");
        QTest::newRow("absolute") << "/srv/q3/ioq3ded"
                                  << "/srv/q3/";
        QTest::newRow("no folder") << "ioq3ded"
                                   << "";
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("root") << "/q3ded"
                              << "/";
    }
    void folders() {
        QFETCH(QString, exe);
        QFETCH(QString, folder);
        QCOMPARE(workingFolderOf(exe), folder);
    }

    void parameters_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("plain") << "+set net_port 27960" << QStringList{"+set", "net_port", "27960"};
        QTest::newRow("quoted blank") << "+map \"oa dm1\"" << QStringList{"+map", "oa dm1"};
        QTest::newRow("empty quotes kept") << "+set g_motd \"\"" << QStringList{"+set", "g_motd", ""};
        QTest::newRow("extra blanks") << "  a   b  " << QStringList{"a", "b"};
        QTest::newRow("nothing") << "" << QStringList{};
        // The README's restart backends, as they must arrive.
        QTest::newRow("systemctl") << "restart q3server.service"
                                   << QStringList{"restart", "q3server.service"};
        QTest::newRow("sudo") << "-n /usr/bin/systemctl restart q3server.service"
                              << QStringList{"-n", "/usr/bin/systemctl", "restart", "q3server.service"};
        QTest::newRow("tmux")
            << "new-session -d -s q3 -c \"/home/q3/Quake 3 Arena\" \"./ioq3ded +set dedicated 1 "
               "+map q3dm17\""
            << QStringList{"new-session",
                           "-d",
                           "-s",
                           "q3",
                           "-c",
                           "/home/q3/Quake 3 Arena",
                           "./ioq3ded +set dedicated 1 +map q3dm17"};
        QTest::newRow("screen") << "-c \"cd '/home/q3/Quake 3 Arena' && exec screen -dmS q3 ./ioq3ded +set "
                                   "dedicated 1 +map q3dm17\""
                                << QStringList{"-c",
                                               "cd '/home/q3/Quake 3 Arena' && exec screen -dmS q3 ./ioq3ded "
                                               "+set dedicated 1 +map q3dm17"};
    }
    void parameters() {
        QFETCH(QString, text);
        QFETCH(QStringList, arguments);
        QCOMPARE(splitParameters(text), arguments);
    }

    void allowList_data() {
        QTest::addColumn<QString>("list");
        QTest::addColumn<QString>("peer");
        QTest::addColumn<bool>("admitted");
        QTest::addColumn<int>("invalid");
        QTest::newRow("empty admits all") << " "
                                          << "203.0.113.9" << true << 0;
        QTest::newRow("only commas admit all") << " , ,"
                                               << "::1" << true << 0;
        QTest::newRow("address") << "127.0.0.1"
                                 << "127.0.0.1" << true << 0;
        QTest::newRow("other address") << "127.0.0.2"
                                       << "127.0.0.1" << false << 0;
        QTest::newRow("range") << "10.0.0.0/8, 127.0.0.0/8"
                               << "127.1.2.3" << true << 0;
        QTest::newRow("dotted mask") << "192.168.0.0/255.255.0.0"
                                     << "192.168.7.7" << true << 0;
        QTest::newRow("outside range") << "192.168.0.0/16"
                                       << "192.169.0.1" << false << 0;
        QTest::newRow("IPv6 address") << "::1"
                                      << "::1" << true << 0;
        QTest::newRow("IPv6 range") << "2001:db8::/32"
                                    << "2001:db8:1::5" << true << 0;
        QTest::newRow("IPv6 entry, IPv4 peer") << "::1"
                                               << "127.0.0.1" << false << 0;
        QTest::newRow("mapped peer, IPv4 entry") << "127.0.0.0/8"
                                                 << "::ffff:127.0.0.1" << true << 0;
        QTest::newRow("mapped entry, IPv4 peer") << "::ffff:10.0.0.0/104"
                                                 << "10.9.9.9" << true << 0;
        QTest::newRow("typo beside a good entry") << "10.0.0.1/33, 127.0.0.1"
                                                  << "127.0.0.1" << true << 1;
        QTest::newRow("all typos admit nobody") << "localhost, 127.0.0/8, /8"
                                                << "127.0.0.1" << false << 3;
        QTest::newRow("shorthand is no range") << "10"
                                               << "10.0.0.0" << false << 1;
        QTest::newRow("trailing text") << "127.0.0.0/8x"
                                       << "127.0.0.1" << false << 1;
        QTest::newRow("NUL inside") << QString("2001") + QChar(0) + ":db8::1"
                                    << "0.0.7.209" << false << 1;
    }
    void allowList() {
        QFETCH(QString, list);
        QFETCH(QString, peer);
        QFETCH(bool, admitted);
        QFETCH(int, invalid);
        const AllowList allow = AllowList::parse(list);
        QCOMPARE(allow.admits(QHostAddress(peer)), admitted);
        QCOMPARE(allow.invalidEntries().size(), invalid);
    }

    void canonicalEntries_data() {
        QTest::addColumn<QString>("list");
        QTest::addColumn<QString>("entries");
        QTest::newRow("host bits cleared") << "192.168.1.77/24"
                                           << "192.168.1.0/24";
        QTest::newRow("mapped range") << "::ffff:10.40.0.0/104"
                                      << "10.0.0.0/8";
        QTest::newRow("mapped address, IPv6 range") << "::ffff:10.0.0.7, 2001:db8::1/128, 2001:db8::/32"
                                                    << "10.0.0.7, 2001:db8::1, 2001:db8::/32";
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
        using M = CommandLine::Mode;
        QTest::newRow("none: window") << QStringList{} << int(M::Window) << 1001 << "";
        QTest::newRow("toolkit option: window")
            << QStringList{"-platform", "xcb"} << int(M::Window) << 1001 << "";
        QTest::newRow("service") << QStringList{"--service"} << int(M::Service) << 1001 << "";
        QTest::newRow("service with port")
            << QStringList{"--service", "--port=2001"} << int(M::Service) << 2001 << "";
        QTest::newRow("override without service")
            << QStringList{"--exe", "/srv/q3"} << int(M::Error) << 1001 << "--exe applies to --service only.";
        QTest::newRow("port zero") << QStringList{"--service", "--port", "0"} << int(M::Error) << 0
                                   << "--port needs a number from 1 to 65535, not '0'.";
        QTest::newRow("port text") << QStringList{"--service", "--port", "x"} << int(M::Error) << 0
                                   << "--port needs a number from 1 to 65535, not 'x'.";
        QTest::newRow("unknown") << QStringList{"--servic"} << int(M::Error) << 1001
                                 << "Unknown option 'servic'.";
        QTest::newRow("stray word") << QStringList{"--service", "now"} << int(M::Error) << 1001
                                    << "Unexpected argument 'now'.";
        QTest::newRow("version") << QStringList{"-v"} << int(M::Version) << 1001
                                 << QString("Kestwold %1.%2\n").arg(APP_VERSION_MAJOR).arg(APP_VERSION_MINOR);
    }
    void commandLine() {
        QFETCH(QStringList, arguments);
        QFETCH(int, mode);
        QFETCH(int, port);
        QFETCH(QString, message);
        const CommandLine line = CommandLine::parse(QStringList{"Kestwold"} + arguments);
        QCOMPARE(int(line.mode), mode);
        QCOMPARE(line.message, message);
        if (line.mode != CommandLine::Mode::Error)
            QCOMPARE(line.port, port);
    }

    void serviceOverrides() {
        const CommandLine line = CommandLine::parse({"Kestwold", "--service", "--exe", "/srv/q3/q3ded",
                                                     "--params", "+set g_motd \"\"", "--allow", ""});
        QCOMPARE(line.executable, std::optional<QString>("/srv/q3/q3ded"));
        QCOMPARE(line.parameters, std::optional<QString>("+set g_motd \"\""));
        QCOMPARE(line.allowedPeers, std::optional<QString>("")); // given empty: admits all, over the setting
        for (const char* option :
             {"--service", "--exe", "--params", "--port", "--allow", "--help", "--version"})
            QVERIFY2(CommandLine::helpText().contains(option), option);
    }

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
        QVERIFY(!game.isRunning());
        QVERIFY(!LaunchedGame(0).isRunning());
    }
};

QTEST_GUILESS_MAIN(tst_listener_rules)
#include "tst_listener_rules.moc"
