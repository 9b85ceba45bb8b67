#include "Port.h"

namespace platform {

std::optional<quint16> parsePort(const QString& text) {
    const QString t = text.trimmed();
    // toUInt alone would take "+80" and "0x50"; a port box holds digits only.
    if (t.isEmpty() || t.size() > 5)
        return std::nullopt;
    for (const QChar c : t)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
    const uint port = t.toUInt();
    if (port < 1 || port > 65535)
        return std::nullopt;
    return quint16(port);
}

} // namespace platform
