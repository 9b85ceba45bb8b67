// A "cmdlist.dat" of any bytes, and completion look-ups in the list it gives.
#include "FuzzCheck.h"

#include <CommandList.h>

#include <fuzzer/FuzzedDataProvider.h>

#include <QByteArray>
#include <QStringList>

namespace {
void checkCompletion(const QStringList& entries, const QString& typed) {
    const QString tail = console::FindCompletion(entries, typed);
    qsizetype first = 0;
    while (first < entries.size() && !entries.at(first).startsWith(typed))
        ++first;
    if (typed.isEmpty() || first == entries.size())
        FUZZ_CHECK(tail.isEmpty());
    else // the completion is the rest of the first entry that starts with what was typed
        FUZZ_CHECK(typed + tail == entries.at(first));
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    const QString typed = QString::fromLatin1(input.ConsumeRandomLengthString(32));
    const std::string file = input.ConsumeRemainingBytesAsString();
    const QByteArray bytes(file.data(), qsizetype(file.size()));

    const QStringList entries = console::parseCommandList(bytes);
    if (bytes.isEmpty()) {
        FUZZ_CHECK(entries.isEmpty());
    } else {
        // Every comma and every line ends an entry, and the closing comma leaves an empty one.
        const qsizetype lines = bytes.count('\n') + (bytes.endsWith('\n') ? 0 : 1);
        FUZZ_CHECK(entries.size() == bytes.count(',') + lines + 1);
        FUZZ_CHECK(entries.last().isEmpty());
    }
    qsizetype characters = 0;
    for (const QString& entry : entries) {
        FUZZ_CHECK(!entry.contains(QLatin1Char(',')) && !entry.contains(QLatin1Char('\n')));
        characters += entry.size();
    }
    FUZZ_CHECK(characters <= bytes.size());

    checkCompletion(entries, typed);
    if (!entries.isEmpty()) {
        const QString& entry = entries.at(qsizetype(typed.size()) % entries.size());
        checkCompletion(entries, entry.left(typed.size()));
    }
    return 0;
}
