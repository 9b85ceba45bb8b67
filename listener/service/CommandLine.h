#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace listener {

// What the program's command line asks for. It is read before any application object exists, so
// --help, --version and mistakes are answered without a display.
class CommandLine {
public:
    enum class Mode { Window, Service, Help, Version, Error };

    // The arguments as the process got them, the program's name first.
    static CommandLine parse(const QStringList& arguments);
    static QString helpText();

    Mode mode = Mode::Window;
    // Overrides of the stored settings; service mode only.
    std::optional<QString> executable;
    std::optional<QString> parameters;
    std::optional<QString> allowedPeers;
    int port = 1001;
    // The help text, the version line or what was wrong.
    QString message;
};

} // namespace listener
