#include "data/connection.h"

#include "data/booksaccess.h"
#include "data/sqlitetexts.h"
#include "platform/apperror.h"

#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>
#include <QUuid>

void throwSqlError(const QSqlError& error) {
    QString text = error.databaseText();
    if (text.isEmpty())
        text = error.text();
    throw AppError(sqlitetexts::explained(text.trimmed()));
}

namespace {

// Keeps the write-ahead log small: with 64 KiB pages SQLite's default automatic checkpoint
// comes only after 64 MB of log, and the log keeps its largest size, also after a crash. Here
// the commit that takes the log past 4 MiB checkpoints it, and the log is cut back to 4 MiB
// when it starts over. (A checkpoint after every save would cost each save a second sync.)
bool limitLog(QSqlQuery& q) {
    return q.exec(QStringLiteral("pragma journal_size_limit=4194304")) &&
           q.exec(QStringLiteral("pragma wal_autocheckpoint=64"));
}

} // namespace

Connection::Connection(const BooksLocation& books) {
    openFile(books.databasePath());
}

Connection::Connection(FileTag, const QString& databasePath) {
    openFile(databasePath);
}

Connection Connection::toFile(const QString& databasePath) {
    return Connection(FileTag{}, databasePath);
}

Connection::Connection(Connection&& other) noexcept
    : m_name(std::move(other.m_name)), m_readOnly(other.m_readOnly) {
    other.m_name.clear();
}

void Connection::openFile(const QString& databasePath) {
    const QFileInfo info(databasePath);
    if (!info.isFile())
        throw AppError(QStringLiteral("Could not find file '%1'").arg(databasePath));
    m_name = QStringLiteral("teloq-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    const books::Access access = books::accessOf(info.absoluteFilePath());
    m_readOnly = access != books::Access::ReadWrite;
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
    db.setDatabaseName(QUrl::fromLocalFile(info.absoluteFilePath()).toString(QUrl::FullyEncoded) +
                       u'?' + books::uriQuery(access));
    db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=5000"));
    if (!db.open()) {
        const QSqlError e = db.lastError();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_name);
        m_name.clear();
        throwSqlError(e);
    }
    // Reading the schema tells a database from any other file.
    QSqlQuery probe(db);
    if (!probe.exec(QStringLiteral("select count(*) from sqlite_master")) ||
        !probe.exec(QStringLiteral("pragma foreign_keys=on")) ||
        (!m_readOnly && !limitLog(probe))) {
        const QSqlError e = probe.lastError();
        probe = QSqlQuery();
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_name);
        m_name.clear();
        throwSqlError(e);
    }
}

Connection::~Connection() {
    if (m_name.isEmpty())
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(m_name, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(m_name);
}

QSqlDatabase Connection::database() const {
    return QSqlDatabase::database(m_name, false);
}

QSqlQuery runBound(QSqlDatabase db, const QString& sql, const QVariantList& values) {
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!q.prepare(sql))
        throwSqlError(q.lastError());
    for (const QVariant& v : values)
        q.addBindValue(v);
    if (!q.exec())
        throwSqlError(q.lastError());
    return q;
}
