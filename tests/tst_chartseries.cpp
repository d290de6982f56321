// How a chart statement's rows become the chart's points, and how the points are described
// for assistive technology.
#include "reports/logic/chartseries.h"

#include <QTest>

using namespace charts;

namespace {

// "x|y" per row; "~" stands for NULL on either side.
QList<std::pair<QVariant, QVariant>> rowsOf(const QStringList& texts) {
    QList<std::pair<QVariant, QVariant>> rows;
    for (const QString& t : texts) {
        const QString x = t.section(u'|', 0, 0);
        const QString y = t.section(u'|', 1, 1);
        rows.append({x == u'~' ? QVariant() : QVariant(x),
                     y == u'~' ? QVariant() : QVariant(y.toDouble())});
    }
    return rows;
}

QStringList pointTexts(const QList<SeriesPoint>& points) {
    QStringList out;
    for (const SeriesPoint& p : points)
        out << p.label + u'=' + amountText(p.value);
    return out;
}

} // namespace

class TestChartSeries : public QObject {
    Q_OBJECT
private slots:
    void binding_data();
    void binding();
    void description_data();
    void description();
    void sixPagesInOrder();
};

void TestChartSeries::binding_data() {
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QStringList>("points");
    QTest::newRow("no rows") << QStringList{} << QStringList{};
    QTest::newRow("one row per label")
        << QStringList{"支出|42.5", "收入|1100"} << QStringList{"支出=42.50", "收入=1100.00"};
    QTest::newRow("daily rows become months, in first-occurrence order")
        << QStringList{"2005-03|100", "2005-03|50", "2005-04|30"}
        << QStringList{"2005-03=150.00", "2005-04=30.00"};
    QTest::newRow("a repeated label adds to its first point, wherever it recurs")
        << QStringList{"b|1", "a|2", "b|3", "c|4", "a|5"}
        << QStringList{"b=4.00", "a=7.00", "c=4.00"};
    QTest::newRow("an empty y counts as 0")
        << QStringList{"餐饮|~", "交通|3", "餐饮|2"} << QStringList{"餐饮=2.00", "交通=3.00"};
    QTest::newRow("a group with no amount at all is a point of 0")
        << QStringList{"餐饮|~"} << QStringList{"餐饮=0.00"};
    QTest::newRow("an empty x is the empty label, the same as an empty text")
        << QStringList{"~|5", "工资|200", "|7"} << QStringList{"=12.00", "工资=200.00"};
    QTest::newRow("sums to the cent") << QStringList{"x|0.1", "x|0.2"} << QStringList{"x=0.30"};
}

void TestChartSeries::binding() {
    QFETCH(QStringList, rows);
    QFETCH(QStringList, points);
    QCOMPARE(pointTexts(bindSeries(rowsOf(rows))), points);
}

void TestChartSeries::description_data() {
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QString>("description");
    QTest::newRow("empty") << QStringList{} << QStringLiteral("无数据");
    QTest::newRow("two directions")
        << QStringList{"收入|1100", "支出|42.5"} << QStringLiteral("收入 1100.00；支出 42.50");
    QTest::newRow("empty label") << QStringList{"~|3.456"} << QStringLiteral(" 3.46");
}

void TestChartSeries::description() {
    QFETCH(QStringList, rows);
    QFETCH(QString, description);
    QCOMPARE(describeSeries(bindSeries(rowsOf(rows))), description);
}

void TestChartSeries::sixPagesInOrder() {
    QStringList tabs;
    for (const ChartPage& p : chartPages())
        tabs << p.tabText;
    QCOMPARE(tabs, (QStringList{"收支饼图", "柱状图", "月收入图", "月支出图", "大类收入图",
                                "大类支出图"}));
}

QTEST_GUILESS_MAIN(TestChartSeries)
#include "tst_chartseries.moc"
