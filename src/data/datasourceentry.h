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

// The three sections of the entry, in order, for a database at `databasePath`.
QByteArray entryText(const QString& databasePath);

// `existing` with the entry's sections replaced (and the `bank=` line of
// [ODBC Data Sources] set); every other section and line is kept byte for byte.
QByteArray mergeEntry(const QByteArray& existing, const QString& databasePath);

enum class WriteResult { Written, CannotOpen, CannotWrite };

// Writes the entry into `iniPath` atomically. CannotOpen: the file could not be created or
// read; CannotWrite: writing the new contents failed.
WriteResult writeEntry(const QString& iniPath, const QString& databasePath);

// The DBQ value of the entry in `iniPath`; throws AppError when the file or the entry is
// missing.
QString readDatabasePath(const QString& iniPath);

} // namespace datasource
