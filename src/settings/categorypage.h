#pragma once

#include "settings/logic/categoryeditor.h"

#include <QWidget>
#include <functional>

class CategoryList;
class QPushButton;
class QRadioButton;

// The page 收支设置 of the settings window: the category editor's controls over
// CategoryEditor, which does the work on the list files; the page shows its lists again after
// every step, whether the step went through or failed.
class CategoryPage : public QWidget {
    Q_OBJECT
public:
    CategoryPage(const QString& programFolder, Dialogs& dialogs, QWidget* parent = nullptr);

    const CategoryEditor& editor() const { return m_editor; }

    // The page is shown (the window's opening included): the major list is read afresh.
    void pageShown();
    // The buttons 新增, 修改 and 删除.
    void addItem();
    void editItem();
    void deleteItem();

private:
    // Runs one step of the editor as a user action, then shows the editor's state.
    void run(const std::function<void()>& step);
    void showState();
    void directionChosen(lists::Direction direction, bool checked);
    // An entry of the major or the minor list is chosen (or none is selected any more).
    void majorChosen();
    void minorChosen();

    Dialogs& m_dialogs;
    CategoryEditor m_editor;
    QRadioButton* m_income = nullptr;
    QRadioButton* m_expenditure = nullptr;
    CategoryList* m_majors = nullptr;
    CategoryList* m_minors = nullptr;
};
