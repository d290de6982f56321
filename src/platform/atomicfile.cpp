#include "platform/atomicfile.h"

#include "platform/regularfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kMaxLinks = 40; // as the system's own limit on links in a path
// Written bytes between two starts of their write-back (see writeData).
constexpr qint64 kWritebackStep = 4 * 1024 * 1024;

QString systemReason(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

// The file a write to `path` must replace: `path` itself, or the end of the chain of symbolic
// links that starts there. Empty with `error` set when the chain is too long or unreadable.
QString followLinks(const QString& path, int* error) {
    QString at = path;
    for (int hop = 0; hop < kMaxLinks; ++hop) {
        const QByteArray name = QFile::encodeName(at);
        struct stat st {};
        if (::lstat(name.constData(), &st) != 0) {
            if (errno == ENOENT)
                return at; // a new file (or the missing target of a link)
            *error = errno;
            return {};
        }
        if (!S_ISLNK(st.st_mode))
            return at;
        QByteArray link(size_t(st.st_size) + 256, '\0');
        const ssize_t n = ::readlink(name.constData(), link.data(), size_t(link.size()));
        if (n < 0) {
            *error = errno;
            return {};
        }
        link.truncate(n);
        const QString next = QFile::decodeName(link);
        at =
            QDir::isAbsolutePath(next) ? next : QDir::cleanPath(QFileInfo(at).path() + u'/' + next);
    }
    *error = ELOOP;
    return {};
}

} // namespace

AtomicFile::AtomicFile(QString path, Permissions permissions, FileCalls calls)
    : m_path(std::move(path)), m_permissions(permissions), m_calls(calls) {
    if (!m_calls.write)
        m_calls.write = ::write;
    if (!m_calls.fsync)
        m_calls.fsync = ::fsync;
}

AtomicFile::~AtomicFile() {
    discard();
}

bool AtomicFile::fail(Failure failure, int error, const QString& text) {
    m_failure = failure;
    m_error = error != 0 ? error : EIO;
    setErrorString(text.isEmpty() ? systemReason(m_error) : text);
    discard();
    return false;
}

void AtomicFile::discard() {
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (!m_temporary.isEmpty()) {
        ::unlink(QFile::encodeName(m_temporary).constData());
        m_temporary.clear();
    }
}

bool AtomicFile::open(OpenMode mode) {
    const OpenMode accepted = WriteOnly | Unbuffered | Truncate;
    if (QIODevice::isOpen() || (mode & ~accepted).toInt() != 0 || !(mode & WriteOnly))
        return fail(Failure::Open, EINVAL);
    m_failure = Failure::None;
    m_error = 0;
    m_written = 0;
    m_writtenBack = 0;
    int error = 0;
    m_target = followLinks(m_path, &error);
    if (m_target.isEmpty())
        return fail(Failure::Open, error);
    // The type is looked at before anything is opened: opening a FIFO would wait.
    struct stat st {};
    const QByteArray target = QFile::encodeName(m_target);
    bool exists = false;
    if (::stat(target.constData(), &st) == 0) {
        exists = true;
        if (!S_ISREG(st.st_mode)) {
            QString reason;
            regularfile::kindOf(m_target, &reason);
            return fail(Failure::Open, S_ISDIR(st.st_mode) ? EISDIR : EINVAL, reason);
        }
        // A file the user may not write is refused, as truncating it would be.
        if (::access(target.constData(), W_OK) != 0)
            return fail(Failure::Open, errno);
    } else if (errno != ENOENT) {
        return fail(Failure::Open, errno);
    }
    m_finalMode =
        m_permissions == Permissions::KeepExisting && exists ? (st.st_mode & 07777) : mode_t(0600);
    // mkstemp creates the file owner-only whatever the umask allows more.
    QByteArray pattern = target + ".new-XXXXXX";
    m_fd = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (m_fd < 0)
        return fail(Failure::Open, errno);
    m_temporary = QFile::decodeName(pattern);
    return QIODevice::open(WriteOnly | Unbuffered);
}

qint64 AtomicFile::writeData(const char* data, qint64 size) {
    if (m_fd < 0)
        return -1;
    qint64 done = 0;
    while (done < size) {
        errno = 0;
        const ssize_t n = m_calls.write(m_fd, data + done, size_t(size - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            // Nothing more fits (a full disk): the whole replacement has failed.
            const int error = n == 0 ? ENOSPC : errno;
            fail(Failure::Write, error);
            return -1;
        }
        done += n;
        m_written += n;
    }
    // The bytes start going to disk while more are written, so that the sync of commit() waits
    // only for the last of them instead of all of a large file.
    if (m_written - m_writtenBack >= kWritebackStep) {
        ::sync_file_range(m_fd, m_writtenBack, m_written - m_writtenBack, SYNC_FILE_RANGE_WRITE);
        m_writtenBack = m_written;
    }
    return done;
}

bool AtomicFile::commit() {
    const bool done = putInPlace();
    if (QIODevice::isOpen())
        QIODevice::close();
    return done;
}

bool AtomicFile::putInPlace() {
    if (m_fd < 0) {
        if (m_failure == Failure::None)
            return fail(Failure::Open, EBADF);
        return false;
    }
    // Proven on disk before it replaces anything: synced, and of exactly the written size.
    if (m_calls.fsync(m_fd) != 0)
        return fail(Failure::Write, errno);
    struct stat st {};
    if (::fstat(m_fd, &st) != 0)
        return fail(Failure::Write, errno);
    if (st.st_size != m_written)
        return fail(Failure::Write, EIO);
    if (::fchmod(m_fd, m_finalMode) != 0)
        return fail(Failure::Write, errno);
    const int fd = std::exchange(m_fd, -1);
    if (::close(fd) != 0)
        return fail(Failure::Write, errno);
    if (::rename(QFile::encodeName(m_temporary).constData(),
                 QFile::encodeName(m_target).constData()) != 0)
        return fail(Failure::Write, errno);
    m_temporary.clear();
    // The new name is made durable too; a failure here cannot undo the replacement.
    const int folder = ::open(QFile::encodeName(QFileInfo(m_target).path()).constData(),
                              O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
    return true;
}

void AtomicFile::cancelWriting() {
    discard();
    if (QIODevice::isOpen())
        QIODevice::close();
}
