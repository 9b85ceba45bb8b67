#pragma once

#include "DataTable.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <memory>
#include <sys/socket.h>

// What the listener's tests share: a peer that asks over real loopback TCP, the game's stand-in
// script and what it wrote, compact table rows and the built program run as a service.

// Connects, from `source` where one is given (all of 127.0.0.0/8 is this machine). A listener in
// this process accepts while the wait lets its events run.
inline std::unique_ptr<QTcpSocket> connectTo(quint16 port, const QHostAddress& host = QHostAddress::LocalHost,
                                             const QHostAddress& source = QHostAddress()) {
    auto s = std::make_unique<QTcpSocket>();
    if (!source.isNull() && !s->bind(source))
        return nullptr;
    QSignalSpy connected(s.get(), &QAbstractSocket::connected);
    s->connectToHost(host, port);
    if (s->state() != QAbstractSocket::ConnectedState && !connected.wait(3000))
        return nullptr;
    return s;
}

// Sends the bytes and ends its side, as a console does; true once the listener has closed the
// connection, so it has dealt with them. A refused peer is closed at once, so its write may meet a
// connection already gone.
inline bool send(quint16 port, const QByteArray& bytes, const QHostAddress& host = QHostAddress::LocalHost) {
    const auto s = connectTo(port, host);
    if (!s)
        return false;
    QSignalSpy changed(s.get(), &QAbstractSocket::stateChanged);
    s->write(bytes);
    s->waitForBytesWritten(3000);
    ::shutdown(int(s->socketDescriptor()), SHUT_WR);
    while (s->state() != QAbstractSocket::UnconnectedState && changed.wait(3000)) {
    }
    return s->state() == QAbstractSocket::UnconnectedState;
}

inline QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline bool writeScript(const QString& path, const QByteArray& body) {
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write("#!/bin/sh\n" + body) > 0 &&
           f.setPermissions(f.permissions() | QFileDevice::ExeOwner);
}

// The built Kestwold (KESTWOLD_PATH) as a child process with no display of any kind, as the service
// manager runs it; its standard error in a file.
struct ServiceProcess {
    // A port below the system's ephemeral range: a port 0 probe would hand out one that a parallel
    // test's outgoing connection may take before the service binds it.
    static quint16 freeTcpPort() {
        for (;;) {
            const auto port = quint16(20000 + QRandomGenerator::global()->bounded(12000));
            if (QTcpServer probe; probe.listen(QHostAddress::Any, port))
                return port;
        }
    }

    // `configHome`: where its settings are read, instead of the test's own.
    explicit ServiceProcess(const QStringList& arguments, const QString& configHome = QString()) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(QString::fromLatin1(name));
        if (!configHome.isEmpty())
            env.insert("XDG_CONFIG_HOME", configHome);
        process.setProcessEnvironment(env);
        process.setStandardErrorFile(dir.filePath("stderr"));
        process.start(QStringLiteral(KESTWOLD_PATH), arguments);
    }
    ~ServiceProcess() {
        process.kill(); // nothing when it has ended
        process.waitForFinished(3000);
    }

    QByteArray log() const { return readFile(dir.filePath("stderr")); }
    // Waits until standard error holds the text, or the program has ended.
    bool waitFor(const QByteArray& text, int timeoutMs = 5000) {
        const QDeadlineTimer deadline(timeoutMs);
        while (!log().contains(text) && process.state() != QProcess::NotRunning && !deadline.hasExpired())
            QTest::qWait(5);
        return log().contains(text);
    }

    QTemporaryDir dir;
    QProcess process;
};
