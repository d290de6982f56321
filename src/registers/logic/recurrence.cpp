#include "registers/logic/recurrence.h"

#include <QStringList>
#include <algorithm>

namespace recurrence {
namespace {

// A whole number written in plain digits, or -1.
int digits(const QString& text) {
    if (text.isEmpty() || text.size() > 2)
        return -1;
    for (QChar c : text)
        if (!c.isDigit() || c.unicode() > 127)
            return -1;
    return text.toInt();
}

// Month and day of a yearly rule's "MM-dd" (single digits allowed), or nothing.
std::optional<std::pair<int, int>> monthDay(const QString& text) {
    const QStringList parts = text.trimmed().split(u'-');
    if (parts.size() != 2)
        return std::nullopt;
    const int m = digits(parts[0]);
    const int d = digits(parts[1]);
    // 2000 is a leap year: every day that any year has is valid in it.
    if (m < 1 || !QDate(2000, m, std::max(d, 1)).isValid() || d < 1)
        return std::nullopt;
    return std::pair{m, d};
}

QDate dayInMonth(int year, int month, int day) {
    return QDate(year, month, std::min(day, QDate(year, month, 1).daysInMonth()));
}

// The occurrence of the rule in the period that holds `d`.
QDate occurrenceInPeriodOf(const Rule& rule, const QDate& d) {
    switch (rule.every) {
    case Every::Month:
        return dayInMonth(d.year(), d.month(), rule.day);
    case Every::Week:
        return d.addDays(rule.day - d.dayOfWeek());
    case Every::Year:
        return dayInMonth(d.year(), rule.month, rule.day);
    }
    return {};
}

// The occurrence of the period after the one of `occurrence`.
QDate nextOccurrence(const Rule& rule, const QDate& occurrence) {
    switch (rule.every) {
    case Every::Month: {
        const QDate next = QDate(occurrence.year(), occurrence.month(), 1).addMonths(1);
        return dayInMonth(next.year(), next.month(), rule.day);
    }
    case Every::Week:
        return occurrence.addDays(7);
    case Every::Year:
        return dayInMonth(occurrence.year() + 1, rule.month, rule.day);
    }
    return {};
}

// The first day of the period after the one that holds `d`.
QDate startOfNextPeriod(Every every, const QDate& d) {
    switch (every) {
    case Every::Month:
        return QDate(d.year(), d.month(), 1).addMonths(1);
    case Every::Week:
        return d.addDays(8 - d.dayOfWeek());
    case Every::Year:
        return QDate(d.year() + 1, 1, 1);
    }
    return {};
}

QDate dateOf(const QString& text) {
    return QDate::fromString(text.trimmed(), QStringLiteral("yyyy-MM-dd"));
}

} // namespace

std::optional<Every> everyOf(const QString& text) {
    const QString t = text.trimmed();
    if (t == QStringLiteral("每月"))
        return Every::Month;
    if (t == QStringLiteral("每周"))
        return Every::Week;
    if (t == QStringLiteral("每年"))
        return Every::Year;
    return std::nullopt;
}

QStringList everyTexts() {
    return {QStringLiteral("每月"), QStringLiteral("每周"), QStringLiteral("每年")};
}

QString dayProblem(const QString& everyText, const QString& day) {
    const std::optional<Every> every = everyOf(everyText);
    if (!every)
        return QStringLiteral("'%1' 不是已知的周期（每月、每周或每年）").arg(everyText);
    switch (*every) {
    case Every::Month: {
        const int d = digits(day.trimmed());
        return d >= 1 && d <= 31 ? QString()
                                 : QStringLiteral("每月的日期应为 1 到 31：'%1'").arg(day);
    }
    case Every::Week: {
        const int d = digits(day.trimmed());
        return d >= 1 && d <= 7
                   ? QString()
                   : QStringLiteral("每周的日期应为 1（星期一）到 7（星期日）：'%1'").arg(day);
    }
    case Every::Year:
        return monthDay(day) ? QString()
                             : QStringLiteral("每年的日期应写成 月-日，如 03-15：'%1'").arg(day);
    }
    return {};
}

std::optional<Rule> ruleOf(const QString& every, const QString& day, const QString& first,
                           const QString& last) {
    if (!dayProblem(every, day).isEmpty())
        return std::nullopt;
    Rule rule;
    rule.every = *everyOf(every);
    if (rule.every == Every::Year) {
        const auto md = *monthDay(day);
        rule.month = md.first;
        rule.day = md.second;
    } else {
        rule.day = digits(day.trimmed());
    }
    rule.first = dateOf(first);
    if (!rule.first.isValid())
        return std::nullopt;
    if (!last.trimmed().isEmpty()) {
        rule.last = dateOf(last);
        if (!rule.last.isValid() || rule.last < rule.first)
            return std::nullopt;
    }
    return rule;
}

QList<QDate> dueOccurrences(const Rule& rule, const std::optional<QDate>& lastEntered,
                            const QDate& today, int limit) {
    QList<QDate> out;
    if (!rule.first.isValid() || !today.isValid())
        return out;
    // The period to start in: the one of the first date, or the one after the last entered
    // occurrence, whichever is later, so that a period once entered never brings another.
    QDate from = rule.first;
    if (lastEntered && lastEntered->isValid())
        from = std::max(from, startOfNextPeriod(rule.every, *lastEntered));
    QDate at = occurrenceInPeriodOf(rule, from);
    if (at < from) // the period's day lies before the first date (or the entered period)
        at = nextOccurrence(rule, at);
    const QDate end = rule.last.isValid() ? std::min(rule.last, today) : today;
    while (at <= end && out.size() < limit) {
        out << at;
        at = nextOccurrence(rule, at);
    }
    return out;
}

} // namespace recurrence
