#include "lists/listtext.h"

namespace lists {

QList<QByteArray> splitEntries(const QByteArray& bytes) {
    QList<QByteArray> entries;
    const qsizetype nul = bytes.indexOf('\0');
    const qsizetype end = nul < 0 ? bytes.size() : nul;
    qsizetype start = 0;
    qsizetype i = 0;
    while (i < end) {
        const char c = bytes.at(i);
        if (c != '\r' && c != '\n') {
            ++i;
            continue;
        }
        entries.append(bytes.mid(start, i - start));
        // CR LF is one break.
        if (c == '\r' && i + 1 < end && bytes.at(i + 1) == '\n')
            ++i;
        start = ++i;
    }
    if (start < end)
        entries.append(bytes.mid(start, end - start));
    return entries;
}

QList<QByteArray> splitLines(const QByteArray& bytes) {
    QList<QByteArray> lines;
    qsizetype start = 0;
    while (start < bytes.size()) {
        qsizetype lf = bytes.indexOf('\n', start);
        const qsizetype end = lf < 0 ? bytes.size() : lf;
        QByteArray line = bytes.mid(start, end - start);
        line.replace("\r", "");
        lines.append(line);
        start = end + 1;
    }
    return lines;
}

DetailParts splitDetail(const QByteArray& line) {
    // Byte 0x2D never occurs inside a GBK double-byte character, so a byte search is exact.
    const qsizetype hyphen = line.indexOf('-');
    if (hyphen < 0)
        return {QByteArray(), line};
    return {line.left(hyphen), line.mid(hyphen + 1)};
}

QByteArray joinLines(const QList<QByteArray>& lines) {
    QByteArray out;
    qsizetype size = 0;
    for (const QByteArray& line : lines)
        size += line.size() + 2;
    out.reserve(size);
    for (const QByteArray& line : lines) {
        out += line;
        out += "\r\n";
    }
    return out;
}

} // namespace lists
