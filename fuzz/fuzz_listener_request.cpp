// What a peer sends the listener, over a real loopback connection to the running service: only an
// exact "reboot" starts the game, the service always returns to listening, and every entry it logs
// stays one journal line and keeps the status log bounded.
#include "FuzzCheck.h"

#include <FakeDesktop.h>
#include <ListenerLogic.h>
#include <ListenerService.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTcpSocket>

#include <algorithm>

namespace {
FakeDesktop* desktop;
listener::ListenerService* service;
QStringList entries;

bool exchangeEnded() {
    return !service->isConnected() && std::any_of(entries.begin(), entries.end(), [](const QString& entry) {
        return entry.startsWith(QLatin1String("remote command from")) ||
               entry.startsWith(QLatin1String("connection closed"));
    });
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    new QCoreApplication(*argc, *argv);
    desktop = new FakeDesktop;
    service = new listener::ListenerService(*desktop, 0);
    // Never really started, so the second reboot is not refused as still running.
    service->setGame(QStringLiteral("/usr/games/openarena-server"), QStringLiteral("+map oa_dm1"));
    QObject::connect(service, &listener::ListenerService::statusEntry, service,
                     [](const QString& entry) { entries << entry; });
    FUZZ_CHECK(service->startListening());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray request(reinterpret_cast<const char*>(data), qsizetype(size));
    entries.clear();
    const qsizetype startedBefore = desktop->started.size();
    {
        QTcpSocket peer;
        peer.connectToHost(QHostAddress::LocalHost, quint16(service->listeningPort()));
        FUZZ_CHECK(peer.waitForConnected(5000));
        peer.write(request);
        FUZZ_CHECK(request.isEmpty() || peer.waitForBytesWritten(5000));
        if (request.isEmpty())
            peer.disconnectFromHost();
        const QDeadlineTimer deadline(5000);
        while (!exchangeEnded() && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    FUZZ_CHECK(exchangeEnded() && service->isListening());
    FUZZ_CHECK(desktop->started.size() - startedBefore == (request == "reboot" ? 1 : 0));
    if (!request.isEmpty())
        FUZZ_CHECK(entries.contains(QString::fromLatin1(request) + QLatin1String("\r\n")));

    QString log;
    for (const QString& entry : entries) {
        log = listener::appendStatusEntry(log, entry);
        FUZZ_CHECK(log.size() < listener::kStatusLogLimit);
        const QByteArray line = listener::journalLine(entry);
        FUZZ_CHECK(line.endsWith('\n') && line.count('\n') == 1);
        for (const QChar c : QString::fromUtf8(line.chopped(1)))
            FUZZ_CHECK(c.unicode() >= 0x20 && (c.unicode() < 0x7f || c.unicode() >= 0xa0));
    }
    return 0;
}
