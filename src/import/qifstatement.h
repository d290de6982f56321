#pragma once

#include "import/billfile.h"

#include <QString>
#include <exception>

// Reading QIF files (the bank, cash and credit-card sections) into bill rows.
namespace bills {

// How the numbers of a QIF date are ordered: 2/14'2020 is month first, 23/10/2013 day first.
enum class DateOrder { Unknown, MonthFirst, DayFirst };

// Thrown when no date of a QIF file tells its order (every day and month is 12 or less) and
// the caller gave none: ask the user and read again with the order chosen.
struct DateOrderUndecided : std::exception {
    const char* what() const noexcept override { return "QIF date order undecided"; }
};

// Whether `text` looks like a QIF file: a "!Type:" or "!Account" line before any record.
bool looksLikeQif(const QString& text);

// Reads the !Type:Bank, !Type:Cash and !Type:CCard sections of a QIF file; other sections
// (category and class lists, investments, securities) hold no ledger rows and are passed
// over. A record with splits becomes one row per split. The day/month order comes from the
// file (a number over 12 decides); `order` is used only when the file cannot tell, and
// DateOrderUndecided is thrown when it is Unknown then. A file whose dates contradict each
// other (both 23/10 and 10/23 forms) throws AppError. Rows carry no transaction number: see
// addFingerprints().
BillFile readQif(const QString& text, DateOrder order);

} // namespace bills
