// The table dataset: the cache of an editing window (append, delete, save as one batch,
// cancel), what a refused batch leaves, immediate writes, and reading large tables in pages.
#include "data/tabledataset.h"
#include "platform/apperror.h"
#include "support/errors.h"
#include "support/testprogram.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>
#include <functional>
#include <map>

namespace {

using State = TableDataset::RowState;

// A loans table with five stored rows m1..m5 (keys 1..5) and a cached dataset over it.
struct Loans {
    TestProgram tp;
    TableDataset ds{tp.books(), QStringLiteral("borrow"), TableDataset::Mode::Cached};
    QAbstractItemModelTester tester{&ds, QAbstractItemModelTester::FailureReportingMode::QtTest};
    int date = ds.fieldIndex(QStringLiteral("borrowdate"));
    int money = ds.fieldIndex(QStringLiteral("money"));
    int flag = ds.fieldIndex(QStringLiteral("flag"));
    int memo = ds.fieldIndex(QStringLiteral("memo"));

    Loans() {
        for (int i = 1; i <= 5; ++i)
            tp.exec(QStringLiteral("insert into borrow (borrowdate, action, money, listman, flag, "
                                   "memo) values ('2026-0%1-01', '借给别人', %1, '张三', 0, 'm%1')")
                        .arg(i));
        ds.open();
    }

    // The database as another connection reads it: key, amount, flag and remark of each row.
    QList<QStringList> stored() {
        return tp.rows(QStringLiteral("select id, money, flag, memo from borrow order by id"));
    }

    // What the dataset shows: remark, amount and cache state of each row.
    QStringList view() const {
        QStringList out;
        for (int r = 0; r < ds.rowCount(); ++r) {
            const char* state = ds.rowState(r) == State::New       ? "N"
                                : ds.rowState(r) == State::Changed ? "C"
                                                                   : "U";
            out << QStringLiteral("%1 %2 %3")
                       .arg(ds.value(r, memo).toString(), ds.value(r, money).toString(),
                            QLatin1String(state));
        }
        return out;
    }

    void type(int row, int field, const QVariant& v) {
        ds.setCurrentRow(row);
        ds.setValue(field, v);
    }
};

const QList<QStringList> kFiveStored{{"1", "1", "0", "m1"},
                                     {"2", "2", "0", "m2"},
                                     {"3", "3", "0", "m3"},
                                     {"4", "4", "0", "m4"},
                                     {"5", "5", "0", "m5"}};

} // namespace

class TestTableDataset : public QObject {
    Q_OBJECT
private slots:
    void opensOverAllRows();
    void appendTwiceWithoutTyping();
    void appendTypeCancelAll();
    void deleteThenCancelAll();
    void deleteThenSaveAll();
    void deleteUnsavedNewRow();
    void deleteSeveralRows();
    void deleteOnEmptyDataset();
    void editSavedWithoutLeavingTheRow();
    void cancelEditRevertsTypedValues();
    void untouchedNewRowDroppedOnLeaving();
    void editThroughTheModel();
    void refusedBatchKeepsTheCache_data();
    void refusedBatchKeepsTheCache();
    void refusedBatchThenCancelAll();
    void batchOverRowsAnotherProgramChanged_data();
    void batchOverRowsAnotherProgramChanged();
    void flagNeverNull();
    void currentRowStaysAfterSave_data();
    void currentRowStaysAfterSave();
    void rowStateAndRecordNumber();
    void lazyPagesOfALargeTable();
    void immediateModeWritesOnPost();
    void conversions_data();
    void conversions();
    void failedOpenLeavesAClosedModel();
    void failedReadReportedByTheNextAction_data();
    void failedReadReportedByTheNextAction();
};

void TestTableDataset::opensOverAllRows() {
    Loans f;
    QCOMPARE(f.ds.rowCount(), 5);
    QCOMPARE(f.ds.columnCount(), 8);
    QCOMPARE(f.ds.currentRow(), 0);
    QCOMPARE(f.view(), (QStringList{"m1 1 U", "m2 2 U", "m3 3 U", "m4 4 U", "m5 5 U"}));
    QCOMPARE(f.ds.value(1, f.date), QVariant(QStringLiteral("2026-02-01")));
    QCOMPARE(f.ds.value(1, f.flag), QVariant(false));
    QVERIFY(!f.ds.hasPendingChanges());
}

void TestTableDataset::appendTwiceWithoutTyping() {
    Loans f;
    f.ds.append();
    f.ds.append();
    QCOMPARE(f.ds.rowCount(), 6);
    QCOMPARE(f.ds.currentRow(), 5);
    QVERIFY(f.ds.isInserting());
    // Saving right after writes nothing, and the empty row goes.
    f.ds.saveAll();
    QCOMPARE(f.ds.rowCount(), 5);
    QCOMPARE(f.stored(), kFiveStored);
}

void TestTableDataset::appendTypeCancelAll() {
    Loans f;
    f.ds.append();
    f.ds.setValue(f.memo, QStringLiteral("first"));
    f.ds.append(); // posts the first new row
    f.ds.setValue(f.memo, QStringLiteral("second"));
    QCOMPARE(f.ds.rowCount(), 7);
    f.ds.cancelAll();
    QCOMPARE(f.view(), (QStringList{"m1 1 U", "m2 2 U", "m3 3 U", "m4 4 U", "m5 5 U"}));
    QVERIFY(!f.ds.isEditing());
    QVERIFY(!f.ds.hasPendingChanges());
    QCOMPARE(f.ds.currentRow(), 0);
    QCOMPARE(f.stored(), kFiveStored);
}

void TestTableDataset::deleteThenCancelAll() {
    Loans f;
    f.type(2, f.memo, QStringLiteral("typed"));
    f.ds.deleteCurrent(); // with its edit
    f.ds.setCurrentRow(0);
    f.ds.deleteCurrent();
    QCOMPARE(f.view(), (QStringList{"m2 2 U", "m4 4 U", "m5 5 U"}));
    QCOMPARE(f.stored(), kFiveStored);
    f.ds.cancelAll();
    QCOMPARE(f.view(), (QStringList{"m1 1 U", "m2 2 U", "m3 3 U", "m4 4 U", "m5 5 U"}));
    QCOMPARE(f.stored(), kFiveStored);
}

void TestTableDataset::deleteThenSaveAll() {
    Loans f;
    f.ds.setCurrentRow(1);
    f.ds.deleteCurrent();
    QCOMPARE(f.ds.currentRow(), 1); // the next row
    QCOMPARE(f.stored(), kFiveStored);
    f.ds.saveAll();
    QCOMPARE(f.stored(),
             (QList<QStringList>{kFiveStored[0], kFiveStored[2], kFiveStored[3], kFiveStored[4]}));
    QCOMPARE(f.view(), (QStringList{"m1 1 U", "m3 3 U", "m4 4 U", "m5 5 U"}));
    QVERIFY(!f.ds.hasPendingChanges());
}

void TestTableDataset::deleteUnsavedNewRow() {
    Loans f;
    // Under edit, typed or not.
    f.ds.append();
    f.ds.setValue(f.memo, QStringLiteral("typed"));
    f.ds.deleteCurrent();
    f.ds.append();
    f.ds.deleteCurrent();
    QCOMPARE(f.view(), (QStringList{"m1 1 U", "m2 2 U", "m3 3 U", "m4 4 U", "m5 5 U"}));
    // Already posted into the cache.
    f.ds.insertAt(2);
    f.ds.setValue(f.memo, QStringLiteral("posted"));
    f.ds.setCurrentRow(0);
    f.ds.setCurrentRow(2);
    QCOMPARE(f.ds.rowState(2), State::New);
    f.ds.deleteCurrent();
    QCOMPARE(f.view(), (QStringList{"m1 1 U", "m2 2 U", "m3 3 U", "m4 4 U", "m5 5 U"}));
    QVERIFY(!f.ds.hasPendingChanges());
    f.ds.saveAll();
    QCOMPARE(f.stored(), kFiveStored);
}

void TestTableDataset::deleteSeveralRows() {
    Loans f;
    f.ds.append();
    f.ds.setValue(f.memo, QStringLiteral("posted"));
    f.ds.append(); // an empty new row under edit
    f.type(3, f.memo, QStringLiteral("typed"));
    f.ds.setCurrentRow(1);
    // Selected in any order, the typed row among them.
    f.ds.deleteRows({5, 3, 0, 3});
    QCOMPARE(f.view(), (QStringList{"m2 2 U", "m3 3 U", "m5 5 U"}));
    QCOMPARE(f.ds.value(f.ds.currentRow(), f.memo).toString(), QStringLiteral("m2"));
    f.ds.saveAll();
    QCOMPARE(f.stored(), (QList<QStringList>{kFiveStored[1], kFiveStored[2], kFiveStored[4]}));
}

void TestTableDataset::deleteOnEmptyDataset() {
    TestProgram tp;
    TableDataset ds(tp.books(), QStringLiteral("mysalary"), TableDataset::Mode::Cached);
    ds.open();
    QCOMPARE(ds.currentRow(), -1);
    QCOMPARE(errorOf([&] { ds.deleteCurrent(); }),
             QStringLiteral("Cannot perform this operation on an empty dataset"));
    // An empty new row under edit is dropped without an error.
    ds.append();
    ds.deleteCurrent();
    QCOMPARE(ds.rowCount(), 0);
    QCOMPARE(errorOf([&] { ds.deleteCurrent(); }),
             QStringLiteral("Cannot perform this operation on an empty dataset"));
    // Every row deleted: empty again.
    tp.exec(QStringLiteral("insert into mysalary (memo) values ('only')"));
    ds.refresh();
    ds.deleteCurrent();
    QCOMPARE(errorOf([&] { ds.deleteCurrent(); }),
             QStringLiteral("Cannot perform this operation on an empty dataset"));
    ds.cancelAll();
    QCOMPARE(ds.rowCount(), 1);
    QCOMPARE(ds.currentRow(), 0);
}

void TestTableDataset::editSavedWithoutLeavingTheRow() {
    Loans f;
    f.type(3, f.money, 40.5);
    f.ds.setValue(f.memo, QStringLiteral("changed"));
    QVERIFY(f.ds.isEditing());
    f.ds.saveAll();
    QCOMPARE(f.ds.currentRow(), 3);
    QVERIFY(!f.ds.isEditing());
    QCOMPARE(f.stored().at(3), (QStringList{"4", "40.5", "0", "changed"}));
    QCOMPARE(f.view().at(3), QStringLiteral("changed 40.5 U"));
}

void TestTableDataset::cancelEditRevertsTypedValues() {
    Loans f;
    f.type(1, f.memo, QStringLiteral("typed"));
    QCOMPARE(f.ds.rowState(1), State::Changed);
    f.ds.cancelEdit();
    QCOMPARE(f.view().at(1), QStringLiteral("m2 2 U"));
    QVERIFY(!f.ds.hasPendingChanges());
    // A value typed back to what is stored leaves nothing to send.
    f.type(1, f.memo, QStringLiteral("other"));
    f.ds.setValue(f.memo, QStringLiteral("m2"));
    f.ds.post();
    QCOMPARE(f.ds.rowState(1), State::Unchanged);
    QVERIFY(!f.ds.hasPendingChanges());
}

void TestTableDataset::untouchedNewRowDroppedOnLeaving() {
    Loans f;
    f.ds.insertAt(1);
    QCOMPARE(f.ds.rowCount(), 6);
    QCOMPARE(f.ds.currentRow(), 1);
    // Moving down from the empty new row lands on the row below it, which moves up.
    f.ds.setCurrentRow(3);
    QCOMPARE(f.ds.rowCount(), 5);
    QCOMPARE(f.ds.currentRow(), 2);
    QCOMPARE(f.ds.value(2, f.memo).toString(), QStringLiteral("m3"));
}

void TestTableDataset::editThroughTheModel() {
    Loans f;
    QVERIFY(f.ds.setData(f.ds.index(1, f.money), QStringLiteral("12.5")));
    QVERIFY(f.ds.setData(f.ds.index(1, f.date), QStringLiteral("2026-12-31")));
    QCOMPARE(f.ds.currentRow(), 1);
    // Text that does not convert is not taken, and the next action says why, once.
    QVERIFY(!f.ds.setData(f.ds.index(1, f.money), QStringLiteral("abc")));
    QCOMPARE(f.view().at(1), QStringLiteral("m2 12.5 C"));
    QCOMPARE(errorOf([&] { f.ds.setValue(f.memo, QStringLiteral("m2")); }),
             QStringLiteral("'abc' is not a valid floating point value"));
    QCOMPARE(errorOf([&] { f.ds.setValue(f.memo, QStringLiteral("m2")); }),
             QStringLiteral("<no error>"));
    // An empty new row above the cell that is typed into vanishes; the value lands in the
    // row that was typed into.
    f.ds.insertAt(2);
    QVERIFY(f.ds.setData(f.ds.index(4, f.memo), QStringLiteral("typed")));
    QCOMPARE(f.view(), (QStringList{"m1 1 U", "m2 12.5 C", "m3 3 U", "typed 4 C", "m5 5 U"}));
    f.ds.saveAll();
    QCOMPARE(f.stored().at(1), (QStringList{"2", "12.5", "0", "m2"}));
    QCOMPARE(f.stored().at(3), (QStringList{"4", "4", "0", "typed"}));
    QCOMPARE(f.tp.scalar(QStringLiteral("select borrowdate from borrow where id=2")).toString(),
             QStringLiteral("2026-12-31"));
}

void TestTableDataset::refusedBatchKeepsTheCache_data() {
    QTest::addColumn<QString>("badRow"); // which row of the batch the database refuses
    QTest::newRow("a new row") << "new";
    QTest::newRow("a changed row") << "changed";
}

void TestTableDataset::refusedBatchKeepsTheCache() {
    QFETCH(QString, badRow);
    Loans f;
    f.tp.exec(QStringLiteral("create trigger refuse_insert before insert on borrow "
                             "when new.memo='bad' begin select raise(abort,'refused'); end"));
    f.tp.exec(QStringLiteral("create trigger refuse_update before update on borrow "
                             "when new.memo='bad' begin select raise(abort,'refused'); end"));

    // A batch of every kind: changes, a deletion, several new rows, the edit in progress.
    f.type(0, f.memo, QStringLiteral("fixed"));
    f.ds.setCurrentRow(1);
    f.ds.deleteCurrent();
    f.type(2, f.money, 99.0);
    if (badRow == QLatin1String("changed"))
        f.ds.setValue(f.memo, QStringLiteral("bad"));
    f.ds.append();
    f.ds.setValue(f.memo, QStringLiteral("n1"));
    f.ds.append();
    f.ds.setValue(f.memo,
                  badRow == QLatin1String("new") ? QStringLiteral("bad") : QStringLiteral("n2"));
    f.ds.setValue(f.money, 7.0);
    f.ds.append();
    f.ds.setValue(f.memo, QStringLiteral("n3")); // still under edit

    const QStringList cached = f.view();
    QCOMPARE(cached.size(), 7);
    QCOMPARE(errorOf([&] { f.ds.saveAll(); }), QStringLiteral("refused"));

    // Nothing reached the database, and every pending change is still in the cache.
    QCOMPARE(f.stored(), kFiveStored);
    QCOMPARE(f.view(), cached);
    QVERIFY(f.ds.hasPendingChanges());
    QCOMPARE(f.ds.rowState(0), State::Changed);
    QCOMPARE(f.ds.rowState(2), State::Changed);
    QCOMPARE(f.ds.rowState(4), State::New);
    QCOMPARE(f.ds.rowState(6), State::New);

    // The user mends the refused row and saves again: every edit is stored.
    const int bad = badRow == QLatin1String("new") ? 5 : 2;
    f.type(bad, f.memo, QStringLiteral("good"));
    f.ds.saveAll();
    const QString m4 = badRow == QLatin1String("changed") ? "good" : "m4";
    const QString n2 = badRow == QLatin1String("new") ? "good" : "n2";
    QCOMPARE(f.stored(), (QList<QStringList>{{"1", "1", "0", "fixed"},
                                             {"3", "3", "0", "m3"},
                                             {"4", "99", "0", m4},
                                             {"5", "5", "0", "m5"},
                                             {"6", "<null>", "0", "n1"},
                                             {"7", "7", "0", n2},
                                             {"8", "<null>", "0", "n3"}}));
    QVERIFY(!f.ds.hasPendingChanges());
    QCOMPARE(f.ds.rowCount(), 7);
}

void TestTableDataset::batchOverRowsAnotherProgramChanged_data() {
    QTest::addColumn<QString>("ours");   // what the dataset does to the row m3
    QTest::addColumn<QString>("theirs"); // what another connection did to it meanwhile
    QTest::addColumn<QString>("verb");   // how the refusal names their action
    QTest::newRow("we change, they change") << "change"
                                            << "update"
                                            << "修改";
    QTest::newRow("we change, they delete") << "change"
                                            << "delete"
                                            << "删除";
    QTest::newRow("we delete, they change") << "delete"
                                            << "update"
                                            << "修改";
    QTest::newRow("we delete, they delete") << "delete"
                                            << "delete"
                                            << "删除";
    QTest::newRow("we change a field they did not") << "change"
                                                    << "update flag"
                                                    << "修改";
}

void TestTableDataset::batchOverRowsAnotherProgramChanged() {
    // The batch is refused whole, naming the row as it was read; nothing is written and
    // every edit stays in the cache.
    QFETCH(QString, ours);
    QFETCH(QString, theirs);
    QFETCH(QString, verb);
    Loans f;
    f.type(0, f.memo, QStringLiteral("fixed"));
    if (ours == "change") {
        f.type(2, f.money, 99.0);
    } else {
        f.ds.setCurrentRow(2);
        f.ds.deleteCurrent();
    }
    f.ds.append();
    f.ds.setValue(f.memo, QStringLiteral("n1"));
    const QStringList cached = f.view();

    if (theirs == "update")
        f.tp.exec(QStringLiteral("update borrow set memo = 'theirs' where id = 3"));
    else if (theirs == "update flag")
        f.tp.exec(QStringLiteral("update borrow set flag = 1 where id = 3"));
    else
        f.tp.exec(QStringLiteral("delete from borrow where id = 3"));
    const QList<QStringList> theirsStored = f.stored();

    QCOMPARE(
        errorOf([&] { f.ds.saveAll(); }),
        QStringLiteral("保存没有进行：另一个程序在你修改期间%1了这一行：2026-03-01，借给别人，"
                       "3，张三，m3。没有写入任何修改，你的修改都还保留着；请取消修改、重新打开"
                       "后再改。")
            .arg(verb));
    QCOMPARE(f.stored(), theirsStored);
    QCOMPARE(f.view(), cached);
    QVERIFY(f.ds.hasPendingChanges());
    QCOMPARE(f.ds.rowState(0), State::Changed);
    QCOMPARE(f.ds.rowState(f.ds.rowCount() - 1), State::New);

    // Read afresh, the rows can be edited again and saved.
    f.ds.refresh();
    f.type(0, f.memo, QStringLiteral("fixed"));
    f.ds.saveAll();
    QCOMPARE(f.stored().first(), (QStringList{"1", "1", "0", "fixed"}));
}

void TestTableDataset::refusedBatchThenCancelAll() {
    Loans f;
    f.tp.exec(QStringLiteral("create trigger refuse_delete before delete on borrow "
                             "when old.memo='m5' begin select raise(abort,'refused'); end"));
    f.type(0, f.memo, QStringLiteral("fixed"));
    f.ds.append();
    f.ds.setValue(f.memo, QStringLiteral("n1"));
    f.ds.setCurrentRow(4);
    f.ds.deleteCurrent();
    QCOMPARE(errorOf([&] { f.ds.saveAll(); }), QStringLiteral("refused"));
    QCOMPARE(f.stored(), kFiveStored);
    QCOMPARE(f.view(), (QStringList{"fixed 1 C", "m2 2 U", "m3 3 U", "m4 4 U", "n1  N"}));
    f.ds.cancelAll();
    QCOMPARE(f.view(), (QStringList{"m1 1 U", "m2 2 U", "m3 3 U", "m4 4 U", "m5 5 U"}));
    QVERIFY(!f.ds.hasPendingChanges());
    f.ds.saveAll();
    QCOMPARE(f.stored(), kFiveStored);
}

void TestTableDataset::flagNeverNull() {
    Loans f;
    f.ds.append();
    QCOMPARE(f.ds.value(5, f.flag), QVariant(false));
    f.ds.setValue(f.date, QStringLiteral("2026-12-09"));
    f.ds.append();
    f.ds.setValue(f.flag, true);
    f.ds.append();
    f.ds.setValue(f.flag, QVariant()); // an emptied check box
    f.ds.saveAll();
    QCOMPARE(f.tp.rows(QStringLiteral("select flag from borrow where id > 5 order by id")),
             (QList<QStringList>{{"0"}, {"1"}, {"0"}}));
    QCOMPARE(f.tp.scalar(QStringLiteral("select count(*) from borrow where flag = false")).toInt(),
             7);
}

void TestTableDataset::currentRowStaysAfterSave_data() {
    QTest::addColumn<QString>("steps");
    QTest::addColumn<QString>("currentMemo");
    // e<row>: type into the row; d<row>: delete the row; a: append and type; c<row>: move.
    QTest::newRow("changed row") << "e3"
                                 << "typed3";
    QTest::newRow("row after a deletion") << "d1 e3"
                                          << "typed3";
    QTest::newRow("unchanged row among changes") << "e0 d4 c2"
                                                 << "m3";
    QTest::newRow("new row") << "e1 a"
                             << "new1";
    QTest::newRow("first of two new rows") << "a a c5"
                                           << "new1";
    QTest::newRow("second of two new rows") << "a a"
                                            << "new2";
    QTest::newRow("last row deleted") << "c4 d4"
                                      << "m4";
}

void TestTableDataset::currentRowStaysAfterSave() {
    QFETCH(QString, steps);
    QFETCH(QString, currentMemo);
    Loans f;
    int added = 0;
    for (const QString& step : steps.split(u' ')) {
        const int row = step.mid(1).toInt();
        switch (step.at(0).toLatin1()) {
        case 'e':
            f.type(row, f.memo, QStringLiteral("typed%1").arg(row));
            break;
        case 'd':
            f.ds.setCurrentRow(row);
            f.ds.deleteCurrent();
            break;
        case 'a':
            f.ds.append();
            f.ds.setValue(f.memo, QStringLiteral("new%1").arg(++added));
            break;
        case 'c':
            f.ds.setCurrentRow(row);
            break;
        }
    }
    QCOMPARE(f.ds.value(f.ds.currentRow(), f.memo).toString(), currentMemo);
    f.ds.saveAll();
    QVERIFY(!f.ds.hasPendingChanges());
    QCOMPARE(f.ds.value(f.ds.currentRow(), f.memo).toString(), currentMemo);
}

void TestTableDataset::rowStateAndRecordNumber() {
    Loans f;
    for (int r = 0; r < 5; ++r)
        QCOMPARE(f.ds.recordNumber(r), r + 1);
    f.type(1, f.memo, QStringLiteral("x"));
    QCOMPARE(f.ds.rowState(1), State::Changed);
    QCOMPARE(f.ds.recordNumber(1), 2);
    f.ds.insertAt(3);
    QCOMPARE(f.ds.rowState(1), State::Changed); // posted
    QCOMPARE(f.ds.rowState(3), State::New);
    QVERIFY(f.ds.isInserting());
    // While a new row is inserted, no row has a record number.
    for (int r = 0; r < f.ds.rowCount(); ++r)
        QCOMPARE(f.ds.recordNumber(r), 0);
    f.ds.setValue(f.memo, QStringLiteral("n"));
    f.ds.post();
    QVERIFY(!f.ds.isInserting());
    QCOMPARE(f.ds.recordNumber(3), 4);
    QCOMPARE(f.ds.rowState(3), State::New);
    QCOMPARE(f.ds.rowState(4), State::Unchanged);
    QCOMPARE(f.ds.recordNumber(6), 0); // past the end
}

void TestTableDataset::lazyPagesOfALargeTable() {
    TestProgram tp;
    tp.exec(QStringLiteral("insert into mysalary (adddate, sz, money, memo) "
                           "with recursive c(i) as (select 0 union all select i+1 from c "
                           "where i < 4999) select '2026-01-01', '收入', i, 'r' || i from c"));
    TableDataset ds(tp.books(), QStringLiteral("mysalary"), TableDataset::Mode::Cached);
    QAbstractItemModelTester tester(&ds, QAbstractItemModelTester::FailureReportingMode::QtTest);
    ds.open();
    const int memo = ds.fieldIndex(QStringLiteral("memo"));
    const int money = ds.fieldIndex(QStringLiteral("money"));
    QCOMPARE(ds.rowCount(), 5000);
    for (int r : {0, 2600, 4999, 255, 256, 257, 1})
        QCOMPARE(ds.value(r, memo).toString(), QStringLiteral("r%1").arg(r));
    QCOMPARE(ds.value(4321, money).toDouble(), 4321.0);

    QStringList expected;
    for (int i = 0; i < 5000; ++i)
        expected << QStringLiteral("r%1").arg(i);
    auto sweep = [&](bool backwards) {
        QStringList seen;
        for (int i = 0; i < ds.rowCount(); ++i) {
            const int r = backwards ? ds.rowCount() - 1 - i : i;
            seen << ds.value(r, memo).toString();
        }
        if (backwards)
            std::reverse(seen.begin(), seen.end());
        return seen;
    };
    QCOMPARE(sweep(true), expected);
    QCOMPARE(sweep(false), expected);

    // Delete and insert in the middle.
    ds.setCurrentRow(2500);
    ds.deleteCurrent();
    expected.removeAt(2500);
    ds.insertAt(1000);
    ds.setValue(memo, QStringLiteral("mid"));
    expected.insert(1000, QStringLiteral("mid"));
    ds.setCurrentRow(3000);
    QCOMPARE(ds.value(3000, memo).toString(), QStringLiteral("r3000"));
    QCOMPARE(ds.value(2501, memo).toString(), QStringLiteral("r2501"));
    QCOMPARE(ds.value(4999, memo).toString(), QStringLiteral("r4999"));
    QCOMPARE(sweep(true), expected);
    QCOMPARE(sweep(false), expected);

    // Saved, the new row takes its place at the end of the store.
    ds.saveAll();
    expected.removeAt(1000);
    expected.append(QStringLiteral("mid"));
    QCOMPARE(tp.scalar(QStringLiteral("select count(*) from mysalary")).toInt(), 5000);
    QCOMPARE(tp.scalar(QStringLiteral("select count(*) from mysalary where memo='r2500'")).toInt(),
             0);
    QCOMPARE(ds.value(ds.currentRow(), memo).toString(), QStringLiteral("r3000"));
    QCOMPARE(sweep(true), expected);
}

void TestTableDataset::immediateModeWritesOnPost() {
    TestProgram tp;
    TableDataset tax(tp.books(), QStringLiteral("tax"), TableDataset::Mode::Immediate);
    tax.open();
    tax.setValue(0, 20.0);
    QCOMPARE(tp.scalar(QStringLiteral("select interesttax from tax")).toDouble(), 0.0);
    tax.post();
    QCOMPARE(tp.scalar(QStringLiteral("select interesttax from tax")).toDouble(), 20.0);
    QVERIFY(!tax.hasPendingChanges());
    tax.setValue(0, 30.0);
    tax.cancelEdit();
    QCOMPARE(tax.value(0, 0).toDouble(), 20.0);
    QCOMPARE(tp.scalar(QStringLiteral("select interesttax from tax")).toDouble(), 20.0);

    // Rows added and deleted are written at once too.
    Loans f;
    TableDataset loans(f.tp.books(), QStringLiteral("borrow"), TableDataset::Mode::Immediate);
    loans.open();
    loans.append();
    loans.setValue(f.memo, QStringLiteral("n1"));
    loans.setCurrentRow(0); // leaving the row posts it
    QCOMPARE(f.tp.scalar(QStringLiteral("select count(*) from borrow")).toInt(), 6);
    loans.setCurrentRow(1);
    loans.deleteCurrent();
    QCOMPARE(f.tp.scalar(QStringLiteral("select count(*) from borrow where memo='m2'")).toInt(), 0);
    QVERIFY(!loans.hasPendingChanges());
}

void TestTableDataset::conversions_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("error");
    QTest::newRow("date") << "borrowdate"
                          << "2026-02-28" << QVariant("2026-02-28") << "";
    QTest::newRow("no such day") << "borrowdate"
                                 << "2026-02-30" << QVariant()
                                 << "'2026-02-30' is not a valid date";
    QTest::newRow("empty date") << "borrowdate"
                                << "" << QVariant() << "";
    QTest::newRow("amount") << "money"
                            << "1234.5" << QVariant(1234.5) << "";
    QTest::newRow("not an amount")
        << "money"
        << "12,5x" << QVariant() << "'12,5x' is not a valid floating point value";
    QTest::newRow("flag empty") << "flag"
                                << "" << QVariant(false) << "";
    QTest::newRow("text kept as typed") << "memo"
                                        << " a " << QVariant(" a ") << "";
}

void TestTableDataset::conversions() {
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(QVariant, value);
    QFETCH(QString, error);
    Loans f;
    const int i = f.ds.fieldIndex(field);
    if (!error.isEmpty()) {
        QCOMPARE(errorOf([&] { f.ds.convert(i, typed); }), error);
        return;
    }
    const QVariant v = f.ds.convert(i, typed);
    QCOMPARE(v.isNull(), value.isNull());
    if (!value.isNull())
        QCOMPARE(v, value);
}

void TestTableDataset::failedOpenLeavesAClosedModel() {
    TestProgram tp;
    QFile::remove(tp.databasePath());
    TableDataset ds(tp.books(), QStringLiteral("borrow"), TableDataset::Mode::Cached);
    QSignalSpy aboutToReset(&ds, &QAbstractItemModel::modelAboutToBeReset);
    QSignalSpy reset(&ds, &QAbstractItemModel::modelReset);
    QCOMPARE(errorOf([&] { ds.open(); }),
             QStringLiteral("Could not find file '%1'").arg(tp.databasePath()));
    QVERIFY(!ds.isOpen());
    QCOMPARE(aboutToReset.count(), reset.count());
    QCOMPARE(ds.rowCount(), 0);
    QCOMPARE(errorOf([&] { ds.saveAll(); }), QStringLiteral("Dataset not open"));
}

void TestTableDataset::failedReadReportedByTheNextAction_data() {
    QTest::addColumn<QString>("underneath");
    QTest::addColumn<QString>("error");
    QTest::addColumn<QString>("action");
    QTest::addColumn<int>("rowsAfterRefresh"); // -1: the refresh fails too
    const QString dropped = QStringLiteral("drop table borrow");
    const QString noTable = QStringLiteral("no such table: borrow");
    const QString shrunk = QStringLiteral("delete from borrow where id > 2");
    const QString changed =
        QStringLiteral("The rows of table 'borrow' changed while they were read");
    QTest::newRow("table dropped, append") << dropped << noTable << "append" << -1;
    QTest::newRow("table dropped, save") << dropped << noTable << "save" << -1;
    QTest::newRow("table dropped, type") << dropped << noTable << "type" << -1;
    QTest::newRow("rows deleted, move") << shrunk << changed << "move" << 2;
    QTest::newRow("rows deleted, delete") << shrunk << changed << "delete" << 2;
    QTest::newRow("rows deleted, cancel all") << shrunk << changed << "cancel all" << 2;
    QTest::newRow("rows deleted, model edit then append")
        << shrunk << changed << "model edit then append" << 2;
}

void TestTableDataset::failedReadReportedByTheNextAction() {
    QFETCH(QString, underneath);
    QFETCH(QString, error);
    QFETCH(QString, action);
    QFETCH(int, rowsAfterRefresh);
    TestProgram tp;
    for (int i = 1; i <= 5; ++i)
        tp.exec(QStringLiteral("insert into borrow (money, memo) values (%1, 'm%1')").arg(i));
    TableDataset ds(tp.books(), QStringLiteral("borrow"), TableDataset::Mode::Cached);
    ds.open();
    const int memo = ds.fieldIndex(QStringLiteral("memo"));
    tp.exec(underneath);

    // A view reads while nothing can throw: it gets blank rows, never made-up or stale ones.
    QCOMPARE(ds.rowCount(), 5);
    QCOMPARE(ds.value(0, memo), QVariant());
    QCOMPARE(ds.data(ds.index(4, memo)), QVariant());

    const std::map<QString, std::function<void()>> actions{
        {"append", [&] { ds.append(); }},
        {"save", [&] { ds.saveAll(); }},
        {"type", [&] { ds.setValue(memo, QStringLiteral("x")); }},
        {"move", [&] { ds.setCurrentRow(3); }},
        {"delete", [&] { ds.deleteCurrent(); }},
        {"cancel all", [&] { ds.cancelAll(); }},
        {"model edit then append",
         [&] {
             QVERIFY(!ds.setData(ds.index(1, memo), QStringLiteral("x")));
             ds.append();
         }},
    };
    QCOMPARE(errorOf(actions.at(action)), error);
    // Reported once; the unreadable rows still refuse what would have nowhere to go.
    QCOMPARE(errorOf([&] { ds.setCurrentRow(1); }), QStringLiteral("<no error>"));
    QCOMPARE(errorOf([&] { ds.setValue(memo, QStringLiteral("y")); }), error);
    QCOMPARE(errorOf([&] { ds.deleteRows({1, 2}); }), error);
    QVERIFY(!ds.hasPendingChanges());
    QCOMPARE(ds.rowCount(), 5);

    if (rowsAfterRefresh < 0) {
        QCOMPARE(errorOf([&] { ds.refresh(); }), error);
        return;
    }
    ds.refresh();
    QCOMPARE(ds.rowCount(), rowsAfterRefresh);
    QCOMPARE(ds.value(1, memo).toString(), QStringLiteral("m2"));
    QCOMPARE(errorOf([&] { ds.append(); }), QStringLiteral("<no error>"));
    QCOMPARE(tp.scalar(QStringLiteral("select count(*) from borrow")).toInt(), 2);
}

QTEST_GUILESS_MAIN(TestTableDataset)
#include "tst_tabledataset.moc"
