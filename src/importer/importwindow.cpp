#include "importer/importwindow.h"

#include "import/billtext.h"
#include "importer/importmodel.h"
#include "platform/actionguard.h"
#include "platform/apperror.h"
#include "platform/context.h"
#include "platform/dialogs.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

// The pick list of a category column: a combo box over the choices the window computes for
// the row, the current value chosen.
class CategoryDelegate : public QStyledItemDelegate {
public:
    CategoryDelegate(std::function<QStringList(int row)> choices, QObject* parent)
        : QStyledItemDelegate(parent), m_choices(std::move(choices)) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&,
                          const QModelIndex& index) const override {
        auto* box = new QComboBox(parent);
        box->addItem(QString());
        box->addItems(m_choices(index.row()));
        return box;
    }
    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        auto* box = static_cast<QComboBox*>(editor);
        box->setCurrentIndex(qMax(0, box->findText(index.data(Qt::EditRole).toString())));
    }
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override {
        model->setData(index, static_cast<QComboBox*>(editor)->currentText(), Qt::EditRole);
    }

private:
    std::function<QStringList(int row)> m_choices;
};

QString yuan(qint64 cents) {
    return bills::centsText(cents);
}

} // namespace

ImportWindow::ImportWindow(const Context& context, BillImport& import, const QString& fileName,
                           const std::optional<bills::BillFile>& bill, QWidget* parent)
    : QDialog(parent), m_context(context), m_import(import), m_fileName(fileName) {
    setObjectName(QStringLiteral("fmimport"));
    setWindowTitle(QStringLiteral("导入账单"));
    resize(900, 600);
    auto* layout = new QVBoxLayout(this);

    if (bill) {
        auto* file =
            new QLabel(QStringLiteral("%1（%2）")
                           .arg(QFileInfo(fileName).fileName(), bills::sourceName(bill->source)),
                       this);
        file->setObjectName(QStringLiteral("importfile"));
        layout->addWidget(file);
        m_model = new ImportModel(m_import.preview(*bill), this);
        const bills::Preview& preview = m_model->preview();
        if (!preview.totalsProblem.isEmpty()) {
            auto* problem = new QLabel(preview.totalsProblem, this);
            problem->setObjectName(QStringLiteral("importproblem"));
            problem->setStyleSheet(QStringLiteral("color: #b00000"));
            problem->setWordWrap(true);
            layout->addWidget(problem);
        }
        if (!preview.unreadable.isEmpty()) {
            QStringList lines;
            for (const bills::UnreadableRow& u : preview.unreadable)
                lines << QStringLiteral("第 %1 行无法读取：%2").arg(u.line).arg(u.why);
            auto* unreadable = new QLabel(lines.join(u'\n'), this);
            unreadable->setObjectName(QStringLiteral("importunreadable"));
            unreadable->setWordWrap(true);
            layout->addWidget(unreadable);
        }
        m_grid = new QTableView(this);
        m_grid->setObjectName(QStringLiteral("importgrid"));
        m_grid->setModel(m_model);
        m_grid->setEditTriggers(QAbstractItemView::AllEditTriggers);
        m_grid->setSelectionBehavior(QAbstractItemView::SelectItems);
        auto* majors = new CategoryDelegate([this](int row) { return majorsFor(row); }, m_grid);
        auto* minors = new CategoryDelegate([this](int row) { return minorsFor(row); }, m_grid);
        m_grid->setItemDelegateForColumn(ImportModel::Major, majors);
        m_grid->setItemDelegateForColumn(ImportModel::Minor, minors);
        m_grid->verticalHeader()->hide();
        m_grid->horizontalHeader()->setStretchLastSection(true);
        m_grid->resizeColumnsToContents();
        // Room for the categories a user picks and for a remark of some length.
        for (const int c : {int(ImportModel::Major), int(ImportModel::Minor)})
            m_grid->setColumnWidth(c, qMax(m_grid->columnWidth(c), 80));
        m_grid->setColumnWidth(ImportModel::Memo,
                               qBound(160, m_grid->columnWidth(ImportModel::Memo), 320));
        layout->addWidget(m_grid, 1);
        m_totals = new QLabel(this);
        m_totals->setObjectName(QStringLiteral("importtotals"));
        layout->addWidget(m_totals);
        connect(m_model, &ImportModel::totalsChanged, this, &ImportWindow::updateTotals);
        updateTotals();
    }

    auto* earlier = new QLabel(QStringLiteral("已导入的账单："), this);
    layout->addWidget(earlier);
    m_imports = new QTableWidget(0, 3, this);
    m_imports->setObjectName(QStringLiteral("importlist"));
    m_imports->setHorizontalHeaderLabels(
        {QStringLiteral("文件"), QStringLiteral("导入时间"), QStringLiteral("记录数")});
    m_imports->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_imports->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_imports->setSelectionMode(QAbstractItemView::SingleSelection);
    m_imports->verticalHeader()->hide();
    m_imports->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    m_imports->setColumnWidth(1, 140);
    m_imports->setMaximumHeight(bill ? 140 : 16777215);
    earlier->setBuddy(m_imports);
    layout->addWidget(m_imports, bill ? 0 : 1);

    auto* buttons = new QHBoxLayout;
    auto* takeBack = new QPushButton(QStringLiteral("撤销导入"), this);
    takeBack->setObjectName(QStringLiteral("takebackbtn"));
    connect(takeBack, &QPushButton::clicked, this, &ImportWindow::takeBackChosen);
    buttons->addWidget(takeBack);
    if (bill && bill->source == bills::Source::MappedCsv) {
        // A format that reads the file wrongly (income as expenditure, a wrong column) is
        // mended here, and the file read again with it.
        auto* review = new QPushButton(QStringLiteral("修改导入格式…"), this);
        review->setObjectName(QStringLiteral("importremap"));
        connect(review, &QPushButton::clicked, this, [this] {
            m_reviewMapping = true;
            reject();
        });
        buttons->addWidget(review);
    }
    buttons->addStretch();
    if (bill) {
        auto* ok = new QPushButton(QStringLiteral("导入"), this);
        ok->setObjectName(QStringLiteral("importok"));
        ok->setDefault(true);
        connect(ok, &QPushButton::clicked, this, &ImportWindow::importTicked);
        buttons->addWidget(ok);
    }
    auto* cancel = new QPushButton(bill ? QStringLiteral("取消") : QStringLiteral("关闭"), this);
    cancel->setObjectName(QStringLiteral("importcancel"));
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    fillImports();
}

ImportWindow::~ImportWindow() = default;

QStringList ImportWindow::majorsFor(int row) const {
    const bills::PreviewRow& r = m_model->preview().rows[row];
    const bills::CategoryLists& l = m_import.lists();
    return r.direction == QStringLiteral("收入") ? l.incomeMajors : l.expenditureMajors;
}

QStringList ImportWindow::minorsFor(int row) const {
    const bills::PreviewRow& r = m_model->preview().rows[row];
    const bills::CategoryLists& l = m_import.lists();
    return (r.direction == QStringLiteral("收入") ? l.incomeMinors : l.expenditureMinors)
        .value(r.major);
}

void ImportWindow::updateTotals() {
    const bills::PreviewTotals t = bills::totalsOf(m_model->preview());
    // The unticked rows another source has, or that move money between own accounts, are
    // named only when there are some.
    QString cross;
    if (t.possibleDuplicates > 0)
        cross += QStringLiteral("；可能重复 %1 条").arg(t.possibleDuplicates);
    if (t.transfers > 0)
        cross += QStringLiteral("；转账 %1 条").arg(t.transfers);
    m_totals->setText(
        QStringLiteral("新记录 %1 条：收入 %2 元，支出 %3 元；重复 %4 条%5；跳过 %6 条")
            .arg(t.entries)
            .arg(yuan(t.incomeCents), yuan(t.expenditureCents))
            .arg(t.duplicates)
            .arg(cross)
            .arg(t.skipped));
}

void ImportWindow::fillImports() {
    guarded(m_context.dialogs, [&] { m_batches = m_import.imports(); });
    m_imports->setRowCount(int(m_batches.size()));
    for (int i = 0; i < m_batches.size(); ++i) {
        const importbooks::ImportBatch& b = m_batches[i];
        m_imports->setItem(i, 0, new QTableWidgetItem(b.file));
        m_imports->setItem(
            i, 1, new QTableWidgetItem(b.importedAt.toString(QStringLiteral("yyyy-MM-dd HH:mm"))));
        auto* count = new QTableWidgetItem(QString::number(b.entries));
        count->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        m_imports->setItem(i, 2, count);
    }
    if (!m_batches.isEmpty())
        m_imports->selectRow(0);
}

void ImportWindow::importTicked() {
    if (!m_model)
        return;
    if (m_grid)
        m_grid->setCurrentIndex({}); // commits an open category editor
    const bool ok = guarded(m_context.dialogs, [&] {
        m_import.write(QFileInfo(m_fileName).fileName(), m_model->preview(),
                       QDateTime::currentDateTime());
    });
    if (!ok)
        return;
    m_written = bills::totalsOf(m_model->preview()).entries;
    m_changed = m_changed || m_written > 0;
    accept();
}

void ImportWindow::takeBackChosen() {
    const int row = m_imports->currentRow();
    if (row < 0 || row >= m_batches.size())
        return;
    const importbooks::ImportBatch b = m_batches[row];
    if (m_context.dialogs.message(
            QStringLiteral("导入账单"),
            QStringLiteral("撤销导入“%1”，删除它的 %2 条记录？").arg(b.file).arg(b.entries),
            Dialogs::Buttons::YesNo, Dialogs::Icon::Question,
            Dialogs::Answer::No) != Dialogs::Answer::Yes)
        return;
    if (guarded(m_context.dialogs, [&] { m_import.takeBack(b.id); }))
        m_changed = true;
    fillImports();
}
