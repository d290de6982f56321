#include "import/billtext.h"
#include "import/csvmapping.h"

#include <QRegularExpression>
#include <algorithm>

// The first guess of a mapping for a CSV of no known layout, from the usual titles of its
// columns; the user confirms or mends it in the mapping step.
namespace bills {

namespace {

// The roles a column can have, in the order a guess gives them out: a title that fits two
// roles goes to the first ("交易金额(收入)" is income, not the amount).
enum class Role { TransactionNo, Balance, Income, Expense, Direction, Date, Amount, Counterparty };

QStringList keywordsOf(Role role) {
    switch (role) {
    case Role::TransactionNo:
        return {QStringLiteral("交易流水号"), QStringLiteral("流水号"),
                QStringLiteral("交易号"),     QStringLiteral("交易单号"),
                QStringLiteral("交易订单号"), QStringLiteral("订单号"),
                QStringLiteral("凭证号"),     QStringLiteral("transaction id"),
                QStringLiteral("reference"),  QStringLiteral("fitid")};
    case Role::Balance:
        return {QStringLiteral("账户余额"), QStringLiteral("联机余额"), QStringLiteral("余额"),
                QStringLiteral("balance")};
    case Role::Income:
        return {QStringLiteral("收入金额"),      QStringLiteral("收入"),
                QStringLiteral("存入金额"),      QStringLiteral("存入"),
                QStringLiteral("贷方发生额"),    QStringLiteral("贷方金额"),
                QStringLiteral("credit amount"), QStringLiteral("credit"),
                QStringLiteral("deposit"),       QStringLiteral("paid in")};
    case Role::Expense:
        return {QStringLiteral("支出金额"),     QStringLiteral("支出"),
                QStringLiteral("取出金额"),     QStringLiteral("取出"),
                QStringLiteral("借方发生额"),   QStringLiteral("借方金额"),
                QStringLiteral("debit amount"), QStringLiteral("debit"),
                QStringLiteral("withdrawal"),   QStringLiteral("paid out")};
    case Role::Direction:
        return {QStringLiteral("收/支"),    QStringLiteral("收支"), QStringLiteral("收支类型"),
                QStringLiteral("借贷标志"), QStringLiteral("借贷"), QStringLiteral("交易方向"),
                QStringLiteral("方向"),     QStringLiteral("dr/cr")};
    case Role::Date:
        return {QStringLiteral("交易日期"),
                QStringLiteral("记账日期"),
                QStringLiteral("记账日"),
                QStringLiteral("日期"),
                QStringLiteral("交易时间"),
                QStringLiteral("时间"),
                QStringLiteral("transaction date"),
                QStringLiteral("posting date"),
                QStringLiteral("date")};
    case Role::Amount:
        return {QStringLiteral("交易金额"), QStringLiteral("金额"), QStringLiteral("发生额"),
                QStringLiteral("amount")};
    case Role::Counterparty:
        return {QStringLiteral("对方户名"),   QStringLiteral("对方名称"),
                QStringLiteral("交易对方"),   QStringLiteral("对手信息"),
                QStringLiteral("对方账户名"), QStringLiteral("收/付款方"),
                QStringLiteral("商户名称"),   QStringLiteral("对方"),
                QStringLiteral("payee"),      QStringLiteral("counterparty")};
    }
    return {};
}

const QStringList& remarkKeywords() {
    static const QStringList words{
        QStringLiteral("摘要"),      QStringLiteral("交易摘要"),    QStringLiteral("客户摘要"),
        QStringLiteral("备注"),      QStringLiteral("用途"),        QStringLiteral("附言"),
        QStringLiteral("说明"),      QStringLiteral("商品说明"),    QStringLiteral("商品"),
        QStringLiteral("memo"),      QStringLiteral("description"), QStringLiteral("notes"),
        QStringLiteral("narrative"), QStringLiteral("details")};
    return words;
}

// A title as compared: lower case, a unit in brackets at the end ("金额(元)") taken off.
QString normalTitle(const QString& title) {
    static const QRegularExpression unit(
        QStringLiteral("[(（]\\s*(元|人民币|rmb|cny|¥|￥)\\s*[)）]$"));
    QString t = title.toLower().trimmed();
    t.remove(unit);
    return t.trimmed();
}

// The column of `titles` the keywords name: an exact title first, then one containing a
// keyword; columns already given out are passed over.
int findColumn(const QStringList& titles, const QStringList& keywords, const QList<int>& taken) {
    for (int pass = 0; pass < 2; ++pass) {
        for (const QString& word : keywords) {
            for (int i = 0; i < titles.size(); ++i) {
                if (taken.contains(i) || titles.at(i).isEmpty())
                    continue;
                if (pass == 0 ? titles.at(i) == word : titles.at(i).contains(word))
                    return i;
            }
        }
    }
    return -1;
}

bool isKnownTitle(const QString& title) {
    const QString t = normalTitle(title);
    for (Role role : {Role::TransactionNo, Role::Balance, Role::Income, Role::Expense,
                      Role::Direction, Role::Date, Role::Amount, Role::Counterparty})
        if (keywordsOf(role).contains(t))
            return true;
    return remarkKeywords().contains(t);
}

bool looksLikeValue(const QString& cell) {
    return parseCents(cell).has_value() || parseBillDate(cell).has_value();
}

// Whether a line's cells look like a header: two titles or more, none a number or a date.
bool looksLikeTitles(const QStringList& cells) {
    int titles = 0;
    for (const QString& c : cells) {
        if (c.isEmpty())
            continue;
        if (looksLikeValue(c))
            return false;
        ++titles;
    }
    return titles >= 2;
}

} // namespace

CsvMapping guessMapping(const QByteArray& bytes) {
    CsvMapping m;
    static const QByteArray bom("\xEF\xBB\xBF");
    m.encoding = bytes.startsWith(bom) || isValidUtf8(bytes) ? QStringLiteral("UTF-8")
                                                             : QStringLiteral("GBK");
    const QStringList lines = textLines(decodeAs(bytes, m.encoding));
    int header = -1, fallback = -1;
    for (int i = 0; i < lines.size() && i < 60 && header < 0; ++i) {
        const QStringList cells = cleanCells(lines.at(i));
        if (!looksLikeTitles(cells))
            continue;
        if (fallback < 0)
            fallback = i;
        bool known = false;
        for (const QString& c : cells)
            known = known || isKnownTitle(c);
        if (known)
            header = i;
    }
    m.headerRow = header >= 0 ? header : (fallback >= 0 ? fallback : 0);
    const QStringList cells =
        m.headerRow < lines.size() ? cleanCells(lines.at(m.headerRow)) : QStringList();
    m.header = headerKey(cells);
    QStringList titles;
    for (const QString& c : cells)
        titles << normalTitle(c);

    QList<int> taken;
    auto give = [&](Role role) {
        const int c = findColumn(titles, keywordsOf(role), taken);
        if (c >= 0)
            taken << c;
        return c;
    };
    m.transactionNoColumn = give(Role::TransactionNo);
    m.balanceColumn = give(Role::Balance);
    m.incomeColumn = give(Role::Income);
    m.expenseColumn = give(Role::Expense);
    m.directionColumn = give(Role::Direction);
    m.dateColumn = give(Role::Date);
    m.amountColumn = give(Role::Amount);
    m.counterpartyColumn = give(Role::Counterparty);
    for (int c; (c = findColumn(titles, remarkKeywords(), taken)) >= 0;) {
        m.remarkColumns << c;
        taken << c;
    }
    std::sort(m.remarkColumns.begin(), m.remarkColumns.end());
    if (m.incomeColumn >= 0 && m.expenseColumn >= 0) {
        m.amountStyle = AmountStyle::IncomeExpense;
    } else if (m.amountColumn >= 0 && m.directionColumn >= 0) {
        m.amountStyle = AmountStyle::AmountAndDirection;
        m.incomeTexts =
            QStringList{QStringLiteral("收入"), QStringLiteral("收"),   QStringLiteral("贷"),
                        QStringLiteral("贷方"), QStringLiteral("存入"), QStringLiteral("credit"),
                        QStringLiteral("cr")};
        m.expenseTexts =
            QStringList{QStringLiteral("支出"), QStringLiteral("支"),   QStringLiteral("借"),
                        QStringLiteral("借方"), QStringLiteral("取出"), QStringLiteral("debit"),
                        QStringLiteral("dr")};
    } else {
        m.amountStyle = AmountStyle::Signed;
        if (m.amountColumn < 0)
            m.amountColumn = m.incomeColumn >= 0 ? m.incomeColumn : m.expenseColumn;
    }
    return m;
}

} // namespace bills
