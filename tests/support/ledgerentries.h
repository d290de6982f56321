#pragma once

class TestProgram;
template <typename T> class QList;

// One ledger entry as a test writes it into the books.
struct LedgerEntry {
    const char* date;
    const char* sz;
    double money;
    const char* szdl = "工资";
    const char* szxl = "基本"; // null stores NULL
};

// Writes the entries straight into mysalary; `zffs` and `memo` (null stores NULL) go into
// every row.
void insertEntries(TestProgram& program, const QList<LedgerEntry>& entries,
                   const char* zffs = nullptr, const char* memo = nullptr);
