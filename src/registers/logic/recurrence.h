#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <optional>

// The rule of a recurring entry and the occurrences it brings: pure functions of the rule,
// the last occurrence already entered and today.
namespace recurrence {

enum class Every { Month, Week, Year };

// 每月, 每周 or 每年 as a period; nothing for any other text.
std::optional<Every> everyOf(const QString& text);
// The three texts, in the order a pick list offers them.
QStringList everyTexts();

// A schedule's rule: how often, on which day, from when until when.
struct Rule {
    Every every = Every::Month;
    int month = 0; // 1-12 for a yearly rule
    int day = 0;   // day of the month (1-31), weekday (1 Monday - 7 Sunday), or day in `month`
    QDate first;
    QDate last; // invalid: no end
};

// Reads the stored texts of a schedule into a rule; nothing when they do not make one (an
// unknown period, a day that does not fit it, an empty or unreadable first date, a last date
// before the first). `day` is "1".."31" for 每月, "1".."7" for 每周 and "MM-dd" for 每年.
std::optional<Rule> ruleOf(const QString& every, const QString& day, const QString& first,
                           const QString& last);
// Why `day` does not fit `every`, or an empty text when it does (for the schedule window).
QString dayProblem(const QString& every, const QString& day);

// The occurrences due up to `today`, oldest first: from the rule's first date, or from the
// period after the one of `lastEntered`, up to its last date. Day 31 falls on the last day of
// a shorter month, 29 February on 28 February in other years; at most one per period. At most
// `limit` are given; the rest come once these are entered.
QList<QDate> dueOccurrences(const Rule& rule, const std::optional<QDate>& lastEntered,
                            const QDate& today, int limit = 400);

} // namespace recurrence
