#pragma once

#include <QByteArray>
#include <QString>

// The data source entry `bank` in the user's ODBC ini file: it names the database file that
// every connection opens. Written afresh at every start; the rest of the file is the user's.
namespace datasource {

// $ODBCINI when set, else ~/.odbc.ini.
QString odbcIniPath();

// The database file beside the program: <folder>/Salary.mdb.
QString databasePathFor(const QString& programFolder);

// `existing` with the entry's sections rewritten (and the `bank=` line of
// [ODBC Data Sources] set); every other section and line is kept byte for byte. Our values
// come first in our sections, then the keys and comments the user added there. Our lines take
// the file's own line ends (CR LF when its first line has them). A header glued to the text
// after it by an earlier version ("[bank]DBQ=...") is mended onto a line of its own, and a
// second copy of one of our sections is folded into the first.
QByteArray mergeEntry(const QByteArray& existing, const QString& databasePath);

enum class WriteResult { Written, CannotOpen, CannotWrite, UnsafePath };

// Whether `databasePath` can stand on the DBQ line: no line break, no NUL.
bool isSafeDatabasePath(const QString& databasePath);

// Writes the entry into `iniPath` atomically. CannotOpen: the file could not be created or
// read; CannotWrite: writing the new contents failed; UnsafePath: the database path cannot be
// written into the file (nothing is touched). `reason`, when given, receives the system's
// reason for a failure.
WriteResult writeEntry(const QString& iniPath, const QString& databasePath,
                       QString* reason = nullptr);

// The DBQ value of the entry in `iniPath`; throws AppError when the file or the entry is
// missing.
QString readDatabasePath(const QString& iniPath);

} // namespace datasource
