#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

class QIODevice;

// Writes records as comma-separated values for spreadsheets: UTF-8, records ended by CR LF,
// and a field quoted (with its quotes doubled) when it holds a comma, a quote, a CR or a LF, or
// begins or ends with a blank, as RFC 4180 describes. Output is buffered and written in blocks.
class CsvWriter {
public:
    explicit CsvWriter(QIODevice& out);
    ~CsvWriter();
    CsvWriter(const CsvWriter&) = delete;
    CsvWriter& operator=(const CsvWriter&) = delete;

    // The UTF-8 byte-order mark, by which spreadsheet programs recognise the encoding.
    void writeByteOrderMark();
    void writeRecord(const QStringList& fields);
    // Writes what is buffered; throws AppError with the device's error when it cannot.
    void flush();

    // One field as it stands in a record.
    static QString field(const QString& value);

private:
    QIODevice& m_out;
    QByteArray m_buffer;
};
