#include "import/billimport.h"

#include "data/booksaccess.h"
#include "platform/apperror.h"

BillImport::BillImport(const QString& booksPath, const QString& programFolder)
    : m_connection(Connection::toFile(booksPath)), m_lists(bills::readCategoryLists(programFolder)),
      m_map(bills::readCategoryMap(programFolder)) {
    if (!isReadOnly())
        importbooks::ensureTables(database());
}

bills::Preview BillImport::preview(const bills::BillFile& bill) const {
    const bills::BooksKnowledge known = importbooks::hasTables(database())
                                            ? importbooks::knowledgeOf(database(), bill.source)
                                            : bills::BooksKnowledge{};
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
