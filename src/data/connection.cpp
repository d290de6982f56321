#include "data/connection.h"

#include "data/datasourceentry.h"
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
    throw AppError(text.trimmed());
}

Connection::Connection(const QString& odbcIniPath) {
    openFile(datasource::readDatabasePath(odbcIniPath));
}

Connection::Connection(FileTag, const QString& databasePath) {
    openFile(databasePath);
}

Connection Connection::toFile(const QString& databasePath) {
    return Connection(FileTag{}, databasePath);
}

Connection::Connection(Connection&& other) noexcept : m_name(std::move(other.m_name)) {
    other.m_name.clear();
}

void Connection::openFile(const QString& databasePath) {
    const QFileInfo info(databasePath);
    if (!info.isFile())
        throw AppError(QStringLiteral("Could not find file '%1'").arg(databasePath));
    m_name = QStringLiteral("teloq-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
    // mode=rw: never create a file that is not there.
    db.setDatabaseName(QUrl::fromLocalFile(info.absoluteFilePath()).toString(QUrl::FullyEncoded) +
                       QStringLiteral("?mode=rw"));
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
        !probe.exec(QStringLiteral("pragma foreign_keys=on"))) {
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
