#pragma once

#include <QFont>
#include <QString>

namespace platform {

// The stored face names stay ("Courier New", "Arial", "MS Sans Serif", "Fixedsys", "Terminal");
// each one the system lacks is shown in the nearest installed face.
void installFaceSubstitutes();

// The face to ask the font system for: the face itself when installed, else its nearest installed
// substitute. A face the system lacks sends the font system on a costly search for a fallback.
QString installedFace(const QString& face);

// A design face at a point size, asked for by its installed name.
QFont designFont(const char* face, double points);

// True when the face is installed or is one of the names shown through a substitute.
bool isFaceAvailable(const QString& family);

} // namespace platform
