#pragma once

#include <QString>

// Where the books of this run are. Resolved once at start-up from the program folder and
// handed to every connection, so that nothing written later — the data source entry, which a
// second copy of the program started elsewhere rewrites — can point a running program at
// other books.
class BooksLocation {
public:
    BooksLocation() = default;
    explicit BooksLocation(QString databasePath) : m_databasePath(std::move(databasePath)) {}

    // The books of the program whose folder is `programFolder`: <folder>/Salary.mdb.
    static BooksLocation inProgramFolder(const QString& programFolder);

    const QString& databasePath() const { return m_databasePath; }
    bool operator==(const BooksLocation&) const = default;

private:
    QString m_databasePath;
};
