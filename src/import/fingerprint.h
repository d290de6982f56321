#pragma once

#include "import/billfile.h"

#include <QString>

// Transaction numbers for statements that have none, so that reading the same statement again
// finds the rows it brought before.
namespace bills {

// What a fingerprint starts with: no bank or app number does.
inline constexpr char16_t fingerprintPrefix[] = u"fp:";

// Whether a transaction number is a fingerprint rather than the file's own number.
bool isFingerprint(const QString& transactionNo);

// Gives every row of `file` without a transaction number a fingerprint: "fp:" and the SHA-1
// (hex) of the source, the account, the date, the direction, the amount, the counterparty,
// the balance and the row's position among the rows of that day equal in all of these. The
// same statement read again gives the same fingerprints; identical rows of one day get
// distinct ones. Rows that have a number keep it.
void addFingerprints(BillFile& file);

} // namespace bills
