#include "data/dailycopy.h"

#include "data/booksaccess.h"
#include "data/sqlitehandle.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using backups::Health;

namespace {

QString errnoText() {
    return QString::fromLocal8Bit(strerror(errno));
}

// What tells one state of a file from a later one within the moment between taking the digest
// and starting the snapshot: a write changes the size or the modification time, a rename over
// it the file number. (Not the status-change time: SQLite running as root sets the owner of the
// log whenever it opens it.)
struct FileState {
    bool exists = false;
    dev_t dev = 0;
    ino_t ino = 0;
    off_t size = 0;
    timespec mtime{};

    static FileState of(const QString& path) {
        FileState s;
        struct stat st {};
        // An empty log holds no change: the same as none (readers may make one).
        if (::stat(QFile::encodeName(path).constData(), &st) != 0 ||
            (st.st_size == 0 && path.endsWith(QLatin1String("-wal"))))
            return s;
        s.exists = true;
        s.dev = st.st_dev;
        s.ino = st.st_ino;
        s.size = st.st_size;
        s.mtime = st.st_mtim;
        return s;
    }
    bool operator==(const FileState& o) const {
        return exists == o.exists && dev == o.dev && ino == o.ino && size == o.size &&
               mtime.tv_sec == o.mtime.tv_sec && mtime.tv_nsec == o.mtime.tv_nsec;
    }
};

// Writes the file open on `fd` to the disk.
bool syncFile(int fd) {
    return ::fsync(fd) == 0;
}

bool syncFolder(const QString& folder) {
    const int fd =
        ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

// Removes a temporary copy and the files SQLite may have made beside it.
void removeWithCompanions(const QString& path) {
    for (const char* suffix : {"", "-journal", "-wal", "-shm"})
        ::unlink(QFile::encodeName(path + QLatin1String(suffix)).constData());
}

// Replaces `path` by `bytes`, on disk before it takes the name.
bool writeDurably(const QString& path, const QByteArray& bytes) {
    const QString temporary = path + QStringLiteral(".partial");
    const QByteArray name = QFile::encodeName(temporary);
    ::unlink(name.constData());
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    const bool written =
        ::write(fd, bytes.constData(), size_t(bytes.size())) == bytes.size() && syncFile(fd);
    ::close(fd);
    if (!written || ::rename(name.constData(), QFile::encodeName(path).constData()) != 0) {
        ::unlink(name.constData());
        return false;
    }
    return true;
}

} // namespace

// The books as checked: a read-only connection inside one read transaction, so that the copy
// is made of exactly the pages that passed the check, whatever other programs write meanwhile.
struct DailyCopy::Snapshot {
    Snapshot(const QString& path) : db(path, books::accessOf(path)) {}
    SqliteHandle db;
    bool matchesDigest = false;
};

DailyCopy::DailyCopy(QString booksPath, QDate day, const std::atomic_bool* stop, int keep)
    : m_books(std::move(booksPath)), m_day(day), m_stop(stop), m_keep(keep) {}

DailyCopy::~DailyCopy() = default;

DailyCopy::Verdict DailyCopy::check() {
    m_sound = false;
    m_current = false;
    m_snapshot.reset();
    Verdict v;
    const QFileInfo file(m_books);
    if (!file.isFile() || file.size() == 0) {
        const backups::Check c = backups::check(m_books);
        v.health = c.health;
        v.detail = c.detail;
        v.soundCopy = backups::newestSoundCopy(m_books, m_day);
        return v;
    }
    const FileState books = FileState::of(m_books);
    const FileState log = FileState::of(m_books + QStringLiteral("-wal"));
    m_digest = backups::contentDigest(m_books, m_stop);
    if (m_stop && m_stop->load())
        return {Health::Stopped, {}, {}, false};
    if (backups::copyIsCurrent(m_books, m_day, m_digest)) {
        // Books of this very content passed the check when the day's copy was made.
        m_current = true;
        m_sound = true;
        return {Health::Sound, {}, {}, true};
    }

    m_snapshot = std::make_unique<Snapshot>(m_books);
    SqliteHandle& db = m_snapshot->db;
    int rc = db.openResult();
    if (rc == SQLITE_OK) {
        db.stopWhen(m_stop);
        rc = db.exec("begin");
        if (rc == SQLITE_DONE)
            rc = db.exec("select count(*) from sqlite_master");
    }
    // The digest stands for the snapshot only when nothing changed the files between the two.
    m_snapshot->matchesDigest =
        FileState::of(m_books) == books && FileState::of(m_books + QStringLiteral("-wal")) == log;
    QStringList problems;
    if (rc == SQLITE_DONE)
        rc = db.eachRow("pragma integrity_check", [&](sqlite3_stmt* row) {
            const QString line =
                QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(row, 0)));
            if (line != QLatin1String("ok"))
                problems << line;
        });
    if (rc != SQLITE_DONE) {
        v.health = backups::healthOf(rc);
        v.detail = db.error();
    } else if (!problems.isEmpty()) {
        v.health = Health::Damaged;
        v.detail = problems.mid(0, 3).join(QStringLiteral("; "));
    }
    if (v.health == Health::Sound) {
        m_sound = true;
        return v;
    }
    m_snapshot.reset();
    if (v.health == Health::Damaged || v.health == Health::NotBooks)
        v.soundCopy = backups::newestSoundCopy(m_books, m_day);
    return v;
}

DailyCopy::Copied DailyCopy::copy() {
    Copied out;
    auto failed = [&](const QString& why) {
        out.error =
            QStringLiteral("无法备份账簿 %1：%2").arg(QDir::toNativeSeparators(m_books), why);
        m_snapshot.reset();
        return out;
    };
    if (!m_sound)
        return failed(QStringLiteral("账簿没有通过检查"));
    const QString folder = backups::folderFor(m_books);
    const QByteArray folderName = QFile::encodeName(folder);
    if (::mkdir(folderName.constData(), 0700) != 0 && errno != EEXIST)
        return failed(QStringLiteral("%1: %2").arg(folder, errnoText()));
    if (!QFileInfo(folder).isDir())
        return failed(QStringLiteral("%1 不是文件夹").arg(folder));
    out.futureCopies = backups::futureCopies(m_books, m_day);

    const QString target = backups::copyFor(m_books, m_day);
    if (m_current) {
        out.error = backups::pruneCopies(m_books, m_day, m_keep, target);
        return out;
    }

    // A start killed between a new copy's rename and the pruning left one copy too many.
    out.error = backups::pruneCopies(m_books, m_day, m_keep, {});
    if (!out.error.isEmpty())
        return out;

    // The new copy grows under a fixed hidden name; one left by an interrupted start goes. The
    // lock on it tells a start that clears leftovers that this one is still in use.
    const QString partial = backups::partialFor(m_books, m_day);
    const QByteArray partialName = QFile::encodeName(partial);
    removeWithCompanions(partial);
    const int fd = ::open(partialName.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        return failed(QStringLiteral("%1: %2").arg(partial, errnoText()));
    ::flock(fd, LOCK_EX | LOCK_NB);
    auto abandon = [&](const QString& why) {
        removeWithCompanions(partial);
        ::close(fd);
        return failed(why);
    };

    {
        SqliteHandle dest(partial);
        if (dest.openResult() != SQLITE_OK)
            return abandon(dest.error());
        sqlite3_backup* b = sqlite3_backup_init(dest.get(), "main", m_snapshot->db.get(), "main");
        if (!b)
            return abandon(dest.error());
        int rc = SQLITE_OK;
        do {
            if (m_stop && m_stop->load()) {
                sqlite3_backup_finish(b);
                return abandon(QStringLiteral("备份被中止"));
            }
            rc = sqlite3_backup_step(b, 1024);
            if (rc == SQLITE_BUSY || rc == SQLITE_LOCKED)
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
        } while (rc == SQLITE_OK || rc == SQLITE_BUSY || rc == SQLITE_LOCKED);
        sqlite3_backup_finish(b);
        if (rc != SQLITE_DONE)
            return abandon(dest.error());
        // The copy is a plain file of its own: no write-ahead log beside it, so it can be
        // checked, copied back or opened read-only without companions.
        if (dest.exec("pragma journal_mode=delete") != SQLITE_DONE)
            return abandon(dest.error());
    }
    const bool matchesDigest = m_snapshot->matchesDigest;
    m_snapshot.reset(); // the read transaction ends: writers may checkpoint again

    // On disk, and sound itself, before it takes the place of the earlier copy of the day.
    if (!syncFile(fd))
        return abandon(QStringLiteral("%1: %2").arg(partial, errnoText()));
    const backups::Check copied = backups::check(partial, m_stop);
    if (copied.health != Health::Sound)
        return abandon(QStringLiteral("新的备份没有通过检查：%1").arg(copied.detail));
    ::fchmod(fd, 0600);
    const QString record = backups::recordFor(m_books, m_day);
    ::unlink(QFile::encodeName(record).constData());
    if (::rename(partialName.constData(), QFile::encodeName(target).constData()) != 0)
        return abandon(QStringLiteral("%1: %2").arg(target, errnoText()));
    ::close(fd);
    syncFolder(folder);
    out.made = true;
    // The record lets a later start skip the check of books of the same content; it is only
    // written when the digest was taken of the very state that was checked and copied.
    if (matchesDigest)
        writeDurably(record, backups::recordText(m_digest, target));
    out.error = backups::pruneCopies(m_books, m_day, m_keep, target);
    return out;
}
