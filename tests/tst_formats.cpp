// Amount, number and date conversions.
#include "data/formats.h"
#include "platform/apperror.h"

#include <QRandomGenerator>
#include <QTest>
#include <cmath>
#include <limits>

class TestFormats : public QObject {
    Q_OBJECT
private slots:
    void yuan_data();
    void yuan();
    void fixed2_data();
    void fixed2();
    void general_data();
    void general();
    void generalOfWholeCents();
    void parseDate_data();
    void parseDate();
    void parseNumberRejects_data();
    void parseNumberRejects();
    void nonFiniteNeverGarbled_data();
    void nonFiniteNeverGarbled();
    void parseAmount_data();
    void parseAmount();
    void amountCell_data();
    void amountCell();
    void cellText_data();
    void cellText();
    void rounded_data();
    void rounded();
    void roundedToDigits_data();
    void roundedToDigits();
};

void TestFormats::yuan_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("grouping, one decimal") << 1234.5 << "￥1,234.5";
    QTest::newRow("whole") << 12.0 << "￥12";
    QTest::newRow("leading zero") << 0.05 << "￥0.05";
    QTest::newRow("zero") << 0.0 << "￥0";
    QTest::newRow("half away from zero") << 1.005 << "￥1.01";
    QTest::newRow("0.1+0.2") << 0.1 + 0.2 << "￥0.3";
    QTest::newRow("millions") << 1234567.891 << "￥1,234,567.89";
    QTest::newRow("negative") << -1234.5 << "-￥1,234.5";
    QTest::newRow("1e15") << 1e15 << "￥1,000,000,000,000,000";
    QTest::newRow("rounds to whole") << 9.999 << "￥10";
}

void TestFormats::yuan() {
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(formats::yuan(value), text);
}

void TestFormats::fixed2_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("no grouping") << 12345.6 << "12345.60";
    QTest::newRow("zero") << 0.0 << "0.00";
    QTest::newRow("0.004 rounds down") << 0.004 << "0.00";
    QTest::newRow("0.006 rounds up") << 0.006 << "0.01";
    QTest::newRow("half away from zero") << 2.675 << "2.68";
    QTest::newRow("negative half") << -2.675 << "-2.68";
    QTest::newRow("negative") << -2.5 << "-2.50";
    QTest::newRow("negative to zero") << -0.004 << "0.00";
    QTest::newRow("0.1+0.2") << 0.1 + 0.2 << "0.30";
    QTest::newRow("1e15") << 1e15 << "1000000000000000.00";
    QTest::newRow("carry") << 99.995 << "100.00";
}

void TestFormats::fixed2() {
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(formats::fixed2(value), text);
}

void TestFormats::general_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("whole") << 1500.0 << "1500";
    QTest::newRow("negative") << -500.0 << "-500";
    QTest::newRow("decimals") << 12.5 << "12.5";
    QTest::newRow("0.1+0.2") << 0.1 + 0.2 << "0.3";
    QTest::newRow("zero") << 0.0 << "0";
    QTest::newRow("15 digits") << 123456789012345.0 << "123456789012345";
    QTest::newRow("1e15 exponent") << 1e15 << "1E15";
    QTest::newRow("small exponent") << 0.000001 << "1E-6";
    QTest::newRow("smallest plain") << 0.00001 << "0.00001";
    QTest::newRow("15 significant") << 1.0 / 3.0 << "0.333333333333333";
    QTest::newRow("negative exponent") << -2.5e16 << "-2.5E16";
    QTest::newRow("cents") << 0.05 << "0.05";
    QTest::newRow("negative cents") << -42.75 << "-42.75";
    QTest::newRow("negative zero") << -0.0 << "0";
    QTest::newRow("largest amount") << 9999999999999.99 << "9999999999999.99";
    QTest::newRow("half a cent") << 0.005 << "0.005";
    QTest::newRow("past whole cents") << 1234.5678 << "1234.5678";
    QTest::newRow("amount limit") << 1e13 << "10000000000000";
}

void TestFormats::general() {
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(formats::general(value), text);
}

void TestFormats::generalOfWholeCents() {
    // Amounts of whole cents, of every size up to the limit, read as the decimal they are.
    QRandomGenerator random(20);
    for (int i = 0; i < 20000; ++i) {
        const qint64 cents = qint64(random.bounded(Q_INT64_C(999999999999999))) *
                             (random.bounded(2) ? 1 : -1) / (i % 2 ? 1 : qint64(1) << (i % 40));
        const double value = double(cents) / 100;
        QString expected = QString::number(value, 'f', 2);
        if (expected.endsWith(u'0'))
            expected.chop(1);
        if (expected.endsWith(QLatin1String(".0")))
            expected.chop(2);
        if (expected == QLatin1String("-0"))
            expected = QStringLiteral("0");
        QCOMPARE(formats::general(value), expected);
    }
}

void TestFormats::parseDate_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QDate>("date");
    QTest::newRow("ordinary") << "2003-11-08" << QDate(2003, 11, 8);
    QTest::newRow("leap day") << "2004-02-29" << QDate(2004, 2, 29);
    QTest::newRow("blanks around") << " 2005-03-31 " << QDate(2005, 3, 31);
    QTest::newRow("no leap day") << "2003-02-29" << QDate();
    QTest::newRow("one-digit month") << "2005-3-01" << QDate();
    QTest::newRow("slashes") << "2005/03/01" << QDate();
    QTest::newRow("words") << "yesterday" << QDate();
    QTest::newRow("empty") << "" << QDate();
}

void TestFormats::parseDate() {
    QFETCH(QString, text);
    QFETCH(QDate, date);
    if (date.isValid()) {
        QCOMPARE(formats::parseDate(text), date);
        return;
    }
    try {
        formats::parseDate(text);
        QFAIL("accepted a text that is not a date");
    } catch (const AppError& e) {
        QCOMPARE(e.text(), QStringLiteral("'%1' is not a valid date").arg(text));
    }
}

void TestFormats::parseNumberRejects_data() {
    QTest::addColumn<QString>("text");
    QTest::newRow("letters") << "abc";
    QTest::newRow("empty") << "";
    QTest::newRow("comma decimal") << "12,5";
    QTest::newRow("two points") << "1.2.3";
}

void TestFormats::parseNumberRejects() {
    QFETCH(QString, text);
    QVERIFY_THROWS_EXCEPTION(AppError, formats::parseNumber(text));
}

void TestFormats::nonFiniteNeverGarbled_data() {
    QTest::addColumn<double>("value");
    QTest::newRow("inf") << std::numeric_limits<double>::infinity();
    QTest::newRow("-inf") << -std::numeric_limits<double>::infinity();
    QTest::newRow("nan") << std::numeric_limits<double>::quiet_NaN();
}

void TestFormats::nonFiniteNeverGarbled() {
    QFETCH(double, value);
    const QString invalid = QStringLiteral("#无效数值");
    QCOMPARE(formats::yuan(value), invalid);
    QCOMPARE(formats::fixed2(value), invalid);
    QCOMPARE(formats::general(value), invalid);
    QCOMPARE(formats::roundedDecimal(value, 2), invalid);
    QCOMPARE(formats::amountCell(value), invalid);
    // The value rounding keeps it what it is: no number appears from it.
    QVERIFY(!std::isfinite(formats::rounded(value, 2)));
    QVERIFY(!std::isfinite(formats::roundedToDigits(value, 15)));
    QVERIFY(!formats::isValidAmount(value));
}

void TestFormats::parseAmount_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("error"); // empty: accepted
    const QString tooLarge = QStringLiteral("金额的绝对值必须小于10000000000000：'%1'");
    QTest::newRow("ordinary") << " 1500.5 " << 1500.5 << "";
    QTest::newRow("just below the limit") << "9999999999999.99" << 9999999999999.99 << "";
    QTest::newRow("negative below the limit") << "-9999999999999" << -9999999999999.0 << "";
    QTest::newRow("the limit") << "10000000000000" << 0.0 << tooLarge.arg("10000000000000");
    QTest::newRow("negative limit") << "-1e13" << 0.0 << tooLarge.arg("-1e13");
    QTest::newRow("1e308") << "1e308" << 0.0 << tooLarge.arg("1e308");
    QTest::newRow("beyond double")
        << "1e400" << 0.0 << "'1e400' is not a valid floating point value";
    QTest::newRow("inf") << "inf" << 0.0 << "'inf' is not a valid floating point value";
    QTest::newRow("nan") << "nan" << 0.0 << "'nan' is not a valid floating point value";
}

void TestFormats::parseAmount() {
    QFETCH(QString, text);
    QFETCH(double, value);
    QFETCH(QString, error);
    if (error.isEmpty()) {
        QCOMPARE(formats::parseAmount(text), value);
        return;
    }
    try {
        formats::parseAmount(text);
        QFAIL("accepted an amount out of range");
    } catch (const AppError& e) {
        QCOMPARE(e.text(), error);
    }
}

void TestFormats::amountCell_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("ordinary") << 1234.5 << "￥1,234.5";
    QTest::newRow("largest") << 9999999999999.99 << "￥9,999,999,999,999.99";
    QTest::newRow("limit") << 1e13 << "#超出范围";
    QTest::newRow("negative huge") << -1e300 << "#超出范围";
}

void TestFormats::amountCell() {
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(formats::amountCell(value), text);
}

void TestFormats::cellText_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("error"); // empty: accepted
    QTest::newRow("plain") << "工资 2026"
                           << "";
    QTest::newRow("tab") << "a\tb"
                         << "";
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("NUL") << QString::fromUtf16(u"ab\u0000c", 4)
                         << "文本中不能有控制字符：第 3 个字符是 U+0000";
    QTest::newRow("line break") << "a\nb"
                                << "文本中不能有控制字符：第 2 个字符是 U+000A";
    QTest::newRow("carriage return") << "\r"
                                     << "文本中不能有控制字符：第 1 个字符是 U+000D";
    QTest::newRow("DEL") << "x\x7f"
                         << "文本中不能有控制字符：第 2 个字符是 U+007F";
    QTest::newRow("C1 control") << QString::fromUtf16(u"备注\u0085")
                                << "文本中不能有控制字符：第 3 个字符是 U+0085";
    // Half of a UTF-16 pair: the store would lose the character after it.
    QTest::newRow("pair") << QString::fromUtf16(u"红包\U0001F9E7") << "";
    QTest::newRow("lone high surrogate") << QString::fromUtf16(u"a\xD83E"
                                                               u"b",
                                                               3)
                                         << "文本中不能有不成对的代理字符：第 2 个字符是 U+D83E";
    QTest::newRow("high surrogate at the end")
        << QString::fromUtf16(u"ab\xD83E", 3)
        << "文本中不能有不成对的代理字符：第 3 个字符是 U+D83E";
    QTest::newRow("lone low surrogate") << QString::fromUtf16(u"\xDDE7x", 2)
                                        << "文本中不能有不成对的代理字符：第 1 个字符是 U+DDE7";
    QTest::newRow("pair reversed") << QString::fromUtf16(u"\xDDE7\xD83E", 2)
                                   << "文本中不能有不成对的代理字符：第 1 个字符是 U+DDE7";
    QTest::newRow("after a pair") << QString::fromUtf16(u"\U0001F9E7\xDDE7", 3)
                                  << "文本中不能有不成对的代理字符：第 3 个字符是 U+DDE7";
    // Marks that make the text read differently from the order in which it is stored.
    for (const char16_t c : {u'\u202A', u'\u202B', u'\u202C', u'\u202D', u'\u202E', u'\u2066',
                             u'\u2067', u'\u2068', u'\u2069'}) {
        const QString code = QString::number(unsigned(c), 16).toUpper();
        QTest::newRow(qPrintable(QStringLiteral("U+") + code))
            << QStringLiteral("工资") + QChar(c) + QStringLiteral("001")
            << QStringLiteral("文本中不能有改变文字方向的控制字符：第 3 个字符是 U+") + code;
    }
    QTest::newRow("right-to-left mark") << QString::fromUtf16(u"a\u200Fb") << "";
}

void TestFormats::cellText() {
    QFETCH(QString, text);
    QFETCH(QString, error);
    if (error.isEmpty()) {
        formats::checkCellText(text);
        return;
    }
    try {
        formats::checkCellText(text);
        QFAIL("accepted a control character");
    } catch (const AppError& e) {
        QCOMPARE(e.text(), error);
    }
}

void TestFormats::rounded_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<double>("expected");
    QTest::newRow("half below its binary value") << 1.005 << 2 << 1.01;
    QTest::newRow("half, negative") << -1.005 << 2 << -1.01;
    QTest::newRow("below half") << 2.6749 << 2 << 2.67;
    QTest::newRow("less than half a cent") << 0.004 << 2 << 0.0;
    QTest::newRow("half a cent") << 0.005 << 2 << 0.01;
    QTest::newRow("carry into the units") << 999.995 << 2 << 1000.0;
    QTest::newRow("large") << 123456789.125 << 2 << 123456789.13;
    QTest::newRow("beyond the cents of a double") << 1e20 << 2 << 1e20;
    QTest::newRow("sum noise") << 0.1 + 0.2 << 2 << 0.3;
    QTest::newRow("whole units") << 2.5 << 0 << 3.0;
    QTest::newRow("zero") << 0.0 << 2 << 0.0;
}

void TestFormats::rounded() {
    QFETCH(double, value);
    QFETCH(int, decimals);
    QFETCH(double, expected);
    QCOMPARE(formats::rounded(value, decimals), expected);
    // The same decimal as the text rounding writes.
    QCOMPARE(formats::rounded(value, decimals),
             formats::parseNumber(formats::roundedDecimal(value, decimals)));
}

void TestFormats::roundedToDigits_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<double>("expected");
    QTest::newRow("sum noise") << 0.1 + 0.2 << 0.3;
    QTest::newRow("negative noise") << -(0.1 + 0.2) << -0.3;
    QTest::newRow("cents of large sums") << 9999999999999.99 << 9999999999999.99;
    QTest::newRow("sixteenth digit") << 1234567890123456.0 << 1234567890123460.0;
    QTest::newRow("small") << 0.000012345678901234567 << 0.0000123456789012346;
    QTest::newRow("zero") << 0.0 << 0.0;
}

void TestFormats::roundedToDigits() {
    QFETCH(double, value);
    QFETCH(double, expected);
    QCOMPARE(formats::roundedToDigits(value, 15), expected);
    // What the general format shows, read back.
    QCOMPARE(formats::roundedToDigits(value, 15), formats::parseNumber(formats::general(value)));
}

QTEST_GUILESS_MAIN(TestFormats)
#include "tst_formats.moc"
