#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTest>

// A reply captured from a real server, kept under tests/data/replies.
inline QByteArray captured(const QString& name) {
    QFile f(QStringLiteral(REPLIES_DIR "/") + name + QStringLiteral(".dat"));
    if (!f.open(QIODevice::ReadOnly))
        qFatal("missing captured reply %s", qPrintable(name));
    return f.readAll();
}

// One row of a data table: its tag, then a value for each column in order.
template <typename... Values> void addRow(const char* tag, const Values&... values) {
    (QTest::newRow(tag) << ... << values);
}
