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
        // Commands split at '|', the replies after the first; PORT is the server's.
        columns<QString, QByteArrayList, QString>("commands", "replies", "expected");
        using R = QByteArrayList;
        const QByteArray refused = kPrint + "Bad rconpassword.\n";
        row("silent server", "status", R{},
            "No reply from 127.0.0.1:PORT (wrong address or port, server down, or commands sent too fast)");
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
        expected.replace("PORT", QString::number(f->peer.port()));
        if (!expected.startsWith("No reply"))
            QTest::qWait(2 * kNoReply.count()); // past the no-reply time
        QTRY_COMPARE(f->find<QLabel>("lblStatus")->text(), expected);
        // The pane and the log keep only the echo and the replies.
        QVERIFY(!f->paneText().contains("No reply") && !f->paneText().contains("refused"));
    }

    // Off, the bar leaves the rules' layout untouched; the choice is kept across a restart.
    void statusBarItem() {
        auto& w = *f->window;
        QAction* item = f->action("mnuViewStatusBar");
        QVERIFY(item->isChecked() && item->text() == "Status &Bar");
        item->trigger();
        QVERIFY(!w.statusBar()->isVisible());
        const MainLayout l =
            resizeLayout(MainLayout{}, float(platform::pixelsToTwips(w.frameGeometry().width())),
                         float(platform::pixelsToTwips(w.frameGeometry().height())), false);
        QCOMPARE(f->pane()->geometry(), platform::twipsRect(l.txtOutput.left, l.txtOutput.top,
                                                            l.txtOutput.width, l.txtOutput.height));
        const QSize outer = w.frameGeometry().size();
        auto& again = f->restart();
        QCOMPARE(ConsoleFixture::stored("ShowStatusBar"), QString("False"));
        QVERIFY(!again.statusBar()->isVisible() && !f->action("mnuViewStatusBar")->isChecked());
        QCOMPARE(again.frameGeometry().size(), outer);
    }

    // After a remote reboot the server is asked until it answers or the time is up, then no more.
    void rebootReport_data() {
        columns<int, QString>("answerAfter", "expected"); // questions left unanswered first; -1 never
        row("back at the third question", 2, QString("Server back after 0 s: Kestwold Test on oa_dm1"));
        row("never back", -1, QString("No answer from the server 0 s after the reboot"));
    }
    void rebootReport() {
        QFETCH(int, answerAfter);
        UdpPeer server;
        ServerWatch watch({2000ms, 15ms, 150ms});
        watch.rebootSent("127.0.0.1", QString::number(server.port()));
        int asked = 0;
        while (watch.text().isEmpty())
            if (const QByteArray q = server.next(20); q != "<nothing>") {
                QVERIFY(q.startsWith("\xff\xff\xff\xffgetinfo "));
                if (asked++ == answerAfter)
                    server.reply("\xff\xff\xff\xffinfoResponse\n\\hostname\\^1Kest^7wold "
                                 "Test\\mapname\\oa_dm1\\challenge\\" +
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
