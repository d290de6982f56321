#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// Bill files made by tests: zip archives written with libzip (plain or encrypted), and small
// XLSX workbooks built from cell XML.
struct ZipEntry {
    ZipEntry(const QString& name, const QByteArray& bytes, int encryption = 0,
             const QByteArray& password = {})
        : name(name), bytes(bytes), encryption(encryption), password(password) {}
    QString name;
    QByteArray bytes;
    int encryption = 0;  // a ZIP_EM_* method, 0 for none
    QByteArray password; // for an encrypted entry
};
// A zip archive holding `entries`, in memory; fails the running test when libzip cannot write it.
QByteArray makeZip(const QList<ZipEntry>& entries);

// One sheet of a test workbook: its name and the XML of its <sheetData> rows (or, when `whole`,
// the sheet part's whole text, for parts that are damaged or cut short).
struct XlsxSheet {
    XlsxSheet(const QString& name, const QString& rowsXml, bool whole = false)
        : name(name), rowsXml(rowsXml), whole(whole) {}
    QString name;
    QString rowsXml;
    bool whole = false;
};
// An XLSX workbook with these sheets, `sharedStrings` as its string table, and `numFmts` /
// `cellXfs` as the inner XML of its style lists (cell style i is the i-th <xf>). `activeTab`
// is the sheet the workbook opens on.
QByteArray makeXlsx(const QList<XlsxSheet>& sheets, const QStringList& sharedStrings = {},
                    const QString& numFmts = {}, const QString& cellXfs = {}, int activeTab = 0,
                    bool date1904 = false);
// The XML of one row of inline-string cells from column A ("<row r=…><c … t=\"inlineStr\">…").
QString inlineRow(int row, const QStringList& cells);
