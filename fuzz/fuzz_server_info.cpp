// One datagram through the getstatus and getinfo reply parsers and the summaries shown from them.
#include "FuzzCheck.h"

#include <ServerReplies.h>

#include <QByteArray>

namespace {
void checkPairs(const console::InfoPairs& info) {
    FUZZ_CHECK(info.pairs.size() <= console::kMaxInfoPairs);
    for (const auto& [key, value] : info.pairs) {
        FUZZ_CHECK(!key.isEmpty() && info.contains(key));
        for (const QString& text : {key, value})
            FUZZ_CHECK(!text.contains(QLatin1Char('\\')) && !text.contains(QLatin1Char('\n')));
    }
}

// A reply is the header word, then nothing or a line end; anything else is another reply.
bool hasHeader(const QByteArray& datagram, const QByteArray& word) {
    const QByteArray header = "\xff\xff\xff\xff" + word;
    return datagram.startsWith(header) &&
           (datagram.size() == header.size() || datagram.at(header.size()) == '\n');
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray datagram(reinterpret_cast<const char*>(data), qsizetype(size));

    const auto status = console::parseStatusResponse(datagram);
    FUZZ_CHECK(status.has_value() == hasHeader(datagram, "statusResponse"));
    if (status) {
        checkPairs(status->info);
        // One player per line after the info line, at most.
        FUZZ_CHECK(status->players.size() <= qMax(qsizetype(0), qsizetype(datagram.count('\n')) - 1));
        FUZZ_CHECK(status->players.size() <= console::kMaxPlayers);
        for (const console::StatusPlayer& player : status->players)
            FUZZ_CHECK(player.name.size() <= 256 && !player.name.contains(QLatin1Char('\n')));
        FUZZ_CHECK(console::summarize(*status).players == status->players.size());
    }

    const auto info = console::parseInfoResponse(datagram);
    FUZZ_CHECK(info.has_value() == hasHeader(datagram, "infoResponse"));
    if (info) {
        checkPairs(*info);
        const console::ServerSummary summary = console::summarize(*info);
        FUZZ_CHECK(summary.hostname == info->value(QStringLiteral("hostname")));
    }
    return 0;
}
