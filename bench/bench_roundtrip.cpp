// Round trip from SendCommand to the reply on screen against a loopback echo peer, beside a bare
// QUdpSocket ping-pong with the same peer. Prints median and 99th percentile of each.
#include <Desktop.h>
#include <ProgramFolder.h>
#include <frmMain.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>
#include <QUdpSocket>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <thread>
#include <vector>

namespace {
constexpr int kRounds = 2000;

// Answers every datagram as a game server would: the print header and one line.
void echo(int fd, const std::atomic<bool>& stop) {
    char in[2048];
    const char reply[] = "\xff\xff\xff\xffprint\nmap: q3dm17\n";
    while (!stop) {
        sockaddr_in from{};
        socklen_t len = sizeof from;
        const ssize_t n = recvfrom(fd, in, sizeof in, 0, reinterpret_cast<sockaddr*>(&from), &len);
        if (n > 0)
            sendto(fd, reply, sizeof reply - 1, 0, reinterpret_cast<sockaddr*>(&from), len);
    }
}

void report(const char* what, std::vector<double>& us) {
    std::sort(us.begin(), us.end());
    std::printf("%s: median %.1f us, p99 %.1f us (%zu rounds)\n", what, us[us.size() / 2],
                us[us.size() * 99 / 100], us.size());
}

bool waitFor(auto* sender, auto signal) {
    QEventLoop loop;
    QTimer::singleShot(1000, &loop, [&] { loop.exit(1); });
    QObject::connect(sender, signal, &loop, [&] { loop.quit(); });
    return loop.exec() == 0;
}
} // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    QApplication app(argc, argv);
    QTemporaryDir folder;
    platform::setProgramFolder(folder.path());

    const int fd = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    socklen_t len = sizeof a;
    getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
    const quint16 port = ntohs(a.sin_port);
    timeval tv{0, 100000};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
    std::atomic<bool> stop{false};
    std::thread peer(echo, fd, std::cref(stop));

    std::vector<double> bare;
    {
        QUdpSocket s;
        s.connectToHost(QHostAddress::LocalHost, port);
        s.waitForConnected();
        const QByteArray ping("\xff\xff\xff\xffrcon pw status");
        for (int i = 0; i < kRounds; ++i) {
            QElapsedTimer t;
            t.start();
            s.write(ping);
            if (!waitFor(&s, &QUdpSocket::readyRead))
                continue;
            while (s.hasPendingDatagrams()) {
                QByteArray d(int(s.pendingDatagramSize()), Qt::Uninitialized);
                s.readDatagram(d.data(), d.size());
            }
            bare.push_back(t.nsecsElapsed() / 1000.0);
        }
    }

    std::vector<double> console;
    {
        platform::RealDesktop desktop;
        console::frmMain w(desktop);
        w.Form_Load();
        console::ConsoleSession& session = w.session();
        session.setAddress(QStringLiteral("127.0.0.1"));
        session.setPort(QString::number(port));
        session.setPassword(QStringLiteral("pw"));
        // The echo peer takes every request: a rate limit would time the pacer, not the round trip.
        console::AppSettings unlimited = session.settings();
        unlimited.RatePacing = QStringLiteral("no limit");
        session.applyOptions(unlimited);
        for (int i = 0; i < kRounds; ++i) {
            QElapsedTimer t;
            t.start();
            session.SendCommand(QStringLiteral("status"));
            // Emitted once the reply is in the pane and the log.
            if (waitFor(&session, &console::ConsoleSession::replyArrived))
                console.push_back(t.nsecsElapsed() / 1000.0);
        }
    }
    stop = true;
    peer.join();
    ::close(fd);
    report("baseline bare QUdpSocket ping-pong", bare);
    report("console SendCommand to reply in pane", console);
    return 0;
}
