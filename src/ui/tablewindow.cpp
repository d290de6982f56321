#include "ui/tablewindow.h"

#include "data/tabledataset.h"
#include "platform/actionguard.h"
#include "platform/context.h"
#include "platform/widgets/look.h"
#include "ui/celleditor.h"
#include "ui/datagrid.h"
#include "ui/fixeddialog.h"
#include "ui/gridmodel.h"
#include "ui/totalsbar.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QShortcut>
#include <QStyle>
#include <QVBoxLayout>

namespace {

// The keys that press the pattern's buttons (the captions stay as documented).
const QKeySequence kAddKeys(Qt::CTRL | Qt::Key_N);
const QKeySequence kDeleteKeys(Qt::CTRL | Qt::Key_D);
const QKeySequence kSaveKeys(Qt::CTRL | Qt::Key_S);
const QKeySequence kCancelKeys(Qt::CTRL | Qt::Key_R);
const QKeySequence kCloseKeys(Qt::CTRL | Qt::Key_W);

} // namespace

TableWindow::TableWindow(const Context& context, const Options& options, QList<GridColumn> columns,
                         QWidget* parent)
    : QDialog(parent, fixedDialogFlags()), m_context(context) {
    setObjectName(options.objectName);
    keepOpenAndInView(this);
    setWindowTitle(options.caption);
    setFont(programFont());

    m_dataset = new TableDataset(context.books, options.table, TableDataset::Mode::Cached, this);
    m_dataset->open(); // throws: the window does not open

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    m_grid = new DataGrid(m_dataset, std::move(columns), context.dialogs, this);
    m_grid->setObjectName(options.gridName);
    m_grid->setAccessibleName(options.caption);
    layout->addWidget(m_grid, 1);

    m_buttonRow = new QWidget(this);
    auto* row = new QHBoxLayout(m_buttonRow);
    row->setContentsMargins(8, 0, 8, 6);
    row->setSpacing(8);
    row->addStretch(1);
    layout->addWidget(m_buttonRow);

    // Tab goes from the grid along the buttons in their row.
    m_lastInFocusOrder = m_grid;
    const ButtonNames& names = options.buttons;
    connect(addButton(names.add, QStringLiteral("新增"), QStyle::SP_FileIcon, 76, kAddKeys),
            &QPushButton::clicked, this, &TableWindow::addRow);
    connect(addButton(names.remove, QStringLiteral("删除"), QStyle::SP_TrashIcon, 76, kDeleteKeys),
            &QPushButton::clicked, this, &TableWindow::deleteRow);
    connect(
        addButton(names.save, QStringLiteral("保存"), QStyle::SP_DialogSaveButton, 79, kSaveKeys),
        &QPushButton::clicked, this, &TableWindow::saveAll);
    connect(addButton(names.cancel, QStringLiteral("取消"), QStyle::SP_DialogCancelButton, 76,
                      kCancelKeys),
            &QPushButton::clicked, this, &TableWindow::cancelAll);
    if (!names.close.isEmpty()) {
        connect(addButton(names.close, QStringLiteral("关闭"), QStyle::SP_DialogCloseButton, 76,
                          kCloseKeys),
                &QPushButton::clicked, this, &TableWindow::closeWindow);
    } else {
        // Without a 关闭 button the same keys close the window, as its close box does.
        auto* close = new QShortcut(kCloseKeys, this, this, [this] {
            m_grid->hideDropDown();
            closeWindow();
        });
        close->setContext(Qt::WidgetWithChildrenShortcut);
    }

    if (options.totalsLine) {
        m_totals = new TotalsBar(this);
        layout->addWidget(m_totals);
    }
    setFixedSize(options.clientSize);
    m_grid->setFocus();
}

TableWindow::~TableWindow() = default;

QPushButton* TableWindow::addButton(const QString& name, const QString& caption, int icon,
                                    int width, const QKeySequence& shortcut) {
    auto* b =
        new QPushButton(style()->standardIcon(QStyle::StandardPixmap(icon)), caption, m_buttonRow);
    b->setObjectName(name);
    b->setFixedSize(width, 33);
    b->setAutoDefault(false);
    // A click leaves the focus in the grid, so leaving the grid does not drop the new row
    // the button is about to act on; Tab still reaches the buttons.
    b->setFocusPolicy(Qt::TabFocus);
    // Buttons stand left to right in the order they are added, before the closing stretch.
    auto* row = static_cast<QHBoxLayout*>(m_buttonRow->layout());
    row->insertWidget(row->count() - 1, b);
    if (m_lastInFocusOrder)
        setTabOrder(m_lastInFocusOrder, b);
    m_lastInFocusOrder = b;
    if (!shortcut.isEmpty()) {
        // The window's shortcuts count wherever the focus is in it, also in a list or a
        // calendar that is down (their popups belong to the grid's editor); the popup closes
        // first, and the button then does what a click does.
        auto* s = new QShortcut(shortcut, this, b, [this, b] {
            if (!b->isVisible() || !b->isEnabled())
                return;
            m_grid->hideDropDown();
            b->click();
        });
        s->setContext(Qt::WidgetWithChildrenShortcut);
        b->setToolTip(caption + QStringLiteral(" (") + shortcut.toString(QKeySequence::NativeText) +
                      u')');
    }
    return b;
}

void TableWindow::setFocusOrder(const QList<QWidget*>& order, QWidget* joinAfter) {
    for (qsizetype i = 0; i + 1 < order.size(); ++i)
        setTabOrder(order[i], order[i + 1]);
    if (joinAfter)
        m_lastInFocusOrder = joinAfter;
    else if (!order.isEmpty())
        m_lastInFocusOrder = order.last();
}

QPushButton* TableWindow::button(const QString& name) const {
    return findChild<QPushButton*>(name);
}

QString TableWindow::panelText(int panel) const {
    return m_totals ? m_totals->text(panel) : QString();
}

void TableWindow::setPanels(const QString& first, const QString& second, const QString& third) {
    if (m_totals)
        m_totals->setTexts(first, second, third);
}

int TableWindow::fieldIndex(const QString& field) const {
    const int index = m_dataset->fieldIndex(field);
    Q_ASSERT_X(index >= 0, "TableWindow", "no such field in the window's table");
    return index;
}

void TableWindow::setChoices(const QString& field,
                             std::function<QStringList(int row, ChoiceMoment moment)> choicesFor) {
    m_grid->gridModel()->setChoicesFor(fieldIndex(field), std::move(choicesFor));
}

void TableWindow::setRecentChoices(const QString& field, std::function<QStringList()> recent) {
    m_grid->setRecentProvider(fieldIndex(field), std::move(recent));
}

void TableWindow::onCommit(const QString& field, CommitHook hook) {
    m_grid->setCommitHook(fieldIndex(field), std::move(hook));
}

void TableWindow::addRow() {
    guarded(m_context.dialogs, [&] {
        if (!m_grid->commitEditor())
            return;
        m_dataset->append();
        m_grid->setFocus();
        m_grid->openEditor();
    });
}

void TableWindow::deleteRow() {
    guarded(m_context.dialogs, [&] {
        const auto answer = m_context.dialogs.message(
            QStringLiteral("提示"), QStringLiteral("是否确定要删除此数据?  "),
            Dialogs::Buttons::YesNo, Dialogs::Icon::Question, Dialogs::Answer::Yes);
        if (answer != Dialogs::Answer::Yes)
            return;
        // The row goes together with the edit in progress on it, typed text included, so
        // that text is thrown away rather than taken over, whether it converts or not.
        m_grid->abandonEditor();
        m_dataset->deleteCurrent();
        m_grid->openEditor();
    });
}

void TableWindow::saveAll() {
    guarded(m_context.dialogs, [&] {
        if (!m_grid->commitEditor())
            return;
        m_grid->abandonEditor();
        m_dataset->saveAll();
        afterSave();
    });
    m_grid->openEditor();
}

void TableWindow::cancelAll() {
    guarded(m_context.dialogs, [&] {
        m_grid->abandonEditor();
        m_dataset->cancelEdit();
        m_dataset->cancelAll();
        m_grid->openEditor();
    });
}

void TableWindow::closeWindow() {
    close();
}
