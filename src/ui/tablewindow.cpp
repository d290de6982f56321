#include "ui/tablewindow.h"

#include "data/tabledataset.h"
#include "platform/actionguard.h"
#include "platform/context.h"
#include "platform/widgets/look.h"
#include "ui/celleditor.h"
#include "ui/datagrid.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStatusBar>
#include <QStyle>
#include <QVBoxLayout>

TableWindow::TableWindow(const Context& context, Options options, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint),
      m_context(context) {
    setWindowTitle(options.caption);
    setFont(programFont());

    m_dataset =
        new TableDataset(context.odbcIniPath, options.table, TableDataset::Mode::Cached, this);
    m_dataset->open(); // throws: the window does not open

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    m_grid = new DataGrid(m_dataset, options.columns, context.dialogs, this);
    m_grid->setObjectName(QStringLiteral("szDBGrid"));
    m_grid->setAccessibleName(options.caption);
    layout->addWidget(m_grid, 1);

    m_buttonRow = new QWidget(this);
    auto* row = new QHBoxLayout(m_buttonRow);
    row->setContentsMargins(8, 0, 8, 6);
    row->setSpacing(8);
    layout->addWidget(m_buttonRow);

    connect(addButton(QStringLiteral("addszgl"), QStringLiteral("新增"), QStyle::SP_FileIcon),
            &QPushButton::clicked, this, &TableWindow::addClick);
    connect(addButton(QStringLiteral("szdel"), QStringLiteral("删除"), QStyle::SP_TrashIcon),
            &QPushButton::clicked, this, &TableWindow::delClick);
    connect(addButton(QStringLiteral("szsave"), QStringLiteral("保存"), QStyle::SP_DialogSaveButton,
                      79),
            &QPushButton::clicked, this, &TableWindow::saveClick);
    connect(addButton(QStringLiteral("szcancle"), QStringLiteral("取消"),
                      QStyle::SP_DialogCancelButton),
            &QPushButton::clicked, this, &TableWindow::cancelClick);
    if (!options.closeButtonName.isEmpty())
        connect(addButton(options.closeButtonName, QStringLiteral("关闭"),
                          QStyle::SP_DialogCloseButton),
                &QPushButton::clicked, this, &TableWindow::closeClick);
    row->addStretch(1);

    if (options.totalsLine) {
        m_statusBar = new QStatusBar(this);
        m_statusBar->setObjectName(QStringLiteral("StatusBar"));
        m_statusBar->setSizeGripEnabled(false);
        m_statusBar->setFixedHeight(19);
        for (int i = 0; i < 3; ++i) {
            auto* label = new QLabel(m_statusBar);
            label->setObjectName(QStringLiteral("panel%1").arg(i));
            label->setFrameShape(QFrame::Panel);
            label->setFrameShadow(QFrame::Sunken);
            if (i < 2)
                label->setFixedWidth(200);
            m_statusBar->addWidget(label, i < 2 ? 0 : 1);
            m_panels << label;
        }
        layout->addWidget(m_statusBar);
    }
    setFixedSize(options.clientSize);
    m_grid->setFocus();
}

TableWindow::~TableWindow() = default;

QPushButton* TableWindow::addButton(const QString& name, const QString& caption, int icon,
                                    int width) {
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
    row->insertWidget(int(m_buttonRow->findChildren<QPushButton*>().size()) - 1, b);
    return b;
}

QPushButton* TableWindow::button(const QString& name) const {
    return findChild<QPushButton*>(name);
}

QString TableWindow::panelText(int panel) const {
    return panel < m_panels.size() ? m_panels[panel]->text() : QString();
}

void TableWindow::setPanels(const QString& first, const QString& second, const QString& third) {
    if (m_panels.size() < 3)
        return;
    m_panels[0]->setText(first);
    m_panels[1]->setText(second);
    m_panels[2]->setText(third);
}

void TableWindow::addClick() {
    guarded(m_context.dialogs, [&] {
        if (!m_grid->commitEditor())
            return;
        m_dataset->append();
        m_grid->setFocus();
        m_grid->openEditor();
    });
}

void TableWindow::delClick() {
    guarded(m_context.dialogs, [&] {
        const auto answer = m_context.dialogs.message(
            QStringLiteral("提示"), QStringLiteral("是否确定要删除此数据?  "),
            Dialogs::Buttons::YesNo, Dialogs::Icon::Question, Dialogs::Answer::Yes);
        if (answer != Dialogs::Answer::Yes)
            return;
        if (m_dataset->isInserting())
            m_grid->abandonEditor();
        else if (!m_grid->commitEditor())
            return;
        m_grid->abandonEditor();
        m_dataset->deleteCurrent();
        m_grid->openEditor();
    });
}

void TableWindow::saveClick() {
    guarded(m_context.dialogs, [&] {
        if (!m_grid->commitEditor())
            return;
        m_grid->abandonEditor();
        m_dataset->saveAll();
        afterSave();
    });
    m_grid->openEditor();
}

void TableWindow::cancelClick() {
    guarded(m_context.dialogs, [&] {
        m_grid->abandonEditor();
        m_dataset->cancelEdit();
        m_dataset->cancelAll();
        m_grid->openEditor();
    });
}

void TableWindow::closeClick() {
    close();
}
