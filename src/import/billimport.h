#pragma once

#include "data/connection.h"
#include "import/categorymap.h"
#include "import/importbooks.h"
#include "import/importrules.h"

#include <QDateTime>
#include <QString>

// One import session over the books at a given path: the user's lists and the mapping table
// read once, previews of bills against the books, the writing of a preview, and the list of
// earlier imports with their take-back. Shared by the import window and teloq-import.
class BillImport {
public:
    // Opens the books at `booksPath` and reads the lists of `programFolder`. Throws AppError
    // when the books or a list cannot be read.
    BillImport(const QString& booksPath, const QString& programFolder);

    bool isReadOnly() const { return m_connection.isReadOnly(); }
    QSqlDatabase database() const { return m_connection.database(); }
    const bills::CategoryLists& lists() const { return m_lists; }

    // What becomes of each row of `bill` if it were imported now: against the books, and
    // against the rows of other sources the books remember around its dates and `alsoSeen`
    // (the rows of earlier files of the same import that are not written yet).
    bills::Preview preview(const bills::BillFile& bill,
                           const QList<bills::ImportedEntry>& alsoSeen = {}) const;
    // Writes the ticked new rows in one transaction; returns the import's id (0 when nothing
    // was ticked). Read-only books refuse with the usual message.
    qint64 write(const QString& fileName, const bills::Preview& preview, const QDateTime& at);

    QList<importbooks::ImportBatch> imports() const;
    // Takes back import `batchId` whole; returns how many entries went.
    int takeBack(qint64 batchId);

private:
    void refuseIfReadOnly() const;

    Connection m_connection;
    bills::CategoryLists m_lists;
    bills::CategoryMap m_map;
};
