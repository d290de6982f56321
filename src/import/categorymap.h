#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

// The categories an import may suggest: the user's own lists, and the mapping table from a
// bill's categories and well-known counterparties onto them.
namespace bills {

// A major category with its minor one (empty when none).
struct Category {
    QString major;
    QString minor;
    bool operator==(const Category&) const = default;
};

// The user's category and payment-method lists as an import sees them.
struct CategoryLists {
    QStringList incomeMajors;
    QStringList expenditureMajors;
    QHash<QString, QStringList> incomeMinors; // major → its minors
    QHash<QString, QStringList> expenditureMinors;
    QStringList paymentMethods;

    // `category` with a minor that is not in the lists dropped; an empty category when its
    // major is not in the lists of `direction` (收入 or 支出).
    Category fitting(const QString& direction, const Category& category) const;
};

// Reads the lists from <programFolder>/txt. Throws AppError when a file cannot be read.
CategoryLists readCategoryLists(const QString& programFolder);

// One line of the mapping table: a bill category (exact) or a counterparty (contained), and
// the categories it maps to, best first.
struct CategoryRule {
    bool byCounterparty = false;
    QString pattern;
    QList<Category> targets;
};

// The mapping table: counterparty rules go before category rules, each in file order.
struct CategoryMap {
    QList<CategoryRule> rules;
    // The first target of the first matching rule that fits the lists; empty when none.
    Category lookup(const QString& direction, const QString& billCategory,
                    const QString& counterparty, const CategoryLists& lists) const;
};

// The table from its text: one rule a line, "餐饮美食 = 餐饮" or "对方:滴滴 = 交通-打车",
// alternatives separated by "|"; blank lines and lines starting with "#" are ignored.
CategoryMap parseCategoryMap(const QString& text);
// The table shipped with the program: share/import-categories.txt beside the program folder's
// txt/ (a build folder) or in the installed share/teloq/; an empty table when there is none.
CategoryMap readCategoryMap(const QString& programFolder);
// The path readCategoryMap reads, or empty when no table is found.
QString categoryMapPath(const QString& programFolder);

} // namespace bills
