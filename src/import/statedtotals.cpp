#include "import/statedtotals.h"

#include "import/billtext.h"

#include <QRegularExpression>

namespace bills {

namespace {

enum class Side { Income, Expense, Neutral };

std::optional<Side> sideOfLabel(const QString& label) {
    if (label == u"收入" || label == u"已收入" || label == u"待收入")
        return Side::Income;
    if (label == u"支出" || label == u"已支出" || label == u"待支出")
        return Side::Expense;
    if (label == u"不计收支" || label == u"其他" || label == u"中性交易")
        return Side::Neutral;
    return std::nullopt;
}

Side sideOfDirection(const QString& direction) {
    if (direction == u"收入")
        return Side::Income;
    if (direction == u"支出")
        return Side::Expense;
    return Side::Neutral;
}

struct Tally {
    qint64 count = 0;
    qint64 cents = 0;
};

// "少 14 笔、2460.68 元" for what was read short of what is stated (多 when more was read).
QString gapText(const Tally& stated, const Tally& read) {
    QStringList parts;
    const qint64 countGap = stated.count - read.count;
    if (countGap != 0)
        parts << QStringLiteral("%1 %2 笔")
                     .arg(countGap > 0 ? QStringLiteral("少") : QStringLiteral("多"))
                     .arg(countGap > 0 ? countGap : -countGap);
    const qint64 centsGap = stated.cents - read.cents;
    if (centsGap != 0)
        parts << QStringLiteral("%1 %2 元")
                     .arg(centsGap > 0 ? QStringLiteral("少") : QStringLiteral("多"))
                     .arg(centsText(centsGap > 0 ? centsGap : -centsGap));
    return parts.join(QStringLiteral("、"));
}

} // namespace

std::optional<StatedTotals> statedTotalsIn(const QStringList& lines) {
    static const QRegularExpression totalsLine(QStringLiteral(
        "^\\s*(收入|支出|不计收支|其他|中性交易|已收入|待收入|已支出|待支出)\\s*[:：]\\s*"
        "([^笔,，]*)笔\\s*[,，]?\\s*([^元]*)元"));
    StatedTotals totals;
    bool income = false, expense = false;
    for (const QString& line : lines) {
        const auto m = totalsLine.match(line);
        if (!m.hasMatch())
            continue;
        bool countRead = false;
        const int count = m.captured(2).trimmed().toInt(&countRead);
        const auto cents = parseCents(m.captured(3));
        if (!countRead || count < 0 || !cents || *cents < 0)
            return std::nullopt;
        switch (*sideOfLabel(m.captured(1))) {
        case Side::Income:
            income = true;
            totals.incomeCount += count;
            totals.incomeCents += *cents;
            break;
        case Side::Expense:
            expense = true;
            totals.expenseCount += count;
            totals.expenseCents += *cents;
            break;
        case Side::Neutral:
            totals.neutralStated = true;
            totals.neutralCount += count;
            totals.neutralCents += *cents;
            break;
        }
    }
    if (!income || !expense)
        return std::nullopt;
    return totals;
}

std::optional<QString> statedTotalsProblem(const BillFile& file) {
    if (!file.stated)
        return std::nullopt;
    Tally read[3];
    for (const BillRow& row : file.rows) {
        Tally& tally = read[static_cast<int>(sideOfDirection(row.direction))];
        ++tally.count;
        tally.cents += row.cents;
    }
    const StatedTotals& s = *file.stated;
    struct SideCheck {
        QString name;
        Tally stated;
        Tally read;
        bool checked;
    };
    const SideCheck sides[] = {
        {QStringLiteral("收入"), {s.incomeCount, s.incomeCents}, read[0], true},
        {QStringLiteral("支出"), {s.expenseCount, s.expenseCents}, read[1], true},
        {QStringLiteral("不计收支"), {s.neutralCount, s.neutralCents}, read[2], s.neutralStated},
    };
    QStringList problems;
    for (const SideCheck& side : sides) {
        if (!side.checked ||
            (side.stated.count == side.read.count && side.stated.cents == side.read.cents))
            continue;
        problems << QStringLiteral("%1应为 %2 笔 %3 元，读到 %4 笔 %5 元（%6）")
                        .arg(side.name)
                        .arg(side.stated.count)
                        .arg(centsText(side.stated.cents))
                        .arg(side.read.count)
                        .arg(centsText(side.read.cents))
                        .arg(gapText(side.stated, side.read));
    }
    if (problems.isEmpty())
        return std::nullopt;
    return QStringLiteral("文件未完整读取：%1").arg(problems.join(QStringLiteral("；")));
}

} // namespace bills
