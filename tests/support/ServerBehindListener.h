#pragma once

#include "ListenerPeer.h"
#include "OpenArena.h"

#include <csignal>
#include <memory>

// The real game server behind `Kestwold --service` in service mode: on "reboot" the listener's
// executable leaves its pid behind, then becomes the new game server with the same port and
// password. The new one is stopped by its pid at the end.
struct ServerBehindListener {
    explicit ServerBehindListener(const QString& folder)
        : pidFile(folder + "/server.pid"), listenerPort(ServiceProcess::freeTcpPort()) {
        QStringList params;
        for (const QString& p : OpenArenaServer::arguments(first.port(), "secret"))
            params << (p.isEmpty() ? "\"\"" : p);
        const QString script = folder + "/restart.sh";
        scriptWritten =
            writeScript(script, "echo $$ > '" + pidFile.toUtf8() + "'\nHOME='" + folder.toUtf8() + "' exec " +
                                    OpenArenaServer::kLauncher + " \"$@\" > /dev/null 2>&1\n");
        kestwold =
            std::make_unique<ServiceProcess>(QStringList{"--service", "--port", QString::number(listenerPort),
                                                         "--exe", script, "--params", params.join(' ')});
    }
    ~ServerBehindListener() {
        if (const qint64 pid = newPid(); pid > 0)
            ::kill(pid_t(pid), SIGKILL);
    }

    bool ready() {
        return scriptWritten && kestwold->waitFor("may ask for a reboot") && first.waitUntilReady();
    }
    // The game server the listener started; 0 until it has.
    qint64 newPid() const { return readFile(pidFile).trimmed().toLongLong(); }

    OpenArenaServer first;
    const QString pidFile;
    const quint16 listenerPort;
    bool scriptWritten = false;
    std::unique_ptr<ServiceProcess> kestwold;
};
