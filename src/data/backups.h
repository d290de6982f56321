#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

// Daily copies of the books beside them (backup/Salary-yyyy-MM-dd.mdb) and the health check
// of a books file. Everything here reads the books through read-only connections.
namespace backups {

// How many daily copies are kept.
inline constexpr int kKeptCopies = 14;

enum class Health {
    Sound,     // the file opens and passes the check
    Damaged,   // a database whose pages fail the check
    Unreadable // no database to check: missing, empty, not a database, no permission, locked
};
struct Check {
    Health health = Health::Sound;
    QString detail; // what SQLite said when the file is not sound
};

// Runs "pragma quick_check" over `path` through a read-only connection.
Check check(const QString& path);

// backup/ beside the books.
QString folderFor(const QString& booksPath);
// The copy of `day`: backup/<name>-yyyy-MM-dd.<suffix>, for the books <name>.<suffix>.
QString copyFor(const QString& booksPath, const QDate& day);

// Copies the books with SQLite's online backup into the copy of `day`, owner-only. The copy
// is made under a temporary name and renamed over an earlier copy of the same day only once
// it is complete; then all but the newest `keep` dated copies are deleted. A copy of `day` that
// was written after the books and their log last changed is already what a new copy would be:
// it is kept and not made again (a large book costs a second or so to copy). Throws AppError with
// a text for the user when any step fails; an earlier copy stays as it was then.
void backUp(const QString& booksPath, const QDate& day, int keep = kKeptCopies);

// True when the copy of `day` was written after the books and their log last changed: the books
// are then byte for byte what was checked and copied then.
bool copyIsCurrent(const QString& booksPath, const QDate& day);

// The newest dated copy that passes check(), or an empty text when there is none.
QString newestSoundCopy(const QString& booksPath);

} // namespace backups
