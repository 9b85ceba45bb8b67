#include "WebLinks.h"

namespace console {

QString makerAddress(const QString& path) {
    return QLatin1String(kMakerSite) + path;
}

QString updateVersionText(int major, int minor) {
    // Decimal digits throughout: a binary double would round 3.125 or 3.005 the wrong way.
    QString digits = QString::number(minor);
    // Wide enough for the carry out of the largest major.
    qint64 whole = major;
    int hundredths = 0;
    if (digits.size() <= 2) {
        hundredths = digits.leftJustified(2, QLatin1Char('0')).toInt();
    } else {
        hundredths = digits.left(2).toInt() + (digits.at(2) >= QLatin1Char('5') ? 1 : 0);
        if (hundredths == 100) {
            hundredths = 0;
            ++whole;
        }
    }
    return QStringLiteral("%1.%2").arg(whole).arg(hundredths, 2, 10, QLatin1Char('0'));
}

QString updateCheckAddress(int major, int minor) {
    return makerAddress(QStringLiteral("/velmora/tarnwick/update.asp?ver=")) +
           updateVersionText(major, minor);
}

QString feedbackAddress() {
    return makerAddress(QStringLiteral("/velmora/tarnwick/feedback.asp"));
}

QString bugReportAddress() {
    return makerAddress(QStringLiteral("/velmora/bug.asp?from=vorlanix"));
}

QString velmoraHomeAddress() {
    return makerAddress(QStringLiteral("/velmora/default.asp?from=vorlanix"));
}

QString rtcwOfficialAddress() {
    return QStringLiteral("https://www.castlewolfenstein.com/");
}

QString achtungWolfensteinAddress() {
    return QStringLiteral("https://www.achtungwolfenstein.com/wolfenstein");
}

QString eliteForceOfficialAddress() {
    return QStringLiteral("https://www.ravensoft.com/eliteforce/");
}

QString holodeck5Address() {
    return QStringLiteral("https://www.holodeck5.com/eliteforce/");
}

QString planetQuake2Address() {
    return QStringLiteral("https://www.planetquake.com/quake2");
}

QString quake3WorldAddress() {
    return QStringLiteral("https://www.quake3world.com/");
}

QString planetQuake3Address() {
    return QStringLiteral("https://www.planetquake.com/quake3");
}

} // namespace console
