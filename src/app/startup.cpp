#include "app/startup.h"

#include "app/datafolder.h"
#include "app/safekeeping.h"
#include "data/connection.h"
#include "data/datasourceentry.h"
#include "data/querydataset.h"
#include "data/schema.h"
#include "platform/actionguard.h"
#include "platform/clock.h"
#include "platform/context.h"
#include "platform/dialogs.h"
#include "platform/usersettings.h"

namespace {

enum class Registration { Done, Stopped, Failed };

Registration writeEntry(const Context& context) {
    using datasource::WriteResult;
    const QString db = datasource::databasePathFor(context.programFolder);
    switch (datasource::writeEntry(context.odbcIniPath, db)) {
    case WriteResult::Written:
        return Registration::Done;
    case WriteResult::CannotOpen:
        // Like a registry key that cannot be opened: registration stops without a message.
        return Registration::Stopped;
    case WriteResult::CannotWrite:
        context.dialogs.showError(
            QStringLiteral("Failed to set data for '%1'").arg(QStringLiteral("bank")));
        return Registration::Failed;
    }
    return Registration::Failed;
}

// Existing books get the indexes of newer versions. Only a speed-up: a file that cannot take
// them (read-only, say) still works, so a failure here is not the user's concern.
void upgradeIndexes(const QString& databasePath) {
    try {
        Connection c = Connection::toFile(databasePath);
        schema::ensureIndexes(c.database());
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
    if (!safeguardBooks(datasource::databasePathFor(context.programFolder),
                        context.clock.now().date(), context.dialogs))
        return std::nullopt;
    std::optional<QString> stored;
    const bool ok = guarded(context.dialogs, [&] {
        const QString db = datasource::databasePathFor(context.programFolder);
        if (!schema::createDatabase(db))
            upgradeIndexes(db);
        QueryDataset password(context.odbcIniPath, QStringLiteral("select password from user"));
        stored = password.readText(password.statement());
    });
    if (!ok)
        return std::nullopt;
    writeShortDateFormat();
    return stored;
}

bool passwordPasses(const std::optional<QString>& stored, const QString& entered) {
    return stored.has_value() && *stored == entered;
}
