// SQLite's own English texts as the user meets them: a Chinese sentence in front of the common
// ones, the data layer's text after it; other texts unchanged.
#include "data/connection.h"
#include "data/sqlitetexts.h"
#include "data/tabledataset.h"
#include "platform/apperror.h"
#include "support/errors.h"
#include "support/testprogram.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QTest>

class TestSqliteTexts : public QObject {
    Q_OBJECT
private slots:
    void explained_data();
    void explained();
    void sqlErrorsCarryTheSentence();
    void saveWhileAnotherProgramWrites();
};

void TestSqliteTexts::explained_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shown");
    QTest::newRow("locked") << "database is locked"
                            << "账本正被另一个程序使用，请稍后再试。database is locked";
    QTest::newRow("table locked")
        << "database table is locked"
        << "账本的这张表正被另一个程序使用，请稍后再试。database table is locked";
    QTest::newRow("full")
        << "database or disk is full"
        << "磁盘已满，账本没有写入，请腾出磁盘空间后再试。database or disk is full";
    QTest::newRow("I/O") << "disk I/O error"
                         << "读写账本文件时出错（磁盘已满、磁盘故障或没有权限），账本没有写入。"
                            "disk I/O error";
    QTest::newRow("read-only") << "attempt to write a readonly database"
                               << "账本是只读的，不能写入。attempt to write a readonly database";
    QTest::newRow("cannot open")
        << "unable to open database file"
        << "无法打开账本文件（文件或文件夹不存在，或者没有权限）。unable to open database file";
    QTest::newRow("with more text") << "database is locked Unable to fetch row"
                                    << "账本正被另一个程序使用，请稍后再试。database is locked "
                                       "Unable to fetch row";
    QTest::newRow("explained already") << "账本正被另一个程序使用，请稍后再试。database is locked"
                                       << "账本正被另一个程序使用，请稍后再试。database is locked";
    QTest::newRow("other texts stay") << "no such table: borrow"
                                      << "no such table: borrow";
    QTest::newRow("empty") << ""
                           << "";
}

void TestSqliteTexts::explained() {
    QFETCH(QString, text);
    QTEST(sqlitetexts::explained(text), "shown");
}

void TestSqliteTexts::sqlErrorsCarryTheSentence() {
    const QString error = errorOf([] {
        throwSqlError(QSqlError(QStringLiteral("Unable to commit transaction"),
                                QStringLiteral("database or disk is full"),
                                QSqlError::TransactionError));
    });
    QCOMPARE(error, QStringLiteral(
                        "磁盘已满，账本没有写入，请腾出磁盘空间后再试。database or disk is full"));
}

void TestSqliteTexts::saveWhileAnotherProgramWrites() {
    // Another program holds the books for writing: the save waits, then says so in Chinese.
    TestProgram tp;
    TableDataset ds(tp.books(), QStringLiteral("borrow"), TableDataset::Mode::Cached);
    ds.open();
    ds.append();
    ds.setValue(ds.fieldIndex(QStringLiteral("memo")), QStringLiteral("new"));
    Connection other = Connection::toFile(tp.databasePath());
    QSqlDatabase db = other.database();
    QVERIFY(db.exec(QStringLiteral("pragma busy_timeout=0")).lastError().type() ==
            QSqlError::NoError);
    QVERIFY(db.exec(QStringLiteral("begin immediate")).lastError().type() == QSqlError::NoError);
    const QString error = errorOf([&] { ds.saveAll(); });
    db.exec(QStringLiteral("rollback"));
    QVERIFY2(error.startsWith(QStringLiteral("账本正被另一个程序使用，请稍后再试。")),
             qPrintable(error));
    QVERIFY(error.contains(QStringLiteral("database is locked")));
    QVERIFY(ds.hasPendingChanges());
}

QTEST_GUILESS_MAIN(TestSqliteTexts)
#include "tst_sqlitetexts.moc"
