#include "data/dialect.h"

#include "data/ledgertotals.h"

namespace {

bool isWordChar(QChar c) {
    return c.isLetterOrNumber() || c == u'_';
}

// Index just past the quoted string that starts at `i` (a ' or "), doubled quotes included.
qsizetype skipQuoted(const QString& s, qsizetype i) {
    const QChar q = s.at(i);
    ++i;
    while (i < s.size()) {
        if (s.at(i) == q) {
            if (i + 1 < s.size() && s.at(i + 1) == q) {
                i += 2;
                continue;
            }
            return i + 1;
        }
        ++i;
    }
    return i;
}

// Finds the closing parenthesis matching the one before `i` and the last comma at depth 0.
// Returns false when the call is not closed.
bool scanArguments(const QString& s, qsizetype i, qsizetype& close, qsizetype& lastComma) {
    int depth = 0;
    lastComma = -1;
    while (i < s.size()) {
        const QChar c = s.at(i);
        if (c == u'\'' || c == u'"') {
            i = skipQuoted(s, i);
            continue;
        }
        if (c == u'(') {
            ++depth;
        } else if (c == u')') {
            if (depth == 0) {
                close = i;
                return true;
            }
            --depth;
        } else if (c == u',' && depth == 0) {
            lastComma = i;
        }
        ++i;
    }
    return false;
}

} // namespace

QString toSqlite(const QString& statement) {
    // The fixed whole-ledger statements are answered from the totals kept beside the ledger.
    if (const QString overTotals = ledgertotals::statementOverTotals(statement);
        !overTotals.isEmpty())
        return overTotals;
    const QString& s = statement;
    QString out;
    out.reserve(s.size() + 16);
    qsizetype i = 0;
    while (i < s.size()) {
        const QChar c = s.at(i);
        if (c == u'\'' || c == u'"') {
            const qsizetype end = skipQuoted(s, i);
            out += QStringView(s).mid(i, end - i);
            i = end;
            continue;
        }
        if (c == u'#') {
            const qsizetype end = s.indexOf(u'#', i + 1);
            if (end > i) {
                out += u'\'' + s.mid(i + 1, end - i - 1) + u'\'';
                i = end + 1;
                continue;
            }
        }
        if ((c == u'l' || c == u'L') && (i == 0 || !isWordChar(s.at(i - 1))) &&
            s.mid(i, 5).compare(QLatin1String("left("), Qt::CaseInsensitive) == 0) {
            qsizetype close = -1;
            qsizetype comma = -1;
            if (scanArguments(s, i + 5, close, comma) && comma > 0) {
                const QString first = toSqlite(s.mid(i + 5, comma - i - 5));
                const QString count = toSqlite(s.mid(comma + 1, close - comma - 1));
                out += QStringLiteral("substr(") + first + QStringLiteral(",1,") + count + u')';
                i = close + 1;
                continue;
            }
        }
        out += c;
        ++i;
    }
    return out;
}
