#include "lists/listfiles.h"

#include "lists/listtext.h"
#include "platform/apperror.h"
#include "platform/atomicfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace lists {
namespace {

QString asciiLower(QString name) {
    for (QChar& c : name) {
        if (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
            c = QChar(c.unicode() + ('a' - 'A'));
    }
    return name;
}

QString txtFolder(const QString& programFolder) {
    return QDir::cleanPath(QDir(programFolder).absoluteFilePath(QStringLiteral("txt")));
}

// errno after a failed call, or EIO when the call left none behind.
int lastError() {
    return errno != 0 ? errno : EIO;
}

QString displayPath(const QString& path) {
    return QDir::toNativeSeparators(path);
}

[[noreturn]] void failCannotOpen(const QString& path) {
    throw AppError(QStringLiteral("Cannot open file %1").arg(displayPath(path)));
}

[[noreturn]] void failCannotCreate(const QString& path) {
    throw AppError(QStringLiteral("Cannot create file %1").arg(displayPath(path)));
}

[[noreturn]] void failIo(int error) {
    throw AppError(QStringLiteral("I/O error %1").arg(error));
}

// The error of a line-by-line operation on `path`, from the state of the folder and errno.
[[noreturn]] void failLineOperation(const QString& path, int error) {
    if (!QFileInfo(QFileInfo(path).path()).isDir())
        throw AppError(QStringLiteral("Invalid filename"));
    switch (error) {
    case ENOENT:
        throw AppError(QStringLiteral("File not found"));
    case EACCES:
    case EPERM:
        throw AppError(QStringLiteral("File access denied"));
    default:
        failIo(error);
    }
}

// The whole file, or the errno of the failing step.
struct ReadResult {
    std::optional<QByteArray> bytes;
    int error = 0;
    bool opened = false;
};

ReadResult readAllBytes(const QString& path) {
    ReadResult result;
    QFile file(path);
    errno = 0;
    if (!file.open(QIODevice::ReadOnly)) {
        result.error = lastError();
        return result;
    }
    result.opened = true;
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        result.error = lastError();
        return result;
    }
    result.bytes = std::move(bytes);
    return result;
}

// A line-by-line operation needs its file to exist: it never creates one.
void requireFile(const QString& path) {
    if (!QFileInfo::exists(path))
        failLineOperation(path, ENOENT);
}

// Reads a minor-category file for a line-by-line operation; throws its errors.
QByteArray readForLines(const QString& path) {
    requireFile(path);
    ReadResult read = readAllBytes(path);
    if (!read.bytes)
        failLineOperation(path, read.error);
    return *read.bytes;
}

enum class WriteStep { Open, Write };

struct WriteFailure {
    WriteStep step;
    int error;
};

// Replaces the file at `path` with `bytes`: the bytes go to a temporary file in the same folder
// that is renamed over the old file once it is complete and synced to disk, so a crash or a
// full disk leaves either the old file or the new one, never a mixture. A new file is
// owner-only; an existing one keeps its mode. An existing file that may not be written is
// refused as the truncation of it would be.
std::optional<WriteFailure> replaceFile(const QString& path, const QByteArray& bytes) {
    AtomicFile file(path, AtomicFile::Permissions::KeepExisting);
    if (!file.open(QIODevice::WriteOnly))
        return WriteFailure{WriteStep::Open, file.error()};
    if (file.write(bytes) != bytes.size() || !file.commit())
        return WriteFailure{WriteStep::Write, file.error()};
    return std::nullopt;
}

// Writes `lines` back over the minor-category file.
void rewriteLines(const QString& path, const QList<QByteArray>& lines) {
    if (const auto failure = replaceFile(path, joinLines(lines)))
        failLineOperation(path, failure->error);
}

QList<QByteArray> linesWithout(const QString& path, const QByteArray& line) {
    QList<QByteArray> kept = splitLines(readForLines(path));
    kept.removeAll(line);
    return kept;
}

} // namespace

Direction directionOf(const QString& text) {
    return text == QStringLiteral("收入") ? Direction::Income : Direction::Expenditure;
}

QString majorFile(Direction direction) {
    return QString::fromLatin1(direction == Direction::Income ? kIncomeMajorFile
                                                              : kExpenditureMajorFile);
}

QString minorFile(Direction direction) {
    return QString::fromLatin1(direction == Direction::Income ? kIncomeMinorFile
                                                              : kExpenditureMinorFile);
}

QString listPath(const QString& programFolder, const QString& fileName) {
    const QDir folder(txtFolder(programFolder));
    const QString lower = asciiLower(fileName);
    const QStringList entries = folder.entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    // On a case-sensitive file system several names may match: the exact one wins, then the
    // lower-case one, then the first in name order.
    QString found;
    for (const QString& entry : entries) {
        if (asciiLower(entry) != lower)
            continue;
        if (entry == fileName) {
            found = entry;
            break;
        }
        if (found.isEmpty() || (entry == lower && found != lower))
            found = entry;
    }
    return folder.filePath(found.isEmpty() ? lower : found);
}

QList<QByteArray> readList(const QString& programFolder, const QString& fileName) {
    const QString path = listPath(programFolder, fileName);
    ReadResult read = readAllBytes(path);
    if (!read.opened)
        failCannotOpen(path);
    if (!read.bytes)
        failIo(read.error);
    return splitEntries(*read.bytes);
}

void writeList(const QString& programFolder, const QString& fileName,
               const QList<QByteArray>& entries) {
    const QString path = listPath(programFolder, fileName);
    if (const auto failure = replaceFile(path, joinLines(entries))) {
        if (failure->step == WriteStep::Open)
            failCannotCreate(path);
        failIo(failure->error);
    }
}

QList<QByteArray> minorCategories(const QString& programFolder, Direction direction,
                                  const QByteArray& major) {
    const QString path = listPath(programFolder, minorFile(direction));
    QList<QByteArray> minors;
    for (const QByteArray& line : splitLines(readForLines(path))) {
        DetailParts parts = splitDetail(line);
        if (parts.major == major)
            minors.append(std::move(parts.minor));
    }
    return minors;
}

void appendDetail(const QString& programFolder, Direction direction, const QByteArray& text) {
    const QString path = listPath(programFolder, minorFile(direction));
    requireFile(path);
    // No O_CREAT: appending never creates the file, not even when it vanished just now.
    errno = 0;
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_APPEND | O_CLOEXEC);
    if (fd < 0)
        failLineOperation(path, lastError());
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        const int error = lastError();
        ::close(fd);
        failLineOperation(path, error);
    }
    const QByteArray bytes = text + "\r\n";
    qsizetype done = 0;
    int error = 0;
    while (done < bytes.size()) {
        errno = 0;
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            error = n == 0 ? ENOSPC : lastError();
            break;
        }
        done += n;
    }
    if (error == 0 && ::fsync(fd) != 0)
        error = lastError();
    if (error != 0) {
        // Whatever part of the line got in is cut off again: the file stays as it was, and
        // the next append does not glue onto half a line.
        if (done > 0 && ::ftruncate(fd, st.st_size) == 0)
            ::fsync(fd);
        ::close(fd);
        failLineOperation(path, error);
    }
    if (::close(fd) != 0)
        failLineOperation(path, lastError());
}

void removeDetail(const QString& programFolder, Direction direction, const QByteArray& line) {
    const QString path = listPath(programFolder, minorFile(direction));
    rewriteLines(path, linesWithout(path, line));
}

void replaceDetail(const QString& programFolder, Direction direction, const QByteArray& oldLine,
                   const QByteArray& newLine) {
    const QString path = listPath(programFolder, minorFile(direction));
    QList<QByteArray> lines = linesWithout(path, oldLine);
    lines.append(newLine);
    rewriteLines(path, lines);
}

} // namespace lists
