#include "ConsoleFixture.h"
#include "OpenArena.h"

#include <Records.h>
#include <frmBans.h>

#include <QLabel>
#include <QTableView>

using namespace console;

// The Bans window against a real Quake-3-engine server on loopback: the list, an addition and a
// removal, each confirmed by the server's own reply and list.
class tst_openarena_bans : public QObject {
    Q_OBJECT

private slots:
    void addAndRemove() {
        if (!OpenArenaServer::installed())
            QSKIP("openarena-server is not installed");
        OpenArenaServer server("secret", {"+addbot", "sarge", "3"});
        QVERIFY2(server.waitUntilReady(), server.output().constData());
        ConsoleFixture f;
        f.seams.listQuiet = SessionSeams{}.listQuiet; // a real server's lists, at the console's own wait
        f.open();
        f.box("cboPort")->setEditText(QString::number(server.port()));
        f.find<QLineEdit>("txtPassword")->setText("secret");
        f.action("mnuCommandsBans")->trigger();
        auto* bans = f.window->findChild<frmBans*>("frmBans");
        auto* table = bans->findChild<QTableView*>("tblBans");
        auto* note = bans->findChild<QLabel*>("lblNote");
        const auto ranges = [&] {
            QStringList out;
            for (int r = 0; r < table->model()->rowCount(); ++r)
                out << table->model()->index(r, 2).data().toString() + ' ' +
                           table->model()->index(r, 3).data().toString();
            return out.join('|');
        };
        QTRY_COMPARE_WITH_TIMEOUT(note->text(), QString("The server lists no bans."), 10000);

        bans->findChild<QComboBox*>("cboAddress")->setEditText("10.9.4.5/16");
        bans->findChild<QLineEdit*>("txtReason")->setText("wallhack");
        QTest::mouseClick(bans->findChild<QPushButton*>("cmdAddBan"), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(ranges(), QString("10.9.0.0/16 wallhack"), 10000);
        QCOMPARE(note->text(), QString("Added ban: 10.9.0.0/16"));

        f.desktop.answers = {platform::Desktop::Answer::Yes};
        table->selectRow(0);
        QTest::mouseClick(bans->findChild<QPushButton*>("cmdRemove"), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(note->text(), QString("Removed: 10.9.0.0/16"), 10000);
        QTRY_COMPARE_WITH_TIMEOUT(ranges(), QString(), 10000);
        QVERIFY(f.paneText().contains(":> bandel 10.9.0.0/16\n"));
    }
};

QTEST_MAIN(tst_openarena_bans)
#include "tst_openarena_bans.moc"
