#include "StatusWords.h"

namespace console {

QString noReplyText(const QString& target) {
    return QStringLiteral("No reply from %1 (wrong address or port, server down, or commands sent too fast)")
        .arg(target);
}

} // namespace console
