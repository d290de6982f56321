#include "data/leftovers.h"

#include <QDir>
#include <QFileInfo>

namespace books {

int removeStaleCreations(const QString& databasePath, const QDateTime& now) {
    const QFileInfo books(databasePath);
    QDir folder = books.absoluteDir();
    const QString prefix = books.fileName() + QStringLiteral(".new-");
    // The name filter matches case-insensitively; the exact prefix is checked below.
    const QFileInfoList found =
        folder.entryInfoList({prefix + u'*'}, QDir::Files | QDir::Hidden | QDir::System);
    int removed = 0;
    for (const QFileInfo& f : found) {
        if (!f.fileName().startsWith(prefix, Qt::CaseSensitive) || f.isSymLink())
            continue;
        if (f.lastModified().secsTo(now) <= kStaleAfterSeconds)
            continue;
        if (QFile::remove(f.absoluteFilePath()))
            ++removed;
    }
    return removed;
}

} // namespace books
