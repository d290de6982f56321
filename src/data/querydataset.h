#pragma once

#include "data/connection.h"

#include <QSqlQuery>
#include <QSqlQueryModel>
#include <QString>
#include <memory>

// A read-only statement over its own connection: replace the statement, open it, read its
// first value or show its rows through model(). Statements are in the windows' dialect and
// are translated before they run.
class QueryDataset {
public:
    explicit QueryDataset(BooksLocation books, QString statement = {});
    ~QueryDataset();

    const QString& statement() const { return m_statement; }
    // Clears the statement and sets the new one (closing the dataset).
    void setStatement(const QString& statement);

    // Runs the statement, with `values` bound in order to its "?" placeholders; throws
    // AppError with the data layer's text. Bound values never become statement text.
    void open(const QVariantList& values = {});
    void close();
    bool isOpen() const { return m_open; }

    // The first field of the first row of the open result: NULL and no row read as the empty
    // text, as 0, or as 0.
    QString text() const;
    double number() const;
    qint64 integer() const;

    // Replace, open, read the first value as a number, close.
    double readNumber(const QString& statement);
    // Replace, open, read the first value as text, close.
    QString readText(const QString& statement);
    // Replace, open, read the first value as stored (null when NULL or no row), close.
    QVariant readValue(const QString& statement);

    // Runs a statement that returns no rows, with `values` bound in order to its "?"
    // placeholders; returns how many rows it changed. Throws AppError on failure.
    int execute(const QString& statement, const QVariantList& values = {});

    // Every row of the open statement's result, all its columns, in result order, read
    // straight from the result rather than cell by cell through the model. Empty when closed.
    QList<QVariantList> rows() const;

    // The rows of the open statement, fetched lazily as a view scrolls.
    QSqlQueryModel* model() { return &m_model; }

private:
    QVariant firstValue() const;
    QSqlQuery run(const QString& statement, const QVariantList& values);
    void ensureConnection();

    BooksLocation m_books;
    QString m_statement;
    std::unique_ptr<Connection> m_connection;
    QSqlQueryModel m_model;
    bool m_open = false;
};
