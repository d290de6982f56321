// Any other CSV through a column mapping: the guess, each amount style, the mapping kept under
// a name and found again by the next file's header.
#include "import/bankstatement.h"
#include "import/csvmapping.h"
#include "import/fingerprint.h"
#include "import/mappingstore.h"
#include "lists/gbk.h"
#include "platform/apperror.h"

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

using namespace bills;

namespace {

QByteArray sample(const QString& name) {
    QFile file(QStringLiteral(TELOQ_IMPORT_SAMPLES "/") + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A books file of its own per test, opened under a name of its own.
class Books {
public:
    Books() {
        m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("mappingbooks"));
        m_db.setDatabaseName(m_dir.filePath(QStringLiteral("books.db")));
        if (!m_db.open())
            qFatal("cannot open the test books");
    }
    ~Books() {
        m_db.close();
        m_db = QSqlDatabase();
        QSqlDatabase::removeDatabase(QStringLiteral("mappingbooks"));
    }
    QSqlDatabase& db() { return m_db; }

private:
    QTemporaryDir m_dir;
    QSqlDatabase m_db;
};

const QByteArray signedFile = "Date,Description,Amount,Balance\n"
                              "2024-03-01,Salary,\"8,530.00\",9000.00\n"
                              "2024-03-02,Coffee,-0.30,8999.70\n"
                              "\n"
                              "2024-03-03,Books,-1234.56,7765.14\n";

} // namespace

class TestCsvMapping : public QObject {
    Q_OBJECT
private slots:
    void guessTitles_data();
    void guessTitles();
    void guessGbkWithPreamble();
    void amountStyles_data();
    void amountStyles();
    void unreadableRows();
    void yearlessDates();
    void mergedSamples();
    void jsonRoundTrip();
    void damagedJson();
    void keptMappingReadsTheNextFile();
    void unknownCsvAsksForMapping();
    void incompleteMapping();
};

void TestCsvMapping::guessTitles_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("style");
    QTest::addColumn<int>("date");
    QTest::addColumn<int>("amount");
    QTest::addColumn<int>("income");
    QTest::addColumn<int>("expense");
    QTest::addColumn<int>("direction");
    QTest::addColumn<QList<int>>("remarks");
    QTest::addColumn<int>("counterparty");
    QTest::addColumn<int>("number");
    QTest::addColumn<int>("balance");
    QTest::newRow("English signed") << signedFile << int(AmountStyle::Signed) << 0 << 2 << -1 << -1
                                    << -1 << QList<int>{1} << -1 << -1 << 3;
    QTest::newRow("separate columns")
        << QByteArray("交易日期,摘要,收入金额,支出金额,账户余额,对方户名,交易流水号\n")
        << int(AmountStyle::IncomeExpense) << 0 << -1 << 2 << 3 << -1 << QList<int>{1} << 5 << 6
        << 4;
    QTest::newRow("amount and direction") << QByteArray("交易时间,金额(元),收/支,备注,交易对方\n")
                                          << int(AmountStyle::AmountAndDirection) << 0 << 1 << -1
                                          << -1 << 2 << QList<int>{3} << 4 << -1 << -1;
    QTest::newRow("titles with units and blanks")
        << QByteArray(" 日期 ,\t交易金额（元）,用途,附言\n") << int(AmountStyle::Signed) << 0 << 1
        << -1 << -1 << -1 << QList<int>{2, 3} << -1 << -1 << -1;
}

void TestCsvMapping::guessTitles() {
    QFETCH(QByteArray, bytes);
    const CsvMapping m = guessMapping(bytes);
    QCOMPARE(m.headerRow, 0);
    QTEST(int(m.amountStyle), "style");
    QTEST(m.dateColumn, "date");
    QTEST(m.amountColumn, "amount");
    QTEST(m.incomeColumn, "income");
    QTEST(m.expenseColumn, "expense");
    QTEST(m.directionColumn, "direction");
    QTEST(m.remarkColumns, "remarks");
    QTEST(m.counterpartyColumn, "counterparty");
    QTEST(m.transactionNoColumn, "number");
    QTEST(m.balanceColumn, "balance");
}

// A GBK file with a preamble: the encoding and the header row are found, and the guess reads.
void TestCsvMapping::guessGbkWithPreamble() {
    const QByteArray bytes = lists::encode(QStringLiteral(
        "某银行账户明细\n账号：6225 **** 1234\n起止日期：2024-01-01,2024-01-31\n"
        "记账日期,交易金额,余额,摘要\n20240105,-12.50,100.00,超市\n20240106,20.00,120.00,退款\n"));
    const CsvMapping m = guessMapping(bytes);
    QCOMPARE(m.encoding, QStringLiteral("GBK"));
    QCOMPARE(m.headerRow, 3);
    QCOMPARE(m.header, QStringLiteral("记账日期,交易金额,余额,摘要"));
    QCOMPARE(columnTitles(bytes, m), (QStringList{"记账日期", "交易金额", "余额", "摘要"}));
    const BillFile f = readMappedCsv(bytes, m);
    QCOMPARE(f.rows.size(), 2);
    QCOMPARE(f.rows.at(0).date, QDate(2024, 1, 5));
    QCOMPARE(f.rows.at(0).direction, QStringLiteral("支出"));
    QCOMPARE(f.rows.at(0).cents, qint64(1250));
    QCOMPARE(f.rows.at(0).goods, QStringLiteral("超市"));
    QCOMPARE(f.rows.at(0).line, 5);
    QCOMPARE(f.rows.at(1).direction, QStringLiteral("收入"));
}

void TestCsvMapping::amountStyles_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("json");
    QTest::addColumn<QStringList>("directions");
    QTest::addColumn<QList<qint64>>("cents");
    QTest::newRow("signed") << signedFile
                            << R"({"amountStyle":"signed","date":0,"amount":2,"remarks":[1]})"
                            << QStringList{"收入", "支出", "支出"}
                            << QList<qint64>{853000, 30, 123456};
    QTest::newRow("signed, card statement")
        << signedFile << R"({"amountStyle":"signed","date":0,"amount":2,"positiveIsIncome":false})"
        << QStringList{"支出", "收入", "收入"} << QList<qint64>{853000, 30, 123456};
    QTest::newRow("separate columns")
        << QByteArray(
               "日期,收入,支出,摘要\n2024/3/1,\"1,000.00\",-,工资\n2024/3/2,-,\t12.34 ,午饭\n"
               "2024/3/3,,0.01,\n")
        << R"({"amountStyle":"income-expense","date":0,"income":1,"expense":2,"remarks":[3]})"
        << QStringList{"收入", "支出", "支出"} << QList<qint64>{100000, 1234, 1};
    QTest::newRow("amount and direction")
        << QByteArray("日期,金额,借贷,摘要\n2024-03-01,100.00,贷,工资\n2024-03-02,-5.00,借,咖啡\n")
        << R"({"amountStyle":"amount-direction","date":0,"amount":1,"direction":2,"incomeTexts":["贷"],"expenseTexts":["借"]})"
        << QStringList{"收入", "支出"} << QList<qint64>{10000, 500};
    QTest::newRow("amount and direction, income texts only")
        << QByteArray("日期,金额,方向\n2024-03-01,100.00,IN\n2024-03-02,5.00,anything\n")
        << R"({"amountStyle":"amount-direction","date":0,"amount":1,"direction":2,"incomeTexts":["in"]})"
        << QStringList{"收入", "支出"} << QList<qint64>{10000, 500};
}

void TestCsvMapping::amountStyles() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, json);
    QFETCH(QStringList, directions);
    QFETCH(QList<qint64>, cents);
    const BillFile f = readMappedCsv(bytes, mappingFromJson(json));
    QCOMPARE(f.source, Source::MappedCsv);
    QVERIFY2(f.unreadable.isEmpty(), qPrintable(f.unreadable.value(0).why));
    QCOMPARE(f.rows.size(), directions.size());
    for (int i = 0; i < f.rows.size(); ++i) {
        QCOMPARE(f.rows.at(i).direction, directions.at(i));
        QCOMPARE(f.rows.at(i).cents, cents.at(i));
    }
}

// Every non-blank line under the header is a row or a listed entry with its line.
void TestCsvMapping::unreadableRows() {
    const QByteArray bytes = "日期,金额,借贷\n2024-03-01,1.00,贷\n合计,1.00,\n2024-03-02,abc,借\n"
                             "2024-03-03,2.00,转\n2024-03-04,,借\n";
    CsvMapping m = mappingFromJson(
        R"({"amountStyle":"amount-direction","date":0,"amount":1,"direction":2,"incomeTexts":["贷"],"expenseTexts":["借"]})");
    const BillFile f = readMappedCsv(bytes, m);
    QCOMPARE(f.rows.size(), 1);
    QCOMPARE(f.unreadable.size(), 4);
    QList<int> lines;
    for (const UnreadableRow& u : f.unreadable)
        lines << u.line;
    QCOMPARE(lines, (QList<int>{3, 4, 5, 6}));
    QVERIFY(f.unreadable.at(2).why.contains(QStringLiteral("转")));
}

// A format without a year takes the latest such day up to the reference day.
void TestCsvMapping::yearlessDates() {
    const QByteArray bytes = "记账日,金额\n12/29,1.00\n01/07,2.00\n02/29,3.00\n";
    CsvMapping m =
        mappingFromJson(R"({"amountStyle":"signed","date":0,"amount":1,"dateFormat":"MM/dd"})");
    const BillFile f = readMappedCsv(bytes, m, QDate(2024, 3, 5));
    QCOMPARE(f.rows.size(), 3);
    QCOMPARE(f.rows.at(0).date, QDate(2023, 12, 29));
    QCOMPARE(f.rows.at(1).date, QDate(2024, 1, 7));
    QCOMPARE(f.rows.at(2).date, QDate(2024, 2, 29));
}

// Statements converted from PDF (not bank exports) read through a guessed, adjusted mapping.
void TestCsvMapping::mergedSamples() {
    if (!QDir(QStringLiteral(TELOQ_IMPORT_SAMPLES)).exists())
        QSKIP("the sample folder " TELOQ_IMPORT_SAMPLES " is absent");
    const QByteArray debit = sample(QStringLiteral("cmb-debit-from-pdf.csv"));
    const CsvMapping d = guessMapping(debit);
    QCOMPARE(d.amountStyle, AmountStyle::Signed);
    const BillFile df = readMappedCsv(debit, d);
    QCOMPARE(df.rows.size(), 5);
    QVERIFY(df.unreadable.isEmpty());
    QCOMPARE(df.rows.at(0).date, QDate(2024, 1, 1));
    QCOMPARE(df.rows.at(0).direction, QStringLiteral("收入"));
    QCOMPARE(df.rows.at(0).cents, qint64(123400));
    QCOMPARE(df.rows.at(0).balance, QStringLiteral("1,271.66"));
    QCOMPARE(df.rows.at(1).direction, QStringLiteral("支出"));
    QCOMPARE(df.rows.at(1).cents, qint64(100000));
    QCOMPARE(df.rows.at(2).goods, QStringLiteral("一网通支付 供电"));

    const QByteArray credit = sample(QStringLiteral("cmb-credit-from-pdf.csv"));
    CsvMapping c = guessMapping(credit);
    QCOMPARE(c.headerRow, 1);
    QCOMPARE(c.dateColumn, 1);   // 记账日: every row has it
    QCOMPARE(c.amountColumn, 3); // 人民币金额
    c.dateFormat = QStringLiteral("MM/dd");
    c.positiveIsIncome = false; // a card statement: spending is positive
    const BillFile cf = readMappedCsv(credit, c, QDate(2024, 1, 31));
    QCOMPARE(cf.rows.size(), 6);
    QCOMPARE(cf.rows.at(0).date, QDate(2023, 12, 29));
    QCOMPARE(cf.rows.at(0).direction, QStringLiteral("收入"));
    QCOMPARE(cf.rows.at(5).date, QDate(2024, 1, 7));
    QCOMPARE(cf.rows.at(5).direction, QStringLiteral("支出"));
    QCOMPARE(cf.rows.at(5).cents, qint64(800000));
}

void TestCsvMapping::jsonRoundTrip() {
    CsvMapping m = guessMapping(signedFile);
    m.name = QStringLiteral("我的银行");
    m.encoding = QStringLiteral("GBK");
    m.headerRow = 2;
    m.dateFormat = QStringLiteral("dd.MM.yyyy");
    m.amountStyle = AmountStyle::AmountAndDirection;
    m.directionColumn = 5;
    m.incomeTexts = QStringList{QStringLiteral("收"), QStringLiteral("贷")};
    m.expenseTexts = QStringList{QStringLiteral("支")};
    m.positiveIsIncome = false;
    m.transactionNoColumn = 7;
    m.counterpartyColumn = 6;
    m.remarkColumns = {1, 4};
    const CsvMapping back = mappingFromJson(mappingToJson(m));
    QCOMPARE(mappingToJson(back), mappingToJson(m));
    QCOMPARE(back.name, m.name);
    QCOMPARE(back.header, m.header);
    QCOMPARE(back.incomeTexts, m.incomeTexts);
    QCOMPARE(back.remarkColumns, m.remarkColumns);
    QCOMPARE(back.positiveIsIncome, false);
    QCOMPARE(back.amountStyle, AmountStyle::AmountAndDirection);
}

void TestCsvMapping::damagedJson() {
    QVERIFY_THROWS_EXCEPTION(AppError, mappingFromJson(QStringLiteral("{not json")));
    QVERIFY_THROWS_EXCEPTION(AppError, mappingFromJson(QStringLiteral("[1,2]")));
    QVERIFY_THROWS_EXCEPTION(AppError,
                             mappingFromJson(QStringLiteral(R"({"amountStyle":"sideways"})")));
    // Negative or missing columns are no column.
    const CsvMapping m = mappingFromJson(QStringLiteral(R"({"amountStyle":"signed","date":-4})"));
    QCOMPARE(m.dateColumn, -1);
    QCOMPARE(m.amountColumn, -1);
}

// A mapping kept under a name is found by the next file's header and reads it at once.
void TestCsvMapping::keptMappingReadsTheNextFile() {
    Books books;
    CsvMapping m = guessMapping(signedFile);
    m.name = QStringLiteral("网银导出");
    saveMapping(books.db(), m);
    QCOMPARE(loadMappings(books.db()).size(), 1);

    const QByteArray march = "Date,Description,Amount,Balance\n2024-04-01,Rent,-3000.00,4765.14\n";
    const auto found = findMappingByHeader(books.db(), headerOf(march, m));
    QVERIFY(found);
    QCOMPARE(found->name, QStringLiteral("网银导出"));
    StatementOptions options;
    options.savedMappings = loadMappings(books.db());
    const auto f = readBankStatement(QStringLiteral("april.csv"), march, options);
    QVERIFY(f);
    QCOMPARE(f->layout, QStringLiteral("网银导出"));
    QCOMPARE(f->rows.size(), 1);
    QCOMPARE(f->rows.first().cents, qint64(300000));
    QVERIFY(isFingerprint(f->rows.first().transactionNo));

    // Saving under the same name replaces it; by name it is found for --mapping NAME.
    m.positiveIsIncome = false;
    saveMapping(books.db(), m);
    QCOMPARE(loadMappings(books.db()).size(), 1);
    QCOMPARE(findMappingByName(books.db(), QStringLiteral("网银导出"))->positiveIsIncome, false);
    QVERIFY(!findMappingByName(books.db(), QStringLiteral("别的")));
    QVERIFY(!findMappingByHeader(books.db(), QStringLiteral("a,b")));
    QVERIFY(removeMapping(books.db(), QStringLiteral("网银导出")));
    QVERIFY(loadMappings(books.db()).isEmpty());
    QVERIFY_THROWS_EXCEPTION(AppError, saveMapping(books.db(), CsvMapping()));
}

// A CSV no reader knows and no mapping fits asks for the mapping step, with the guess.
void TestCsvMapping::unknownCsvAsksForMapping() {
    try {
        readBankStatement(QStringLiteral("a.csv"), signedFile, {});
        QFAIL("an unknown CSV was read without a mapping");
    } catch (const CsvMappingNeeded& needed) {
        QCOMPARE(needed.guess.dateColumn, 0);
        QCOMPARE(needed.guess.amountColumn, 2);
        QCOMPARE(needed.guess.header, QStringLiteral("Date,Description,Amount,Balance"));
    }
    StatementOptions chosen;
    chosen.mapping = guessMapping(signedFile);
    QCOMPARE(readBankStatement(QStringLiteral("a.csv"), signedFile, chosen)->rows.size(), 3);
}

void TestCsvMapping::incompleteMapping() {
    CsvMapping m;
    m.name = QStringLiteral("x");
    QVERIFY(!mappingProblem(m).isEmpty());
    QVERIFY_THROWS_EXCEPTION(AppError, readMappedCsv(signedFile, m));
    m.dateColumn = 0;
    m.amountStyle = AmountStyle::IncomeExpense;
    m.incomeColumn = 1;
    QVERIFY(!mappingProblem(m).isEmpty());
    m.expenseColumn = 2;
    QVERIFY(mappingProblem(m).isEmpty());
}

QTEST_GUILESS_MAIN(TestCsvMapping)
#include "tst_csvmapping.moc"
