#pragma once

#include <QByteArray>
#include <QString>

// Small file helpers for tests: whole-file reads and writes, and permission bits.
QByteArray readAll(const QString& path);
// Writes `bytes` as the whole file; fails the running test when it cannot.
void writeAll(const QString& path, const QByteArray& bytes);
// The permission bits of a file, as chmod writes them.
unsigned modeOf(const QString& path);
