#pragma once

#include "import/billfile.h"
#include "import/readbill.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <functional>
#include <optional>

// The readers readBill() chooses from: each knows one kind of bill file by its content. Adding a
// kind of file is adding a reader to the list (knownBillReaders in readbill.cpp).
namespace bills {

class BillZip;

// The file a reader is given.
struct BillInput {
    QString fileName;             // the name the user knows the file by (for messages)
    QByteArray bytes;             // the file as it is
    QString text;                 // its text (UTF-8 or GBK) when it is a text file, else empty
    const BillZip* zip = nullptr; // the opened archive when the file is a zip (an XLSX)
};

// One kind of bill file the importer reads.
struct BillReader {
    QString
        formats; // what the user calls the kind (支付宝 CSV); listed when no reader knows a file
    // The bill, or nothing when the file is not of this kind; throws AppError when it is, but
    // cannot be read (cut short, no rows).
    std::function<std::optional<BillFile>(const BillInput&)> read;
};

// Alipay CSV, WeChat Pay CSV, WeChat Pay XLSX.
QList<BillReader> paymentAppReaders();
// Every reader readBill() uses, in the order they are asked; the bank statements' reader with
// `options`.
QList<BillReader> knownBillReaders(const StatementOptions& options = {});

// readBill() with the readers given: a zip that is no spreadsheet is unpacked first (asking for
// its password through `prompt`); then each reader is asked in turn; a file no reader knows is
// refused with a message naming the formats of `readers`.
BillFile readBillWith(const QList<BillReader>& readers, const QString& fileName,
                      const QByteArray& bytes, const PasswordPrompt& prompt);

} // namespace bills
