#pragma once

#include <QByteArray>
#include <QString>

class QTime;

namespace console {

// One rcon command as the game server expects it: 0xFF x4, "rcon ", password, blank, command.
// Text travels one byte per character (Latin-1), nothing quoted or escaped.
QByteArray buildRconDatagram(const QString& password, const QString& command);

// A received datagram made fit for the pane: colour codes ^0..^7 removed when hideCodes is 1,
// every print header removed, every LF turned into CR LF.
QString cleanReply(QString reply, qint16 hideCodes);

// The block written to pane and log for a sent command (without its closing CR LF).
QString buildEchoLine(const QString& timeText, const QString& command);

// The desktop's long time format without the time zone, which the console never shows.
QString longTimeText(const QTime& time);

} // namespace console
