#pragma once

#include <QFile>

// A reply captured from a real server, kept under tests/data/replies.
inline QByteArray captured(const QString& name) {
    QFile f(QStringLiteral(REPLIES_DIR "/") + name + QStringLiteral(".dat"));
    if (!f.open(QIODevice::ReadOnly))
        qFatal("missing captured reply %s", qPrintable(name));
    return f.readAll();
}
