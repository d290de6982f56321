#include "app/startup.h"

#include "app/bookscheck.h"
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

Startup::Startup(const Context& context, QString shippedLists, QObject* parent)
    : QObject(parent), m_context(context), m_shippedLists(std::move(shippedLists)),
      m_books(context.books.databasePath()) {}

// Stops the worker (BooksCheck) and waits for it.
Startup::~Startup() = default;

bool Startup::quickSteps() {
    if (!m_shippedLists.isEmpty())
        guarded(m_context.dialogs, [&] {
            provideLists({m_context.programFolder, m_shippedLists});
        });
    bool created = false;
    const bool ok =
        writeEntry(m_context) == Registration::Done && guarded(m_context.dialogs, [&] {
            books::removeStaleCreations(m_books, QDateTime::currentDateTime());
            books::removeBackupLeftovers(m_books);
            lists::removeStaleRewrites(m_context.programFolder, QDateTime::currentDateTime());
            try {
                created = schema::createDatabase(m_books);
            } catch (const AppError& e) {
                throw readFailure(e);
            }
        });
    if (!ok) {
        // Every window stays locked for this run: the stored password stays unread.
        markReady();
        markCopyDone();
        return false;
    }
    if (created) {
        // New books: nothing to check or to keep yet.
        finish(false);
        markCopyDone();
        return false;
    }
    return true;
}

AppError Startup::readFailure(const AppError& e) const {
    // Say which file could not be read.
    QString text = e.text().contains(m_books)
                       ? e.text()
                       : QStringLiteral("无法读取账本 '%1'：%2").arg(m_books, e.text());
    if (m_health == backups::Health::NotBooks)
        text = safekeeping::notBooksText(text, m_soundCopy);
    return AppError(text);
}

void Startup::begin() {
    if (!quickSteps())
        return;
    m_check = std::make_unique<BooksCheck>(m_books, m_context.clock.now().date());
    connect(m_check.get(), &BooksCheck::checked, this, &Startup::afterCheck);
    connect(m_check.get(), &BooksCheck::copied, this, &Startup::afterCopy);
    m_check->start();
}

void Startup::runHere() {
    if (!quickSteps())
        return;
    DailyCopy daily(m_books, m_context.clock.now().date());
    const DailyCopy::Verdict v = daily.check();
    afterCheck(v);
    if (v.health == backups::Health::Sound)
        afterCopy(daily.copy());
}

void Startup::afterCheck(const DailyCopy::Verdict& verdict) {
    m_health = verdict.health;
    m_soundCopy = verdict.soundCopy;
    switch (verdict.health) {
    case backups::Health::Sound:
        finish(true);
        return; // the copy follows
    case backups::Health::Damaged:
        // Never written in this run, and every window stays locked.
        m_context.dialogs.showError(
            safekeeping::damagedText(m_books, verdict.detail, verdict.soundCopy));
        markReady();
        break;
    case backups::Health::CannotCheck:
        // Not proven damaged: the books open as they are, but are neither upgraded nor copied.
        m_context.dialogs.showError(safekeeping::cannotCheckText(m_books, verdict.detail));
        finish(false);
        break;
    case backups::Health::NotBooks:
        // The data layer says what the file is not, with the backup to put back.
        finish(false);
        break;
    case backups::Health::Stopped:
        markReady();
        break;
    }
    markCopyDone();
}

void Startup::afterCopy(const DailyCopy::Copied& copied) {
    // A backup that failed is reported once and the program goes on.
    if (!copied.error.isEmpty())
        m_context.dialogs.showError(copied.error);
    if (!copied.futureCopies.isEmpty())
        m_context.dialogs.message(
            QStringLiteral("Quenvard"), safekeeping::futureCopiesText(copied.futureCopies),
            Dialogs::Buttons::Ok, Dialogs::Icon::Information, Dialogs::Answer::Ok);
    markCopyDone();
}

void Startup::finish(bool upgrade) {
    std::optional<QString> stored;
    const bool ok = guarded(m_context.dialogs, [&] {
        try {
            if (upgrade) {
                upgradeIndexes(m_books);
                upgradeLedgerTotals(m_books);
                upgradeImportTables(m_books);
                upgradeSchedules(m_books);
            }
            QueryDataset password(m_context.books, QStringLiteral("select password from user"));
            stored = password.readText(password.statement());
        } catch (const AppError& e) {
            throw readFailure(e);
        }
    });
    if (ok) {
        m_stored = stored;
        if (books::accessOf(m_books) != books::Access::ReadWrite)
            m_context.dialogs.message(QStringLiteral("Quenvard"), books::readOnlyNotice(m_books),
                                      Dialogs::Buttons::Ok, Dialogs::Icon::Information,
                                      Dialogs::Answer::Ok);
        // Other tools may read the format; the program itself does not need it to run.
        if (!writeShortDateFormat())
            qCWarning(lcApp, "could not write the short date format into the user settings");
    }
    markReady();
}

void Startup::markReady() {
    if (m_ready)
        return;
    m_ready = true;
    emit ready();
}

void Startup::markCopyDone() {
    if (m_copyDone)
        return;
    m_copyDone = true;
    emit copyDone();
}

std::optional<QString> runStartup(const Context& context, const QString& shippedLists) {
    Startup startup(context, shippedLists);
    startup.runHere();
    return startup.storedPassword();
}

bool passwordPasses(const std::optional<QString>& stored, const QString& entered) {
    return stored.has_value() && password::matches(*stored, entered);
}
