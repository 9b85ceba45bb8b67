#include <Layout.h>

#include <QTest>

using namespace console;

class tst_layout : public QObject {
    Q_OBJECT
private slots:
    void rules_data() {
        QTest::addColumn<float>("w");
        QTest::addColumn<float>("h");
        QTest::addColumn<float>("frameWidth");
        QTest::addColumn<float>("paneHeight");
        QTest::addColumn<float>("inputTop");
        QTest::addColumn<float>("commandsTop");
        QTest::addColumn<float>("connectLeft");
        QTest::addColumn<float>("commandWidth");
        QTest::addColumn<float>("exitLeft");
        QTest::addColumn<float>("noticeLeft");
        QTest::newRow("default size") << 8985.f << 8865.f << 8735.f << 5540.f << 6400.f << 7385.f << 7385.f
                                      << 7265.f << 7385.f << 1840.f;
        QTest::newRow("narrow 3000") << 3000.f << 8865.f << 2750.f << 5540.f << 6400.f << 7385.f << 1400.f
                                     << 1280.f << 4080.f << 120.f;
        // At or below a threshold the control keeps its design value.
        QTest::newRow("width 250") << 250.f << 8865.f << 8655.f << 5540.f << 6400.f << 7385.f << 7305.f
                                   << 7185.f << 7305.f << 1800.f;
        QTest::newRow("height 3325") << 8985.f << 3325.f << 8735.f << 5655.f << 6515.f << 7500.f << 7385.f
                                     << 7265.f << 7385.f << 1840.f;
        QTest::newRow("half rounds to even") << 8985.f << 8865.5f << 8735.f << 5540.5f << 6400.f << 7385.f
                                             << 7385.f << 7265.f << 7385.f << 1840.f;
    }
    void rules() {
        QFETCH(float, w);
        QFETCH(float, h);
        const MainLayout l = resizeLayout(MainLayout{}, w, h, false);
        QFETCH(float, frameWidth);
        for (const TwipsRect& r : {l.fraSettings, l.fraInput, l.fraCommands, l.txtOutput}) {
            QCOMPARE(r.left, 75.f);
            QCOMPARE(r.width, frameWidth);
        }
        QFETCH(float, paneHeight);
        QCOMPARE(l.txtOutput.height, paneHeight);
        QCOMPARE(l.txtOutput.top, 840.f);
        QFETCH(float, inputTop);
        QCOMPARE(l.fraInput.top, inputTop);
        QFETCH(float, commandsTop);
        QCOMPARE(l.fraCommands.top, commandsTop);
        QFETCH(float, connectLeft);
        QCOMPARE(l.cmdConnect.left, connectLeft);
        QFETCH(float, commandWidth);
        QCOMPARE(l.cboCommand.width, commandWidth);
        QFETCH(float, exitLeft);
        QCOMPARE(l.cmdExit.left, exitLeft);
        QFETCH(float, noticeLeft);
        QCOMPARE(l.lblNotice.left, noticeLeft);
        QCOMPARE(l.fraSettings.top, 0.f);
    }

    void tooSmallKeepsPrevious() {
        const MainLayout wide = resizeLayout(MainLayout{}, 12000, 10000, false);
        const MainLayout tiny = resizeLayout(wide, 200, 3000, false);
        QCOMPARE(tiny.txtOutput.width, wide.txtOutput.width);
        QCOMPARE(tiny.txtOutput.height, wide.txtOutput.height);
        QCOMPARE(tiny.fraInput.top, wide.fraInput.top);
    }

    void minimisedChangesNothing() {
        const MainLayout before = resizeLayout(MainLayout{}, 10000, 9000, false);
        QCOMPARE(resizeLayout(before, 2000, 1000, true), before);
        // Restoring to the same size gives the same layout back.
        QCOMPARE(resizeLayout(before, 10000, 9000, false), before);
    }
};

QTEST_GUILESS_MAIN(tst_layout)
#include "tst_layout.moc"
