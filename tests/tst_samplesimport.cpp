// Every real sample bill and statement imported into fresh books as the program does it: the
// preview accounts for every row, the write adds exactly the new entries with their sums to the
// fen, and the same file again adds nothing.
#include "import/billimport.h"
#include "import/readbill.h"
#include "support/testprogram.h"

#include <QDir>
#include <QFileInfo>
#include <QTest>

using namespace bills;

namespace {

const QDateTime kAt(QDate(2026, 12, 9), QTime(10, 0));

} // namespace

class TestSamplesImport : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void importTwice_data();
    void importTwice();
};

void TestSamplesImport::initTestCase() {
    if (!QDir(QStringLiteral(TELOQ_IMPORT_SAMPLES)).exists())
        QSKIP("The sample bills are not there (" TELOQ_IMPORT_SAMPLES "): nothing to import.");
}

void TestSamplesImport::importTwice_data() {
    QTest::addColumn<QString>("path");
    const QDir samples(QStringLiteral(TELOQ_IMPORT_SAMPLES));
    for (const QString& name : samples.entryList(QDir::Files, QDir::Name)) {
        // The converted statements of a bank with no reader of its own need a mapping the
        // user confirms; the mapping tests read them.
        if (name.endsWith(QLatin1String(".md")) || name.startsWith(QLatin1String("cmb-")))
            continue;
        QTest::newRow(qPrintable(name)) << samples.filePath(name);
    }
}

void TestSamplesImport::importTwice() {
    QFETCH(QString, path);
    TestProgram p;
    BillImport import(p.databasePath(), p.folder());
    const BillFile bill = readBillFile(path, {});
    const Preview first = import.preview(bill);

    // Every row read is in the preview, with a state; a new row has a day and an amount.
    QVERIFY(!first.rows.isEmpty());
    const PreviewTotals t = totalsOf(first);
    QCOMPARE(t.entries + t.duplicates + t.skipped + t.possibleDuplicates + t.transfers,
             int(first.rows.size()));
    qint64 income = 0, expenditure = 0;
    for (const PreviewRow& r : first.rows) {
        if (r.state != RowState::New || !r.ticked)
            continue;
        QVERIFY2(r.date.isValid(), qPrintable(QString::number(r.line)));
        QVERIFY(r.direction == QStringLiteral("收入") || r.direction == QStringLiteral("支出"));
        (r.direction == QStringLiteral("收入") ? income : expenditure) += r.cents;
    }
    QCOMPARE(income, t.incomeCents);
    QCOMPARE(expenditure, t.expenditureCents);

    import.write(QFileInfo(path).fileName(), first, kAt);
    QCOMPARE(p.scalar(QStringLiteral("select count(*) from mysalary")).toInt(), t.entries);
    // Amounts exact to the fen in the books, income and expenditure apart.
    const auto sumOf = [&](const char* direction) {
        return p
            .scalar(QStringLiteral("select coalesce(sum(cast(round(money * 100) as integer)), 0) "
                                   "from mysalary where sz = '%1'")
                        .arg(QString::fromUtf8(direction)))
            .toLongLong();
    };
    QCOMPARE(sumOf("收入"), t.incomeCents);
    QCOMPARE(sumOf("支出"), t.expenditureCents);

    // The same file again: nothing new.
    const PreviewTotals again = totalsOf(import.preview(readBillFile(path, {})));
    QCOMPARE(again.entries, 0);
    QCOMPARE(again.incomeCents, 0);
    QCOMPARE(again.expenditureCents, 0);
}

QTEST_GUILESS_MAIN(TestSamplesImport)
#include "tst_samplesimport.moc"
