#pragma once

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
// ImportCancelled when the password prompt is cancelled.
BillFile readBill(const QString& fileName, const QByteArray& bytes, const PasswordPrompt& prompt);
// The same for a file on disk; a file that cannot be read throws AppError naming it.
BillFile readBillFile(const QString& path, const PasswordPrompt& prompt);

} // namespace bills
