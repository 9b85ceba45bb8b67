#include "ServiceMode.h"

#include "CommandLine.h"
#include "ListenerService.h"
#include "ListenerSettings.h"
#include "ServiceSignals.h"

#include <ProgramLauncher.h>
#include <SettingsStore.h>

#include <QCoreApplication>

#include <cerrno>
#include <csignal>
#include <unistd.h>

namespace listener {

namespace {
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

// The stored settings under the command line's overrides. The file is read, and has to read well,
// unless every value it could give is overridden. Read anew for each call; never written.
platform::Result<ListenerSettings> settingsFor(const CommandLine& options) {
    ListenerSettings settings;
    if (!options.executable || !options.parameters || !options.allowedPeers) {
        const platform::SettingsStore store;
        const platform::Result<ListenerSettings> stored = ListenerSettings::load(store);
        if (!stored)
            return stored;
        settings = *stored;
    }
    const struct {
        const std::optional<QString>& value;
        QString ListenerSettings::*member;
        const char *option, *key;
    } overrides[] = {{options.executable, &ListenerSettings::executable, "exe", "GameEXE"},
                     {options.parameters, &ListenerSettings::parameters, "params", "GameParams"},
                     {options.allowedPeers, &ListenerSettings::allowedPeers, "allow", "AllowedPeers"}};
    for (const auto& o : overrides) {
        if (!o.value)
            continue;
        if (const auto why = ListenerSettings::damage(QLatin1String(o.key), *o.value))
            return platform::Failure{
                QStringLiteral("--%1 %2: mend it on the command line").arg(o.option, *why)};
        settings.*o.member = *o.value;
    }
    return settings;
}
} // namespace

int runService(const CommandLine& options) {
    // First, so that a signal during start-up is not lost; it is served once the loop runs.
    ServiceSignals signalled;
    const platform::Result<ListenerSettings> settings = settingsFor(options);
    if (!settings) {
        writeLine(QStringLiteral("cannot start: ") + settings.why());
        return 1;
    }
    platform::DetachedLauncher launcher;
    ListenerService service(launcher, options.port);
    service.setGame(settings->executable, settings->parameters);

    // Until the port is open only its failure is worth a line: the manager sees one clear reason.
    const platform::Result<> listening = service.startListening();
    if (!listening) {
        writeLine(listening.why());
        return 1;
    }
    writeLine(QStringLiteral("listener started"));
    QObject::connect(&service, &ListenerService::statusEntry, &service, &writeLine);
    service.setAllowedPeers(AllowList::parse(settings->allowedPeers));
    if (settings->executable.trimmed().isEmpty())
        writeLine(
            QStringLiteral("no game executable is configured (GameEXE or --exe): a reboot starts nothing"));

    QObject::connect(&signalled, &ServiceSignals::received, &service, [&service, &options](int signalNumber) {
        if (signalNumber != SIGHUP) {
            service.finish();
            QCoreApplication::exit(0);
            return;
        }
        const platform::Result<ListenerSettings> fresh = settingsFor(options);
        if (!fresh) {
            writeLine(QStringLiteral("settings not reloaded, the previous ones stay: ") + fresh.why());
            return;
        }
        writeLine(QStringLiteral("settings reloaded"));
        service.setGame(fresh->executable, fresh->parameters);
        service.setAllowedPeers(AllowList::parse(fresh->allowedPeers));
    });
    return QCoreApplication::exec();
}

} // namespace listener
