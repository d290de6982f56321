#include "data/formats.h"

#include "platform/apperror.h"

#include <QLocale>
#include <charconv>
#include <cmath>
#include <optional>

namespace formats {
namespace {

// Splits the shortest decimal form of |value| into its digits and the exponent of the first
// digit: value = 0.d1d2d3... * 10^(exp).
struct Decimal {
    bool negative = false;
    QString digits; // no leading zeros; empty for zero
    int exp = 0;    // position of the decimal point relative to the digits
};

Decimal decompose(double value) {
    Decimal d;
    d.negative = std::signbit(value) && value != 0;
    // 'e' with the shortest round-trip precision: "d.ddddde±XX".
    const QString s = QString::number(std::fabs(value), 'e', QLocale::FloatingPointShortest);
    const qsizetype e = s.indexOf(u'e');
    QString mant = s.left(e);
    const int exponent = s.mid(e + 1).toInt();
    mant.remove(u'.');
    while (mant.endsWith(u'0'))
        mant.chop(1);
    if (mant.isEmpty() || mant == QLatin1String("0"))
        return {};
    d.digits = mant;
    d.exp = exponent + 1;
    return d;
}

// Rounds the decimal to `decimals` places after the point, halves away from zero.
Decimal roundTo(Decimal d, int decimals) {
    const int keep = d.exp + decimals; // digits that stay
    if (d.digits.isEmpty() || keep >= d.digits.size())
        return d;
    if (keep < 0)
        return {};
    const bool up = d.digits.at(keep) >= u'5';
    QString kept = d.digits.left(keep);
    if (up) {
        int i = keep - 1;
        while (i >= 0 && kept.at(i) == u'9') {
            kept[i] = u'0';
            --i;
        }
        if (i < 0) {
            kept.prepend(u'1');
            d.exp += 1;
        } else {
            kept[i] = QChar(kept.at(i).unicode() + 1);
        }
    }
    while (kept.endsWith(u'0'))
        kept.chop(1);
    if (kept.isEmpty())
        return {};
    d.digits = kept;
    return d;
}

// Integer part and fraction part (`minFrac`..`maxFrac` digits) of a decimal.
QString plain(const Decimal& d, int minFrac, bool group) {
    QString intPart;
    QString frac;
    if (d.exp <= 0) {
        intPart = QStringLiteral("0");
        frac = QString(-d.exp, u'0') + d.digits;
    } else if (d.exp >= d.digits.size()) {
        intPart = d.digits + QString(d.exp - d.digits.size(), u'0');
    } else {
        intPart = d.digits.left(d.exp);
        frac = d.digits.mid(d.exp);
    }
    while (frac.size() < minFrac)
        frac.append(u'0');
    if (group) {
        for (qsizetype i = intPart.size() - 3; i > 0; i -= 3)
            intPart.insert(i, u',');
    }
    QString out = (d.negative && !d.digits.isEmpty()) ? QStringLiteral("-") : QString();
    out += intPart;
    if (!frac.isEmpty())
        out += u'.' + frac;
    return out;
}

// A value of whole cents below kAmountLimit (almost every amount) in the general format, by
// integer arithmetic: the same text as the general rule gives, in a fraction of the time.
std::optional<QString> wholeCents(double value) {
    if (!(std::fabs(value) < kAmountLimit))
        return std::nullopt;
    const long long cents = std::llround(value * 100);
    // Only when `value` is the double nearest to cents/100: its 15 significant digits are
    // then exactly those of cents/100.
    if (double(cents) / 100 != value)
        return std::nullopt;
    char text[32];
    char* end = text + sizeof text;
    char* p = end;
    unsigned long long rest = cents < 0 ? 0ULL - (unsigned long long)(cents) : cents;
    const int fraction = int(rest % 100);
    rest /= 100;
    if (fraction != 0) {
        if (fraction % 10 != 0)
            *--p = char('0' + fraction % 10);
        *--p = char('0' + fraction / 10);
        *--p = '.';
    }
    do {
        *--p = char('0' + rest % 10);
        rest /= 10;
    } while (rest != 0);
    if (cents < 0)
        *--p = '-';
    return QString::fromLatin1(p, end - p);
}

// The double nearest a decimal.
double valueOf(const Decimal& d) {
    if (d.digits.isEmpty())
        return 0;
    // digits × 10^(exp − number of digits), read back exactly as a decimal literal.
    const QByteArray literal =
        d.digits.toLatin1() + 'e' + QByteArray::number(d.exp - int(d.digits.size()));
    double v = 0;
    std::from_chars(literal.constData(), literal.constData() + literal.size(), v);
    return d.negative ? -v : v;
}

} // namespace

double rounded(double value, int decimals) {
    if (!std::isfinite(value))
        return value;
    return valueOf(roundTo(decompose(value), decimals));
}

double roundedToDigits(double value, int digits) {
    if (!std::isfinite(value))
        return value;
    const Decimal d = decompose(value);
    return valueOf(roundTo(d, digits - d.exp));
}

QString invalidNumberText() {
    return QStringLiteral("#无效数值");
}

bool isValidAmount(double value) {
    return std::isfinite(value) && std::fabs(value) < kAmountLimit;
}

QString amountCell(double value) {
    if (!std::isfinite(value))
        return invalidNumberText();
    if (!isValidAmount(value))
        return QStringLiteral("#超出范围");
    return yuan(value);
}

QString roundedDecimal(double value, int decimals) {
    if (!std::isfinite(value))
        return invalidNumberText();
    return plain(roundTo(decompose(value), decimals), 0, false);
}

QString yuan(double value) {
    if (!std::isfinite(value))
        return invalidNumberText();
    const Decimal d = roundTo(decompose(value), 2);
    QString body = plain(d, 0, true);
    if (body.startsWith(u'-'))
        return QStringLiteral("-￥") + body.mid(1);
    return QStringLiteral("￥") + body;
}

QString fixed2(double value) {
    if (!std::isfinite(value))
        return invalidNumberText();
    return plain(roundTo(decompose(value), 2), 2, false);
}

QString general(double value) {
    if (!std::isfinite(value))
        return invalidNumberText();
    if (std::optional<QString> cents = wholeCents(value))
        return *std::move(cents);
    // Round to 15 significant digits first.
    Decimal d = decompose(value);
    if (d.digits.isEmpty())
        return QStringLiteral("0");
    d = roundTo(d, 15 - d.exp);
    if (d.digits.isEmpty())
        return QStringLiteral("0");
    const double magnitude = std::fabs(value);
    if (magnitude >= 1e15 || magnitude < 0.00001) {
        QString mant = d.digits.left(1);
        if (d.digits.size() > 1)
            mant += u'.' + d.digits.mid(1);
        return (d.negative ? QStringLiteral("-") : QString()) + mant + u'E' +
               QString::number(d.exp - 1);
    }
    return plain(d, 0, false);
}

QString dateText(const QDate& d) {
    return d.toString(QStringLiteral("yyyy-MM-dd"));
}

QString halfWidthDigits(const QString& text) {
    QString out = text;
    for (QChar& c : out) {
        const char16_t u = c.unicode();
        if (u >= 0xFF10 && u <= 0xFF19)
            c = QChar(u'0' + (u - 0xFF10));
        else if (u == 0xFF0E)
            c = u'.';
        else if (u == 0xFF0D)
            c = u'-';
        else if (u == 0xFF0B)
            c = u'+';
        else if (u == 0x3000)
            c = u' ';
    }
    return out;
}

QDate parseDate(const QString& text) {
    const QString t = halfWidthDigits(text).trimmed();
    QDate d;
    if (t.size() == 10 && t.at(4) == u'-' && t.at(7) == u'-')
        d = QDate::fromString(t, QStringLiteral("yyyy-MM-dd"));
    if (!d.isValid())
        throw AppError(QStringLiteral("'%1' is not a valid date").arg(text));
    return d;
}

double parseNumber(const QString& text) {
    bool ok = false;
    const QString t = halfWidthDigits(text).trimmed();
    const double v = QLocale::c().toDouble(t, &ok);
    if (!ok || t.isEmpty() || !std::isfinite(v))
        throw AppError(QStringLiteral("'%1' is not a valid floating point value").arg(text));
    return v;
}

double parseAmount(const QString& text) {
    const double v = parseNumber(text);
    if (!isValidAmount(v))
        throw AppError(QStringLiteral("金额的绝对值必须小于10000000000000：'%1'").arg(text));
    return v;
}

int parseInteger(const QString& text) {
    bool ok = false;
    const int v = halfWidthDigits(text).trimmed().toInt(&ok);
    if (!ok)
        throw AppError(QStringLiteral("'%1' is not a valid integer value").arg(text));
    return v;
}

namespace {

QString codeOf(char16_t c) {
    return QStringLiteral("%1").arg(unsigned(c), 4, 16, QLatin1Char('0')).toUpper();
}

// The embedding, override and isolate marks, which make a text read differently from the
// order in which it is stored.
bool isBidiControl(char16_t c) {
    return (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

} // namespace

void checkCellText(const QString& text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.category() == QChar::Other_Control && c != u'\t') {
            throw AppError(QStringLiteral("文本中不能有控制字符：第 %1 个字符是 U+%2")
                               .arg(i + 1)
                               .arg(codeOf(c.unicode())));
        }
        // Half of a UTF-16 pair cannot be stored: the store would take a neighbour with it.
        const bool paired = c.isHighSurrogate()
                                ? i + 1 < text.size() && text.at(i + 1).isLowSurrogate()
                                : !c.isLowSurrogate();
        if (!paired) {
            throw AppError(QStringLiteral("文本中不能有不成对的代理字符：第 %1 个字符是 U+%2")
                               .arg(i + 1)
                               .arg(codeOf(c.unicode())));
        }
        if (c.isHighSurrogate()) {
            ++i; // the pair is one character
            continue;
        }
        if (isBidiControl(c.unicode())) {
            throw AppError(QStringLiteral("文本中不能有改变文字方向的控制字符：第 %1 个字符是 U+%2")
                               .arg(i + 1)
                               .arg(codeOf(c.unicode())));
        }
    }
}

double toNumber(const QVariant& v) {
    if (v.isNull())
        return 0;
    if (v.typeId() == QMetaType::QString) {
        const QString s = v.toString().trimmed();
        if (s.isEmpty())
            return 0;
        return parseNumber(s);
    }
    return v.toDouble();
}

QString toText(const QVariant& v) {
    if (v.isNull())
        return {};
    switch (v.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
        return general(v.toDouble());
    default:
        return v.toString();
    }
}

} // namespace formats
