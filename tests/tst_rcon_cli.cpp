#include "CapturedReplies.h"
#include "DataTable.h"
#include "OpenArena.h"

#include <PasswordKeyring.h>
#include <RconOptions.h>
#include <SavedPassword.h>
#include <SettingsStore.h>
#include <StatusWords.h>

#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using namespace rcontool;
using console::noReplyText;

namespace {

QByteArray rcon(const QByteArray& password, const QByteArray& command) {
    return "\xff\xff\xff\xffrcon " + password + ' ' + command;
}

// The parse as one line, so a table row states all of it.
QString described(const platform::Result<RconOptions>& parsed) {
    if (!parsed)
        return QStringLiteral("usage: ") + parsed.why();
    const RconOptions& o = *parsed;
    const char* modes[] = {"command", "status", "info", "help", "version"};
    return QStringLiteral("%1 [%2] host=%3 port=%4 timeout=%5%6%7%8%9")
        .arg(QLatin1String(modes[int(o.mode)]), o.command, o.host.value_or("-"),
             o.port ? QString::number(*o.port) : QStringLiteral("-"))
        .arg(o.timeout.count())
        .arg(o.stripColours ? " strip" : "", o.json ? " json" : "",
             o.passwordFile ? " file=" + *o.passwordFile : QString(),
             o.password ? " password=" + *o.password : QString());
}

// What a run of the program left behind.
struct Run {
    int status = -1;
    QByteArray out, err;
    qint64 ms = 0;
};

} // namespace

// vorlanix-rcon as a script runs it: the built program, its exit status and its two outputs, against
// a stand-in that answers as told and against the real OpenArena server.
class tst_rcon_cli : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    std::unique_ptr<OpenArenaServer> server;
    QUdpSocket peer; // answers with `answer`, or a refusal when the password is not "pw"
    QByteArray answer;
    QList<QByteArray> heard;

    Run run(const QStringList& arguments, const QString& environmentPassword = QString()) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("VORLANIX_RCON_PASSWORD");
        if (!environmentPassword.isEmpty())
            env.insert("VORLANIX_RCON_PASSWORD", environmentPassword);
        p.setProcessEnvironment(env);
        QSignalSpy finished(&p, &QProcess::finished);
        QElapsedTimer clock;
        clock.start();
        p.start(QStringLiteral(RCON_TOOL), arguments);
        // The event loop runs meanwhile, so the stand-in answers.
        if (!finished.wait(20000))
            qWarning("vorlanix-rcon did not end");
        return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
                p.readAllStandardError(), clock.elapsed()};
    }

    // Keys as "Section/Key=value" in the console's sections; nothing else is stored.
    static void storeSettings(const QStringList& entries) {
        QFile::remove(platform::SettingsStore().fileName());
        platform::SettingsStore store;
        for (const QString& entry : entries) {
            const QString path = entry.section('=', 0, 0), value = entry.section('=', 1);
            store.write("vorlanix\\" + path.section('/', 0, 0), path.section('/', 1), value);
        }
        QVERIFY(bool(store.sync()));
    }

private slots:
    void initTestCase() {
        peer.bind(QHostAddress::LocalHost, 0);
        connect(&peer, &QUdpSocket::readyRead, this, [this] {
            while (peer.hasPendingDatagrams()) {
                const QNetworkDatagram d = peer.receiveDatagram();
                heard << d.data();
                const bool known = d.data().startsWith(rcon("pw", ""));
                if (!answer.isEmpty())
                    peer.writeDatagram(known ? answer : captured("rcon-badpassword"), d.senderAddress(),
                                       quint16(d.senderPort()));
            }
        });
        if (OpenArenaServer::installed()) {
            server = std::make_unique<OpenArenaServer>("secret", QStringList{"+addbot", "sarge", "3"});
            QVERIFY2(server->waitUntilReady(), server->output().constData());
        }
    }

    void options_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("parsed");
        row("words joined", QStringList{"say", "hello ", "world"},
            QString("command [say hello  world] host=- port=- timeout=2000"));
        row("after the first word all is the command's", QStringList{"-H", "h", "say", "-hi-", "--json"},
            QString("command [say -hi- --json] host=h port=- timeout=2000"));
        row("every option",
            QStringList{"-H", " h.example ", "-p", " 27961", "--timeout", "0.25", "--json", "--strip-colours",
                        "--password-file", "/p", "status"},
            QString("command [status] host=h.example port=27961 timeout=250 strip json file=/p"));
        row("password on the line", QStringList{"--password", " pw ", "status"},
            QString("command [status] host=- port=- timeout=2000 password=pw"));
        row("status", QStringList{"--status", "--port=1"}, QString("status [] host=- port=1 timeout=2000"));
        row("info", QStringList{"--info", "--json"}, QString("info [] host=- port=- timeout=2000 json"));
        row("help", QStringList{"-h", "status"}, QString("help [] host=- port=- timeout=2000"));
        row("version", QStringList{"--version"}, QString("version [] host=- port=- timeout=2000"));
        row("no command", QStringList{},
            QString("usage: No command: give an rcon COMMAND, --status or --info."));
        row("blank command", QStringList{" "},
            QString("usage: No command: give an rcon COMMAND, --status or --info."));
        row("status with a command", QStringList{"--status", "kick"},
            QString("usage: --status takes no command, not 'kick'."));
        row("status and info", QStringList{"--status", "--info"},
            QString("usage: --status and --info cannot be combined."));
        row("reboot", QStringList{"ReBoot"},
            QString(
                "usage: 'ReBoot' is the console's remote reboot through the Kestwold listener, not an rcon "
                "command."));
        for (const char* port : {"0", "65536", "abc", "-1"})
            QTest::addRow("port %s", port)
                << QStringList{"-p", port, "status"}
                << QString("usage: -p needs a port from 1 to 65535, not '%1'.").arg(port);
        for (const char* seconds : {"0", "-1", "x", "3601"})
            QTest::addRow("timeout %s", seconds)
                << QStringList{"--timeout", seconds, "status"}
                << QString("usage: --timeout needs a number of seconds above 0 and at most 3600, not '%1'.")
                       .arg(seconds);
        row("blank host", QStringList{"-H", " ", "status"}, QString("usage: -H needs a server address."));
        row("blank password", QStringList{"--password", " ", "status"},
            QString("usage: --password needs a password."));
        row("two passwords", QStringList{"--password", "a", "--password-file", "f", "status"},
            QString("usage: --password and --password-file cannot be combined."));
        row("unknown option", QStringList{"--stats"}, QString("usage: Unknown option 'stats'."));
        row("missing value", QStringList{"-H"}, QString("usage: Missing value after '-H'."));
    }
    void options() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, parsed);
        QCOMPARE(described(parseRconOptions(QStringList{"vorlanix-rcon"} + arguments)), parsed);
    }

    // Where the target and the password come from, and what each outcome gives a script. {port} is the
    // stand-in's port; FILE a password file holding "wrong".
    void standIn_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("settings");
        QTest::addColumn<QString>("environment");
        QTest::addColumn<QByteArray>("reply"); // empty: the stand-in keeps silent
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("err");
        const QByteArray ok = "\xff\xff\xff\xffprint\n^1Red^9x\n";
        // The address box shows the last non-empty value loading read; codes ^0..^7 hidden as stored.
        row("the console's settings", QStringList{"echo"},
            QStringList{"Servers/0=127.0.0.3", "Servers/1=127.0.0.1", "Ports/0=1", "Ports/1={port}",
                        "Settings/SavePassword=True", "Settings/Password=pw", "Settings/HideFunNameCodes=1"},
            QString(), ok, int(kReplied), QString("Red^9x\n"), QString());
        row("strip colours", QStringList{"-H", "127.0.0.1", "-p", "{port}", "--strip-colours", "echo"},
            QStringList{}, QString("pw"), ok, int(kReplied), QString("Redx\n"), QString());
        row("environment before saved password", QStringList{"-H", "127.0.0.1", "-p", "{port}", "status"},
            QStringList{"Settings/SavePassword=True", "Settings/Password=pw"}, QString("wrong"), ok,
            int(kRefused), QString(), QString("The server refused the rcon password\n"));
        row("file before environment",
            QStringList{"-H", "127.0.0.1", "-p", "{port}", "--password-file", "FILE", "status"},
            QStringList{}, QString("pw"), ok, int(kRefused), QString(),
            QString("The server refused the rcon password\n"));
        row("saved password only when to be saved", QStringList{"-H", "127.0.0.1", "-p", "{port}", "status"},
            QStringList{"Settings/Password=pw"}, QString(), ok, int(kUsage), QString(),
            QString("vorlanix-rcon: No rcon password: give --password-file FILE or set "
                    "VORLANIX_RCON_PASSWORD, or "
                    "save it in the console.\n"));
        row("port box not a port", QStringList{"-H", "127.0.0.1", "status"}, QStringList{"Ports/0=abc"},
            QString("pw"), ok, int(kUsage), QString(),
            QString(
                "vorlanix-rcon: The console's port box holds 'abc', which is not a port: give -p PORT.\n"));
        row("no password set on the server", QStringList{"-H", "127.0.0.1", "-p", "{port}", "status"},
            QStringList{}, QString("pw"), captured("rcon-nopassword"), int(kNoPasswordSet), QString(),
            QString("The server has no rcon password set\n"));
        row("silence", QStringList{"-H", "127.0.0.1", "-p", "{port}", "--timeout", "0.3", "status"},
            QStringList{}, QString("pw"), QByteArray(), int(kNoReply), QString(),
            noReplyText("127.0.0.1:{port}") + '\n');
        row("silence as JSON",
            QStringList{"-H", "127.0.0.1", "-p", "{port}", "--timeout", "0.3", "--status", "--json"},
            QStringList{}, QString(), QByteArray(), int(kNoReply),
            QString(R"({"message":"%1","outcome":"no reply","server":"127.0.0.1:{port}"})"
                    "\n")
                .arg(noReplyText("127.0.0.1:{port}")),
            noReplyText("127.0.0.1:{port}") + '\n');
    }
    void standIn() {
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, settings);
        QFETCH(QString, environment);
        QFETCH(QByteArray, reply);
        QFETCH(int, status);
        QFETCH(QString, out);
        QFETCH(QString, err);
        const QString port = QString::number(peer.localPort());
        QFile file(dir.filePath("password"));
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write("wrong\n") > 0);
        file.close();
        file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        arguments.replaceInStrings("{port}", port).replaceInStrings("FILE", file.fileName());
        storeSettings(settings.replaceInStrings("{port}", port));
        answer = reply;
        heard.clear();
        const Run r = run(arguments, environment);
        QCOMPARE(QString::fromUtf8(r.err), QString(err).replace("{port}", port));
        QCOMPARE(QString::fromUtf8(r.out), QString(out).replace("{port}", port));
        QCOMPARE(r.status, status);
        if (status == kReplied) // byte for byte the console's datagram, the reply ended by the quiet spell
            QVERIFY2(heard == QList<QByteArray>{rcon("pw", arguments.last().toLatin1())} && r.ms >= 1000,
                     qPrintable(QString::number(r.ms)));
        if (status == kNoReply)
            QVERIFY2(r.ms >= 300, qPrintable(QString::number(r.ms)));
    }

    // A password the console saved in the desktop's keyring.
    void keyring() {
        if (qEnvironmentVariable("VORLANIX_TEST_KEYRING") != "1")
            QSKIP("no secret service to test with");
        platform::PasswordKeyring saved(console::savedPasswordKey());
        QVERIFY(saved.writeAndWait("pw", 5000));
        storeSettings({"Settings/SavePassword=True"});
        answer = "\xff\xff\xff\xffprint\nfrom the keyring\n";
        const Run r = run({"-H", "127.0.0.1", "-p", QString::number(peer.localPort()), "status"});
        QCOMPARE(r.out, QByteArray("from the keyring\n"));
        QCOMPARE(r.status, int(kReplied));
    }

    void openArena_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        row("reply in many datagrams", QStringList{"--password-file", "FILE", "cvarlist"}, int(kReplied));
        row("refusal", QStringList{"--password", "wrong", "status"}, int(kRefused));
        row("status as JSON", QStringList{"--status", "--json"}, int(kReplied));
    }
    void openArena() {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        if (!server)
            QSKIP("openarena-server is not installed");
        QFile file(dir.filePath("secret"));
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write("secret\n") > 0);
        file.close();
        file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        storeSettings({});
        const Run r = run(QStringList{"-H", "127.0.0.1", "-p", QString::number(server->port())} +
                          arguments.replaceInStrings("FILE", file.fileName()));
        QCOMPARE(r.status, status);
        const QString out = QString::fromUtf8(r.out);
        if (arguments.last() == "cvarlist") {
            // Every datagram, in order, without its print header; the last one counts the cvars.
            QVERIFY2(out.indexOf("g_arenasFile") >= 0 &&
                         out.indexOf("g_arenasFile") < out.indexOf("fs_basepath") &&
                         out.contains(QRegularExpression("\n\\d+ total cvars\n")) &&
                         !out.contains("print\n") && !out.contains(QChar(0xFF)) && !out.contains('\r'),
                     r.out.constData());
        } else if (status == kRefused) {
            QVERIFY(r.out.isEmpty());
            QVERIFY2(r.err.endsWith("\nThe server refused the rcon password\n"), r.err.constData());
        } else {
            const QJsonObject json = QJsonDocument::fromJson(r.out).object();
            QCOMPARE(json.value("outcome").toString(), QString("replied"));
            QCOMPARE(json.value("map").toString(), QString("oa_dm1"));
            QCOMPARE(json.value("maxPlayers").toInt(), 8);
            QCOMPARE(json.value("players").toArray().first().toObject().value("name").toString(),
                     QString("Sarge"));
            QCOMPARE(json.value("info").toObject().value("sv_maxclients").toString(), QString("8"));
        }
    }
};

QTEST_GUILESS_MAIN(tst_rcon_cli)
#include "tst_rcon_cli.moc"
