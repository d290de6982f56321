#pragma once

#include "import/billimport.h"
#include "import/readbill.h"

#include <QDialog>
#include <functional>
#include <memory>

class ImportModel;
class QLabel;
class QPushButton;
class QTableView;
class QTableWidget;
struct Context;

// The import window (导入账单): the preview of a bill with a row for every row read, the
// categories editable, a totals line, 导入 and 取消; and the list of earlier imports, each of
// which can be taken back whole.
class ImportWindow : public QDialog {
    Q_OBJECT
public:
    // Over the books of `import`; `fileName` and `bill` are the bill to preview, or empty and
    // nothing for the list of earlier imports only.
    ImportWindow(const Context& context, BillImport& import, const QString& fileName,
                 const std::optional<bills::BillFile>& bill, QWidget* parent = nullptr);
    ~ImportWindow() override;

    ImportModel* model() const { return m_model; }
    // The number of entries the last 导入 wrote (0 before).
    int written() const { return m_written; }
    // Whether the window wrote or took back anything (the ledger then reads its rows afresh).
    bool changedBooks() const { return m_changed; }
    // Whether the window closed for the mapping step again (修改导入格式, for a file read
    // through a kept import format).
    bool reviewMappingAsked() const { return m_reviewMapping; }

    // 导入: writes the ticked rows and closes the window; 取消 closes it writing nothing.
    void importTicked();
    // 撤销导入 on the import chosen in the list of earlier imports.
    void takeBackChosen();

private:
    void updateTotals();
    void fillImports();
    QStringList majorsFor(int row) const;
    QStringList minorsFor(int row) const;

    const Context& m_context;
    BillImport& m_import;
    QString m_fileName;
    ImportModel* m_model = nullptr;
    QTableView* m_grid = nullptr;
    QLabel* m_totals = nullptr;
    QTableWidget* m_imports = nullptr;
    QList<importbooks::ImportBatch> m_batches;
    int m_written = 0;
    bool m_changed = false;
    bool m_reviewMapping = false;
};
