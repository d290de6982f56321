#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// The pieces of the crash test, shared by the child that works and the parent that kills it.
namespace crash {

// The ledger rows that a batch inserts, and how many batches stay stored: batch n deletes the
// rows of batch n - kBatchesKept.
inline constexpr int kRowsPerBatch = 5;
inline constexpr int kBatchesKept = 3;
// The remark of the one row that every batch updates; its amount is the batch's number.
inline constexpr char kCounterMemo[] = "counter";
// The list file that the child rewrites.
inline constexpr char kListFile[] = "cardname.txt";

// The remark of row `i` of batch `n`.
QString rowMemo(int batch, int i);
// The entries of version `v` of the list file (their number varies with v).
QList<QByteArray> listVersion(int v);

// Makes a program folder with books, the data source entry and version 0 of the list.
void prepare(const QString& folder);
QString iniPath(const QString& folder);

// The child: saves batches and rewrites the list until it is killed, reporting on stdout
// "batch <n>" after each save returned and "list <v>" after each rewrite returned.
int runChild(const QString& folder);

// What the parent finds after a kill.
struct Findings {
    bool intact = false;  // pragma integrity_check said ok
    int counter = -1;     // the last batch stored
    int halfWritten = 0;  // batches stored in part
    int listVersion = -1; // the version the list file holds; -1 when it is none
};
Findings inspect(const QString& folder);

// The import mode: each import writes kRowsPerImport entries; after import n every import up
// to n - kImportsKept is taken back.
inline constexpr int kRowsPerImport = 40;
inline constexpr int kImportsKept = 3;

// The child of the import mode: imports bills and takes older ones back until it is killed,
// reporting "import <n>" after each import returned.
int runImportChild(const QString& folder);

// What the parent of the import mode finds after a kill.
struct ImportFindings {
    bool intact = false;
    int last = 0;             // the newest import stored
    int halfWritten = 0;      // imports stored in part, or missing among the newest
    bool totalsExact = false; // the kept ledger totals account for every entry
};
ImportFindings inspectImports(const QString& folder);
// The backup side: a program folder with larger books, whose child checks the books and makes
// the copy of the next day, again and again (a change to the books every few days), reporting
// "copy <n>" with the day's number (days after 2026-01-01) after each copy was made.
void prepareBackups(const QString& folder);
int runBackupChild(const QString& folder);
// The day's number of a dated copy's file name, or -1.
int dayOfCopy(const QString& path);

// What the parent finds in the backup folder after a kill.
struct CopyFindings {
    int copies = 0;     // dated copies under their final names
    int unsound = 0;    // of those, copies that fail pragma integrity_check
    int newestDay = -1; // the day of the newest copy
};
CopyFindings inspectCopies(const QString& folder);

} // namespace crash
