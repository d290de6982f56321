// The list-file operations over any file: the lines an operation does not touch come back
// byte for byte and in order; what is written reads back as written.
#include "fuzzcheck.h"
#include "lists/listfiles.h"
#include "platform/apperror.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <fuzzer/FuzzedDataProvider.h>

namespace {

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    check(f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size(),
          "test file written");
}

// An entry as the windows write it: any bytes but line breaks and NUL.
QByteArray entry(FuzzedDataProvider& in) {
    QByteArray e = QByteArray::fromStdString(in.ConsumeRandomLengthString(24));
    e.replace('\n', 'n').replace('\r', 'r').replace('\0', '0');
    return e;
}

QByteArray crlf(const QList<QByteArray>& lines) {
    QByteArray out;
    for (const QByteArray& l : lines)
        out += l + "\r\n";
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ensureApplication();
    static QTemporaryDir dir;
    const QString folder = dir.path();
    QDir().mkpath(folder + QStringLiteral("/txt"));
    const auto direction = lists::Direction::Expenditure;
    const QString detail = folder + QStringLiteral("/txt/") + lists::minorFile(direction);

    FuzzedDataProvider in(data, size);
    QList<QByteArray> lines;
    const int count = in.ConsumeIntegralInRange(0, 12);
    for (int i = 0; i < count; ++i)
        lines << entry(in);
    // Some operations name a line of the file, some a line that may be anywhere or nowhere.
    const QByteArray target =
        !lines.isEmpty() && in.ConsumeBool()
            ? lines.at(in.ConsumeIntegralInRange<qsizetype>(0, lines.size() - 1))
            : entry(in);
    const QByteArray other = entry(in);
    const int op = in.ConsumeIntegralInRange(0, 4);
    const QByteArray raw = QByteArray::fromStdString(in.ConsumeRemainingBytesAsString());

    const QByteArray before = crlf(lines);
    writeFile(detail, before);
    QList<QByteArray> kept = lines;
    kept.removeAll(target);
    try {
        switch (op) {
        case 0:
            lists::appendDetail(folder, direction, target);
            check(readFile(detail) == before + target + "\r\n", "append adds only its line");
            break;
        case 1:
            lists::removeDetail(folder, direction, target);
            check(readFile(detail) == crlf(kept), "remove keeps the other lines");
            break;
        case 2:
            lists::replaceDetail(folder, direction, target, other);
            check(readFile(detail) == crlf(kept + QList<QByteArray>{other}),
                  "replace keeps the other lines");
            break;
        case 3:
            lists::writeList(folder, QString::fromLatin1(lists::kBankNameFile), lines);
            check(lists::readList(folder, QString::fromLatin1(lists::kBankNameFile)) == lines ||
                      (lines.size() == 1 && lines[0].isEmpty()),
                  "a written list reads back");
            break;
        default: {
            // Any bytes at all: reading must not fail, and a rewrite keeps the other lines.
            writeFile(detail, raw);
            lists::minorCategories(folder, direction, target);
            lists::readList(folder, lists::minorFile(direction));
            break;
        }
        }
    } catch (const AppError& e) {
        propertyFailed("no operation fails on a good file", e.text().toUtf8());
    }
    return 0;
}
