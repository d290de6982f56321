// The rules from bill rows to entries: skipped rows and their reasons, refunds netted, exact
// amounts, duplicates, payment methods, remarks and the categories offered.
#include "import/billtext.h"
#include "import/categorymap.h"
#include "import/importrules.h"
#include "support/testbills.h"

#include <QTest>

using namespace bills;

Q_DECLARE_METATYPE(bills::Source)
Q_DECLARE_METATYPE(bills::BillRow)

namespace {

CategoryLists sampleLists() {
    CategoryLists l;
    l.incomeMajors = {QStringLiteral("工资"), QStringLiteral("投资收益"),
                      QStringLiteral("其他收入")};
    l.incomeMinors.insert(QStringLiteral("投资收益"), {QStringLiteral("理财收益")});
    l.expenditureMajors = {QStringLiteral("餐饮"), QStringLiteral("交通"), QStringLiteral("购物")};
    l.expenditureMinors.insert(QStringLiteral("餐饮"),
                               {QStringLiteral("外卖"), QStringLiteral("午餐")});
    l.expenditureMinors.insert(QStringLiteral("交通"), {QStringLiteral("打车")});
    l.paymentMethods = {QStringLiteral("现金"), QStringLiteral("微信支付"),
                        QStringLiteral("支付宝"), QStringLiteral("银行卡"),
                        QStringLiteral("信用卡")};
    return l;
}

CategoryMap sampleMap() {
    return parseCategoryMap(QStringLiteral("# comment\n"
                                           "对方:滴滴 = 交通-打车\n"
                                           "对方:美团外卖 = 餐饮-外卖\n"
                                           "餐饮美食 = 餐饮\n"
                                           "日用百货 = 百货|购物-日用品\n"
                                           "医疗健康 = 医疗\n"));
}

BillFile billOf(Source source, QList<BillRow> rows) {
    BillFile b;
    b.source = source;
    int line = 2;
    for (BillRow& r : rows)
        r.line = line++;
    b.rows = rows;
    return b;
}

Preview previewOf(Source source, const QList<BillRow>& rows, const BooksKnowledge& books = {}) {
    return previewBill(billOf(source, rows), sampleLists(), sampleMap(), books);
}

} // namespace

class TestImportRules : public QObject {
    Q_OBJECT
private slots:
    void skipped_data();
    void skipped();
    void paymentMethod_data();
    void paymentMethod();
    void statementCardMethod_data();
    void statementCardMethod();
    void remark_data();
    void remark();
    void statedRefund_data();
    void statedRefund();
    void suggestion_data();
    void suggestion();
    void exactAmounts();
    void alipayRefunds_data();
    void alipayRefunds();
    void weChatPartialRefund();
    void refundOfEarlierImport();
    void refundWithoutOriginal();
    void yieldAndFee();
    void unknownKindImportsByDirection();
    void duplicates();
    void acrossSources();
    void statedTotals();
};

void TestImportRules::skipped_data() {
    QTest::addColumn<Source>("source");
    QTest::addColumn<BillRow>("row");
    QTest::addColumn<QString>("reason"); // start of the reason; empty: the row counts
    const Source A = Source::Alipay, W = Source::WeChat;
    QTest::newRow("alipay paid") << A << billRow("2024-01-02", "支出", "5.00") << "";
    QTest::newRow("alipay closed, neutral")
        << A << billRow("2024-01-02", "不计收支", "82.00", "x", "日用百货", "", "交易关闭", "")
        << "交易关闭";
    QTest::newRow("alipay closed, no method")
        << A << billRow("2024-01-02", "支出", "82.00", "x", "日用百货", "", "交易关闭", "")
        << "交易关闭";
    QTest::newRow("alipay closed but paid (refunded later)")
        << A << billRow("2024-01-02", "支出", "50.00", "x", "交通出行", "", "交易关闭", "余额宝")
        << "";
    QTest::newRow("alipay neutral move")
        << A << billRow("2024-01-02", "不计收支", "100.00", "余额宝", "投资理财", "", "交易成功")
        << "不计收支";
    QTest::newRow("alipay 2021 neutral")
        << A << billRow("2024-01-02", "其他", "2.00", "基金", "", "", "交易成功") << "不计收支";
    QTest::newRow("wechat withdrawal failed")
        << W << billRow("2024-01-02", "收入", "10.00", "x", "零钱提现", "", "提现失败，已退回")
        << "已取消";
    QTest::newRow("wechat returned")
        << W << billRow("2024-01-02", "支出", "10.00", "x", "转账", "", "对方已退还") << "已取消";
    QTest::newRow("wechat neutral") << W
                                    << billRow("2024-01-02", "/", "2000.00", "/",
                                               "转入零钱通-来自工商银行(9876)", "", "支付成功")
                                    << "不计收支";
    BillRow transfer = billRow("2013-10-23", "支出", "50.00", "Transfer to credit card");
    transfer.transfer = true;
    transfer.category = QStringLiteral("[My Cc]");
    QTest::newRow("qif transfer to an own account") << Source::Qif << transfer << "转账";
    QTest::newRow("wechat paid") << W
                                 << billRow("2024-01-02", "支出", "1.00", "x", "商户消费", "",
                                            "支付成功")
                                 << "";
}

void TestImportRules::skipped() {
    QFETCH(Source, source);
    QFETCH(BillRow, row);
    QFETCH(QString, reason);
    const std::optional<QString> r = skipReason(source, row);
    QCOMPARE(r.has_value(), !reason.isEmpty());
    if (r)
        QVERIFY2(r->startsWith(reason), qPrintable(*r));
    // The preview shows the same reason and writes nothing for the row.
    const Preview p = previewOf(source, {row});
    QCOMPARE(p.rows[0].state == RowState::Skipped, !reason.isEmpty());
    QCOMPARE(p.rows[0].ticked, reason.isEmpty());
}

void TestImportRules::paymentMethod_data() {
    QTest::addColumn<Source>("source");
    QTest::addColumn<QString>("method");
    QTest::addColumn<QStringList>("methods");
    QTest::addColumn<QString>("expected");
    const QStringList all = sampleLists().paymentMethods;
    const Source A = Source::Alipay, W = Source::WeChat;
    QTest::newRow("余额") << A << "余额" << all << "支付宝";
    QTest::newRow("余额宝") << A << "余额宝" << all << "支付宝";
    QTest::newRow("花呗") << A << "花呗" << all << "支付宝";
    QTest::newRow("红包") << A << "红包" << all << "支付宝";
    QTest::newRow("零钱") << W << "零钱" << all << "微信支付";
    QTest::newRow("零钱通") << W << "零钱通" << all << "微信支付";
    QTest::newRow("credit card") << A << "交通银行信用卡(7449)" << all << "信用卡";
    QTest::newRow("wechat credit card") << W << "招商银行信用卡(1234)" << all << "信用卡";
    QTest::newRow("bank card") << W << "招商银行(1111)" << all << "银行卡";
    QTest::newRow("debit card") << W << "工商银行储蓄卡(9876)" << all << "银行卡";
    QTest::newRow("wechat 零钱 is no alipay method") << A << "零钱" << all << "零钱";
    QTest::newRow("no fitting entry") << A << "花呗" << QStringList{"现金"} << "花呗";
    QTest::newRow("unknown kept") << W << "亲属卡" << all << "亲属卡";
    QTest::newRow("slash is empty") << W << "/" << all << "";
    QTest::newRow("own entry kept") << A << "现金" << all << "现金";
}

void TestImportRules::paymentMethod() {
    QFETCH(Source, source);
    QFETCH(QString, method);
    QFETCH(QStringList, methods);
    QFETCH(QString, expected);
    QCOMPARE(paymentMethodFor(source, method, methods), expected);
}

// A bank's statement names no payment method: its rows were paid with the statement's card,
// where the user's list has that entry.
void TestImportRules::statementCardMethod_data() {
    QTest::addColumn<Source>("source");
    QTest::addColumn<QString>("layout");
    QTest::addColumn<QStringList>("methods");
    QTest::addColumn<QString>("expected");
    const QStringList all = sampleLists().paymentMethods;
    QTest::newRow("icbc debit") << Source::Icbc << "debit-2024" << all << "银行卡";
    QTest::newRow("icbc credit card") << Source::Icbc << "credit" << all << "信用卡";
    QTest::newRow("ccb") << Source::Ccb << "xls" << all << "银行卡";
    QTest::newRow("not in the user's list") << Source::Icbc << "debit" << QStringList{"现金"} << "";
    QTest::newRow("qif names none") << Source::Qif << "" << all << "";
}

void TestImportRules::statementCardMethod() {
    QFETCH(Source, source);
    QFETCH(QString, layout);
    QFETCH(QStringList, methods);
    QFETCH(QString, expected);
    BillFile bill =
        billOf(source, {billRow("2024-03-11", "支出", "25.00", "某超市", "消费", "fp:1", "", "")});
    bill.layout = layout;
    CategoryLists lists = sampleLists();
    lists.paymentMethods = methods;
    QCOMPARE(previewBill(bill, lists, sampleMap(), {}).rows.first().method, expected);
}

void TestImportRules::remark_data() {
    QTest::addColumn<QString>("counterparty");
    QTest::addColumn<QString>("goods");
    QTest::addColumn<QString>("expected");
    QTest::newRow("both") << "美团平台商户"
                          << "美团订单-12345"
                          << "美团平台商户 美团订单-12345";
    QTest::newRow("goods slash") << "同性好友"
                                 << "/"
                                 << "同性好友";
    QTest::newRow("counterparty slash") << "/"
                                        << "零钱通"
                                        << "零钱通";
    QTest::newRow("same twice") << "北京稻香村"
                                << "北京稻香村"
                                << "北京稻香村";
    QTest::newRow("none") << "/"
                          << "/"
                          << "";
}

void TestImportRules::remark() {
    QFETCH(QString, counterparty);
    QFETCH(QString, goods);
    QFETCH(QString, expected);
    BillRow r;
    r.counterparty = counterparty;
    r.goods = goods;
    QCOMPARE(remarkOf(r), expected);
}

void TestImportRules::statedRefund_data() {
    QTest::addColumn<QString>("status");
    QTest::addColumn<qint64>("refundedCents");
    QTest::addColumn<qint64>("expected");
    QTest::newRow("none") << "支付成功" << qint64(0) << qint64(0);
    QTest::newRow("partial") << "已退款￥742.00" << qint64(0) << qint64(74200);
    QTest::newRow("partial, brackets") << "已退款(￥12.30)" << qint64(0) << qint64(1230);
    QTest::newRow("full") << "已全额退款" << qint64(0) << qint64(10000);
    QTest::newRow("reader's figure") << "支付成功" << qint64(500) << qint64(500);
}

void TestImportRules::statedRefund() {
    QFETCH(QString, status);
    QFETCH(qint64, refundedCents);
    QFETCH(qint64, expected);
    BillRow r;
    r.cents = 10000;
    r.status = status;
    r.refundedCents = refundedCents;
    QCOMPARE(bills::statedRefund(r), expected);
}

void TestImportRules::suggestion_data() {
    QTest::addColumn<QString>("direction");
    QTest::addColumn<QString>("counterparty");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("earlier"); // "major-minor" chosen before for the counterparty
    QTest::addColumn<QString>("expected");
    QTest::newRow("earlier choice first") << "支出"
                                          << "滴滴出行"
                                          << "交通出行"
                                          << "餐饮-午餐"
                                          << "餐饮-午餐";
    QTest::newRow("earlier choice gone from lists") << "支出"
                                                    << "滴滴出行"
                                                    << "交通出行"
                                                    << "旅行-机票"
                                                    << "交通-打车";
    QTest::newRow("earlier minor gone") << "支出"
                                        << "某店"
                                        << ""
                                        << "餐饮-夜宵"
                                        << "餐饮-";
    QTest::newRow("counterparty before category") << "支出"
                                                  << "美团外卖"
                                                  << "餐饮美食"
                                                  << ""
                                                  << "餐饮-外卖";
    QTest::newRow("bill category") << "支出"
                                   << "某饭店"
                                   << "餐饮美食"
                                   << ""
                                   << "餐饮-";
    QTest::newRow("first alternative in lists") << "支出"
                                                << "x"
                                                << "日用百货"
                                                << ""
                                                << "购物-";
    QTest::newRow("target not in lists") << "支出"
                                         << "x"
                                         << "医疗健康"
                                         << ""
                                         << "-";
    QTest::newRow("other direction's list") << "收入"
                                            << "x"
                                            << "餐饮美食"
                                            << ""
                                            << "-";
    QTest::newRow("unknown kind") << "支出"
                                  << "x"
                                  << "deg-不认识的-txType"
                                  << ""
                                  << "-";
}

void TestImportRules::suggestion() {
    QFETCH(QString, direction);
    QFETCH(QString, counterparty);
    QFETCH(QString, kind);
    QFETCH(QString, earlier);
    QFETCH(QString, expected);
    BooksKnowledge books;
    if (!earlier.isEmpty())
        books.choices.insert(choiceKey(direction, counterparty),
                             {earlier.section(u'-', 0, 0), earlier.section(u'-', 1)});
    BillRow r;
    r.counterparty = counterparty;
    r.kind = kind;
    const Category c = suggestCategory(direction, r, sampleLists(), sampleMap(), books);
    QCOMPARE(c.major + u'-' + c.minor, expected);
}

void TestImportRules::exactAmounts() {
    // Ten rows of 0.10 and one of 0.20: sums in fen, never through a binary float.
    QList<BillRow> rows;
    for (int i = 0; i < 10; ++i)
        rows << billRow("2024-03-01", "支出", "0.1", "x", "", qPrintable(QString::number(i)));
    rows << billRow("2024-03-01", "支出", "¥0.20", "x", "", "a");
    rows << billRow("2024-03-01", "收入", "￥1,234,567.89", "x", "", "b");
    const PreviewTotals t = totalsOf(previewOf(Source::Alipay, rows));
    QCOMPARE(t.entries, 12);
    QCOMPARE(t.expenditureCents, qint64(120));
    QCOMPARE(t.incomeCents, qint64(123456789));
    QCOMPARE(centsText(t.expenditureCents), QStringLiteral("1.20"));
}

void TestImportRules::alipayRefunds_data() {
    QTest::addColumn<QString>("refund1");
    QTest::addColumn<QString>("refund2"); // empty: no second refund
    QTest::addColumn<int>("entries");
    QTest::addColumn<qint64>("expenditure");
    QTest::newRow("full") << "50.00"
                          << "" << 0 << qint64(0);
    QTest::newRow("partial") << "20.00"
                             << "" << 1 << qint64(3000);
    QTest::newRow("two partial") << "20.00"
                                 << "10.50" << 1 << qint64(1950);
    QTest::newRow("two making it full") << "20.00"
                                        << "30.00" << 0 << qint64(0);
}

void TestImportRules::alipayRefunds() {
    QFETCH(QString, refund1);
    QFETCH(QString, refund2);
    QFETCH(int, entries);
    QFETCH(qint64, expenditure);
    // As the bill lists them: refunds first (newest), then the original, closed after its refund.
    QList<BillRow> rows;
    rows << billRow("2023-01-09", "不计收支", qPrintable(refund1), "一卡通", "退款", "2023088_01",
                    "退款成功", "余额宝", "退款-一卡通充值");
    if (!refund2.isEmpty())
        rows << billRow("2023-01-10", "不计收支", qPrintable(refund2), "一卡通", "退款",
                        "2023088_02", "退款成功", "余额宝", "退款-一卡通充值");
    rows << billRow("2023-01-08", "支出", "50.00", "一卡通", "交通出行", "2023088", "交易关闭",
                    "余额宝", "一卡通充值");
    const Preview p = previewOf(Source::Alipay, rows);
    const PreviewTotals t = totalsOf(p);
    QCOMPARE(t.entries, entries);
    QCOMPARE(t.expenditureCents, expenditure);
    QCOMPARE(t.skipped, int(rows.size()) - entries);
    // Every refund row says where it went.
    for (qsizetype i = 0; i + 1 < rows.size(); ++i)
        QVERIFY2(p.rows[i].status.contains(QStringLiteral("原交易")), qPrintable(p.rows[i].status));
    if (entries == 1) {
        QCOMPARE(p.rows.last().absorbedKeys.size(), rows.size() - 1);
        QVERIFY(p.rows.last().status.startsWith(QStringLiteral("已扣除退款")));
    }
}

void TestImportRules::weChatPartialRefund() {
    // The original states what was refunded; the refund row is not subtracted a second time.
    BillRow original = billRow("2024-08-30", "支出", "1000.00", "同程旅行", "商户消费", "w1",
                               "已退款￥742.00", "建设银行(2222)", "机票");
    BillRow refund = billRow("2024-08-31", "收入", "742.00", "同程旅行", "同程旅行-退款", "w2",
                             "已退款￥742.00", "建设银行(2222)", "同程旅行");
    const Preview p = previewOf(Source::WeChat, {refund, original});
    QCOMPARE(p.rows[0].state, RowState::Skipped);
    QCOMPARE(p.rows[1].state, RowState::New);
    QCOMPARE(p.rows[1].cents, qint64(25800));
    QCOMPARE(p.rows[1].method, QStringLiteral("银行卡"));
    // Full refund stated: no entry at all.
    original.status = QStringLiteral("已全额退款");
    const PreviewTotals t = totalsOf(previewOf(Source::WeChat, {original}));
    QCOMPARE(t.entries, 0);
    QCOMPARE(t.skipped, 1);
}

void TestImportRules::refundOfEarlierImport() {
    BooksKnowledge books;
    books.byTxno.insert(
        QStringLiteral("2023088"),
        {7, QStringLiteral("支出"), QStringLiteral("交通"), QStringLiteral("打车")});
    const BillRow refund = billRow("2023-02-01", "不计收支", "20.00", "一卡通", "退款",
                                   "2023088_01", "退款成功", "余额宝", "退款-一卡通充值");
    const Preview p = previewOf(Source::Alipay, {refund}, books);
    const PreviewRow& r = p.rows[0];
    QCOMPARE(r.state, RowState::New);
    QCOMPARE(r.direction, QStringLiteral("支出"));
    QCOMPARE(r.cents, qint64(-2000));
    QCOMPARE(r.major, QStringLiteral("交通"));
    QCOMPARE(r.minor, QStringLiteral("打车"));
    QCOMPARE(totalsOf(p).expenditureCents, qint64(-2000));
}

void TestImportRules::refundWithoutOriginal() {
    // Neither in the file nor in the books: an income refund imports as income, a neutral
    // one is shown skipped with its reason, never dropped silently.
    const BillRow income = billRow("2021-06-01", "收入", "109.90", "滴露", "", "r1_1", "退款成功",
                                   "招商银行(9876)", "退款-消毒液");
    const BillRow neutral = billRow("2021-06-01", "其他", "109.90", "滴露", "", "r2_1", "退款成功",
                                    "招商银行(9876)", "退款-消毒液");
    const Preview p = previewOf(Source::Alipay, {income, neutral});
    QCOMPARE(p.rows[0].state, RowState::New);
    QCOMPARE(p.rows[0].direction, QStringLiteral("收入"));
    QCOMPARE(p.rows[0].cents, qint64(10990));
    QCOMPARE(p.rows[1].state, RowState::Skipped);
    QVERIFY(p.rows[1].status.contains(QStringLiteral("未找到原交易")));
}

void TestImportRules::yieldAndFee() {
    BillRow yield = billRow("2020-06-08", "其他", "0.11", "广发基金", "", "y1", "交易成功",
                            "余额宝", "余额宝-2020.06.08-收益发放");
    BillRow withdrawal = billRow("2021-07-15", "/", "100.10", "招商银行()", "零钱提现", "f1",
                                 "提现已到账", "工商银行");
    withdrawal.note = QStringLiteral("服务费¥0.10");
    BillRow plain = withdrawal;
    plain.note = QStringLiteral("/");
    plain.transactionNo = QStringLiteral("f2");
    Preview p = previewOf(Source::Alipay, {yield});
    QCOMPARE(p.rows[0].state, RowState::New);
    QCOMPARE(p.rows[0].direction, QStringLiteral("收入"));
    QCOMPARE(p.rows[0].major, QStringLiteral("投资收益"));
    QCOMPARE(p.rows[0].minor, QStringLiteral("理财收益"));
    QCOMPARE(p.rows[0].cents, qint64(11));
    p = previewOf(Source::WeChat, {withdrawal, plain});
    QCOMPARE(p.rows[0].state, RowState::New);
    QCOMPARE(p.rows[0].direction, QStringLiteral("支出"));
    QCOMPARE(p.rows[0].cents, qint64(10));
    QCOMPARE(p.rows[1].state, RowState::Skipped);
}

void TestImportRules::unknownKindImportsByDirection() {
    const Preview p =
        previewOf(Source::WeChat,
                  {billRow("2024-06-07", "支出", "0.01", "测试", "deg-不认识的-txType", "u1",
                           "支付成功", "工商银行储蓄卡(9876)"),
                   billRow("2024-06-07", "收入", "5.00", "赞赏", "新的类型", "u2", "已到账", "/")});
    for (const PreviewRow& r : p.rows) {
        QCOMPARE(r.state, RowState::New);
        QVERIFY(r.major.isEmpty());
        QVERIFY(r.minor.isEmpty());
    }
    QCOMPARE(p.rows[0].direction, QStringLiteral("支出"));
    QCOMPARE(p.rows[1].direction, QStringLiteral("收入"));
}

void TestImportRules::duplicates() {
    // Two rows with the same key (a masked sample): the books hold one of them.
    const BillRow a = billRow("2024-01-01", "支出", "12.00", "某餐厅", "", "3985734");
    const BillRow b = billRow("2024-01-02", "支出", "8.00", "某店", "", "3985735");
    BooksKnowledge books;
    books.keys.insert(rowKey(a), 1);
    const Preview p = previewOf(Source::WeChat, {a, a, b}, books);
    QCOMPARE(p.rows[0].state, RowState::Duplicate);
    QCOMPARE(p.rows[0].status, QStringLiteral("重复"));
    QVERIFY(!p.rows[0].ticked);
    QCOMPARE(p.rows[1].state, RowState::New);
    QCOMPARE(p.rows[2].state, RowState::New);
    const PreviewTotals t = totalsOf(p);
    QCOMPARE(t.duplicates, 1);
    QCOMPARE(t.entries, 2);
    // The same transaction at another amount or time is another row.
    BillRow later = a;
    later.time = QStringLiteral("12:00:01");
    QVERIFY(rowKey(later) != rowKey(a));
}

// Rows another source has: a card payment on the statement is 可能重复 and unticked; a row
// the books hold from this source stays 重复; the fee of a withdrawal whose other end is on the
// statement stays an entry; the remembered rows are the entries and the move to the bank.
void TestImportRules::acrossSources() {
    const BillRow again = billRow("2024-03-10", "支出", "12.00", "某餐厅", "", "w1", "支付成功",
                                  "工商银行储蓄卡(9876)");
    const BillRow card = billRow("2024-03-10", "支出", "30.00", "某店", "", "w2", "支付成功",
                                 "工商银行储蓄卡(9876)");
    BillRow withdrawal = billRow("2024-03-10", "/", "100.10", "工商银行(9876)", "零钱提现", "w3",
                                 "提现已到账", "工商银行储蓄卡(9876)");
    withdrawal.note = QStringLiteral("服务费¥0.10");
    BillRow plain = withdrawal;
    plain.note.clear();
    plain.cents = 5000;
    plain.transactionNo = QStringLiteral("w4");
    auto bankEntry = [](const char* date, const char* direction, qint64 cents) {
        ImportedEntry e;
        e.id = cents;
        e.source = Source::Icbc;
        e.date = QDate::fromString(QString::fromLatin1(date), Qt::ISODate);
        e.direction = QString::fromUtf8(direction);
        e.cents = cents;
        e.bank = QStringLiteral("工商银行");
        e.account = QStringLiteral("6222****9876");
        e.text = QStringLiteral("消费 财付通");
        e.memo = QStringLiteral("财付通");
        return e;
    };
    BooksKnowledge books;
    books.keys.insert(rowKey(again), 1);
    books.otherSources = {bankEntry("2024-03-11", "支出", 1200),
                          bankEntry("2024-03-12", "支出", 3000),
                          bankEntry("2024-03-10", "收入", 10000)};
    const Preview p = previewOf(Source::WeChat, {again, card, withdrawal, plain}, books);
    QCOMPARE(p.rows[0].state, RowState::Duplicate);
    QCOMPARE(p.rows[0].status, QStringLiteral("重复"));
    QCOMPARE(p.rows[0].cross, CrossKind::None);
    QCOMPARE(p.rows[1].state, RowState::New);
    QCOMPARE(p.rows[1].cross, CrossKind::PossibleDuplicate);
    QVERIFY(!p.rows[1].ticked);
    QCOMPARE(p.rows[1].status,
             QStringLiteral("可能重复：已导入 工商银行 2024-03-12 支出 30.00 元 财付通"));
    QCOMPARE(p.rows[2].state, RowState::New); // the fee
    QCOMPARE(p.rows[2].cross, CrossKind::None);
    QVERIFY(p.rows[2].ticked);
    QCOMPARE(p.rows[3].state, RowState::Skipped);
    const PreviewTotals t = totalsOf(p);
    QCOMPARE(t.entries, 1);
    QCOMPARE(t.duplicates, 1);
    QCOMPARE(t.possibleDuplicates, 1);
    QCOMPARE(t.skipped, 1);
    // Remembered: the fee's row as stated (the whole withdrawal) and the plain withdrawal.
    const QList<ImportedEntry> remembered = rememberedRows(p);
    QCOMPARE(remembered.size(), 2);
    QCOMPARE(remembered[0].cents, qint64(10010));
    QCOMPARE(remembered[0].method, QStringLiteral("工商银行储蓄卡(9876)"));
    QCOMPARE(remembered[1].cents, qint64(5000));
    // Ticked, the possible duplicate counts as a new entry.
    Preview ticked = p;
    ticked.rows[1].ticked = true;
    QCOMPARE(totalsOf(ticked).entries, 2);
    QCOMPARE(totalsOf(ticked).possibleDuplicates, 0);
    QCOMPARE(rememberedRows(ticked).size(), 3);
}

void TestImportRules::statedTotals() {
    // The preview says when the rows read do not add up to the totals the file states; the
    // neutral row is not checked, as the file states no neutral side.
    BillFile bill =
        billOf(Source::WeChat,
               {billRow("2024-01-01", "支出", "0.10"), billRow("2024-01-01", "支出", "0.20"),
                billRow("2024-01-01", "收入", "8530.00"), billRow("2024-01-01", "/", "99.00")});
    bill.stated = StatedTotals{1, 853000, 2, 30};
    QCOMPARE(previewBill(bill, sampleLists(), sampleMap(), {}).totalsProblem, QString());
    bill.stated = StatedTotals{2, 853100, 2, 30};
    const QString problem = previewBill(bill, sampleLists(), sampleMap(), {}).totalsProblem;
    QVERIFY2(problem.startsWith(QStringLiteral("文件未完整读取：")), qPrintable(problem));
    QVERIFY2(problem.contains(QStringLiteral("少 1 笔、少 1.00 元")), qPrintable(problem));
    QVERIFY(!problem.contains(QStringLiteral("支出")));
    bill.stated.reset();
    QCOMPARE(previewBill(bill, sampleLists(), sampleMap(), {}).totalsProblem, QString());
}

QTEST_GUILESS_MAIN(TestImportRules)
#include "tst_importrules.moc"
