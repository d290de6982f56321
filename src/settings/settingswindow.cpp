#include "settings/settingswindow.h"

#include "data/tabledataset.h"
#include "platform/context.h"
#include "platform/widgets/look.h"
#include "settings/categorypage.h"
#include "settings/passwordpage.h"
#include "settings/savingspage.h"
#include "ui/fixeddialog.h"

#include <QTabWidget>
#include <QVBoxLayout>

namespace {

constexpr int kClientWidth = 420;
constexpr int kClientHeight = 420;

} // namespace

SettingsWindow::SettingsWindow(const Context& context, QWidget* parent)
    : QDialog(parent, fixedDialogFlags()) {
    setObjectName(QStringLiteral("fmsys"));
    keepOpenAndInView(this);
    setWindowTitle(QStringLiteral("系统设置"));
    setFont(programFont());

    // The rates wait in the cache for 保存修改; the tax row is written as soon as it is
    // posted. Both open with the window: when either cannot, the window does not open.
    m_rates = new TableDataset(context.books, QStringLiteral("bankinterest"),
                               TableDataset::Mode::Cached, this);
    m_rates->setObjectName(QStringLiteral("lxtable"));
    m_rates->open();
    m_tax =
        new TableDataset(context.books, QStringLiteral("tax"), TableDataset::Mode::Immediate, this);
    m_tax->setObjectName(QStringLiteral("taxtable"));
    m_tax->open();

    m_pages = new QTabWidget(this);
    m_pages->setObjectName(QStringLiteral("rzpage"));
    // Made inside the window, so that the focus order each page sets up stays as it is.
    m_passwordPage = new PasswordPage(context.books, context.dialogs, m_pages);
    m_categoryPage = new CategoryPage(context.programFolder, context.dialogs, m_pages);
    m_savingsPage = new SavingsPage(m_rates, m_tax, context.dialogs, m_pages);
    m_pages->addTab(m_passwordPage, QStringLiteral("系统设置"));
    m_pages->addTab(m_categoryPage, QStringLiteral("收支设置"));
    m_pages->addTab(m_savingsPage, QStringLiteral("储蓄设置"));
    m_pages->setCurrentWidget(m_categoryPage);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(m_pages);
    setFixedSize(kClientWidth, kClientHeight);
    setSizeGripEnabled(false);
    centreOnScreen(this);

    // The window opens on the category page, which reads its list as it is shown.
    m_categoryPage->pageShown();
    connect(m_pages, &QTabWidget::currentChanged, this, &SettingsWindow::pageChanged);
}

SettingsWindow::~SettingsWindow() = default;

void SettingsWindow::pageChanged(int index) {
    if (m_pages->widget(index) == m_categoryPage)
        m_categoryPage->pageShown();
}
