#pragma once

#include "import/bankstatement.h"
#include "import/billfile.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <optional>
#include <stdexcept>

// Reading a bill file as the user picked it: a CSV, an XLSX, or the password-protected zip
// that holds one, of any source the importer knows.
namespace bills {

// Asks for the password of a zip: the text typed, or nothing when the user cancels. `again`
// is true when the password given before was wrong.
using PasswordPrompt = std::function<std::optional<QString>(const QString& fileName, bool again)>;

// Thrown when the user cancels the password prompt: nothing is imported and nothing is said.
struct ImportCancelled : std::exception {
    const char* what() const noexcept override { return "import cancelled"; }
};

// Reads the bill in `bytes` (named `fileName`, which decides nothing by itself: the content
// is looked at). Throws AppError with the text the user reads when the file is no bill of a
// known kind (naming the kinds expected), a damaged zip, cut short, or holds no rows; throws
// ImportCancelled when the password prompt is cancelled. `options` is what the user told about
// a bank statement: for a CSV of no known layout that no mapping of `options` fits it throws
// CsvMappingNeeded, for a QIF file whose dates cannot tell their order DateOrderUndecided;
// the caller asks the user and reads again with the answer in `options`.
BillFile readBill(const QString& fileName, const QByteArray& bytes, const PasswordPrompt& prompt,
                  const StatementOptions& options = {});
// The same for a file on disk; a file that cannot be read throws AppError naming it.
BillFile readBillFile(const QString& path, const PasswordPrompt& prompt,
                      const StatementOptions& options = {});

} // namespace bills
