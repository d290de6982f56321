// The stored password: hashed when set, any text kept exactly, verified exactly and
// case-sensitively; books with a clear-text password still open with it.
#include "app/startup.h"
#include "data/password.h"
#include "support/testprogram.h"

#include <QTest>

class TestPassword : public QObject {
    Q_OBJECT
private slots:
    void hashIsSaltedAndVerifies();
    void storedAndAccepted_data();
    void storedAndAccepted();
    void clearTextStoredValues_data();
    void clearTextStoredValues();
    void storeWritesUserOne();
    void storeOnBooksWithoutUserOne();
};

void TestPassword::hashIsSaltedAndVerifies() {
    const QString first = password::hash(QStringLiteral("Geheim 7"));
    const QString second = password::hash(QStringLiteral("Geheim 7"));
    QVERIFY(first.startsWith(QLatin1String("$argon2id$")));
    QVERIFY(password::isHash(first));
    // A fresh salt each time: equal passwords do not give equal stored values.
    QVERIFY(first != second);
    QVERIFY(password::matches(first, QStringLiteral("Geheim 7")));
    QVERIFY(password::matches(second, QStringLiteral("Geheim 7")));
    QVERIFY(!password::matches(first, QStringLiteral("geheim 7")));
    QVERIFY(!password::matches(first, QString()));
    // The hash itself, typed as the password, is no way in.
    QVERIFY(!password::matches(first, first));
}

void TestPassword::storedAndAccepted_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("refused");
    QTest::newRow("quotes") << QStringLiteral("it's \"mine\"")
                            << QStringList{"it''s \"mine\"", "it's"};
    QTest::newRow("backslash") << QStringLiteral("C:\\pass\\") << QStringList{"C:\\pass"};
    QTest::newRow("chinese") << QStringLiteral("我的密码") << QStringList{"我的", "我的密码 "};
    QTest::newRow("statement text") << QStringLiteral("x' where id=2; --") << QStringList{"x"};
    QTest::newRow("blanks around") << QStringLiteral(" a b ") << QStringList{"a b", " a b"};
    QTest::newRow("letter case") << QStringLiteral("PassWord") << QStringList{"password"};
    QTest::newRow("255 characters") << QString(254, u'密') + u'z'
                                    << QStringList{QString(254, u'密'), QString(254, u'密') + u'Z'};
}

void TestPassword::storedAndAccepted() {
    QFETCH(QString, typed);
    QFETCH(QStringList, refused);
    TestProgram tp;
    password::store(tp.books(), typed);
    const QString stored =
        tp.scalar(QStringLiteral("select password from user where id=1")).toString();
    QVERIFY(stored != typed);
    QVERIFY(!stored.contains(typed));
    QVERIFY(password::isHash(stored));
    QCOMPARE(tp.scalar(QStringLiteral("select count(*) from user")).toInt(), 1);

    // The next start reads it, and only the exact text passes.
    const std::optional<QString> read = runStartup(tp.context());
    QCOMPARE(read, std::optional<QString>(stored));
    QVERIFY(passwordPasses(read, typed));
    for (const QString& other : refused)
        QVERIFY2(!passwordPasses(read, other), qPrintable(other));
    QVERIFY(!passwordPasses(read, QString()));
}

void TestPassword::clearTextStoredValues_data() {
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("entered");
    QTest::addColumn<bool>("passes");
    QTest::newRow("clear text") << "Geheim 7"
                                << "Geheim 7" << true;
    QTest::newRow("clear text, letter case") << "Geheim 7"
                                             << "geheim 7" << false;
    QTest::newRow("empty: no entry needed") << ""
                                            << "" << true;
    QTest::newRow("empty, an entry made") << ""
                                          << "x" << false;
    // Looks like a hash but is none: compared as the text it is.
    QTest::newRow("not really a hash") << "$argon2id$v=19$abc"
                                       << "$argon2id$v=19$abc" << true;
    QTest::newRow("not really a hash, other entry") << "$argon2id$v=19$abc"
                                                    << "abc" << false;
}

void TestPassword::clearTextStoredValues() {
    QFETCH(QString, stored);
    QFETCH(QString, entered);
    QFETCH(bool, passes);
    QVERIFY(!password::isHash(stored));
    QCOMPARE(password::matches(stored, entered), passes);
    // Books written by hand or before hashing open with it.
    TestProgram tp;
    tp.exec(QStringLiteral("update user set password='%1' where id=1").arg(stored));
    QCOMPARE(passwordPasses(runStartup(tp.context()), entered), passes);
}

void TestPassword::storeWritesUserOne() {
    TestProgram tp;
    tp.exec(QStringLiteral("insert into user (id, password) values (2, 'other')"));
    password::store(tp.books(), QStringLiteral("neu"));
    QCOMPARE(tp.scalar(QStringLiteral("select password from user where id=2")).toString(),
             QStringLiteral("other"));
    QVERIFY(password::matches(
        tp.scalar(QStringLiteral("select password from user where id=1")).toString(),
        QStringLiteral("neu")));
}

void TestPassword::storeOnBooksWithoutUserOne() {
    // An update alone would change nothing here and still report success.
    TestProgram tp;
    tp.exec(QStringLiteral("delete from user"));
    password::store(tp.books(), QStringLiteral("neu"));
    QCOMPARE(tp.scalar(QStringLiteral("select count(*) from user")).toInt(), 1);
    QVERIFY(passwordPasses(runStartup(tp.context()), QStringLiteral("neu")));
}

QTEST_GUILESS_MAIN(TestPassword)
#include "tst_password.moc"
