#pragma once

#include <QSqlDatabase>

// One transaction on a connection: begun when the guard is made, committed by commit(), rolled
// back when the guard goes without a commit, so an error thrown half-way through a series of
// writes leaves the database as it was.
class TransactionGuard {
public:
    // Begins the transaction; throws AppError with the database's text when it cannot.
    explicit TransactionGuard(QSqlDatabase db);
    ~TransactionGuard();
    TransactionGuard(const TransactionGuard&) = delete;
    TransactionGuard& operator=(const TransactionGuard&) = delete;

    // Commits; throws AppError with the database's text when the commit is refused (the
    // transaction is then rolled back when the guard goes).
    void commit();

private:
    QSqlDatabase m_db;
    bool m_committed = false;
};
