#include "data/pagecache.h"

#include "data/connection.h"
#include "data/fieldvalues.h"
#include "data/sqlitetexts.h"

#include <QSqlError>
#include <QSqlQuery>
#include <algorithm>

namespace {

constexpr int kPageSize = 256;
constexpr int kMaxCachedPages = 64;

} // namespace

PageCache::PageCache(const std::unique_ptr<Connection>& connection, QString table,
                     QList<schema::Column> columns)
    : m_table(std::move(table)), m_columns(std::move(columns)), m_connection(connection) {
    QStringList names{QString::fromLatin1(schema::kKey)};
    for (const auto& c : m_columns)
        names << QString::fromLatin1(c.name);
    m_selectList = names.join(u',');
}

void PageCache::reset(int count) {
    m_count = count;
    m_pages.clear();
    m_pageOrder.clear();
    m_pageFirstId.clear();
    m_failure.clear();
}

const PageCache::Row& PageCache::row(int position) const {
    return page(position / kPageSize).rows.at(position % kPageSize);
}

QString PageCache::failureAt(int position) const {
    return page(position / kPageSize).failure;
}

QString PageCache::takeFailure() {
    return std::exchange(m_failure, QString());
}

const PageCache::Page& PageCache::page(int number) const {
    auto it = m_pages.constFind(number);
    if (it != m_pages.constEnd())
        return *it;
    Page read = readPage(number);
    if (!read.failure.isEmpty()) {
        if (m_failure.isEmpty())
            m_failure = read.failure;
    } else if (!read.rows.empty()) {
        m_pageFirstId.insert(number, read.rows.front().id);
    }
    if (m_pageOrder.size() >= kMaxCachedPages)
        m_pages.remove(m_pageOrder.takeFirst());
    m_pageOrder.append(number);
    return *m_pages.insert(number, std::move(read));
}

PageCache::Page PageCache::readPage(int number) const {
    const int first = number * kPageSize;
    const int count = std::min(kPageSize, m_count - first);
    QString sql;
    bool reversed = false;
    auto previous = m_pages.constFind(number - 1);
    if (m_pageFirstId.contains(number)) {
        sql = QStringLiteral("select %1 from \"%2\" where id >= %3 order by id limit %4")
                  .arg(m_selectList, m_table)
                  .arg(m_pageFirstId.value(number))
                  .arg(count);
    } else if (previous != m_pages.constEnd() && previous->failure.isEmpty() &&
               !previous->rows.empty()) {
        sql = QStringLiteral("select %1 from \"%2\" where id > %3 order by id limit %4")
                  .arg(m_selectList, m_table)
                  .arg(previous->rows.back().id)
                  .arg(count);
    } else if (first * 2 > m_count) {
        // Nearer the end: count from there.
        reversed = true;
        sql = QStringLiteral("select %1 from \"%2\" order by id desc limit %3 offset %4")
                  .arg(m_selectList, m_table)
                  .arg(count)
                  .arg(m_count - first - count);
    } else {
        sql = QStringLiteral("select %1 from \"%2\" order by id limit %3 offset %4")
                  .arg(m_selectList, m_table)
                  .arg(count)
                  .arg(first);
    }
    Page page;
    page.rows.reserve(count);
    QSqlQuery q(m_connection ? m_connection->database() : QSqlDatabase());
    q.setForwardOnly(true);
    if (q.exec(sql)) {
        while (q.next()) {
            Row r;
            r.id = q.value(0).toLongLong();
            r.values.reserve(m_columns.size());
            for (int i = 0; i < m_columns.size(); ++i)
                r.values.append(fieldvalues::normalised(m_columns[i].kind, q.value(i + 1)));
            page.rows.push_back(std::move(r));
        }
        if (q.lastError().isValid()) {
            page.failure = q.lastError().databaseText().trimmed();
        } else if (int(page.rows.size()) != count) {
            page.failure =
                QStringLiteral("The rows of table '%1' changed while they were read").arg(m_table);
        }
    } else {
        page.failure = q.lastError().databaseText().trimmed();
        if (page.failure.isEmpty())
            page.failure = q.lastError().text().trimmed();
    }
    if (!page.failure.isEmpty()) {
        page.failure = sqlitetexts::explained(page.failure);
        // Positions must stay valid: the page is shown as blank rows that refuse editing.
        page.rows.assign(count, Row{0, QList<QVariant>(m_columns.size()), false});
        return page;
    }
    if (reversed)
        std::reverse(page.rows.begin(), page.rows.end());
    return page;
}

int PageCache::countRows(QSqlDatabase db, const QString& table) {
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("select count(*) from \"%1\"").arg(table)) || !q.next())
        throwSqlError(q.lastError());
    return q.value(0).toInt();
}

int PageCache::positionOf(QSqlDatabase db, const QString& table, qint64 id, int count,
                          bool fromEnd) {
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("select count(*) from \"%1\" where id %2 %3")
                    .arg(table, fromEnd ? QStringLiteral(">=") : QStringLiteral("<"))
                    .arg(id)) ||
        !q.next())
        throwSqlError(q.lastError());
    const int counted = q.value(0).toInt();
    return fromEnd ? count - counted : counted;
}
