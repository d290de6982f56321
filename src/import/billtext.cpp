#include "import/billtext.h"

#include "lists/gbk.h"

#include <QRegularExpression>
#include <QStringDecoder>

namespace bills {

bool isValidUtf8(const QByteArray& bytes) {
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    const QString text = decoder.decode(bytes);
    return !decoder.hasError();
}

QString decodeBillText(const QByteArray& bytes) {
    static const QByteArray bom("\xEF\xBB\xBF");
    if (bytes.startsWith(bom))
        return QString::fromUtf8(bytes.mid(bom.size()));
    if (isValidUtf8(bytes))
        return QString::fromUtf8(bytes);
    return lists::decode(bytes);
}

QStringList textLines(const QString& text) {
    QStringList lines;
    const QChar* const begin = text.constData();
    const QChar* const end = begin + text.size();
    const QChar* start = begin;
    for (const QChar* p = begin; p < end; ++p) {
        if (*p != u'\n' && *p != u'\r')
            continue;
        lines << QString(start, p - start);
        if (*p == u'\r' && p + 1 < end && p[1] == u'\n')
            ++p;
        start = p + 1;
    }
    if (start < end)
        lines << QString(start, end - start);
    return lines;
}

QStringList csvCells(const QString& line, bool* open) {
    if (open)
        *open = false;
    // Most bill lines quote nothing: their cells are what lies between the commas.
    if (!line.contains(u'"'))
        return line.split(u',');
    QStringList cells;
    QString cell;
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line.at(i);
        if (quoted) {
            if (c == u'"') {
                if (i + 1 < line.size() && line.at(i + 1) == u'"') {
                    cell += u'"';
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                cell += c;
            }
        } else if (c == u'"' && cell.isEmpty()) {
            quoted = true;
        } else if (c == u',') {
            cells << cell;
            cell.clear();
        } else {
            cell += c;
        }
    }
    cells << cell;
    if (open)
        *open = quoted;
    return cells;
}

namespace {

bool isBlank(QChar c) {
    return c == u' ' || c == u'\t' || c == QChar(0x3000) || c == QChar(0x00A0);
}

QString trimBlanks(const QString& s) {
    qsizetype b = 0, e = s.size();
    while (b < e && isBlank(s.at(b)))
        ++b;
    while (e > b && isBlank(s.at(e - 1)))
        --e;
    return s.mid(b, e - b);
}

// Full-width digits, signs and the full-width full stop as their ASCII forms.
QString halfWidth(const QString& s) {
    QString out = s;
    for (QChar& c : out) {
        const char16_t u = c.unicode();
        if (u >= 0xFF01 && u <= 0xFF5E)
            c = QChar(u - 0xFEE0);
    }
    return out;
}

} // namespace

QString cleanCell(const QString& cell) {
    QString s = trimBlanks(cell);
    if (s.startsWith(u"=\"") && s.endsWith(u'"') && s.size() >= 3)
        s = s.mid(2, s.size() - 3);
    return trimBlanks(s);
}

std::optional<qint64> parseCents(const QString& text) {
    QString s;
    for (QChar c : halfWidth(text)) {
        if (isBlank(c) || c == u',' || c == u'¥' || c == u'￥' || c == QChar(0xFFE5))
            continue;
        s += c;
    }
    bool negative = false;
    if (s.startsWith(u'+') || s.startsWith(u'-')) {
        negative = s.startsWith(u'-');
        s.remove(0, 1);
    }
    static const QRegularExpression number(
        QStringLiteral("^([0-9]+)(?:\\.([0-9]*))?$|^\\.([0-9]+)$"));
    const auto m = number.match(s);
    if (!m.hasMatch())
        return std::nullopt;
    const QString whole = m.captured(1);
    QString decimals = m.captured(3).isEmpty() ? m.captured(2) : m.captured(3);
    while (decimals.size() > 2 && decimals.endsWith(u'0'))
        decimals.chop(1);
    if (decimals.size() > 2)
        return std::nullopt;
    decimals = decimals.leftJustified(2, u'0');
    const QString digits = whole.isEmpty() ? QStringLiteral("0") : whole;
    if (digits.size() > 15)
        return std::nullopt;
    qint64 cents = digits.toLongLong() * 100 + decimals.toLongLong();
    return negative ? -cents : cents;
}

QString centsText(qint64 cents) {
    const qint64 magnitude = cents < 0 ? -cents : cents;
    return QStringLiteral("%1%2.%3")
        .arg(cents < 0 ? QStringLiteral("-") : QString())
        .arg(magnitude / 100)
        .arg(magnitude % 100, 2, 10, QChar(u'0'));
}

std::optional<QDate> parseBillDate(const QString& text, QString* time) {
    static const QRegularExpression separated(QStringLiteral(
        "^(\\d{4})[-/.](\\d{1,2})[-/.](\\d{1,2})(?:[ T]+(\\d{1,2}:\\d{2}(?::\\d{2})?))?$"));
    static const QRegularExpression compact(
        QStringLiteral("^(\\d{4})(\\d{2})(\\d{2})(?:[ T]+(\\d{1,2}:\\d{2}(?::\\d{2})?))?$"));
    const QString s = trimBlanks(halfWidth(text));
    auto m = separated.match(s);
    if (!m.hasMatch())
        m = compact.match(s);
    if (!m.hasMatch())
        return std::nullopt;
    const QDate date(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    if (!date.isValid())
        return std::nullopt;
    if (time)
        *time = m.captured(4);
    return date;
}

} // namespace bills
