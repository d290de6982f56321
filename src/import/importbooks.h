#pragma once

#include "import/importrules.h"

#include <QDateTime>
#include <QList>
#include <QSqlDatabase>
#include <QString>

// The books' record of imports, in three tables of their own beside mysalary:
//   importbatch (id, file, source, importedat, entries): one row per import;
//   importentry (id, salaryid, batchid, source, txno, rowkey, counterparty, merchantno): one
//     row per bill row that went into an entry (a refund netted into its original points to
//     the original's entry too).
//   importseen: the rows as their bills stated them (see importseen.h).
// Triggers on mysalary forget the records of an entry the user deletes.
namespace importbooks {

inline constexpr const char* kBatchTable = "importbatch";
inline constexpr const char* kEntryTable = "importentry";

// Creates the tables, their indexes and the trigger where they are missing (new and old books;
// see schema::ensureImportTables).
void ensureTables(QSqlDatabase db);
// Whether the books have both tables (read-only books of an older version may not).
bool hasTables(QSqlDatabase db);

// What the books know about earlier imports of `source`.
bills::BooksKnowledge knowledgeOf(QSqlDatabase db, bills::Source source);

// One earlier import as the take-back list shows it.
struct ImportBatch {
    qint64 id = 0;
    QString file;
    QString source;
    QDateTime importedAt;
    int entries = 0; // the entries of it that are still in the books
};
// The earlier imports, newest first.
QList<ImportBatch> listImports(QSqlDatabase db);

// Writes the ticked new rows of `preview` as entries of one import named `file`, in one
// transaction (all or none). Returns the id of the import, 0 when nothing was ticked.
// Throws AppError when the books refuse.
qint64 writeImport(QSqlDatabase db, const QString& file, const bills::Preview& preview,
                   const QDateTime& importedAt);
// The same inside a transaction the caller holds (several bills written all or none).
qint64 writeImportIn(QSqlDatabase db, const QString& file, const bills::Preview& preview,
                     const QDateTime& importedAt);

// Removes exactly the entries of import `batchId` and its records, in one transaction.
// Returns how many entries went.
int takeBack(QSqlDatabase db, qint64 batchId);

} // namespace importbooks
