#include "data/csvwriter.h"

#include "platform/apperror.h"

#include <QIODevice>

namespace {

constexpr qsizetype kBlock = 256 * 1024;

// Whether a field is a plain number ("-3", "+1.5", ".5"): such a field is no formula.
bool isPlainNumber(QByteArrayView utf8) {
    qsizetype i = utf8.size() > 0 && (utf8[0] == '-' || utf8[0] == '+') ? 1 : 0;
    bool digits = false;
    bool point = false;
    for (; i < utf8.size(); ++i) {
        const char c = utf8[i];
        if (c >= '0' && c <= '9')
            digits = true;
        else if (c == '.' && !point)
            point = true;
        else
            return false;
    }
    return digits;
}

// Whether a spreadsheet would take the field for a formula: it begins with =, +, -, @, a tab
// or a CR and is not a plain number. Such a field goes out behind a ' (as OWASP advises for
// CSV injection), which spreadsheets show as text.
bool opensFormula(QByteArrayView utf8) {
    if (utf8.isEmpty())
        return false;
    switch (utf8[0]) {
    case '=':
    case '@':
    case '\t':
    case '\r':
        return true;
    case '+':
    case '-':
        return !isPlainNumber(utf8);
    default:
        return false;
    }
}

void appendField(QByteArray& out, QByteArrayView utf8) {
    // The four are ASCII, so they never occur inside a multi-byte UTF-8 sequence; nor does NUL,
    // which is dropped (spreadsheets cut the text there).
    bool quote = false;
    bool nul = false;
    for (const char c : utf8) {
        if (c == ',' || c == '"' || c == '\r' || c == '\n')
            quote = true;
        else if (c == '\0')
            nul = true;
    }
    const bool guard = opensFormula(utf8);
    if (!quote && !nul && !guard) {
        out.append(utf8);
        return;
    }
    if (quote)
        out.append('"');
    if (guard)
        out.append('\'');
    for (const char c : utf8) {
        if (c == '\0')
            continue;
        if (c == '"')
            out.append('"');
        out.append(c);
    }
    if (quote)
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
