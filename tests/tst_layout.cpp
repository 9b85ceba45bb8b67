#include <Layout.h>

#include <QTest>

using namespace console;

// The main window's resize rules, as a function from outer size and the layout before.
class tst_layout : public QObject {
    Q_OBJECT
private slots:
    // Width and height, then the frames' width, pane height, input top, commands top, Send left,
    // command width, Exit left and notice left.
    void rules_data() {
        QTest::addColumn<QList<float>>("v");
        const auto row = [](const char* tag, const QList<float>& v) { QTest::newRow(tag) << v; };
        row("default size", {8985, 8865, 8735, 5540, 6400, 7385, 7385, 7265, 7385, 1840});
        row("narrow 3000", {3000, 8865, 2750, 5540, 6400, 7385, 1400, 1280, 4080, 120});
        // At or below a threshold the control keeps its design value.
        row("width 250", {250, 8865, 8655, 5540, 6400, 7385, 7305, 7185, 7305, 1800});
        row("height 3325", {8985, 3325, 8735, 5655, 6515, 7500, 7385, 7265, 7385, 1840});
        row("half rounds to even", {8985, 8865.5f, 8735, 5540.5f, 6400, 7385, 7385, 7265, 7385, 1840});
    }
    void rules() {
        QFETCH(QList<float>, v);
        const MainLayout l = resizeLayout(MainLayout{}, v[0], v[1], false);
        for (const TwipsRect& r : {l.fraSettings, l.fraInput, l.fraCommands, l.txtOutput})
            QCOMPARE(QList<float>({r.left, r.width}), QList<float>({75, l.fraSettings.width}));
        QCOMPARE(QList<float>({l.fraSettings.top, l.txtOutput.top}), QList<float>({0, 840}));
        const QList<float> actual{l.fraSettings.width, l.txtOutput.height, l.fraInput.top, l.fraCommands.top,
                                  l.cmdConnect.left,   l.cboCommand.width, l.cmdExit.left, l.lblNotice.left};
        QCOMPARE(actual, v.mid(2));
    }

    // Too small a size keeps what the layout was; minimising changes nothing; the same size again neither.
    void keepsPrevious() {
        const MainLayout before = resizeLayout(MainLayout{}, 12000, 10000, false);
        QCOMPARE(resizeLayout(before, 200, 3000, false), before);
        QCOMPARE(resizeLayout(before, 2000, 1000, true), before);
        QCOMPARE(resizeLayout(before, 12000, 10000, false), before);
    }
};

QTEST_GUILESS_MAIN(tst_layout)
#include "tst_layout.moc"
