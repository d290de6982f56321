#pragma once

#include <QHash>
#include <QString>
#include <QVariant>
#include <functional>

class TableDataset;

// The current row of an editing grid while a value committed into one of its cells is
// checked: a commit hook reads the row through it and fills other cells of the row. What it
// sets is stored only when the hook returns normally, together with the committed value; a
// hook that throws AppError refuses the value and leaves the row exactly as it was.
class CommittedRow {
public:
    CommittedRow(const TableDataset& dataset, int row) : m_dataset(dataset), m_row(row) {}

    int row() const { return m_row; }
    // The value of a field of this row, as the hook last set it or as the row holds it.
    QVariant value(const QString& field) const;
    // Sets a field of this row; converted as typed text would be when given a string.
    void set(const QString& field, const QVariant& value);
    // The values the hook set, by field index, in the order they were first set.
    const QList<std::pair<int, QVariant>>& changes() const { return m_changes; }

private:
    const TableDataset& m_dataset;
    int m_row;
    QList<std::pair<int, QVariant>> m_changes;
};

// Runs when the user commits `committed` into its column of the current row, before it is
// stored. Throwing AppError refuses the value: nothing is stored and the error box shows.
using CommitHook = std::function<void(CommittedRow& row, const QVariant& committed)>;
