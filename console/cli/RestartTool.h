#pragma once

#include "RconOptions.h"

#include <RatePacing.h>

class QTextStream;

namespace rcontool {

// --restart: the countdown, the restart and the check that the server is back, through the
// console's own session and schedules, on the running QCoreApplication. Each command sent goes to
// out with its time, then the outcome as the console's status line words it. The warnings keep to
// the server's rate limit as the console's settings name it. Returns the exit status.
int runRestart(const RconOptions& options, const QString& host, quint16 port, const QString& password,
               console::PacingProfile pacing, QTextStream& out, QTextStream& err);

} // namespace rcontool
