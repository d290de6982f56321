#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

class QIODevice;

// Writes records as comma-separated values for spreadsheets: UTF-8, records ended by CR LF,
// and a field quoted (with its quotes doubled) when it holds a comma, a quote, a CR or a LF, as
// RFC 4180 describes. A field that a spreadsheet would run as a formula (it begins with =, +,
// -, @, a tab or a CR and is not a plain number such as -3) goes out behind a ', and NUL bytes
// are dropped. Output is buffered and written in blocks.
class CsvWriter {
public:
    explicit CsvWriter(QIODevice& out);
    ~CsvWriter();
    CsvWriter(const CsvWriter&) = delete;
    CsvWriter& operator=(const CsvWriter&) = delete;

    // The UTF-8 byte-order mark, by which spreadsheet programs recognise the encoding.
    void writeByteOrderMark();
    void writeRecord(const QStringList& fields);
    // A record field by field: the fields, then its end. A field may come as UTF-8 bytes, which
    // spares a conversion when they come from the database as such.
    void writeField(const QString& value) { writeField(QByteArrayView(value.toUtf8())); }
    void writeField(QByteArrayView utf8);
    void endRecord();
    // Writes what is buffered; throws AppError with the device's error when it cannot.
    void flush();

    // One field as it stands in a record.
    static QString field(const QString& value);

private:
    QIODevice& m_out;
    QByteArray m_buffer;
    bool m_firstField = true;
};
