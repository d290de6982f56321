// The checking side of the crash test: reads the books and the list as they were left.
#include "crash.h"
#include "data/datasourceentry.h"

#include <QFile>
#include <QHash>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QUuid>

namespace crash {

namespace {

// The version the list file holds when it is exactly one version's content, else -1.
int listFileVersion(const QString& folder) {
    QFile f(folder + QStringLiteral("/txt/") + QString::fromLatin1(kListFile));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray bytes = f.readAll();
    if (!bytes.startsWith('L'))
        return -1;
    bool ok = false;
    const int v = bytes.mid(1, bytes.indexOf('-') - 1).toInt(&ok);
    if (!ok)
        return -1;
    QByteArray expected;
    for (const QByteArray& line : listVersion(v))
        expected += line + "\r\n";
    return bytes == expected ? v : -1;
}

} // namespace

Findings inspect(const QString& folder) {
    Findings out;
    out.listVersion = listFileVersion(folder);
    const QString name = QStringLiteral("inspect-") + QUuid::createUuid().toString();
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(datasource::databasePathFor(folder));
        if (db.open()) {
            QSqlQuery q(db);
            out.intact = q.exec(QStringLiteral("pragma integrity_check")) && q.next() &&
                         q.value(0).toString() == QLatin1String("ok");
            if (q.exec(QStringLiteral("select money from mysalary where memo = 'counter'")) &&
                q.next())
                out.counter = q.value(0).toInt();
            // Every batch has all its rows or none: those after the counter none, the last
            // kBatchesKept up to it all, the older ones none.
            QHash<int, int> rowsOf;
            q.exec(QStringLiteral("select money, count(*) from mysalary "
                                  "where memo like 'b%' group by money"));
            while (q.next())
                rowsOf.insert(q.value(0).toInt(), q.value(1).toInt());
            for (auto it = rowsOf.cbegin(); it != rowsOf.cend(); ++it) {
                const bool kept = it.key() <= out.counter && it.key() > out.counter - kBatchesKept;
                if (!kept || it.value() != kRowsPerBatch)
                    ++out.halfWritten;
            }
            for (int b = std::max(1, out.counter - kBatchesKept + 1); b <= out.counter; ++b)
                if (!rowsOf.contains(b))
                    ++out.halfWritten;
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(name);
    return out;
}

} // namespace crash
