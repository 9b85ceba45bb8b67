#pragma once

#include "ListenerPeer.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QTcpServer>
#include <QTemporaryDir>

// The built Kestwold (KESTWOLD_PATH) as a child process with no display of any kind, as the service
// manager runs it; its standard error in a file.
class ServiceProcess {
public:
    // A port below the system's ephemeral range: a port 0 probe would hand out one that a parallel
    // test's outgoing connection may take before the service binds it.
    static quint16 freeTcpPort() {
        for (;;) {
            const auto port = quint16(20000 + QRandomGenerator::global()->bounded(12000));
            if (QTcpServer probe; probe.listen(QHostAddress::Any, port))
                return port;
        }
    }

    explicit ServiceProcess(const QStringList& arguments) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(QString::fromLatin1(name));
        m_process.setProcessEnvironment(env);
        m_process.setStandardErrorFile(m_dir.filePath("stderr"));
        m_process.start(QStringLiteral(KESTWOLD_PATH), arguments);
    }
    ~ServiceProcess() {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(3000);
        }
    }

    QByteArray log() const { return readFile(m_dir.filePath("stderr")); }
    // Waits until standard error holds the text, or the program has ended.
    bool waitFor(const QByteArray& text, int timeoutMs = 5000) {
        const QDeadlineTimer deadline(timeoutMs);
        while (!log().contains(text) && m_process.state() != QProcess::NotRunning && !deadline.hasExpired())
            QTest::qWait(5);
        return log().contains(text);
    }
    QProcess& process() { return m_process; }

private:
    QTemporaryDir m_dir;
    QProcess m_process;
};
