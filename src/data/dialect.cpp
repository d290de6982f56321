#include "data/dialect.h"

#include <algorithm>
#include <vector>

namespace {

bool isWordChar(QChar c) {
    return c.isLetterOrNumber() || c == u'_';
}

bool isQuote(QChar c) {
    return c == u'\'' || c == u'"';
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

// The # that closes the date literal opening at `i`, or -1. Quoted strings between the marks
// are skipped whole: a # inside quotes never closes the literal.
qsizetype closingHash(const QString& s, qsizetype i) {
    ++i;
    while (i < s.size()) {
        const QChar c = s.at(i);
        if (c == u'#')
            return i;
        i = isQuote(c) ? skipQuoted(s, i) : i + 1;
    }
    return -1;
}

// A change to the translated text, applied once the whole statement has been read: the
// output is built in one pass, and a left( call is known to be complete only at its ).
struct Edit {
    qsizetype at;      // position in the output
    qsizetype removed; // characters replaced there
    QString inserted;
};

// An open parenthesis: whether it opens a left( call, where that call's name stands in the
// output, and the output position of its last comma at this level.
struct Paren {
    bool isLeft = false;
    qsizetype nameAt = -1;
    qsizetype lastComma = -1;
};

} // namespace

QString toSqlite(const QString& statement) {
    const QString& s = statement;
    QString out;
    out.reserve(s.size() + 16);
    std::vector<Edit> edits;
    std::vector<Paren> parens; // a stack in the heap: nesting depth costs no call depth
    qsizetype i = 0;
    while (i < s.size()) {
        const QChar c = s.at(i);
        if (isQuote(c)) {
            const qsizetype end = skipQuoted(s, i);
            out += QStringView(s).mid(i, end - i);
            i = end;
            continue;
        }
        if (c == u'#') {
            const qsizetype end = closingHash(s, i);
            if (end > i) {
                // The text between the marks becomes one string literal; a quote inside it
                // is doubled so that it cannot end the literal early.
                QString inner = s.mid(i + 1, end - i - 1);
                inner.replace(u'\'', QStringLiteral("''"));
                out += u'\'' + inner + u'\'';
                i = end + 1;
                continue;
            }
        }
        if ((c == u'l' || c == u'L') && (i == 0 || !isWordChar(s.at(i - 1))) &&
            s.mid(i, 5).compare(QLatin1String("left("), Qt::CaseInsensitive) == 0) {
            parens.push_back({true, out.size(), -1});
            out += QStringView(s).mid(i, 5);
            i += 5;
            continue;
        }
        if (c == u'(') {
            parens.push_back({});
        } else if (c == u',' && !parens.empty()) {
            parens.back().lastComma = out.size();
        } else if (c == u')' && !parens.empty()) {
            const Paren p = parens.back();
            parens.pop_back();
            // left(x,n) becomes substr(x,1,n); a call without a comma stays as written.
            if (p.isLeft && p.lastComma >= 0) {
                edits.push_back({p.nameAt, 4, QStringLiteral("substr")});
                edits.push_back({p.lastComma + 1, 0, QStringLiteral("1,")});
            }
        }
        out += c;
        ++i;
    }
    if (edits.empty())
        return out;
    std::sort(edits.begin(), edits.end(), [](const Edit& a, const Edit& b) {
        // At one place an insertion goes before a replacement that starts there.
        return a.at != b.at ? a.at < b.at : a.removed < b.removed;
    });
    QString result;
    result.reserve(out.size() + qsizetype(edits.size()) * 2);
    qsizetype from = 0;
    for (const Edit& e : edits) {
        result += QStringView(out).mid(from, e.at - from);
        result += e.inserted;
        from = e.at + e.removed;
    }
    result += QStringView(out).mid(from);
    return result;
}
