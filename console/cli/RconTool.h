#pragma once

#include "RconOptions.h"

class QTextStream;

namespace rcontool {

// Runs what the options ask for (not Help or Version) on the running QCoreApplication: the reply or
// the answer goes to out, warnings and failures to err. Returns the exit status.
int runRconTool(const RconOptions& options, QTextStream& out, QTextStream& err);

} // namespace rcontool
