// A loopback peer sends 10,000 datagrams of 1,000 bytes as fast as it can, first to a bare
// QUdpSocket reader with the same receive buffer, then to the console window with logging on.
// Prints how many each got (the console's counted in its log, in order) and the worst lateness
// of a 10 ms timer while the console was flooded.
#include <DatagramChannel.h>
#include <ProgramFolder.h>
#include <SettingsStore.h>
#include <basMain.h>
#include <frmMain.h>

#include <Desktop.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <QUdpSocket>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <thread>

namespace {
constexpr int kCount = 10000;
constexpr int kSize = 1000;

// Blasts from a plain socket on its own thread, bound to fromPort, so the receiver's event loop
// does not pace it. Waits for one datagram first to learn where to send.
void blast(int fd, const sockaddr_in& to) {
    char buffer[kSize];
    for (int i = 0; i < kCount; ++i) {
        std::snprintf(buffer, sizeof buffer, "%06d ", i);
        std::memset(buffer + 7, 'f', kSize - 8);
        buffer[kSize - 1] = '\n';
        sendto(fd, buffer, kSize, 0, reinterpret_cast<const sockaddr*>(&to), sizeof to);
    }
}

int boundSocket(quint16& port) {
    const int fd = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    socklen_t len = sizeof a;
    getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
    port = ntohs(a.sin_port);
    return fd;
}

sockaddr_in loopback(quint16 port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(port);
    return a;
}

// Records the longest single event the loop delivered, to name what stalls it.
class TimedApplication : public QApplication {
public:
    using QApplication::QApplication;
    qint64 longestNs = 0;
    QByteArray longestWhat;
    bool notify(QObject* receiver, QEvent* event) override {
        QElapsedTimer t;
        t.start();
        const bool result = QApplication::notify(receiver, event);
        if (t.nsecsElapsed() > longestNs) {
            longestNs = t.nsecsElapsed();
            longestWhat = QByteArray(receiver->metaObject()->className()) + " event " +
                          QByteArray::number(int(event->type()));
        }
        return result;
    }
};

void settle(int ms) {
    // A real event loop, as the program runs it.
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}
} // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    TimedApplication app(argc, argv);
    QTemporaryDir folder;
    platform::setProgramFolder(folder.path());

    quint16 peerPort = 0;
    const int peer = boundSocket(peerPort);

    // Bare reader.
    int bare = 0;
    {
        QUdpSocket reader;
        reader.bind(QHostAddress::LocalHost, 0);
        reader.setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption,
                               platform::DatagramChannel::kReceiveBufferBytes);
        QObject::connect(&reader, &QUdpSocket::readyRead, &reader, [&] {
            while (reader.hasPendingDatagrams()) {
                QByteArray d(int(reader.pendingDatagramSize()), Qt::Uninitialized);
                if (reader.readDatagram(d.data(), d.size()) > 0)
                    ++bare;
            }
        });
        std::thread sender(blast, peer, loopback(reader.localPort()));
        sender.join();
        settle(1500);
    }

    // The console.
    platform::RealDesktop desktop;
    console::frmMain window(desktop);
    window.Form_Load();
    console::ConsoleSession& session = window.session();
    console::AppSettings options = session.settings();
    options.EnableLogging = true;
    session.applyOptions(options);
    session.setAddress(QStringLiteral("127.0.0.1"));
    session.setPort(QString::number(peerPort));
    session.setPassword(QStringLiteral("pw"));
    session.SendCommand(QStringLiteral("status"));
    char first[64];
    recv(peer, first, sizeof first, 0);
    QFile::remove(console::logPath());

    qint64 worst = 0;
    QElapsedTimer clock;
    clock.start();
    qint64 due = 10;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, &ticker, [&] {
        worst = qMax(worst, clock.elapsed() - due);
        due = clock.elapsed() + 10;
    });
    ticker.start(10);
    app.longestNs = 0;
    std::thread sender(blast, peer, loopback(quint16(session.localPort())));
    settle(200);
    sender.join();
    settle(1500);
    ticker.stop();

    QFile log(console::logPath());
    log.open(QIODevice::ReadOnly);
    int shown = 0, previous = -1;
    bool inOrder = true;
    for (const QByteArray& line : log.readAll().split('\n')) {
        if (line.size() < 6)
            continue;
        const int n = line.left(6).toInt();
        inOrder = inOrder && n > previous;
        previous = n;
        ++shown;
    }
    ::close(peer);
    std::printf("sent: %d datagrams of %d bytes\n", kCount, kSize);
    std::printf("baseline bare QUdpSocket reader got: %d\n", bare);
    std::printf("console showed and logged: %d (%s)\n", shown, inOrder ? "in order" : "OUT OF ORDER");
    std::printf("worst lateness of a 10 ms timer during the flood: %lld ms (limit 100)\n",
                static_cast<long long>(worst));
    std::printf("longest single event: %.1f ms (%s)\n", app.longestNs / 1e6, app.longestWhat.constData());
    return 0;
}
