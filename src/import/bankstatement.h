#pragma once

#include "import/billfile.h"
#include "import/csvmapping.h"
#include "import/qifstatement.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <exception>
#include <optional>

// Reading bank statements and the files other ledger programs export: ICBC CSV, CCB .xls,
// OFX, QIF, and any other CSV through a column mapping.
namespace bills {

// What the caller knows beyond the file itself.
struct StatementOptions {
    DateOrder dateOrder = DateOrder::Unknown; // a QIF file's date order, when it cannot tell
    std::optional<CsvMapping> mapping;        // the mapping chosen (--mapping NAME, the step)
    QList<CsvMapping> savedMappings;          // kept mappings, tried by the file's header
    // The user asks to see the mapping step again for a CSV read through a mapping: it is
    // thrown as CsvMappingNeeded starting from the mapping that fits.
    bool reviewMapping = false;
};

// Thrown for a CSV that no reader knows and no mapping fits: the mapping step comes next,
// starting from the guess, over the file's bytes (the CSV itself, also when it came in a zip).
struct CsvMappingNeeded : std::exception {
    CsvMappingNeeded(CsvMapping guess, QByteArray bytes)
        : guess(std::move(guess)), bytes(std::move(bytes)) {}
    const char* what() const noexcept override { return "CSV mapping needed"; }
    CsvMapping guess;
    QByteArray bytes;
};

// Reads `bytes` (named `fileName`, used in messages only) as a bank or ledger statement:
// nothing when they are none of these formats, so the caller tries its other readers. Rows
// without a transaction number get fingerprints. Throws AppError naming the file when the
// file is one of these but damaged or holds no rows; DateOrderUndecided for a QIF file whose
// dates cannot tell their order when options.dateOrder is Unknown; CsvMappingNeeded for a
// table-like CSV of no known layout when neither options.mapping nor a saved mapping fits
// (call this after the payment-app readers, which know their own CSVs).
std::optional<BillFile> readBankStatement(const QString& fileName, const QByteArray& bytes,
                                          const StatementOptions& options);

} // namespace bills
