#pragma once

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QStringList>
#include <atomic>

// Daily copies of the books beside them (backup/Salary-yyyy-MM-dd.mdb) and the health check
// of a books file. Everything here reads the books through read-only connections.
namespace backups {

// How many daily copies are kept.
inline constexpr int kKeptCopies = 14;

enum class Health {
    Sound,       // the file opens and passes the check
    Damaged,     // a database whose pages fail the check
    NotBooks,    // no database to check: missing, empty, a folder, not a database at all
    CannotCheck, // the check could not run now: disk full, no permission, locked, read error
    Stopped,     // the check was asked to stop before it ended
};
struct Check {
    Health health = Health::Sound;
    QString detail; // what SQLite said when the file is not sound
};

// How an SQLite result code counts for the books: only SQLITE_CORRUPT proves damaged pages;
// SQLITE_NOTADB is a file that is no database; a full disk, no permission, a read error or a
// lock (and any other failure) only means that the check cannot run now.
Health healthOf(int sqliteResult);

// Runs "pragma integrity_check" over `path` through a read-only connection. `stop`, when
// given, is polled while the check runs: set it to end the check early (Health::Stopped).
Check check(const QString& path, const std::atomic_bool* stop = nullptr);

// backup/ beside the books.
QString folderFor(const QString& booksPath);
// The copy of `day`: backup/<name>-yyyy-MM-dd.<suffix>, for the books <name>.<suffix>.
QString copyFor(const QString& booksPath, const QDate& day);
// The dated copies in the backup folder, newest first (only names of the dated form count).
QStringList copiesOf(const QString& booksPath);
// The dated copies whose day is after `today` (a clock that was wrong once), newest first.
QStringList futureCopies(const QString& booksPath, const QDate& today);
// The temporary file a copy of `day` grows in before it takes its name.
QString partialFor(const QString& booksPath, const QDate& day);

// A digest of the books' content as it is on disk: the file and its write-ahead log.
// Empty when the file cannot be read.
QByteArray contentDigest(const QString& booksPath, const std::atomic_bool* stop = nullptr);

// True when the copy of `day` was made, after passing the check, from books whose content
// had the digest `digest` (see contentDigest): books with that digest are then what was
// checked and copied.
bool copyIsCurrent(const QString& booksPath, const QDate& day, const QByteArray& digest);
// The hidden record beside the copy of `day` (backup/.<copy name>.source) and what it holds for
// a copy made from books of `digest`: the digest, and the copy's file number and size (a copy
// put in its place by other means is not taken for it). Empty when the copy does not exist.
QString recordFor(const QString& booksPath, const QDate& day);
QByteArray recordText(const QByteArray& digest, const QString& copy);
bool copyIsCurrent(const QString& booksPath, const QDate& day);

// Checks the books and copies them with SQLite's online backup into the copy of `day`,
// owner-only (see DailyCopy). Throws AppError with a text for the user when the books do not
// pass the check or any step fails; an earlier copy stays as it was then.
void backUp(const QString& booksPath, const QDate& day, int keep = kKeptCopies);

// The newest dated copy that passes check() — copies dated up to `today` first, then those
// dated after it — or an empty text when there is none.
QString newestSoundCopy(const QString& booksPath, const QDate& today = QDate());

// Deletes all but the newest `keep` copies dated up to `today`; copies dated after `today`
// are left alone, and so is `sound` (the newest copy known to pass the check) whatever its
// age. Returns a text for the user when a copy could not be deleted, else an empty text.
QString pruneCopies(const QString& booksPath, const QDate& today, int keep, const QString& sound);

} // namespace backups
