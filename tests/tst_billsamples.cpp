// The real bill files of Alipay and WeChat Pay, as the services deliver them: every sample is
// read whole, with its rows, amounts in fen, transaction numbers and stated totals.
#include "import/readbill.h"
#include "import/statedtotals.h"

#include <QDir>
#include <QTest>

using namespace bills;

namespace {

QString samplePath(const QString& name) {
    return QDir(QStringLiteral(TELOQ_IMPORT_SAMPLES)).filePath(name);
}

// "income count/cents;expense count/cents;neutral count/cents" ("-" for an unstated side),
// or "" when the file states no totals.
QString statedText(const std::optional<StatedTotals>& stated) {
    if (!stated)
        return {};
    return QStringLiteral("%1/%2;%3/%4;%5")
        .arg(stated->incomeCount)
        .arg(stated->incomeCents)
        .arg(stated->expenseCount)
        .arg(stated->expenseCents)
        .arg(stated->neutralStated
                 ? QStringLiteral("%1/%2").arg(stated->neutralCount).arg(stated->neutralCents)
                 : QStringLiteral("-"));
}

} // namespace

class TestBillSamples : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void files_data();
    void files();
    void rows_data();
    void rows();
    void incompleteSampleSaysHowFarOff();
};

void TestBillSamples::initTestCase() {
    if (!QDir(QStringLiteral(TELOQ_IMPORT_SAMPLES)).exists())
        QSKIP("The sample bills are not there (" TELOQ_IMPORT_SAMPLES "): nothing to read.");
}

void TestBillSamples::files_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("source");
    QTest::addColumn<QString>("layout");
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("firstLine");
    QTest::addColumn<int>("lastLine");
    QTest::addColumn<QString>("stated");
    const int alipay = int(Source::Alipay), weChat = int(Source::WeChat);
    QTest::newRow("alipay 2023") << "alipay-app-2023-gbk.csv" << alipay << "支付宝 CSV（2023 年起）"
                                 << 10 << 26 << 35 << "1/2850;63/1654;2/1637";
    // Its totals are masked ("x笔"): nothing to check the rows against.
    QTest::newRow("alipay 2021") << "alipay-app-2021-gbk.csv" << alipay << "支付宝 CSV（2021–2022）"
                                 << 16 << 3 << 18 << "";
    QTest::newRow("alipay web") << "alipay-web-legacy-gbk.csv" << alipay << "支付宝网页版 CSV" << 6
                                << 6 << 11 << "1/1;1/2700;-";
    QTest::newRow("wechat csv, BOM, CR LF") << "wechat-csv-utf8bom.csv" << weChat << "微信支付 CSV"
                                            << 7 << 18 << 24 << "2/141200;19/308256;0/0";
    QTest::newRow("wechat csv, re-saved dates")
        << "wechat-csv-excel-dates.csv" << weChat << "微信支付 CSV" << 7 << 18 << 24
        << "2/141200;19/308256;0/0";
    QTest::newRow("wechat csv, many kinds")
        << "wechat-csv-types-utf8.csv" << weChat << "微信支付 CSV" << 27 << 18 << 44
        << "1/35;1/2816;0/0";
    QTest::newRow("wechat xlsx 2025") << "wechat-xlsx-2025.xlsx" << weChat << "微信支付 XLSX" << 27
                                      << 18 << 44 << "1/35;1/2816;0/0";
    QTest::newRow("wechat xlsx 2026, header on row 18")
        << "wechat-xlsx-2026.xlsx" << weChat << "微信支付 XLSX" << 27 << 19 << 45
        << "1/35;1/2816;0/0";
}

void TestBillSamples::files() {
    QFETCH(QString, file);
    QFETCH(int, source);
    QFETCH(QString, layout);
    QFETCH(int, rows);
    QFETCH(int, firstLine);
    QFETCH(int, lastLine);
    QFETCH(QString, stated);
    const BillFile bill = readBillFile(samplePath(file), {});
    QCOMPARE(int(bill.source), source);
    QCOMPARE(bill.layout, layout);
    QCOMPARE(bill.unreadable.size(), 0);
    QCOMPARE(bill.rows.size(), rows);
    QCOMPARE(bill.rows.first().line, firstLine);
    QCOMPARE(bill.rows.last().line, lastLine);
    QCOMPARE(statedText(bill.stated), stated);
    for (const BillRow& row : bill.rows) {
        QVERIFY2(row.date.isValid(), qPrintable(QString::number(row.line)));
        QVERIFY(!row.transactionNo.contains(u'\t') && !row.merchantNo.contains(u'\t'));
        QVERIFY(row.transactionNo == row.transactionNo.trimmed());
    }
}

void TestBillSamples::rows_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("line");
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("time");
    QTest::addColumn<QString>("direction");
    QTest::addColumn<qint64>("cents");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("transactionNo");
    QTest::addColumn<QString>("merchantNo");
    QTest::addColumn<qint64>("refunded");
    const QString a23 = "alipay-app-2023-gbk.csv", a21 = "alipay-app-2021-gbk.csv",
                  web = "alipay-web-legacy-gbk.csv", wx = "wechat-csv-utf8bom.csv",
                  wxDates = "wechat-csv-excel-dates.csv", wxKinds = "wechat-csv-types-utf8.csv",
                  x25 = "wechat-xlsx-2025.xlsx", x26 = "wechat-xlsx-2026.xlsx";
    QTest::newRow("2023 padded cells, order numbers with TAB")
        << a23 << 26 << QDate(2023, 2, 12) << "21:32:14"
        << "支出" << qint64(4974) << "亲友代付"
        << "202302xxxxxx0011000103xxxxxx"
        << "20230xxxxxxx014741014xxxxxx" << qint64(0);
    QTest::newRow("2023 large income") << a23 << 30 << QDate(2023, 1, 18) << "10:17:29"
                                       << "收入" << qint64(22222850) << "转账红包"
                                       << "2xxxxxxxxxxxxxxxxxxxxxxxxx9"
                                       << "" << qint64(0);
    QTest::newRow("2023 refund numbered after its original")
        << a23 << 32 << QDate(2023, 1, 9) << "18:22:28"
        << "不计收支" << qint64(5000) << "退款"
        << "2023xxxxx88_2023xx57"
        << "D12*****14" << qint64(0);
    QTest::newRow("2021 first row") << a21 << 3 << QDate(2021, 6, 14) << "14:00:38"
                                    << "支出" << qint64(651) << "互助保障"
                                    << "123456"
                                    << "ABC9876" << qint64(0);
    QTest::newRow("2021 neutral 其他") << a21 << 4 << QDate(2021, 6, 1) << "00:13:56"
                                       << "其他" << qint64(10990) << "退款"
                                       << "123456"
                                       << "ABC9876" << qint64(0);
    QTest::newRow("2021 long numbers")
        << a21 << 15 << QDate(2021, 12, 11) << "16:53:51"
        << "支出" << qint64(3100) << "餐饮美食"
        << "2021121122001468815736847417"
        << "322017092208872157020004030330000032112115225418" << qint64(0);
    QTest::newRow("web row") << web << 6 << QDate(2019, 9, 30) << "13:11:25"
                             << "支出" << qint64(2700) << "即时到账交易"
                             << "123456"
                             << "S123456" << qint64(0);
    QTest::newRow("web refund: direction from 资金状态")
        << web << 8 << QDate(2021, 2, 6) << "14:53:31"
        << "收入" << qint64(272542) << "即时到账交易"
        << "987654_321"
        << "S123456" << qint64(0);
    QTest::newRow("web partly refunded original") << web << 9 << QDate(2021, 2, 6) << "10:01:39"
                                                  << "支出" << qint64(300000) << "即时到账交易"
                                                  << "987654"
                                                  << "S123456" << qint64(272542);
    QTest::newRow("web closed, refunded whole") << web << 11 << QDate(2020, 11, 1) << "19:04:41"
                                                << "支出" << qint64(8300) << "支付宝担保交易"
                                                << "202011"
                                                << "T200P133899" << qint64(8300);
    QTest::newRow("wechat quoted numbers with TAB")
        << wx << 18 << QDate(2023, 8, 30) << "20:46:40"
        << "支出" << qint64(2000) << "扫二维码付款"
        << "100004990120090600090332461714765274"
        << "10000499012020090601675155552564" << qint64(0);
    QTest::newRow("wechat placeholder kept") << wx << 20 << QDate(2023, 8, 30) << "20:46:42"
                                             << "收入" << qint64(67000) << "二维码收款"
                                             << "10000499012020090500751007550211"
                                             << "/" << qint64(0);
    QTest::newRow("wechat refund status") << wx << 24 << QDate(2024, 8, 30) << "21:46:45"
                                          << "收入" << qint64(74200) << "同程旅行-退款"
                                          << "50300605572020090402502430637"
                                          << "" << qint64(74200);
    QTest::newRow("wechat re-saved date without seconds")
        << wxDates << 18 << QDate(2020, 9, 6) << "16:59"
        << "支出" << qint64(2000) << "扫二维码付款"
        << "100004990120090600090332461714765274"
        << "10000499012020090601675155552564" << qint64(0);
    QTest::newRow("wechat quoted cell, TAB after the quote")
        << wxKinds << 18 << QDate(2019, 9, 26) << "12:45:27"
        << "支出" << qint64(2816) << "商户消费"
        << "3985734"
        << "129847129" << qint64(0);
    QTest::newRow("wechat neutral withdrawal") << wxKinds << 24 << QDate(2021, 7, 15) << "16:29:37"
                                               << "/" << qint64(10010) << "零钱提现"
                                               << "207210715100077148235523883175"
                                               << "/" << qint64(0);
    QTest::newRow("wechat one decimal") << wxKinds << 42 << QDate(2023, 7, 9) << "13:30:22"
                                        << "支出" << qint64(5000) << "商户消费"
                                        << "123456"
                                        << "654321" << qint64(0);
    QTest::newRow("wechat unknown kind") << wxKinds << 44 << QDate(2024, 6, 7) << "23:40:27"
                                         << "支出" << qint64(1) << "deg-不认识的-txType"
                                         << "4200002168202406076349888061"
                                         << "156823045120240607AQEQJ8ZY4P" << qint64(0);
    QTest::newRow("xlsx 2025 text amount") << x25 << 27 << QDate(2017, 10, 20) << "18:36:44"
                                           << "/" << qint64(54858) << "信用卡还款"
                                           << "4200000069201710299246843141"
                                           << "1000019741201710201961089024" << qint64(0);
    QTest::newRow("xlsx 2026 number 548.58000000000004")
        << x26 << 28 << QDate(2017, 10, 20) << "18:36:44"
        << "/" << qint64(54858) << "信用卡还款"
        << "4200000069201710299246843141"
        << "1000019741201710201961089024" << qint64(0);
    QTest::newRow("xlsx 2026 number 7.0000000000000007E-2")
        << x26 << 38 << QDate(2021, 7, 18) << "10:48:09"
        << "收入" << qint64(7) << "商户消费"
        << "160572459521071810106004542906137497131422937"
        << "10101265586742107189275763431048" << qint64(0);
    QTest::newRow("xlsx 2026 whole number") << x26 << 21 << QDate(2021, 1, 17) << "18:03:35"
                                            << "支出" << qint64(1200) << "扫二维码付款"
                                            << "3985734"
                                            << "129847129" << qint64(0);
}

void TestBillSamples::rows() {
    QFETCH(QString, file);
    QFETCH(int, line);
    QFETCH(QDate, date);
    QFETCH(QString, time);
    QFETCH(QString, direction);
    QFETCH(qint64, cents);
    QFETCH(QString, kind);
    QFETCH(QString, transactionNo);
    QFETCH(QString, merchantNo);
    QFETCH(qint64, refunded);
    const BillFile bill = readBillFile(samplePath(file), {});
    const auto row = std::find_if(bill.rows.cbegin(), bill.rows.cend(),
                                  [&](const BillRow& r) { return r.line == line; });
    QVERIFY2(row != bill.rows.cend(), "no row read from that line");
    QCOMPARE(row->date, date);
    QCOMPARE(row->time, time);
    QCOMPARE(row->direction, direction);
    QCOMPARE(row->cents, cents);
    QCOMPARE(row->kind, kind);
    QCOMPARE(row->transactionNo, transactionNo);
    QCOMPARE(row->merchantNo, merchantNo);
    QCOMPARE(row->refundedCents, refunded);
}

void TestBillSamples::incompleteSampleSaysHowFarOff() {
    // The sample keeps 7 of its 21 rows: the income it states is all there, 14 expenditures
    // are missing.
    const BillFile bill = readBillFile(samplePath(QStringLiteral("wechat-csv-utf8bom.csv")), {});
    const auto problem = statedTotalsProblem(bill);
    QVERIFY(problem);
    QCOMPARE(*problem, QStringLiteral("文件未完整读取：支出应为 19 笔 3082.56 元，读到 5 笔 "
                                      "621.88 元（少 14 笔、少 2460.68 元）"));
}

QTEST_GUILESS_MAIN(TestBillSamples)
#include "tst_billsamples.moc"
