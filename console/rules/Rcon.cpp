#include "Rcon.h"

#include "Wire.h"

#include <QLocale>
#include <QRegularExpression>
#include <QTime>

namespace console {

QByteArray buildRconDatagram(const QString& password, const QString& command) {
    QByteArray datagram = kRconRequest;
    datagram += password.toLatin1();
    datagram += ' ';
    datagram += command.toLatin1();
    return datagram;
}

QString cleanReply(QString reply, qint16 hideCodes) {
    if (hideCodes == 1) {
        // One pass per code, in order, so "^^11" leaves "^1".
        for (char digit = '0'; digit <= '7'; ++digit)
            reply.remove(QString(QLatin1Char('^')) + QLatin1Char(digit));
    }
    reply.remove(QLatin1StringView(kPrintHeader));
    reply.replace(QLatin1String("\n"), QLatin1String("\r\n"));
    return reply;
}

QString buildEchoLine(const QString& timeText, const QString& command) {
    const QString line = timeText + QLatin1String(":> ") + command;
    return QLatin1String("\r\n\r\n") + line + QLatin1String("\r\n") + QString(line.size(), QLatin1Char('-'));
}

QString longTimeText(const QTime& time) {
    QString format = QLocale::system().timeFormat(QLocale::LongFormat);
    // Drop the zone ("t", "tt", ...) and the blank before it.
    static const QRegularExpression zone(QStringLiteral("\\s*t+"));
    format.remove(zone);
    return QLocale::system().toString(time, format.trimmed());
}

} // namespace console
