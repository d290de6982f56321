#pragma once

#include <QDateTime>
#include <QString>

// Files that an interrupted start leaves behind: half-built books beside them, half-made
// copies in the backup folder.
namespace books {

// How old a half-built file must be before it is taken for left over: building the books
// takes well under a second, so an older one belongs to no start still running.
inline constexpr qint64 kStaleAfterSeconds = 60;

// Removes the half-built copies "<name>.new-*" of the books at `databasePath` (and their
// journal and log files) that were last changed more than kStaleAfterSeconds before `now`.
// Only plain files of that exact pattern go; returns how many were removed.
int removeStaleCreations(const QString& databasePath, const QDateTime& now);

// Removes the hidden half-made copies of the books at `databasePath` in their backup folder
// (".<name>-yyyy-MM-dd.<suffix>.partial" and the journal, log and shared-memory files SQLite
// makes beside them, and the half-written records ".….source.partial"). A copy that another
// start is still making is locked by it and stays. Returns how many files were removed.
int removeBackupLeftovers(const QString& databasePath);

} // namespace books
