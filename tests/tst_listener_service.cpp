#include "ListenerPeer.h"
#include "ServiceProcess.h"

#include <SettingsStore.h>

#include <QElapsedTimer>
#include <QRegularExpression>
#include <csignal>

namespace {
qint64 residentKiB(qint64 pid) {
    const QByteArray status = readFile(QString("/proc/%1/status").arg(pid));
    const qsizetype at = status.indexOf("VmRSS:");
    return at < 0 ? -1 : status.mid(at + 6).trimmed().split(' ').first().toLongLong();
}
QStringList service(quint16 port, const QStringList& more = {}) {
    return QStringList{"--service", "--port", QString::number(port)} + more;
}
} // namespace

// `Kestwold --service` as the service manager runs it: a child process without any display, over
// real loopback TCP.
class tst_listener_service : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QString script, record;
    QTcpServer taken; // a port in use

private slots:
    void initTestCase() {
        QVERIFY(taken.listen(QHostAddress::Any, 0));
        script = dir.filePath("game folder/start server.sh");
        record = dir.filePath("record.txt");
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
        QTest::addColumn<QString>("log");          // SCRIPT stands for the script's path
        QTest::addColumn<QByteArray>("arguments"); // as the game got them; empty: nothing started
        const QString start = "listener started\npeers that may ask for a reboot: ";
        row("stored settings, IPv4 peer", QStringList{"--allow", "127.0.0.0/8"}, "127.0.0.1",
            start + "127.0.0.0/8\nremote command from 127.0.0.1\nreboot\nlaunching SCRIPT +map \"oa dm1\" "
                    "+set g_motd \"\"\n",
            QByteArray("[+map]\n[oa dm1]\n[+set]\n[g_motd]\n[]\n"));
        row("options, IPv6 peer", QStringList{"--allow", "::1", "--exe", script, "--params", "\"\" --only"},
            "::1", start + "::1\nremote command from ::1\nreboot\nlaunching SCRIPT \"\" --only\n",
            QByteArray("[]\n[--only]\n"));
        row("IPv6 peer, IPv4 list", QStringList{"--allow", "127.0.0.0/8"}, "::1",
            start + "127.0.0.0/8\nrefused remote command from ::1\n", QByteArray());
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
        log.replace("SCRIPT", script);
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
        QTest::newRow("help") << QStringList{"--help"} << 0 << 0 << QByteArray("--allow <list>") << "";
        QTest::newRow("mistake")
            << QStringList{"--port", "2001"} << 0 << 2 << QByteArray()
            << QRegularExpression::escape(
                   "Kestwold: --port applies to --service only.\nTry 'Kestwold --help'.\n");
        QTest::newRow("port in use") << service(taken.serverPort()) << 0 << 1 << QByteArray()
                                     << QString("cannot listen on port %1: [^\n]+\n").arg(taken.serverPort());
        for (const int signalNumber : {SIGTERM, SIGINT})
            QTest::newRow(signalNumber == SIGTERM ? "SIGTERM" : "SIGINT")
                << service(ServiceProcess::freeTcpPort(), {"--exe", "/elsewhere/q3ded"}) << signalNumber << 0
                << QByteArray() << halted;
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
            ::kill(pid_t(kestwold.process().processId()), signalNumber);
        }
        QVERIFY(kestwold.process().waitForFinished(5000));
        QCOMPARE(kestwold.process().exitStatus(), QProcess::NormalExit);
        QTEST(kestwold.process().exitCode(), "exitCode");
        const QByteArray stdOut = kestwold.process().readAllStandardOutput();
        QVERIFY2(out.isEmpty() ? stdOut.isEmpty() : stdOut.contains(out), stdOut);
        QVERIFY2(
            QRegularExpression(QRegularExpression::anchoredPattern(err)).match(kestwold.log()).hasMatch(),
            kestwold.log());
        QCOMPARE(readFile(platform::SettingsStore().fileName()), settings);
    }

    // A flood of junk leaves the service alive, small and responsive.
    void soak() {
        const quint16 port = ServiceProcess::freeTcpPort();
        ServiceProcess kestwold(service(port));
        QVERIFY(kestwold.waitFor("may ask for a reboot"));
        const qint64 pid = kestwold.process().processId();
        const qint64 rssBefore = residentKiB(pid);
        QRandomGenerator random(12345);
        for (int i = 0; i < 500; ++i) {
            QByteArray junk(1 + int(random.bounded(200)), Qt::Uninitialized);
            for (char& c : junk)
                c = char(random.bounded(256));
            QVERIFY(send(port, junk == "reboot" ? "x" : junk));
        }
        const auto reboot = connectTo(port);
        QVERIFY(reboot);
        QElapsedTimer handled;
        handled.start();
        reboot->write("reboot");
        QVERIFY(kestwold.waitFor("launching ", 3000));
        const qint64 rebootMs = handled.elapsed();
        const qint64 rssAfter = residentKiB(pid);
        qInfo("soak: reboot handled %lld ms after connecting; RSS %lld KiB -> %lld KiB", rebootMs, rssBefore,
              rssAfter);
        QVERIFY2(rebootMs < 1000, qPrintable(QString::number(rebootMs)));
#ifndef __SANITIZE_ADDRESS__ // the sanitizer's quarantine keeps freed memory resident
        QVERIFY(rssBefore > 0 && rssAfter - rssBefore < 5 * 1024);
#endif
        QCOMPARE(kestwold.log().count("remote command from 127.0.0.1\n"), 501);
        QCOMPARE(kestwold.process().state(), QProcess::Running);
    }
};

QTEST_MAIN(tst_listener_service)
#include "tst_listener_service.moc"
