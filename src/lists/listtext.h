#pragma once

#include <QByteArray>
#include <QList>

// The byte-level text rules of the list files: how their bytes are cut into entries and lines,
// how a detail line splits into its major and minor part, and how lines are written back.
namespace lists {

// Whole-file reading: a line break is CR LF, a lone CR or a lone LF; a NUL byte ends the text.
// Text after the last break is a last entry; a break at the very end adds no empty entry.
QList<QByteArray> splitEntries(const QByteArray& bytes);

// Line-by-line reading: a line ends at LF and CR bytes belong to no line. Every other byte
// (NUL and bytes that are not GBK included) stays in its line. A final LF adds no empty line.
QList<QByteArray> splitLines(const QByteArray& bytes);

// A detail line cut at its first "-": the text before it and the text after it. A line without
// "-" has an empty major part and its whole text as minor part.
struct DetailParts {
    QByteArray major;
    QByteArray minor;
};
DetailParts splitDetail(const QByteArray& line);

// The lines joined, each one followed by CR LF.
QByteArray joinLines(const QList<QByteArray>& lines);

} // namespace lists
