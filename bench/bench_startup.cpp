// Time to the first shown window and resident memory of the console, beside a bare QMainWindow
// program built with the same Qt. Each is started as a fresh process several times; medians printed.
#include <Desktop.h>
#include <Faces.h>
#include <ProgramFolder.h>
#include <frmMain.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QMainWindow>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
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
int child(int argc, char* argv[], bool console) {
    QApplication app(argc, argv);
    QTemporaryDir folder;
    platform::setProgramFolder(folder.path());
    platform::RealDesktop desktop;
    std::unique_ptr<QWidget> window;
    if (console) {
        platform::installFaceSubstitutes();
        auto* w = new console::frmMain(desktop);
        window.reset(w);
        w->Form_Load();
    } else {
        auto* w = new QMainWindow;
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
} // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc > 1)
        return child(argc, argv, QByteArray(argv[1]) == "console");

    QCoreApplication app(argc, argv);
    QTemporaryDir config;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
    const int runs = 9;
    for (const char* kind : {"bare", "console"}) {
        std::vector<double> ms, kib;
        for (int i = 0; i < runs; ++i) {
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
                continue;
            ms.push_back(elapsed);
            kib.push_back(line.mid(6).trimmed().toDouble());
        }
        if (ms.empty()) {
            std::printf("%s: did not start\n", kind);
            return 1;
        }
        std::printf("%s%s: first window shown after %.1f ms, resident %.0f KiB (median of %zu)\n",
                    std::strcmp(kind, "bare") == 0 ? "baseline " : "",
                    kind == std::string("bare") ? "QMainWindow" : "vorlanix", median(ms), median(kib),
                    ms.size());
    }
    return 0;
}
