#pragma once

#include <QString>
#include <QStringList>

// The texts start-up shows about the check of the books and their daily copies.
namespace safekeeping {

// Books whose pages fail the check: which file, what the check said, and the newest copy that
// passes it (`soundCopy`, empty when there is none) with what to do with it.
QString damagedText(const QString& booksPath, const QString& detail, const QString& soundCopy);
// Books that are no database (empty, a folder, another kind of file): the data layer's
// `error`, and the newest copy that passes the check when there is one.
QString notBooksText(const QString& error, const QString& soundCopy);
// The check could not run now (a full disk, no permission, a read error): not damage.
QString cannotCheckText(const QString& booksPath, const QString& detail);
// Copies in the backup folder dated after today.
QString futureCopiesText(const QStringList& copies);

} // namespace safekeeping
