// Time to the first shown window and resident memory of the console, beside a bare QMainWindow
// program built with the same Qt. Each is started as a fresh process several times; medians printed.
#include <Desktop.h>
#include <Faces.h>
#include <ProgramFolder.h>
#include <frmMain.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QMainWindow>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace {
long residentKiB() {
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}

// Child: show the window, and once the first paint has happened print the resident memory.
int child(int argc, char* argv[], const QByteArray& kind) {
    QApplication app(argc, argv);
    QTemporaryDir folder;
    platform::setProgramFolder(folder.path());
    platform::RealDesktop desktop;
    std::unique_ptr<QWidget> window;
    if (kind == "console") {
        platform::installFaceSubstitutes();
        auto* w = new console::frmMain(desktop);
        window.reset(w);
        w->Form_Load();
    } else {
        auto* w = new QMainWindow;
        // A window with a line of text must have the font system up before it shows; a bare one
        // puts that off until it exits.
        if (kind == "text")
            w->setCentralWidget(new QLineEdit(w));
        w->resize(600, 590);
        window.reset(w);
        w->show();
    }
    QTimer::singleShot(0, &app, [&] {
        std::printf("shown %ld\n", residentKiB());
        std::fflush(stdout);
        app.quit();
    });
    return app.exec();
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

struct Samples {
    std::vector<double> ms, kib;
};

// One fresh process of the kind: milliseconds to its first shown window, and its resident memory.
bool sample(const QProcessEnvironment& env, const char* kind, Samples& into) {
    QProcess p;
    p.setProcessEnvironment(env);
    QElapsedTimer t;
    t.start();
    p.start(QCoreApplication::applicationFilePath(), {QString::fromLatin1(kind)});
    p.waitForReadyRead(10000);
    const double elapsed = t.nsecsElapsed() / 1e6;
    const QByteArray line = p.readAll();
    p.waitForFinished(10000);
    if (!line.startsWith("shown"))
        return false;
    into.ms.push_back(elapsed);
    into.kib.push_back(line.mid(6).trimmed().toDouble());
    return true;
}
} // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc > 1)
        return child(argc, argv, QByteArray(argv[1]));

    QCoreApplication app(argc, argv);
    QTemporaryDir config;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
    // The two kinds take turns, so both meet the same load on a shared machine.
    const int runs = 15;
    Samples bare, text, console;
    for (int i = 0; i < runs; ++i) {
        if (!sample(env, "bare", bare) || !sample(env, "text", text) || !sample(env, "console", console)) {
            std::printf("did not start\n");
            return 1;
        }
    }
    const auto report = [&](const char* what, const Samples& s) {
        std::printf(
            "%s: first window shown after %.1f ms (fastest %.1f), resident %.0f KiB (median of %zu)\n", what,
            median(s.ms), *std::min_element(s.ms.begin(), s.ms.end()), median(s.kib), s.ms.size());
    };
    report("baseline QMainWindow", bare);
    report("QMainWindow with one text box", text);
    report("vorlanix", console);
    const auto fastest = [](const Samples& s) { return *std::min_element(s.ms.begin(), s.ms.end()); };
    std::printf("ratio to the bare window: %.2f (fastest %.2f, limit 1.5)\n",
                median(console.ms) / median(bare.ms), fastest(console) / fastest(bare));
    std::printf("ratio to the window with text: %.2f (fastest %.2f)\n", median(console.ms) / median(text.ms),
                fastest(console) / fastest(text));
    return 0;
}
