#include "ServiceMode.h"

#include "CommandLine.h"
#include "ListenerService.h"
#include "TerminationSignals.h"

#include <ProgramLauncher.h>
#include <SettingsStore.h>

#include <QCoreApplication>

#include <cerrno>
#include <unistd.h>

namespace listener {

namespace {
const QString kSection = QStringLiteral("Kestwold\\Settings");

// One write per line, so that lines never interleave with what the started games write there.
void writeLine(const QString& message) {
    const QByteArray line = journalLine(message);
    qsizetype done = 0;
    while (done < line.size()) {
        const ssize_t n = ::write(STDERR_FILENO, line.constData() + done, size_t(line.size() - done));
        if (n <= 0 && errno != EINTR)
            return;
        done += n > 0 ? n : 0;
    }
}
} // namespace

int runService(const CommandLine& options) {
    // First, so that a stop request during start-up is not lost; it is served once the loop runs.
    TerminationSignals terminations;
    QString executable, parameters, peers;
    {
        // Read once; the service never writes the settings.
        const platform::SettingsStore store;
        executable = options.executable.value_or(store.read(kSection, QStringLiteral("GameEXE"), QString()));
        parameters =
            options.parameters.value_or(store.read(kSection, QStringLiteral("GameParams"), QString()));
        peers =
            options.allowedPeers.value_or(store.read(kSection, QStringLiteral("AllowedPeers"), QString()));
    }
    platform::DetachedLauncher launcher;
    ListenerService service(launcher, options.port);
    service.setGame(executable, parameters);

    // Until the port is open only its failure is worth a line: the manager sees one clear reason.
    QStringList early;
    auto connection = QObject::connect(&service, &ListenerService::statusEntry, &service,
                                       [&early](const QString& message) { early << message; });
    if (!service.startListening()) {
        writeLine(service.listenError());
        return 1;
    }
    QObject::disconnect(connection);
    for (const QString& message : early)
        writeLine(message);
    QObject::connect(&service, &ListenerService::statusEntry, &service, &writeLine);
    service.setAllowedPeers(AllowList::parse(peers));
    if (executable.trimmed().isEmpty())
        writeLine(
            QStringLiteral("no game executable is configured (GameEXE or --exe): a reboot starts nothing"));

    // A port lost on the way back to listening: fail, so that the service manager restarts us.
    QObject::connect(&service, &ListenerService::listeningLost, &service, [] { QCoreApplication::exit(1); });
    QObject::connect(&terminations, &TerminationSignals::received, &service, [&service] {
        service.stopListening();
        QCoreApplication::exit(0);
    });
    return QCoreApplication::exec();
}

} // namespace listener
