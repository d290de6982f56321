#pragma once

#include <QString>
#include <QStringList>

class CellEditor;
class DataGrid;
class QLineEdit;
class TableDataset;
class TableWindow;

// Drives an editing window as a user does at a display (support/userinput.h): clicks buttons
// by their captions, puts the cursor in a cell and types into it, reads the totals line.
class EditingWindowDriver {
public:
    explicit EditingWindowDriver(TableWindow& window);

    TableWindow& window() const { return m_window; }
    DataGrid* grid() const;
    TableDataset* dataset() const;
    int field(const QString& name) const;

    // Shows the window and waits until it is on screen.
    void show();
    // Clicks the button with this caption with the mouse (新增, 删除, 保存, 取消, 关闭, …); fails
    // the test when the window has no such button.
    void press(const QString& caption);
    // Puts the cursor on (row, field) with its editor open; the editor's line, or null.
    QLineEdit* cell(int row, const QString& field);
    // Replaces the text of cell (row, field) by `text`, typed key by key (not committed).
    void type(int row, const QString& field, const QString& text);
    // Types `text` into the cell and commits it; whether the grid took it.
    bool enter(int row, const QString& field, const QString& text);
    // The value of a field of a row of the dataset, as text.
    QString value(int row, const QString& field) const;
    // The three texts of the totals line (empty without one).
    QStringList totals() const;

private:
    TableWindow& m_window;
};
