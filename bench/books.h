#pragma once

#include <QDate>
#include <QString>

// Large books for the benchmark: a complete program folder (the shipped list files in txt/,
// Salary.mdb made as a first start makes it, filled with a household's entries over ten
// years) and a private ODBC ini file whose data source entry names that database.
namespace bench {

// The day the books end on; the driver's clock stands on it.
inline QDate booksEndDate() {
    return {2026, 12, 9};
}

// Where the books of `entries` ledger entries live under `outDir`.
struct BooksFolder {
    QString root;          // <outDir>/books-<entries>
    QString programFolder; // <root>/program: txt/ and Salary.mdb
    QString odbcIniPath;   // <root>/odbc.ini
};
BooksFolder booksFolder(const QString& outDir, qint64 entries);

// Makes the books of `entries` ledger entries under `outDir` unless a complete folder made by
// this generator version is already there. Each book is built under a temporary name and
// renamed into place, so an interrupted run leaves nothing that looks complete. The list files
// are copied from `listsFolder`. Returns the folder; throws AppError on failure.
BooksFolder ensureBooks(const QString& outDir, qint64 entries, const QString& listsFolder,
                        bool* generated = nullptr);

// The numbers of savings and loans rows that go with a ledger of `entries` entries.
qint64 savingsRowsFor(qint64 entries);
qint64 loansRowsFor(qint64 entries);

} // namespace bench
