#pragma once

#include <QByteArray>
#include <QtGlobal>

// What a Quake-3-family server and the console say to each other, byte for byte.
namespace console {

// Every connectionless datagram, either way, starts with four 0xFF bytes.
inline const QByteArray kOutOfBand = QByteArrayLiteral("\xff\xff\xff\xff");
// Then the request: "rcon PASSWORD COMMAND", "getstatus", "getinfo CHALLENGE".
inline const QByteArray kRconRequest = kOutOfBand + "rcon ";
inline const QByteArray kGetStatusRequest = kOutOfBand + "getstatus";
inline const QByteArray kGetInfoRequest = kOutOfBand + "getinfo ";
// What precedes every piece of an rcon reply.
inline const QByteArray kPrintHeader = kOutOfBand + "print\n";

// Where the engines listen unless told otherwise.
inline constexpr quint16 kDefaultServerPort = 27960;

} // namespace console
