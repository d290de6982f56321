// The editing side of TableDataset: new rows, the edit buffer, deletions.
#include "data/fieldvalues.h"
#include "data/tabledataset.h"
#include "platform/apperror.h"

#include <algorithm>

void TableDataset::insertNewRow(int row) {
    const int n = rowCount();
    row = std::clamp(row, 0, n);
    RowLayout::NewRow fresh(m_columns.size());
    for (int i = 0; i < m_columns.size(); ++i)
        fresh[i] = fieldvalues::normalised(m_columns[i].kind, QVariant());
    beginInsertRows({}, row, row);
    m_layout.insertNew(row, std::move(fresh));
    endInsertRows();
    m_edit = Edit{row, true, false, {}};
    m_current = row;
    emit currentRowChanged(m_current);
    emit editStateChanged();
}

void TableDataset::removeVisibleRow(int row) {
    m_layout.at(row); // throws for a row that is not there, before the view hears of it
    beginRemoveRows({}, row, row);
    m_layout.remove(row);
    endRemoveRows();
    const int n = rowCount();
    const int old = m_current;
    if (m_current > row)
        --m_current;
    if (m_current >= n)
        m_current = n - 1;
    if (m_current != old)
        emit currentRowChanged(m_current);
}

void TableDataset::dropEditRow() {
    const int row = m_edit->row;
    m_edit.reset();
    removeVisibleRow(row);
    emit editStateChanged();
}

void TableDataset::post() {
    reportFailure();
    if (!m_edit)
        return;
    if (m_edit->isNew && !m_edit->touched) {
        dropEditRow();
        return;
    }
    const Edit edit = *m_edit;
    const RowLayout::Place place = m_layout.at(edit.row);
    if (place.newRow) {
        for (auto it = edit.values.begin(); it != edit.values.end(); ++it)
            (*place.newRow)[it.key()] = it.value();
    } else {
        const PageCache::Row& stored = storedForChange(place.stored);
        rememberAsRead(stored);
        QHash<int, QVariant>& changes = m_changed[stored.id];
        for (auto it = edit.values.begin(); it != edit.values.end(); ++it) {
            if (it.value() == stored.values.at(it.key()) &&
                it.value().isNull() == stored.values.at(it.key()).isNull())
                changes.remove(it.key());
            else
                changes.insert(it.key(), it.value());
        }
        if (changes.isEmpty())
            m_changed.remove(stored.id);
    }
    m_edit.reset();
    emit dataChanged(index(edit.row, 0), index(edit.row, columnCount() - 1));
    emit editStateChanged();
    if (m_mode == Mode::Immediate)
        saveAll();
}

void TableDataset::cancelEdit() {
    if (!m_edit)
        return;
    if (m_edit->isNew) {
        dropEditRow();
        return;
    }
    const int row = m_edit->row;
    m_edit.reset();
    emit dataChanged(index(row, 0), index(row, columnCount() - 1));
    emit editStateChanged();
}

void TableDataset::append() {
    reportFailure();
    const int n = rowCount();
    if (m_edit && m_edit->isNew && !m_edit->touched && m_edit->row == n - 1) {
        m_current = m_edit->row;
        emit currentRowChanged(m_current);
        return;
    }
    post();
    insertNewRow(rowCount());
}

QList<const RowLayout::NewRow*> TableDataset::appendFilled(const QList<QList<QVariant>>& rows) {
    reportFailure();
    QList<const RowLayout::NewRow*> out;
    if (rows.isEmpty())
        return out;
    post();
    // One insertion for all of them: a view over a long table hears of it once.
    const int first = rowCount();
    beginInsertRows({}, first, first + int(rows.size()) - 1);
    for (const QList<QVariant>& values : rows) {
        RowLayout::NewRow fresh(m_columns.size());
        for (int i = 0; i < m_columns.size(); ++i)
            fresh[i] = fieldvalues::normalised(m_columns[i].kind, values.value(i));
        m_layout.insertNew(rowCount(), std::move(fresh));
    }
    endInsertRows();
    for (int r = first; r < rowCount(); ++r)
        out << m_layout.at(r).newRow;
    m_current = first;
    emit currentRowChanged(m_current);
    emit editStateChanged();
    return out;
}

void TableDataset::insertAt(int row) {
    reportFailure();
    if (m_edit && m_edit->isNew && !m_edit->touched && m_edit->row == row)
        return;
    if (m_edit && m_edit->isNew && !m_edit->touched && m_edit->row < row)
        --row;
    post();
    insertNewRow(row);
}

void TableDataset::deleteCurrent() {
    reportFailure();
    if (isInserting()) {
        dropEditRow();
        return;
    }
    if (rowCount() == 0 || m_current < 0)
        throw AppError(QStringLiteral("Cannot perform this operation on an empty dataset"));
    deleteRows({m_current});
}

void TableDataset::deleteRows(QList<int> rows) {
    reportFailure();
    std::sort(rows.begin(), rows.end(), std::greater<int>());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    for (int row : rows) {
        if (row < 0 || row >= rowCount())
            continue;
        const RowLayout::Place place = m_layout.at(row);
        // A row that could not be read has no key to delete by: refused before anything goes.
        const qint64 id = place.newRow ? 0 : storedForChange(place.stored).id;
        if (m_edit && m_edit->row == row) {
            m_edit.reset();
            emit editStateChanged();
        } else if (m_edit && m_edit->row > row) {
            --m_edit->row;
        }
        if (!place.newRow) {
            rememberAsRead(storedForChange(place.stored));
            m_changed.remove(id);
            m_deleted.insert(id);
        }
        removeVisibleRow(row);
    }
    // Without a cache a deletion is written at once, like a posted row.
    if (m_mode == Mode::Immediate)
        saveAll();
}
