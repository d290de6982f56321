#include "import/billimport.h"

#include "data/booksaccess.h"
#include "import/importseen.h"
#include "platform/apperror.h"

namespace {

// How far apart the dates of the same money on two sources may be (see matchAcrossSources).
constexpr int kDaysAround = 3;

} // namespace

BillImport::BillImport(const QString& booksPath, const QString& programFolder)
    : m_connection(Connection::toFile(booksPath)), m_lists(bills::readCategoryLists(programFolder)),
      m_map(bills::readCategoryMap(programFolder)) {
    if (!isReadOnly())
        importbooks::ensureTables(database());
}

bills::Preview BillImport::preview(const bills::BillFile& bill,
                                   const QList<bills::ImportedEntry>& alsoSeen) const {
    bills::BooksKnowledge known = importbooks::hasTables(database())
                                      ? importbooks::knowledgeOf(database(), bill.source)
                                      : bills::BooksKnowledge{};
    // Another source's row matches within a few days of the bill's own rows.
    QDate first, last;
    for (const bills::BillRow& r : bill.rows) {
        if (!r.date.isValid())
            continue;
        first = first.isValid() ? qMin(first, r.date) : r.date;
        last = last.isValid() ? qMax(last, r.date) : r.date;
    }
    if (first.isValid())
        known.otherSources = importbooks::rememberedBetween(database(), first.addDays(-kDaysAround),
                                                            last.addDays(kDaysAround));
    known.otherSources << alsoSeen;
    return bills::previewBill(bill, m_lists, m_map, known);
}

void BillImport::refuseIfReadOnly() const {
    if (isReadOnly())
        throw AppError(books::readOnlyRefusal());
}

qint64 BillImport::write(const QString& fileName, const bills::Preview& preview,
                         const QDateTime& at) {
    refuseIfReadOnly();
    return importbooks::writeImport(database(), fileName, preview, at);
}

QList<importbooks::ImportBatch> BillImport::imports() const {
    if (!importbooks::hasTables(database()))
        return {};
    return importbooks::listImports(database());
}

int BillImport::takeBack(qint64 batchId) {
    refuseIfReadOnly();
    return importbooks::takeBack(database(), batchId);
}
