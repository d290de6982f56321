#include "data/csvwriter.h"

#include "platform/apperror.h"

#include <QIODevice>

namespace {
constexpr qsizetype kBlock = 256 * 1024;
}

CsvWriter::CsvWriter(QIODevice& out) : m_out(out) {
    m_buffer.reserve(kBlock + 4096);
}

CsvWriter::~CsvWriter() = default;

void CsvWriter::writeByteOrderMark() {
    m_buffer.append("\xEF\xBB\xBF");
}

QString CsvWriter::field(const QString& value) {
    bool quote = !value.isEmpty() && (value.front().isSpace() || value.back().isSpace());
    for (const QChar c : value) {
        if (c == u',' || c == u'"' || c == u'\r' || c == u'\n') {
            quote = true;
            break;
        }
    }
    if (!quote)
        return value;
    QString out;
    out.reserve(value.size() + 2);
    out += u'"';
    for (const QChar c : value) {
        if (c == u'"')
            out += u'"';
        out += c;
    }
    out += u'"';
    return out;
}

void CsvWriter::writeRecord(const QStringList& fields) {
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i > 0)
            m_buffer.append(',');
        m_buffer.append(field(fields[i]).toUtf8());
    }
    m_buffer.append("\r\n");
    if (m_buffer.size() >= kBlock)
        flush();
}

void CsvWriter::flush() {
    if (m_buffer.isEmpty())
        return;
    if (m_out.write(m_buffer) != m_buffer.size())
        throw AppError(m_out.errorString());
    m_buffer.clear();
}
