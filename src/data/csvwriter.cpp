#include "data/csvwriter.h"

#include "platform/apperror.h"

#include <QIODevice>

namespace {

constexpr qsizetype kBlock = 256 * 1024;

bool needsQuotes(QByteArrayView utf8) {
    // The four are ASCII, so they never occur inside a multi-byte UTF-8 sequence.
    for (const char c : utf8) {
        if (c == ',' || c == '"' || c == '\r' || c == '\n')
            return true;
    }
    return false;
}

void appendField(QByteArray& out, QByteArrayView utf8) {
    if (!needsQuotes(utf8)) {
        out.append(utf8);
        return;
    }
    out.append('"');
    for (const char c : utf8) {
        if (c == '"')
            out.append('"');
        out.append(c);
    }
    out.append('"');
}

} // namespace

CsvWriter::CsvWriter(QIODevice& out) : m_out(out) {
    m_buffer.reserve(kBlock + 4096);
}

CsvWriter::~CsvWriter() = default;

void CsvWriter::writeByteOrderMark() {
    m_buffer.append("\xEF\xBB\xBF");
}

QString CsvWriter::field(const QString& value) {
    QByteArray out;
    appendField(out, value.toUtf8());
    return QString::fromUtf8(out);
}

void CsvWriter::writeField(QByteArrayView utf8) {
    if (!m_firstField)
        m_buffer.append(',');
    m_firstField = false;
    appendField(m_buffer, utf8);
}

void CsvWriter::endRecord() {
    m_buffer.append("\r\n");
    m_firstField = true;
    if (m_buffer.size() >= kBlock)
        flush();
}

void CsvWriter::writeRecord(const QStringList& fields) {
    for (const QString& f : fields)
        writeField(f);
    endRecord();
}

void CsvWriter::flush() {
    if (m_buffer.isEmpty())
        return;
    if (m_out.write(m_buffer) != m_buffer.size())
        throw AppError(m_out.errorString());
    m_buffer.clear();
}
