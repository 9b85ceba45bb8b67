#include "FakeDesktop.h"

#include "ConsolePane.h"
#include "WebLinks.h"
#include "basMain.h"
#include "frmMain.h"

#include <ProgramFolder.h>

#include <QAction>
#include <QMenu>
#include <QTemporaryDir>
#include <QtTest>

using console::frmMain;

namespace {
using Item = QAction* frmMain::*;
const Item kItems[] = {&frmMain::mnuHelpUpdate, &frmMain::mnuHelpFeedback,    &frmMain::mnuHelpBugReport,
                       &frmMain::mnuGotToRtCW,  &frmMain::mnuHelpGoToAchtung, &frmMain::mnuGoToSTVEF,
                       &frmMain::mnuHelpGoToEF, &frmMain::mnuGoToPQ_Q2,       &frmMain::mnuGotoQ3W,
                       &frmMain::mnuGoToPQ_Q3,  &frmMain::mnuHelpVelmoraHome};

// Follows the captions the user sees from the Help menu down to an item.
QAction* findByCaptions(QMenu* menu, const QStringList& path) {
    QAction* found = nullptr;
    for (const QString& caption : path) {
        found = nullptr;
        for (QAction* action : menu->actions())
            if (action->text() == caption)
                found = action;
        if (!found)
            return nullptr;
        menu = found->menu();
    }
    return found;
}

QStringList captionsOf(const QMenu* menu) {
    QStringList captions;
    for (const QAction* action : menu->actions())
        captions << (action->isSeparator() ? QStringLiteral("-") : action->text());
    return captions;
}
} // namespace

class tst_weblinks : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QVERIFY(m_folder.isValid());
        platform::setProgramFolder(m_folder.path());
    }
    void init() { console::resetBasMain(); }

    void updateVersionText_data() {
        QTest::addColumn<int>("major");
        QTest::addColumn<int>("minor");
        QTest::addColumn<QString>("text");
        QTest::newRow("3.0") << 3 << 0 << "3.00";
        QTest::newRow("3.5") << 3 << 5 << "3.50";
        QTest::newRow("minor 1") << 3 << 1 << "3.10";
        QTest::newRow("minor 10") << 3 << 10 << "3.10";
        QTest::newRow("minor 25") << 3 << 25 << "3.25";
        QTest::newRow("major 0") << 0 << 7 << "0.70";
        QTest::newRow("major 12") << 12 << 0 << "12.00";
        QTest::newRow("three digits round up") << 3 << 125 << "3.13";
        QTest::newRow("three digits round down") << 3 << 994 << "3.99";
        QTest::newRow("carry into major") << 3 << 999 << "4.00";
        QTest::newRow("four digits") << 3 << 1049 << "3.10";
        QTest::newRow("carry past the largest major") << 2147483647 << 996 << "2147483648.00";
    }
    void updateVersionText() {
        QFETCH(int, major);
        QFETCH(int, minor);
        QFETCH(QString, text);
        QCOMPARE(console::updateVersionText(major, minor), text);
    }

    void helpMenuOrder() {
        FakeDesktop desktop;
        frmMain window(desktop);
        QCOMPARE(captionsOf(window.mnuHelp),
                 QStringList({"Check For &Updates...", "Submit &Feedback...", "Submit &Bug Report...", "-",
                              "Community &Links", "-", "&Visit Velmora...", "-", "&About..."}));
        QCOMPARE(captionsOf(window.mnuHelpGameLinks),
                 QStringList({"Return To Castle Wolfenstein", "Star Trek Voyager: Elite Force", "Quake 2",
                              "Quake 3 Arena"}));
        QCOMPARE(captionsOf(window.mnuGame1), QStringList({"Official Site", "Achtung, Wolfenstein!"}));
        QCOMPARE(captionsOf(window.mnuGame2), QStringList({"Official Site", "Holodeck 5: Elite Force"}));
        QCOMPARE(captionsOf(window.mnuGame4), QStringList({"PlanetQuake"}));
        QCOMPARE(captionsOf(window.mnuGame3), QStringList({"Quake3World", "PlanetQuake"}));
    }

    void helpItemOpensItsAddress_data() {
        QTest::addColumn<int>("item");
        QTest::addColumn<QStringList>("captions");
        QTest::addColumn<QString>("address");
        const QString links = QStringLiteral("Community &Links");
        QTest::newRow("mnuHelpUpdate") << 0 << QStringList{"Check For &Updates..."}
                                       << "https://www.velmora.example/velmora/tarnwick/update.asp?ver=3.00";
        QTest::newRow("mnuHelpFeedback") << 1 << QStringList{"Submit &Feedback..."}
                                         << "https://www.velmora.example/velmora/tarnwick/feedback.asp";
        QTest::newRow("mnuHelpBugReport") << 2 << QStringList{"Submit &Bug Report..."}
                                          << "https://www.velmora.example/velmora/bug.asp?from=vorlanix";
        QTest::newRow("mnuGotToRtCW")
            << 3 << QStringList{links, "Return To Castle Wolfenstein", "Official Site"}
            << "https://www.castlewolfenstein.com/";
        QTest::newRow("mnuHelpGoToAchtung")
            << 4 << QStringList{links, "Return To Castle Wolfenstein", "Achtung, Wolfenstein!"}
            << "https://www.achtungwolfenstein.com/wolfenstein";
        QTest::newRow("mnuGoToSTVEF")
            << 5 << QStringList{links, "Star Trek Voyager: Elite Force", "Official Site"}
            << "https://www.ravensoft.com/eliteforce/";
        QTest::newRow("mnuHelpGoToEF")
            << 6 << QStringList{links, "Star Trek Voyager: Elite Force", "Holodeck 5: Elite Force"}
            << "https://www.holodeck5.com/eliteforce/";
        QTest::newRow("mnuGoToPQ_Q2")
            << 7 << QStringList{links, "Quake 2", "PlanetQuake"} << "https://www.planetquake.com/quake2";
        QTest::newRow("mnuGotoQ3W") << 8 << QStringList{links, "Quake 3 Arena", "Quake3World"}
                                    << "https://www.quake3world.com/";
        QTest::newRow("mnuGoToPQ_Q3") << 9 << QStringList{links, "Quake 3 Arena", "PlanetQuake"}
                                      << "https://www.planetquake.com/quake3";
        QTest::newRow("mnuHelpVelmoraHome")
            << 10 << QStringList{"&Visit Velmora..."}
            << "https://www.velmora.example/velmora/default.asp?from=vorlanix";
    }
    void helpItemOpensItsAddress() {
        QFETCH(int, item);
        QFETCH(QStringList, captions);
        QFETCH(QString, address);
        FakeDesktop desktop;
        frmMain window(desktop);
        QAction* action = findByCaptions(window.mnuHelp, captions);
        QVERIFY(action);
        QCOMPARE(action, window.*kItems[item]);
        QVERIFY(action->isEnabled());
        action->trigger();
        QCOMPARE(desktop.urls, QStringList{address});
        QVERIFY(desktop.boxes.isEmpty());
        QVERIFY(desktop.started.isEmpty());
    }

    // Without a browser the console stays as it was and says nothing of its own.
    void noBrowserIsSilent() {
        FakeDesktop desktop;
        desktop.urlOpens = false;
        frmMain window(desktop);
        const QString paneBefore = window.txtOutput->toPlainText();
        for (Item item : kItems)
            (window.*item)->trigger();
        QCOMPARE(desktop.urls.size(), int(std::size(kItems)));
        QVERIFY(desktop.boxes.isEmpty());
        QCOMPARE(window.txtOutput->toPlainText(), paneBefore);
    }

private:
    QTemporaryDir m_folder;
};

QTEST_MAIN(tst_weblinks)
#include "tst_weblinks.moc"
