#include "import/qifstatement.h"

#include "import/billtext.h"
#include "platform/apperror.h"

#include <QRegularExpression>

namespace bills {

namespace {

// One split of a record: its category, memo and amount as written.
struct QifSplit {
    QString category;
    QString memo;
    QString amount;
    bool hasAmount = false;
};

// One record of a transaction section, its fields as written.
struct QifRecord {
    int line = 0;
    QStringList lines;
    QString section;
    QString date;
    QString amount;
    QString payee;
    QString memo;
    QString category;
    QString number;
    QString cleared;
    QList<QifSplit> splits;
    bool ended = false;
};

// A QIF date taken apart: the two leading numbers, in the order written, and the full year.
struct QifDate {
    int first = 0;
    int second = 0;
    int year = 0;
    bool yearFirst = false; // 2020-02-14: no order to decide
};

bool isTransactionSection(const QString& type) {
    const QString t = type.trimmed().toLower();
    return t == u"bank" || t == u"cash" || t == u"ccard";
}

// Two-digit years: after an apostrophe (Quicken's mark for the 2000s) always 20yy; after a
// slash 00–68 are 2000–2068 and 69–99 are 1969–1999, the usual pivot of C's %y.
std::optional<QifDate> splitDate(const QString& text) {
    static const QRegularExpression iso(
        QStringLiteral("^(\\d{4})\\s*[-/.]\\s*(\\d{1,2})\\s*[-/.]\\s*(\\d{1,2})$"));
    static const QRegularExpression quicken(
        QStringLiteral("^(\\d{1,2})\\s*[-/.]\\s*(\\d{1,2})\\s*(['/.\\-])\\s*(\\d{1,4})$"));
    const QString s = text.trimmed();
    if (const auto m = iso.match(s); m.hasMatch())
        return QifDate{m.captured(2).toInt(), m.captured(3).toInt(), m.captured(1).toInt(), true};
    const auto m = quicken.match(s);
    if (!m.hasMatch())
        return std::nullopt;
    const QString y = m.captured(4);
    const bool apostrophe = m.captured(3) == u"'";
    int year = y.toInt();
    if (apostrophe && y.size() <= 2)
        year = 2000 + year;
    else if (y.size() == 2)
        year = year <= 68 ? 2000 + year : 1900 + year;
    else if (y.size() != 4)
        return std::nullopt;
    return QifDate{m.captured(1).toInt(), m.captured(2).toInt(), year, false};
}

QDate dateIn(const QifDate& d, DateOrder order) {
    if (d.yearFirst)
        return QDate(d.year, d.first, d.second);
    return order == DateOrder::DayFirst ? QDate(d.year, d.second, d.first)
                                        : QDate(d.year, d.first, d.second);
}

// The order the dates of a file show: a first number over 12 is a day, a second one over 12
// is a day too; both kinds in one file contradict each other.
DateOrder decideOrder(const QList<QifRecord>& records, DateOrder asked) {
    int dayFirstLine = 0, monthFirstLine = 0;
    bool ambiguous = false;
    for (const QifRecord& r : records) {
        const auto d = splitDate(r.date);
        if (!d || d->yearFirst)
            continue;
        if (d->first > 12 && d->second <= 12 && !dayFirstLine)
            dayFirstLine = r.line;
        else if (d->second > 12 && d->first <= 12 && !monthFirstLine)
            monthFirstLine = r.line;
        else if (d->first != d->second)
            ambiguous = true;
    }
    if (dayFirstLine && monthFirstLine)
        throw AppError(
            QStringLiteral("QIF 文件的日期前后矛盾：第 %1 行是日/月/年，第 %2 行是月/日/年")
                .arg(dayFirstLine)
                .arg(monthFirstLine));
    if (dayFirstLine)
        return DateOrder::DayFirst;
    if (monthFirstLine)
        return DateOrder::MonthFirst;
    if (!ambiguous)
        return DateOrder::MonthFirst; // every date reads the same either way
    if (asked == DateOrder::Unknown)
        throw DateOrderUndecided();
    return asked;
}

// "Food:Groceries/Class" → "Food:Groceries": the class after the slash is no category.
QString categoryOf(const QString& field) {
    const qsizetype slash = field.indexOf(u'/');
    return (slash < 0 ? field : field.left(slash)).trimmed();
}

bool isTransferField(const QString& field) {
    return field.trimmed().startsWith(u'[');
}

QString transferTarget(const QString& field) {
    QString s = categoryOf(field);
    if (s.startsWith(u'['))
        s.remove(0, 1);
    if (s.endsWith(u']'))
        s.chop(1);
    return s.trimmed();
}

QString directionOf(qint64 signedCents) {
    if (signedCents > 0)
        return QStringLiteral("收入");
    if (signedCents < 0)
        return QStringLiteral("支出");
    return QString();
}

// The records of the transaction sections, and the account the file names.
QList<QifRecord> recordsOf(const QStringList& lines, QString* account) {
    QList<QifRecord> records;
    QString section;
    bool inAccount = false;
    QifRecord current;
    bool open = false;
    auto close = [&](bool ended) {
        if (open) {
            current.ended = ended;
            records << current;
        }
        current = QifRecord();
        open = false;
    };
    for (int i = 0; i < lines.size(); ++i) {
        const QString line = lines.at(i);
        const QString trimmed = line.trimmed();
        if (trimmed.isEmpty())
            continue;
        if (trimmed.startsWith(u'!')) {
            close(false);
            const QString header = trimmed.mid(1);
            if (header.startsWith(QStringLiteral("Type:"), Qt::CaseInsensitive)) {
                section = header.mid(5).trimmed();
                inAccount = false;
            } else if (header.compare(QStringLiteral("Account"), Qt::CaseInsensitive) == 0) {
                inAccount = true;
                section.clear();
            }
            continue; // !Option:AutoSwitch and its kind change nothing here
        }
        if (inAccount) {
            if (trimmed.startsWith(u'N'))
                *account = trimmed.mid(1).trimmed();
            continue;
        }
        if (!isTransactionSection(section))
            continue;
        if (trimmed == u"^") {
            close(true);
            continue;
        }
        if (!open) {
            open = true;
            current.line = i + 1;
            current.section = section;
        }
        current.lines << trimmed;
        const QChar code = trimmed.at(0);
        const QString value = trimmed.mid(1).trimmed();
        switch (code.unicode()) {
        case 'D':
            // A date inside a split is the split's own and leaves the record's date alone.
            if (current.splits.isEmpty())
                current.date = value;
            break;
        case 'T':
            current.amount = value;
            break;
        case 'U':
            if (current.amount.isEmpty())
                current.amount = value;
            break;
        case 'P':
            current.payee = value;
            break;
        case 'M':
            current.memo = value;
            break;
        case 'L':
            current.category = value;
            break;
        case 'N':
            current.number = value;
            break;
        case 'C':
            current.cleared = value;
            break;
        case 'S':
            current.splits << QifSplit{value, {}, {}, false};
            break;
        case 'E':
            if (!current.splits.isEmpty())
                current.splits.last().memo = value;
            break;
        case '$':
            if (!current.splits.isEmpty()) {
                current.splits.last().amount = value;
                current.splits.last().hasAmount = true;
            }
            break;
        default:
            break; // addresses (A), percentages (%) and others carry nothing for the ledger
        }
    }
    close(false);
    return records;
}

} // namespace

bool looksLikeQif(const QString& text) {
    for (const QString& line : textLines(text.left(4096))) {
        const QString t = line.trimmed();
        if (t.isEmpty() || t.startsWith(QStringLiteral("###")))
            continue;
        return t.startsWith(QStringLiteral("!Type:"), Qt::CaseInsensitive) ||
               t.startsWith(QStringLiteral("!Account"), Qt::CaseInsensitive) ||
               t.startsWith(QStringLiteral("!Option:"), Qt::CaseInsensitive);
    }
    return false;
}

BillFile readQif(const QString& text, DateOrder asked) {
    BillFile file;
    file.source = Source::Qif;
    const QList<QifRecord> records = recordsOf(textLines(text), &file.account);
    const DateOrder order = decideOrder(records, asked);
    file.layout =
        order == DateOrder::DayFirst ? QStringLiteral("日/月/年") : QStringLiteral("月/日/年");
    for (const QifRecord& r : records) {
        auto unreadable = [&](const QString& why) {
            file.unreadable << UnreadableRow{r.line, r.lines.join(u' '), why};
        };
        if (!r.ended) {
            unreadable(QStringLiteral("记录没有以 ^ 结束，文件可能不完整"));
            continue;
        }
        const auto parts = splitDate(r.date);
        const QDate date = parts ? dateIn(*parts, order) : QDate();
        if (!date.isValid()) {
            unreadable(r.date.isEmpty() ? QStringLiteral("没有日期")
                                        : QStringLiteral("日期无法识别：%1").arg(r.date));
            continue;
        }
        std::optional<qint64> total;
        if (!r.amount.isEmpty()) {
            total = parseCents(r.amount);
            if (!total) {
                unreadable(QStringLiteral("金额无法识别：%1").arg(r.amount));
                continue;
            }
        }
        BillRow base;
        base.line = r.line;
        base.date = date;
        base.kind = r.section;
        base.counterparty = r.payee;
        base.goods = r.memo;
        base.note = r.number;
        base.status = r.cleared;
        if (r.splits.isEmpty()) {
            if (!total) {
                unreadable(QStringLiteral("没有金额"));
                continue;
            }
            BillRow row = base;
            row.direction = directionOf(*total);
            row.cents = *total < 0 ? -*total : *total;
            row.transfer = isTransferField(r.category);
            row.category = row.transfer ? QStringLiteral("[%1]").arg(transferTarget(r.category))
                                        : categoryOf(r.category);
            file.rows << row;
            continue;
        }
        QList<BillRow> splitRows;
        qint64 sum = 0;
        QString why;
        for (const QifSplit& s : r.splits) {
            const auto cents = s.hasAmount ? parseCents(s.amount) : std::nullopt;
            if (!cents) {
                why = s.hasAmount ? QStringLiteral("拆分金额无法识别：%1").arg(s.amount)
                                  : QStringLiteral("拆分没有金额");
                break;
            }
            sum += *cents;
            BillRow row = base;
            row.direction = directionOf(*cents);
            row.cents = *cents < 0 ? -*cents : *cents;
            if (!s.memo.isEmpty())
                row.goods = s.memo;
            row.transfer = isTransferField(s.category);
            row.category = row.transfer ? QStringLiteral("[%1]").arg(transferTarget(s.category))
                                        : categoryOf(s.category);
            splitRows << row;
        }
        if (why.isEmpty() && total && sum != *total)
            why =
                QStringLiteral("拆分合计 %1 与总额 %2 不符").arg(centsText(sum), centsText(*total));
        if (!why.isEmpty()) {
            unreadable(why);
            continue;
        }
        file.rows << splitRows;
    }
    return file;
}

} // namespace bills
