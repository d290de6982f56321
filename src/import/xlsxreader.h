#pragma once

#include "import/billtable.h"
#include "import/billzip.h"
#include "import/spreadsheetcells.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// The cells of an XLSX workbook as text, read through libzip and QXmlStreamReader: what a bill
// reader needs of a spreadsheet, nothing more (no formulas are computed, no styles kept but the
// ones that say a number is a date).
namespace bills {

// Whether an opened zip is a spreadsheet workbook.
bool isXlsx(const BillZip& zip);

// An XLSX workbook opened for reading its sheets one by one.
class XlsxWorkbook {
public:
    // Reads the workbook's parts (sheets, shared strings, number formats); throws AppError naming
    // the zip's file when they are damaged or cut short.
    explicit XlsxWorkbook(const BillZip& zip);

    // The sheets in the order to look at them: the one the workbook opens on first, then the
    // others as they stand.
    int sheetCount() const { return int(m_sheets.size()); }
    QString sheetName(int i) const { return m_sheets.at(i).name; }
    // The rows of a sheet as table lines: each with its row number, its cells by column (from A)
    // and its text (the cells joined by commas). Shared and inline strings as written; numbers
    // as decimal text the way a spreadsheet shows them; numbers with a date format as
    // "yyyy-MM-dd HH:mm:ss". Throws AppError when the sheet's XML is damaged or ends early.
    QList<TableLine> sheetLines(int i) const;

private:
    struct SheetRef {
        QString name;
        QString part;
    };
    QString cellText(const QString& type, const QString& style, const QString& value) const;

    const BillZip& m_zip;
    QList<SheetRef> m_sheets;
    QStringList m_sharedStrings;
    QList<bool> m_dateStyles; // by cell style index: whether its number format is a date
    QList<bool> m_timeStyles; // … and shows a time of day
    bool m_date1904 = false;
};

} // namespace bills
