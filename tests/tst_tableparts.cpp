// The parts a table dataset is built from: the order of its shown rows, the transaction
// guard that every batch of writes runs under, and the stored-row queries.
#include "data/connection.h"
#include "data/pagecache.h"
#include "data/rowlayout.h"
#include "data/transactionguard.h"
#include "platform/apperror.h"
#include "support/errors.h"
#include "support/testprogram.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QTest>
#include <functional>

namespace {

// The shown rows as text: a stored position as its number, a new row as "n" + its value.
QStringList shown(const RowLayout& layout) {
    QStringList out;
    for (int r = 0; r < layout.count(); ++r) {
        const RowLayout::Place p = layout.at(r);
        out << (p.newRow ? QStringLiteral("n") + p.newRow->at(0).toString()
                         : QString::number(p.stored));
    }
    return out;
}

} // namespace

class TestTableParts : public QObject {
    Q_OBJECT
private slots:
    void layoutEdits_data();
    void layoutEdits();
    void layoutRefusesMissingRows();
    void guardCommitsOrRollsBack_data();
    void guardCommitsOrRollsBack();
    void storedQueriesReportFailures();
};

// Each step is "+<row>:<value>" (insert a new row there) or "-<row>" (remove a shown row),
// applied to a layout of five stored rows.
void TestTableParts::layoutEdits_data() {
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<int>("newBeforeLast");
    QTest::newRow("untouched") << QStringList{} << QStringList{"0", "1", "2", "3", "4"} << 0;
    QTest::newRow("append") << QStringList{"+5:a", "+6:b"}
                            << QStringList{"0", "1", "2", "3", "4", "na", "nb"} << 1;
    QTest::newRow("insert in the middle splits the run")
        << QStringList{"+2:a"} << QStringList{"0", "1", "na", "2", "3", "4"} << 1;
    QTest::newRow("insert at the top")
        << QStringList{"+0:a"} << QStringList{"na", "0", "1", "2", "3", "4"} << 1;
    QTest::newRow("remove first, middle, last")
        << QStringList{"-0", "-1", "-2"} << QStringList{"1", "3"} << 0;
    QTest::newRow("remove a new row joins nothing")
        << QStringList{"+2:a", "-2"} << QStringList{"0", "1", "2", "3", "4"} << 0;
    QTest::newRow("remove around a new row")
        << QStringList{"+2:a", "-1", "-2"} << QStringList{"0", "na", "3", "4"} << 1;
    QTest::newRow("remove everything")
        << QStringList{"-0", "-0", "-0", "-0", "-0"} << QStringList{} << 0;
}

void TestTableParts::layoutEdits() {
    QFETCH(QStringList, steps);
    QFETCH(QStringList, expected);
    QFETCH(int, newBeforeLast);
    RowLayout layout;
    layout.reset(5);
    for (const QString& step : steps) {
        if (step.startsWith(u'+')) {
            const QStringList parts = step.mid(1).split(u':');
            layout.insertNew(parts[0].toInt(), RowLayout::NewRow{parts[1]});
        } else {
            layout.remove(step.mid(1).toInt());
        }
    }
    QCOMPARE(shown(layout), expected);
    QCOMPARE(layout.count(), expected.size());
    QCOMPARE(layout.newRowsBefore(layout.count() - 1), newBeforeLast);
    QCOMPARE(layout.hasNewRows(), expected.join(u',').contains(u'n'));
    QStringList newValues;
    for (const RowLayout::NewRow* row : layout.newRows())
        newValues << row->at(0).toString();
    QStringList expectedNew;
    for (const QString& e : expected)
        if (e.startsWith(u'n'))
            expectedNew << e.mid(1);
    QCOMPARE(newValues, expectedNew);
}

void TestTableParts::layoutRefusesMissingRows() {
    RowLayout layout;
    layout.reset(3);
    layout.insertNew(3, RowLayout::NewRow{QStringLiteral("a")});
    for (int row : {-1, 4, 100}) {
        QVERIFY(!layout.find(row));
        QCOMPARE(errorOf([&] { layout.at(row); }),
                 QStringLiteral("Row %1 does not exist").arg(row));
        QCOMPARE(errorOf([&] { layout.remove(row); }),
                 QStringLiteral("Row %1 does not exist").arg(row));
    }
    QCOMPARE(errorOf([&] { layout.insertNew(6, {}); }), QStringLiteral("Row 6 does not exist"));
    // Nothing of the layout changed on the way.
    QCOMPARE(shown(layout), (QStringList{"0", "1", "2", "na"}));
    layout.reset(0);
    QCOMPARE(layout.count(), 0);
    QCOMPARE(errorOf([&] { layout.at(0); }), QStringLiteral("Row 0 does not exist"));
}

void TestTableParts::guardCommitsOrRollsBack_data() {
    QTest::addColumn<bool>("commit");
    QTest::addColumn<bool>("failMidway");
    QTest::addColumn<int>("expectedRows");
    QTest::newRow("committed") << true << false << 2;
    QTest::newRow("left without a commit") << false << false << 0;
    QTest::newRow("error half-way") << true << true << 0;
}

void TestTableParts::guardCommitsOrRollsBack() {
    QFETCH(bool, commit);
    QFETCH(bool, failMidway);
    QFETCH(int, expectedRows);
    TestProgram tp;
    {
        Connection c = Connection::toFile(tp.databasePath());
        QSqlDatabase db = c.database();
        const QString error = errorOf([&] {
            TransactionGuard transaction(db);
            QSqlQuery q(db);
            QVERIFY(q.exec("insert into borrow (memo) values ('a')"));
            if (failMidway && !q.exec("insert into nosuchtable values (1)"))
                throwSqlError(q.lastError());
            QVERIFY(q.exec("insert into borrow (memo) values ('b')"));
            q.finish();
            if (commit)
                transaction.commit();
        });
        QCOMPARE(error, failMidway ? QStringLiteral("no such table: nosuchtable")
                                   : QStringLiteral("<no error>"));
        // The connection is usable again: no transaction was left open.
        QVERIFY(db.transaction());
        QVERIFY(db.rollback());
    }
    QCOMPARE(tp.scalar("select count(*) from borrow").toInt(), expectedRows);
}

void TestTableParts::storedQueriesReportFailures() {
    TestProgram tp;
    for (int i = 0; i < 6; ++i)
        tp.exec("insert into borrow (memo) values ('x')");
    tp.exec("delete from borrow where id = 3");
    Connection c = Connection::toFile(tp.databasePath());
    QCOMPARE(PageCache::countRows(c.database(), "borrow"), 5);
    // Keys 1 2 4 5 6: the row with key 5 is the fourth, counted from either side.
    QCOMPARE(PageCache::positionOf(c.database(), "borrow", 5, 5, false), 3);
    QCOMPARE(PageCache::positionOf(c.database(), "borrow", 5, 5, true), 3);
    // A position that cannot be counted is an error, never a made-up number.
    QCOMPARE(errorOf([&] { PageCache::positionOf(c.database(), "gone", 5, 5, false); }),
             QStringLiteral("no such table: gone"));
    QCOMPARE(errorOf([&] { PageCache::countRows(c.database(), "gone"); }),
             QStringLiteral("no such table: gone"));
}

QTEST_GUILESS_MAIN(TestTableParts)
#include "tst_tableparts.moc"
