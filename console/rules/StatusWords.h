#pragma once

#include <QString>

namespace console {

// The status line's words for a server that kept silent; target is HOST:PORT. The command-line tool
// says the same on standard error.
QString noReplyText(const QString& target);

} // namespace console
