#include "import/billtable.h"

#include "import/billtext.h"
#include "import/statedtotals.h"
#include "platform/apperror.h"

namespace bills {

namespace {

// Header texts compared with full-width brackets as half-width ones: 金额（元） and 金额(元)
// are the same column.
QString headerKey(const QString& cell) {
    QString key = cleanCell(cell);
    key.replace(u'（', u'(').replace(u'）', u')');
    return key;
}

QString cutShortText(const QString& fileName, int line) {
    return QStringLiteral("'%1' 不完整：文件在第 %2 行中途结束，可能没有下载或解压完整。")
        .arg(fileName)
        .arg(line);
}

// Follows the quoting of a CSV record as csvCells reads it, line by line, to tell where a record
// whose quoted cell holds line breaks ends (without reading its cells again at every line).
class QuoteScan {
public:
    void feed(const QString& s) {
        for (qsizetype i = 0; i < s.size(); ++i) {
            const QChar c = s.at(i);
            if (m_quoted) {
                if (c == u'"') {
                    if (i + 1 < s.size() && s.at(i + 1) == u'"') {
                        ++i;
                        m_cellEmpty = false;
                    } else {
                        m_quoted = false;
                    }
                } else {
                    m_cellEmpty = false;
                }
            } else if (c == u'"' && m_cellEmpty) {
                m_quoted = true;
            } else if (c == u',') {
                m_cellEmpty = true;
            } else {
                m_cellEmpty = false;
            }
        }
    }
    // A line break inside the quoted cell is a character of the cell.
    void lineBreak() { m_cellEmpty = false; }
    bool open() const { return m_quoted; }

private:
    bool m_quoted = false;
    bool m_cellEmpty = true;
};

} // namespace

QList<TableLine> csvTableLines(const QString& text) {
    const QStringList physical = textLines(text);
    const bool lastEnded = text.endsWith(u'\n') || text.endsWith(u'\r');
    QList<TableLine> lines;
    lines.reserve(physical.size());
    for (qsizetype i = 0; i < physical.size(); ++i) {
        TableLine line;
        line.line = int(i + 1);
        line.text = physical.at(i);
        QuoteScan scan;
        if (line.text.contains(u'"'))
            scan.feed(line.text);
        // A quoted cell that goes on in the next line: the record spans the lines up to the one
        // where the quote closes (or the end of the file).
        while (scan.open() && i + 1 < physical.size()) {
            ++i;
            scan.lineBreak();
            scan.feed(physical.at(i));
            line.text += u'\n';
            line.text += physical.at(i);
        }
        bool open = false;
        line.cells = csvCells(line.text, &open);
        line.openQuote = open;
        line.ended = i + 1 < physical.size() || lastEnded;
        lines << line;
    }
    return lines;
}

bool isEndMarker(const TableLine& line) {
    return !line.cells.isEmpty() && cleanCell(line.cells.first()).startsWith(u"---");
}

bool isBlankLine(const TableLine& line) {
    // Blank: nothing but blanks, TABs and the ideographic space.
    for (const QString& cell : line.cells)
        for (QChar c : cell)
            if (c != u' ' && c != u'\t' && c != QChar(0x3000) && c != QChar(0x00A0)) {
                if (!cleanCell(cell).isEmpty())
                    return false;
                break;
            }
    return true;
}

int findHeader(const QList<TableLine>& lines, const TableLayout& layout) {
    if (layout.header.isEmpty())
        return -1;
    const QString first = layout.header.first().first;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (!lines.at(i).text.contains(first))
            continue;
        QStringList keys;
        for (const QString& cell : lines.at(i).cells)
            keys << headerKey(cell);
        bool all = true;
        for (const auto& [name, column] : layout.header) {
            if (!keys.contains(headerKey(name))) {
                all = false;
                break;
            }
        }
        if (all)
            return int(i);
    }
    return -1;
}

BillFile readTable(const QString& fileName, const QList<TableLine>& lines, int headerIndex,
                   const TableLayout& layout) {
    BillFile file;
    file.source = layout.source;
    file.layout = layout.name;

    QStringList keys;
    for (const QString& cell : lines.at(headerIndex).cells)
        keys << headerKey(cell);
    std::array<int, static_cast<size_t>(Column::Count)> index;
    index.fill(-1);
    int needed = 0;
    for (const auto& [name, column] : layout.header) {
        const int at = int(keys.indexOf(headerKey(name)));
        index[static_cast<size_t>(column)] = at;
        needed = std::max(needed, at + 1);
    }
    // The columns the header names (Alipay ends it with a comma: an empty cell that names none).
    int width = int(keys.size());
    while (width > 0 && keys.at(width - 1).isEmpty())
        --width;

    QStringList outside;
    for (int i = 0; i < headerIndex; ++i)
        outside << lines.at(i).text;

    bool ended = false;
    qsizetype i = headerIndex + 1;
    for (; i < lines.size(); ++i) {
        TableLine line = lines.at(i);
        while (line.sparse && line.cells.size() < needed)
            line.cells << QString();
        if (isEndMarker(line)) {
            ended = true;
            ++i;
            break;
        }
        if (line.openQuote || (!line.ended && line.cells.size() < needed))
            throw AppError(cutShortText(fileName, line.line));
        if (isBlankLine(line))
            continue;
        const auto unreadable = [&](const QString& why) {
            file.unreadable << UnreadableRow{line.line, line.text, why};
        };
        if (line.cells.size() < needed) {
            unreadable(QStringLiteral("只有 %1 列，应有 %2 列").arg(line.cells.size()).arg(width));
            continue;
        }
        int extra = 0;
        for (qsizetype c = width; c < line.cells.size(); ++c)
            if (!cleanCell(line.cells.at(c)).isEmpty())
                extra = int(c + 1 - width);
        if (extra > 0) {
            unreadable(QStringLiteral("多出 %1 列（应有 %2 列）").arg(extra).arg(width));
            continue;
        }
        RowValues values;
        for (size_t c = 0; c < values.size(); ++c)
            if (index[c] >= 0)
                values[c] = cleanCell(line.cells.at(index[c]));

        BillRow row;
        row.line = line.line;
        const QString& when = value(values, Column::Time);
        const auto date = parseBillDate(when, &row.time);
        if (!date) {
            unreadable(QStringLiteral("交易时间无法识别：'%1'").arg(when));
            continue;
        }
        row.date = *date;
        const QString& amount = value(values, Column::Amount);
        const auto cents = parseCents(amount);
        if (!cents) {
            unreadable(QStringLiteral("金额无法识别：'%1'").arg(amount));
            continue;
        }
        if (*cents < 0) {
            unreadable(QStringLiteral("金额不应为负数：'%1'").arg(amount));
            continue;
        }
        row.cents = *cents;
        row.direction = value(values, Column::Direction);
        row.kind = value(values, Column::Kind);
        row.counterparty = value(values, Column::Counterparty);
        row.goods = value(values, Column::Goods);
        row.method = value(values, Column::Method);
        row.status = value(values, Column::Status);
        row.transactionNo = value(values, Column::TransactionNo);
        row.merchantNo = value(values, Column::MerchantNo);
        row.note = value(values, Column::Note);
        if (layout.finish) {
            if (const auto why = layout.finish(row, values)) {
                unreadable(*why);
                continue;
            }
        }
        file.rows << row;
    }
    for (; i < lines.size(); ++i)
        outside << lines.at(i).text;

    if (layout.summaryAfterData && !ended) {
        const int last = lines.isEmpty() ? 0 : lines.last().line;
        throw AppError(QStringLiteral("'%1' 不完整：第 %2 行之后缺少账单末尾的汇总，文件可能没有"
                                      "下载或解压完整。")
                           .arg(fileName)
                           .arg(last));
    }
    if (file.rows.isEmpty() && file.unreadable.isEmpty())
        throw AppError(QStringLiteral("'%1' 中没有账单记录。").arg(fileName));
    file.stated = statedTotalsIn(outside);
    return file;
}

} // namespace bills
