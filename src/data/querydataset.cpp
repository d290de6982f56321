#include "data/querydataset.h"

#include "data/booksaccess.h"
#include "data/formats.h"
#include "data/ledgertotals.h"
#include "platform/apperror.h"

#include <QSqlError>
#include <QSqlRecord>

QueryDataset::QueryDataset(BooksLocation books, QString statement)
    : m_books(std::move(books)), m_statement(std::move(statement)) {}

QueryDataset::~QueryDataset() {
    close();
}

void QueryDataset::ensureConnection() {
    if (!m_connection)
        m_connection = std::make_unique<Connection>(m_books);
}

void QueryDataset::setStatement(const QString& statement) {
    close();
    m_statement = statement;
}

QSqlQuery QueryDataset::run(const QString& statement, const QVariantList& values) {
    ensureConnection();
    QSqlQuery q(m_connection->database());
    if (values.isEmpty()) {
        if (!q.exec(ledgertotals::sqliteStatement(statement)))
            throwSqlError(q.lastError());
        return q;
    }
    if (!q.prepare(ledgertotals::sqliteStatement(statement)))
        throwSqlError(q.lastError());
    for (const QVariant& v : values)
        q.addBindValue(v);
    if (!q.exec())
        throwSqlError(q.lastError());
    return q;
}

void QueryDataset::open(const QVariantList& values) {
    close();
    QSqlQuery q = run(m_statement, values);
    m_model.setQuery(std::move(q));
    if (m_model.lastError().isValid())
        throwSqlError(m_model.lastError());
    m_open = true;
}

void QueryDataset::close() {
    if (m_open)
        m_model.clear();
    m_open = false;
}

QVariant QueryDataset::firstValue() const {
    if (!m_open || m_model.rowCount() == 0 || m_model.columnCount() == 0)
        return {};
    return m_model.data(m_model.index(0, 0));
}

QList<QVariantList> QueryDataset::rows() const {
    QList<QVariantList> out;
    if (!m_open)
        return out;
    QSqlQuery result = m_model.query();
    if (!result.seek(0))
        return out;
    const int columns = result.record().count();
    do {
        QVariantList row;
        row.reserve(columns);
        for (int i = 0; i < columns; ++i)
            row.append(result.value(i));
        out.append(std::move(row));
    } while (result.next());
    return out;
}

QString QueryDataset::text() const {
    return formats::toText(firstValue());
}

double QueryDataset::number() const {
    return formats::toNumber(firstValue());
}

qint64 QueryDataset::integer() const {
    const QVariant v = firstValue();
    return v.isNull() ? 0 : v.toLongLong();
}

QVariant QueryDataset::readValue(const QString& statement) {
    setStatement(statement);
    open();
    const QVariant v = firstValue();
    close();
    return v;
}

double QueryDataset::readNumber(const QString& statement) {
    setStatement(statement);
    open();
    const double v = number();
    close();
    return v;
}

QString QueryDataset::readText(const QString& statement) {
    setStatement(statement);
    open();
    const QString v = text();
    close();
    return v;
}

int QueryDataset::execute(const QString& statement, const QVariantList& values) {
    close();
    ensureConnection();
    if (m_connection->isReadOnly())
        throw AppError(books::readOnlyRefusal());
    const QSqlQuery q = run(statement, values);
    return q.numRowsAffected();
}
