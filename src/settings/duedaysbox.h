#pragma once

#include "data/bookslocation.h"

#include <QWidget>

class Dialogs;
class QPushButton;
class QSpinBox;

// On the page 系统设置: how many days before a deposit's maturity the main window tells of it,
// kept in the books (`duenotice.daysahead`) and stored with its own button.
class DueDaysBox : public QWidget {
    Q_OBJECT
public:
    // Reads the stored number; a failure is shown and the box offers the initial 30.
    DueDaysBox(BooksLocation books, Dialogs& dialogs, QWidget* parent = nullptr);

    QSpinBox* days() const { return m_days; }
    // 保存天数: stores the number and says so in an information box.
    void save();

private:
    BooksLocation m_books;
    Dialogs& m_dialogs;
    QSpinBox* m_days = nullptr;
    QPushButton* m_save = nullptr;
};
