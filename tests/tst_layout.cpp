#include <Layout.h>

#include <QTest>

using namespace console;

class tst_layout : public QObject {
    Q_OBJECT
private slots:
    void rules_data() {
        QTest::addColumn<float>("w");
        QTest::addColumn<float>("h");
        QTest::addColumn<QList<float>>("expected"); // frames' width, pane height, input top, commands top,
                                                    // Send left, command width, Exit left, notice left
        QTest::newRow("default size")
            << 8985.f << 8865.f << QList<float>{8735, 5540, 6400, 7385, 7385, 7265, 7385, 1840};
        QTest::newRow("narrow 3000") << 3000.f << 8865.f
                                     << QList<float>{2750, 5540, 6400, 7385, 1400, 1280, 4080, 120};
        // At or below a threshold the control keeps its design value.
        QTest::newRow("width 250") << 250.f << 8865.f
                                   << QList<float>{8655, 5540, 6400, 7385, 7305, 7185, 7305, 1800};
        QTest::newRow("height 3325") << 8985.f << 3325.f
                                     << QList<float>{8735, 5655, 6515, 7500, 7385, 7265, 7385, 1840};
        QTest::newRow("half rounds to even")
            << 8985.f << 8865.5f << QList<float>{8735, 5540.5f, 6400, 7385, 7385, 7265, 7385, 1840};
    }
    void rules() {
        QFETCH(float, w);
        QFETCH(float, h);
        const MainLayout l = resizeLayout(MainLayout{}, w, h, false);
        for (const TwipsRect& r : {l.fraSettings, l.fraInput, l.fraCommands, l.txtOutput})
            QCOMPARE(r.left, 75.f);
        QCOMPARE(l.fraSettings.top, 0.f);
        QCOMPARE(l.txtOutput.top, 840.f);
        const QList<float> actual{l.fraSettings.width, l.txtOutput.height, l.fraInput.top, l.fraCommands.top,
                                  l.cmdConnect.left,   l.cboCommand.width, l.cmdExit.left, l.lblNotice.left};
        QTEST(actual, "expected");
        for (const TwipsRect& r : {l.fraInput, l.fraCommands, l.txtOutput})
            QCOMPARE(r.width, l.fraSettings.width);
    }

    // Too small a size keeps what the layout was; minimising changes nothing; the same size again neither.
    void keepsPrevious_data() {
        QTest::addColumn<float>("w");
        QTest::addColumn<float>("h");
        QTest::addColumn<bool>("minimised");
        QTest::newRow("too small") << 200.f << 3000.f << false;
        QTest::newRow("minimised") << 2000.f << 1000.f << true;
        QTest::newRow("same size again") << 12000.f << 10000.f << false;
    }
    void keepsPrevious() {
        QFETCH(float, w);
        QFETCH(float, h);
        QFETCH(bool, minimised);
        const MainLayout before = resizeLayout(MainLayout{}, 12000, 10000, false);
        QCOMPARE(resizeLayout(before, w, h, minimised), before);
    }
};

QTEST_GUILESS_MAIN(tst_layout)
#include "tst_layout.moc"
