// The bank statement readers: ICBC CSV, CCB .xls, OFX and QIF, on the real samples and on
// files written here for each rule.
#include "import/bankstatement.h"
#include "import/ccbstatement.h"
#include "import/fingerprint.h"
#include "import/icbcstatement.h"
#include "import/ofxstatement.h"
#include "import/qifstatement.h"
#include "platform/apperror.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QTest>

using namespace bills;

namespace {

QByteArray sample(const QString& name) {
    const QString path = QStringLiteral(TELOQ_IMPORT_SAMPLES "/") + name;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

bool haveSamples() {
    return QDir(QStringLiteral(TELOQ_IMPORT_SAMPLES)).exists();
}

#define NEED_SAMPLES()                                                                             \
    if (!haveSamples())                                                                            \
    QSKIP("the sample folder " TELOQ_IMPORT_SAMPLES " is absent")

BillFile statement(const QString& name, const QByteArray& bytes,
                   DateOrder order = DateOrder::Unknown) {
    StatementOptions options;
    options.dateOrder = order;
    const auto file = readBankStatement(name, bytes, options);
    if (!file)
        qFatal("%s was not read as a statement", qPrintable(name));
    return *file;
}

qint64 sum(const BillFile& f, const QString& direction) {
    qint64 s = 0;
    for (const BillRow& r : f.rows)
        if (r.direction == direction)
            s += r.cents;
    return s;
}

int count(const BillFile& f, const QString& direction) {
    int n = 0;
    for (const BillRow& r : f.rows)
        n += r.direction == direction;
    return n;
}

// An ICBC statement: its six preamble lines, `header`, and `rows` as written.
QByteArray icbcFile(const QString& header, const QStringList& rows, const QString& footer = {}) {
    QString text = QStringLiteral("明细查询文件下载\n\n卡号: 6222****4321,\"卡别名: \"\n\n"
                                  "子账户类别: 活期,\"子账户别名: \"\n\n");
    text += header + u'\n';
    for (const QString& r : rows)
        text += r + u'\n';
    text += QStringLiteral(" \n");
    if (!footer.isEmpty())
        text += footer + u'\n';
    return text.toUtf8();
}

const QString icbcDebitHeader = QStringLiteral(
    "交易日期,摘要,交易场所,交易国家或地区简称,钞/汇,交易金额(收入),交易金额(支出),交易币种,"
    "记账金额(收入),记账金额(支出),记账币种,余额,对方户名");
const QString icbcDebit2024Header = QStringLiteral(
    "交易日期,摘要,交易详情,交易场所,交易国家或地区简称,钞/汇,交易金额(收入),交易金额(支出),"
    "交易币种,记账金额(收入),记账金额(支出),记账币种,余额,对方户名,对方账户");
const QString icbcCreditHeader = QStringLiteral(
    "交易日期,记账日期,摘要,交易场所,交易国家或地区简称,交易金额(收入),交易金额(支出),交易币种,"
    "记账金额(收入),记账金额(支出),记账币种,余额,对方户名");

// A debit row in the 13-column layout: cells padded with blanks and a TAB, "-" in the
// trade-amount cells, the amount in the posted columns.
QString icbcDebitRow(const QString& date, const QString& summary, const QString& in,
                     const QString& out, const QString& balance, const QString& counterparty) {
    auto pad = [](const QString& s) { return QStringLiteral("\"%1      \t\"").arg(s); };
    return QStringList{date + QStringLiteral("     \t"),
                       pad(summary),
                       pad(QStringLiteral("某商户")),
                       pad(QStringLiteral("CHN")),
                       QStringLiteral("钞   \t"),
                       pad(QStringLiteral("-")),
                       pad(QStringLiteral("-")),
                       QStringLiteral("-    \t"),
                       pad(in),
                       pad(out),
                       QStringLiteral("人民币  \t"),
                       pad(balance),
                       pad(counterparty)}
        .join(u',');
}

const char* ofxSgml = R"(OFXHEADER:100
DATA:OFXSGML
VERSION:102
SECURITY:NONE
ENCODING:USASCII
CHARSET:1252
COMPRESSION:NONE
OLDFILEUID:NONE
NEWFILEUID:NONE

<OFX>
<SIGNONMSGSRSV1><SONRS><STATUS><CODE>0<SEVERITY>INFO</STATUS>
<DTSERVER>20240301120000<LANGUAGE>ENG</SONRS></SIGNONMSGSRSV1>
<BANKMSGSRSV1><STMTTRNRS><TRNUID>1<STATUS><CODE>0<SEVERITY>INFO</STATUS>
<STMTRS><CURDEF>CNY
<BANKACCTFROM><BANKID>102<ACCTID>6222000011112222<ACCTTYPE>CHECKING</BANKACCTFROM>
<BANKTRANLIST><DTSTART>20240201<DTEND>20240229
<STMTTRN><TRNTYPE>CREDIT<DTPOSTED>20240205120000<TRNAMT>8530.00<FITID>A-1<NAME>Salary<MEMO>February</STMTTRN>
<STMTTRN><TRNTYPE>DEBIT<DTPOSTED>20240210063000.000[+8:CST]<TRNAMT>-0.30<FITID>A-2<NAME>Bakery</STMTTRN>
<STMTTRN><TRNTYPE>DEBIT<DTPOSTED>20240229120000<TRNAMT>-1234.56<FITID>A-3<NAME>Rent<MEMO>March rent</STMTTRN>
</BANKTRANLIST>
<LEDGERBAL><BALAMT>7295.14<DTASOF>20240229</LEDGERBAL>
</STMTRS></STMTTRNRS></BANKMSGSRSV1>
</OFX>
)";

const char* ofxXml = R"(<?xml version="1.0" encoding="UTF-8"?>
<?OFX OFXHEADER="200" VERSION="220" SECURITY="NONE" OLDFILEUID="NONE" NEWFILEUID="NONE"?>
<OFX>
<SIGNONMSGSRSV1><SONRS><STATUS><CODE>0</CODE><SEVERITY>INFO</SEVERITY></STATUS>
<DTSERVER>20240301</DTSERVER><LANGUAGE>ENG</LANGUAGE></SONRS></SIGNONMSGSRSV1>
<CREDITCARDMSGSRSV1><CCSTMTTRNRS><TRNUID>1</TRNUID><STATUS><CODE>0</CODE><SEVERITY>INFO</SEVERITY></STATUS>
<CCSTMTRS><CURDEF>CNY</CURDEF><CCACCTFROM><ACCTID>4392000099998888</ACCTID></CCACCTFROM>
<BANKTRANLIST><DTSTART>20240201</DTSTART><DTEND>20240229</DTEND>
<STMTTRN><TRNTYPE>DEBIT</TRNTYPE><DTPOSTED>20240203</DTPOSTED><TRNAMT>-99.99</TRNAMT><FITID>X1</FITID><NAME>Books</NAME><MEMO>Two books</MEMO></STMTTRN>
<STMTTRN><TRNTYPE>CREDIT</TRNTYPE><DTPOSTED>20240220</DTPOSTED><TRNAMT>+20.10</TRNAMT><FITID>X2</FITID><NAME>Refund</NAME></STMTTRN>
</BANKTRANLIST></CCSTMTRS></CCSTMTTRNRS></CREDITCARDMSGSRSV1>
</OFX>
)";

} // namespace

class TestBankReaders : public QObject {
    Q_OBJECT
private slots:
    void icbcSamples_data();
    void icbcSamples();
    void icbcLayouts_data();
    void icbcLayouts();
    void icbcRows();
    void icbcUnreadable();
    void ccbSample();
    void ccbNumberCells_data();
    void ccbNumberCells();
    void ccbDamaged();
    void ofxSamples();
    void ofxSignedAmounts_data();
    void ofxSignedAmounts();
    void ofxDamaged();
    void qifSamples();
    void qifSplits();
    void qifDateOrders_data();
    void qifDateOrders();
    void qifUndecided();
    void qifContradiction();
    void qifYears_data();
    void qifYears();
    void qifUnreadableRecords();
    void emptyStatement_data();
    void emptyStatement();
    void notAStatement_data();
    void notAStatement();
    void reReadGivesSameFingerprints();
};

void TestBankReaders::icbcSamples_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("layout");
    QTest::addColumn<QString>("account");
    QTest::addColumn<int>("incomes");
    QTest::addColumn<qint64>("income");
    QTest::addColumn<int>("expenses");
    QTest::addColumn<qint64>("expense");
    QTest::newRow("debit") << "icbc-debit-v1.csv"
                           << "debit"
                           << "1234****9876" << 5 << qint64(284174) << 6 << qint64(424108);
    QTest::newRow("debit since 2024")
        << "icbc-debit-v2.csv"
        << "debit-2024"
        << "1234****9876" << 5 << qint64(284174) << 6 << qint64(424108);
    QTest::newRow("credit") << "icbc-credit.csv"
                            << "credit"
                            << "1234****5678" << 1 << qint64(462101) << 8 << qint64(36313);
}

void TestBankReaders::icbcSamples() {
    NEED_SAMPLES();
    QFETCH(QString, name);
    const BillFile f = statement(name, sample(name));
    QCOMPARE(f.source, Source::Icbc);
    QTEST(f.layout, "layout");
    QTEST(f.account, "account");
    QVERIFY2(f.unreadable.isEmpty(), qPrintable(f.unreadable.value(0).why));
    QTEST(count(f, QStringLiteral("收入")), "incomes");
    QTEST(sum(f, QStringLiteral("收入")), "income");
    QTEST(count(f, QStringLiteral("支出")), "expenses");
    QTEST(sum(f, QStringLiteral("支出")), "expense");
    for (const BillRow& r : f.rows)
        QVERIFY(isFingerprint(r.transactionNo));
}

// The three layouts are told apart by their headers, and each reads its amount columns.
void TestBankReaders::icbcLayouts_data() {
    QTest::addColumn<QString>("header");
    QTest::addColumn<QString>("row");
    QTest::addColumn<QString>("layout");
    QTest::newRow("debit") << icbcDebitHeader
                           << icbcDebitRow("2024-03-02", "工资", "12,345.67", "", "20,000.00",
                                           "某公司")
                           << "debit";
    QTest::newRow("debit since 2024")
        << icbcDebit2024Header
        << QStringLiteral("2024-03-02 \t,工资,代发工资,某地,CHN,钞,-,-,-,\"12,345.67 \t\",,人民币,"
                          "\"20,000.00\",某公司,6222****0001")
        << "debit-2024";
    QTest::newRow("credit") << icbcCreditHeader
                            << QStringLiteral(
                                   "2024-03-01,2024-03-02,还款,,CHN,\"12,345.67\",,人民币,"
                                   "\"12,345.67\",,人民币,\"20,000.00\",某公司")
                            << "credit";
}

void TestBankReaders::icbcLayouts() {
    QFETCH(QString, header);
    QFETCH(QString, row);
    const BillFile f = statement(QStringLiteral("a.csv"), icbcFile(header, {row}));
    QTEST(f.layout, "layout");
    QCOMPARE(f.account, QStringLiteral("6222****4321"));
    QCOMPARE(f.rows.size(), 1);
    const BillRow& r = f.rows.first();
    QCOMPARE(r.date, QDate(2024, 3, 2).addDays(f.layout == u"credit" ? -1 : 0));
    QCOMPARE(r.direction, QStringLiteral("收入"));
    QCOMPARE(r.cents, qint64(1234567));
    QCOMPARE(r.balance, QStringLiteral("20,000.00"));
    QCOMPARE(r.counterparty, QStringLiteral("某公司"));
}

// Income and expenditure come from separate columns; "-" cells count as empty; the total
// line ends the rows, whatever follows it.
void TestBankReaders::icbcRows() {
    const QByteArray bytes =
        icbcFile(icbcDebitHeader,
                 {icbcDebitRow("2024-03-05", "消费", "", "1,002.30", "18,997.70", "财付通-某店"),
                  icbcDebitRow("2024-03-04", "他行汇入", "0.10", "-", "20,000.00", "张三")},
                 QStringLiteral("人民币合计,,,,,,,,\"0.10\",\"1,002.30\"\n"
                                "2024-03-01,消费,,,,,,,,9.99,人民币,1.00,x"));
    const BillFile f = statement(QStringLiteral("a.csv"), bytes);
    QCOMPARE(f.rows.size(), 2);
    QVERIFY(f.unreadable.isEmpty());
    QCOMPARE(f.rows.at(0).direction, QStringLiteral("支出"));
    QCOMPARE(f.rows.at(0).cents, qint64(100230));
    QCOMPARE(f.rows.at(0).kind, QStringLiteral("消费"));
    QCOMPARE(f.rows.at(0).counterparty, QStringLiteral("财付通-某店"));
    QCOMPARE(f.rows.at(0).goods, QStringLiteral("某商户"));
    QCOMPARE(f.rows.at(0).line, 8);
    QCOMPARE(f.rows.at(1).direction, QStringLiteral("收入"));
    QCOMPARE(f.rows.at(1).cents, qint64(10));
}

// Rows that cannot be read are listed with their line and reason; the rest still read.
void TestBankReaders::icbcUnreadable() {
    const QByteArray bytes =
        icbcFile(icbcDebitHeader, {icbcDebitRow("2024-03-05", "消费", "", "12.00", "1.00", "a"),
                                   icbcDebitRow("2024-13-05", "消费", "", "12.00", "1.00", "b"),
                                   icbcDebitRow("2024-03-06", "消费", "5.00", "12.00", "1.00", "c"),
                                   icbcDebitRow("2024-03-07", "消费", "", "12.005", "1.00", "d"),
                                   icbcDebitRow("2024-03-08", "消费", "", "", "1.00", "e")});
    const BillFile f = statement(QStringLiteral("a.csv"), bytes);
    QCOMPARE(f.rows.size(), 1);
    QCOMPARE(f.unreadable.size(), 4);
    QCOMPARE(f.unreadable.at(0).line, 9);
    QVERIFY(f.unreadable.at(0).why.contains(QStringLiteral("日期")));
    QVERIFY(f.unreadable.at(1).why.contains(QStringLiteral("都有")));
    QVERIFY(f.unreadable.at(2).why.contains(QStringLiteral("金额")));
    QVERIFY(f.unreadable.at(3).why.contains(QStringLiteral("没有金额")));
}

void TestBankReaders::ccbSample() {
    NEED_SAMPLES();
    const BillFile f =
        statement(QStringLiteral("ccb-debit.xls"), sample(QStringLiteral("ccb-debit.xls")));
    QCOMPARE(f.source, Source::Ccb);
    QCOMPARE(f.account, QStringLiteral("xxxxx*********xxxx"));
    QVERIFY(f.unreadable.isEmpty()); // the footer note is no row
    QCOMPARE(f.rows.size(), 6);
    const BillRow& first = f.rows.first();
    QCOMPARE(first.date, QDate(2025, 1, 1));
    QCOMPARE(first.time, QStringLiteral("18:53:19"));
    QCOMPARE(first.direction, QStringLiteral("支出"));
    QCOMPARE(first.cents, qint64(6700));
    QCOMPARE(first.balance, QStringLiteral("2176.91"));
    QCOMPARE(first.kind, QStringLiteral("消费"));
    QCOMPARE(first.counterparty, QStringLiteral("中***融科技有限公司"));
    QCOMPARE(first.goods, QStringLiteral("支付宝-支付宝外部商户-中移动金融科技有限公司"));
    // Number cells such as 16.780000000000001 and 515.01999999999998 are exact fen.
    QCOMPARE(f.rows.at(1).cents, qint64(1678));
    QCOMPARE(f.rows.at(3).cents, qint64(51502));
    QCOMPARE(f.rows.at(5).cents, qint64(6640));
    QCOMPARE(sum(f, QStringLiteral("支出")), qint64(6700 + 1678 + 2000 + 51502 + 1806 + 6640));
    QCOMPARE(f.rows.at(5).balance, QStringLiteral("1494.65"));
}

void TestBankReaders::ccbNumberCells_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<qint64>("cents");
    QTest::newRow("binary below") << 16.780000000000001 << qint64(1678);
    QTest::newRow("binary below, large") << 515.01999999999998 << qint64(51502);
    QTest::newRow("sum of tenths") << 0.1 + 0.2 << qint64(30);
    QTest::newRow("whole") << 67.0 << qint64(6700);
    QTest::newRow("zero") << 0.0 << qint64(0);
    QTest::newRow("negative") << -2140.13 << qint64(-214013);
    QTest::newRow("millions") << 12345678.91 << qint64(1234567891);
}

void TestBankReaders::ccbNumberCells() {
    QFETCH(double, value);
    QTEST(centsOfNumber(value), "cents");
}

// A workbook cut short or an Office file that is no workbook gives a clear error.
void TestBankReaders::ccbDamaged() {
    QByteArray bytes("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
    bytes += QByteArray(600, 'x');
    try {
        readBankStatement(QStringLiteral("bad.xls"), bytes, {});
        QFAIL("a damaged workbook was read");
    } catch (const AppError& e) {
        QVERIFY2(e.text().contains(QStringLiteral("bad.xls")), qPrintable(e.text()));
    }
    if (haveSamples()) {
        const QByteArray whole = sample(QStringLiteral("ccb-debit.xls"));
        try {
            const auto f =
                readBankStatement(QStringLiteral("cut.xls"), whole.left(whole.size() / 3), {});
            QVERIFY(!f || f->rows.size() < 6);
        } catch (const AppError&) {
        }
    }
}

void TestBankReaders::ofxSamples() {
    NEED_SAMPLES();
    const BillFile sgml =
        statement(QStringLiteral("c.ofx"), sample(QStringLiteral("ofx-102-sgml-checking.ofx")));
    QCOMPARE(sgml.source, Source::Ofx);
    QCOMPARE(sgml.account, QStringLiteral("1452687~7"));
    QCOMPARE(sgml.rows.size(), 3);
    QCOMPARE(sgml.rows.at(0).date, QDate(2011, 3, 31));
    QCOMPARE(sgml.rows.at(0).direction, QStringLiteral("收入"));
    QCOMPARE(sgml.rows.at(0).cents, qint64(1));
    QCOMPARE(sgml.rows.at(0).transactionNo, QStringLiteral("0000486"));
    QCOMPARE(sgml.rows.at(0).counterparty, QStringLiteral("DIVIDEND EARNED FOR PERIOD OF 03"));
    QVERIFY(sgml.rows.at(0).goods.startsWith(
        QStringLiteral("DIVIDEND EARNED FOR PERIOD OF 03/01/2011")));
    QCOMPARE(sgml.rows.at(1).direction, QStringLiteral("支出"));
    QCOMPARE(sgml.rows.at(1).cents, qint64(3451));
    QCOMPARE(sgml.rows.at(2).kind, QStringLiteral("CHECK"));
    QCOMPARE(sgml.rows.at(2).cents, qint64(2500));

    const BillFile xml =
        statement(QStringLiteral("s.ofx"), sample(QStringLiteral("ofx-200-xml-suncorp.ofx")));
    QCOMPARE(xml.rows.size(), 1);
    QCOMPARE(xml.rows.at(0).date, QDate(2013, 12, 15));
    QCOMPARE(xml.rows.at(0).direction, QStringLiteral("支出"));
    QCOMPARE(xml.rows.at(0).cents, qint64(1685));
    QCOMPARE(xml.rows.at(0).transactionNo, QStringLiteral("1"));
    QCOMPARE(xml.rows.at(0).counterparty, QStringLiteral("EFTPOS WDL HANDYWAY ALDI STORE"));
}

void TestBankReaders::ofxSignedAmounts_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("account");
    QTest::addColumn<QStringList>("directions");
    QTest::addColumn<QList<qint64>>("cents");
    QTest::addColumn<QStringList>("numbers");
    QTest::addColumn<QList<QDate>>("dates");
    QTest::newRow("SGML") << QByteArray(ofxSgml) << "6222000011112222"
                          << QStringList{"收入", "支出", "支出"}
                          << QList<qint64>{853000, 30, 123456} << QStringList{"A-1", "A-2", "A-3"}
                          << QList<QDate>{{2024, 2, 5}, {2024, 2, 10}, {2024, 2, 29}};
    QTest::newRow("XML") << QByteArray(ofxXml) << "4392000099998888" << QStringList{"支出", "收入"}
                         << QList<qint64>{9999, 2010} << QStringList{"X1", "X2"}
                         << QList<QDate>{{2024, 2, 3}, {2024, 2, 20}};
}

void TestBankReaders::ofxSignedAmounts() {
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, directions);
    QFETCH(QList<qint64>, cents);
    QFETCH(QStringList, numbers);
    QFETCH(QList<QDate>, dates);
    const BillFile f = statement(QStringLiteral("a.ofx"), bytes);
    QTEST(f.account, "account");
    QCOMPARE(f.rows.size(), directions.size());
    for (int i = 0; i < f.rows.size(); ++i) {
        QCOMPARE(f.rows.at(i).direction, directions.at(i));
        QCOMPARE(f.rows.at(i).cents, cents.at(i));
        QCOMPARE(f.rows.at(i).transactionNo, numbers.at(i));
        QCOMPARE(f.rows.at(i).date, dates.at(i));
    }
    QCOMPARE(f.rows.first().goods.isEmpty(), false);
}

void TestBankReaders::ofxDamaged() {
    QVERIFY_THROWS_EXCEPTION(AppError,
                             readBankStatement(QStringLiteral("x.ofx"),
                                               "OFXHEADER:100\nDATA:OFXSGML\n\n<OFX><garbage", {}));
}

void TestBankReaders::qifSamples() {
    NEED_SAMPLES();
    const BillFile us =
        statement(QStringLiteral("a.qif"), sample(QStringLiteral("qif-bank-us-dates.qif")));
    QCOMPARE(us.source, Source::Qif);
    QVERIFY(us.unreadable.isEmpty());
    QCOMPARE(us.rows.size(), 11); // the investment and list sections hold no rows
    QCOMPARE(us.rows.at(0).date, QDate(2020, 2, 10));
    QVERIFY(us.rows.at(0).transfer);
    QCOMPARE(us.rows.at(1).date, QDate(2020, 2, 14));
    QCOMPARE(us.rows.at(1).direction, QStringLiteral("支出"));
    QCOMPARE(us.rows.at(1).cents, qint64(1500));
    QCOMPARE(us.rows.at(1).goods, QStringLiteral("sign up credit"));
    QCOMPARE(us.rows.at(1).category, QStringLiteral("Bills:Cell Phone"));
    QCOMPARE(us.rows.at(2).direction, QStringLiteral("收入"));
    QCOMPARE(us.rows.at(2).cents, qint64(8250));
    QCOMPARE(us.rows.at(3).category, QStringLiteral("Miscellaneous"));
    QCOMPARE(us.rows.at(6).counterparty, QStringLiteral("Walmart"));
    QCOMPARE(us.rows.at(6).note, QStringLiteral("123"));
    QCOMPARE(us.rows.at(10).category, QStringLiteral("Healthcare:Prescriptions"));
    QCOMPARE(us.rows.at(10).date, QDate(2020, 2, 10)); // the split's own D line changes nothing

    const BillFile dmy =
        statement(QStringLiteral("b.qif"), sample(QStringLiteral("qif-cash-dmy-dates.qif")));
    QCOMPARE(dmy.rows.size(), 4);
    QCOMPARE(dmy.rows.at(0).date, QDate(2013, 10, 23));
    QCOMPARE(dmy.rows.at(0).category, QStringLiteral("food:lunch"));
    QCOMPARE(dmy.rows.at(1).date, QDate(2013, 10, 11));
    QVERIFY(dmy.rows.at(1).transfer);
    QCOMPARE(dmy.rows.at(1).category, QStringLiteral("[My Cc]"));
    QVERIFY(dmy.rows.at(2).transfer);
    QCOMPARE(dmy.rows.at(2).cents, qint64(3100));
    QVERIFY(!dmy.rows.at(3).transfer);
    QCOMPARE(dmy.rows.at(3).cents, qint64(1700));
}

// Splits become one row each, with their own category, memo and sign; splits that do not add
// up to the total leave the record unread rather than wrong.
void TestBankReaders::qifSplits() {
    const QByteArray qif = "!Type:CCard\n"
                           "D03/25/2024\nT-100.00\nPShop\nMWeekly\nLFood\n"
                           "SFood:Groceries\nEMilk\n$-60.50\n"
                           "SHousehold:Cleaning/Home\n$-40.00\n"
                           "S[Savings]\n$0.50\n^\n"
                           "D03/26/2024\nT-10.00\nSFood\n$-6.00\nSFood\n$-3.00\n^\n";
    const BillFile f = readQif(QString::fromUtf8(qif), DateOrder::Unknown);
    QCOMPARE(f.rows.size(), 3);
    QCOMPARE(f.rows.at(0).category, QStringLiteral("Food:Groceries"));
    QCOMPARE(f.rows.at(0).goods, QStringLiteral("Milk"));
    QCOMPARE(f.rows.at(0).cents, qint64(6050));
    QCOMPARE(f.rows.at(1).category, QStringLiteral("Household:Cleaning"));
    QCOMPARE(f.rows.at(1).goods, QStringLiteral("Weekly"));
    QCOMPARE(f.rows.at(2).direction, QStringLiteral("收入"));
    QVERIFY(f.rows.at(2).transfer);
    for (const BillRow& r : f.rows) {
        QCOMPARE(r.counterparty, QStringLiteral("Shop"));
        QCOMPARE(r.date, QDate(2024, 3, 25));
        QCOMPARE(r.line, 2);
    }
    QCOMPARE(f.unreadable.size(), 1);
    QCOMPARE(f.unreadable.at(0).line, 15);
    QVERIFY(f.unreadable.at(0).why.contains(QStringLiteral("-9.00")));
}

// One date over 12 decides the order of the whole file, wherever it stands.
void TestBankReaders::qifDateOrders_data() {
    QTest::addColumn<QString>("dates");
    QTest::addColumn<QList<QDate>>("expected");
    QTest::newRow("day first, decided late")
        << "01/02/2013;05/06/2013;23/10/2013"
        << QList<QDate>{{2013, 2, 1}, {2013, 6, 5}, {2013, 10, 23}};
    QTest::newRow("month first, apostrophe years")
        << "2/1'2020;2/14'2020" << QList<QDate>{{2020, 2, 1}, {2020, 2, 14}};
    QTest::newRow("month first, blanks")
        << "1/ 1'00;12/31'99;1/13/2000"
        << QList<QDate>{{2000, 1, 1}, {2099, 12, 31}, {2000, 1, 13}};
    QTest::newRow("year first needs no order")
        << "2024-03-04;2024-03-05" << QList<QDate>{{2024, 3, 4}, {2024, 3, 5}};
    QTest::newRow("same day and month either way")
        << "3/3/2024;12/12/2024" << QList<QDate>{{2024, 3, 3}, {2024, 12, 12}};
}

QByteArray qifWithDates(const QStringList& dates) {
    QByteArray qif = "!Type:Bank\n";
    for (const QString& d : dates)
        qif += "D" + d.toUtf8() + "\nT-1.00\nPX\n^\n";
    return qif;
}

void TestBankReaders::qifDateOrders() {
    QFETCH(QString, dates);
    QFETCH(QList<QDate>, expected);
    const BillFile f = statement(QStringLiteral("a.qif"), qifWithDates(dates.split(u';')));
    QCOMPARE(f.unreadable.size(), 0);
    QList<QDate> read;
    for (const BillRow& r : f.rows)
        read << r.date;
    QCOMPARE(read, expected);
}

// A file whose dates could be either order asks the caller, and reads as told.
void TestBankReaders::qifUndecided() {
    const QByteArray qif = qifWithDates({QStringLiteral("01/02/2013"), QStringLiteral("05/06'13")});
    QVERIFY_THROWS_EXCEPTION(DateOrderUndecided,
                             readBankStatement(QStringLiteral("a.qif"), qif, {}));
    const BillFile dayFirst = statement(QStringLiteral("a.qif"), qif, DateOrder::DayFirst);
    QCOMPARE(dayFirst.rows.at(0).date, QDate(2013, 2, 1));
    QCOMPARE(dayFirst.rows.at(1).date, QDate(2013, 6, 5));
    const BillFile monthFirst = statement(QStringLiteral("a.qif"), qif, DateOrder::MonthFirst);
    QCOMPARE(monthFirst.rows.at(0).date, QDate(2013, 1, 2));
    QCOMPARE(monthFirst.rows.at(1).date, QDate(2013, 5, 6));
    // What the file shows wins over what the caller guessed.
    const BillFile shown =
        statement(QStringLiteral("a.qif"),
                  qifWithDates({QStringLiteral("01/02/2013"), QStringLiteral("1/25/2013")}),
                  DateOrder::DayFirst);
    QCOMPARE(shown.rows.at(0).date, QDate(2013, 1, 2));
}

void TestBankReaders::qifContradiction() {
    try {
        readQif(QString::fromUtf8(
                    qifWithDates({QStringLiteral("23/10/2013"), QStringLiteral("10/23/2013")})),
                DateOrder::Unknown);
        QFAIL("contradicting dates were read");
    } catch (const AppError& e) {
        QVERIFY2(e.text().contains(QStringLiteral("第 2 行")), qPrintable(e.text()));
    }
}

void TestBankReaders::qifYears_data() {
    QTest::addColumn<QString>("date");
    QTest::addColumn<QDate>("expected");
    QTest::newRow("apostrophe 00") << "1/13'00" << QDate(2000, 1, 13);
    QTest::newRow("apostrophe one digit") << "1/13' 5" << QDate(2005, 1, 13);
    QTest::newRow("apostrophe 99 is 2099") << "1/13'99" << QDate(2099, 1, 13);
    QTest::newRow("slash 68") << "1/13/68" << QDate(2068, 1, 13);
    QTest::newRow("slash 69") << "1/13/69" << QDate(1969, 1, 13);
    QTest::newRow("slash 99") << "1/13/99" << QDate(1999, 1, 13);
    QTest::newRow("four digits") << "1/13/1999" << QDate(1999, 1, 13);
    QTest::newRow("dots") << "13.1.2024" << QDate(2024, 1, 13);
}

void TestBankReaders::qifYears() {
    QFETCH(QString, date);
    const BillFile f = readQif(QString::fromUtf8(qifWithDates({date})), DateOrder::Unknown);
    QCOMPARE(f.rows.size(), 1);
    QTEST(f.rows.first().date, "expected");
}

// Every record is a row or a listed unreadable entry: a bad date, no amount, a record the
// file's end cut off.
void TestBankReaders::qifUnreadableRecords() {
    const QByteArray qif = "!Type:Bank\n"
                           "D1/5/2024\nT-1.00\n^\n"
                           "D1/32/2024\nT-1.00\n^\n"
                           "D1/6/2024\nPNo amount\n^\n"
                           "D1/7/2024\nT1,2x\n^\n"
                           "D1/8/2024\nT-4";
    const BillFile f = readQif(QString::fromUtf8(qif), DateOrder::MonthFirst);
    QCOMPARE(f.rows.size(), 1);
    QCOMPARE(f.unreadable.size(), 4);
    QCOMPARE(f.unreadable.at(0).line, 5);
    QCOMPARE(f.unreadable.at(1).why, QStringLiteral("没有金额"));
    QVERIFY(f.unreadable.at(2).why.contains(QStringLiteral("1,2x")));
    QVERIFY(f.unreadable.at(3).why.contains(QStringLiteral("不完整")));
}

// A statement of a known kind without a single row says so, naming the file.
void TestBankReaders::emptyStatement_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("ICBC") << icbcFile(icbcDebitHeader, {},
                                      QStringLiteral("人民币合计,,,,,,,,0.00,0.00"));
    QTest::newRow("QIF with lists only") << QByteArray("!Type:Cat\nNFood\n^\n");
}

void TestBankReaders::emptyStatement() {
    QFETCH(QByteArray, bytes);
    try {
        readBankStatement(QStringLiteral("empty.csv"), bytes, {});
        QFAIL("an empty statement was read");
    } catch (const AppError& e) {
        QVERIFY2(e.text().contains(QStringLiteral("empty.csv")) &&
                     e.text().contains(QStringLiteral("没有记录")),
                 qPrintable(e.text()));
    }
}

// Files of other kinds are left to the other readers.
void TestBankReaders::notAStatement_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("binary") << QByteArray("PK\x03\x04\0\0\x01\x02", 8);
    QTest::newRow("one word") << QByteArray("hello");
    const char zipOfDocument[] = "PK\x03\x04 word/document.xml";
    QTest::newRow("zip of xlsx") << QByteArray(zipOfDocument, sizeof zipOfDocument);
}

void TestBankReaders::notAStatement() {
    QFETCH(QByteArray, bytes);
    QVERIFY(!readBankStatement(QStringLiteral("x"), bytes, {}));
}

// Reading the same statement again gives the same fingerprints, all distinct, also for
// identical rows of one day.
void TestBankReaders::reReadGivesSameFingerprints() {
    const QString same = icbcDebitRow("2024-03-05", "消费", "", "12.00", "-", "便利店");
    const QByteArray bytes =
        icbcFile(icbcDebitHeader,
                 {same, same, icbcDebitRow("2024-03-06", "消费", "", "12.00", "-", "便利店")});
    const BillFile first = statement(QStringLiteral("a.csv"), bytes);
    const BillFile again = statement(QStringLiteral("a.csv"), bytes);
    QSet<QString> numbers;
    for (int i = 0; i < first.rows.size(); ++i) {
        QCOMPARE(again.rows.at(i).transactionNo, first.rows.at(i).transactionNo);
        QVERIFY(isFingerprint(first.rows.at(i).transactionNo));
        numbers << first.rows.at(i).transactionNo;
    }
    QCOMPARE(numbers.size(), 3);
    // The same rows on another card are other rows.
    QByteArray otherCard = bytes;
    otherCard.replace("6222****4321", "6222****9999");
    const BillFile other = statement(QStringLiteral("b.csv"), otherCard);
    QVERIFY(!numbers.contains(other.rows.at(0).transactionNo));
    // A later statement that overlaps keeps the fingerprints of the rows it shares.
    const BillFile later =
        statement(QStringLiteral("c.csv"),
                  icbcFile(icbcDebitHeader,
                           {icbcDebitRow("2024-03-07", "消费", "", "1.00", "-", "x"), same, same}));
    QCOMPARE(later.rows.at(1).transactionNo, first.rows.at(0).transactionNo);
    QCOMPARE(later.rows.at(2).transactionNo, first.rows.at(1).transactionNo);
    // Numbers the file has (OFX FITID) stay.
    const BillFile ofx = statement(QStringLiteral("a.ofx"), QByteArray(ofxSgml));
    QCOMPARE(ofx.rows.at(0).transactionNo, QStringLiteral("A-1"));
}

QTEST_GUILESS_MAIN(TestBankReaders)
#include "tst_bankreaders.moc"
