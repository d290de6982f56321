#include "data/booksaccess.h"

#include <QDir>
#include <QFileInfo>

namespace books {

Access accessFor(bool fileWritable, bool folderWritable, bool logHasContent) {
    if (fileWritable && folderWritable)
        return Access::ReadWrite;
    // Committed changes may still wait in the log after a crash: read them when SQLite can
    // open the log's shared-memory file. Otherwise nothing must be created beside the books
    // (a read-only file would leave read-only -wal and -shm files behind).
    if (logHasContent && folderWritable)
        return Access::ReadOnly;
    return Access::Immutable;
}

Access accessOf(const QString& databasePath) {
    const QFileInfo file(databasePath);
    const QFileInfo folder(file.absolutePath());
    const QFileInfo log(databasePath + QStringLiteral("-wal"));
    return accessFor(file.isWritable(), folder.isWritable(), log.exists() && log.size() > 0);
}

QString uriQuery(Access access) {
    switch (access) {
    case Access::ReadWrite:
        // Never create a file that is not there.
        return QStringLiteral("mode=rw");
    case Access::ReadOnly:
        return QStringLiteral("mode=ro");
    case Access::Immutable:
        return QStringLiteral("mode=ro&immutable=1");
    }
    return QStringLiteral("mode=ro&immutable=1");
}

QString readOnlyNotice(const QString& databasePath) {
    const QFileInfo file(databasePath);
    const QString reason =
        QFileInfo(file.absolutePath()).isWritable()
            ? QStringLiteral("这个文件不允许写入。")
            : QStringLiteral("它所在的文件夹不允许写入（例如只读的光盘或U盘）。");
    return QStringLiteral(
               "账本“%1”只能查看，不能修改：%2\n本次打开的窗口都可以查看账目，但保存会被拒绝。")
        .arg(QDir::toNativeSeparators(file.absoluteFilePath()), reason);
}

QString readOnlyRefusal() {
    return QStringLiteral("账本是只读的，修改不能保存");
}

} // namespace books
