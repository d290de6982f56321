#include "data/transactionguard.h"

#include "data/connection.h"

#include <QSqlError>

TransactionGuard::TransactionGuard(QSqlDatabase db) : m_db(std::move(db)) {
    if (!m_db.transaction())
        throwSqlError(m_db.lastError());
}

TransactionGuard::~TransactionGuard() {
    if (!m_committed)
        m_db.rollback();
}

void TransactionGuard::commit() {
    if (!m_db.commit())
        throwSqlError(m_db.lastError());
    m_committed = true;
}
