#include "import/csvmapping.h"

#include "import/billtext.h"
#include "lists/gbk.h"
#include "platform/apperror.h"

namespace bills {

namespace {

QString cellAt(const QStringList& cells, int column) {
    if (column < 0 || column >= cells.size())
        return QString();
    return cells.at(column);
}

// An amount cell that a row does not use: empty or a dash.
bool isUnused(const QString& cell) {
    return cell.isEmpty() || cell == u"-" || cell == u"--" || cell == u"/";
}

// A date as the mapping says it is written; a format without a year takes the latest such
// day not after `reference`.
std::optional<QDate> dateOf(const QString& text, const CsvMapping& mapping, const QDate& reference,
                            QString* time) {
    if (mapping.dateFormat.isEmpty())
        return parseBillDate(text, time);
    QString day = text;
    const qsizetype blank = text.indexOf(u' ');
    QDate date = QDate::fromString(text, mapping.dateFormat);
    if (!date.isValid() && blank > 0) {
        day = text.left(blank);
        *time = text.mid(blank + 1).trimmed();
    }
    if (mapping.dateFormat.contains(u'y')) {
        date = QDate::fromString(day, mapping.dateFormat);
    } else {
        for (int year : {reference.year(), reference.year() - 1}) {
            date = QDate::fromString(day + u'|' + QString::number(year),
                                     mapping.dateFormat + QStringLiteral("|yyyy"));
            if (date.isValid() && date <= reference)
                break;
        }
    }
    if (!date.isValid())
        return std::nullopt;
    return date;
}

} // namespace

QStringList cleanCells(const QString& line) {
    QStringList cells = csvCells(line);
    for (QString& c : cells)
        c = cleanCell(c);
    return cells;
}

QString headerKey(const QStringList& cells) {
    QStringList clean;
    for (const QString& c : cells)
        clean << cleanCell(c);
    while (!clean.isEmpty() && clean.last().isEmpty())
        clean.removeLast();
    return clean.join(u',');
}

QString decodeAs(const QByteArray& bytes, const QString& encoding) {
    static const QByteArray bom("\xEF\xBB\xBF");
    if (encoding.compare(QStringLiteral("GBK"), Qt::CaseInsensitive) == 0 && !bytes.startsWith(bom))
        return lists::decode(bytes);
    return QString::fromUtf8(bytes.startsWith(bom) ? bytes.mid(bom.size()) : bytes);
}

bool looksLikeCsvTable(const QByteArray& bytes) {
    if (bytes.isEmpty() || bytes.left(65536).contains('\0'))
        return false;
    const QStringList lines = textLines(decodeBillText(bytes.left(65536)));
    for (int i = 0; i < lines.size() && i < 40; ++i)
        if (csvCells(lines.at(i)).size() >= 2)
            return true;
    return false;
}

QStringList columnTitles(const QByteArray& bytes, const CsvMapping& mapping) {
    const QStringList lines = textLines(decodeAs(bytes.left(1 << 20), mapping.encoding));
    if (mapping.headerRow < 0 || mapping.headerRow >= lines.size())
        return QStringList();
    return cleanCells(lines.at(mapping.headerRow));
}

QString headerOf(const QByteArray& bytes, const CsvMapping& mapping) {
    return headerKey(columnTitles(bytes, mapping));
}

std::optional<CsvMapping> mappingFor(const QByteArray& bytes, const QList<CsvMapping>& mappings) {
    for (const CsvMapping& m : mappings)
        if (!m.header.isEmpty() && headerOf(bytes, m) == m.header)
            return m;
    return std::nullopt;
}

QString mappingProblem(const CsvMapping& m) {
    if (m.dateColumn < 0)
        return QStringLiteral("没有指定日期列");
    switch (m.amountStyle) {
    case AmountStyle::Signed:
        if (m.amountColumn < 0)
            return QStringLiteral("没有指定金额列");
        break;
    case AmountStyle::IncomeExpense:
        if (m.incomeColumn < 0 || m.expenseColumn < 0)
            return QStringLiteral("没有指定收入列和支出列");
        break;
    case AmountStyle::AmountAndDirection:
        if (m.amountColumn < 0 || m.directionColumn < 0)
            return QStringLiteral("没有指定金额列和收支列");
        if (m.incomeTexts.isEmpty())
            return QStringLiteral("没有指定表示收入的文字");
        break;
    }
    return QString();
}

BillFile readMappedCsv(const QByteArray& bytes, const CsvMapping& mapping, const QDate& reference) {
    if (const QString problem = mappingProblem(mapping); !problem.isEmpty())
        throw AppError(QStringLiteral("列映射“%1”不完整：%2").arg(mapping.name, problem));
    BillFile file;
    file.source = Source::MappedCsv;
    file.layout = mapping.name;
    const QStringList lines = textLines(decodeAs(bytes, mapping.encoding));
    auto inTexts = [](const QStringList& texts, const QString& value) {
        for (const QString& t : texts)
            if (t.compare(value, Qt::CaseInsensitive) == 0)
                return true;
        return false;
    };
    for (int i = mapping.headerRow + 1; i < lines.size(); ++i) {
        const QStringList cells = cleanCells(lines.at(i));
        if (cells.join(QString()).isEmpty())
            continue;
        const int line = i + 1;
        auto unreadable = [&](const QString& why) {
            file.unreadable << UnreadableRow{line, lines.at(i), why};
        };
        QString time;
        const QString dateText = cellAt(cells, mapping.dateColumn);
        const auto date = dateOf(dateText, mapping, reference, &time);
        if (!date) {
            unreadable(dateText.isEmpty() ? QStringLiteral("没有日期")
                                          : QStringLiteral("日期无法识别：%1").arg(dateText));
            continue;
        }
        qint64 cents = 0;
        bool incoming = false;
        if (mapping.amountStyle == AmountStyle::IncomeExpense) {
            const QString in = cellAt(cells, mapping.incomeColumn);
            const QString out = cellAt(cells, mapping.expenseColumn);
            const auto inCents = isUnused(in) ? std::optional<qint64>(0) : parseCents(in);
            const auto outCents = isUnused(out) ? std::optional<qint64>(0) : parseCents(out);
            if (!inCents || !outCents) {
                unreadable(QStringLiteral("金额无法识别：%1").arg(inCents ? out : in));
                continue;
            }
            if ((*inCents != 0) == (*outCents != 0)) {
                unreadable(*inCents ? QStringLiteral("收入和支出都有金额")
                                    : QStringLiteral("没有金额"));
                continue;
            }
            incoming = *inCents != 0;
            cents = incoming ? *inCents : *outCents;
        } else {
            const QString amount = cellAt(cells, mapping.amountColumn);
            const auto value = parseCents(amount);
            if (!value) {
                unreadable(amount.isEmpty() ? QStringLiteral("没有金额")
                                            : QStringLiteral("金额无法识别：%1").arg(amount));
                continue;
            }
            cents = *value;
            if (mapping.amountStyle == AmountStyle::Signed) {
                incoming = (cents < 0) != mapping.positiveIsIncome;
                cents = cents < 0 ? -cents : cents;
            } else {
                // The direction column decides; a sign on the amount only repeats it.
                cents = cents < 0 ? -cents : cents;
                const QString direction = cellAt(cells, mapping.directionColumn);
                if (inTexts(mapping.incomeTexts, direction))
                    incoming = true;
                else if (mapping.expenseTexts.isEmpty() || inTexts(mapping.expenseTexts, direction))
                    incoming = false;
                else {
                    unreadable(QStringLiteral("收支方向无法识别：%1").arg(direction));
                    continue;
                }
            }
        }
        if (cents < 0) { // a reversal written as a negative amount in its column
            cents = -cents;
            incoming = !incoming;
        }
        BillRow row;
        row.line = line;
        row.date = *date;
        row.time = time;
        row.cents = cents;
        row.direction =
            cents == 0 ? QString() : (incoming ? QStringLiteral("收入") : QStringLiteral("支出"));
        QStringList remark;
        for (int c : mapping.remarkColumns)
            if (const QString r = cellAt(cells, c); !r.isEmpty() && !remark.contains(r))
                remark << r;
        row.goods = remark.join(u' ');
        row.counterparty = cellAt(cells, mapping.counterpartyColumn);
        row.transactionNo = cellAt(cells, mapping.transactionNoColumn);
        row.balance = cellAt(cells, mapping.balanceColumn);
        file.rows << row;
    }
    return file;
}

} // namespace bills
