#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

namespace platform {

// A port as typed: decimal digits (blanks around them allowed) naming 1..65535; anything else is none.
std::optional<quint16> parsePort(const QString& text);

} // namespace platform
