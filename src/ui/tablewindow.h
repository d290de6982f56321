#pragma once

#include "ui/committedrow.h"
#include "ui/gridcolumn.h"

#include <QDialog>
#include <QKeySequence>
#include <QList>

class DataGrid;
class QPushButton;
class TableDataset;
class TotalsBar;
struct Context;

// The editing window pattern: a grid over a cached table dataset, the buttons 新增, 删除,
// 保存, 取消 (and 关闭), the delete confirmation, and an optional three-panel totals line
// that the window refreshes after each successful 保存.
class TableWindow : public QDialog {
    Q_OBJECT
public:
    // The object names of the pattern's buttons; an empty name leaves the button out
    // (only 关闭 may be left out).
    struct ButtonNames {
        QString add = QStringLiteral("addszgl");
        QString remove = QStringLiteral("szdel");
        QString save = QStringLiteral("szsave");
        QString cancel = QStringLiteral("szcancle");
        QString close = {};
    };
    // What a window declares, written with designated initialisers:
    //   {.objectName = "fmjdgl", .caption = "借贷管理", .table = "borrow", ...}
    struct Options {
        QString objectName; // the window's documented name
        QString caption;
        QString table;
        QSize clientSize;
        QString gridName = QStringLiteral("szDBGrid");
        ButtonNames buttons = {};
        bool totalsLine = false;
    };

    // Opens the table dataset; throws AppError when it cannot be opened (the window is then
    // not shown at all).
    TableWindow(const Context& context, const Options& options, QList<GridColumn> columns,
                QWidget* parent = nullptr);
    ~TableWindow() override;

    TableDataset* dataset() const { return m_dataset; }
    DataGrid* grid() const { return m_grid; }
    QPushButton* button(const QString& name) const;
    // The totals line, or null when the window has none.
    TotalsBar* totalsBar() const { return m_totals; }
    // The text of totals panel 0, 1 or 2 (empty without a totals line).
    QString panelText(int panel) const;

    // The five operations of the buttons.
    void addRow();
    void deleteRow();
    void saveAll();
    void cancelAll();
    void closeWindow();

protected:
    // The window's own steps after a successful 保存 (the totals, say).
    virtual void afterSave() {}
    // Sets the three panels of the totals line.
    void setPanels(const QString& first, const QString& second, const QString& third);
    // A further button in the row, after those already there, and after them in the focus
    // order. `shortcut` presses it from anywhere in the window, a list or calendar being down
    // included; its tool tip names the shortcut, the caption stays as given.
    QPushButton* addButton(const QString& name, const QString& caption, int icon, int width = 76,
                           const QKeySequence& shortcut = {});
    // The order in which Tab goes round the window; `grid()` stands for the grid. A window
    // that adds buttons in another order than the row's gives its whole order here. Buttons
    // added later join the order after `joinAfter` (by default after the last of `order`),
    // each after the one added before it.
    void setFocusOrder(const QList<QWidget*>& order, QWidget* joinAfter = nullptr);
    // Choices of the pick-list column over `field`, computed when they are offered.
    void setChoices(const QString& field,
                    std::function<QStringList(int row, ChoiceMoment moment)> choicesFor);
    // Extra entries the pick-list column over `field` offers while the user types.
    void setRecentChoices(const QString& field, std::function<QStringList()> recent);
    // Runs `hook` when a value is committed into the column over `field` of the current row,
    // before it is stored; the hook may fill other cells of the row or refuse the value.
    void onCommit(const QString& field, CommitHook hook);
    const Context& context() const { return m_context; }
    QWidget* buttonRow() const { return m_buttonRow; }

private:
    int fieldIndex(const QString& field) const;

    const Context& m_context;
    TableDataset* m_dataset = nullptr;
    DataGrid* m_grid = nullptr;
    QWidget* m_buttonRow = nullptr;
    QWidget* m_lastInFocusOrder = nullptr;
    TotalsBar* m_totals = nullptr;
};
