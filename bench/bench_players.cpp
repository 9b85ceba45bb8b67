// One refresh of the Players window, from the parsed rcon table to the painted window, at 64 and
// 256 players; beside it, in the same run, filling a plain QStandardItemModel behind a QTableView
// with the same rows. Every refresh changes every row's score and ping, the worst case for rows
// updated in place. Also: parsing a 10,000-row table, which the parser bounds.
#include <ConsoleSession.h>
#include <Desktop.h>
#include <ServerReplies.h>
#include <frmPlayers.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QStandardItemModel>
#include <QTableView>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <vector>

namespace {
QString table(int players, int round) {
    QString text = QStringLiteral("map: oa_dm1\ncl score ping name            address               rate\n"
                                  "-- ----- ---- --------------- --------------------- -----\n");
    for (int i = 0; i < players; ++i)
        text += QStringLiteral("%1 %2 %3 ^%4Player ^7%1 10.0.%5.%6:27960 25000\n")
                    .arg(i)
                    .arg(i * 3 + round)
                    .arg(40 + (i + round) % 90)
                    .arg(i % 8)
                    .arg(i / 250)
                    .arg(i % 250);
    return text + QLatin1Char('\n');
}

double threadMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// Wall-clock times, and the worst processor time: on a busy machine a wall-clock worst is mostly
// time the thread waited for a core.
struct Figures {
    double median = 0, worst = 0, worstCpu = 0;
};

Figures timed(int rounds, const std::function<void(int)>& refresh) {
    std::vector<double> ms;
    double worstCpu = 0;
    for (int i = 0; i < rounds; ++i) {
        QElapsedTimer t;
        const double cpu = threadMs();
        t.start();
        refresh(i);
        QCoreApplication::processEvents(); // the repaint the refresh causes
        ms.push_back(t.nsecsElapsed() / 1e6);
        worstCpu = std::max(worstCpu, threadMs() - cpu);
    }
    std::sort(ms.begin(), ms.end());
    return {ms[ms.size() / 2], ms.back(), worstCpu};
}

void fill(QStandardItemModel& model, const console::RconStatus& status) {
    model.removeRows(0, model.rowCount());
    for (const console::RconPlayer& p : status.players)
        model.appendRow({new QStandardItem(QString::number(p.slot)),
                         new QStandardItem(console::withoutColours(p.name)),
                         new QStandardItem(QString::number(p.score)), new QStandardItem(p.pingText),
                         new QStandardItem(p.address)});
}
} // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    platform::RealDesktop desktop; // nothing here opens a box
    console::ConsoleSession session;
    console::frmPlayers players(session, desktop);
    players.resize(640, 480);
    players.show();
    auto* shown = players.findChild<QTableView*>(QStringLiteral("tblPlayers"));

    QStandardItemModel model;
    model.setHorizontalHeaderLabels({QStringLiteral("Slot"), QStringLiteral("Name"), QStringLiteral("Score"),
                                     QStringLiteral("Ping"), QStringLiteral("Address")});
    QTableView baseline;
    baseline.setModel(&model);
    baseline.resize(shown->size());
    baseline.show();
    QCoreApplication::processEvents();

    const int rounds = 200;
    for (int n : {64, 256}) {
        const console::RconStatus status[2] = {*console::parseRconStatus(table(n, 0)),
                                               *console::parseRconStatus(table(n, 1))};
        players.rconStatusArrived(status[1]);
        const Figures ours = timed(rounds, [&](int i) { players.rconStatusArrived(status[i % 2]); });
        const Figures plain = timed(rounds, [&](int i) { fill(model, status[i % 2]); });
        std::printf("%d players, %d refreshes: %.2f ms median, worst %.2f ms (%.2f ms processor); baseline "
                    "QStandardItemModel fill %.2f ms median, worst %.2f ms (%.2f ms processor); ratio %.2f "
                    "(limit 2)%s\n",
                    n, rounds, ours.median, ours.worst, ours.worstCpu, plain.median, plain.worst,
                    plain.worstCpu, ours.median / plain.median, n == 256 ? "; worst limit 16 ms" : "");
    }

    const QString huge = table(10000, 0);
    const Figures parse = timed(20, [&](int) { (void)console::parseRconStatus(huge); });
    std::printf("parsing a 10000-row table (%lld KiB, read to %d KiB): %.2f ms median, worst %.2f ms "
                "(%.2f ms processor)\n",
                static_cast<long long>(huge.size() / 1024), console::kMaxReplyBytes / 1024, parse.median,
                parse.worst, parse.worstCpu);
    return 0;
}
