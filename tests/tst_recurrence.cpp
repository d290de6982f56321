// The occurrences a recurring entry brings: month ends, leap years, weekly and yearly rules,
// first and last dates, entered periods and a rule changed after some were entered.
#include "registers/logic/recurrence.h"

#include <QTest>

using recurrence::Rule;

namespace {
QDate d(const QString& text) {
    return QDate::fromString(text, QStringLiteral("yyyy-MM-dd"));
}
} // namespace

class TestRecurrence : public QObject {
    Q_OBJECT
private slots:
    void occurrences_data();
    void occurrences();
    void rules_data();
    void rules();
    void limitLeavesTheRestForLater();
};

void TestRecurrence::occurrences_data() {
    QTest::addColumn<QString>("every");
    QTest::addColumn<QString>("day");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("last");
    QTest::addColumn<QString>("lastEntered"); // empty: none yet
    QTest::addColumn<QString>("today");
    QTest::addColumn<QStringList>("due");

    QTest::newRow("day 31 falls on each month's last day")
        << "每月"
        << "31"
        << "2026-01-31"
        << ""
        << ""
        << "2026-05-01" << QStringList{"2026-01-31", "2026-02-28", "2026-03-31", "2026-04-30"};
    QTest::newRow("day 30 in a leap February")
        << "每月"
        << "30"
        << "2024-01-15"
        << ""
        << ""
        << "2024-03-01" << QStringList{"2024-01-30", "2024-02-29"};
    QTest::newRow("29 February on 28 February in other years")
        << "每年"
        << "02-29"
        << "2024-02-29"
        << ""
        << ""
        << "2028-03-01"
        << QStringList{"2024-02-29", "2025-02-28", "2026-02-28", "2027-02-28", "2028-02-29"};
    QTest::newRow("yearly, this year's day not reached yet")
        << "每年"
        << "12-25"
        << "2025-01-01"
        << ""
        << ""
        << "2026-12-09" << QStringList{"2025-12-25"};
    QTest::newRow("weekly on Mondays from a Tuesday")
        << "每周"
        << "1"
        << "2026-12-01"
        << ""
        << ""
        << "2026-12-21" << QStringList{"2026-12-07", "2026-12-14", "2026-12-21"};
    QTest::newRow("weekly on Sundays") << "每周"
                                       << "7"
                                       << "2026-11-29"
                                       << ""
                                       << ""
                                       << "2026-12-09" << QStringList{"2026-11-29", "2026-12-06"};
    QTest::newRow("today's occurrence is due") << "每月"
                                               << "9"
                                               << "2026-12-01"
                                               << ""
                                               << ""
                                               << "2026-12-09" << QStringList{"2026-12-09"};
    QTest::newRow("tomorrow's is not") << "每月"
                                       << "10"
                                       << "2026-12-01"
                                       << ""
                                       << ""
                                       << "2026-12-09" << QStringList{};
    QTest::newRow("a day before the first date waits for the next month")
        << "每月"
        << "5"
        << "2026-11-10"
        << ""
        << ""
        << "2026-12-09" << QStringList{"2026-12-05"};
    QTest::newRow("first date in the future brings nothing") << "每月"
                                                             << "1"
                                                             << "2027-01-01"
                                                             << ""
                                                             << ""
                                                             << "2026-12-09" << QStringList{};
    QTest::newRow("last date ends it")
        << "每月"
        << "5"
        << "2026-01-01"
        << "2026-03-10"
        << ""
        << "2026-12-09" << QStringList{"2026-01-05", "2026-02-05", "2026-03-05"};
    QTest::newRow("last date on the occurrence itself")
        << "每周"
        << "3"
        << "2026-12-01"
        << "2026-12-09"
        << ""
        << "2026-12-31" << QStringList{"2026-12-02", "2026-12-09"};
    QTest::newRow("entered up to date brings nothing") << "每月"
                                                       << "5"
                                                       << "2026-01-01"
                                                       << ""
                                                       << "2026-12-05"
                                                       << "2026-12-31" << QStringList{};
    QTest::newRow("unused for 14 months: each missed month once")
        << "每月"
        << "10"
        << "2025-01-10"
        << ""
        << "2025-09-10"
        << "2026-12-09"
        << QStringList{"2025-10-10", "2025-11-10", "2025-12-10", "2026-01-10", "2026-02-10",
                       "2026-03-10", "2026-04-10", "2026-05-10", "2026-06-10", "2026-07-10",
                       "2026-08-10", "2026-09-10", "2026-10-10", "2026-11-10"};
    QTest::newRow("day moved later after this month was entered") << "每月"
                                                                  << "20"
                                                                  << "2026-01-01"
                                                                  << ""
                                                                  << "2026-12-05"
                                                                  << "2026-12-25" << QStringList{};
    QTest::newRow("day moved later: next month on the new day")
        << "每月"
        << "20"
        << "2026-01-01"
        << ""
        << "2026-12-05"
        << "2027-01-25" << QStringList{"2027-01-20"};
    QTest::newRow("day moved earlier: nothing again this month")
        << "每月"
        << "1"
        << "2026-01-01"
        << ""
        << "2026-11-05"
        << "2026-12-09" << QStringList{"2026-12-01"};
    QTest::newRow("weekday moved within an entered week")
        << "每周"
        << "5"
        << "2026-11-01"
        << ""
        << "2026-12-08"
        << "2026-12-18" << QStringList{"2026-12-18"};
    QTest::newRow("yearly entered this year") << "每年"
                                              << "01-15"
                                              << "2020-01-01"
                                              << ""
                                              << "2026-01-15"
                                              << "2026-12-09" << QStringList{};
    QTest::newRow("first date moved later than the entered ones")
        << "每月"
        << "5"
        << "2026-11-01"
        << ""
        << "2026-02-05"
        << "2026-12-09" << QStringList{"2026-11-05", "2026-12-05"};
}

void TestRecurrence::occurrences() {
    QFETCH(QString, every);
    QFETCH(QString, day);
    QFETCH(QString, first);
    QFETCH(QString, last);
    QFETCH(QString, lastEntered);
    QFETCH(QString, today);
    QFETCH(QStringList, due);
    const auto rule = recurrence::ruleOf(every, day, first, last);
    QVERIFY(rule);
    std::optional<QDate> entered;
    if (!lastEntered.isEmpty())
        entered = d(lastEntered);
    QStringList got;
    for (const QDate& at : recurrence::dueOccurrences(*rule, entered, d(today)))
        got << at.toString(QStringLiteral("yyyy-MM-dd"));
    QCOMPARE(got, due);
}

void TestRecurrence::rules_data() {
    QTest::addColumn<QString>("every");
    QTest::addColumn<QString>("day");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("last");
    QTest::addColumn<bool>("valid");
    QTest::newRow("monthly 31") << "每月"
                                << "31"
                                << "2026-01-01"
                                << "" << true;
    QTest::newRow("monthly 32") << "每月"
                                << "32"
                                << "2026-01-01"
                                << "" << false;
    QTest::newRow("monthly 0") << "每月"
                               << "0"
                               << "2026-01-01"
                               << "" << false;
    QTest::newRow("monthly with a blank around") << "每月"
                                                 << " 5 "
                                                 << "2026-01-01"
                                                 << "" << true;
    QTest::newRow("weekly 7") << "每周"
                              << "7"
                              << "2026-01-01"
                              << "" << true;
    QTest::newRow("weekly 8") << "每周"
                              << "8"
                              << "2026-01-01"
                              << "" << false;
    QTest::newRow("yearly 02-29") << "每年"
                                  << "02-29"
                                  << "2026-01-01"
                                  << "" << true;
    QTest::newRow("yearly 2-9") << "每年"
                                << "2-9"
                                << "2026-01-01"
                                << "" << true;
    QTest::newRow("yearly 02-30") << "每年"
                                  << "02-30"
                                  << "2026-01-01"
                                  << "" << false;
    QTest::newRow("yearly 13-01") << "每年"
                                  << "13-01"
                                  << "2026-01-01"
                                  << "" << false;
    QTest::newRow("yearly without a month") << "每年"
                                            << "15"
                                            << "2026-01-01"
                                            << "" << false;
    QTest::newRow("unknown period") << "每天"
                                    << "1"
                                    << "2026-01-01"
                                    << "" << false;
    QTest::newRow("no first date") << "每月"
                                   << "1"
                                   << ""
                                   << "" << false;
    QTest::newRow("unreadable first date") << "每月"
                                           << "1"
                                           << "2026-02-30"
                                           << "" << false;
    QTest::newRow("last before first") << "每月"
                                       << "1"
                                       << "2026-02-01"
                                       << "2026-01-31" << false;
    QTest::newRow("unreadable last date") << "每月"
                                          << "1"
                                          << "2026-02-01"
                                          << "soon" << false;
}

void TestRecurrence::rules() {
    QFETCH(QString, every);
    QFETCH(QString, day);
    QFETCH(QString, first);
    QFETCH(QString, last);
    QFETCH(bool, valid);
    QCOMPARE(recurrence::ruleOf(every, day, first, last).has_value(), valid);
}

void TestRecurrence::limitLeavesTheRestForLater() {
    const auto rule = recurrence::ruleOf(QStringLiteral("每周"), QStringLiteral("1"),
                                         QStringLiteral("1990-01-01"), QString());
    QVERIFY(rule);
    const QList<QDate> first = recurrence::dueOccurrences(*rule, std::nullopt, d("2026-12-09"), 10);
    QCOMPARE(first.size(), 10);
    QCOMPARE(first.first(), d("1990-01-01"));
    // Once those are entered, the next come, without a gap or a repeat.
    const QList<QDate> next = recurrence::dueOccurrences(*rule, first.last(), d("2026-12-09"), 10);
    QCOMPARE(next.first(), first.last().addDays(7));
}

QTEST_APPLESS_MAIN(TestRecurrence)
#include "tst_recurrence.moc"
