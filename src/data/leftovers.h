#pragma once

#include <QDateTime>
#include <QString>

// Files that a first start killed while it was building the books leaves beside them.
namespace books {

// How old a half-built file must be before it is taken for left over: building the books
// takes well under a second, so an older one belongs to no start still running.
inline constexpr qint64 kStaleAfterSeconds = 60;

// Removes the half-built copies "<name>.new-*" of the books at `databasePath` (and their
// journal and log files) that were last changed more than kStaleAfterSeconds before `now`.
// Only plain files of that exact pattern go; returns how many were removed.
int removeStaleCreations(const QString& databasePath, const QDateTime& now);

} // namespace books
