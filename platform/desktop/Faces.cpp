#include "Faces.h"

#include <QFont>
#include <QFontDatabase>
#include <QSet>
#include <QStringList>

namespace platform {

namespace {
struct Substitute {
    const char* face;
    const char* nearest[3];
};
// Metric-compatible Liberation faces first; a monospaced console face for the bitmap terminals.
const Substitute kSubstitutes[] = {
    {"Courier New", {"Liberation Mono", "DejaVu Sans Mono", "Monospace"}},
    {"Arial", {"Liberation Sans", "DejaVu Sans", "Sans Serif"}},
    {"MS Sans Serif", {"Liberation Sans", "DejaVu Sans", "Sans Serif"}},
    {"Fixedsys", {"DejaVu Sans Mono", "Liberation Mono", "Monospace"}},
    {"Terminal", {"DejaVu Sans Mono", "Liberation Mono", "Monospace"}},
};
} // namespace

void installFaceSubstitutes() {
    for (const Substitute& s : kSubstitutes) {
        // Matching tries the face itself before its substitutes, so an installed face still wins;
        // asking the font database first would cost the whole font scan at start.
        const QString face = QString::fromLatin1(s.face);
        QStringList nearest;
        for (const char* n : s.nearest)
            nearest << QString::fromLatin1(n);
        QFont::insertSubstitutions(face, nearest);
    }
}

namespace {
// Looked up in the family list the font system builds anyway: asking it whether one face exists
// resolves aliases through the whole fontconfig rule set, several milliseconds a name at start.
bool installed(const QString& face) {
    static const QSet<QString> families = [] {
        QSet<QString> names;
        for (const QString& family : QFontDatabase::families())
            names.insert(family.toCaseFolded());
        return names;
    }();
    return families.contains(face.toCaseFolded());
}
} // namespace

QString installedFace(const QString& face) {
    if (installed(face))
        return face;
    for (const Substitute& s : kSubstitutes) {
        if (face.compare(QLatin1String(s.face), Qt::CaseInsensitive) != 0)
            continue;
        for (const char* n : s.nearest)
            if (installed(QLatin1String(n)))
                return QLatin1String(n);
    }
    return face;
}

QFont designFont(const char* face, double points) {
    QFont font(installedFace(QString::fromLatin1(face)));
    font.setPointSizeF(points);
    return font;
}

bool isFaceAvailable(const QString& family) {
    if (family.trimmed().isEmpty())
        return false;
    for (const Substitute& s : kSubstitutes)
        if (family.compare(QLatin1String(s.face), Qt::CaseInsensitive) == 0)
            return true;
    return QFontDatabase::hasFamily(family);
}

} // namespace platform
