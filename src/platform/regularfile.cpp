#include "platform/regularfile.h"

#include <QFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace regularfile {
namespace {

QString systemReason(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

QString notRegular(mode_t mode) {
    if (S_ISDIR(mode))
        return systemReason(EISDIR); // as an open for writing would say
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return QStringLiteral("是一个设备文件，不是普通文件");
    if (S_ISFIFO(mode))
        return QStringLiteral("是一个命名管道，不是普通文件");
    if (S_ISSOCK(mode))
        return QStringLiteral("是一个套接字，不是普通文件");
    return QStringLiteral("不是普通文件");
}

} // namespace

Kind kindOf(const QString& path, QString* reason) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0) {
        const int error = errno;
        if (error == ENOENT)
            return Kind::Missing;
        if (reason)
            *reason = systemReason(error);
        return Kind::Other;
    }
    if (S_ISREG(st.st_mode))
        return Kind::Regular;
    if (reason)
        *reason = notRegular(st.st_mode);
    return Kind::Other;
}

std::optional<QByteArray> read(const QString& path, QString* reason, bool* missing) {
    if (missing)
        *missing = false;
    auto fail = [reason](const QString& why) {
        if (reason)
            *reason = why;
        return std::nullopt;
    };
    // The type is looked at before opening: opening a device may already do something.
    if (const Kind kind = kindOf(path, reason); kind != Kind::Regular) {
        if (missing)
            *missing = kind == Kind::Missing;
        if (kind == Kind::Missing && reason)
            *reason = systemReason(ENOENT);
        return std::nullopt;
    }
    // O_NONBLOCK: a FIFO put in its place meanwhile opens at once instead of waiting for a writer;
    // the type is then checked on the open file, so nothing swapped in between is read.
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        if (missing)
            *missing = error == ENOENT;
        return fail(systemReason(error));
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        const int error = errno;
        ::close(fd);
        return fail(systemReason(error));
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        return fail(notRegular(st.st_mode));
    }
    QByteArray bytes;
    char block[16384];
    for (;;) {
        const ssize_t n = ::read(fd, block, sizeof block);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            const int error = errno;
            ::close(fd);
            return fail(systemReason(error));
        }
        if (n == 0)
            break;
        bytes.append(block, n);
    }
    ::close(fd);
    return bytes;
}

} // namespace regularfile
