// The deposit rules of the savings register: the twelve kinds, the interest rule with its
// rounding, the maturity date, the lookup in bankinterest, the derivation of a row's figures
// and the totals of the stored deposits.
#include "data/formats.h"
#include "data/querydataset.h"
#include "data/schema.h"
#include "data/tabledataset.h"
#include "platform/apperror.h"
#include "registers/logic/deposits.h"
#include "registers/logic/savingsbook.h"
#include "support/testprogram.h"

#include <QTest>

using deposits::Figures;
using deposits::Scheme;
using deposits::Terms;

namespace {

// The seeded term and rate of a kind.
schema::DepositKind seeded(const QString& name) {
    for (const schema::DepositKind& k : schema::depositKinds())
        if (name == QString::fromUtf8(k.name))
            return k;
    return {"", -1, -1};
}

QString text(double v) {
    return formats::general(v);
}

} // namespace

class TestDeposits : public QObject {
    Q_OBJECT
private slots:
    void kindsAreTheSeededOnes();
    void kindNamesCompareExactly_data();
    void kindNamesCompareExactly();
    void interestRule_data();
    void interestRule();
    void termOfZeroEarnsNothing();
    void roundCents_data();
    void roundCents();
    void maturityDate_data();
    void maturityDate();
    void deriveNeedsDateAndAmount_data();
    void deriveNeedsDateAndAmount();
    void unknownKindRefused_data();
    void unknownKindRefused();
    void deriveOverTheBooks();
    void missingKindRow();
    void deriveInTheRegister();
    void changedRateUsedByTheNextDerivation();
    void lookupTakesTheNameAsAValue();
    void taxRate_data();
    void taxRate();
    void totals_data();
    void totals();
};

void TestDeposits::kindsAreTheSeededOnes() {
    const QList<schema::DepositKind> seed = schema::depositKinds();
    QCOMPARE(deposits::kinds().size(), 12);
    QCOMPARE(seed.size(), 12);
    for (int i = 0; i < 12; ++i) {
        const deposits::Kind& k = deposits::kinds().at(i);
        QCOMPARE(k.name, QString::fromUtf8(seed.at(i).name));
        QCOMPARE(k.months, seed.at(i).months);
        // The scheme is the one the name states.
        const QString prefix = k.name.left(4);
        QVERIFY(QStringList({"整存整取", "零存整取", "整存零取"}).contains(prefix));
        const Scheme expected = prefix == QStringLiteral("整存整取")   ? Scheme::LumpSum
                                : prefix == QStringLiteral("零存整取") ? Scheme::Instalments
                                                                       : Scheme::Withdrawals;
        QCOMPARE(int(k.scheme), int(expected));
    }
}

void TestDeposits::kindNamesCompareExactly_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("known");
    QTest::newRow("exact") << "整存整取一年" << true;
    QTest::newRow("instalments") << "零存整取五年" << true;
    QTest::newRow("trailing blank") << "整存整取一年 " << false;
    QTest::newRow("leading blank") << " 整存整取一年" << false;
    QTest::newRow("part of a name") << "整存整取" << false;
    QTest::newRow("other kind") << "活期" << false;
    QTest::newRow("empty") << "" << false;
}

void TestDeposits::kindNamesCompareExactly() {
    QFETCH(QString, name);
    QFETCH(bool, known);
    QCOMPARE(deposits::kindNamed(name).has_value(), known);
}

void TestDeposits::interestRule_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<double>("amount");
    QTest::addColumn<double>("taxPercent");
    QTest::addColumn<QString>("interest");
    QTest::addColumn<QString>("tax");
    QTest::addColumn<QString>("total");
    const auto row = [](const char* kind, double amount, double tax, const char* interest,
                        const char* taxMoney, const char* total) {
        QTest::addRow("%s %s tax %s", kind, qPrintable(text(amount)), qPrintable(text(tax)))
            << QString::fromUtf8(kind) << amount << tax << QString::fromUtf8(interest)
            << QString::fromUtf8(taxMoney) << QString::fromUtf8(total);
    };
    // Every kind over 10 000 yuan at the seeded rates, 20 % tax.
    row("整存整取三个月", 10000, 20, "27.5", "5.5", "10022");
    row("整存整取半年", 10000, 20, "65", "13", "10052");
    row("整存整取一年", 10000, 20, "150", "30", "10120");
    row("整存整取二年", 10000, 20, "420", "84", "10336");
    row("整存整取三年", 10000, 20, "825", "165", "10660");
    row("整存整取五年", 10000, 20, "1375", "275", "11100");
    row("整存零取一年", 10000, 20, "59.58", "11.92", "10047.66");
    row("整存零取三年", 10000, 20, "200.42", "40.08", "10160.34");
    row("整存零取五年", 10000, 20, "330.42", "66.08", "10264.34");
    row("零存整取一年", 10000, 20, "59.58", "11.92", "10047.66");
    row("零存整取三年", 10000, 20, "200.42", "40.08", "10160.34");
    row("零存整取五年", 10000, 20, "330.42", "66.08", "10264.34");
    // Interest with a half at the third decimal rounds up, also where the binary value lies
    // below the half (1.005, 4.725, 152.295, 2479.555).
    row("整存整取三个月", 20, 0, "0.06", "0", "20.06");
    row("整存整取半年", 370, 0, "2.41", "0", "372.41");
    row("整存整取一年", 67, 0, "1.01", "0", "68.01");
    row("整存整取二年", 112.5, 0, "4.73", "0", "117.23");
    row("整存整取三年", 106, 0, "8.75", "0", "114.75");
    row("整存整取五年", 66, 0, "9.08", "0", "75.08");
    row("零存整取一年", 25560, 0, "152.3", "0", "25712.3");
    // Interest of 1 000 yuan and more, halves included.
    row("零存整取三年", 123720, 20, "2479.56", "495.91", "125703.65");
    row("零存整取五年", 31080, 0, "1026.94", "0", "32106.94");
    row("整存零取一年", 168600, 20, "1004.58", "200.92", "169403.66");
    row("整存零取三年", 51720, 0, "1036.56", "0", "52756.56");
    row("整存零取五年", 31560, 0, "1042.8", "0", "32602.8");
    // Tax with a half at the third decimal, and a tax of 1 000 yuan and more.
    row("整存整取三个月", 10000, 5, "27.5", "1.38", "10026.12");
    row("整存整取五年", 145455.24, 5, "20000.1", "1000.01", "164455.33");
}

void TestDeposits::interestRule() {
    QFETCH(QString, kind);
    QFETCH(double, amount);
    QFETCH(double, taxPercent);
    QFETCH(QString, interest);
    QFETCH(QString, tax);
    QFETCH(QString, total);
    const schema::DepositKind seed = seeded(kind);
    const std::optional<deposits::Kind> k = deposits::kindNamed(kind);
    QVERIFY(k);
    const Figures f = deposits::figures(k->scheme, seed.months, seed.rate, amount,
                                        QDate(2004, 1, 31), taxPercent);
    QCOMPARE(text(f.interest), interest);
    QCOMPARE(text(f.tax), tax);
    QCOMPARE(text(f.total), total);
    QCOMPARE(f.rate, seed.rate);
    QCOMPARE(f.maturity, QDate(2004, 1, 31).addDays(30 * seed.months));
}

void TestDeposits::termOfZeroEarnsNothing() {
    for (const Scheme s : {Scheme::LumpSum, Scheme::Instalments, Scheme::Withdrawals}) {
        QCOMPARE(deposits::interest(s, 10000, 2.75, 0), 0.0);
        const Figures f = deposits::figures(s, 0, 2.75, 10000, QDate(2004, 3, 1), 20);
        QCOMPARE(f.interest, 0.0);
        QCOMPARE(f.tax, 0.0);
        QCOMPARE(f.total, 10000.0);
        QCOMPARE(f.maturity, QDate(2004, 3, 1));
    }
}

void TestDeposits::roundCents_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("rounded");
    QTest::newRow("half below its binary value") << 1.005 << "1.01";
    QTest::newRow("half, negative") << -1.005 << "-1.01";
    QTest::newRow("below half") << 2.6749 << "2.67";
    QTest::newRow("half of a cent") << 0.005 << "0.01";
    QTest::newRow("less than half a cent") << 0.004 << "0";
    QTest::newRow("carry into the units") << 999.995 << "1000";
    QTest::newRow("large") << 123456789.125 << "123456789.13";
    QTest::newRow("whole") << 1375.0 << "1375";
}

void TestDeposits::roundCents() {
    QFETCH(double, value);
    QFETCH(QString, rounded);
    QCOMPARE(text(deposits::roundCents(value)), rounded);
}

void TestDeposits::maturityDate_data() {
    QTest::addColumn<QDate>("deposit");
    QTest::addColumn<int>("months");
    QTest::addColumn<QDate>("maturity");
    // Months of 30 days, not calendar months.
    QTest::newRow("a year from the end of January")
        << QDate(2004, 1, 31) << 12 << QDate(2005, 1, 25);
    QTest::newRow("three months over February") << QDate(2004, 3, 1) << 3 << QDate(2004, 5, 30);
    QTest::newRow("five years") << QDate(2004, 1, 1) << 60 << QDate(2004, 1, 1).addDays(1800);
    QTest::newRow("term 0") << QDate(2004, 2, 29) << 0 << QDate(2004, 2, 29);
}

void TestDeposits::maturityDate() {
    QFETCH(QDate, deposit);
    QFETCH(int, months);
    QFETCH(QDate, maturity);
    QCOMPARE(deposits::maturityDate(deposit, months), maturity);
}

void TestDeposits::deriveNeedsDateAndAmount_data() {
    QTest::addColumn<QVariant>("date");
    QTest::addColumn<QVariant>("amount");
    QTest::addColumn<bool>("derived");
    const QVariant date(QStringLiteral("2004-01-31"));
    const QVariant amount(10000.0);
    QTest::newRow("both") << date << amount << true;
    QTest::newRow("no amount yet") << date << QVariant() << false;
    QTest::newRow("no date") << QVariant() << amount << false;
    QTest::newRow("empty date text") << QVariant(QString()) << amount << false;
    QTest::newRow("date that is no date")
        << QVariant(QStringLiteral("2004-02-30")) << amount << false;
    QTest::newRow("date text that is no date")
        << QVariant(QStringLiteral("abc")) << amount << false;
    QTest::newRow("amount text that is no number")
        << date << QVariant(QStringLiteral("12x")) << false;
    QTest::newRow("empty amount text") << date << QVariant(QString()) << false;
    QTest::newRow("amount as text") << date << QVariant(QStringLiteral("10000")) << true;
    QTest::newRow("date as a date") << QVariant(QDate(2004, 1, 31)) << amount << true;
    QTest::newRow("amount 0") << date << QVariant(0.0) << true;
}

void TestDeposits::deriveNeedsDateAndAmount() {
    QFETCH(QVariant, date);
    QFETCH(QVariant, amount);
    QFETCH(bool, derived);
    int lookups = 0;
    const deposits::TermsLookup lookup = [&](const QString&) {
        ++lookups;
        return std::optional<Terms>(Terms{12, 1.5});
    };
    const std::optional<Figures> f =
        deposits::derive(date, amount, QStringLiteral("整存整取一年"), lookup, 20);
    QCOMPARE(f.has_value(), derived);
    QCOMPARE(lookups, derived ? 1 : 0);
    // Without a date and an amount any text is taken unchecked.
    if (!derived)
        QVERIFY(!deposits::derive(date, amount, QStringLiteral("活期"), lookup, 20));
}

void TestDeposits::unknownKindRefused_data() {
    QTest::addColumn<QString>("kind");
    QTest::newRow("another kind") << "活期";
    QTest::newRow("trailing blank") << "整存整取一年 ";
    QTest::newRow("empty") << "";
    QTest::newRow("quote") << "整存整取一年' or '1'='1";
}

void TestDeposits::unknownKindRefused() {
    QFETCH(QString, kind);
    int lookups = 0;
    const deposits::TermsLookup lookup = [&](const QString&) {
        ++lookups;
        return std::optional<Terms>(Terms{12, 1.5});
    };
    try {
        deposits::derive(QStringLiteral("2004-01-31"), 1000.0, kind, lookup, 0);
        QFAIL("an unknown kind was taken");
    } catch (const AppError& e) {
        QCOMPARE(e.text(), QStringLiteral("'%1' 不是已知的储蓄类型").arg(kind));
    }
    QCOMPARE(lookups, 0);
}

void TestDeposits::deriveOverTheBooks() {
    TestProgram tp;
    QueryDataset cxQuery(tp.books());
    const deposits::TermsLookup lookup = [&](const QString& name) {
        return deposits::lookupTerms(cxQuery, name);
    };
    const double tax = 20;
    const std::optional<Figures> f = deposits::derive(QStringLiteral("2004-01-31"), 10000.0,
                                                      QStringLiteral("整存整取一年"), lookup, tax);
    QVERIFY(f);
    QCOMPARE(f->rate, 1.5);
    QCOMPARE(f->maturity, QDate(2005, 1, 25));
    QCOMPARE(text(f->interest), QStringLiteral("150"));
    QCOMPARE(text(f->tax), QStringLiteral("30"));
    QCOMPARE(text(f->total), QStringLiteral("10120"));
    // Every seeded kind is found with its term and rate.
    for (const schema::DepositKind& k : schema::depositKinds()) {
        const std::optional<Terms> t = deposits::lookupTerms(cxQuery, QString::fromUtf8(k.name));
        QVERIFY(t);
        QCOMPARE(t->months, k.months);
        QCOMPARE(t->rate, k.rate);
    }
}

void TestDeposits::missingKindRow() {
    TestProgram tp;
    tp.exec(QStringLiteral("delete from bankinterest where interestname='整存整取三年'"));
    QueryDataset cxQuery(tp.books());
    QVERIFY(!deposits::lookupTerms(cxQuery, QStringLiteral("整存整取三年")));
    const std::optional<Figures> f = deposits::derive(
        QStringLiteral("2004-03-01"), 5000.0, QStringLiteral("整存整取三年"),
        [&](const QString& name) { return deposits::lookupTerms(cxQuery, name); }, 20);
    QVERIFY(f);
    QCOMPARE(f->rate, 0.0);
    QCOMPARE(f->maturity, QDate(2004, 3, 1));
    QCOMPARE(f->interest, 0.0);
    QCOMPARE(f->tax, 0.0);
    QCOMPARE(f->total, 5000.0);
}

void TestDeposits::deriveInTheRegister() {
    TestProgram tp;
    TableDataset saving(tp.books(), QStringLiteral("saving"), TableDataset::Mode::Cached);
    saving.open();
    QueryDataset cxQuery(tp.books());
    QueryDataset statusbarQuery(tp.books());
    const deposits::TermsLookup lookup = [&](const QString& name) {
        return deposits::lookupTerms(cxQuery, name);
    };
    const auto cell = [&](const char* field) {
        return formats::toText(
            saving.value(saving.currentRow(), saving.fieldIndex(QString::fromLatin1(field))));
    };
    // What the register does when a kind is committed in the current row.
    const auto deriveIntoCurrentRow = [&](const QString& kindText) {
        const int row = saving.currentRow();
        const std::optional<deposits::Figures> f = deposits::derive(
            saving.value(row, saving.fieldIndex(QStringLiteral("begindate"))),
            saving.value(row, saving.fieldIndex(QStringLiteral("money"))), kindText, lookup, 20);
        if (!f)
            return false;
        for (const auto& [field, value] : deposits::derivedCells(*f))
            saving.setValue(saving.fieldIndex(field), value);
        return true;
    };
    const QString kind = QStringLiteral("整存整取一年");
    saving.append();
    saving.setValue(saving.fieldIndex(QStringLiteral("begindate")), QStringLiteral("2004-01-31"));
    // The kind committed before the amount: nothing derived.
    QVERIFY(!deriveIntoCurrentRow(kind));
    QCOMPARE(cell("interest"), QString());
    QCOMPARE(cell("enddate"), QString());
    // With the amount, an unknown kind changes no cell.
    saving.setValue(saving.fieldIndex(QStringLiteral("money")), 10000.0);
    QVERIFY_THROWS_EXCEPTION(AppError, deriveIntoCurrentRow(QStringLiteral("活期")));
    QCOMPARE(cell("totalmoney"), QString());
    // Committing the kind again fills every derived cell.
    QVERIFY(deriveIntoCurrentRow(kind));
    QCOMPARE(cell("interest"), QStringLiteral("1.5"));
    QCOMPARE(cell("enddate"), QStringLiteral("2005-01-25"));
    QCOMPARE(cell("interestmoney"), QStringLiteral("150"));
    QCOMPARE(cell("interesttax"), QStringLiteral("30"));
    QCOMPARE(cell("totalmoney"), QStringLiteral("10120"));

    // Counted in the totals only once saved.
    QCOMPARE(deposits::totalsTexts(statusbarQuery),
             (QStringList{"存入金额：0元", "利息：0元", "到期金额：0元"}));
    saving.saveAll();
    QCOMPARE(deposits::totalsTexts(statusbarQuery),
             (QStringList{"存入金额：10000元", "利息：150元", "到期金额：10120元"}));
    QCOMPARE(tp.rows(QStringLiteral("select interest, enddate, interestmoney, interesttax, "
                                    "totalmoney from saving")),
             (QList<QStringList>{{"1.5", "2005-01-25", "150", "30", "10120"}}));
}

void TestDeposits::changedRateUsedByTheNextDerivation() {
    TestProgram tp;
    QueryDataset cxQuery(tp.books());
    const deposits::TermsLookup lookup = [&](const QString& name) {
        return deposits::lookupTerms(cxQuery, name);
    };
    const QString kind = QStringLiteral("整存整取一年");
    const std::optional<Figures> before =
        deposits::derive(QStringLiteral("2004-01-31"), 10000.0, kind, lookup, 0);
    QVERIFY(before);
    tp.exec(
        QStringLiteral("insert into saving (begindate, money, savingtype, interest, enddate, "
                       "totalmoney, interestmoney, interesttax) values "
                       "('2004-01-31', 10000, '整存整取一年', 1.5, '2005-01-25', 10150, 150, 0)"));
    const QList<QStringList> stored = tp.rows(QStringLiteral("select * from saving"));

    // The settings page saves a new rate; the same query looks it up afresh.
    tp.exec(
        QStringLiteral("update bankinterest set interest=2.25 where interestname='整存整取一年'"));
    const std::optional<Figures> after =
        deposits::derive(QStringLiteral("2004-01-31"), 10000.0, kind, lookup, 0);
    QVERIFY(after);
    QCOMPARE(after->rate, 2.25);
    QCOMPARE(text(after->interest), QStringLiteral("225"));
    QCOMPARE(text(after->total), QStringLiteral("10225"));
    QCOMPARE(tp.rows(QStringLiteral("select * from saving")), stored);
}

void TestDeposits::lookupTakesTheNameAsAValue() {
    TestProgram tp;
    QueryDataset cxQuery(tp.books());
    // Written into the statement, this name would select every row.
    QVERIFY(!deposits::lookupTerms(cxQuery, QStringLiteral("x' or '1'='1")));
    // A name with quotes and a backslash is found as it is.
    tp.exec(QStringLiteral("insert into bankinterest (interestname, interestmonth, interest) "
                           "values ('定期''三\\年\"', 36, 3.5)"));
    const std::optional<Terms> t = deposits::lookupTerms(cxQuery, QStringLiteral("定期'三\\年\""));
    QVERIFY(t);
    QCOMPARE(t->months, 36);
    QCOMPARE(t->rate, 3.5);
    // NULL cells read as 0.
    tp.exec(QStringLiteral("update bankinterest set interestmonth=null, interest=null "
                           "where interestname='整存整取半年'"));
    const std::optional<Terms> empty =
        deposits::lookupTerms(cxQuery, QStringLiteral("整存整取半年"));
    QVERIFY(empty);
    QCOMPARE(empty->months, 0);
    QCOMPARE(empty->rate, 0.0);
}

void TestDeposits::taxRate_data() {
    QTest::addColumn<QString>("setup");
    QTest::addColumn<double>("rate");
    QTest::newRow("seeded") << "" << 0.0;
    QTest::newRow("twenty") << "update tax set interesttax=20" << 20.0;
    QTest::newRow("no row") << "delete from tax" << 0.0;
    QTest::newRow("empty value") << "update tax set interesttax=null" << 0.0;
}

void TestDeposits::taxRate() {
    QFETCH(QString, setup);
    QFETCH(double, rate);
    TestProgram tp;
    if (!setup.isEmpty())
        tp.exec(setup);
    QueryDataset cxQuery(tp.books());
    QCOMPARE(deposits::readTaxRate(cxQuery), rate);
}

void TestDeposits::totals_data() {
    QTest::addColumn<QString>("rows"); // (money, interestmoney, totalmoney) tuples
    QTest::addColumn<QStringList>("panels");
    QTest::newRow("empty table") << ""
                                 << QStringList{"存入金额：0元", "利息：0元", "到期金额：0元"};
    QTest::newRow("plain decimal text")
        << "(1234567.5, 0.1, 1234567.6), (10000, 0.2, 10000.2)"
        << QStringList{"存入金额：1244567.5元", "利息：0.3元", "到期金额：1244567.8元"};
    QTest::newRow("empty cells") << "(500, null, null)"
                                 << QStringList{"存入金额：500元", "利息：0元", "到期金额：0元"};
}

void TestDeposits::totals() {
    QFETCH(QString, rows);
    QFETCH(QStringList, panels);
    TestProgram tp;
    if (!rows.isEmpty())
        tp.exec(QStringLiteral("insert into saving (money, interestmoney, totalmoney) values ") +
                rows);
    QueryDataset statusbarQuery(tp.books());
    QCOMPARE(deposits::totalsTexts(statusbarQuery), panels);
}

QTEST_GUILESS_MAIN(TestDeposits)
#include "tst_deposits.moc"
