#pragma once

#include <QDialog>

class CategoryPage;
class PasswordPage;
class QTabWidget;
class SavingsPage;
class TableDataset;
struct Context;

// The settings window: the password, the category lists, and the deposit rates with the
// interest tax rate, one page each.
class SettingsWindow : public QDialog {
    Q_OBJECT
public:
    // Opens the rate and tax tables while the window is built; throws AppError when either
    // cannot be opened (the window then does not open). A category list that cannot be read
    // as the window opens is shown as an error, and the window opens all the same.
    SettingsWindow(const Context& context, QWidget* parent = nullptr);
    ~SettingsWindow() override;

    QTabWidget* pages() const { return m_pages; }
    PasswordPage* passwordPage() const { return m_passwordPage; }
    CategoryPage* categoryPage() const { return m_categoryPage; }
    SavingsPage* savingsPage() const { return m_savingsPage; }

private:
    void pageChanged(int index);

    TableDataset* m_rates = nullptr;
    TableDataset* m_tax = nullptr;
    QTabWidget* m_pages = nullptr;
    PasswordPage* m_passwordPage = nullptr;
    CategoryPage* m_categoryPage = nullptr;
    SavingsPage* m_savingsPage = nullptr;
};
