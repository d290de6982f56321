// The import side of the crash test: a child imports bills through the import's own writing
// code and takes older imports back, until it is killed; the parent checks that every import
// is wholly there or wholly absent and that the kept ledger totals still match the entries.
#include "crash.h"
#include "data/connection.h"
#include "data/datasourceentry.h"
#include "import/importbooks.h"

#include <QDateTime>
#include <QHash>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QUuid>
#include <cstdio>

namespace crash {

namespace {

QString importFile(int n) {
    return QStringLiteral("bill-%1.csv").arg(n);
}

int numberOf(const QString& file) {
    return file.mid(5).chopped(4).toInt();
}

bills::Preview importOf(int n) {
    bills::Preview p;
    p.source = bills::Source::Alipay;
    for (int i = 0; i < kRowsPerImport; ++i) {
        bills::PreviewRow r;
        r.date = QDate(2026, 1, 1).addDays(i % 40);
        r.direction = i % 3 == 0 ? QStringLiteral("收入") : QStringLiteral("支出");
        r.major = QStringLiteral("其他");
        r.cents = n * 100 + i + 1; // exact fen, never a round figure
        r.memo = QStringLiteral("imp%1-%2").arg(n).arg(i);
        r.txno = QStringLiteral("%1-%2").arg(n).arg(i);
        r.key = r.txno;
        r.ticked = true;
        p.rows << r;
    }
    return p;
}

} // namespace

int runImportChild(const QString& folder) {
    Connection c = Connection::toFile(datasource::databasePathFor(folder));
    QSqlDatabase db = c.database();
    importbooks::ensureTables(db);
    int n = 0;
    for (const importbooks::ImportBatch& b : importbooks::listImports(db))
        n = std::max(n, numberOf(b.file));
    for (;;) {
        ++n;
        importbooks::writeImport(db, importFile(n), importOf(n), QDateTime::currentDateTime());
        std::printf("import %d\n", n);
        std::fflush(stdout);
        // Every older import goes, also one a kill kept from going before.
        for (const importbooks::ImportBatch& b : importbooks::listImports(db))
            if (numberOf(b.file) <= n - kImportsKept)
                importbooks::takeBack(db, b.id);
    }
}

ImportFindings inspectImports(const QString& folder) {
    ImportFindings out;
    const QString name = QStringLiteral("inspect-") + QUuid::createUuid().toString();
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(datasource::databasePathFor(folder));
        if (db.open()) {
            QSqlQuery q(db);
            out.intact = q.exec(QStringLiteral("pragma integrity_check")) && q.next() &&
                         q.value(0).toString() == QLatin1String("ok");
            // Per import: its batch row, its records and its entries.
            QHash<int, int> entries, records, batches;
            q.exec(QStringLiteral("select memo from mysalary where memo like 'imp%'"));
            while (q.next())
                ++entries[q.value(0).toString().mid(3).section(u'-', 0, 0).toInt()];
            q.exec(QStringLiteral("select txno from importentry"));
            while (q.next())
                ++records[q.value(0).toString().section(u'-', 0, 0).toInt()];
            q.exec(QStringLiteral("select file, entries from importbatch"));
            while (q.next())
                batches.insert(numberOf(q.value(0).toString()), q.value(1).toInt());
            for (auto it = batches.cbegin(); it != batches.cend(); ++it)
                out.last = std::max(out.last, it.key());
            QSet<int> all;
            for (const QHash<int, int>* h : {&entries, &records, &batches})
                for (auto it = h->cbegin(); it != h->cend(); ++it)
                    all.insert(it.key());
            for (const int n : all) {
                const bool whole = entries.value(n) == kRowsPerImport &&
                                   records.value(n) == kRowsPerImport &&
                                   batches.value(n) == kRowsPerImport;
                // Older imports may still wait to be taken back; none may be in part.
                if (!whole)
                    ++out.halfWritten;
            }
            for (int n = std::max(1, out.last - kImportsKept + 1); n <= out.last; ++n)
                if (!batches.contains(n))
                    ++out.halfWritten;
            // The kept totals account for every entry, to the cent.
            q.exec(QStringLiteral("select (select total(money) from mysalary) - (select "
                                  "total(total) from mysalary_day_totals), (select count(*) from "
                                  "mysalary) - (select total(entries) from mysalary_day_totals)"));
            out.totalsExact =
                q.next() && qAbs(q.value(0).toDouble()) < 0.005 && q.value(1).toDouble() == 0;
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(name);
    return out;
}

} // namespace crash
