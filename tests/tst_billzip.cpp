// Bills in zip archives: the password-protected zip both services deliver (AES-256 and the
// classic encryption), asked for its password again while it is wrong and cancelled at will;
// damaged archives; and WeChat Pay's XLSX with its numbers, number formats and date serials.
#include "import/readbill.h"
#include "import/xlsxreader.h"
#include "lists/gbk.h"
#include "platform/apperror.h"
#include "support/billfiles.h"

#include <QRegularExpression>
#include <QTest>
#include <zip.h>

using namespace bills;

namespace {

QByteArray alipayCsv() {
    const QString text = QStringLiteral(
        "------------------------支付宝（中国）网络技术有限公司  电子客户回单------------------\n"
        "交易时间,交易分类,交易对方,对方账号,商品说明,收/支,金额,收/付款方式,交易状态,交易订单号,"
        "商家订单号,备注,\n"
        "2023-02-12 21:32:14 ,餐饮美食 ,食堂 ,/ ,午饭 ,支出 ,28.16 ,余额 ,交易成功 ,2023001\t,"
        "M1\t, ,\n");
    return lists::encode(text);
}

// A password prompt that answers from a list (nothing = cancel) and records what it was asked.
struct Prompt {
    QList<std::optional<QString>> answers;
    QList<bool> asked; // `again` of each call
    PasswordPrompt function() {
        return [this](const QString&, bool again) -> std::optional<QString> {
            asked << again;
            return answers.isEmpty() ? std::nullopt : answers.takeFirst();
        };
    }
};

QString errorOf(const QString& name, const QByteArray& bytes, const PasswordPrompt& prompt = {}) {
    try {
        readBill(name, bytes, prompt);
    } catch (const AppError& e) {
        return e.text();
    }
    return {};
}

// The 16 or 17 preamble rows of a WeChat Pay workbook, the header on the next row.
QString weChatPreamble(int headerRow) {
    QString xml;
    const QStringList texts{"微信支付账单明细",
                            "微信昵称：[测试]",
                            "起始时间：[2019-08-01 00:00:00] 终止时间：[2019-09-30 23:59:59]",
                            "导出类型：[全部]",
                            "导出时间：[2019-10-09 16:05:22]",
                            "",
                            "共2笔记录",
                            "收入：1笔 0.35元",
                            "支出：1笔 548.58元",
                            "中性交易：0笔 0.00元",
                            "注：",
                            "1. 充值/提现等交易，将计入中性交易",
                            "2. 本明细仅展示当前账单中的交易",
                            "3. 本明细仅供个人对账使用"};
    int row = 1;
    for (const QString& text : texts)
        xml += inlineRow(row++, {text});
    if (headerRow == 18)
        xml += inlineRow(row++, {QStringLiteral("4. 本账单中所有时间均为UTC+08:00时间")});
    ++row; // an empty row
    xml += inlineRow(row++, {"----------------------微信支付账单明细列表--------------------"});
    xml += inlineRow(row, {"交易时间", "交易类型", "交易对方", "商品", "收/支", "金额(元)",
                           "支付方式", "当前状态", "交易单号", "商户单号", "备注"});
    return xml;
}

// A data row: time and amount cells as given (XML), the rest inline text.
QString weChatRow(int row, const QString& timeCell, const QString& direction,
                  const QString& amountCell, const QString& number) {
    QString xml = QStringLiteral("<row r=\"%1\">").arg(row);
    xml += timeCell.arg(row);
    const auto text = [&](char column, const QString& value) {
        return QStringLiteral("<c r=\"%1%2\" t=\"inlineStr\"><is><t>%3</t></is></c>")
            .arg(QChar(column))
            .arg(row)
            .arg(value);
    };
    xml += text('B', QStringLiteral("商户消费")) + text('C', QStringLiteral("食堂")) +
           text('D', QStringLiteral("午饭")) + text('E', direction);
    xml += amountCell.arg(row);
    xml += text('G', QStringLiteral("零钱")) + text('H', QStringLiteral("支付成功")) +
           text('I', number + u'\t') + text('J', QStringLiteral("/\t")) +
           text('K', QStringLiteral("/"));
    return xml + QStringLiteral("</row>");
}

const QString textTime =
    QStringLiteral("<c r=\"A%1\" t=\"inlineStr\"><is><t>2019-09-26 12:45:27</t></is></c>");
// Styles: 0 plain, 1 the ¥ amount format, 2 a date-and-time format, 3 a date-only format.
const QString numFmts =
    QStringLiteral("<numFmt numFmtId=\"166\" formatCode=\"\\¥#,##0.00\"/>"
                   "<numFmt numFmtId=\"167\" formatCode=\"yyyy/m/d h:mm:ss\"/>");
const QString cellXfs = QStringLiteral(
    "<xf numFmtId=\"0\"/><xf numFmtId=\"166\" applyNumberFormat=\"1\"/>"
    "<xf numFmtId=\"167\" applyNumberFormat=\"1\"/><xf numFmtId=\"14\" applyNumberFormat=\"1\"/>");

QByteArray weChatXlsx(int headerRow, const QString& rows) {
    return makeXlsx({{QStringLiteral("Sheet1"), weChatPreamble(headerRow) + rows}}, {}, numFmts,
                    cellXfs);
}

} // namespace

class TestBillZip : public QObject {
    Q_OBJECT
private slots:
    void rightPassword_data();
    void rightPassword();
    void wrongPasswordAsksAgain_data();
    void wrongPasswordAsksAgain();
    void cancelImportsNothing_data();
    void cancelImportsNothing();
    void plainZipAsksNothing();
    void damagedZip();
    void zipWithoutOneBill_data();
    void zipWithoutOneBill();
    void zippedXlsx();
    void xlsxHeaderRow_data();
    void xlsxHeaderRow();
    void xlsxNumbersAndDates_data();
    void xlsxNumbersAndDates();
    void xlsxSheetChosen();
    void xlsxUnreadableRow();
    void xlsxLeftOutCellsAreEmpty();
    void xlsxCutShort();
    void xlsxOfAnotherKind();
    void numberText_data();
    void numberText();
    void dateSerials_data();
    void dateSerials();
    void dateFormats_data();
    void dateFormats();
};

void TestBillZip::rightPassword_data() {
    QTest::addColumn<int>("method");
    QTest::newRow("AES-256, as Alipay sends it") << int(ZIP_EM_AES_256);
    QTest::newRow("classic zip encryption") << int(ZIP_EM_TRAD_PKWARE);
}

void TestBillZip::rightPassword() {
    QFETCH(int, method);
    const QByteArray zip = makeZip(
        {{QStringLiteral("支付宝交易明细(20230201-20230228).csv"), alipayCsv(), method, "123456"}});
    Prompt prompt{{QStringLiteral("123456")}, {}};
    const BillFile bill = readBill(QStringLiteral("bill.zip"), zip, prompt.function());
    QCOMPARE(prompt.asked, QList<bool>{false});
    QCOMPARE(bill.rows.size(), 1);
    QCOMPARE(bill.rows.first().cents, qint64(2816));
    QCOMPARE(bill.rows.first().counterparty, QStringLiteral("食堂"));
}

void TestBillZip::wrongPasswordAsksAgain_data() {
    rightPassword_data();
}

void TestBillZip::wrongPasswordAsksAgain() {
    QFETCH(int, method);
    const QByteArray zip = makeZip({{QStringLiteral("bill.csv"), alipayCsv(), method, "123456"}});
    // Wrong passwords of every kind: near misses, empty, long.
    Prompt prompt{{QStringLiteral("654321"), QString(), QStringLiteral("1234567890abcdef"),
                   QStringLiteral("123456")},
                  {}};
    const BillFile bill = readBill(QStringLiteral("bill.zip"), zip, prompt.function());
    QCOMPARE(prompt.asked, (QList<bool>{false, true, true, true}));
    QCOMPARE(bill.rows.size(), 1);
}

void TestBillZip::cancelImportsNothing_data() {
    QTest::addColumn<QList<std::optional<QString>>>("answers");
    QTest::addColumn<int>("asked");
    QTest::newRow("cancel at once") << QList<std::optional<QString>>{} << 1;
    QTest::newRow("cancel after a wrong one")
        << QList<std::optional<QString>>{QStringLiteral("000000")} << 2;
}

void TestBillZip::cancelImportsNothing() {
    QFETCH(QList<std::optional<QString>>, answers);
    QFETCH(int, asked);
    const QByteArray zip =
        makeZip({{QStringLiteral("bill.csv"), alipayCsv(), ZIP_EM_AES_256, "123456"}});
    Prompt prompt{answers, {}};
    QVERIFY_THROWS_EXCEPTION(ImportCancelled,
                             readBill(QStringLiteral("bill.zip"), zip, prompt.function()));
    QCOMPARE(prompt.asked.size(), asked);
}

void TestBillZip::plainZipAsksNothing() {
    const QByteArray zip = makeZip({{QStringLiteral("bill.csv"), alipayCsv()}});
    Prompt prompt;
    QCOMPARE(readBill(QStringLiteral("bill.zip"), zip, prompt.function()).rows.size(), 1);
    QVERIFY(prompt.asked.isEmpty());
    // Encrypted, and no one to ask.
    const QByteArray locked =
        makeZip({{QStringLiteral("bill.csv"), alipayCsv(), ZIP_EM_AES_256, "1"}});
    QCOMPARE(errorOf(QStringLiteral("bill.zip"), locked),
             QStringLiteral("'bill.zip' 有密码保护，需要输入密码才能读取。"));
}

void TestBillZip::damagedZip() {
    const QByteArray zip = makeZip({{QStringLiteral("bill.csv"), alipayCsv().repeated(20)}});
    QCOMPARE(errorOf(QStringLiteral("bill.zip"), zip.left(zip.size() / 2)),
             QStringLiteral("'bill.zip' 是损坏的压缩包，无法打开。"));
    // The directory intact, the compressed content changed.
    QByteArray flipped = zip;
    for (qsizetype i = 60; i < 90; ++i)
        flipped[i] = char(flipped.at(i) ^ 0x5a);
    QCOMPARE(errorOf(QStringLiteral("bill.zip"), flipped),
             QStringLiteral("'bill.zip' 已损坏：其中的 'bill.csv' 无法解压。"));
    // Marked with the strong encryption no free library undoes: said so, not asked again.
    QByteArray strong = zip;
    for (const QByteArray& header : {QByteArray("PK\x03\x04"), QByteArray("PK\x01\x02")}) {
        const qsizetype at = strong.indexOf(header);
        QVERIFY(at >= 0);
        const qsizetype flags = at + (header.endsWith('\x04') ? 6 : 8);
        strong[flags] = char(strong.at(flags) | 0x41);
    }
    Prompt prompt{{QStringLiteral("1")}, {}};
    QCOMPARE(errorOf(QStringLiteral("bill.zip"), strong, prompt.function()),
             QStringLiteral("'bill.zip' 已损坏：其中的 'bill.csv' 使用了不支持的压缩或加密方式。"));
    QVERIFY(prompt.asked.isEmpty());
}

void TestBillZip::zipWithoutOneBill_data() {
    QTest::addColumn<QByteArray>("zip");
    QTest::addColumn<QString>("error");
    QTest::newRow("no bill") << makeZip({{QStringLiteral("a.png"), "x"},
                                         {QStringLiteral("b.png"), "y"}})
                             << "'bill.zip' 中没有账单文件。";
    QTest::newRow("two bills")
        << makeZip({{QStringLiteral("1.csv"), alipayCsv()}, {QStringLiteral("2.csv"), alipayCsv()}})
        << "'bill.zip' 中有 2 个账单文件（1.csv、2.csv），请解压后逐个导入。";
    QTest::newRow("the one file no bill")
        << makeZip({{QStringLiteral("readme"), "hello"}})
        << "'bill.zip/readme' 不是可识别的账单文件。可以导入的有：支付宝 CSV、微信支付 CSV、"
           "微信支付 XLSX、工商银行 CSV、建设银行 "
           "XLS、OFX、QIF、其他 CSV（设置导入格式），以及装有其中之一的压缩包（.zip）。";
    QTest::newRow("the bill empty") << makeZip({{QStringLiteral("bill.csv"), ""}})
                                    << "'bill.zip/bill.csv' 是空文件，其中没有账单记录。";
}

void TestBillZip::zipWithoutOneBill() {
    QFETCH(QByteArray, zip);
    QFETCH(QString, error);
    QCOMPARE(errorOf(QStringLiteral("bill.zip"), zip), error);
}

void TestBillZip::zippedXlsx() {
    // Since 2025 WeChat Pay sends its XLSX in a zip; folder entries and a system's extra files
    // beside it do not count.
    const QByteArray xlsx = weChatXlsx(
        17, weChatRow(18, textTime, "支出", "<c r=\"F%1\" s=\"1\"><v>28.16</v></c>", "1"));
    const QByteArray zip =
        makeZip({{QStringLiteral("微信支付账单/"), {}},
                 {QStringLiteral("微信支付账单/微信支付账单(20190801-20190930).xlsx"), xlsx,
                  ZIP_EM_AES_256, "654321"},
                 {QStringLiteral("__MACOSX/._x.xlsx"), "junk"}});
    Prompt prompt{{QStringLiteral("654321")}, {}};
    const BillFile bill = readBill(QStringLiteral("wx.zip"), zip, prompt.function());
    QCOMPARE(bill.layout, QStringLiteral("微信支付 XLSX"));
    QCOMPARE(bill.rows.size(), 1);
    QCOMPARE(bill.rows.first().cents, qint64(2816));
}

void TestBillZip::xlsxHeaderRow_data() {
    QTest::addColumn<int>("headerRow");
    QTest::newRow("row 17, until 2025") << 17;
    QTest::newRow("row 18, since 2026") << 18;
}

void TestBillZip::xlsxHeaderRow() {
    QFETCH(int, headerRow);
    const QString rows =
        weChatRow(headerRow + 1, textTime, "支出",
                  "<c r=\"F%1\" t=\"inlineStr\"><is><t>¥28.16</t></is></c>", "3985734") +
        weChatRow(headerRow + 2, textTime, "收入", "<c r=\"F%1\" s=\"1\"><v>0.35</v></c>", "2");
    const BillFile bill = readBill(QStringLiteral("wx.xlsx"), weChatXlsx(headerRow, rows), {});
    QCOMPARE(bill.rows.size(), 2);
    QCOMPARE(bill.rows.at(0).line, headerRow + 1);
    QCOMPARE(bill.rows.at(0).cents, qint64(2816));
    QCOMPARE(bill.rows.at(0).transactionNo, QStringLiteral("3985734"));
    QCOMPARE(bill.rows.at(1).cents, qint64(35));
    QCOMPARE(bill.rows.at(1).direction, QStringLiteral("收入"));
    QVERIFY(bill.stated);
    QCOMPARE(bill.stated->expenseCents, qint64(54858));
}

void TestBillZip::xlsxNumbersAndDates_data() {
    QTest::addColumn<QString>("timeCell");
    QTest::addColumn<QString>("amountCell");
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("time");
    QTest::addColumn<qint64>("cents");
    QTest::newRow("binary noise past 15 digits")
        << textTime << "<c r=\"F%1\" s=\"1\"><v>548.58000000000004</v></c>" << QDate(2019, 9, 26)
        << "12:45:27" << qint64(54858);
    QTest::newRow("exponent") << textTime << "<c r=\"F%1\" s=\"1\"><v>7.0000000000000007E-2</v></c>"
                              << QDate(2019, 9, 26) << "12:45:27" << qint64(7);
    QTest::newRow("just under") << textTime << "<c r=\"F%1\" s=\"1\"><v>0.29999999999999999</v></c>"
                                << QDate(2019, 9, 26) << "12:45:27" << qint64(30);
    QTest::newRow("shared string amount") << textTime << "<c r=\"F%1\" t=\"s\"><v>0</v></c>"
                                          << QDate(2019, 9, 26) << "12:45:27" << qint64(1234500);
    QTest::newRow("time as a serial with a date format")
        << "<c r=\"A%1\" s=\"2\"><v>43734.531562500002</v></c>"
        << "<c r=\"F%1\" s=\"1\"><v>12</v></c>" << QDate(2019, 9, 26) << "12:45:27" << qint64(1200);
    QTest::newRow("day as a serial, built-in date format")
        << "<c r=\"A%1\" s=\"3\"><v>43734</v></c>"
        << "<c r=\"F%1\"><v>12.5</v></c>" << QDate(2019, 9, 26) << "" << qint64(1250);
}

void TestBillZip::xlsxNumbersAndDates() {
    QFETCH(QString, timeCell);
    QFETCH(QString, amountCell);
    QFETCH(QDate, date);
    QFETCH(QString, time);
    QFETCH(qint64, cents);
    const QByteArray xlsx =
        makeXlsx({{QStringLiteral("Sheet1"),
                   weChatPreamble(17) + weChatRow(18, timeCell, "支出", amountCell, "1")}},
                 {QStringLiteral("¥12,345.00")}, numFmts, cellXfs);
    const BillFile bill = readBill(QStringLiteral("wx.xlsx"), xlsx, {});
    QCOMPARE(bill.unreadable.size(), 0);
    QCOMPARE(bill.rows.size(), 1);
    QCOMPARE(bill.rows.first().date, date);
    QCOMPARE(bill.rows.first().time, time);
    QCOMPARE(bill.rows.first().cents, cents);
}

void TestBillZip::xlsxSheetChosen() {
    const QString bill =
        weChatPreamble(17) +
        weChatRow(18, textTime, "支出", "<c r=\"F%1\" s=\"1\"><v>1</v></c>", "real");
    const QString copy =
        weChatPreamble(17) +
        weChatRow(18, textTime, "支出", "<c r=\"F%1\" s=\"1\"><v>2</v></c>", "copy");
    const QString other = inlineRow(1, {QStringLiteral("说明"), QStringLiteral("无关")});
    // A copy of the bill before the sheet the workbook opens on: the one it opens on is read.
    const QByteArray opensOnSecond =
        makeXlsx({{QStringLiteral("copy"), copy}, {QStringLiteral("Sheet1"), bill}}, {}, numFmts,
                 cellXfs, 1);
    QCOMPARE(readBill(QStringLiteral("a.xlsx"), opensOnSecond, {}).rows.first().transactionNo,
             QStringLiteral("real"));
    // A sheet without the bill's header is passed over.
    const QByteArray otherFirst = makeXlsx(
        {{QStringLiteral("notes"), other}, {QStringLiteral("Sheet1"), bill}}, {}, numFmts, cellXfs);
    QCOMPARE(readBill(QStringLiteral("b.xlsx"), otherFirst, {}).rows.first().transactionNo,
             QStringLiteral("real"));
}

void TestBillZip::xlsxUnreadableRow() {
    const QString rows =
        weChatRow(18, textTime, "支出", "<c r=\"F%1\" t=\"inlineStr\"><is><t>¥一百</t></is></c>",
                  "1") +
        weChatRow(19, textTime, "支出", "<c r=\"F%1\" s=\"1\"><v>2.5</v></c>", "2");
    const BillFile bill = readBill(QStringLiteral("wx.xlsx"), weChatXlsx(17, rows), {});
    QCOMPARE(bill.rows.size(), 1);
    QCOMPARE(bill.rows.first().line, 19);
    QCOMPARE(bill.unreadable.size(), 1);
    QCOMPARE(bill.unreadable.first().line, 18);
    QCOMPARE(bill.unreadable.first().why, QStringLiteral("金额无法识别：'¥一百'"));
}

void TestBillZip::xlsxLeftOutCellsAreEmpty() {
    // Spreadsheets leave empty cells out: a row that ends before 商户单号 and 备注 is whole.
    QString row = weChatRow(18, textTime, "支出", "<c r=\"F%1\" s=\"1\"><v>3</v></c>", "9");
    row.replace(QRegularExpression(QStringLiteral("<c r=\"[JK]18\".*?</c>")), QString());
    QVERIFY(!row.contains(u"J18") && !row.contains(u"K18"));
    const BillFile bill = readBill(QStringLiteral("wx.xlsx"), weChatXlsx(17, row), {});
    QCOMPARE(bill.unreadable.size(), 0);
    QCOMPARE(bill.rows.size(), 1);
    QCOMPARE(bill.rows.first().cents, qint64(300));
    QCOMPARE(bill.rows.first().merchantNo, QString());
    QCOMPARE(bill.rows.first().note, QString());
}

void TestBillZip::xlsxCutShort() {
    const QString whole =
        QStringLiteral(
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?><worksheet "
            "xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><sheetData>%1"
            "</sheetData></worksheet>")
            .arg(weChatPreamble(17) +
                 weChatRow(18, textTime, "支出", "<c r=\"F%1\" s=\"1\"><v>1</v></c>", "1"));
    const QByteArray cut = makeXlsx(
        {{QStringLiteral("Sheet1"), whole.left(whole.size() - 60), true}}, {}, numFmts, cellXfs);
    QCOMPARE(errorOf(QStringLiteral("wx.xlsx"), cut),
             QStringLiteral("'wx.xlsx' 不完整：其中的 'xl/worksheets/sheet1.xml' 中途结束，文件可能"
                            "没有下载完整。"));
    const QByteArray broken =
        makeXlsx({{QStringLiteral("Sheet1"), whole.left(whole.size() - 60) + "</worksheet>", true}},
                 {}, numFmts, cellXfs);
    QCOMPARE(errorOf(QStringLiteral("wx.xlsx"), broken),
             QStringLiteral("'wx.xlsx' 已损坏：其中的 'xl/worksheets/sheet1.xml' 无法读取。"));
}

void TestBillZip::xlsxOfAnotherKind() {
    const QByteArray xlsx = makeXlsx({{QStringLiteral("Sheet1"), inlineRow(1, {"日期", "金额"})}});
    QVERIFY(errorOf(QStringLiteral("a.xlsx"), xlsx)
                .startsWith(QStringLiteral("'a.xlsx' 不是可识别的账单文件。")));
}

void TestBillZip::numberText_data() {
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("plain") << "28.16"
                           << "28.16";
    QTest::newRow("whole") << "12"
                           << "12";
    QTest::newRow("noise above") << "548.58000000000004"
                                 << "548.58";
    QTest::newRow("noise below") << "0.29999999999999999"
                                 << "0.3";
    QTest::newRow("exponent, small") << "7.0000000000000007E-2"
                                     << "0.07";
    QTest::newRow("exponent, large") << "1.5E+3"
                                     << "1500";
    QTest::newRow("carry through nines") << "99.999999999999999"
                                         << "100";
    QTest::newRow("negative") << "-3.5"
                              << "-3.5";
    QTest::newRow("zero") << "0.000"
                          << "0";
    QTest::newRow("leading zeros") << "007.10"
                                   << "7.1";
    QTest::newRow("15 digits kept") << "1234567890123.45"
                                    << "1234567890123.45";
    QTest::newRow("not a number") << "abc"
                                  << "";
    QTest::newRow("too large to write") << "1E+40"
                                        << "";
}

void TestBillZip::numberText() {
    QFETCH(QString, value);
    QFETCH(QString, text);
    QCOMPARE(spreadsheetNumberText(value).value_or(QString()), text);
}

void TestBillZip::dateSerials_data() {
    QTest::addColumn<QString>("serial");
    QTest::addColumn<bool>("date1904");
    QTest::addColumn<QString>("text");
    QTest::newRow("noon") << "45000.5" << false << "2023-03-15 12:00:00";
    QTest::newRow("a second before midnight rounds to it")
        << "45000.99999999" << false << "2023-03-16 00:00:00";
    QTest::newRow("float noise") << "43734.531562500002" << false << "2019-09-26 12:45:27";
    QTest::newRow("1904 system") << "0.25" << true << "1904-01-01 06:00:00";
    QTest::newRow("negative") << "-1" << false << "";
}

void TestBillZip::dateSerials() {
    QFETCH(QString, serial);
    QFETCH(bool, date1904);
    QFETCH(QString, text);
    QCOMPARE(spreadsheetDateText(serial, date1904, true).value_or(QString()), text);
}

void TestBillZip::dateFormats_data() {
    QTest::addColumn<QString>("code");
    QTest::addColumn<bool>("date");
    QTest::addColumn<bool>("time");
    QTest::newRow("yuan amount") << "\\¥#,##0.00" << false << false;
    QTest::newRow("currency bracket") << "[$¥-804]#,##0.00" << false << false;
    QTest::newRow("general") << "General" << false << false;
    QTest::newRow("quoted letters") << "0.00\"days\"" << false << false;
    QTest::newRow("date") << "yyyy/m/d" << true << false;
    QTest::newRow("date and time") << "yyyy-mm-dd hh:mm:ss" << true << true;
    QTest::newRow("chinese date") << "yyyy\"年\"m\"月\"d\"日\"" << true << false;
    QTest::newRow("elapsed hours") << "[h]:mm" << true << true;
}

void TestBillZip::dateFormats() {
    QFETCH(QString, code);
    QFETCH(bool, date);
    QFETCH(bool, time);
    QCOMPARE(isDateFormat(code), date);
    QCOMPARE(isTimeFormat(code), time);
}

QTEST_GUILESS_MAIN(TestBillZip)
#include "tst_billzip.moc"
