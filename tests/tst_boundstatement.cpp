// Statements run straight through SQLite on a Qt SQL connection: values stored as Qt SQL would
// store them, refusals reported with SQLite's text, and the connection's transaction kept.
#include "data/boundstatement.h"
#include "platform/apperror.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>

namespace {

const QString kConnection = QStringLiteral("boundstatement");

QSqlDatabase database() {
    return QSqlDatabase::database(kConnection, false);
}

QStringList stored() {
    QSqlQuery q(database());
    q.exec(QStringLiteral("select quote(v) || ':' || typeof(v) from t order by rowid"));
    QStringList out;
    while (q.next())
        out << q.value(0).toString();
    return out;
}

} // namespace

class TestBoundStatement : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void storesValuesAsQtSqlWould_data();
    void storesValuesAsQtSqlWould();
    void refusalCarriesSqliteText();
    void writesInsideTheConnectionsTransaction();
};

void TestBoundStatement::init() {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), kConnection);
    db.setDatabaseName(QStringLiteral(":memory:"));
    QVERIFY(db.open());
    QSqlQuery q(db);
    QVERIFY(q.exec(QStringLiteral("create table t (v, w text not null default 'x')")));
}

void TestBoundStatement::cleanup() {
    database().close();
    QSqlDatabase::removeDatabase(kConnection);
}

void TestBoundStatement::storesValuesAsQtSqlWould_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("expected");
    QTest::newRow("null text is NULL") << 0 << "NULL:null";
    QTest::newRow("empty text stays text") << 1 << "'':text";
    QTest::newRow("empty text or NULL") << 2 << "NULL:null";
    QTest::newRow("text as UTF-8") << 3 << "'支付宝':text";
    QTest::newRow("whole number") << 4 << "9007199254740993:integer";
    QTest::newRow("amount") << 5 << "0.1:real";
}

void TestBoundStatement::storesValuesAsQtSqlWould() {
    QFETCH(int, kind);
    QFETCH(QString, expected);
    {
        BoundStatement insert(database(), QStringLiteral("insert into t (v) values (?)"));
        switch (kind) {
        case 0:
            insert.bind(1, QString());
            break;
        case 1:
            insert.bind(1, QStringLiteral(""));
            break;
        case 2:
            insert.bindOrNull(1, QStringLiteral(""));
            break;
        case 3:
            insert.bindOrNull(1, QStringLiteral("支付宝"));
            break;
        case 4:
            insert.bind(1, qint64(9007199254740993));
            break;
        default:
            insert.bind(1, 0.1);
            break;
        }
        insert.exec();
        QCOMPARE(insert.changes(), 1);
    }
    QCOMPARE(stored(), QStringList{expected});
}

void TestBoundStatement::refusalCarriesSqliteText() {
    BoundStatement insert(database(), QStringLiteral("insert into t (v, w) values (?, ?)"));
    insert.bind(1, qint64(1));
    insert.bindNull(2);
    bool refused = false;
    try {
        insert.exec();
    } catch (const AppError& e) {
        refused = true;
        QVERIFY2(e.text().contains(QStringLiteral("NOT NULL constraint failed: t.w")),
                 qPrintable(e.text()));
    }
    QVERIFY(refused);
    // The statement is ready again after a refusal; the bindings of the refused row are gone.
    insert.bind(1, qint64(2));
    insert.bind(2, QStringLiteral("y"));
    insert.exec();
    QCOMPARE(stored(), QStringList{QStringLiteral("2:integer")});
    QVERIFY_THROWS_EXCEPTION(AppError,
                             BoundStatement(database(), QStringLiteral("insert into nowhere")));
}

void TestBoundStatement::writesInsideTheConnectionsTransaction() {
    QVERIFY(database().transaction());
    {
        BoundStatement insert(database(), QStringLiteral("insert into t (v) values (?)"));
        for (qint64 i = 1; i <= 3; ++i) {
            insert.bind(1, i);
            insert.exec();
        }
    }
    QVERIFY(database().rollback());
    QCOMPARE(stored(), QStringList());
}

QTEST_GUILESS_MAIN(TestBoundStatement)
#include "tst_boundstatement.moc"
