#include "import/categorymap.h"

#include "lists/gbk.h"
#include "lists/listfiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace bills {

namespace {

bool isIncome(const QString& direction) {
    return direction == QStringLiteral("收入");
}

Category categoryOf(const QString& text) {
    const qsizetype dash = text.indexOf(u'-');
    if (dash < 0)
        return {text.trimmed(), {}};
    return {text.left(dash).trimmed(), text.mid(dash + 1).trimmed()};
}

} // namespace

Category CategoryLists::fitting(const QString& direction, const Category& category) const {
    const QStringList& majors = isIncome(direction) ? incomeMajors : expenditureMajors;
    if (category.major.isEmpty() || !majors.contains(category.major))
        return {};
    const auto& minors = isIncome(direction) ? incomeMinors : expenditureMinors;
    if (!category.minor.isEmpty() && minors.value(category.major).contains(category.minor))
        return category;
    return {category.major, {}};
}

CategoryLists readCategoryLists(const QString& programFolder) {
    CategoryLists out;
    const auto read = [&](lists::Direction d, QStringList& majors,
                          QHash<QString, QStringList>& minors) {
        majors = lists::decodeAll(lists::readList(programFolder, lists::majorFile(d)));
        for (const QString& major : majors)
            minors.insert(major, lists::decodeAll(lists::minorCategories(programFolder, d,
                                                                         lists::encode(major))));
    };
    read(lists::Direction::Income, out.incomeMajors, out.incomeMinors);
    read(lists::Direction::Expenditure, out.expenditureMajors, out.expenditureMinors);
    out.paymentMethods = lists::decodeAll(
        lists::readList(programFolder, QString::fromLatin1(lists::kPaymentMethodFile)));
    return out;
}

Category CategoryMap::lookup(const QString& direction, const QString& billCategory,
                             const QString& counterparty, const CategoryLists& lists) const {
    for (const bool byCounterparty : {true, false}) {
        for (const CategoryRule& rule : rules) {
            if (rule.byCounterparty != byCounterparty)
                continue;
            const bool matches =
                byCounterparty ? !counterparty.isEmpty() && counterparty.contains(rule.pattern)
                               : billCategory == rule.pattern;
            if (!matches)
                continue;
            for (const Category& target : rule.targets) {
                const Category fit = lists.fitting(direction, target);
                if (!fit.major.isEmpty())
                    return fit;
            }
        }
    }
    return {};
}

CategoryMap parseCategoryMap(const QString& text) {
    CategoryMap map;
    const QString counterpartyMark = QStringLiteral("对方:");
    for (QString line : text.split(u'\n')) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        const qsizetype eq = line.indexOf(u'=');
        if (eq <= 0)
            continue;
        CategoryRule rule;
        QString pattern = line.left(eq).trimmed();
        if (pattern.startsWith(counterpartyMark) || pattern.startsWith(QStringLiteral("对方："))) {
            rule.byCounterparty = true;
            pattern = pattern.mid(counterpartyMark.size()).trimmed();
        }
        rule.pattern = pattern;
        for (const QString& target : line.mid(eq + 1).split(u'|')) {
            const Category c = categoryOf(target);
            if (!c.major.isEmpty())
                rule.targets << c;
        }
        if (!rule.pattern.isEmpty() && !rule.targets.isEmpty())
            map.rules << rule;
    }
    return map;
}

QString categoryMapPath(const QString& programFolder) {
    const QString name = QStringLiteral("import-categories.txt");
    QStringList candidates{QDir(programFolder).filePath(QStringLiteral("share/") + name)};
    if (QCoreApplication::instance()) {
        const QDir app(QCoreApplication::applicationDirPath());
        candidates << app.filePath(QStringLiteral("share/") + name)
                   << app.filePath(QStringLiteral("../share/") + name)
                   << app.filePath(QStringLiteral("../share/teloq/") + name);
    }
    for (const QString& path : candidates)
        if (QFileInfo(path).isFile())
            return QDir::cleanPath(path);
    return {};
}

CategoryMap readCategoryMap(const QString& programFolder) {
    QFile file(categoryMapPath(programFolder));
    if (file.fileName().isEmpty() || !file.open(QIODevice::ReadOnly))
        return {};
    return parseCategoryMap(QString::fromUtf8(file.readAll()));
}

} // namespace bills
