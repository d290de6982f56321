// The settings steps without their window: the password change and its three messages, and
// saving the deposit rates and the interest tax rate with their failure rules.
#include "data/password.h"
#include "data/querydataset.h"
#include "data/tabledataset.h"
#include "platform/apperror.h"
#include "registers/logic/savingsbook.h"
#include "settings/logic/passwordchange.h"
#include "settings/logic/ratesandtax.h"
#include "support/testprogram.h"

#include <QTest>

using settings::PasswordChange;
Q_DECLARE_METATYPE(settings::PasswordChange)

namespace {

// The two datasets of the savings page, opened as the window opens them.
struct SavingsPage {
    explicit SavingsPage(const TestProgram& tp)
        : lxtable(tp.books(), QStringLiteral("bankinterest"), TableDataset::Mode::Cached),
          taxtable(tp.books(), QStringLiteral("tax"), TableDataset::Mode::Immediate) {
        lxtable.open();
        taxtable.open();
    }
    // Types `rate` into the 利率 cell of row `row`, as the grid does.
    void setRate(int row, double rate) {
        lxtable.setCurrentRow(row);
        lxtable.setValue(lxtable.fieldIndex(QStringLiteral("interest")), rate);
    }
    TableDataset lxtable;
    TableDataset taxtable;
};

QString storedRate(TestProgram& tp, const QString& kind) {
    return tp
        .scalar(
            QStringLiteral("select interest from bankinterest where interestname='%1'").arg(kind))
        .toString();
}

} // namespace

class TestSettingsLogic : public QObject {
    Q_OBJECT
private slots:
    void passwordSteps_data();
    void passwordSteps();
    void passwordNotStoredOnError();
    void ratesAndTaxSaved();
    void emptyTaxTableGetsItsRow();
    void taxTextRefused_data();
    void taxTextRefused();
    void refusedRatesLeaveTheTax();
    void taxTextShown_data();
    void taxTextShown();
};

void TestSettingsLogic::passwordSteps_data() {
    QTest::addColumn<QString>("newPassword");
    QTest::addColumn<QString>("confirmation");
    QTest::addColumn<PasswordChange>("outcome");
    QTest::addColumn<QString>("message");
    const QString missing = QStringLiteral("对不起,请填写相关的密码！");
    const QString differ = QStringLiteral("对不起,密码不相符！");
    const QString done = QStringLiteral("密码设置完成！");
    QTest::newRow("both empty") << ""
                                << "" << PasswordChange::Missing << missing;
    QTest::newRow("confirmation empty") << "abc"
                                        << "" << PasswordChange::Missing << missing;
    QTest::newRow("new empty") << ""
                               << "abc" << PasswordChange::Missing << missing;
    QTest::newRow("letter case") << "Abc"
                                 << "abc" << PasswordChange::Mismatch << differ;
    QTest::newRow("trailing blank") << "abc"
                                    << "abc " << PasswordChange::Mismatch << differ;
    QTest::newRow("equal") << "abc"
                           << "abc" << PasswordChange::Stored << done;
    QTest::newRow("blank only") << " "
                                << " " << PasswordChange::Stored << done;
    QTest::newRow("quote, backslash, chinese") << "a'b\\c 密码"
                                               << "a'b\\c 密码" << PasswordChange::Stored << done;
}

void TestSettingsLogic::passwordSteps() {
    QFETCH(QString, newPassword);
    QFETCH(QString, confirmation);
    QFETCH(PasswordChange, outcome);
    QFETCH(QString, message);
    TestProgram tp;
    tp.exec(QStringLiteral("update user set password='old' where id=1"));
    QCOMPARE(settings::changePassword(tp.books(), newPassword, confirmation), outcome);
    QCOMPARE(settings::passwordMessage(outcome), message);
    const QString stored =
        tp.scalar(QStringLiteral("select password from user where id=1")).toString();
    if (outcome == PasswordChange::Stored) {
        QVERIFY(stored != newPassword);
        QVERIFY(password::matches(stored, newPassword));
    } else {
        QCOMPARE(stored, QStringLiteral("old"));
    }
}

void TestSettingsLogic::passwordNotStoredOnError() {
    TestProgram tp;
    tp.exec(QStringLiteral("create trigger refuse before update on user "
                           "begin select raise(abort, 'user is locked'); end"));
    try {
        settings::changePassword(tp.books(), QStringLiteral("neu"), QStringLiteral("neu"));
        QFAIL("a refused update was reported as done");
    } catch (const AppError& e) {
        QCOMPARE(e.text(), QStringLiteral("user is locked"));
    }
    QCOMPARE(tp.scalar(QStringLiteral("select password from user")).toString(), QString());
}

void TestSettingsLogic::ratesAndTaxSaved() {
    TestProgram tp;
    SavingsPage page(tp);
    page.setRate(2, 1.75);
    page.setRate(11, 1.6);
    settings::saveRatesAndTax(page.lxtable, page.taxtable, QStringLiteral("20"));
    QCOMPARE(storedRate(tp, QStringLiteral("整存整取一年")), QStringLiteral("1.75"));
    QCOMPARE(storedRate(tp, QStringLiteral("零存整取五年")), QStringLiteral("1.6"));
    QCOMPARE(storedRate(tp, QStringLiteral("整存整取半年")), QStringLiteral("1.3"));
    // Stored as the number 20, in the one row; the savings window reads 20.
    QCOMPARE(tp.rows(QStringLiteral("select typeof(interesttax), interesttax from tax")),
             (QList<QStringList>{{"real", "20"}}));
    QueryDataset cxQuery(tp.books());
    QCOMPARE(deposits::readTaxRate(cxQuery), 20.0);
    QVERIFY(!page.lxtable.hasPendingChanges());
    QVERIFY(!page.taxtable.hasPendingChanges());
}

void TestSettingsLogic::emptyTaxTableGetsItsRow() {
    TestProgram tp;
    tp.exec(QStringLiteral("delete from tax"));
    SavingsPage page(tp);
    settings::saveRatesAndTax(page.lxtable, page.taxtable, QStringLiteral("5.5"));
    QCOMPARE(tp.rows(QStringLiteral("select interesttax from tax")), (QList<QStringList>{{"5.5"}}));
    // Saving again changes that row, and adds none.
    settings::saveRatesAndTax(page.lxtable, page.taxtable, QStringLiteral("6"));
    QCOMPARE(tp.rows(QStringLiteral("select interesttax from tax")), (QList<QStringList>{{"6"}}));
}

void TestSettingsLogic::taxTextRefused_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("tableEmpty");
    QTest::newRow("not a number") << "2x" << false;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("grouped") << "1,5" << false;
    QTest::newRow("not a number, no row yet") << "abc" << true;
}

void TestSettingsLogic::taxTextRefused() {
    QFETCH(QString, text);
    QFETCH(bool, tableEmpty);
    TestProgram tp;
    if (tableEmpty)
        tp.exec(QStringLiteral("delete from tax"));
    const QList<QStringList> taxBefore = tp.rows(QStringLiteral("select interesttax from tax"));
    SavingsPage page(tp);
    page.setRate(0, 1.2);
    try {
        settings::saveRatesAndTax(page.lxtable, page.taxtable, text);
        QFAIL("the tax text was taken");
    } catch (const AppError& e) {
        QCOMPARE(e.text(), QStringLiteral("'%1' is not a valid floating point value").arg(text));
    }
    // The rates were saved before; nothing is stored for the tax, nothing waits to be.
    QCOMPARE(storedRate(tp, QStringLiteral("整存整取三个月")), QStringLiteral("1.2"));
    QCOMPARE(tp.rows(QStringLiteral("select interesttax from tax")), taxBefore);
    QVERIFY(!page.taxtable.hasPendingChanges());
    QVERIFY(!page.taxtable.isEditing());

    // Corrected, the next press saves it.
    settings::saveRatesAndTax(page.lxtable, page.taxtable, QStringLiteral("20"));
    QCOMPARE(tp.rows(QStringLiteral("select interesttax from tax")), (QList<QStringList>{{"20"}}));
}

void TestSettingsLogic::refusedRatesLeaveTheTax() {
    TestProgram tp;
    tp.exec(QStringLiteral("create trigger refuse before update on bankinterest "
                           "begin select raise(abort, 'rates are locked'); end"));
    SavingsPage page(tp);
    page.setRate(2, 9.9);
    try {
        settings::saveRatesAndTax(page.lxtable, page.taxtable, QStringLiteral("20"));
        QFAIL("a refused batch was reported as saved");
    } catch (const AppError& e) {
        QCOMPARE(e.text(), QStringLiteral("rates are locked"));
    }
    QCOMPARE(storedRate(tp, QStringLiteral("整存整取一年")), QStringLiteral("1.5"));
    QCOMPARE(tp.rows(QStringLiteral("select interesttax from tax")), (QList<QStringList>{{"0"}}));
    // The typed rate still waits in the cache for the next try.
    QVERIFY(page.lxtable.hasPendingChanges());
    tp.exec(QStringLiteral("drop trigger refuse"));
    settings::saveRatesAndTax(page.lxtable, page.taxtable, QStringLiteral("20"));
    QCOMPARE(storedRate(tp, QStringLiteral("整存整取一年")), QStringLiteral("9.9"));
    QCOMPARE(tp.rows(QStringLiteral("select interesttax from tax")), (QList<QStringList>{{"20"}}));
}

void TestSettingsLogic::taxTextShown_data() {
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QString>("shown");
    QTest::newRow("seeded") << ""
                            << "0";
    QTest::newRow("twenty") << "update tax set interesttax=20"
                            << "20";
    QTest::newRow("fraction") << "update tax set interesttax=5.5"
                              << "5.5";
    QTest::newRow("no row") << "delete from tax"
                            << "";
    QTest::newRow("empty value") << "update tax set interesttax=null"
                                 << "";
}

void TestSettingsLogic::taxTextShown() {
    QFETCH(QString, setup);
    QFETCH(QString, shown);
    TestProgram tp;
    if (!setup.isEmpty())
        tp.exec(setup);
    SavingsPage page(tp);
    QCOMPARE(settings::taxText(page.taxtable), shown);
}

QTEST_GUILESS_MAIN(TestSettingsLogic)
#include "tst_settingslogic.moc"
