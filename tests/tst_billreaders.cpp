// The bill readers on small files written here, one rule each: encodings and line ends, padded
// and quoted cells, the preamble found by its header, the end of the data, dates, rows that
// cannot be read, files cut short, empty files, files that are no bill, and the totals a file
// states for itself.
#include "import/readbill.h"
#include "import/statedtotals.h"
#include "import/wechatbill.h"
#include "lists/gbk.h"
#include "platform/apperror.h"

#include <QTest>

using namespace bills;

namespace {

const QString alipayDivider =
    QStringLiteral("------------------------支付宝（中国）网络技术有限公司  电子客户回单"
                   "------------------------");
const QString alipayHeader = QStringLiteral(
    "交易时间            ,交易分类                ,交易对方                ,对方账号               "
    " "
    ",商品说明                ,收/支                 ,金额                  ,收/付款方式           "
    "   "
    ",交易状态                ,交易订单号     ,商家订单号           ,备注                  ,");

// A cell padded with blanks, as Alipay writes them.
QString padded(const QString& cell) {
    return cell.leftJustified(20, u' ');
}

// One data line of the 2023 Alipay layout: order numbers end in a TAB, the line in a comma.
QString alipayRow(const QString& time, const QString& direction, const QString& amount,
                  const QString& number, const QString& goods = QStringLiteral("午饭"),
                  const QString& status = QStringLiteral("交易成功")) {
    return QStringList{padded(time),
                       padded(QStringLiteral("餐饮美食")),
                       padded(QStringLiteral("食堂")),
                       padded(QStringLiteral("/")),
                       padded(goods),
                       padded(direction),
                       padded(amount),
                       padded(QStringLiteral("余额")),
                       padded(status),
                       number + u'\t',
                       QStringLiteral("M") + number + u'\t',
                       padded(QString()),
                       QString()}
        .join(u',');
}

// An Alipay bill of the 2023 layout: `preamble` lines before the header (24, or 23 since 2026),
// the totals among them, the rows, and `trailer` after them.
QString alipayBill(const QStringList& rows, int preamble = 24,
                   const QStringList& totals = {QStringLiteral("收入：1笔 100.00元"),
                                                QStringLiteral("支出：1笔 28.16元"),
                                                QStringLiteral("不计收支：0笔 0.00元")},
                   const QStringList& trailer = {}) {
    QStringList lines{QString(84, u'-'),
                      QStringLiteral("导出信息："),
                      QStringLiteral("姓名：张三"),
                      QStringLiteral("支付宝账户：zs@example.com"),
                      QStringLiteral("起始时间：[2023-02-01 00:00:00]    终止时间：[2023-02-28 "
                                     "23:59:59]"),
                      QStringLiteral("导出交易类型：[全部]"),
                      QStringLiteral("导出时间：[2023-03-01 09:12:52]"),
                      QStringLiteral("共%1笔记录").arg(rows.size())};
    lines << totals << QString() << QStringLiteral("特别提示：");
    for (int tip = 1; lines.size() < preamble - 1; ++tip)
        lines << QStringLiteral("%1.本回单内容可表明支付宝受理了相应支付交易申请；").arg(tip);
    lines << alipayDivider << alipayHeader << rows << trailer;
    return lines.join(u'\n') + u'\n';
}

const QString weChatHeader =
    QStringLiteral("交易时间,交易类型,交易对方,商品,收/支,金额(元),支付方式,当前状态,交易单号,"
                   "商户单号,备注");

QString weChatRow(const QString& time, const QString& direction, const QString& amount,
                  const QString& number, const QString& goods = QStringLiteral("午饭"),
                  const QString& status = QStringLiteral("支付成功")) {
    return QStringList{time,
                       QStringLiteral("商户消费"),
                       QStringLiteral("食堂"),
                       goods,
                       direction,
                       amount,
                       QStringLiteral("零钱"),
                       u'"' + status + u'"',
                       u'"' + number + QStringLiteral("\t\""),
                       QStringLiteral("\"/\t\""),
                       QStringLiteral("/")}
        .join(u',');
}

// A WeChat Pay CSV: its 16 preamble lines (totals on lines 8 to 10), the divider, the header.
QString weChatBill(const QStringList& rows,
                   const QStringList& totals = {QStringLiteral("收入：0笔 0.00元"),
                                                QStringLiteral("支出：1笔 28.16元"),
                                                QStringLiteral("中性交易：0笔 0.00元")}) {
    const QString commas(10, u',');
    QStringList lines{QStringLiteral("微信支付账单明细"),
                      QStringLiteral("微信昵称：[测试]"),
                      QStringLiteral("起始时间：[2020-08-30 00:00:00] 终止时间：[2020-09-06 "
                                     "23:09:16]"),
                      QStringLiteral("导出类型：[全部]"),
                      QStringLiteral("导出时间：[2020-09-06 23:09:27]"),
                      QString(),
                      QStringLiteral("共%1笔记录").arg(rows.size())};
    lines << totals << QStringLiteral("注：")
          << QStringLiteral("1. 充值/提现/理财通购买/零钱通存取/信用卡还款等交易，将计入中性交易")
          << QStringLiteral("2. 本明细仅展示当前账单中的交易，不包括已删除的记录")
          << QStringLiteral("3. 本明细仅供个人对账使用") << QString()
          << QStringLiteral("----------------------微信支付账单明细列表--------------------");
    for (QString& line : lines)
        line += commas;
    lines << weChatHeader << rows;
    return lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
}

QByteArray utf8Bom(const QString& text) {
    return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
}

QString errorOf(const QString& name, const QByteArray& bytes) {
    try {
        readBill(name, bytes, {});
    } catch (const AppError& e) {
        return e.text();
    }
    return {};
}

const QString someRows = alipayRow("2023-02-12 21:32:14", "支出", "28.16", "2023001");

} // namespace

class TestBillReaders : public QObject {
    Q_OBJECT
private slots:
    void encodings_data();
    void encodings();
    void headerFoundWhereverThePreambleEnds_data();
    void headerFoundWhereverThePreambleEnds();
    void paddedAndQuotedCells();
    void quotedCellWithLineBreak();
    void dashesEndTheData();
    void dates_data();
    void dates();
    void unreadableRowsListedReadableKept();
    void cutShort_data();
    void cutShort();
    void emptyBill_data();
    void emptyBill();
    void notABill_data();
    void notABill();
    void otherTablesAskForMapping_data();
    void otherTablesAskForMapping();
    void webLayoutRefunds();
    void weChatRefundStatus_data();
    void weChatRefundStatus();
    void statedTotalsForms_data();
    void statedTotalsForms();
    void statedTotalsCheck_data();
    void statedTotalsCheck();
};

void TestBillReaders::encodings_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("source");
    QTest::addColumn<QString>("counterparty");
    const QString alipay = alipayBill({someRows});
    const QString weChat = weChatBill({weChatRow("2020-09-06 16:59:01", "支出", "¥28.16", "42")});
    QTest::newRow("alipay GBK, LF") << lists::encode(alipay) << int(Source::Alipay) << "食堂";
    QString crlf = alipay;
    crlf.replace(u'\n', QStringLiteral("\r\n"));
    QTest::newRow("alipay GBK, CR LF") << lists::encode(crlf) << int(Source::Alipay) << "食堂";
    QTest::newRow("alipay UTF-8") << alipay.toUtf8() << int(Source::Alipay) << "食堂";
    QTest::newRow("wechat UTF-8 BOM, CR LF") << utf8Bom(weChat) << int(Source::WeChat) << "食堂";
    QTest::newRow("wechat UTF-8, no BOM") << weChat.toUtf8() << int(Source::WeChat) << "食堂";
    // GBK has the full-width yuan sign only.
    QTest::newRow("wechat saved as GBK")
        << lists::encode(weChatBill({weChatRow("2020-09-06 16:59:01", "支出", "￥28.16", "42")}))
        << int(Source::WeChat) << "食堂";
}

void TestBillReaders::encodings() {
    QFETCH(QByteArray, bytes);
    QFETCH(int, source);
    QFETCH(QString, counterparty);
    const BillFile bill = readBill(QStringLiteral("bill.csv"), bytes, {});
    QCOMPARE(int(bill.source), source);
    QCOMPARE(bill.rows.size(), 1);
    QCOMPARE(bill.rows.first().counterparty, counterparty);
    QCOMPARE(bill.rows.first().goods, QStringLiteral("午饭"));
    QCOMPARE(bill.rows.first().cents, qint64(2816));
    QVERIFY(!bill.rows.first().note.contains(u'\r'));
}

void TestBillReaders::headerFoundWhereverThePreambleEnds_data() {
    QTest::addColumn<int>("preamble");
    QTest::newRow("24 lines") << 24;
    QTest::newRow("23 lines, since 2026") << 23;
    QTest::newRow("a longer one") << 30;
}

void TestBillReaders::headerFoundWhereverThePreambleEnds() {
    QFETCH(int, preamble);
    QString text = alipayBill({someRows}, preamble);
    // The company in the divider changed its name in 2025: the divider decides nothing.
    text.replace(QStringLiteral("支付宝（中国）网络技术有限公司"),
                 QStringLiteral("支付宝（杭州）信息技术有限公司"));
    const BillFile bill = readBill(QStringLiteral("bill.csv"), lists::encode(text), {});
    QCOMPARE(bill.rows.size(), 1);
    QCOMPARE(bill.rows.first().line, preamble + 2);
    QCOMPARE(bill.rows.first().transactionNo, QStringLiteral("2023001"));
    QCOMPARE(bill.rows.first().merchantNo, QStringLiteral("M2023001"));
    QVERIFY(bill.stated);
    QCOMPARE(bill.stated->expenseCents, qint64(2816));
}

void TestBillReaders::paddedAndQuotedCells() {
    const QString quoted = QStringLiteral(
        "2023-02-13 08:00:00 ,日用百货 ,\"超市, 二楼\" ,/ ,\"纸巾 \"\"大包\"\"\" ,支出 ,"
        "\"1,234.50\" ,余额 ,交易成功 ,2023002\t,M2023002\t, ,");
    const BillFile bill =
        readBill(QStringLiteral("bill.csv"), lists::encode(alipayBill({someRows, quoted})), {});
    QCOMPARE(bill.unreadable.size(), 0);
    QCOMPARE(bill.rows.size(), 2);
    const BillRow& row = bill.rows.at(1);
    QCOMPARE(row.counterparty, QStringLiteral("超市, 二楼"));
    QCOMPARE(row.goods, QStringLiteral("纸巾 \"大包\""));
    QCOMPARE(row.cents, qint64(123450));
    QCOMPARE(row.kind, QStringLiteral("日用百货"));
    QCOMPARE(row.method, QStringLiteral("余额"));
    QCOMPARE(row.note, QString());
}

void TestBillReaders::quotedCellWithLineBreak() {
    const QStringList rows{weChatRow("2020-09-06 16:59:01", "支出", "¥1.00", "1",
                                     QStringLiteral("\"第一行\r\n第二行\"")),
                           weChatRow("2020-09-06 17:00:00", "支出", "¥2.00", "2")};
    const BillFile bill = readBill(QStringLiteral("bill.csv"), utf8Bom(weChatBill(rows)), {});
    QCOMPARE(bill.unreadable.size(), 0);
    QCOMPARE(bill.rows.size(), 2);
    QCOMPARE(bill.rows.at(0).goods, QStringLiteral("第一行\n第二行"));
    QCOMPARE(bill.rows.at(0).line, 18);
    QCOMPARE(bill.rows.at(1).line, 20);
    QCOMPARE(bill.rows.at(1).transactionNo, QStringLiteral("2"));
}

void TestBillReaders::dashesEndTheData() {
    const QStringList trailer{QString(84, u'-'), QStringLiteral("导出时间：[2023-03-01 09:12:52]"),
                              alipayRow("2023-02-14 10:00:00", "支出", "5.00", "2023009")};
    const BillFile bill = readBill(QStringLiteral("bill.csv"),
                                   lists::encode(alipayBill({someRows}, 24, {}, trailer)), {});
    QCOMPARE(bill.rows.size(), 1);
    QCOMPARE(bill.unreadable.size(), 0);

    // The 2021 layout states its totals after the dashes.
    const QString text =
        QStringList{
            alipayDivider,
            QStringLiteral("收/支,交易对方,对方账号,商品说明,收/付款方式,金额,交易状态,交易分类,"
                           "交易订单号,商家订单号,交易时间,"),
            QStringLiteral("支出 ,食堂 , ,午饭 ,余额 ,0.10 ,交易成功 ,餐饮美食 ,1\t,\t,2021-06-01 "
                           "12:00:00 ,"),
            QStringLiteral("其他 ,基金 , ,余额宝-单次转入 ,余额 ,0.20 ,交易成功 ,投资理财 ,2\t,\t,"
                           "2021-06-02 12:00:00 ,"),
            QString(84, u'-'),
            QStringLiteral("共2笔记录"),
            QStringLiteral("收入：0笔,0.00元"),
            QStringLiteral("支出：1笔,0.10元"),
            QStringLiteral("其他：1笔,0.20元")}
            .join(u'\n');
    const BillFile old = readBill(QStringLiteral("old.csv"), lists::encode(text), {});
    QCOMPARE(old.layout, QStringLiteral("支付宝 CSV（2021–2022）"));
    QCOMPARE(old.rows.size(), 2);
    QCOMPARE(old.rows.at(1).direction, QStringLiteral("其他"));
    QVERIFY(old.stated);
    QCOMPARE(old.stated->neutralCents, qint64(20));
    QVERIFY(!statedTotalsProblem(old));
}

void TestBillReaders::dates_data() {
    QTest::addColumn<QString>("written");
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("time");
    QTest::newRow("dashes, seconds") << "2023-02-05 09:07:05" << QDate(2023, 2, 5) << "09:07:05";
    QTest::newRow("slashes, no seconds") << "2023/2/5 9:07" << QDate(2023, 2, 5) << "9:07";
    QTest::newRow("points, spreadsheet re-save")
        << "2023.2.5 09:07" << QDate(2023, 2, 5) << "09:07";
}

void TestBillReaders::dates() {
    QFETCH(QString, written);
    QFETCH(QDate, date);
    QFETCH(QString, time);
    const BillFile bill =
        readBill(QStringLiteral("bill.csv"),
                 utf8Bom(weChatBill({weChatRow(written, "支出", "¥28.16", "1")})), {});
    QCOMPARE(bill.rows.size(), 1);
    QCOMPARE(bill.rows.first().date, date);
    QCOMPARE(bill.rows.first().time, time);
}

void TestBillReaders::unreadableRowsListedReadableKept() {
    const QStringList rows{
        someRows,                                                // line 26
        alipayRow("2023-02-30 10:00:00", "支出", "1.00", "2"),   // 27: no such day
        alipayRow("2023-02-13 10:00:00", "支出", "1.005", "3"),  // 28: past the fen
        QStringLiteral("2023-02-13 10:00:00,日用百货,超市"),     // 29: cut in the middle
        QString(),                                               // 30: blank
        alipayRow("2023-02-13 11:00:00", "收入", "100.00", "4"), // 31
        alipayRow("2023-02-13 12:00:00", "支出", "-5.00", "5"),  // 32: negative
        alipayRow("2023-02-13 13:00:00", "支出", "1.00", "6") + "多余,内容", // 33: extra cells
    };
    const BillFile bill = readBill(QStringLiteral("bill.csv"), lists::encode(alipayBill(rows)), {});
    QCOMPARE(bill.rows.size(), 2);
    QCOMPARE(bill.rows.at(0).line, 26);
    QCOMPARE(bill.rows.at(1).line, 31);
    QCOMPARE(bill.rows.at(1).cents, qint64(10000));
    QCOMPARE(bill.unreadable.size(), 5);
    const QList<int> lines{27, 28, 29, 32, 33};
    const QStringList reasons{"交易时间无法识别：'2023-02-30 10:00:00'", "金额无法识别：'1.005'",
                              "只有 3 列，应有 12 列", "金额不应为负数：'-5.00'",
                              "多出 2 列（应有 12 列）"};
    for (int i = 0; i < lines.size(); ++i) {
        QCOMPARE(bill.unreadable.at(i).line, lines.at(i));
        QCOMPARE(bill.unreadable.at(i).why, reasons.at(i));
    }
    QCOMPARE(bill.unreadable.at(2).text, QStringLiteral("2023-02-13 10:00:00,日用百货,超市"));
}

void TestBillReaders::cutShort_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("error");
    const QString whole =
        alipayBill({someRows, alipayRow("2023-02-13 10:00:00", "支出", "1.00", "2023002")});
    // Cut inside the last row, before its amount.
    const QString cut = whole.left(whole.lastIndexOf(QStringLiteral("支出")));
    QTest::newRow("alipay, inside the last row")
        << lists::encode(cut)
        << "'bill.csv' 不完整：文件在第 27 行中途结束，可能没有下载或解压完整。";
    const QString weChat = weChatBill({weChatRow("2020-09-06 16:59:01", "支出", "¥28.16", "1")});
    QTest::newRow("wechat, inside a quoted cell")
        << utf8Bom(weChat.left(weChat.lastIndexOf(QStringLiteral("\t\""))))
        << "'bill.csv' 不完整：文件在第 18 行中途结束，可能没有下载或解压完整。";
    const QString old =
        QStringList{
            alipayDivider,
            QStringLiteral("收/支,交易对方,对方账号,商品说明,收/付款方式,金额,交易状态,交易分类,"
                           "交易订单号,商家订单号,交易时间,"),
            QStringLiteral("支出 ,食堂 , ,午饭 ,余额 ,0.10 ,交易成功 ,餐饮美食 ,1\t,\t,2021-06-01 "
                           "12:00:00 ,")}
            .join(u'\n') +
        u'\n';
    QTest::newRow("alipay 2021 without the summary after the data")
        << lists::encode(old)
        << "'bill.csv' 不完整：第 3 行之后缺少账单末尾的汇总，文件可能没有下载或解压完整。";
}

void TestBillReaders::cutShort() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, error);
    QCOMPARE(errorOf(QStringLiteral("bill.csv"), bytes), error);
}

void TestBillReaders::emptyBill_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("alipay, header only") << lists::encode(alipayBill({}));
    QTest::newRow("alipay, blank lines after the header")
        << lists::encode(alipayBill({QString(), QStringLiteral(" , , ,")}));
    QTest::newRow("wechat, header only") << utf8Bom(weChatBill({}));
}

void TestBillReaders::emptyBill() {
    QFETCH(QByteArray, bytes);
    QCOMPARE(errorOf(QStringLiteral("bill.csv"), bytes),
             QStringLiteral("'bill.csv' 中没有账单记录。"));
}

void TestBillReaders::notABill_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("a letter") << QStringLiteral("亲爱的朋友：\n你好！\n").toUtf8();
    QTest::newRow("binary") << QByteArray("\x00\x01\x02\x03garbage", 11);
}

void TestBillReaders::notABill() {
    QFETCH(QByteArray, bytes);
    QCOMPARE(errorOf(QStringLiteral("x.csv"), bytes),
             QStringLiteral(
                 "'x.csv' 不是可识别的账单文件。可以导入的有：支付宝 CSV、微信支付 "
                 "CSV、微信支付 XLSX、工商银行 CSV、建设银行 "
                 "XLS、OFX、QIF、其他 CSV（设置导入格式），以及装有其中之一的压缩包（.zip）。"));
    QCOMPARE(errorOf(QStringLiteral("empty.csv"), QByteArray()),
             QStringLiteral("'empty.csv' 是空文件，其中没有账单记录。"));
}

// A table no reader knows is no refusal: the user is asked to map its columns, over the very
// bytes of the CSV.
void TestBillReaders::otherTablesAskForMapping_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("another CSV") << QByteArray("date,amount\n2023-01-01,5.00\n");
    QTest::newRow("a wechat header missing a column")
        << weChatBill({}).replace(QStringLiteral(",当前状态"), QString()).toUtf8();
}

void TestBillReaders::otherTablesAskForMapping() {
    QFETCH(QByteArray, bytes);
    try {
        readBill(QStringLiteral("x.csv"), bytes, {});
        QFAIL("a table of no known layout was read or refused");
    } catch (const CsvMappingNeeded& needed) {
        QCOMPARE(needed.bytes, bytes);
    }
}

void TestBillReaders::webLayoutRefunds() {
    const QString header = QStringLiteral("交易号                  ,商家订单号               "
                                          ",交易创建时间              ,付款时间     "
                                          "           ,最近修改时间              ,交易来源地     "
                                          ",类型              ,交易对方            "
                                          ",商品名称                ,金额（元）   ,收/支     "
                                          ",交易状态    ,服务费（元）   ,成功退款（元）"
                                          "  ,备注                  ,资金状态     ,");
    const QStringList lines{
        QStringLiteral("支付宝交易记录明细查询"),
        QStringLiteral("---------------------------------交易记录明细列表-------------------"),
        header,
        QStringLiteral("700<TAB>,S1<TAB>,2020-11-01 19:04:41 ,2020-11-01 19:04:45 ,2020-11-01 "
                       "20:33:06 ,淘宝 ,支付宝担保交易 ,店 ,鞋 ,83.00 ,支出 ,交易成功 ,0.00 ,20.00 "
                       ", ,已支出 ,"),
        QStringLiteral("700_1<TAB>,S1<TAB>,2020-11-02 10:00:00 , ,2020-11-02 10:00:00 ,淘宝 ,"
                       "支付宝担保交易 ,店 ,退款-鞋 ,20.00 , ,退款成功 ,0.00 ,0.00 , ,已收入 ,"),
        QStringLiteral("701<TAB>,S2<TAB>,2020-11-03 10:00:00 , ,2020-11-03 10:00:00 ,淘宝 ,"
                       "即时到账交易 ,店 ,袜 ,5.00 ,支出 ,交易成功 ,0.00 ,五元 , ,已支出 ,"),
        QString(84, u'-'),
        QStringLiteral("共3笔记录"),
        QStringLiteral("已收入:1笔,20.00元"),
        QStringLiteral("待收入:0笔,0.00元"),
        QStringLiteral("已支出:1笔,83元"),
        QStringLiteral("待支出:0笔,0.00元")};
    const QString text = lines.join(u'\n').replace(QStringLiteral("<TAB>"), QStringLiteral("\t"));
    const BillFile bill = readBill(QStringLiteral("web.csv"), lists::encode(text), {});
    QCOMPARE(bill.layout, QStringLiteral("支付宝网页版 CSV"));
    QCOMPARE(bill.rows.size(), 2);
    QCOMPARE(bill.rows.at(0).refundedCents, qint64(2000));
    QCOMPARE(bill.rows.at(0).status, QStringLiteral("交易成功"));
    // The refund's 收/支 is blank: its 资金状态 says the money came in.
    QCOMPARE(bill.rows.at(1).direction, QStringLiteral("收入"));
    QCOMPARE(bill.rows.at(1).transactionNo, QStringLiteral("700_1"));
    QCOMPARE(bill.unreadable.size(), 1);
    QCOMPARE(bill.unreadable.first().line, 6);
    QCOMPARE(bill.unreadable.first().why, QStringLiteral("成功退款金额无法识别：'五元'"));
    QVERIFY(!statedTotalsProblem(bill));
}

void TestBillReaders::weChatRefundStatus_data() {
    QTest::addColumn<QString>("status");
    QTest::addColumn<qint64>("refunded");
    QTest::newRow("partial") << "已退款￥742.00" << qint64(74200);
    QTest::newRow("partial, bracketed") << "已退款(￥1,020.50)" << qint64(102050);
    QTest::newRow("full") << "已全额退款" << qint64(9990);
    QTest::newRow("paid") << "支付成功" << qint64(0);
    QTest::newRow("no amount") << "已退款" << qint64(0);
}

void TestBillReaders::weChatRefundStatus() {
    QFETCH(QString, status);
    QFETCH(qint64, refunded);
    QCOMPARE(refundedFromStatus(status, 9990), refunded);
    // Read from a file, the row keeps its status text and its refund.
    const BillFile bill =
        readBill(QStringLiteral("bill.csv"),
                 utf8Bom(weChatBill({weChatRow("2020-09-06 16:59:01", "支出", "¥99.90", "1",
                                               QStringLiteral("鞋"), status)})),
                 {});
    QCOMPARE(bill.rows.first().status, status);
    QCOMPARE(bill.rows.first().refundedCents, refunded);
}

void TestBillReaders::statedTotalsForms_data() {
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<bool>("stated");
    QTest::addColumn<QList<qint64>>(
        "totals"); // income n, cents, expense n, cents, neutral n, cents
    QTest::newRow("app since 2023")
        << QStringList{"收入：1笔 28.50元", "支出：63笔 1,016.54元", "不计收支：2笔 16.37元"}
        << true << QList<qint64>{1, 2850, 63, 101654, 2, 1637};
    QTest::newRow("app 2021, commas")
        << QStringList{"收入：0笔,0.00元", "支出：3笔,12.00元", "其他：1笔,5元"} << true
        << QList<qint64>{0, 0, 3, 1200, 1, 500};
    QTest::newRow("wechat cells") << QStringList{"收入：2笔 1412.00元,,,,,,,,,,",
                                                 "支出：19笔 3082.56元,,,,,,,,,,",
                                                 "中性交易：0笔 0.00元,,,,,,,,,,"}
                                  << true << QList<qint64>{2, 141200, 19, 308256, 0, 0};
    QTest::newRow("web, pending added") << QStringList{"已收入:1笔,0.01元", "待收入:1笔,1.00元",
                                                       "已支出:1笔,27元", "待支出:0笔,0.00元"}
                                        << true << QList<qint64>{2, 101, 1, 2700, -1, -1};
    QTest::newRow("masked count") << QStringList{"收入：0笔,0.00元", "支出：x笔,1234.56元"} << false
                                  << QList<qint64>{};
    QTest::newRow("no expenditure line")
        << QStringList{"收入：1笔 28.50元"} << false << QList<qint64>{};
}

void TestBillReaders::statedTotalsForms() {
    QFETCH(QStringList, lines);
    QFETCH(bool, stated);
    QFETCH(QList<qint64>, totals);
    const auto read = statedTotalsIn(lines);
    QCOMPARE(read.has_value(), stated);
    if (!read)
        return;
    QCOMPARE(qint64(read->incomeCount), totals.at(0));
    QCOMPARE(read->incomeCents, totals.at(1));
    QCOMPARE(qint64(read->expenseCount), totals.at(2));
    QCOMPARE(read->expenseCents, totals.at(3));
    QCOMPARE(read->neutralStated, totals.at(4) >= 0);
    if (read->neutralStated) {
        QCOMPARE(qint64(read->neutralCount), totals.at(4));
        QCOMPARE(read->neutralCents, totals.at(5));
    }
}

void TestBillReaders::statedTotalsCheck_data() {
    QTest::addColumn<QStringList>("totals");
    QTest::addColumn<QString>("problem");
    // A closed trade counts on its side: the totals are of the rows as written.
    QTest::newRow("agree, a closed trade counted, 0.10 + 0.20 is 0.30")
        << QStringList{"收入：0笔 0.00元", "支出：2笔 0.30元", "不计收支：1笔 16.00元"} << "";
    QTest::newRow("an expenditure missing")
        << QStringList{"收入：0笔 0.00元", "支出：3笔 10.30元", "不计收支：1笔 16.00元"}
        << "文件未完整读取：支出应为 3 笔 10.30 元，读到 2 笔 0.30 元（少 1 笔、少 10.00 元）";
    QTest::newRow("more read than stated, two sides")
        << QStringList{"收入：1笔 5.00元", "支出：2笔 0.29元", "不计收支：0笔 0.00元"}
        << "文件未完整读取：收入应为 1 笔 5.00 元，读到 0 笔 0.00 元（少 1 笔、少 5.00 元）；"
           "支出应为 2 笔 0.29 元，读到 2 笔 0.30 元（多 0.01 元）；不计收支应为 0 笔 0.00 元，"
           "读到 1 笔 16.00 元（多 1 笔、多 16.00 元）";
    QTest::newRow("neutral not stated: not checked")
        << QStringList{"收入：0笔 0.00元", "支出：2笔 0.30元"} << "";
}

void TestBillReaders::statedTotalsCheck() {
    QFETCH(QStringList, totals);
    QFETCH(QString, problem);
    const QStringList rows{
        alipayRow("2023-02-12 21:32:14", "支出", "0.10", "1"),
        alipayRow("2023-02-12 21:33:14", "支出", "0.20", "2", "晚饭", QStringLiteral("交易关闭")),
        alipayRow("2023-02-12 21:34:14", "不计收支", "16.00", "3")};
    const BillFile bill =
        readBill(QStringLiteral("bill.csv"), lists::encode(alipayBill(rows, 24, totals)), {});
    QCOMPARE(bill.rows.size(), 3);
    const auto found = statedTotalsProblem(bill);
    QCOMPARE(found.value_or(QString()), problem);
}

QTEST_GUILESS_MAIN(TestBillReaders)
#include "tst_billreaders.moc"
