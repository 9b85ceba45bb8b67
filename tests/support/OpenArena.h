#pragma once

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QNetworkDatagram>
#include <QProcess>
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

    // extra: more of the server's command line, such as "+addbot", "sarge", "3".
    explicit OpenArenaServer(const QString& password = "secret", const QStringList& extra = {})
        : m_password(password) {
        QUdpSocket probe; // a port just found free and given back
        probe.bind(QHostAddress::LocalHost, 0);
        m_port = probe.localPort();
        probe.close();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HOME", m_home.path());
        m_process.setProcessEnvironment(env);
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        m_process.start(QString::fromLatin1(kLauncher), arguments(m_port, password) + extra);
    }
    ~OpenArenaServer() {
        m_process.kill();
        m_process.waitForFinished(5000);
    }

    // Waits until the server answers rcon on its port. It asks from an address of its own: the server
    // takes only a few requests in a row from one address, and those are left to the test.
    static bool answersOn(quint16 port, const QString& password, int timeoutMs) {
        QUdpSocket probe;
        probe.bind(QHostAddress(QStringLiteral("127.0.0.2")), 0);
        for (const QDeadlineTimer left(timeoutMs); !left.hasExpired();) {
            probe.writeDatagram("\xff\xff\xff\xffrcon " + password.toLatin1() + " status",
                                QHostAddress::LocalHost, port);
            if (probe.waitForReadyRead(100) && probe.receiveDatagram().data().contains("map:"))
                return true;
        }
        return false;
    }
    bool waitUntilReady() { return answersOn(m_port, m_password, 30000); }

    bool running() const { return m_process.state() != QProcess::NotRunning; }
    quint16 port() const { return m_port; }
    QByteArray output() { return m_process.readAll(); }

private:
    QString m_password;
    quint16 m_port = 0;
    QTemporaryDir m_home;
    QProcess m_process;
};
