#include "data/backups.h"

#include "data/booksaccess.h"
#include "data/dailycopy.h"
#include "data/sqlitehandle.h"
#include "platform/apperror.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sodium.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

namespace backups {
namespace {

// The dated copies in the backup folder for the books `booksPath`, with their days, newest
// first.
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

Health healthOf(int sqliteResult) {
    switch (sqliteResult & 0xff) {
    case SQLITE_OK:
    case SQLITE_DONE:
    case SQLITE_ROW:
        return Health::Sound;
    case SQLITE_CORRUPT:
        return Health::Damaged;
    case SQLITE_NOTADB:
        return Health::NotBooks;
    case SQLITE_INTERRUPT:
        return Health::Stopped;
    default:
        // A full disk, no permission, a read error, a lock: nothing is proven about the pages.
        return Health::CannotCheck;
    }
}

QString recordFor(const QString& booksPath, const QDate& day) {
    return QFileInfo(partialFor(booksPath, day)).absolutePath() + QStringLiteral("/.") +
           QFileInfo(copyFor(booksPath, day)).fileName() + QStringLiteral(".source");
}

Check check(const QString& path, const std::atomic_bool* stop) {
    const QFileInfo file(path);
    if (file.isDir())
        return {Health::NotBooks, QStringLiteral("这是一个文件夹")};
    if (!file.exists())
        return {Health::NotBooks, QStringLiteral("文件不存在")};
    if (!file.isFile())
        return {Health::NotBooks, QStringLiteral("不是普通文件")};
    // SQLite takes an empty file for an empty database; as books it holds nothing to keep.
    if (file.size() == 0)
        return {Health::NotBooks, QStringLiteral("空文件")};
    SqliteHandle db(path, books::accessOf(path));
    if (db.openResult() != SQLITE_OK)
        return {healthOf(db.openResult()), db.error()};
    db.stopWhen(stop);
    QStringList problems;
    const int rc = db.eachRow("pragma integrity_check", [&](sqlite3_stmt* row) {
        const QString line =
            QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(row, 0)));
        if (line != QLatin1String("ok"))
            problems << line;
    });
    if (rc != SQLITE_DONE)
        return {healthOf(rc), db.error()};
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

QString partialFor(const QString& booksPath, const QDate& day) {
    return QDir(folderFor(booksPath))
        .filePath(QLatin1Char('.') + QFileInfo(copyFor(booksPath, day)).fileName() +
                  QStringLiteral(".partial"));
}

QStringList copiesOf(const QString& booksPath) {
    QStringList out;
    for (const auto& c : datedCopies(booksPath))
        out << c.second;
    return out;
}

QStringList futureCopies(const QString& booksPath, const QDate& today) {
    QStringList out;
    for (const auto& c : datedCopies(booksPath))
        if (c.first > today)
            out << c.second;
    return out;
}

QByteArray contentDigest(const QString& booksPath, const std::atomic_bool* stop) {
    crypto_generichash_state state;
    crypto_generichash_init(&state, nullptr, 0, crypto_generichash_BYTES);
    QByteArray buffer(1 << 20, Qt::Uninitialized);
    for (const QString& suffix : {QString(), QStringLiteral("-wal")}) {
        QFile f(booksPath + suffix);
        if (!f.open(QIODevice::ReadOnly)) {
            if (suffix.isEmpty())
                return {};
            continue; // no log: nothing waits in it
        }
        // The length first, so that no split of the same bytes between the two files matches.
        // An empty log holds no change: the same as none.
        const quint64 size = quint64(f.size());
        if (size == 0 && !suffix.isEmpty())
            continue;
        crypto_generichash_update(&state, reinterpret_cast<const unsigned char*>(&size),
                                  sizeof size);
        for (;;) {
            if (stop && stop->load())
                return {};
            const qint64 n = f.read(buffer.data(), buffer.size());
            if (n < 0)
                return {};
            if (n == 0)
                break;
            crypto_generichash_update(&state, reinterpret_cast<const unsigned char*>(buffer.data()),
                                      size_t(n));
        }
    }
    QByteArray out(crypto_generichash_BYTES, Qt::Uninitialized);
    crypto_generichash_final(&state, reinterpret_cast<unsigned char*>(out.data()),
                             size_t(out.size()));
    return out.toHex();
}

QByteArray recordText(const QByteArray& digest, const QString& copy) {
    struct stat st {};
    if (::stat(QFile::encodeName(copy).constData(), &st) != 0)
        return {};
    return digest + ' ' + QByteArray::number(qulonglong(st.st_ino)) + ' ' +
           QByteArray::number(qlonglong(st.st_size)) + '\n';
}

bool copyIsCurrent(const QString& booksPath, const QDate& day, const QByteArray& digest) {
    if (digest.isEmpty())
        return false;
    QFile record(recordFor(booksPath, day));
    if (!record.open(QIODevice::ReadOnly))
        return false;
    const QByteArray expected = recordText(digest, copyFor(booksPath, day));
    return !expected.isEmpty() && record.read(4096) == expected;
}

bool copyIsCurrent(const QString& booksPath, const QDate& day) {
    return copyIsCurrent(booksPath, day, contentDigest(booksPath));
}

void backUp(const QString& booksPath, const QDate& day, int keep) {
    DailyCopy daily(booksPath, day, nullptr, keep);
    const DailyCopy::Verdict v = daily.check();
    if (v.health != Health::Sound)
        throw AppError(
            QStringLiteral("无法备份账簿 %1：%2")
                .arg(QDir::toNativeSeparators(booksPath),
                     v.detail.isEmpty() ? QStringLiteral("账簿没有通过检查") : v.detail));
    const DailyCopy::Copied c = daily.copy();
    if (!c.error.isEmpty())
        throw AppError(c.error);
}

QString newestSoundCopy(const QString& booksPath, const QDate& today) {
    const auto copies = datedCopies(booksPath);
    for (const bool future : {false, true}) {
        for (const auto& c : copies) {
            if ((today.isValid() && c.first > today) != future)
                continue;
            if (check(c.second).health == Health::Sound)
                return c.second;
        }
    }
    return {};
}

QString pruneCopies(const QString& booksPath, const QDate& today, int keep, const QString& sound) {
    int kept = 0;
    for (const auto& c : datedCopies(booksPath)) {
        if (c.first > today)
            continue; // a clock that was wrong once: not older than today's copy
        if (kept < keep || c.second == sound) {
            ++kept;
            continue;
        }
        if (!QFile::remove(c.second))
            return QStringLiteral("无法备份账簿 %1：无法删除旧备份 %2")
                .arg(QDir::toNativeSeparators(booksPath), c.second);
        QFile::remove(recordFor(booksPath, c.first));
    }
    return {};
}

} // namespace backups
