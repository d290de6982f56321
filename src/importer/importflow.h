#pragma once

#include "import/readbill.h"

#include <QString>
#include <functional>

class QWidget;
struct Context;

// Reads a bill file as picked (readBillFile in the program; a test's own reader in tests),
// with what the user told about a statement.
using BillReader = std::function<bills::BillFile(
    const QString& path, const bills::PasswordPrompt& prompt, const bills::StatementOptions&)>;

// 导入 in the ledger: asks for a bill file, reads it (asking a zip's password through the input
// box, the columns of a CSV of no known layout through the mapping step, the date order of a
// QIF file that cannot tell), and shows the import window over the books at `booksPath`. Returns
// whether the books changed (entries imported or an import taken back). 修改导入格式 in the
// window brings the mapping step back and the file is read again with the format mended.
bool importBill(const Context& context, const QString& booksPath, const BillReader& read,
                QWidget* parent);
