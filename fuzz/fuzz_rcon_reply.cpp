// One received datagram through the reply cleaning, and the echo line of a sent command.
#include "FuzzCheck.h"

#include <Rcon.h>

#include <fuzzer/FuzzedDataProvider.h>

#include <QString>

namespace {
// The cleaned text with its CR LF turned back into LF is what was received minus removed characters.
bool isSubsequence(const QString& part, const QString& whole) {
    qsizetype at = 0;
    for (const QChar c : part) {
        at = whole.indexOf(c, at);
        if (at < 0)
            return false;
        ++at;
    }
    return true;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The socket hands a datagram over one byte per character.
    const QString reply = QString::fromLatin1(reinterpret_cast<const char*>(data), qsizetype(size));
    for (const qint16 hideCodes : {qint16(0), qint16(1), qint16(-1)}) {
        const QString cleaned = console::cleanReply(reply, hideCodes);
        for (qsizetype i = cleaned.indexOf(QLatin1Char('\n')); i >= 0;
             i = cleaned.indexOf(QLatin1Char('\n'), i + 1))
            FUZZ_CHECK(i > 0 && cleaned.at(i - 1) == QLatin1Char('\r'));
        const QString received = QString(cleaned).replace(QLatin1String("\r\n"), QLatin1String("\n"));
        FUZZ_CHECK(isSubsequence(received, reply));
        // Without codes to hide and without a header nothing but the line ends may change.
        if (hideCodes != 1 && !reply.contains(QChar(0xFF)))
            FUZZ_CHECK(received == reply);
    }

    FuzzedDataProvider input(data, size);
    const QString time = QString::fromLatin1(input.ConsumeRandomLengthString(64));
    const QString command = QString::fromLatin1(input.ConsumeRemainingBytesAsString());
    const QString echo = console::buildEchoLine(time, command);
    const QString line = time + QLatin1String(":> ") + command;
    FUZZ_CHECK(echo.startsWith(QLatin1String("\r\n\r\n") + line + QLatin1String("\r\n")));
    FUZZ_CHECK(echo.size() == 6 + 2 * line.size() && echo.endsWith(QString(line.size(), QLatin1Char('-'))));
    return 0;
}
