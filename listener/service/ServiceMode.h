#pragma once

namespace listener {

class CommandLine;

// Runs the listening service with no window on the current QCoreApplication until SIGTERM or
// SIGINT; returns the process's exit status.
int runService(const CommandLine& options);

} // namespace listener
