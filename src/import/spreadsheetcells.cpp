#include "import/spreadsheetcells.h"

#include <QDate>
#include <QRegularExpression>

namespace bills {
namespace {

// The letters of a format code outside quotes, brackets and escapes, lower-cased.
QString formatLetters(const QString& code) {
    QString letters;
    bool quoted = false;
    int bracket = 0;
    for (qsizetype i = 0; i < code.size(); ++i) {
        const QChar c = code.at(i);
        if (quoted) {
            if (c == u'"')
                quoted = false;
        } else if (c == u'"') {
            quoted = true;
        } else if (c == u'\\' || c == u'_' || c == u'*') {
            ++i;
        } else if (c == u'[') {
            ++bracket;
            // Elapsed-time brackets ([h], [mm], [ss]) are time codes.
            if (i + 1 < code.size() && QStringLiteral("hHmMsS").contains(code.at(i + 1)))
                letters += code.at(i + 1).toLower();
        } else if (c == u']') {
            bracket = std::max(0, bracket - 1);
        } else if (bracket == 0) {
            letters += c.toLower();
        }
    }
    return letters;
}

} // namespace

bool builtinFormatShowsDate(int id) {
    return (id >= 14 && id <= 22) || (id >= 27 && id <= 36) || (id >= 45 && id <= 47) ||
           (id >= 50 && id <= 58);
}
bool builtinFormatShowsTime(int id) {
    return (id >= 18 && id <= 22) || (id >= 32 && id <= 35) || (id >= 45 && id <= 47) || id == 55 ||
           id == 56;
}

bool isDateFormat(const QString& code) {
    for (QChar c : formatLetters(code))
        if (c == u'y' || c == u'm' || c == u'd' || c == u'h' || c == u's')
            return true;
    return false;
}

bool isTimeFormat(const QString& code) {
    const QString letters = formatLetters(code);
    return isDateFormat(code) && (letters.contains(u'h') || letters.contains(u's'));
}

std::optional<QString> spreadsheetNumberText(const QString& value) {
    static const QRegularExpression number(
        QStringLiteral("^\\s*([-+]?)([0-9]*)(?:\\.([0-9]*))?(?:[eE]([-+]?[0-9]{1,4}))?\\s*$"));
    const auto m = number.match(value);
    if (!m.hasMatch() || (m.captured(2).isEmpty() && m.captured(3).isEmpty()))
        return std::nullopt;
    const bool negative = m.captured(1) == u"-";
    QString digits = m.captured(2) + m.captured(3);
    // The value is 0.digits × 10^point.
    int point = int(m.captured(2).size()) + m.captured(4).toInt();
    qsizetype lead = 0;
    while (lead < digits.size() && digits.at(lead) == u'0')
        ++lead;
    digits.remove(0, lead);
    point -= int(lead);
    if (digits.isEmpty())
        return QStringLiteral("0");
    if (digits.size() > 15) {
        const bool up = digits.at(15) >= u'5';
        digits.truncate(15);
        if (up) {
            qsizetype i = digits.size() - 1;
            while (i >= 0 && digits.at(i) == u'9')
                digits[i--] = u'0';
            if (i < 0) {
                digits.prepend(u'1');
                digits.chop(1);
                ++point;
            } else {
                digits[i] = QChar(digits.at(i).unicode() + 1);
            }
        }
    }
    while (digits.endsWith(u'0'))
        digits.chop(1);
    if (point < -30 || point > 30)
        return std::nullopt;
    QString text;
    if (point <= 0)
        text = QStringLiteral("0.") + QString(-point, u'0') + digits;
    else if (point >= digits.size())
        text = digits + QString(point - digits.size(), u'0');
    else
        text = digits.left(point) + u'.' + digits.mid(point);
    return negative ? u'-' + text : text;
}

std::optional<QString> spreadsheetDateText(const QString& serial, bool date1904, bool withTime) {
    const auto text = spreadsheetNumberText(serial);
    if (!text || text->startsWith(u'-'))
        return std::nullopt;
    const qsizetype dot = text->indexOf(u'.');
    const QString whole = dot < 0 ? *text : text->left(dot);
    // Twelve decimals of a day are a ten-millionth of a second: enough to round to the second.
    const QString fraction = dot < 0 ? QString() : text->mid(dot + 1).left(12);
    if (whole.size() > 7)
        return std::nullopt;
    qint64 days = whole.toLongLong();
    qint64 seconds = 0;
    if (!fraction.isEmpty()) {
        qint64 scale = 1;
        for (qsizetype i = 0; i < fraction.size(); ++i)
            scale *= 10;
        const qint64 f = fraction.toLongLong();
        // f / scale of a day, in seconds, rounded: (f × 86400 + scale / 2) / scale without
        // overflow (f < 10^12, so f × 86400 < 8.7 × 10^16).
        seconds = (f * 86400 + scale / 2) / scale;
    }
    if (seconds >= 86400) {
        ++days;
        seconds -= 86400;
    }
    const QDate date = (date1904 ? QDate(1904, 1, 1) : QDate(1899, 12, 30)).addDays(days);
    if (!date.isValid() || date.year() > 9999)
        return std::nullopt;
    QString out = date.toString(QStringLiteral("yyyy-MM-dd"));
    if (withTime)
        out += QStringLiteral(" %1:%2:%3")
                   .arg(seconds / 3600, 2, 10, QChar(u'0'))
                   .arg(seconds / 60 % 60, 2, 10, QChar(u'0'))
                   .arg(seconds % 60, 2, 10, QChar(u'0'));
    return out;
}

} // namespace bills
