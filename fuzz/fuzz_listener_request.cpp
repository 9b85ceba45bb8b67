// What a peer sends the listener, over a real loopback connection to the running service, before it
// closes its side: only an exact "reboot" starts the game, the port stays open, and every entry it
// logs stays one short journal line and keeps the status log bounded.
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
    return service->peerCount() == 0 && std::any_of(entries.begin(), entries.end(), [](const QString& entry) {
               return entry.startsWith(QLatin1String("remote command from")) ||
                      entry.startsWith(QLatin1String("closed "));
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
    FUZZ_CHECK(bool(service->startListening()));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // A peer that says nothing is only counted in the log, never awaited here.
    if (size == 0)
        return 0;
    const QByteArray request(reinterpret_cast<const char*>(data), qsizetype(size));
    entries.clear();
    const qsizetype startedBefore = desktop->started.size();
    {
        QTcpSocket peer;
        peer.connectToHost(QHostAddress::LocalHost, quint16(service->listeningPort()));
        FUZZ_CHECK(peer.waitForConnected(5000));
        peer.write(request);
        FUZZ_CHECK(request.isEmpty() || peer.waitForBytesWritten(5000));
        peer.disconnectFromHost();
        const QDeadlineTimer deadline(5000);
        while (!exchangeEnded() && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    FUZZ_CHECK(exchangeEnded() && service->isListening());
    FUZZ_CHECK(desktop->started.size() - startedBefore == (request == "reboot" ? 1 : 0));
    // Requests of six bytes or more may arrive in parts; the first part that completes six is the request.
    if (!request.isEmpty() && request.size() <= 6)
        FUZZ_CHECK(entries.contains(listener::requestText(request, request.size()) + QLatin1String("\r\n")));

    QString log;
    for (const QString& entry : entries) {
        log = listener::appendStatusEntry(log, entry);
        FUZZ_CHECK(log.size() < listener::kStatusLogLimit);
        FUZZ_CHECK(entry.size() < 400);
        const QByteArray line = listener::journalLine(entry);
        FUZZ_CHECK(line.endsWith('\n') && line.count('\n') == 1);
        for (const QChar c : QString::fromUtf8(line.chopped(1)))
            FUZZ_CHECK(c.unicode() >= 0x20 && (c.unicode() < 0x7f || c.unicode() >= 0xa0));
    }
    return 0;
}
