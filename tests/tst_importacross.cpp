// The same money from two sources, through the import over real books: a card payment through
// Alipay that the card's ICBC statement shows again (可能重复, whichever comes second), money
// moved between Alipay and the user's own card (转账), what the books remember for this and
// forget on take-back, and teloq-import with both files at once.
#include "data/schema.h"
#include "import/billimport.h"
#include "import/importcommand.h"
#include "import/readbill.h"
#include "support/testbills.h"
#include "support/testprogram.h"

#include <QDir>
#include <QFile>
#include <QTest>

using namespace bills;

namespace {

const QDateTime kAt(QDate(2026, 12, 9), QTime(10, 0));

// An ICBC debit statement of card `account` with `rows` (see icbcRow), read as the program
// reads it.
QByteArray icbcText(const QString& account, const QStringList& rows) {
    QString text = QStringLiteral("明细查询文件下载\n\n卡号: %1,\"卡别名: \"\n\n"
                                  "子账户类别: 活期,\"子账户别名: \"\n\n")
                       .arg(account);
    text += QStringLiteral(
        "交易日期,摘要,交易场所,交易国家或地区简称,钞/汇,交易金额(收入),交易金额(支出),交易币种,"
        "记账金额(收入),记账金额(支出),记账币种,余额,对方户名\n");
    for (const QString& r : rows)
        text += r + u'\n';
    return text.toUtf8();
}

// One statement row: an income or an expenditure (the other left empty).
QString icbcRow(const QString& date, const QString& summary, const QString& in, const QString& out,
                const QString& counterparty) {
    return QStringList{date,
                       summary,
                       QStringLiteral("某商户"),
                       QStringLiteral("CHN"),
                       QStringLiteral("钞"),
                       QStringLiteral("-"),
                       QStringLiteral("-"),
                       QStringLiteral("-"),
                       in,
                       out,
                       QStringLiteral("人民币"),
                       QStringLiteral("1000.00"),
                       counterparty}
        .join(u',');
}

BillFile icbc(const QStringList& rows, const QString& account = QStringLiteral("6222****9876")) {
    return readBill(QStringLiteral("icbc.csv"), icbcText(account, rows), {});
}

// The card payment on the statement: 25.00 to 某超市 through Alipay.
QString cardPaymentRow(const QString& date = QStringLiteral("2024-03-11"),
                       const QString& amount = QStringLiteral("25.00")) {
    return icbcRow(date, QStringLiteral("消费"), {}, amount,
                   QStringLiteral("支付宝（中国）网络技术有限公司"));
}

BillFile alipay(const QList<BillRow>& rows) {
    BillFile b;
    b.source = Source::Alipay;
    b.rows = rows;
    for (int i = 0; i < b.rows.size(); ++i)
        b.rows[i].line = i + 2;
    return b;
}

// The same payment in Alipay, with the card, and a purchase from the app's balance beside it.
BillFile alipayBill(const char* method = "工商银行储蓄卡(9876)") {
    return alipay({billRow("2024-03-10", "支出", "25.00", "某超市", "日用百货", "ali1", "交易成功",
                           method, "牙膏"),
                   billRow("2024-03-10", "支出", "8.00", "某面馆", "餐饮美食", "ali2")});
}

// A withdrawal from Alipay to the card (no entry), and a purchase, so the import is written.
BillFile alipayWithdrawal() {
    return alipay({billRow("2024-03-05", "不计收支", "500.00", "支付宝", "提现", "wd1", "交易成功",
                           "工商银行储蓄卡(9876)", "余额提现"),
                   billRow("2024-03-05", "支出", "8.00", "某面馆", "餐饮美食", "ali3")});
}

int count(TestProgram& p, const char* sql) {
    return p.scalar(QString::fromUtf8(sql)).toInt();
}

const PreviewRow& only(const Preview& p) {
    return p.rows.first();
}

} // namespace

class TestImportAcross : public QObject {
    Q_OBJECT
private slots:
    void cardPaymentSeenTwice_data();
    void cardPaymentSeenTwice();
    void tickedPossibleDuplicateIsImported();
    void sameSourceStaysDuplicate();
    void ownTransfer_data();
    void ownTransfer();
    void takeBackForgetsWhatItRemembered();
    void deletedEntryNoLongerMatches();
    void olderBooksGetTheTable();
    void commandLineBothFiles_data();
    void commandLineBothFiles();
};

// The Alipay payment and the statement row, imported in either order; the second is marked
// only when amount, direction, dates and card agree.
void TestImportAcross::cardPaymentSeenTwice_data() {
    QTest::addColumn<bool>("alipayFirst");
    QTest::addColumn<QString>("bankDate");
    QTest::addColumn<QString>("bankAmount");
    QTest::addColumn<QString>("account");
    QTest::addColumn<QString>("method");
    QTest::addColumn<bool>("marked");
    const QString date = QStringLiteral("2024-03-11");
    const QString card = QStringLiteral("6222****9876");
    const QString method = QStringLiteral("工商银行储蓄卡(9876)");
    for (const bool first : {true, false}) {
        const char* order = first ? "alipay then bank: " : "bank then alipay: ";
        auto row = [&](const char* name) {
            return &QTest::newRow((QByteArray(order) + name).constData());
        };
        *row("same payment") << first << date << "25.00" << card << method << true;
        *row("three days apart") << first << "2024-03-13"
                                 << "25.00" << card << method << true;
        *row("four days apart") << first << "2024-03-14"
                                << "25.00" << card << method << false;
        *row("one fen more") << first << date << "25.01" << card << method << false;
        *row("card digits disagree") << first << date << "25.00"
                                     << "6222****1234" << method << false;
        *row("bank named, no digits")
            << first << date << "25.00" << card << "工商银行储蓄卡" << true;
        *row("paid from the balance") << first << date << "25.00" << card << "余额" << false;
    }
}

void TestImportAcross::cardPaymentSeenTwice() {
    QFETCH(bool, alipayFirst);
    QFETCH(QString, bankDate);
    QFETCH(QString, bankAmount);
    QFETCH(QString, account);
    QFETCH(QString, method);
    QFETCH(bool, marked);
    TestProgram p;
    BillImport import(p.databasePath(), p.folder());
    const BillFile app = alipayBill(method.toUtf8().constData());
    const BillFile bank = icbc({cardPaymentRow(bankDate, bankAmount)}, account);
    const BillFile& first = alipayFirst ? app : bank;
    const BillFile& second = alipayFirst ? bank : app;
    QVERIFY(import.write(QStringLiteral("first.csv"), import.preview(first), kAt) > 0);

    const Preview preview = import.preview(second);
    const PreviewRow& row = only(preview); // the card payment is the first row of either file
    QCOMPARE(row.state, RowState::New);
    QCOMPARE(row.cross, marked ? CrossKind::PossibleDuplicate : CrossKind::None);
    QCOMPARE(row.ticked, !marked);
    const PreviewTotals t = totalsOf(preview);
    QCOMPARE(t.possibleDuplicates, marked ? 1 : 0);
    QCOMPARE(t.entries, int(second.rows.size()) - (marked ? 1 : 0));
    if (marked) {
        // The status names the entry of the other source: source, date, amount and remark.
        const QString other = alipayFirst
                                  ? QStringLiteral("支付宝 2024-03-10 支出 25.00 元 某超市 牙膏")
                                  : QStringLiteral("工商银行 %1 支出 25.00 元").arg(bankDate);
        QVERIFY2(row.status.startsWith(QStringLiteral("可能重复：已导入 ") + other),
                 qPrintable(row.status));
    } else {
        QVERIFY2(row.status.isEmpty(), qPrintable(row.status));
    }
    // The other Alipay row is untouched either way.
    if (!alipayFirst)
        QVERIFY(preview.rows.at(1).ticked && preview.rows.at(1).cross == CrossKind::None);
}

// Ticked by the user, a possible duplicate is written like any new row, and remembered too.
void TestImportAcross::tickedPossibleDuplicateIsImported() {
    TestProgram p;
    BillImport import(p.databasePath(), p.folder());
    import.write(QStringLiteral("alipay.csv"), import.preview(alipayBill()), kAt);
    Preview preview = import.preview(icbc({cardPaymentRow()}));
    QCOMPARE(only(preview).cross, CrossKind::PossibleDuplicate);
    // Unticked it writes nothing.
    QCOMPARE(import.write(QStringLiteral("icbc.csv"), preview, kAt), qint64(0));
    QCOMPARE(count(p, "select count(*) from mysalary where money = 25"), 1);
    preview.rows[0].ticked = true;
    QVERIFY(import.write(QStringLiteral("icbc.csv"), preview, kAt) > 0);
    QCOMPARE(p.rows(QStringLiteral("select adddate, sz, money from mysalary where money = 25 "
                                   "order by adddate")),
             (QList<QStringList>{{"2024-03-10", "支出", "25"}, {"2024-03-11", "支出", "25"}}));
    QCOMPARE(count(p, "select count(*) from importseen where source = '工商银行' and salaryid = "
                      "(select max(id) from mysalary)"),
             1);
}

// A row this source brought before stays 重复, though Alipay has the same payment.
void TestImportAcross::sameSourceStaysDuplicate() {
    TestProgram p;
    BillImport import(p.databasePath(), p.folder());
    import.write(QStringLiteral("alipay.csv"), import.preview(alipayBill()), kAt);
    Preview preview = import.preview(icbc({cardPaymentRow()}));
    preview.rows[0].ticked = true;
    import.write(QStringLiteral("icbc.csv"), preview, kAt);
    const Preview again = import.preview(icbc({cardPaymentRow()}));
    QCOMPARE(only(again).state, RowState::Duplicate);
    QCOMPARE(only(again).status, QStringLiteral("重复"));
    QCOMPARE(totalsOf(again).possibleDuplicates, 0);
    QCOMPARE(totalsOf(again).duplicates, 1);
}

// The withdrawal to the card, and the statement's income from Alipay: a transfer, whether the
// statement's text says so or only the card's digits tie them; unrelated income is not one.
void TestImportAcross::ownTransfer_data() {
    QTest::addColumn<QString>("summary");
    QTest::addColumn<QString>("counterparty");
    QTest::addColumn<QString>("amount");
    QTest::addColumn<QString>("account");
    QTest::addColumn<bool>("alipaySeen"); // the withdrawal imported before
    QTest::addColumn<QString>("status");  // what the status starts with; empty: a new entry
    const QString linked =
        QStringLiteral("转账：自己账户之间的转移，对应已导入的 支付宝 2024-03-05");
    QTest::newRow("支付宝提现") << "支付宝提现"
                                << "支付宝（中国）网络技术有限公司"
                                << "500.00"
                                << "6222****9876" << true << linked;
    QTest::newRow("财付通 named") << "汇入"
                                  << "财付通支付科技有限公司"
                                  << "500.00"
                                  << "6222****9876" << true << linked;
    QTest::newRow("card digits only") << "汇入"
                                      << "某公司"
                                      << "500.00"
                                      << "6222****9876" << true << linked;
    QTest::newRow("other card") << "汇入"
                                << "某公司"
                                << "500.00"
                                << "6222****1234" << true << "";
    QTest::newRow("other amount") << "汇入"
                                  << "支付宝（中国）网络技术有限公司"
                                  << "499.00"
                                  << "6222****9876" << true << "";
    QTest::newRow("text alone, nothing seen")
        << "支付宝提现"
        << "支付宝（中国）网络技术有限公司"
        << "500.00"
        << "6222****9876" << false << "转账：支付宝/微信提现到银行卡";
}

void TestImportAcross::ownTransfer() {
    QFETCH(QString, summary);
    QFETCH(QString, counterparty);
    QFETCH(QString, amount);
    QFETCH(QString, account);
    QFETCH(bool, alipaySeen);
    QFETCH(QString, status);
    TestProgram p;
    BillImport import(p.databasePath(), p.folder());
    if (alipaySeen) {
        const Preview app = import.preview(alipayWithdrawal());
        QCOMPARE(app.rows.first().state, RowState::Skipped);
        import.write(QStringLiteral("alipay.csv"), app, kAt);
        // The withdrawal became no entry, yet the books remember it.
        QCOMPARE(count(p, "select count(*) from importseen where salaryid is null"), 1);
    }
    const Preview preview = import.preview(
        icbc({icbcRow(QStringLiteral("2024-03-06"), summary, amount, {}, counterparty)}, account));
    const PreviewRow& row = only(preview);
    QCOMPARE(row.state, RowState::New);
    QCOMPARE(row.cross, status.isEmpty() ? CrossKind::None : CrossKind::OwnTransfer);
    QCOMPARE(row.ticked, status.isEmpty());
    QCOMPARE(totalsOf(preview).transfers, status.isEmpty() ? 0 : 1);
    if (status.isEmpty())
        QVERIFY2(row.status.isEmpty(), qPrintable(row.status));
    else
        QVERIFY2(row.status.startsWith(status), qPrintable(row.status));
}

// Taking back the first import forgets what it remembered: its entries' rows and the
// withdrawal that became no entry; the statement then is all new.
void TestImportAcross::takeBackForgetsWhatItRemembered() {
    TestProgram p;
    BillImport import(p.databasePath(), p.folder());
    const qint64 first = import.write(QStringLiteral("a.csv"), import.preview(alipayBill()), kAt);
    const qint64 second =
        import.write(QStringLiteral("b.csv"), import.preview(alipayWithdrawal()), kAt);
    QCOMPARE(count(p, "select count(*) from importseen"), 4);
    const BillFile bank =
        icbc({cardPaymentRow(), icbcRow(QStringLiteral("2024-03-06"), QStringLiteral("支付宝提现"),
                                        QStringLiteral("500.00"), {}, QStringLiteral("支付宝"))});
    QCOMPARE(totalsOf(import.preview(bank)).possibleDuplicates, 1);

    QCOMPARE(import.takeBack(first), 2);
    QCOMPARE(count(p, "select count(*) from importseen"), 2);
    QCOMPARE(
        p.scalar(QStringLiteral("select count(*) from importseen where batchid = %1").arg(first))
            .toInt(),
        0);
    const Preview after = import.preview(bank);
    QCOMPARE(after.rows.at(0).cross, CrossKind::None);
    QVERIFY(after.rows.at(0).ticked);
    QVERIFY(after.rows.at(1).status.startsWith(QStringLiteral("转账：自己账户之间的转移")));

    import.takeBack(second);
    QCOMPARE(count(p, "select count(*) from importseen"), 0);
}

// An entry the user deletes in the ledger is no longer there to be seen twice.
void TestImportAcross::deletedEntryNoLongerMatches() {
    TestProgram p;
    BillImport import(p.databasePath(), p.folder());
    import.write(QStringLiteral("a.csv"), import.preview(alipayBill()), kAt);
    p.exec(QStringLiteral("delete from mysalary where money = 25"));
    QCOMPARE(count(p, "select count(*) from importentry"), 1);
    QCOMPARE(count(p, "select count(*) from importseen"), 1);
    QCOMPARE(only(import.preview(icbc({cardPaymentRow()}))).cross, CrossKind::None);
}

// Books of an earlier version get the table when opened; their ledger and records stay.
void TestImportAcross::olderBooksGetTheTable() {
    TestProgram p;
    {
        BillImport import(p.databasePath(), p.folder());
        import.write(QStringLiteral("a.csv"), import.preview(alipayBill()), kAt);
    }
    p.exec(QStringLiteral("drop trigger importseen_forget"));
    p.exec(QStringLiteral("drop table importseen"));
    BillImport import(p.databasePath(), p.folder());
    QCOMPARE(count(p, "select count(*) from sqlite_master where name in ('importseen', "
                      "'importseen_forget', 'importentry_forget')"),
             3);
    QCOMPARE(count(p, "select count(*) from mysalary"), 2);
    // Nothing was remembered of the older import: the statement's row is new.
    QCOMPARE(only(import.preview(icbc({cardPaymentRow()}))).cross, CrossKind::None);
}

// teloq-import with the Alipay bill and the statement together: the second sees the first
// (written or, in a dry run, not), adds nothing of the payment and says why on stderr.
void TestImportAcross::commandLineBothFiles_data() {
    QTest::addColumn<bool>("dryRun");
    QTest::newRow("import") << false;
    QTest::newRow("dry run") << true;
}

void TestImportAcross::commandLineBothFiles() {
    QFETCH(bool, dryRun);
    TestProgram p;
    QDir::setCurrent(p.folder());
    writeTestBill(p.folder() + QStringLiteral("/alipay.txt"), QStringLiteral("支付宝"),
                  {QStringLiteral("2024-03-10,12:00:00,支出,25.00,日用百货,某超市,牙膏,"
                                  "工商银行储蓄卡(9876),交易成功,ali1,,")});
    QFile bank(p.folder() + QStringLiteral("/icbc.csv"));
    QVERIFY(bank.open(QIODevice::WriteOnly));
    bank.write(icbcText(
        QStringLiteral("6222****9876"),
        {cardPaymentRow(), icbcRow(QStringLiteral("2024-03-12"), QStringLiteral("工资"),
                                   QStringLiteral("8000.00"), {}, QStringLiteral("某公司"))}));
    bank.close();
    QString outText, errText;
    QTextStream outStream(&outText), errStream(&errText);
    importcommand::Environment env{
        outStream,
        errStream,
        [](const QString& path, const PasswordPrompt& prompt, const StatementOptions& options) {
            return path.endsWith(QStringLiteral(".txt")) ? readTestBill(path)
                                                         : readBillFile(path, prompt, options);
        },
        nullptr,
        p.databasePath(),
        p.folder(),
        kAt};
    QStringList args{QStringLiteral("alipay.txt"), QStringLiteral("icbc.csv")};
    if (dryRun)
        args.prepend(QStringLiteral("--dry-run"));
    QCOMPARE(importcommand::run(args, env), 0);
    const QString summary = dryRun ? errText : outText;
    QVERIFY2(summary.contains(QStringLiteral("alipay.txt: 1 条新记录, 0 条重复, 0 条跳过\n")),
             qPrintable(summary));
    QVERIFY2(summary.contains(
                 QStringLiteral("icbc.csv: 1 条新记录, 0 条重复, 0 条跳过, 1 条可能重复\n")),
             qPrintable(summary));
    QVERIFY2(errText.contains(QStringLiteral("icbc.csv：第 8 行（2024-03-11 支出 25.00 元）未导入，"
                                             "可能重复：已导入 支付宝 2024-03-10 支出 25.00 元")),
             qPrintable(errText));
    if (dryRun) {
        // The rows it would add: the Alipay payment and the salary, not the payment again.
        QCOMPARE(outText.count(QStringLiteral("\r\n")), 3);
        QVERIFY(!outText.contains(QStringLiteral("2024-03-11")));
        QCOMPARE(count(p, "select count(*) from mysalary"), 0);
    } else {
        QCOMPARE(p.rows(QStringLiteral("select adddate, money from mysalary order by adddate")),
                 (QList<QStringList>{{"2024-03-10", "25"}, {"2024-03-12", "8000"}}));
    }
}

QTEST_GUILESS_MAIN(TestImportAcross)
#include "tst_importacross.moc"
