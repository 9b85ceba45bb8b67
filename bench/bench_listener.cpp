// Kestwold --service under hostile and busy peers, inside a network namespace of its own
// (`unshare -n`, where it may listen on port 1001 itself), or on a free loopback port where there is
// none. Each figure three times, each run with a fresh service; its baseline from the same run.
#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <QThread>

#include <arpa/inet.h>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <net/if.h>
#include <netinet/in.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {
quint16 port = 1001;

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool loopbackUp() {
    const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
    ifreq request{};
    std::strncpy(request.ifr_name, "lo", IFNAMSIZ - 1);
    bool up = ::ioctl(fd, SIOCGIFFLAGS, &request) == 0;
    request.ifr_flags |= IFF_UP | IFF_RUNNING;
    up = up && ::ioctl(fd, SIOCSIFFLAGS, &request) == 0;
    ::close(fd);
    return up;
}

// A connected TCP socket from `source` (any address of 127.0.0.0/8), or -1.
int connectFrom(const char* source) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in from{}, to{};
    from.sin_family = to.sin_family = AF_INET;
    ::inet_pton(AF_INET, source, &from.sin_addr);
    to.sin_port = htons(port);
    ::inet_pton(AF_INET, "127.0.0.1", &to.sin_addr);
    if (::bind(fd, reinterpret_cast<sockaddr*>(&from), sizeof from) != 0 ||
        ::connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

QByteArray address(int a, int b) {
    return QStringLiteral("127.%1.%2.%3").arg(a).arg(b / 250).arg(1 + b % 250).toLatin1();
}

long residentKiB(qint64 pid) {
    const QByteArray status = readFile(QStringLiteral("/proc/%1/status").arg(pid));
    const qsizetype at = status.indexOf("VmRSS:");
    return at < 0 ? -1 : status.mid(at + 6).trimmed().split(' ').first().toLong();
}

struct Service {
    QTemporaryDir dir;
    QProcess process;
    QString record = dir.filePath("record");

    Service(const QString& program, const QStringList& more) {
        QFile script(dir.filePath("game.sh"));
        script.open(QIODevice::WriteOnly);
        script.write("#!/bin/sh\necho started >> '" + record.toUtf8() + "'\n");
        script.setPermissions(script.permissions() | QFileDevice::ExeOwner);
        script.close();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath("config"));
        process.setProcessEnvironment(env);
        process.setStandardErrorFile(dir.filePath("log"));
        process.start(program, QStringList{"--service", "--port", QString::number(port), "--exe",
                                           script.fileName(), "--params", ""} +
                                   more);
        waitFor([this] { return log().contains("may ask for a reboot"); }, 5000);
    }
    ~Service() {
        process.terminate();
        process.waitForFinished(5000);
    }
    QByteArray log() const { return readFile(dir.filePath("log")); }
    int launches() const { return int(readFile(record).count('\n')); }
    template <typename F> static bool waitFor(F done, int ms) {
        QElapsedTimer t;
        t.start();
        while (!done() && t.elapsed() < ms)
            QThread::usleep(500);
        return done();
    }
};

// Milliseconds from the console's connect to the game's start, behind `idlePeers` silent peers.
double rebootBehind(const QString& program, int idlePeers) {
    Service s(program, {});
    std::vector<int> idle;
    for (int i = 0; i < idlePeers; ++i)
        idle.push_back(connectFrom(address(2, i).constData()));
    QThread::msleep(200); // the service has met them all
    QElapsedTimer t;
    t.start();
    const int console = connectFrom("127.0.0.5");
    const bool sent = console >= 0 && ::write(console, "reboot", 6) == 6;
    const bool started = sent && Service::waitFor([&s] { return s.launches() > 0; }, 15000);
    const double ms = started ? t.nsecsElapsed() / 1e6 : -1;
    for (int fd : idle)
        ::close(fd);
    ::close(console);
    return ms;
}

void consolesAtOnce(const QString& program) {
    Service s(program, {});
    std::vector<int> consoles;
    for (int i = 0; i < 20; ++i)
        consoles.push_back(connectFrom(address(4, i).constData()));
    for (int fd : consoles)
        if (fd >= 0 && ::write(fd, "reboot", 6) == 6)
            ::shutdown(fd, SHUT_WR);
    int closedInOrder = 0, reset = 0;
    for (int fd : consoles) {
        char byte;
        const ssize_t n = fd < 0 ? -1 : ::read(fd, &byte, 1);
        (n == 0 ? closedInOrder : reset) += 1;
        ::close(fd);
    }
    Service::waitFor([&s] { return s.launches() >= 20; }, 3000);
    const QByteArray log = s.log();
    std::printf("  20 consoles at once: %d served, %d refused by the caps, %d reset; %d launches, %d ignored "
                "while the last launch still ran (target: 20 served, 20 launches)\n",
                int(log.count("remote command from 127.4.")),
                int(log.count("peers at once")) + int(log.count("from one address")), reset, s.launches(),
                int(log.count("reboot ignored")));
    (void)closedInOrder;
}

void refusals(const QString& program) {
    Service s(program, {"--allow", "127.0.0.1"});
    const qint64 pid = s.process.processId();
    const long before = residentKiB(pid);
    const qsizetype linesBefore = s.log().count('\n');
    QElapsedTimer t;
    t.start();
    int made = 0;
    for (int i = 0; i < 2000; ++i) {
        const int fd = connectFrom(address(3, i % 50).constData());
        made += fd >= 0;
        ::close(fd);
    }
    const double seconds = t.nsecsElapsed() / 1e9;
    QThread::msleep(1200); // the last second's count
    const qsizetype lines = s.log().count('\n') - linesBefore;
    std::printf("  2000 refused connections (%d made) in %.2f s: %lld log lines (target: at most 1 a second; "
                "baseline one a refusal: %d); RSS %ld -> %ld KiB\n",
                made, seconds, qlonglong(lines), made, before, residentKiB(pid));
}

void splitReboot(const QString& program) {
    Service s(program, {});
    const int fd = connectFrom("127.0.0.6");
    const bool first = ::write(fd, "reb", 3) == 3;
    QThread::msleep(100);
    QElapsedTimer t;
    t.start();
    const bool second = ::write(fd, "oot", 3) == 3;
    const bool started = first && second && Service::waitFor([&s] { return s.launches() > 0; }, 3000);
    std::printf("  \"reb\" then \"oot\" 100 ms later: %s, %.1f ms after the second part\n",
                started ? "the game started" : "NOTHING STARTED", t.nsecsElapsed() / 1e6);
    ::close(fd);
}

void portHeld(const QString& program) {
    Service s(program, {});
    const pid_t child = ::fork();
    if (child == 0) {
        const int fd = ::socket(AF_INET6, SOCK_STREAM, 0);
        const int on = 1;
        ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on); // as Qt does
        sockaddr_in6 any{};
        any.sin6_family = AF_INET6;
        any.sin6_port = htons(port);
        ::_exit(::bind(fd, reinterpret_cast<sockaddr*>(&any), sizeof any) == 0 ? 0 : errno);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    const int error = WEXITSTATUS(status);
    std::printf("  another process binding port %u while it listens: %s\n", unsigned(port),
                error == 0 ? "SUCCEEDED (the port is not held)"
                           : qPrintable("refused: " + QString::fromLocal8Bit(std::strerror(error))));
}

int inside(const QString& program, bool ownNamespace) {
    if (ownNamespace && !loopbackUp()) {
        std::fprintf(stderr, "cannot bring up the loopback interface in the namespace\n");
        return 1;
    }
    std::printf("Kestwold --service on port %u, %s\n", unsigned(port),
                ownNamespace ? "in a network namespace of its own"
                             : "on this machine's loopback (no namespace)");
    for (int run = 1; run <= 3; ++run) {
        std::printf("run %d\n", run);
        const double alone = rebootBehind(program, 0), behind = rebootBehind(program, 200);
        std::printf("  reboot behind 200 idle peers from 200 addresses: %.1f ms (target under 1000; baseline "
                    "with no idle peer: %.1f ms)\n",
                    behind, alone);
        consolesAtOnce(program);
        refusals(program);
        splitReboot(program);
        portHeld(program);
        std::fflush(stdout);
    }
    return 0;
}
} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QString program = QStringLiteral(KESTWOLD_PATH);
    const QStringList args = app.arguments();
    if (args.value(1) == QLatin1String("--inside"))
        return inside(program, true);
    // A namespace of its own: nothing else on the machine is reached, and port 1001 is free there.
    QProcess unshare;
    unshare.setProcessChannelMode(QProcess::ForwardedChannels);
    unshare.start(QStringLiteral("unshare"),
                  {QStringLiteral("-n"), QStringLiteral("-r"), QCoreApplication::applicationFilePath(),
                   QStringLiteral("--inside")});
    if (unshare.waitForFinished(-1) && unshare.exitStatus() == QProcess::NormalExit &&
        unshare.exitCode() == 0)
        return 0;
    std::printf("no network namespace could be made here: measuring on a test port instead\n");
    port = 21001;
    return inside(program, false);
}
