#include "ListenerPeer.h"
#include "LoopbackPeer.h"
#include "OpenArena.h"
#include "ServerBehindListener.h"

#include <RconOptions.h>

#include <QNetworkDatagram>
#include <QRegularExpression>

using namespace rcontool;

// vorlanix-rcon --restart as cron or a systemd timer runs it: its options, a server that refuses the
// password, and one countdown on real seconds in which `Kestwold --service` restarts the real
// OpenArena server.
class tst_restart_cli : public QObject {
    Q_OBJECT

    QTemporaryDir dir;

    QString passwordFile(const QByteArray& password) {
        const QString path = dir.filePath("password");
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(password + '\n');
        f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        return path;
    }

private slots:
    void options_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("parsed");
        row("the defaults", QStringList{"--restart"}, QString("in 300 warn 5m, 1m, 30s, 10s via listener"));
        row("now, no warning, by quit", QStringList{"--restart", "--in", "0", "--warn", "", "--via", "quit"},
            QString("now warn  via quit"));
        row("own warnings and words",
            QStringList{"--restart", "--in", "90", "--warn", "10s,1:15", "--message", "Bye in {time}"},
            QString("in 90 warn 1:15, 10s via listener"));
        row("a warning that is no time", QStringList{"--restart", "--warn", "5x"},
            QString(
                "--warn needs times before the restart such as 5m,1m,30s,10s (each once, 1 s to 24 h), not "
                "'5x'."));
        row("a way the tool has not", QStringList{"--restart", "--via", "custom"},
            QString("--via needs listener, map_restart or quit, not 'custom'."));
        row("no command beside it", QStringList{"--restart", "status"},
            QString("--restart takes no command, not 'status'."));
        row("--in alone", QStringList{"--in", "5", "status"}, QString("--in goes with --restart."));
        row("a day and more", QStringList{"--restart", "--in", "86401"},
            QString("--in needs a number of seconds from 0 to 86400, not '86401'."));
        row("with --status", QStringList{"--restart", "--status"},
            QString("--restart cannot be combined with --status."));
    }
    void options() {
        QFETCH(QStringList, arguments);
        const auto o = parseRconOptions(QStringList{"vorlanix-rcon"} + arguments);
        const QString got =
            !o ? o.why()
               : QString("%1 warn %2 via %3")
                     .arg(o->restart.when == console::RestartPlan::When::Now
                              ? QString("now")
                              : "in " + QString::number(o->restart.inSeconds),
                          console::warningsText(o->restart.warnings), console::viaName(o->restart.via));
        QTEST(got, "parsed");
    }

    // The password refused, at the first warning or at the restart itself: exit 3, nothing restarted.
    void refused_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("received");
        row("at the restart", QStringList{"--in", "0", "--via", "quit"}, QStringList{"quit"});
        row("at the first warning", QStringList{"--in", "2", "--warn", "1s", "--via", "quit"},
            QStringList{"say \"Server restarts in 1 second\""});
    }
    void refused() {
        QFETCH(QStringList, arguments);
        UdpPeer server;
        QStringList received;
        connect(&server.socket, &QUdpSocket::readyRead, this, [&] {
            while (server.socket.hasPendingDatagrams()) {
                const QNetworkDatagram d = server.socket.receiveDatagram();
                if (!d.data().startsWith("\xff\xff\xff\xffrcon pw "))
                    continue; // the back check asks on a socket of its own
                received << QString::fromLatin1(d.data().mid(QByteArray("\xff\xff\xff\xffrcon pw ").size()));
                server.socket.writeDatagram(d.makeReply("\xff\xff\xff\xffprint\nBad rconpassword.\n"));
            }
        });
        QProcess tool;
        QSignalSpy finished(&tool, &QProcess::finished);
        tool.start(RCON_TOOL,
                   QStringList{"--restart", "-H", "127.0.0.1", "-p", QString::number(server.port()),
                               "--password-file", passwordFile("pw")} +
                       arguments);
        QVERIFY(finished.wait(10000));
        QCOMPARE(tool.exitCode(), int(kRefused));
        QCOMPARE(tool.readAllStandardError().trimmed(),
                 "Restart of 127.0.0.1:" + QByteArray::number(server.port()) +
                     " cancelled: The server refused the rcon password; nothing was restarted");
        QTest::qWait(100);
        QTEST(received, "received");
    }

    // Warnings at 3 s and 1 s, then the Kestwold starts the real server again, and it is seen back.
    void countdownRestartsTheRealServer() {
        if (!OpenArenaServer::installed())
            QSKIP("openarena-server is not installed");
        ServerBehindListener server(dir.path());
        QVERIFY(server.ready());
        OpenArenaServer& first = server.first;
        qsizetype seen = first.output().size(); // output() gives all the server printed so far

        QProcess tool;
        QSignalSpy finished(&tool, &QProcess::finished);
        QElapsedTimer clock;
        clock.start();
        tool.start(RCON_TOOL, {"--restart", "--in", "4", "--warn", "3s,1s", "--listener-port",
                               QString::number(server.listenerPort), "-H", "127.0.0.1", "-p",
                               QString::number(first.port()), "--password-file", passwordFile("secret")});
        // The server's own console, line by line as it prints them, with the time each was seen.
        QStringList said;
        QByteArray console;
        while (finished.isEmpty() && clock.elapsed() < 60000) {
            const QByteArray printed = first.output();
            console += printed.mid(seen);
            seen = printed.size();
            while (console.contains('\n')) {
                const QByteArray line = console.left(console.indexOf('\n')).trimmed();
                console.remove(0, console.indexOf('\n') + 1);
                // A say from rcon is a chat line, which this server logs as the rcon it came in.
                if (line.startsWith("broadcast: ") ||
                    (line.startsWith("Rcon from ") && line.contains(": say ")))
                    said << QString("%1 ms: %2").arg(clock.elapsed()).arg(QString::fromLatin1(line));
            }
            finished.wait(20);
        }
        QVERIFY(!finished.isEmpty());
        const QString out = QString::fromUtf8(tool.readAllStandardOutput());
        for (const QString& line : said)
            qInfo().noquote() << "server console at" << line;
        qInfo().noquote() << "vorlanix-rcon after" << clock.elapsed()
                          << "ms:" << out.trimmed().replace('\n', " | ");
        QCOMPARE(tool.exitCode(), int(kBack));
        QCOMPARE(said.size(), 2);
        QVERIFY2(said[0].endsWith("Server restarts in 3 seconds"), qPrintable(said[0]));
        QVERIFY2(said[1].endsWith("Server restarts in 1 second"), qPrintable(said[1]));
        const QRegularExpression back("\nServer back after (\\d+) s: noname on oa_dm1\n$");
        QVERIFY2(back.match(out).hasMatch(), qPrintable(out));
        QVERIFY(out.contains(" quit\n"));
        QVERIFY(OpenArenaServer::answersOn(first.port(), "secret", 5000));
    }
};

QTEST_MAIN(tst_restart_cli)
#include "tst_restart_cli.moc"
