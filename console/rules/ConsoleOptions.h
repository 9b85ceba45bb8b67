#pragma once

#include <QString>
#include <QStringList>

namespace console {

// What the console's command line asks for. It is read before any application object exists, so
// --help, --version and mistakes are answered without a display.
struct ConsoleOptions {
    enum class Mode { Window, Help, Version, Error };

    // The arguments as the process got them, the program's name first.
    static ConsoleOptions parse(const QStringList& arguments);

    Mode mode = Mode::Window;
    // The help text, the version line or what was wrong.
    QString message;
};

} // namespace console
