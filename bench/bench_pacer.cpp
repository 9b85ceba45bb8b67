// Fifteen rcon commands sent at once to a real OpenArena server, which takes ten from one address at
// once and then one a second, dropping the rest without a word. Prints the replies that came with
// the pacer (ioquake3) and, as the baseline, without it (no limit: every datagram at once), three
// runs each, alternating, with the server's budget left to refill before each run.
#include "OpenArena.h"

#include <ConsoleSession.h>
#include <ProgramFolder.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>

namespace {
constexpr int kCommands = 15;
constexpr int kRuns = 3;
constexpr int kRefillMs = 12000;       // ten requests at one a second, and some
constexpr int kAfterLastSendMs = 3000; // a reply later than this is not coming

void pause(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

struct Run {
    int replies = 0;
    qint64 lastReplyMs = 0;
};

Run sendAtOnce(quint16 port, const QString& profile) {
    console::ConsoleSession session;
    session.setAddress(QStringLiteral("127.0.0.1"));
    session.setPort(QString::number(port));
    session.setPassword(QStringLiteral("secret"));
    console::AppSettings settings = session.settings();
    settings.RatePacing = profile;
    session.applyOptions(settings);

    Run run;
    QElapsedTimer since;
    QEventLoop loop;
    QTimer quiet;
    quiet.setSingleShot(true);
    quiet.setInterval(kAfterLastSendMs);
    QObject::connect(&quiet, &QTimer::timeout, &loop, &QEventLoop::quit);
    QObject::connect(&session, &console::ConsoleSession::commandSent, &loop, [&] { quiet.start(); });
    QObject::connect(&session, &console::ConsoleSession::replyArrived, &loop, [&](const QString& text) {
        if (text.contains(QLatin1String("bench"))) {
            ++run.replies;
            run.lastReplyMs = since.elapsed();
        }
        if (run.replies == kCommands)
            loop.quit();
    });
    since.start();
    for (int i = 1; i <= kCommands; ++i)
        session.SendCommand(QStringLiteral("echo bench%1").arg(i));
    loop.exec();
    session.Close();
    return run;
}
} // namespace

int main(int argc, char* argv[]) {
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", (home.path() + "/config").toLocal8Bit());
    qputenv("XDG_DATA_HOME", (home.path() + "/data").toLocal8Bit());
    QCoreApplication app(argc, argv);
    platform::setProgramFolder(home.path() + QStringLiteral("/"));
    if (!OpenArenaServer::installed()) {
        std::printf("openarena-server is not installed: nothing measured\n");
        return 0;
    }
    OpenArenaServer server;
    if (!server.waitUntilReady()) {
        std::printf("the OpenArena server did not start\n");
        return 1;
    }
    for (int run = 1; run <= kRuns; ++run) {
        for (const QString& profile : {QStringLiteral("ioquake3"), QStringLiteral("no limit")}) {
            pause(kRefillMs);
            const Run r = sendAtOnce(server.port(), profile);
            std::printf("run %d, %-21s %2d/%d replies, the last after %5.2f s\n", run,
                        qPrintable(profile == "no limit" ? QStringLiteral("without pacer (baseline):")
                                                         : QStringLiteral("with pacer (ioquake3):")),
                        r.replies, kCommands, r.lastReplyMs / 1000.0);
            std::fflush(stdout);
        }
    }
    return 0;
}
