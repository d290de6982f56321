// The backup side of the crash test: the child checks and copies the books day after day,
// the parent finds every copy under a final name sound and the newest one kept.
#include "crash.h"
#include "data/backups.h"
#include "data/dailycopy.h"
#include "data/datasourceentry.h"
#include "data/leftovers.h"
#include "data/schema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdio>
#include <sqlite3.h>

namespace crash {
namespace {

const QDate kFirstDay(2026, 1, 1);

bool run(const QString& books, const char* sql) {
    sqlite3* db = nullptr;
    bool ok = sqlite3_open(QFile::encodeName(books).constData(), &db) == SQLITE_OK;
    sqlite3_busy_timeout(db, 5000);
    ok = ok && sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ok;
}

} // namespace

void prepareBackups(const QString& folder) {
    QDir().mkpath(folder);
    const QString books = datasource::databasePathFor(folder);
    schema::createDatabase(books);
    // Large enough that a check and a copy take a while: kills land inside them.
    run(books, "with recursive k(i) as (select 1 union all select i+1 from k where i<8000) "
               "insert into mysalary(adddate,sz,szdl,szxl,money,memo) "
               "select '2026-01-01','支出','餐饮','午餐',i,'entry '||i from k");
}

int dayOfCopy(const QString& path) {
    const QString name = QFileInfo(path).fileName();
    const QDate day =
        QDate::fromString(name.mid(name.indexOf(u'-') + 1, 10), QStringLiteral("yyyy-MM-dd"));
    return day.isValid() ? int(kFirstDay.daysTo(day)) : -1;
}

int runBackupChild(const QString& folder) {
    const QString books = datasource::databasePathFor(folder);
    // What a start does first: clear what an interrupted one left.
    books::removeBackupLeftovers(books);
    const QStringList copies = backups::copiesOf(books);
    int day = copies.isEmpty() ? 0 : dayOfCopy(copies.first()) + 1;
    for (;; ++day) {
        if (day % 3 == 0 && !run(books, "insert into mysalary(adddate,sz,money,memo) values "
                                        "('2026-01-02','收入',1,'changed')"))
            return 2;
        DailyCopy daily(books, kFirstDay.addDays(day));
        if (daily.check().health != backups::Health::Sound)
            return 3;
        const DailyCopy::Copied c = daily.copy();
        if (!c.error.isEmpty()) {
            std::fprintf(stderr, "%s\n", qPrintable(c.error));
            return 4;
        }
        std::printf("copy %d\n", day);
        std::fflush(stdout);
    }
}

CopyFindings inspectCopies(const QString& folder) {
    CopyFindings out;
    const QStringList copies = backups::copiesOf(datasource::databasePathFor(folder));
    out.copies = int(copies.size());
    for (const QString& c : copies)
        if (backups::check(c).health != backups::Health::Sound)
            ++out.unsound;
    if (!copies.isEmpty())
        out.newestDay = dayOfCopy(copies.first());
    return out;
}

} // namespace crash
