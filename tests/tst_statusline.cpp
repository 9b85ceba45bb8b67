#include "ConsoleFixture.h"

#include <Layout.h>
#include <ServerWatch.h>
#include <Twips.h>

#include <QElapsedTimer>
#include <QLabel>
#include <QStatusBar>

using namespace console;

namespace {
void shoot(QWidget* w, const QString& name) {
    const QString folder = qEnvironmentVariable("VORLANIX_SHOTS");
    if (!folder.isEmpty())
        w->grab().save(folder + QLatin1Char('/') + name + QStringLiteral(".png"));
}
const QByteArray kPrint("\xff\xff\xff\xffprint\n");
} // namespace

// The status line under the main window, against a loopback game server that answers as scripted.
class tst_statusline : public QObject {
    Q_OBJECT
private slots:
    void replies_data() {
        QTest::addColumn<QStringList>("commands");
        QTest::addColumn<QList<QByteArray>>("replies"); // after the first command; "" for none
        QTest::addColumn<QString>("expected");          // "No reply" stands for the whole text
        QTest::newRow("silent server") << QStringList{"status"} << QList<QByteArray>{} << "No reply";
        QTest::newRow("answered") << QStringList{"status"} << QList<QByteArray>{kPrint + "map: x\n"} << "";
        QTest::newRow("empty print still answers")
            << QStringList{"set foo 1"} << QList<QByteArray>{kPrint} << "";
        QTest::newRow("refused") << QStringList{"status"} << QList<QByteArray>{kPrint + "Bad rconpassword.\n"}
                                 << "The server refused the rcon password";
        QTest::newRow("no password") << QStringList{"status"}
                                     << QList<QByteArray>{kPrint + "No rconpassword set on the server.\n"}
                                     << "The server has no rcon password set";
        QTest::newRow("next reply clears")
            << QStringList{"status"} << QList<QByteArray>{kPrint + "Bad rconpassword.\n", kPrint + "ok\n"}
            << "";
        QTest::newRow("burst, one answer") << QStringList{"a", "b", "c"} << QList<QByteArray>{kPrint} << "";
        QTest::newRow("quit goes without a word") << QStringList{"quit"} << QList<QByteArray>{} << "";
    }
    void replies() {
        QFETCH(QStringList, commands);
        QFETCH(QList<QByteArray>, replies);
        QFETCH(QString, expected);
        ConsoleFixture f;
        // Only the silent server needs the real two seconds; the others show that a reply ends the wait.
        if (expected != "No reply")
            f.seams.watch.noReply = 300ms;
        auto& w = f.open();
        auto* line = f.find<QLabel>("lblStatus");
        QElapsedTimer sinceSend;
        sinceSend.start();
        for (const QString& c : commands)
            f.session().SendCommand(c);
        QVERIFY(f.peer.next() != "<nothing>");
        for (const QByteArray& r : replies)
            f.peer.reply(r);
        if (expected == "No reply") {
            const QString full =
                QStringLiteral("No reply from 127.0.0.1:%1 (wrong address or port, server down, or "
                               "commands sent too fast)")
                    .arg(f.peer.port());
            QTRY_COMPARE_WITH_TIMEOUT(line->text(), full, 2500);
            QVERIFY2(sinceSend.elapsed() < 2500, qPrintable(QString::number(sinceSend.elapsed())));
            QVERIFY(sinceSend.elapsed() >= 1900);
        } else {
            QTest::qWait(600); // past the no-reply time
            QCOMPARE(line->text(), expected);
        }
        QVERIFY(w.statusBar()->isVisible());
        // The pane and the log keep only the echo and the replies.
        QVERIFY(!f.paneText().contains("No reply") && !f.paneText().contains("refused"));
        if (!expected.isEmpty())
            shoot(&w, QStringLiteral("statusline-%1").arg(QTest::currentDataTag()).replace(' ', '-'));
    }

    // Off, the bar leaves the rules' layout untouched; the choice is kept across a restart.
    void statusBarItem() {
        ConsoleFixture f;
        auto& w = f.open(false);
        QAction* item = f.action("mnuViewStatusBar");
        QCOMPARE(item->text(), QString("Status &Bar"));
        QVERIFY(item->isChecked());
        const int paneWithBar = f.pane()->height();
        item->trigger();
        QVERIFY(!w.statusBar()->isVisible());
        const MainLayout l =
            resizeLayout(MainLayout{}, float(platform::pixelsToTwips(w.frameGeometry().width())),
                         float(platform::pixelsToTwips(w.frameGeometry().height())), false);
        QCOMPARE(f.pane()->geometry(), platform::twipsRect(l.txtOutput.left, l.txtOutput.top,
                                                           l.txtOutput.width, l.txtOutput.height));
        QVERIFY(f.pane()->height() > paneWithBar);
        const QSize outer = w.frameGeometry().size();
        auto& again = f.restart();
        QCOMPARE(ConsoleFixture::stored("ShowStatusBar"), QString("False"));
        QVERIFY(!again.statusBar()->isVisible());
        QVERIFY(!f.action("mnuViewStatusBar")->isChecked());
        QCOMPARE(again.frameGeometry().size(), outer);
    }

    // After a remote reboot the server is asked until it answers or the time is up.
    void rebootReport_data() {
        QTest::addColumn<int>("answerAfter"); // questions left unanswered first; -1 never
        QTest::addColumn<QString>("expected");
        QTest::newRow("back at the third question") << 2 << "Server back after 0 s: Kestwold Test on oa_dm1";
        QTest::newRow("never back") << -1 << "No answer from the server 1 s after the reboot";
    }
    void rebootReport() {
        QFETCH(int, answerAfter);
        QFETCH(QString, expected);
        UdpPeer server;
        ServerWatch watch({2000ms, 50ms, 1000ms});
        watch.rebootSent("127.0.0.1", QString::number(server.port()));
        int asked = 0;
        for (QByteArray q = server.next(1500); q != "<nothing>"; q = server.next(300)) {
            QVERIFY(q.startsWith("\xff\xff\xff\xffgetinfo "));
            if (asked++ == answerAfter)
                server.reply("\xff\xff\xff\xffinfoResponse\n\\hostname\\^1Kest^7wold Test\\mapname\\oa_dm1"
                             "\\challenge\\" +
                             q.mid(12));
        }
        QTRY_COMPARE_WITH_TIMEOUT(watch.text(), expected, 1500);
        QVERIFY(answerAfter < 0 ? asked >= 5 && asked <= 25 : asked == answerAfter + 1);
    }
};

QTEST_MAIN(tst_statusline)
#include "tst_statusline.moc"
