#include "RconOptions.h"
#include "RconTool.h"

#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>

int main(int argc, char* argv[]) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const auto options = rcontool::parseRconOptions(arguments);
    if (!options) {
        std::fprintf(stderr, "vorlanix-rcon: %s\nTry 'vorlanix-rcon --help'.\n",
                     options.why().toLocal8Bit().constData());
        return rcontool::kUsage;
    }
    if (options->mode == rcontool::RconOptions::Mode::Help ||
        options->mode == rcontool::RconOptions::Mode::Version) {
        std::fputs(options->text.toLocal8Bit().constData(), stdout);
        return 0;
    }
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vorlanix-rcon"));
    QTextStream out(stdout);
    QTextStream err(stderr);
    return rcontool::runRconTool(*options, out, err);
}
