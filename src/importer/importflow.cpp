#include "importer/importflow.h"

#include "data/transactionguard.h"
#include "import/mappingstore.h"
#include "importer/importwindow.h"
#include "importer/mappingdialog.h"
#include "platform/actionguard.h"
#include "platform/context.h"
#include "platform/dialogs.h"

#include <QFileInfo>

namespace {

// Asks how the dates of a QIF file are ordered when the file cannot tell; nothing on Cancel.
std::optional<bills::DateOrder> askDateOrder(Dialogs& dialogs, const QString& path) {
    switch (dialogs.message(
        QStringLiteral("导入账单"),
        QStringLiteral("“%1”中的日期（如 2/3）既可读作月/日，也可读作日/月。\n"
                       "按月/日读（2/3 是 2 月 3 日）选“是”，按日/月读（2/3 是 3 月 2 日）选“否”。")
            .arg(QFileInfo(path).fileName()),
        Dialogs::Buttons::YesNoCancel, Dialogs::Icon::Question, Dialogs::Answer::Yes)) {
    case Dialogs::Answer::Yes:
        return bills::DateOrder::MonthFirst;
    case Dialogs::Answer::No:
        return bills::DateOrder::DayFirst;
    default:
        return std::nullopt;
    }
}

// The mapping step for a CSV of no known layout; the mapping confirmed is kept in the books
// (where they take changes) so that the next file with this header is read at once.
std::optional<bills::CsvMapping> askMapping(const Context& context, BillImport& import,
                                            const QString& path,
                                            const bills::CsvMappingNeeded& needed,
                                            QWidget* parent) {
    bills::CsvMapping start = needed.guess;
    if (start.name.isEmpty())
        start.name = QFileInfo(path).completeBaseName();
    CsvMappingDialog dialog(needed.bytes, start, parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    const bills::CsvMapping mapping = dialog.mapping();
    if (!import.isReadOnly())
        guarded(context.dialogs, [&] {
            // One format per header: a format renamed here replaces the one it started from.
            TransactionGuard transaction(import.database());
            for (const bills::CsvMapping& kept : bills::loadMappings(import.database()))
                if (kept.header == mapping.header && kept.name != mapping.name)
                    bills::removeMapping(import.database(), kept.name);
            bills::saveMapping(import.database(), mapping);
            transaction.commit();
        });
    return mapping;
}

// Reads the file at `path`, asking what only the user can tell (a zip's password, the columns
// of a CSV of no known layout, a QIF file's date order) and reading again with the answer;
// nothing when the user cancels or the file is refused (the message shown). Cancelling the
// mapping step that the user asked to see again reads the file as before.
std::optional<bills::BillFile> readAsking(const Context& context, BillImport& import,
                                          const QString& path, const BillReader& read,
                                          const bills::PasswordPrompt& prompt,
                                          bills::StatementOptions& options, QWidget* parent) {
    for (;;) {
        std::optional<bills::BillFile> bill;
        std::optional<bills::CsvMappingNeeded> needsMapping;
        bool needsDateOrder = false;
        bool cancelled = false;
        const bool ok = guarded(context.dialogs, [&] {
            try {
                bill = read(path, prompt, options);
            } catch (const bills::ImportCancelled&) {
                cancelled = true; // Cancel at the password: nothing imported, nothing said.
            } catch (const bills::CsvMappingNeeded& needed) {
                needsMapping = needed;
            } catch (const bills::DateOrderUndecided&) {
                needsDateOrder = true;
            }
        });
        if (!ok || cancelled)
            return std::nullopt;
        if (bill)
            return bill;
        if (needsMapping) {
            const bool reviewing = options.reviewMapping;
            options.reviewMapping = false;
            std::optional<bills::CsvMapping> chosen =
                askMapping(context, import, path, *needsMapping, parent);
            if (!chosen && !reviewing)
                return std::nullopt;
            if (chosen)
                options.mapping = std::move(chosen);
        } else if (needsDateOrder) {
            const std::optional<bills::DateOrder> order = askDateOrder(context.dialogs, path);
            if (!order)
                return std::nullopt;
            options.dateOrder = *order;
        }
    }
}

} // namespace

bool importBill(const Context& context, const QString& booksPath, const BillReader& read,
                QWidget* parent) {
    const std::optional<QString> path = context.dialogs.openFileName(
        QStringLiteral("导入账单"), QString(),
        QStringLiteral("账单和对账单 (*.csv *.xlsx *.zip *.xls *.ofx *.qfx *.qif);;所有文件 (*)"));
    if (!path)
        return false;
    const bills::PasswordPrompt prompt = [&context](const QString& file,
                                                    bool again) -> std::optional<QString> {
        if (again)
            context.dialogs.showError(QStringLiteral("“%1”的密码不对").arg(file));
        return context.dialogs.input(QStringLiteral("导入账单"),
                                     QStringLiteral("请输入“%1”的密码：").arg(file), QString());
    };
    std::unique_ptr<BillImport> import;
    bills::StatementOptions options;
    const bool opened = guarded(context.dialogs, [&] {
        import = std::make_unique<BillImport>(booksPath, context.programFolder);
        options.savedMappings = bills::loadMappings(import->database());
    });
    if (!opened)
        return false;
    bool changed = false;
    for (;;) {
        const std::optional<bills::BillFile> bill =
            readAsking(context, *import, *path, read, prompt, options, parent);
        if (!bill)
            return changed;
        ImportWindow window(context, *import, *path, bill, parent);
        window.exec();
        changed = changed || window.changedBooks();
        if (!window.reviewMappingAsked())
            return changed;
        options.reviewMapping = true;
    }
}
