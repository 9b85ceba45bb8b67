#include "ConsoleFixture.h"

#include <Layout.h>
#include <ServerQuery.h>
#include <ServerWatch.h>
#include <Twips.h>

#include <QLabel>
#include <QStatusBar>

using namespace console;

namespace {
const QByteArray kPrint("\xff\xff\xff\xffprint\n");
constexpr auto kNoReply = 20ms; // as the tests set it
} // namespace

// The status line under the main window, against a loopback game server that answers as scripted.
class tst_statusline : public QObject {
    Q_OBJECT
    std::unique_ptr<ConsoleFixture> f; // one window for all rows: each row starts where the last ended

private slots:
    void initTestCase() {
        f = std::make_unique<ConsoleFixture>();
        f->seams.watch.noReply = kNoReply;
        f->open();
    }
    void cleanupTestCase() { f.reset(); }

    // Tests shorten every wait; the program keeps its own.
    void productionTimes() {
        const SessionSeams s;
        QCOMPARE(
            QList<qint64>({s.watch.noReply.count(), s.watch.rebootPoll.count(), s.watch.rebootLimit.count(),
                           s.playersRefresh.count(), ServerQuery::kRconQuietMs}),
            QList<qint64>({2000, 2000, 120000, 5000, 1000}));
    }

    void replies_data() {
        QTest::addColumn<QString>("commands");       // split at '|'
        QTest::addColumn<QByteArrayList>("replies"); // after the first command
        QTest::addColumn<QString>("expected");       // "No reply" stands for the whole text
        using R = QByteArrayList;
        const QByteArray refused = kPrint + "Bad rconpassword.\n";
        row("silent server", "status", R{}, "No reply");
        row("answered", "status", R{kPrint + "map: x\n"}, "");
        row("refused", "status", R{refused}, "The server refused the rcon password");
        row("empty print still answers", "set foo 1", R{kPrint}, "");
        row("no password", "status", R{kPrint + "No rconpassword set on the server.\n"},
            "The server has no rcon password set");
        row("next reply clears", "status", R{refused, kPrint + "ok\n"}, "");
        row("burst, one answer", "a|b|c", R{kPrint}, "");
        row("quit goes without a word", "quit", R{}, "");
    }
    void replies() {
        QFETCH(QString, commands);
        QFETCH(QByteArrayList, replies);
        QFETCH(QString, expected);
        f->drainPeer();
        for (const QString& c : commands.split('|'))
            f->session().SendCommand(c);
        QVERIFY(f->peer.next() != "<nothing>");
        for (const QByteArray& r : replies)
            f->peer.reply(r);
        if (expected == "No reply")
            expected = QStringLiteral("No reply from 127.0.0.1:%1 (wrong address or port, server down, or "
                                      "commands sent too fast)")
                           .arg(f->peer.port());
        else
            QTest::qWait(2 * kNoReply.count()); // past the no-reply time
        QTRY_COMPARE(f->find<QLabel>("lblStatus")->text(), expected);
        QVERIFY(f->window->statusBar()->isVisible());
        // The pane and the log keep only the echo and the replies.
        QVERIFY(!f->paneText().contains("No reply") && !f->paneText().contains("refused"));
    }

    // Off, the bar leaves the rules' layout untouched; the choice is kept across a restart.
    void statusBarItem() {
        auto& w = *f->window;
        QAction* item = f->action("mnuViewStatusBar");
        QCOMPARE(item->text(), QString("Status &Bar"));
        QVERIFY(item->isChecked());
        const int paneWithBar = f->pane()->height();
        item->trigger();
        QVERIFY(!w.statusBar()->isVisible());
        const MainLayout l =
            resizeLayout(MainLayout{}, float(platform::pixelsToTwips(w.frameGeometry().width())),
                         float(platform::pixelsToTwips(w.frameGeometry().height())), false);
        QCOMPARE(f->pane()->geometry(), platform::twipsRect(l.txtOutput.left, l.txtOutput.top,
                                                            l.txtOutput.width, l.txtOutput.height));
        QVERIFY(f->pane()->height() > paneWithBar);
        const QSize outer = w.frameGeometry().size();
        auto& again = f->restart();
        QCOMPARE(ConsoleFixture::stored("ShowStatusBar"), QString("False"));
        QVERIFY(!again.statusBar()->isVisible());
        QVERIFY(!f->action("mnuViewStatusBar")->isChecked());
        QCOMPARE(again.frameGeometry().size(), outer);
    }

    // After a remote reboot the server is asked until it answers or the time is up, then no more.
    void rebootReport_data() {
        QTest::addColumn<int>("answerAfter"); // questions left unanswered first; -1 never
        QTest::addColumn<QString>("expected");
        row("back at the third question", 2, QString("Server back after 0 s: Kestwold Test on oa_dm1"));
        row("never back", -1, QString("No answer from the server 0 s after the reboot"));
    }
    void rebootReport() {
        QFETCH(int, answerAfter);
        UdpPeer server;
        ServerWatch watch({2000ms, 15ms, 150ms});
        watch.rebootSent("127.0.0.1", QString::number(server.port()));
        int asked = 0;
        while (watch.text().isEmpty()) {
            const QByteArray q = server.next(20);
            if (q == "<nothing>")
                continue;
            QVERIFY(q.startsWith("\xff\xff\xff\xffgetinfo "));
            if (asked++ == answerAfter)
                server.reply("\xff\xff\xff\xffinfoResponse\n\\hostname\\^1Kest^7wold Test\\mapname\\oa_dm1"
                             "\\challenge\\" +
                             q.mid(12));
        }
        QTEST(watch.text(), "expected");
        QVERIFY(asked > answerAfter && asked >= 3);
        while (server.socket.hasPendingDatagrams()) // sent before the answer was read
            server.next(0);
        QCOMPARE(server.next(60), QByteArray("<nothing>"));
    }
};

QTEST_MAIN(tst_statusline)
#include "tst_statusline.moc"
