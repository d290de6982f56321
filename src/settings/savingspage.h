#pragma once

#include <QWidget>

class DataGrid;
class Dialogs;
class QLineEdit;
class QPushButton;
class TableDataset;

// The page 储蓄设置 of the settings window: the interest tax rate, the rates of the deposit
// kinds in a grid that edits only the rates, and 保存修改, which stores both.
class SavingsPage : public QWidget {
    Q_OBJECT
public:
    // `rates` is the cached dataset over bankinterest, `tax` the immediate one over tax; both
    // are open and stay the window's.
    SavingsPage(TableDataset* rates, TableDataset* tax, Dialogs& dialogs,
                QWidget* parent = nullptr);

    DataGrid* grid() const { return m_grid; }

    // 保存修改: the rates as one batch, then the tax rate. No message on success; a failure
    // is shown in the standard error box and stops there.
    void save();

private:
    TableDataset* m_rates;
    TableDataset* m_tax;
    Dialogs& m_dialogs;
    QLineEdit* m_taxEdit = nullptr;
    DataGrid* m_grid = nullptr;
    QPushButton* m_save = nullptr;
};
