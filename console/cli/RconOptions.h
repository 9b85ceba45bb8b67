#pragma once

#include <RestartPlan.h>
#include <Result.h>

#include <QString>
#include <QStringList>

#include <chrono>
#include <optional>

namespace rcontool {

// The exit statuses scripts test for.
enum ExitStatus {
    kReplied = 0,
    kNoReply = 2,
    kRefused = 3,
    kNoPasswordSet = 4,
    // --restart: the server was seen back; or not back within the limit (or not restarted at all).
    kBack = 0,
    kNotBack = 1,
    kUsage = 64, // as sysexits' EX_USAGE
};

// What the command line asks for. It is read before any application object exists, so --help,
// --version and mistakes need nothing else.
struct RconOptions {
    enum class Mode { Command, Status, Info, Help, Version, Restart };

    Mode mode = Mode::Command;
    // Unset: as the console's address and port boxes would show them at its next start.
    std::optional<QString> host;
    std::optional<quint16> port;
    QString command; // the words after the options, joined by blanks
    bool stripColours = false;
    bool json = false;
    std::chrono::milliseconds timeout{2000};
    std::optional<QString> passwordFile;
    std::optional<QString> password; // given on the command line, where others can read it
    QString text;                    // Help and Version: what to print
    console::RestartPlan restart;    // Restart: in seconds, warnings, message, how
    std::optional<quint16> listenerPort;
};

// The arguments as the process got them, the program's name first. A failure is a usage mistake,
// worded for the user.
platform::Result<RconOptions> parseRconOptions(const QStringList& arguments);
QString rconHelpText();

} // namespace rcontool
