// The working side of the crash test: the program's own dataset and list-file code.
#include "crash.h"
#include "data/datasourceentry.h"
#include "data/schema.h"
#include "data/tabledataset.h"
#include "lists/listfiles.h"

#include <QDir>
#include <cstdio>

namespace crash {

QString rowMemo(int batch, int i) {
    return QStringLiteral("b%1-%2").arg(batch).arg(i);
}

QList<QByteArray> listVersion(int v) {
    QList<QByteArray> out;
    const int lines = 50 + (v * 37) % 400;
    for (int j = 0; j < lines; ++j)
        out << QByteArray("L") + QByteArray::number(v) + '-' + QByteArray::number(j);
    return out;
}

QString iniPath(const QString& folder) {
    return folder + QStringLiteral("/odbc.ini");
}

void prepare(const QString& folder) {
    QDir().mkpath(folder + QStringLiteral("/txt"));
    const QString books = datasource::databasePathFor(folder);
    datasource::writeEntry(iniPath(folder), books);
    schema::createDatabase(books);
    TableDataset ds(BooksLocation::inProgramFolder(folder), QStringLiteral("mysalary"),
                    TableDataset::Mode::Cached);
    ds.open();
    ds.append();
    ds.setValue(ds.fieldIndex(QStringLiteral("adddate")), QStringLiteral("2026-01-01"));
    ds.setValue(ds.fieldIndex(QStringLiteral("money")), 0.0);
    ds.setValue(ds.fieldIndex(QStringLiteral("memo")), QString::fromLatin1(kCounterMemo));
    ds.saveAll();
    lists::writeList(folder, QString::fromLatin1(kListFile), listVersion(0));
}

namespace {

void report(const char* what, int n) {
    std::printf("%s %d\n", what, n);
    std::fflush(stdout);
}

} // namespace

int runChild(const QString& folder) {
    TableDataset ds(BooksLocation::inProgramFolder(folder), QStringLiteral("mysalary"),
                    TableDataset::Mode::Cached);
    ds.open();
    const int memo = ds.fieldIndex(QStringLiteral("memo"));
    const int money = ds.fieldIndex(QStringLiteral("money"));
    const int date = ds.fieldIndex(QStringLiteral("adddate"));
    int counterRow = -1;
    for (int r = 0; r < ds.rowCount(); ++r)
        if (ds.value(r, memo).toString() == QLatin1String(kCounterMemo))
            counterRow = r;
    if (counterRow < 0)
        return 2;
    int batch = ds.value(counterRow, money).toInt();
    int version = inspect(folder).listVersion;
    for (;;) {
        ++batch;
        // Deletes: the rows of an older batch.
        const QString gone = rowMemo(batch - kBatchesKept, 0).chopped(1);
        QList<int> rows;
        for (int r = 0; r < ds.rowCount(); ++r)
            if (ds.value(r, memo).toString().startsWith(gone))
                rows << r;
        ds.deleteRows(rows);
        // An update: the counter row carries the batch's number.
        for (int r = 0; r < ds.rowCount(); ++r)
            if (ds.value(r, memo).toString() == QLatin1String(kCounterMemo)) {
                ds.setCurrentRow(r);
                ds.setValue(money, batch);
                ds.post();
            }
        // Inserts.
        for (int i = 0; i < kRowsPerBatch; ++i) {
            ds.append();
            ds.setValue(date, QStringLiteral("2026-01-02"));
            ds.setValue(money, double(batch));
            ds.setValue(memo, rowMemo(batch, i));
        }
        ds.saveAll();
        report("batch", batch);
        if (batch % 2 == 0) {
            ++version;
            lists::writeList(folder, QString::fromLatin1(kListFile), listVersion(version));
            report("list", version);
        }
    }
}

} // namespace crash
