#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QTest>

#include <memory>

// What the listener's tests share: a peer that asks over real loopback TCP, the game's stand-in
// script and what it wrote, and compact table rows.

// Connects, trying again while a listener between two connections does not listen for a moment.
inline std::unique_ptr<QTcpSocket> connectTo(quint16 port,
                                             const QHostAddress& host = QHostAddress::LocalHost) {
    for (const QDeadlineTimer deadline(3000); !deadline.hasExpired();) {
        auto s = std::make_unique<QTcpSocket>();
        s->connectToHost(host, port);
        if (s->waitForConnected(1000))
            return s;
        QCoreApplication::processEvents(); // lets a listener in this process get back to listening
    }
    return nullptr;
}

// Sends the bytes; true once the listener has closed the connection, so it has dealt with them.
// A refused peer is closed at once, so its write may meet a connection already gone.
inline bool send(quint16 port, const QByteArray& bytes, const QHostAddress& host = QHostAddress::LocalHost) {
    const auto s = connectTo(port, host);
    if (!s)
        return false;
    QSignalSpy changed(s.get(), &QAbstractSocket::stateChanged);
    s->write(bytes);
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

// One table row, each value in the type of its column (text as const char*).
template <typename... T> void row(const char* tag, T... values) {
    (QTest::newRow(tag) << ... << values);
}
