#include "data/backups.h"

#include "platform/apperror.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

namespace backups {
namespace {

// An sqlite3 handle that closes itself.
class Handle {
public:
    Handle(const QString& path, int flags) {
        m_rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db, flags, nullptr);
    }
    ~Handle() { sqlite3_close_v2(m_db); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    sqlite3* get() const { return m_db; }
    int openResult() const { return m_rc; }
    QString error() const {
        return m_db ? QString::fromUtf8(sqlite3_errmsg(m_db))
                    : QString::fromUtf8(sqlite3_errstr(m_rc));
    }

private:
    sqlite3* m_db = nullptr;
    int m_rc = SQLITE_OK;
};

bool isUnreadable(int rc) {
    switch (rc & 0xff) {
    case SQLITE_CANTOPEN:
    case SQLITE_PERM:
    case SQLITE_AUTH:
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
    case SQLITE_NOTADB:
        return true;
    default:
        return false;
    }
}

[[noreturn]] void fail(const QString& booksPath, const QString& why) {
    throw AppError(
        QStringLiteral("无法备份账簿 %1：%2").arg(QDir::toNativeSeparators(booksPath), why));
}

QString errnoText() {
    return QString::fromLocal8Bit(strerror(errno));
}

// The dated copies in `folder` for the books `booksPath`, with their days.
QList<std::pair<QDate, QString>> datedCopies(const QString& booksPath) {
    const QFileInfo books(booksPath);
    const QRegularExpression form(QStringLiteral("^%1-(\\d{4}-\\d{2}-\\d{2})\\.%2$")
                                      .arg(QRegularExpression::escape(books.completeBaseName()),
                                           QRegularExpression::escape(books.suffix())));
    QList<std::pair<QDate, QString>> out;
    const QDir folder(folderFor(booksPath));
    for (const QString& name : folder.entryList(QDir::Files | QDir::Hidden)) {
        const auto m = form.match(name);
        if (!m.hasMatch())
            continue;
        const QDate day = QDate::fromString(m.captured(1), QStringLiteral("yyyy-MM-dd"));
        if (day.isValid())
            out.append({day, folder.filePath(name)});
    }
    std::sort(out.begin(), out.end(),
              [](const auto& a, const auto& b) { return a.first > b.first; });
    return out;
}

} // namespace

Check check(const QString& path) {
    const QFileInfo file(path);
    if (!file.isFile())
        return {Health::Unreadable, QStringLiteral("文件不存在")};
    // SQLite takes an empty file for an empty database; as books it holds nothing to keep.
    if (file.size() == 0)
        return {Health::Unreadable, QStringLiteral("空文件")};
    Handle db(path, SQLITE_OPEN_READONLY);
    if (db.openResult() != SQLITE_OK)
        return {isUnreadable(db.openResult()) ? Health::Unreadable : Health::Damaged, db.error()};
    sqlite3_stmt* stmt = nullptr;
    int rc = sqlite3_prepare_v2(db.get(), "pragma quick_check", -1, &stmt, nullptr);
    QStringList problems;
    while (rc == SQLITE_OK || rc == SQLITE_ROW) {
        rc = sqlite3_step(stmt);
        if (rc == SQLITE_ROW) {
            const QString line =
                QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
            if (line != QLatin1String("ok"))
                problems << line;
        }
    }
    const QString error = db.error();
    sqlite3_finalize(stmt);
    if (rc != SQLITE_DONE)
        return {isUnreadable(rc) ? Health::Unreadable : Health::Damaged, error};
    if (!problems.isEmpty())
        return {Health::Damaged, problems.mid(0, 3).join(QStringLiteral("; "))};
    return {Health::Sound, {}};
}

QString folderFor(const QString& booksPath) {
    return QFileInfo(booksPath).absoluteDir().filePath(QStringLiteral("backup"));
}

QString copyFor(const QString& booksPath, const QDate& day) {
    const QFileInfo books(booksPath);
    return QDir(folderFor(booksPath))
        .filePath(QStringLiteral("%1-%2.%3")
                      .arg(books.completeBaseName(), day.toString(QStringLiteral("yyyy-MM-dd")),
                           books.suffix()));
}

namespace {

// The time of the last change of a file, in nanoseconds; 0 when it does not exist or is empty
// (opening books creates an empty log beside them, which holds no change).
qint64 changedAt(const QString& path) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0 || st.st_size == 0)
        return 0;
    return qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
}

void pruneCopies(const QString& booksPath, int keep) {
    const auto copies = datedCopies(booksPath);
    for (qsizetype i = keep; i < copies.size(); ++i) {
        if (!QFile::remove(copies[i].second))
            fail(booksPath, QStringLiteral("无法删除旧备份 %1").arg(copies[i].second));
    }
}

} // namespace

bool copyIsCurrent(const QString& booksPath, const QDate& day) {
    const qint64 copied = changedAt(copyFor(booksPath, day));
    return copied > 0 && copied > changedAt(booksPath) &&
           copied > changedAt(booksPath + QStringLiteral("-wal"));
}

void backUp(const QString& booksPath, const QDate& day, int keep) {
    const QString folder = folderFor(booksPath);
    const QByteArray folderName = QFile::encodeName(folder);
    if (::mkdir(folderName.constData(), 0700) != 0 && errno != EEXIST)
        fail(booksPath, QStringLiteral("%1: %2").arg(folder, errnoText()));
    if (!QFileInfo(folder).isDir())
        fail(booksPath, QStringLiteral("%1 不是文件夹").arg(folder));

    const QString target = copyFor(booksPath, day);
    if (copyIsCurrent(booksPath, day)) {
        pruneCopies(booksPath, keep);
        return;
    }
    // The new copy grows under a fixed temporary name; one left by an interrupted start goes.
    const QString partial = QDir(folder).filePath(QLatin1Char('.') + QFileInfo(target).fileName() +
                                                  QStringLiteral(".partial"));
    const QByteArray partialName = QFile::encodeName(partial);
    ::unlink(partialName.constData());
    const int fd = ::open(partialName.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        fail(booksPath, QStringLiteral("%1: %2").arg(partial, errnoText()));
    ::close(fd);
    auto abandon = [&](const QString& why) {
        ::unlink(partialName.constData());
        fail(booksPath, why);
    };

    {
        Handle source(booksPath, SQLITE_OPEN_READONLY);
        if (source.openResult() != SQLITE_OK)
            abandon(source.error());
        Handle dest(partial, SQLITE_OPEN_READWRITE);
        if (dest.openResult() != SQLITE_OK)
            abandon(dest.error());
        sqlite3_backup* b = sqlite3_backup_init(dest.get(), "main", source.get(), "main");
        if (!b)
            abandon(dest.error());
        const int rc = sqlite3_backup_step(b, -1);
        sqlite3_backup_finish(b);
        if (rc != SQLITE_DONE)
            abandon(dest.error());
        // The copy is a plain file of its own: no write-ahead log beside it, so it can be
        // checked, copied back or opened read-only without companions.
        if (sqlite3_exec(dest.get(), "pragma journal_mode=delete", nullptr, nullptr, nullptr) !=
            SQLITE_OK)
            abandon(dest.error());
    }

    // On disk before it takes the place of the earlier copy of the day.
    const int sync = ::open(partialName.constData(), O_RDONLY | O_CLOEXEC);
    if (sync < 0 || ::fsync(sync) != 0) {
        const QString why = errnoText();
        if (sync >= 0)
            ::close(sync);
        abandon(QStringLiteral("%1: %2").arg(partial, why));
    }
    ::close(sync);
    ::chmod(partialName.constData(), 0600);
    if (::rename(partialName.constData(), QFile::encodeName(target).constData()) != 0)
        abandon(QStringLiteral("%1: %2").arg(target, errnoText()));
    pruneCopies(booksPath, keep);
}

QString newestSoundCopy(const QString& booksPath) {
    for (const auto& c : datedCopies(booksPath)) {
        if (check(c.second).health == Health::Sound)
            return c.second;
    }
    return {};
}

} // namespace backups
