#pragma once

#include "registers/loanswindow.h"
#include "support/testprogram.h"

#include <QString>
#include <QStringList>
#include <memory>

class DataGrid;
class QLineEdit;
class TableDataset;

// The start of an insert into `borrow`; a row's values list follows it.
extern const QString kLoanInsert;
// Two stored loans as values lists for kLoanInsert: 1500 lent, 2000 borrowed.
extern const QString kLent;
extern const QString kBorrowed;

// A loans window, shown, over fresh books holding `rows` (each a values list for kLoanInsert).
struct LoansFixture {
    explicit LoansFixture(const QStringList& rows = {});
    DataGrid* grid() const;
    TableDataset* dataset() const;
    int field(const char* name) const;
    void click(const char* name);
    int stored();
    QStringList panels() const;
    // Puts the cursor on (row, field) with its editor open; the editor's line edit.
    QLineEdit* cell(int row, const char* name);
    // Replaces the text of (row, field) by typing `text` into its editor.
    void type(int row, const char* name, const QString& text);
    // The text the grid shows in (row, field).
    QString shown(int row, const char* name) const;

    TestProgram program;
    std::unique_ptr<LoansWindow> window;
};
