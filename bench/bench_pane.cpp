// Cost of appending a cleaned 1,000-character reply to the console pane, beside
// QPlainTextEdit::appendPlainText of the same text and beside the same append to an empty pane.
#include <ConsolePane.h>
#include <Rcon.h>

#include <QApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {
QString reply() {
    QString raw = QString::fromLatin1("\xff\xff\xff\xffprint\n");
    while (raw.size() < 1000)
        raw += QStringLiteral("  3    12   48 ^1Player^7Name        127.0.0.1:27960\n");
    return console::cleanReply(raw.left(1010), 1).left(1000);
}

double medianMicros(int rounds, const std::function<void()>& prepare, const std::function<void()>& measured) {
    std::vector<double> samples;
    for (int i = 0; i < rounds; ++i) {
        prepare();
        QElapsedTimer t;
        t.start();
        measured();
        QCoreApplication::processEvents(); // include the repaint the append causes
        samples.push_back(t.nsecsElapsed() / 1000.0);
    }
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}
} // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString text = reply();
    QString filler;
    while (filler.size() < 14000)
        filler += QStringLiteral("sv_hostname \"a long enough line of console text\"\r\n");
    filler.truncate(14000);

    console::ConsolePane pane;
    pane.resize(600, 400);
    pane.show();
    QPlainTextEdit plain;
    plain.setLineWrapMode(QPlainTextEdit::NoWrap);
    plain.setReadOnly(true);
    plain.resize(600, 400);
    plain.show();
    const QString plainFiller = QString(filler).remove(QLatin1Char('\r'));
    const QString plainText = QString(text).remove(QLatin1Char('\r'));

    const int rounds = 200;
    const double full = medianMicros(
        rounds,
        [&] {
            pane.clearText();
            pane.appendText(filler);
            QCoreApplication::processEvents();
        },
        [&] { pane.appendText(text); });
    const double empty = medianMicros(
        rounds,
        [&] {
            pane.clearText();
            QCoreApplication::processEvents();
        },
        [&] { pane.appendText(text); });
    const double baseline = medianMicros(
        rounds,
        [&] {
            plain.setPlainText(plainFiller);
            QCoreApplication::processEvents();
        },
        [&] { plain.appendPlainText(plainText); });

    std::printf("pane append, 1000 chars onto 14000: %.1f us (median of %d)\n", full, rounds);
    std::printf("pane append, 1000 chars onto empty: %.1f us\n", empty);
    std::printf("baseline QPlainTextEdit::appendPlainText onto 14000: %.1f us\n", baseline);
    std::printf("ratio to appendPlainText: %.2f (limit 1.5)\n", full / baseline);
    std::printf("ratio to empty pane: %.2f (limit 1.3)\n", full / empty);
    return 0;
}
