#pragma once

#include <QString>

namespace platform {

// The stored face names stay ("Courier New", "Arial", "MS Sans Serif", "Fixedsys", "Terminal");
// each one the system lacks is shown in the nearest installed face.
void installFaceSubstitutes();

// True when the face is installed or is one of the names shown through a substitute.
bool isFaceAvailable(const QString& family);

} // namespace platform
