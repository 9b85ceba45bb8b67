// The listener's stored game: the executable path (first line) and its parameter text (the rest),
// through the working-folder rule, the parameter splitting and a launch on a recording desktop.
#include "FuzzCheck.h"

#include <FakeDesktop.h>
#include <ListenerLogic.h>

#include <QByteArray>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
    const qsizetype lineEnd = input.indexOf('\n');
    const QString executable = QString::fromUtf8(input.left(lineEnd < 0 ? input.size() : lineEnd));
    const QString parameters = lineEnd < 0 ? QString() : QString::fromUtf8(input.mid(lineEnd + 1));

    const QString folder = listener::workingFolderOf(executable);
    if (executable.contains(QLatin1Char('/')))
        FUZZ_CHECK(folder.endsWith(QLatin1Char('/')) && executable.startsWith(folder) &&
                   !executable.mid(folder.size()).contains(QLatin1Char('/')));
    else
        FUZZ_CHECK(folder.isEmpty());

    const QStringList arguments = listener::splitParameters(parameters);
    QStringList quoted;
    for (const QString& argument : arguments) {
        FUZZ_CHECK(!argument.contains(QLatin1Char('"')));
        quoted << QLatin1Char('"') + argument + QLatin1Char('"');
    }
    // Quoting every argument gives the same arguments back; without quotes, blanks alone split.
    FUZZ_CHECK(listener::splitParameters(quoted.join(QLatin1Char(' '))) == arguments);
    if (!parameters.contains(QLatin1Char('"')))
        FUZZ_CHECK(arguments == QString(parameters)
                                    .replace(QLatin1Char('\t'), QLatin1Char(' '))
                                    .split(QLatin1Char(' '), Qt::SkipEmptyParts));

    FakeDesktop desktop;
    const platform::Result<qint64> result = listener::startGame(desktop, executable, parameters);
    FUZZ_CHECK(desktop.started.size() == (result ? 1 : 0));
    if (executable.isEmpty())
        FUZZ_CHECK(!result && result.why() == QLatin1String("no game executable is configured"));
    // Parameters whose quotes do not close are never split and started.
    if (parameters.count(QLatin1Char('"')) % 2 != 0)
        FUZZ_CHECK(!result);
    if (result) {
        const FakeDesktop::Started& started = desktop.started.first();
        FUZZ_CHECK(started.workingFolder == folder && started.arguments == arguments);
        FUZZ_CHECK(folder.isEmpty() ? started.program == executable
                                    : started.program.startsWith(QLatin1Char('/')));
    }
    return 0;
}
