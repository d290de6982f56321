#pragma once

#include "import/readbill.h"

#include <QDateTime>
#include <QStringList>
#include <QTextStream>
#include <functional>

// teloq-import: imports bill files into the books from the command line, with the rules and
// records of the import window.
namespace importcommand {

// What the command needs from outside, so that tests can run it in-process.
struct Environment {
    QTextStream& out;
    QTextStream& err;
    // Reads a bill file (readBillFile in the program) with what the options tell of a
    // statement.
    std::function<bills::BillFile(const QString& path, const bills::PasswordPrompt& prompt,
                                  const bills::StatementOptions& options)>
        read;
    // Asks for a zip's password when --password is not given (the terminal in the program);
    // answers nothing when it cannot ask.
    bills::PasswordPrompt askPassword;
    QString defaultBooks;  // the books the program would open
    QString programFolder; // the folder whose txt/ holds the lists
    QDateTime now;
};

// The usage text printed for --help and wrong arguments.
QString usage();

// Runs `arguments` (without the program name): [--books FILE] [--dry-run] [--password PW]
// [--mapping NAME] [--date-order mdy|dmy] FILE…. A CSV of no known layout is read with the
// import format kept under NAME, or with a kept one whose header it has; a QIF file whose
// dates cannot tell their order is read in the order given. Prints per file "FILE: N 条新记录, M
// 条重复, K 条跳过" (", P 条可能重复" and
// ", T 条转账" added when there are such rows, each also noted on `err` with the entry it
// matches; they are not imported); with --dry-run the rows it would add go to `out` as CSV and
// those lines to `err`, and nothing is written. A later file sees the rows of the earlier ones
// as the books would. All files are written in one transaction: any failure writes nothing.
// Returns the exit status.
int run(const QStringList& arguments, Environment& env);

} // namespace importcommand
