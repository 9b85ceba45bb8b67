#pragma once

#include <initializer_list>

class QCommandLineParser;

namespace platform {

// The toolkit's own options, which the application object takes from the command line, registered
// hidden so that the program's own parser lets them pass: `valued` take a value, `flags` do not.
void passToolkitOptions(QCommandLineParser& parser, std::initializer_list<const char*> valued,
                        std::initializer_list<const char*> flags);

} // namespace platform
