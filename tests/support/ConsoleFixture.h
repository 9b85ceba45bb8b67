#pragma once

#include "FakeDesktop.h"

#include <ProgramFolder.h>
#include <SettingsStore.h>
#include <basMain.h>
#include <frmMain.h>

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTimer>
#include <QUdpSocket>
#include <QtTest>
#include <functional>
#include <memory>

// A game server stand-in on loopback: keeps every datagram it receives.
class LoopbackPeer {
public:
    LoopbackPeer() {
        socket.bind(QHostAddress::LocalHost, 0);
        QObject::connect(&socket, &QUdpSocket::readyRead, &socket, [this] {
            while (socket.hasPendingDatagrams()) {
                QByteArray d(int(socket.pendingDatagramSize()), 0);
                socket.readDatagram(d.data(), d.size());
                received.append(d);
            }
        });
    }
    int port() const { return socket.localPort(); }
    static QByteArray rcon(const char* password, const QByteArray& command) {
        return QByteArray("\xff\xff\xff\xffrcon ") + password + ' ' + command;
    }

    QUdpSocket socket;
    QList<QByteArray> received;
};

// A fresh console per case: empty settings store, a program folder of its own, a loopback server.
struct ConsoleFixture {
    ConsoleFixture() {
        console::resetBasMain();
        QFile::remove(platform::SettingsStore().fileName());
        platform::setProgramFolder(folder.path() + QStringLiteral("/prog folder"));
        QDir().mkpath(platform::programFolder());
    }
    ~ConsoleFixture() {
        window.reset();
        platform::setProgramFolder(QString());
        QFile::remove(platform::SettingsStore().fileName());
    }
    console::frmMain& open() {
        window = std::make_unique<console::frmMain>(desktop);
        window->Form_Load();
        window->cboAddr->setEditText(QStringLiteral("127.0.0.1"));
        window->cboPort->setEditText(QString::number(peer.port()));
        window->txtPassword->setText(QStringLiteral("pw"));
        return *window;
    }
    QString programFile(const char* name) const {
        return platform::programFolder() + QString::fromLatin1(name);
    }

    QTemporaryDir folder;
    FakeDesktop desktop;
    LoopbackPeer peer;
    std::unique_ptr<console::frmMain> window;
};

// Runs action on the modal dialog of type T once its event loop is running.
template <typename T> void whenModal(std::function<void(T*)> action) {
    auto* poll = new QTimer;
    poll->setInterval(5);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, action] {
        if (auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget())) {
            poll->stop();
            poll->deleteLater();
            action(dialog);
        }
    });
    poll->start();
}
