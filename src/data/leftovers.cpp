#include "data/leftovers.h"

#include "data/backups.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

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

namespace {

// True when a making start holds the lock on `path` (see DailyCopy).
bool inUse(const QString& path) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return false;
    const bool locked = ::flock(fd, LOCK_SH | LOCK_NB) != 0;
    ::close(fd);
    return locked;
}

} // namespace

int removeBackupLeftovers(const QString& databasePath) {
    const QFileInfo books(databasePath);
    const QDir folder(backups::folderFor(databasePath));
    const QRegularExpression form(
        QStringLiteral(
            "^(\\.%1-\\d{4}-\\d{2}-\\d{2}\\.%2(\\.source)?\\.partial)(-journal|-wal|-shm)?$")
            .arg(QRegularExpression::escape(books.completeBaseName()),
                 QRegularExpression::escape(books.suffix())));
    int removed = 0;
    for (const QFileInfo& f : folder.entryInfoList(QDir::Files | QDir::Hidden | QDir::System)) {
        const auto m = form.match(f.fileName());
        if (!m.hasMatch() || f.isSymLink())
            continue;
        if (inUse(folder.filePath(m.captured(1))))
            continue;
        if (QFile::remove(f.absoluteFilePath()))
            ++removed;
    }
    return removed;
}

} // namespace books
