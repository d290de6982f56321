#pragma once

#include <QString>

// How the books can be opened: read and write, or read-only when the file or its folder
// cannot be written (a copy on read-only media, a file set read-only). Read-only books open
// without creating the write-ahead log's files beside them where possible.
namespace books {

enum class Access {
    ReadWrite,
    // Read-only, through the write-ahead log already there beside the file.
    ReadOnly,
    // Read-only, and nothing is created or changed beside the file: SQLite is told that the
    // file cannot change while it is open.
    Immutable,
};

// The decision from the facts about the file: read-only books use the log beside them only
// when it holds something and its shared-memory file can be made.
Access accessFor(bool fileWritable, bool folderWritable, bool logHasContent);

// The access that the books at `databasePath` allow to this user.
Access accessOf(const QString& databasePath);

// The query of the SQLite URI that opens the books with `access`.
QString uriQuery(Access access);

// The message shown once at start when the books can only be read.
QString readOnlyNotice(const QString& databasePath);

// The error text of a save refused because the books are read-only.
QString readOnlyRefusal();

} // namespace books
