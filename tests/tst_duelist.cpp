// What falls due on a day: deposits before and after their maturity, loans repaid and not.
#include "registers/logic/duelist.h"

#include <QTest>

using duelist::Deposit;
using duelist::Loan;

namespace {
const QDate kToday(2026, 12, 9);
QDate d(const char* text) {
    return QDate::fromString(QString::fromLatin1(text), QStringLiteral("yyyy-MM-dd"));
}
} // namespace

class TestDueList : public QObject {
    Q_OBJECT
private slots:
    void deposits_data();
    void deposits();
    void loans_data();
    void loans();
    void linesAndOrder();
    void nothingDueIsEmpty();
};

void TestDueList::deposits_data() {
    QTest::addColumn<QDate>("maturity");
    QTest::addColumn<int>("daysAhead");
    QTest::addColumn<bool>("told");
    QTest::newRow("matures in 11 days") << d("2026-12-20") << 30 << true;
    QTest::newRow("matures on the last day ahead") << d("2027-01-08") << 30 << true;
    QTest::newRow("matures the day after") << d("2027-01-09") << 30 << false;
    QTest::newRow("fewer days ahead set") << d("2026-12-20") << 10 << false;
    QTest::newRow("no days ahead: today") << d("2026-12-09") << 0 << true;
    QTest::newRow("matured 30 days ago") << d("2026-11-09") << 30 << true;
    QTest::newRow("matured 31 days ago") << d("2026-11-08") << 30 << false;
    QTest::newRow("no maturity date") << QDate() << 30 << false;
}

void TestDueList::deposits() {
    QFETCH(QDate, maturity);
    QFETCH(int, daysAhead);
    QFETCH(bool, told);
    const auto due =
        duelist::dueOn(kToday, daysAhead, {Deposit{"张伟", "中国银行", 10150, maturity}}, {}, 0);
    QCOMPARE(due.deposits.size(), told ? 1 : 0);
    QCOMPARE(due.isEmpty(), !told);
}

void TestDueList::loans_data() {
    QTest::addColumn<QString>("action");
    QTest::addColumn<QDate>("hopedate");
    QTest::addColumn<bool>("repaid");
    QTest::addColumn<bool>("told");
    QTest::newRow("lent, promised yesterday") << "借给别人" << d("2026-12-08") << false << true;
    QTest::newRow("borrowed, promised last year") << "问别人借" << d("2025-12-08") << false << true;
    QTest::newRow("lent, repaid") << "借给别人" << d("2026-12-08") << true << false;
    QTest::newRow("promised today") << "借给别人" << kToday << false << false;
    QTest::newRow("promised later") << "问别人借" << d("2027-01-01") << false << false;
    QTest::newRow("no promised date") << "借给别人" << QDate() << false << false;
    QTest::newRow("other direction text") << "借给" << d("2026-12-08") << false << false;
}

void TestDueList::loans() {
    QFETCH(QString, action);
    QFETCH(QDate, hopedate);
    QFETCH(bool, repaid);
    QFETCH(bool, told);
    const auto due =
        duelist::dueOn(kToday, 30, {}, {Loan{action, "李娜", 1500, hopedate, repaid}}, 0);
    QCOMPARE(due.loans.size(), told ? 1 : 0);
}

void TestDueList::linesAndOrder() {
    const auto due = duelist::dueOn(kToday, 30,
                                    {Deposit{"王芳", "工商银行", 5000.5, d("2026-12-31")},
                                     Deposit{"张伟", "中国银行", 10150, d("2026-12-01")}},
                                    {Loan{"问别人借", "赵强", 2000, d("2026-12-01"), false},
                                     Loan{"借给别人", "李娜", 1500, d("2026-11-01"), false}},
                                    3);
    QCOMPARE(due.deposits, (QStringList{"张伟 中国银行 10150.00元 已于 2026-12-01 到期",
                                        "王芳 工商银行 5000.50元 2026-12-31 到期"}));
    QCOMPARE(due.loans, (QStringList{"借给 李娜 1500.00元，预还款日期 2026-11-01",
                                     "欠 赵强 2000.00元，预还款日期 2026-12-01"}));
    QCOMPARE(due.schedules, 3);
}

void TestDueList::nothingDueIsEmpty() {
    QVERIFY(duelist::dueOn(kToday, 30, {}, {}, 0).isEmpty());
    QVERIFY(!duelist::dueOn(kToday, 30, {}, {}, 1).isEmpty());
}

QTEST_APPLESS_MAIN(TestDueList)
#include "tst_duelist.moc"
