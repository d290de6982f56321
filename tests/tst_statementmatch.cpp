// The same money seen twice: an app's card payment on the card's statement (either file
// first), and money moved between an app and the user's own bank account.
#include "import/statementmatch.h"

#include <QTest>

using namespace bills;

namespace {

BillRow row(const QDate& date, const QString& direction, qint64 cents, const QString& counterparty,
            const QString& method = {}, const QString& goods = {}) {
    BillRow r;
    r.date = date;
    r.direction = direction;
    r.cents = cents;
    r.counterparty = counterparty;
    r.method = method;
    r.goods = goods;
    return r;
}

BillFile fileOf(Source source, const QList<BillRow>& rows, const QString& account = {}) {
    BillFile f;
    f.source = source;
    f.account = account;
    f.rows = rows;
    return f;
}

const QDate day(2024, 3, 10);

} // namespace

class TestStatementMatch : public QObject {
    Q_OBJECT
private slots:
    void duplicates_data();
    void duplicates();
    void eachEntryMatchesOnce();
    void transfers_data();
    void transfers();
    void cardTails_data();
    void cardTails();
    void withdrawalByText();
};

// Each case: an app row and a bank row; checked with the app already imported and the bank
// file coming second, and the other way round.
void TestStatementMatch::duplicates_data() {
    QTest::addColumn<int>("bank");        // Source of the statement
    QTest::addColumn<QString>("account"); // the statement's card
    QTest::addColumn<QString>("method");  // the app's payment method
    QTest::addColumn<int>("days");        // bank date minus app date
    QTest::addColumn<qint64>("bankCents");
    QTest::addColumn<QString>("bankDirection");
    QTest::addColumn<bool>("duplicate");
    const int icbc = int(Source::Icbc), ccb = int(Source::Ccb), ofx = int(Source::Ofx);
    QTest::newRow("bank named, two days later")
        << icbc << ""
        << "工商银行储蓄卡" << 2 << qint64(1340) << "支出" << true;
    QTest::newRow("last digits agree")
        << ofx << "6222000011119876"
        << "招商银行信用卡(9876)" << 0 << qint64(1340) << "支出" << true;
    QTest::newRow("last digits differ")
        << icbc << "1234****9876"
        << "工商银行储蓄卡(1111)" << 0 << qint64(1340) << "支出" << false;
    QTest::newRow("short bank name, masked account")
        << ccb << "xxxxx*********xxxx"
        << "建行信用卡" << -1 << qint64(1340) << "支出" << true;
    QTest::newRow("three days is still the same")
        << icbc << ""
        << "工商银行(9876)" << 3 << qint64(1340) << "支出" << true;
    QTest::newRow("four days is not") << icbc << ""
                                      << "工商银行(9876)" << 4 << qint64(1340) << "支出" << false;
    QTest::newRow("other amount") << icbc << ""
                                  << "工商银行(9876)" << 0 << qint64(1341) << "支出" << false;
    QTest::newRow("other direction") << icbc << ""
                                     << "工商银行(9876)" << 0 << qint64(1340) << "收入" << false;
    QTest::newRow("paid from the app's balance") << icbc << ""
                                                 << "余额" << 0 << qint64(1340) << "支出" << false;
    QTest::newRow("another bank's card")
        << icbc << ""
        << "中国建设银行储蓄卡" << 0 << qint64(1340) << "支出" << false;
    QTest::newRow("refund to the card")
        << icbc << ""
        << "工商银行储蓄卡(9876)" << 1 << qint64(500) << "收入" << true;
}

void TestStatementMatch::duplicates() {
    QFETCH(int, bank);
    QFETCH(QString, account);
    QFETCH(QString, method);
    QFETCH(int, days);
    QFETCH(qint64, bankCents);
    QFETCH(QString, bankDirection);
    QFETCH(bool, duplicate);
    const qint64 appCents = bankDirection == u"收入" && duplicate ? bankCents : 1340;
    const QString appDirection =
        bankDirection == u"收入" && duplicate ? QStringLiteral("收入") : QStringLiteral("支出");
    const BillFile app = fileOf(
        Source::Alipay, {row(day, appDirection, appCents, QStringLiteral("麦当劳"), method)});
    const BillFile statement =
        fileOf(Source(bank),
               {row(day.addDays(days), bankDirection, bankCents, QStringLiteral("财付通-麦当劳"))},
               account);
    const CrossKind expected = duplicate ? CrossKind::PossibleDuplicate : CrossKind::None;

    // The app's bill first, then the statement.
    const QList<CrossMatch> second =
        matchAcrossSources(statement, {entryOf(app.rows.first(), app, 41)});
    QCOMPARE(second.size(), 1);
    QCOMPARE(second.first().kind, expected);
    if (duplicate) {
        QCOMPARE(second.first().entry, 0);
        QVERIFY(second.first().reason.contains(QStringLiteral("可能重复")));
    }
    // The statement first, then the app's bill.
    const QList<CrossMatch> first =
        matchAcrossSources(app, {entryOf(statement.rows.first(), statement, 7)});
    QCOMPARE(first.first().kind, expected);
    QCOMPARE(first.first().entry, duplicate ? 0 : -1);
}

// Two equal card payments on the statement and one in the app: one is a possible duplicate,
// the other a new entry; the nearer date is taken; entries of the file's own source are not
// looked at.
void TestStatementMatch::eachEntryMatchesOnce() {
    const BillFile app =
        fileOf(Source::WeChat, {row(day, QStringLiteral("支出"), 2000, QStringLiteral("滴滴"),
                                    QStringLiteral("工商银行(9876)")),
                                row(day.addDays(2), QStringLiteral("支出"), 2000,
                                    QStringLiteral("滴滴"), QStringLiteral("工商银行(9876)"))});
    const BillFile statement =
        fileOf(Source::Icbc,
               {row(day.addDays(2), QStringLiteral("支出"), 2000, QStringLiteral("财付通")),
                row(day.addDays(2), QStringLiteral("支出"), 2000, QStringLiteral("财付通")),
                row(day.addDays(2), QStringLiteral("支出"), 2000, QStringLiteral("财付通"))},
               QStringLiteral("1234****9876"));
    QList<ImportedEntry> entries{entryOf(app.rows.at(0), app, 1), entryOf(app.rows.at(1), app, 2)};
    entries << entryOf(statement.rows.at(0), statement, 3); // an earlier ICBC import
    const QList<CrossMatch> m = matchAcrossSources(statement, entries);
    QCOMPARE(m.size(), 3);
    QCOMPARE(m.at(0).kind, CrossKind::PossibleDuplicate);
    QCOMPARE(m.at(0).entry, 1); // same day first
    QCOMPARE(m.at(1).kind, CrossKind::PossibleDuplicate);
    QCOMPARE(m.at(1).entry, 0);
    QCOMPARE(m.at(2).kind, CrossKind::None);
}

// A withdrawal from an app arrives at the bank; a top-up leaves it. Either file may come first.
void TestStatementMatch::transfers_data() {
    QTest::addColumn<QString>("appKind");
    QTest::addColumn<QString>("appGoods");
    QTest::addColumn<QString>("appNote");
    QTest::addColumn<qint64>("appCents");
    QTest::addColumn<QString>("bankDirection");
    QTest::addColumn<QString>("bankText");
    QTest::addColumn<qint64>("bankCents");
    QTest::addColumn<bool>("transfer");
    QTest::newRow("Alipay withdrawal") << ""
                                       << "提现-实时提现"
                                       << "" << qint64(50000) << "收入"
                                       << "支付宝（中国）网络技术有限公司" << qint64(50000) << true;
    QTest::newRow("WeChat withdrawal less its fee")
        << "零钱提现"
        << ""
        << "服务费¥0.10" << qint64(10000) << "收入"
        << "财付通支付科技有限公司" << qint64(9990) << true;
    QTest::newRow("top-up from the card") << ""
                                          << "余额充值"
                                          << "" << qint64(20000) << "支出"
                                          << "支付宝-充值" << qint64(20000) << true;
    QTest::newRow("withdrawal, bank row names no app") << ""
                                                       << "提现-实时提现"
                                                       << "" << qint64(50000) << "收入"
                                                       << "工资" << qint64(50000) << false;
    QTest::newRow("withdrawal, other amount") << ""
                                              << "提现-实时提现"
                                              << "" << qint64(50000) << "收入"
                                              << "支付宝" << qint64(40000) << false;
    QTest::newRow("failed withdrawal") << "零钱提现"
                                       << "提现失败"
                                       << "" << qint64(10000) << "收入"
                                       << "财付通" << qint64(10000) << false;
    QTest::newRow("withdrawal is no expenditure") << ""
                                                  << "提现-实时提现"
                                                  << "" << qint64(50000) << "支出"
                                                  << "支付宝" << qint64(50000) << false;
}

void TestStatementMatch::transfers() {
    QFETCH(QString, appKind);
    QFETCH(QString, appGoods);
    QFETCH(QString, appNote);
    QFETCH(qint64, appCents);
    QFETCH(QString, bankDirection);
    QFETCH(QString, bankText);
    QFETCH(qint64, bankCents);
    QFETCH(bool, transfer);
    BillRow appRow = row(day, QStringLiteral("不计收支"), appCents, QString(),
                         QStringLiteral("工商银行储蓄卡(9876)"), appGoods);
    appRow.kind = appKind;
    appRow.note = appNote;
    const BillFile app = fileOf(Source::Alipay, {appRow});
    const BillFile bank =
        fileOf(Source::Icbc, {row(day.addDays(1), bankDirection, bankCents, bankText)},
               QStringLiteral("1234****5555"));
    const CrossKind expected = transfer ? CrossKind::OwnTransfer : CrossKind::None;
    const CrossMatch bankSecond = matchAcrossSources(bank, {entryOf(appRow, app, 9)}).first();
    QCOMPARE(bankSecond.kind, expected);
    QCOMPARE(bankSecond.entry, transfer ? 0 : -1);
    const CrossMatch appSecond =
        matchAcrossSources(app, {entryOf(bank.rows.first(), bank, 9)}).first();
    QCOMPARE(appSecond.kind, expected);
}

void TestStatementMatch::cardTails_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("tail");
    QTest::newRow("method") << "工商银行储蓄卡(9876)"
                            << "9876";
    QTest::newRow("masked account") << "6214****1234"
                                    << "1234";
    QTest::newRow("blanks") << "6225 **** **** 0042"
                            << "0042";
    QTest::newRow("no digits") << "xxxxx*********xxxx"
                               << "";
    QTest::newRow("too short at the end") << "1452687~7"
                                          << "";
    QTest::newRow("balance") << "余额"
                             << "";
}

void TestStatementMatch::cardTails() {
    QFETCH(QString, text);
    QTEST(cardTail(text), "tail");
}

// A bank row that says it is a withdrawal from an app is a transfer with no app row seen; a
// refund through 财付通 is not.
void TestStatementMatch::withdrawalByText() {
    const BillFile bank = fileOf(
        Source::Ccb, {row(day, QStringLiteral("收入"), 100, QStringLiteral("支付宝提现")),
                      row(day, QStringLiteral("收入"), 100, QStringLiteral("财付通-微信红包"), {},
                          QStringLiteral("退款")),
                      row(day, QStringLiteral("收入"), 100, QStringLiteral("微信零钱提现"))});
    const QList<CrossMatch> m = matchAcrossSources(bank, {});
    QCOMPARE(m.at(0).kind, CrossKind::OwnTransfer);
    QCOMPARE(m.at(0).entry, -1);
    QCOMPARE(m.at(1).kind, CrossKind::None);
    QCOMPARE(m.at(2).kind, CrossKind::OwnTransfer);
}

QTEST_GUILESS_MAIN(TestStatementMatch)
#include "tst_statementmatch.moc"
