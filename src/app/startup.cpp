#include "app/startup.h"

#include "app/datafolder.h"
#include "app/safekeeping.h"
#include "data/booksaccess.h"
#include "data/connection.h"
#include "data/datasourceentry.h"
#include "data/leftovers.h"
#include "data/password.h"
#include "data/querydataset.h"
#include "data/schema.h"
#include "lists/listleftovers.h"
#include "platform/actionguard.h"
#include "platform/clock.h"
#include "platform/context.h"
#include "platform/dialogs.h"
#include "platform/logging.h"
#include "platform/usersettings.h"

namespace {

enum class Registration { Done, Stopped, Failed };

// A path as it may stand in a message: line breaks shown as \n and \r.
QString visiblePath(QString path) {
    return path.replace(u'\n', QStringLiteral("\\n")).replace(u'\r', QStringLiteral("\\r"));
}

Registration writeEntry(const Context& context) {
    using datasource::WriteResult;
    const QString& db = context.books.databasePath();
    QString reason;
    switch (datasource::writeEntry(context.odbcIniPath, db, &reason)) {
    case WriteResult::Written:
        return Registration::Done;
    case WriteResult::CannotOpen:
        // Without the entry no window can reach the books and every window stays locked:
        // say once why, so the user can mend the file and start again.
        context.dialogs.showError(QStringLiteral("无法写入数据源 'bank'：文件 '%1'：%2")
                                      .arg(context.odbcIniPath, reason));
        return Registration::Stopped;
    case WriteResult::CannotWrite:
        context.dialogs.showError(
            QStringLiteral("Failed to set data for '%1'").arg(QStringLiteral("bank")));
        return Registration::Failed;
    case WriteResult::UnsafePath:
        context.dialogs.showError(
            QStringLiteral(
                "程序文件夹的路径含有换行符，不能写入数据源 'bank'，请把程序移到别的文件夹："
                "'%1'")
                .arg(visiblePath(context.programFolder)));
        return Registration::Stopped;
    }
    return Registration::Failed;
}

// Existing books get the indexes of newer versions. Only a speed-up: a file that cannot take
// them (read-only, say) still works, so a failure is logged, not shown.
void upgradeIndexes(const QString& databasePath) {
    try {
        Connection c = Connection::toFile(databasePath);
        schema::ensureIndexes(c.database());
    } catch (const AppError& e) {
        qCWarning(lcData, "could not add the indexes to '%s': %s", qPrintable(databasePath),
                  qPrintable(e.text()));
    }
}

// Existing books get the ledger's kept totals, or have them repaired. A file that cannot take
// them still opens; the whole-ledger figures then report the missing table when asked for, so
// the failure here is logged, not shown.
void upgradeLedgerTotals(const QString& databasePath) {
    try {
        Connection c = Connection::toFile(databasePath);
        schema::ensureLedgerTotals(c.database());
    } catch (const AppError& e) {
        qCWarning(lcData, "could not add or repair the ledger totals of '%s': %s",
                  qPrintable(databasePath), qPrintable(e.text()));
    }
}

// Existing books get the tables that record imports of bills. Books that cannot take them
// still open; an import then says why it cannot write.
void upgradeImportTables(const QString& databasePath) {
    try {
        Connection c = Connection::toFile(databasePath);
        if (!c.isReadOnly())
            schema::ensureImportTables(c.database());
    } catch (const AppError&) {
    }
}

// Existing books get the tables of recurring entries and of the reminder. A file that cannot
// take them still opens; the ledger then simply brings no recurring entries.
void upgradeSchedules(const QString& databasePath) {
    try {
        Connection c = Connection::toFile(databasePath);
        // A file without the ledger is no books of ours: it is left exactly as it is.
        if (!c.database().tables().contains(QStringLiteral("mysalary")))
            return;
        schema::ensureSchedules(c.database());
    } catch (const AppError&) {
    }
}

} // namespace

void registerDataSource(const Context& context) {
    writeEntry(context);
}

std::optional<QString> runStartup(const Context& context, const QString& shippedLists) {
    if (!shippedLists.isEmpty())
        guarded(context.dialogs, [&] { provideLists({context.programFolder, shippedLists}); });
    if (writeEntry(context) != Registration::Done)
        return std::nullopt;
    // Checked and copied before anything writes them; damaged books stay untouched.
    const QString& db = context.books.databasePath();
    if (!safeguardBooks(db, context.clock.now().date(), context.dialogs))
        return std::nullopt;
    std::optional<QString> stored;
    const bool ok = guarded(context.dialogs, [&] {
        books::removeStaleCreations(db, QDateTime::currentDateTime());
        lists::removeStaleRewrites(context.programFolder, QDateTime::currentDateTime());
        try {
            if (!schema::createDatabase(db)) {
                upgradeIndexes(db);
                upgradeLedgerTotals(db);
                upgradeImportTables(db);
                upgradeSchedules(db);
            }
            QueryDataset password(context.books, QStringLiteral("select password from user"));
            stored = password.readText(password.statement());
        } catch (const AppError& e) {
            // Every window stays locked for this run: say which file could not be read.
            if (e.text().contains(db))
                throw;
            throw AppError(QStringLiteral("无法读取账本 '%1'：%2").arg(db, e.text()));
        }
    });
    if (!ok)
        return std::nullopt;
    if (books::accessOf(db) != books::Access::ReadWrite)
        context.dialogs.message(QStringLiteral("Quenvard"), books::readOnlyNotice(db),
                                Dialogs::Buttons::Ok, Dialogs::Icon::Information,
                                Dialogs::Answer::Ok);
    // Other tools may read the format; the program itself does not need it to run.
    if (!writeShortDateFormat())
        qCWarning(lcApp, "could not write the short date format into the user settings");
    return stored;
}

bool passwordPasses(const std::optional<QString>& stored, const QString& entered) {
    return stored.has_value() && password::matches(*stored, entered);
}
