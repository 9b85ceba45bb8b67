// Reply datagrams to rcon "status", back to back in the input, joined as the query joins them and
// read as the player table; each datagram is also classified for the status line.
#include "FuzzCheck.h"

#include <ServerReplies.h>

#include <QByteArray>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const QByteArray header("\xff\xff\xff\xffprint\n");
    const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
    QString text;
    for (qsizetype start = 0; start < input.size();) {
        qsizetype next = input.indexOf(header, start + 1);
        if (next < 0)
            next = input.size();
        const QByteArray datagram = input.mid(start, next - start);
        const console::ReplyKind kind = console::classifyReply(datagram);
        const QString payload = console::rconPayload(datagram);
        FUZZ_CHECK(payload.isEmpty() || datagram.startsWith(header));
        FUZZ_CHECK(kind == console::ReplyKind::Ordinary || payload.startsWith(QLatin1String("No rcon")) ||
                   payload.startsWith(QLatin1String("Bad rcon")) || payload.at(0).isSpace());
        text += payload;
        start = next;
    }

    const auto status = console::parseRconStatus(text);
    if (!status)
        return 0;
    // A player per complete line at most: the header line and an unfinished last line hold none.
    FUZZ_CHECK(status->players.size() <= qMax(qsizetype(0), qsizetype(text.count(QLatin1Char('\n'))) - 1));
    FUZZ_CHECK(status->players.size() <= console::kMaxPlayers);
    FUZZ_CHECK(!status->map.contains(QLatin1Char('\n')));
    for (const console::RconPlayer& player : status->players) {
        FUZZ_CHECK(player.slot >= 0 && player.slot <= 1023 && !player.pingText.isEmpty());
        bool numeric = false;
        const int ping = player.pingText.toInt(&numeric);
        FUZZ_CHECK(player.ping == (numeric ? ping : -1));
        FUZZ_CHECK(player.name.size() <= 256);
        for (const QString& field : {player.name, player.address, player.pingText})
            FUZZ_CHECK(!field.contains(QLatin1Char('\n')));
    }
    return 0;
}
