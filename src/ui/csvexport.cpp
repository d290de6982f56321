#include "ui/csvexport.h"

#include "data/csvwriter.h"
#include "platform/actionguard.h"
#include "platform/apperror.h"
#include "platform/atomicfile.h"
#include "platform/dialogs.h"
#include "ui/gridmodel.h"
#include "ui/storedexport.h"

#include <QAction>
#include <QDir>
#include <QHeaderView>
#include <QProgressDialog>
#include <QStandardPaths>
#include <QTableView>

namespace {

constexpr int kRowsPerStep = 512; // rows between two looks at the progress dialog

QString cellText(const QAbstractItemModel& model, int row, int column) {
    const QModelIndex index = model.index(row, column);
    QVariant v = model.data(index, kExportRole);
    if (!v.isValid())
        v = model.data(index, Qt::DisplayRole);
    return v.toString();
}

// The logical columns that `grid` shows, in the order it shows them.
QList<int> shownColumns(const QTableView& grid) {
    QList<int> out;
    const QHeaderView* header = grid.horizontalHeader();
    for (int visual = 0; visual < header->count(); ++visual) {
        const int logical = header->logicalIndex(visual);
        if (logical >= 0 && !grid.isColumnHidden(logical))
            out << logical;
    }
    return out;
}

// Whether `row` exists, fetching more rows of a grid that fetches as it scrolls.
bool hasRow(QAbstractItemModel& model, int row) {
    while (row >= model.rowCount() && model.canFetchMore({}))
        model.fetchMore({});
    return row < model.rowCount();
}

QString suggestedPath(const QTableView& grid) {
    QString name = grid.window()->windowTitle().trimmed();
    if (name.isEmpty())
        name = QStringLiteral("Teloq");
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QDir(folder).filePath(name + QStringLiteral(".csv"));
}

void exportWithProgress(QTableView* grid, Dialogs& dialogs) {
    const std::optional<QString> path = dialogs.saveFileName(
        QStringLiteral("导出为 CSV"), suggestedPath(*grid), QStringLiteral("CSV 文件 (*.csv)"));
    if (!path || path->isEmpty())
        return;
    QProgressDialog progress(QStringLiteral("正在导出…"), QStringLiteral("取消"), 0,
                             grid->model()->rowCount(), grid->window());
    progress.setObjectName(QStringLiteral("exportProgress"));
    progress.setWindowTitle(QStringLiteral("导出为 CSV"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(400);
    progress.setAutoReset(false);
    progress.setAutoClose(false);
    guarded(dialogs, [&] {
        writeGridCsv(*grid, *path, [&](qint64 done, qint64 known) {
            if (known > progress.maximum())
                progress.setMaximum(int(std::min<qint64>(known, INT_MAX)));
            progress.setValue(int(std::min<qint64>(done, progress.maximum())));
            return !progress.wasCanceled();
        });
    });
}

} // namespace

bool writeGridCsv(QTableView& grid, const QString& path, const ExportProgress& progress) {
    QAbstractItemModel* model = grid.model();
    if (!model)
        return true;
    // Owner-only whatever the umask: the file holds the whole list.
    AtomicFile file(path, AtomicFile::Permissions::OwnerOnly);
    auto cannotWrite = [&](const QString& why) {
        return AppError(QStringLiteral("无法写入 %1：%2").arg(QDir::toNativeSeparators(path), why));
    };
    if (!file.open(QIODevice::WriteOnly))
        throw cannotWrite(file.errorString());

    const QList<int> columns = shownColumns(grid);
    CsvWriter csv(file);
    csv.writeByteOrderMark();
    QStringList fields;
    for (int c : columns)
        fields << model->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
    try {
        csv.writeRecord(fields);
        qint64 done = 0;
        auto keepGoing = [&] {
            ++done;
            return !progress || done % kRowsPerStep != 0 || progress(done, model->rowCount());
        };
        auto* editing = qobject_cast<GridModel*>(model);
        if (editing && storedexport::streamable(*editing)) {
            // Nothing unsaved: the rows come straight from the table in one statement.
            bool cancelled = false;
            storedexport::stream(*editing, columns, csv, [&] {
                cancelled = !keepGoing();
                return !cancelled;
            });
            if (cancelled) {
                file.cancelWriting();
                return false;
            }
        } else {
            for (int row = 0; hasRow(*model, row); ++row) {
                fields.clear();
                for (int c : columns)
                    fields << cellText(*model, row, c);
                csv.writeRecord(fields);
                if (!keepGoing()) {
                    file.cancelWriting();
                    return false;
                }
            }
        }
        csv.flush();
    } catch (const AppError& e) {
        file.cancelWriting();
        throw cannotWrite(e.text());
    }
    if (!file.commit())
        throw cannotWrite(file.errorString());
    return true;
}

void addCsvExport(QTableView* grid, Dialogs& dialogs) {
    auto* action = new QAction(QStringLiteral("导出为 CSV…"), grid);
    action->setObjectName(QStringLiteral("exportCsv"));
    QObject::connect(action, &QAction::triggered, grid,
                     [grid, &dialogs] { exportWithProgress(grid, dialogs); });
    grid->addAction(action);
    grid->setContextMenuPolicy(Qt::ActionsContextMenu);
}
