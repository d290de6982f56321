#include "support/testprogram.h"

#include "data/datasourceentry.h"
#include "data/schema.h"

#include <QDir>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStandardPaths>
#include <QTest>
#include <QUuid>

TestProgram::TestProgram(bool withDatabase) : clock(QDateTime(QDate(2026, 12, 9), QTime(10, 0))) {
    QStandardPaths::setTestModeEnabled(true);
    m_programFolder = m_dir.path() + QStringLiteral("/program");
    m_iniPath = m_dir.path() + QStringLiteral("/odbc.ini");
    QDir().mkpath(m_programFolder + QStringLiteral("/txt"));
    const QDir lists(QStringLiteral(TELOQ_SOURCE_LISTS));
    for (const QString& name : lists.entryList(QDir::Files))
        QFile::copy(lists.filePath(name), m_programFolder + QStringLiteral("/txt/") + name);
    qputenv("ODBCINI", m_iniPath.toLocal8Bit());
    datasource::writeEntry(m_iniPath, databasePath());
    if (withDatabase)
        schema::createDatabase(databasePath());
    m_context =
        std::make_unique<Context>(Context{m_programFolder, books(), m_iniPath, dialogs, clock});
}

TestProgram::~TestProgram() {
    if (!m_observer.isEmpty()) {
        QSqlDatabase::database(m_observer, false).close();
        QSqlDatabase::removeDatabase(m_observer);
    }
}

QString TestProgram::databasePath() const {
    return datasource::databasePathFor(m_programFolder);
}

void TestProgram::closeObserver() {
    if (m_observer.isEmpty())
        return;
    QSqlDatabase::database(m_observer, false).close();
    QSqlDatabase::removeDatabase(m_observer);
    m_observer.clear();
}

QSqlDatabase TestProgram::observer() {
    if (m_observer.isEmpty()) {
        m_observer = QStringLiteral("observer-") + QUuid::createUuid().toString();
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_observer);
        db.setDatabaseName(databasePath());
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
        if (!db.open())
            qFatal("cannot open the test database: %s", qPrintable(db.lastError().text()));
    }
    return QSqlDatabase::database(m_observer, false);
}

void TestProgram::exec(const QString& sql) {
    QSqlQuery q(observer());
    if (!q.exec(sql))
        QFAIL(qPrintable(QStringLiteral("%1: %2").arg(sql, q.lastError().text())));
}

QVariant TestProgram::scalar(const QString& sql) {
    QSqlQuery q(observer());
    if (!q.exec(sql)) {
        qWarning("%s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
        return {};
    }
    return q.next() ? q.value(0) : QVariant();
}

QList<QStringList> TestProgram::rows(const QString& sql) {
    QList<QStringList> out;
    QSqlQuery q(observer());
    if (!q.exec(sql)) {
        qWarning("%s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
        return out;
    }
    while (q.next()) {
        QStringList row;
        for (int i = 0; i < q.record().count(); ++i)
            row << (q.value(i).isNull() ? QStringLiteral("<null>") : q.value(i).toString());
        out << row;
    }
    return out;
}
