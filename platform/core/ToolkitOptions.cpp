#include "ToolkitOptions.h"

#include <QCommandLineParser>

namespace platform {

void passToolkitOptions(QCommandLineParser& parser, std::initializer_list<const char*> valued,
                        std::initializer_list<const char*> flags) {
    for (const char* name : valued) {
        QCommandLineOption option(QString::fromLatin1(name), QString(), QStringLiteral("value"));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    for (const char* name : flags) {
        QCommandLineOption option(QString::fromLatin1(name));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
}

} // namespace platform
