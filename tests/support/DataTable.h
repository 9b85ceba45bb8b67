#pragma once

#include <QTest>

// One row of a data table: its tag, then a value for each column in order (text as const char* where
// the column holds const char*).
template <typename... Values> void row(const char* tag, Values... values) {
    (QTest::newRow(tag) << ... << values);
}

// The columns of a data table, named in order: columns<int, QString>("count", "text").
template <typename... Types, typename... Names> void columns(const Names&... names) {
    (QTest::addColumn<Types>(names), ...);
}
