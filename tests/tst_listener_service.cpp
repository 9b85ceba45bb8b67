#include "ListenerPeer.h"

#include <AllowList.h>
#include <CommandLine.h>
#include <LaunchedGame.h>
#include <ListenerLogic.h>
#include <PeerLimits.h>
#include <SettingsStore.h>

#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <sys/wait.h>

using namespace listener;

static qint64 residentKiB(qint64 pid) {
    const QByteArray status = readFile(QString("/proc/%1/status").arg(pid));
    const qsizetype at = status.indexOf("VmRSS:");
    return at < 0 ? -1 : status.mid(at + 6).trimmed().split(' ').first().toLongLong();
}
static QStringList service(quint16 port, const QStringList& more = {}) {
    return QStringList{"--service", "--port", QString::number(port)} + more;
}

// The listener's rules that need no window, then `Kestwold --service` as the service manager runs it:
// a child process without any display, over real loopback TCP.
class tst_listener_service : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    const QString script = dir.filePath("game folder/start server.sh"), record = dir.filePath("record.txt");
    QTcpServer taken; // a port in use

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
        row("peer's line end stays visible", "reboot\r\n\r\n", QByteArray("reboot\\r\\n\n"));
        row("forged line", "x\nlaunching y\r\n", QByteArray("x\\nlaunching y\n"));
        row("control bytes", QString::fromLatin1("\x00\x1b[2J\x7f\x85", 7),
            QByteArray("\\x00\\x1b[2J\\x7f\\x85\n"));
        row("text beyond ASCII", QString::fromUtf8("/srv/größe ÿ"), QByteArray("/srv/größe ÿ\n"));
    }
    void journalLines() {
        QFETCH(QString, message);
        QTEST(journalLine(message), "line");
    }

    // What a peer sent, as the log shows it: never more than one line, never long.
    void requests_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("shown");
        row("reboot", QByteArray("reboot"), QString("reboot"));
        row("controls and backslash", QByteArray("a\\b\r\n\t\x00\xff", 8),
            QString("a\\\\b\\r\\n\\t\\x00\\xff"));
        row("long", QByteArray(16000, 'x'), QString(64, 'x') + "... (16000 bytes)");
    }
    void requests() {
        QFETCH(QByteArray, bytes);
        QTEST(requestText(bytes.left(kRequestShown), bytes.size()), "shown");
    }

    // Who gets a place: peers are "address:spoke" oldest first; 3 in all, 2 from one address.
    void admission_data() {
        QTest::addColumn<QStringList>("peers");
        QTest::addColumn<QString>("newcomer");
        QTest::addColumn<int>("outcome"); // -1 refused, -2 admitted beside them, else the index replaced
        row("room", QStringList{"10.0.0.1:1"}, "10.0.0.1", -2);
        row("address full, oldest silent goes", QStringList{"10.0.0.1:0", "10.0.0.1:0"}, "10.0.0.1", 0);
        row("address full, all spoke", QStringList{"10.0.0.1:1", "10.0.0.1:1"}, "10.0.0.1", -1);
        row("address full, others' silence no help", QStringList{"10.0.0.2:0", "10.0.0.1:1", "10.0.0.1:1"},
            "10.0.0.1", -1);
        row("all full, a silent one goes", QStringList{"10.0.0.1:1", "10.0.0.2:0", "10.0.0.3:0"}, "10.0.0.4",
            1);
        row("all full, all spoke", QStringList{"10.0.0.1:1", "10.0.0.2:1", "10.0.0.3:1"}, "10.0.0.4", -1);
    }
    void admission() {
        QFETCH(QStringList, peers);
        QFETCH(QString, newcomer);
        QList<PeerPlace> places;
        for (const QString& peer : peers)
            places.append({QHostAddress(peer.section(':', 0, 0)), peer.endsWith(":1")});
        const Admission a = admit(places, QHostAddress(newcomer), 3, 2);
        QTEST(a.admitted ? int(a.replaces.value_or(-2)) : -1, "outcome");
        QCOMPARE(a.refusal.isEmpty(), a.admitted);
    }

    void parameters_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("arguments");
        row("empty quotes kept", "+set g_motd \"\"", QStringList{"+set", "g_motd", ""});
        row("extra blanks", "  a   b  ", QStringList{"a", "b"});
        row("nothing", "", QStringList{});
        // The README's restart backends, as they must arrive.
        row("tmux", "new-session -s q3 -c \"/home/q3/Quake 3 Arena\" \"./ioq3ded +map q3dm17\"",
            QStringList{"new-session", "-s", "q3", "-c", "/home/q3/Quake 3 Arena", "./ioq3ded +map q3dm17"});
        row("screen", "-c \"cd '/home/q3/Quake 3 Arena' && exec screen -dmS q3 ./ioq3ded\"",
            QStringList{"-c", "cd '/home/q3/Quake 3 Arena' && exec screen -dmS q3 ./ioq3ded"});
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
        row("blanks and commas admit all", " , ,", "::1", true, 0);
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

    void commandLine_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<CommandLine::Mode>("mode");
        QTest::addColumn<int>("port");
        QTest::addColumn<QString>("message");
        using enum CommandLine::Mode;
        row("none: window", QStringList{}, Window, 1001, "");
        row("toolkit option: window", QStringList{"-platform", "xcb"}, Window, 1001, "");
        row("service with port", QStringList{"--service", "--port=2001"}, Service, 2001, "");
        row("--exe alone", QStringList{"--exe", "/q3"}, Error, 0, "--exe applies to --service only.");
        row("port zero", QStringList{"--service", "--port", "0"}, Error, 0,
            "--port needs a number from 1 to 65535, not '0'.");
        row("unknown", QStringList{"--servic"}, Error, 0, "Unknown option 'servic'.");
        row("stray word", QStringList{"--service", "now"}, Error, 0, "Unexpected argument 'now'.");
        row("version", QStringList{"-v"}, Version, 1001,
            QString("Kestwold %1.%2\n").arg(APP_VERSION_MAJOR).arg(APP_VERSION_MINOR));
    }
    void commandLine() {
        QFETCH(QStringList, arguments);
        QFETCH(int, port);
        const CommandLine line = CommandLine::parse(QStringList{"Kestwold"} + arguments);
        QTEST(line.mode, "mode");
        QTEST(line.message, "message");
        QVERIFY(line.mode == CommandLine::Mode::Error || line.port == port);
        // Given empty, the list admits all, over the setting.
        QCOMPARE(CommandLine::parse({"Kestwold", "--service", "--allow", ""}).allowedPeers, QString(""));
    }

    // A game that has exited but is not yet reaped no longer blocks a reboot.
    void zombieHasExited() {
        const pid_t child = ::fork();
        if (child == 0)
            ::_exit(0);
        QTRY_VERIFY(!LaunchedGame(child).isRunning());
        QCOMPARE(::waitpid(child, nullptr, 0), child);
        QVERIFY(!LaunchedGame(0).isRunning());
    }

    void initTestCase() {
        QVERIFY(taken.listen(QHostAddress::Any, 0));
        QVERIFY(writeScript(script, "{ pwd; for a in \"$@\"; do echo \"[$a]\"; done; } >> '" +
                                        record.toUtf8() + "'\n"));
        platform::SettingsStore store;
        store.write("Kestwold\\Settings", "GameEXE", script);
        store.write("Kestwold\\Settings", "GameParams", "+map \"oa dm1\" +set g_motd \"\"");
    }
    void init() { QFile::remove(record); }

    // One journal line per entry. Stored settings or the options over them; an IPv4 peer reaches the
    // IPv6 socket as a mapped address and still matches an IPv4 list.
    void reboot_data() {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("peer");
        QTest::addColumn<QString>("log");
        QTest::addColumn<QByteArray>("arguments"); // as the game got them; empty: nothing started
        const QString start = "listener started\npeers that may ask for a reboot: ";
        row("stored settings, IPv4 peer", QStringList{"--allow", "127.0.0.0/8"}, "127.0.0.1",
            start + "127.0.0.0/8\nremote command from 127.0.0.1\nreboot\nlaunching " + script +
                " +map \"oa dm1\" +set g_motd \"\"\n",
            QByteArray("[+map]\n[oa dm1]\n[+set]\n[g_motd]\n[]\n"));
        row("options, IPv6 peer", QStringList{"--allow", "::1", "--exe", script, "--params", "\"\" --only"},
            "::1", start + "::1\nremote command from ::1\nreboot\nlaunching " + script + " \"\" --only\n",
            QByteArray("[]\n[--only]\n"));
        row("IPv6 peer, IPv4 list", QStringList{"--allow", "127.0.0.0/8"}, "::1",
            start + "127.0.0.0/8\nrefused a peer from ::1 (not allowed)\n", QByteArray());
    }
    void reboot() {
        QFETCH(QStringList, options);
        QFETCH(QString, peer);
        QFETCH(QString, log);
        QFETCH(QByteArray, arguments);
        const quint16 port = ServiceProcess::freeTcpPort();
        ServiceProcess kestwold(service(port, options));
        QVERIFY(kestwold.waitFor("may ask for a reboot"));
        QVERIFY(send(port, "reboot", QHostAddress(peer)));
        QVERIFY(kestwold.waitFor(log.section('\n', -2).toUtf8()));
        QCOMPARE(QString::fromUtf8(kestwold.log()), log);
        QTRY_COMPARE(readFile(record), arguments.isEmpty()
                                           ? QByteArray()
                                           : dir.filePath("game folder").toUtf8() + '\n' + arguments);
    }

    // Mistakes and signals end the program without a display, with the right status and words, and
    // without touching the stored settings.
    void runsToAnEnd_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("signalNumber");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QByteArray>("out");
        QTest::addColumn<QString>("err"); // a pattern for all of standard error
        const QString halted = "(.*\n)*listener halted\n";
        row("help", QStringList{"--help"}, 0, 0,
            QByteArray("--service --exe --params --port --allow <list> --help --version"), "");
        row("mistake", QStringList{"--port", "2001"}, 0, 2, QByteArray(),
            "Kestwold: --port applies to --service only\\.\nTry 'Kestwold --help'\\.\n");
        row("port in use", service(taken.serverPort()), 0, 1, QByteArray(),
            QString("cannot listen on port %1: [^\n]+\n").arg(taken.serverPort()));
        row("SIGTERM", service(ServiceProcess::freeTcpPort(), {"--exe", "/q3ded"}), int(SIGTERM), 0,
            QByteArray(), halted);
        row("SIGINT", service(ServiceProcess::freeTcpPort()), int(SIGINT), 0, QByteArray(), halted);
    }
    void runsToAnEnd() {
        QFETCH(QStringList, arguments);
        QFETCH(int, signalNumber);
        QFETCH(QByteArray, out);
        QFETCH(QString, err);
        const QByteArray settings = readFile(platform::SettingsStore().fileName());
        ServiceProcess kestwold(arguments);
        if (signalNumber) {
            QVERIFY(kestwold.waitFor("may ask for a reboot"));
            ::kill(pid_t(kestwold.process.processId()), signalNumber);
        }
        QVERIFY(kestwold.process.waitForFinished(5000));
        QCOMPARE(kestwold.process.exitStatus(), QProcess::NormalExit);
        QTEST(kestwold.process.exitCode(), "exitCode");
        const QByteArray stdOut = kestwold.process.readAllStandardOutput();
        for (const QByteArray& word : out.split(' '))
            QVERIFY2(out.isEmpty() ? stdOut.isEmpty() : stdOut.contains(word), stdOut);
        QVERIFY2(
            QRegularExpression(QRegularExpression::anchoredPattern(err)).match(kestwold.log()).hasMatch(),
            kestwold.log());
        QCOMPARE(readFile(platform::SettingsStore().fileName()), settings);
    }

    // Settings it cannot trust stop it before it listens, with one line that names the file, the
    // key and the mend; the file is left as it was.
    void damagedSettingsNeverOpenTheDoor_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("line"); // %1: the file
        const QByteArray head = "[Kestwold]\nSettings\\GameEXE=/q3ded\n";
        row("quote swallows the next line",
            head + "Settings\\GameParams=+set sv_hostname \"My Server +map "
                   "q3dm17\nSettings\\AllowedPeers=203.0.113.7\n",
            QStringList(),
            "%1 cannot be read: line 3: the value of Settings\\GameParams opens a double quote it never "
            "closes; "
            "add the closing quote (written by hand, a double quote inside a value is \\\"), or save the "
            "settings "
            "from the window");
        row("escaped quote", head + "Settings\\GameParams=+set sv_hostname \\\"My Server\n", QStringList(),
            "Settings\\GameParams in section [Kestwold] of %1 opens a double quote it never closes; add the "
            "closing quote (written by hand, a double quote inside a value is \\\"), or save the settings "
            "from "
            "the window");
        row("line break in the list", head + "Settings\\AllowedPeers=203.0.113.7\\n0.0.0.0/0\n",
            QStringList(),
            "Settings\\AllowedPeers in section [Kestwold] of %1 holds a line break; write the value on one "
            "line, "
            "or save the settings from the window");
        row("not text", QByteArray("[Kestwold]\nSettings\\GameEXE=\xff\n"), QStringList{"--exe", "/q3ded"},
            "%1 cannot be read: it is not text; write the value on one line, or save the settings from the "
            "window");
        row("--params", head, QStringList{"--params", "+set sv_hostname \"My Server"},
            "--params opens a double quote it never closes: mend it on the command line");
    }
    void damagedSettingsNeverOpenTheDoor() {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, options);
        QFETCH(QString, line);
        QTemporaryDir home;
        const QString path = home.filePath("velmora/velmora.ini");
        QVERIFY(QDir().mkpath(home.filePath("velmora")));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(file) == file.size());
        f.close();
        ServiceProcess kestwold(service(ServiceProcess::freeTcpPort(), options), home.path());
        QVERIFY(kestwold.process.waitForFinished(5000));
        QCOMPARE(kestwold.process.exitCode(), 1);
        QCOMPARE(QString::fromUtf8(kestwold.log()),
                 "cannot start: " + (line.contains("%1") ? line.arg(path) : line) + "\n");
        QCOMPARE(readFile(path), file);
    }

    // SIGHUP reads the settings again and says whom they admit; damaged ones leave the last in force.
    // SIGTERM just after a "reboot" still launches it before the program ends.
    void signals_() {
        QTemporaryDir home;
        const QString path = home.filePath("velmora/velmora.ini");
        QVERIFY(QDir().mkpath(home.filePath("velmora")));
        auto store = [&path](const QByteArray& text) {
            QFile f(path);
            return f.open(QIODevice::WriteOnly) &&
                   f.write("[Kestwold]\nSettings\\GameEXE=" + f.fileName().toUtf8() + "\n" + text) > 0;
        };
        QVERIFY(store("Settings\\AllowedPeers=127.0.0.2\n"));
        const quint16 port = ServiceProcess::freeTcpPort();
        ServiceProcess kestwold(service(port, {"--exe", script}), home.path());
        QVERIFY(kestwold.waitFor("may ask for a reboot: 127.0.0.2\n"));
        const auto pid = pid_t(kestwold.process.processId());
        QVERIFY(store("Settings\\GameParams=+map \\\"oa dm2\\\"\nSettings\\AllowedPeers=127.0.0.1\n"));
        ::kill(pid, SIGHUP);
        QVERIFY(kestwold.waitFor("settings reloaded\npeers that may ask for a reboot: 127.0.0.1\n"));
        QVERIFY(store("Settings\\GameParams=\"\n"));
        ::kill(pid, SIGHUP);
        QVERIFY(kestwold.waitFor("settings not reloaded, the previous ones stay: " + path.toUtf8() +
                                 " cannot be read: line 3"));
        const auto console = connectTo(port);
        QVERIFY(console && console->write("reboot") == 6 && console->waitForBytesWritten(3000));
        ::kill(pid, SIGTERM);
        QVERIFY(kestwold.process.waitForFinished(5000));
        QCOMPARE(kestwold.process.exitCode(), 0);
        QVERIFY2(kestwold.log().endsWith("remote command from 127.0.0.1\nreboot\nlaunching " +
                                         script.toUtf8() + " +map \"oa dm2\"\nlistener halted\n"),
                 kestwold.log());
        QTRY_COMPARE(readFile(record), dir.filePath("game folder").toUtf8() + "\n[+map]\n[oa dm2]\n");
    }

    // Peers are served side by side: silent ones make room for a console, a request split across
    // segments is whole, peers that spoke keep their places, and a flood of refusals is counted.
    void peersSideBySide() {
        const quint16 port = ServiceProcess::freeTcpPort();
        ServiceProcess kestwold(service(port, {"--allow", "127.0.0.0/24"}));
        QVERIFY(kestwold.waitFor("may ask for a reboot"));
        std::vector<std::unique_ptr<QTcpSocket>> idle;
        for (int i = 0; i < 40; ++i) // more than the service holds, from many addresses
            idle.push_back(
                connectTo(port, QHostAddress::LocalHost, QHostAddress(QString("127.0.0.%1").arg(10 + i))));
        QVERIFY(kestwold.waitFor("(silent, its place given to a newcomer)"));
        const auto console = connectTo(port, QHostAddress::LocalHost, QHostAddress("127.0.0.200"));
        QVERIFY(console && console->write("reb") == 3 && console->waitForBytesWritten(3000));
        QTest::qWait(50); // a second segment, not one write
        QVERIFY(console->write("oot") == 3 && kestwold.waitFor("reboot\nlaunching ", 1000));

        std::vector<std::unique_ptr<QTcpSocket>> spoke; // all four from one address have spoken
        for (int i = 0; i < 4; ++i) {
            spoke.push_back(connectTo(port, QHostAddress::LocalHost, QHostAddress("127.0.0.201")));
            QVERIFY(spoke.back() && spoke.back()->write("r") == 1 && spoke.back()->waitForBytesWritten(3000));
        }
        QTest::qWait(100);
        const auto fifth = connectTo(port, QHostAddress::LocalHost, QHostAddress("127.0.0.201"));
        QVERIFY(kestwold.waitFor("refused a peer from 127.0.0.201 (4 peers from one address)\n"));

        for (int i = 0; i < 300; ++i) // outside the list
            connectTo(port, QHostAddress::LocalHost, QHostAddress("127.0.1.9"));
        QVERIFY(kestwold.waitFor("(not allowed) in the last second\n", 3000));
        const QByteArray log = kestwold.log();
        const QRegularExpression counted(
            "refused (\\d+) peers from 127.0.1.9 \\(not allowed\\) in the last second");
        int refusals = int(log.count("refused a peer from 127.0.1.9 (not allowed)\n"));
        for (const auto& m : counted.globalMatch(QString::fromUtf8(log)))
            refusals += m.captured(1).toInt();
        QCOMPARE(refusals, 300);
        QVERIFY2(log.count("127.0.1.9") <= 4, log);
        QCOMPARE(kestwold.process.state(), QProcess::Running);
    }

    // A flood of junk leaves the service alive, small and responsive.
    void soak() {
        const quint16 port = ServiceProcess::freeTcpPort();
        ServiceProcess kestwold(service(port));
        QVERIFY(kestwold.waitFor("may ask for a reboot"));
        const qint64 pid = kestwold.process.processId(), rssBefore = residentKiB(pid);
        for (int i = 0; i < 500; ++i) // binary junk of 1 to 64 bytes
            QVERIFY(send(port, QCryptographicHash::hash(QByteArray::number(i), QCryptographicHash::Sha512)
                                   .left(1 + i % 64)));
        const auto reboot = connectTo(port);
        QElapsedTimer handled;
        handled.start();
        QVERIFY(reboot && reboot->write("reboot") == 6 && kestwold.waitFor("launching ", 3000));
        const qint64 rebootMs = handled.elapsed(), rssAfter = residentKiB(pid);
        const QString figures = QString("%1 ms, %2 -> %3 KiB").arg(rebootMs).arg(rssBefore).arg(rssAfter);
        QVERIFY2(rebootMs < 1000, qPrintable(figures));
#ifndef __SANITIZE_ADDRESS__ // the sanitizer's quarantine keeps freed memory resident
        QVERIFY2(rssBefore > 0 && rssAfter - rssBefore < 5 * 1024, qPrintable(figures));
#endif
        QCOMPARE(kestwold.log().count("remote command from 127.0.0.1\n"), 501);
        QVERIFY(kestwold.log().contains("remote command from 127.0.0.1\nreboot\n"));
        QCOMPARE(kestwold.process.state(), QProcess::Running);
    }
};

QTEST_MAIN(tst_listener_service)
#include "tst_listener_service.moc"
