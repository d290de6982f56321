// The text rules shared by the bill readers: encodings, CSV cells, amounts and dates.
#include "import/billtext.h"

#include <QTest>

using namespace bills;

class TestBillText : public QObject {
    Q_OBJECT
private slots:
    void cents_data();
    void cents();
    void dates_data();
    void dates();
    void cells_data();
    void cells();
    void encodings();
    void lineEnds();
};

void TestBillText::cents_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("readable");
    QTest::addColumn<qint64>("cents");
    QTest::newRow("plain") << "28.16" << true << qint64(2816);
    QTest::newRow("yuan sign, grouping") << "¥1,234.5" << true << qint64(123450);
    QTest::newRow("full-width yuan, blanks") << " ￥ 8 530.00 " << true << qint64(853000);
    QTest::newRow("whole") << "12" << true << qint64(1200);
    QTest::newRow("leading point") << ".5" << true << qint64(50);
    QTest::newRow("negative") << "-3.00" << true << qint64(-300);
    QTest::newRow("plus") << "+0.10" << true << qint64(10);
    QTest::newRow("full-width digits") << "１２．５" << true << qint64(1250);
    QTest::newRow("trailing zeros past cents") << "1.2500" << true << qint64(125);
    QTest::newRow("past cents") << "1.255" << false << qint64(0);
    QTest::newRow("not a number") << "abc" << false << qint64(0);
    QTest::newRow("empty") << "" << false << qint64(0);
    QTest::newRow("dash placeholder") << "-" << false << qint64(0);
    QTest::newRow("two points") << "1.2.3" << false << qint64(0);
    QTest::newRow("exponent") << "1e3" << false << qint64(0);
}

void TestBillText::cents() {
    QFETCH(QString, text);
    QFETCH(bool, readable);
    QFETCH(qint64, cents);
    const auto read = parseCents(text);
    QCOMPARE(read.has_value(), readable);
    if (readable)
        QCOMPARE(*read, cents);
}

void TestBillText::dates_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("time");
    QTest::newRow("dashes, seconds") << "2023-01-05 12:30:45" << QDate(2023, 1, 5) << "12:30:45";
    QTest::newRow("spreadsheet re-save") << "2020.9.6 16:59" << QDate(2020, 9, 6) << "16:59";
    QTest::newRow("slashes") << "2020/09/06 7:05" << QDate(2020, 9, 6) << "7:05";
    QTest::newRow("day only") << "2025-01-02" << QDate(2025, 1, 2) << "";
    QTest::newRow("compact") << "20250102" << QDate(2025, 1, 2) << "";
    QTest::newRow("padded") << " 2025-01-02\t" << QDate(2025, 1, 2) << "";
    QTest::newRow("no such day") << "2023-02-30" << QDate() << "";
    QTest::newRow("not a date") << "交易时间" << QDate() << "";
}

void TestBillText::dates() {
    QFETCH(QString, text);
    QFETCH(QDate, date);
    QFETCH(QString, time);
    QString readTime;
    const auto read = parseBillDate(text, &readTime);
    QCOMPARE(read.has_value(), date.isValid());
    if (read) {
        QCOMPARE(*read, date);
        QCOMPARE(readTime, time);
    }
}

void TestBillText::cells_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("cells");
    QTest::newRow("trailing comma") << "a,b," << QStringList{"a", "b", ""};
    QTest::newRow("quoted comma") << "\"x, y\",2" << QStringList{"x, y", "2"};
    QTest::newRow("doubled quote") << "\"say \"\"hi\"\"\",z" << QStringList{"say \"hi\"", "z"};
    QTest::newRow("padded, tab") << " 2023 ,123\t" << QStringList{" 2023 ", "123\t"};
    QTest::newRow("quote inside an unquoted cell")
        << "点击\"多多视频\",2" << QStringList{"点击\"多多视频\"", "2"};
    QTest::newRow("TAB after the closing quote")
        << "\"3985734\"\t,x" << QStringList{"3985734\t", "x"};
}

void TestBillText::cells() {
    QFETCH(QString, line);
    QFETCH(QStringList, cells);
    QCOMPARE(csvCells(line), cells);
}

void TestBillText::encodings() {
    const QString text = QStringLiteral("交易时间,金额");
    QCOMPARE(decodeBillText("\xEF\xBB\xBF" + text.toUtf8()), text);
    QCOMPARE(decodeBillText(text.toUtf8()), text);
    // 交易 in GBK is not valid UTF-8.
    QCOMPARE(decodeBillText(QByteArray("\xBD\xBB\xD2\xD7")), QStringLiteral("交易"));
    QCOMPARE(cleanCell(QStringLiteral("=\"2023001\"\t")), QStringLiteral("2023001"));
}

void TestBillText::lineEnds() {
    QCOMPARE(textLines(QStringLiteral("a\r\nb\nc\rd")), (QStringList{"a", "b", "c", "d"}));
    QCOMPARE(textLines(QStringLiteral("a\r\n")), QStringList{"a"});
    QCOMPARE(textLines(QStringLiteral("a\n\nb")), (QStringList{"a", "", "b"}));
}

QTEST_GUILESS_MAIN(TestBillText)
#include "tst_billtext.moc"
