#include "lists/listfiles.h"

#include "lists/listtext.h"
#include "platform/apperror.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <cerrno>
#include <optional>

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
// that is renamed over the old file once it is complete, so a crash or a full disk leaves either
// the old file or the new one, never a mixture. An existing file that may not be written is
// refused as the truncation of it would be.
std::optional<WriteFailure> replaceFile(const QString& path, const QByteArray& bytes) {
    const QFileInfo existing(path);
    if (existing.exists() && !existing.isWritable())
        return WriteFailure{WriteStep::Open, EACCES};
    QSaveFile file(path);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return WriteFailure{WriteStep::Open, lastError()};
    errno = 0;
    if (file.write(bytes) != bytes.size()) {
        const int error = lastError();
        file.cancelWriting();
        return WriteFailure{WriteStep::Write, error};
    }
    errno = 0;
    if (!file.commit())
        return WriteFailure{WriteStep::Write, lastError()};
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
    QFile file(path);
    errno = 0;
    // ExistingOnly: appending never creates the file, not even when it vanished just now.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::ExistingOnly |
                   QIODevice::Unbuffered))
        failLineOperation(path, lastError());
    const QByteArray bytes = text + "\r\n";
    errno = 0;
    if (file.write(bytes) != bytes.size())
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
