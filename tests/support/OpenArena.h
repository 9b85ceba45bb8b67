#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QNetworkDatagram>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QUdpSocket>

// A real OpenArena dedicated server on 127.0.0.1, started and stopped by its process id.
class OpenArenaServer {
public:
    static constexpr const char* kLauncher = "/usr/games/openarena-server";
    static bool installed() { return QFileInfo(QString::fromLatin1(kLauncher)).isExecutable(); }

    static QStringList arguments(quint16 port, const QString& password) {
        // Empty masters: the server never announces itself.
        return QStringLiteral("+set dedicated 1 +set net_ip 127.0.0.1 +set net_port %1 +set sv_master1  "
                              "+set sv_master2  +set sv_master3  +set rconpassword %2 +map oa_dm1")
            .arg(port)
            .arg(password)
            .split(' ');
    }

    // Where a server starts looking: one whose port is taken tries the next ones itself. Each test
    // process starts elsewhere, so servers of tests run side by side seldom meet.
    static quint16 firstPort() { return quint16(27960 + 10 * (QCoreApplication::applicationPid() % 300)); }

    // extra: more of the server's command line, such as "+addbot", "sarge", "3".
    explicit OpenArenaServer(const QString& password = "secret", const QStringList& extra = {})
        : m_password(password) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HOME", m_home.path());
        m_process.setProcessEnvironment(env);
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        m_process.start(QString::fromLatin1(kLauncher), arguments(firstPort(), password) + extra);
    }
    ~OpenArenaServer() {
        m_process.kill();
        m_process.waitForFinished(5000);
    }

    // Waits until the server answers rcon on its port. It asks from an address of its own: the server
    // takes only a few requests in a row from one address, and those are left to the test.
    static bool answersOn(quint16 port, const QString& password, int timeoutMs) {
        QUdpSocket asker;
        asker.bind(QHostAddress(QStringLiteral("127.0.0.2")), 0);
        for (const QDeadlineTimer left(timeoutMs); !left.hasExpired();) {
            asker.writeDatagram("\xff\xff\xff\xffrcon " + password.toLatin1() + " status",
                                QHostAddress::LocalHost, port);
            if (asker.waitForReadyRead(100) && asker.receiveDatagram().data().contains("map:"))
                return true;
        }
        return false;
    }
    bool waitUntilReady() { return port() != 0 && answersOn(m_port, m_password, 30000); }

    bool running() const { return m_process.state() != QProcess::NotRunning; }
    // The port the server took: it names each port as it tries it, and a port it could not take is
    // followed by a warning line. 0 when it never says.
    quint16 port() {
        static const QRegularExpression opened(
            "Opening IP socket: 127\\.0\\.0\\.1:(\\d+)\\r?\\n(?!WARNING: NET_IPSocket)[^\\n]*\\n");
        for (const QDeadlineTimer left(30000); m_port == 0 && !left.hasExpired();) {
            if (const auto match = opened.match(QString::fromLatin1(output())); match.hasMatch())
                m_port = quint16(match.captured(1).toUInt());
            else if (!m_process.waitForReadyRead(int(left.remainingTime())))
                break;
        }
        return m_port;
    }
    // All the server has printed so far.
    QByteArray output() {
        m_output += m_process.readAll();
        return m_output;
    }

private:
    QString m_password;
    quint16 m_port = 0;
    QByteArray m_output;
    QTemporaryDir m_home;
    QProcess m_process;
};
