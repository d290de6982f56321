// The dialect translation over any statement: it ends, keeps quotes balanced, and leaves the
// text of every quoted string as it was.
#include "data/dialect.h"
#include "fuzzcheck.h"

#include <QList>

namespace {

// The quoted strings of `s` as written (quotes included), and whether the last one is closed.
QList<QString> quotedStrings(const QString& s, bool* closed) {
    QList<QString> out;
    *closed = true;
    qsizetype i = 0;
    while (i < s.size()) {
        const QChar q = s.at(i);
        if (q != u'\'' && q != u'"') {
            ++i;
            continue;
        }
        qsizetype j = i + 1;
        bool end = false;
        while (j < s.size()) {
            if (s.at(j) == q) {
                if (j + 1 < s.size() && s.at(j + 1) == q) {
                    j += 2;
                    continue;
                }
                end = true;
                ++j;
                break;
            }
            ++j;
        }
        *closed = end;
        out << s.mid(i, j - i);
        i = j;
    }
    return out;
}

// A quoted string's content with its doubled quotes made single again.
QString content(const QString& quoted) {
    const QChar q = quoted.at(0);
    QString inner = quoted.mid(1, quoted.size() - 2);
    inner.replace(QString(2, q), QString(q));
    return inner;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString in = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString out = toSqlite(in);

    bool inClosed = false;
    bool outClosed = false;
    const QList<QString> before = quotedStrings(in, &inClosed);
    const QList<QString> after = quotedStrings(out, &outClosed);
    check(!inClosed || outClosed, "quotes stay balanced", out.toUtf8());

    if (!in.contains(u'#')) {
        // Without date marks every quoted string comes out exactly as it went in.
        check(before == after, "quoted text unchanged", out.toUtf8());
        return 0;
    }
    // A quoted string either comes out as it went in or, when it stood between date marks,
    // as written inside the literal those marks became.
    QString literals;
    for (const QString& q : after)
        literals += content(q.size() >= 2 ? q : q + q.at(0));
    for (const QString& q : before) {
        if (q.size() < 2 || !inClosed)
            continue;
        check(out.contains(q) || literals.contains(q.mid(1, q.size() - 2)), "quoted text kept",
              q.toUtf8());
    }
    return 0;
}
