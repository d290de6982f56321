#include "import/icbcstatement.h"

#include "import/billtext.h"

namespace bills {

namespace {

// The columns of an ICBC header, by title; -1 where the layout has none.
struct IcbcColumns {
    int date = -1, posted = -1, summary = -1, details = -1, place = -1;
    int tradeIncome = -1, tradeExpense = -1, postIncome = -1, postExpense = -1;
    int balance = -1, counterparty = -1, counterAccount = -1;
};

IcbcColumns columnsOf(const QStringList& header) {
    IcbcColumns c;
    for (int i = 0; i < header.size(); ++i) {
        const QString& t = header.at(i);
        int* slot = nullptr;
        if (t == u"交易日期")
            slot = &c.date;
        else if (t == u"记账日期")
            slot = &c.posted;
        else if (t == u"摘要")
            slot = &c.summary;
        else if (t == u"交易详情")
            slot = &c.details;
        else if (t == u"交易场所")
            slot = &c.place;
        else if (t == u"交易金额(收入)")
            slot = &c.tradeIncome;
        else if (t == u"交易金额(支出)")
            slot = &c.tradeExpense;
        else if (t == u"记账金额(收入)")
            slot = &c.postIncome;
        else if (t == u"记账金额(支出)")
            slot = &c.postExpense;
        else if (t == u"余额")
            slot = &c.balance;
        else if (t == u"对方户名")
            slot = &c.counterparty;
        else if (t == u"对方账户")
            slot = &c.counterAccount;
        if (slot && *slot < 0)
            *slot = i;
    }
    return c;
}

QString cell(const QStringList& cells, int column) {
    if (column < 0 || column >= cells.size())
        return QString();
    const QString s = cleanCell(cells.at(column));
    return s == u"-" ? QString() : s; // "-" marks a cell the row does not use
}

// The card a preamble line names: "卡号: 1234****9876" or "账号: …".
QString accountIn(const QStringList& cells) {
    for (const QString& raw : cells) {
        const QString s = cleanCell(raw);
        for (const QString& label : {QStringLiteral("卡号"), QStringLiteral("账号")}) {
            if (s.startsWith(label)) {
                QString rest = s.mid(label.size()).trimmed();
                if (rest.startsWith(u':') || rest.startsWith(u'：'))
                    return rest.mid(1).trimmed();
            }
        }
    }
    return QString();
}

bool isTotalLine(const QString& first) {
    return first.startsWith(QStringLiteral("人民币合计")) ||
           first.startsWith(QStringLiteral("合计"));
}

} // namespace

std::optional<BillFile> readIcbcCsv(const QString& text) {
    const QStringList lines = textLines(text);
    int headerAt = -1;
    QStringList header;
    QString account;
    for (int i = 0; i < lines.size() && i < 40; ++i) {
        QStringList cells = csvCells(lines.at(i));
        for (QString& c : cells)
            c = cleanCell(c);
        if (!cells.isEmpty() && cells.first() == u"交易日期") {
            headerAt = i;
            header = cells;
            break;
        }
        if (account.isEmpty())
            account = accountIn(cells);
    }
    if (headerAt < 0)
        return std::nullopt;
    const IcbcColumns col = columnsOf(header);
    const bool separated = (col.postIncome >= 0 && col.postExpense >= 0) ||
                           (col.tradeIncome >= 0 && col.tradeExpense >= 0);
    if (!separated || col.summary < 0)
        return std::nullopt;

    BillFile file;
    file.source = Source::Icbc;
    file.account = account;
    if (col.posted >= 0)
        file.layout = QStringLiteral("credit");
    else if (col.details >= 0 || col.counterAccount >= 0)
        file.layout = QStringLiteral("debit-2024");
    else
        file.layout = QStringLiteral("debit");

    for (int i = headerAt + 1; i < lines.size(); ++i) {
        const QStringList cells = csvCells(lines.at(i));
        const QString first = cell(cells, 0);
        bool blank = true;
        for (const QString& c : cells)
            blank = blank && cleanCell(c).isEmpty();
        if (blank)
            continue;
        if (isTotalLine(first))
            break;
        const int line = i + 1;
        auto unreadable = [&](const QString& why) {
            file.unreadable << UnreadableRow{line, lines.at(i), why};
        };
        QString time;
        const auto date = parseBillDate(first, &time);
        if (!date) {
            unreadable(QStringLiteral("日期无法识别：%1").arg(first));
            continue;
        }
        // The posted amount is in the account's currency; the trade amount is the fallback.
        QString income = cell(cells, col.postIncome), expense = cell(cells, col.postExpense);
        if (income.isEmpty() && expense.isEmpty()) {
            income = cell(cells, col.tradeIncome);
            expense = cell(cells, col.tradeExpense);
        }
        const auto in = income.isEmpty() ? std::nullopt : parseCents(income);
        const auto out = expense.isEmpty() ? std::nullopt : parseCents(expense);
        if ((!income.isEmpty() && !in) || (!expense.isEmpty() && !out)) {
            unreadable(QStringLiteral("金额无法识别：%1").arg(income.isEmpty() ? expense : income));
            continue;
        }
        const bool hasIn = in && *in != 0, hasOut = out && *out != 0;
        if (hasIn == hasOut) {
            unreadable(hasIn ? QStringLiteral("收入和支出都有金额") : QStringLiteral("没有金额"));
            continue;
        }
        qint64 cents = hasIn ? *in : *out;
        bool incoming = hasIn;
        if (cents < 0) { // a reversal written as a negative amount in its column
            cents = -cents;
            incoming = !incoming;
        }
        BillRow row;
        row.line = line;
        row.date = *date;
        row.time = time;
        row.direction = incoming ? QStringLiteral("收入") : QStringLiteral("支出");
        row.cents = cents;
        row.kind = cell(cells, col.summary);
        const QString place = cell(cells, col.place);
        row.counterparty = cell(cells, col.counterparty);
        if (row.counterparty.isEmpty())
            row.counterparty = place;
        QStringList goods;
        if (place != row.counterparty && !place.isEmpty())
            goods << place;
        if (const QString d = cell(cells, col.details); !d.isEmpty())
            goods << d;
        row.goods = goods.join(u' ');
        row.note = cell(cells, col.counterAccount);
        row.balance = cell(cells, col.balance);
        file.rows << row;
    }
    return file;
}

} // namespace bills
