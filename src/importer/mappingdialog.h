#pragma once

#include "import/csvmapping.h"

#include <QByteArray>
#include <QDialog>

class QCheckBox;
class QComboBox;
class QDialogButtonBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QSpinBox;
class QTableWidget;

// The mapping step (设置导入格式) for a CSV of no known layout: the encoding, the header row,
// which column holds the date (and its format), the amount in one of three styles, the remark,
// the counterparty, the transaction number and the balance, under a name. The first rows as
// the mapping reads them are shown as the user chooses; 确定 is open once the mapping is whole.
class CsvMappingDialog : public QDialog {
    Q_OBJECT
public:
    // Over the CSV in `bytes`, starting from `start` (the guess, or a mapping kept before).
    CsvMappingDialog(const QByteArray& bytes, const bills::CsvMapping& start,
                     QWidget* parent = nullptr);

    // The mapping as chosen, its header taken from the file at the chosen row.
    bills::CsvMapping mapping() const;
    // What keeps 确定 closed (no name, no date column, …); empty when nothing.
    QString problem() const;

private:
    QString problemOf(const bills::CsvMapping& m) const;
    void fillColumns();
    void update();
    void showMapping(const bills::CsvMapping& m);
    QComboBox* addColumnBox(const QString& objectName);

    QByteArray m_bytes;
    QStringList m_titles; // at the chosen header row, cleaned
    QString m_header;     // the same as headerKey() writes it
    QLineEdit* m_name = nullptr;
    QComboBox* m_encoding = nullptr;
    QSpinBox* m_headerRow = nullptr;
    QComboBox* m_date = nullptr;
    QComboBox* m_dateFormat = nullptr;
    QComboBox* m_style = nullptr;
    QComboBox* m_amount = nullptr;
    QCheckBox* m_positiveIsIncome = nullptr;
    QComboBox* m_income = nullptr;
    QComboBox* m_expense = nullptr;
    QComboBox* m_direction = nullptr;
    QLineEdit* m_incomeTexts = nullptr;
    QLineEdit* m_expenseTexts = nullptr;
    QListWidget* m_remark = nullptr;
    QComboBox* m_counterparty = nullptr;
    QComboBox* m_number = nullptr;
    QComboBox* m_balance = nullptr;
    QLabel* m_problem = nullptr;
    QTableWidget* m_preview = nullptr;
    QDialogButtonBox* m_buttons = nullptr;
    QList<QComboBox*> m_columnBoxes;
};
