#pragma once

#include "ui/gridcolumn.h"

#include <QDialog>
#include <QList>

class DataGrid;
class QLabel;
class QPushButton;
class QStatusBar;
class TableDataset;
struct Context;

// The editing window pattern: a grid over a cached table dataset, the buttons 新增, 删除,
// 保存, 取消 (and 关闭), the delete confirmation, and an optional three-panel totals line
// that the window refreshes after each successful 保存.
class TableWindow : public QDialog {
    Q_OBJECT
public:
    struct Options {
        QString caption;
        QString table;
        QList<GridColumn> columns;
        QSize clientSize;
        QString closeButtonName; // empty: no 关闭 button
        bool totalsLine = false;
    };

    // Opens the table dataset; throws AppError when it cannot be opened (the window is then
    // not shown at all).
    TableWindow(const Context& context, Options options, QWidget* parent = nullptr);
    ~TableWindow() override;

    TableDataset* dataset() const { return m_dataset; }
    DataGrid* grid() const { return m_grid; }
    QPushButton* button(const QString& name) const;
    // The text of totals panel 0, 1 or 2.
    QString panelText(int panel) const;

    // The five operations of the buttons.
    void addClick();
    void delClick();
    void saveClick();
    void cancelClick();
    void closeClick();

protected:
    // The window's own steps after a successful 保存 (the totals, say).
    virtual void afterSave() {}
    // Sets the three panels of the totals line.
    void setPanels(const QString& first, const QString& second, const QString& third);
    QPushButton* addButton(const QString& name, const QString& caption, int icon, int width = 76);
    const Context& context() const { return m_context; }
    QWidget* buttonRow() const { return m_buttonRow; }

private:
    const Context& m_context;
    TableDataset* m_dataset = nullptr;
    DataGrid* m_grid = nullptr;
    QWidget* m_buttonRow = nullptr;
    QStatusBar* m_statusBar = nullptr;
    QList<QLabel*> m_panels;
};
