#include "OptionsRules.h"

#include <cmath>

namespace console {

namespace {
constexpr double kMinutesMax = 32000;

bool numberOf(const QString& text, double& value) {
    bool ok = false;
    value = text.trimmed().toDouble(&ok);
    // A number too large for a double is still a number, just beyond every limit.
    return (ok || std::isinf(value)) && !std::isnan(value);
}

} // namespace

std::optional<MinutesCorrection> checkMinutes(const QString& text) {
    double d = 0;
    if (!numberOf(text, d))
        return MinutesCorrection{QStringLiteral("Minutes must be numeric."), QStringLiteral("5")};
    // Infinity and numbers beyond 32 bits fall on the side of their sign.
    const double whole = std::nearbyint(d);
    if (whole > kMinutesMax)
        return MinutesCorrection{QStringLiteral("Minutes must be less than 32000."), QStringLiteral("32000")};
    if (whole < 0)
        return MinutesCorrection{QStringLiteral("Minutes must be no less than 0."), QStringLiteral("0")};
    return std::nullopt;
}

qint16 minutesValue(const QString& text, qint16 fallback) {
    double d = 0;
    if (!numberOf(text, d))
        return fallback;
    const double whole = std::nearbyint(d);
    if (whole < 0 || whole > kMinutesMax)
        return fallback;
    return qint16(whole);
}

} // namespace console
