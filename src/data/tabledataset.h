#pragma once

#include "data/connection.h"
#include "data/pagecache.h"
#include "data/rowlayout.h"
#include "data/schema.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QList>
#include <QSet>
#include <QVariant>
#include <functional>
#include <memory>
#include <optional>

// A table of the books as an editable list of rows: every column but the hidden key, rows in
// stored order, read lazily a page at a time. In cached mode additions, changes and deletions
// stay here until saveAll() sends them as one transaction or cancelAll() drops them; in
// immediate mode each posted row is written at once. The current row may be under edit: its
// typed values wait in an edit buffer until post() or cancelEdit(). A page of stored rows that
// cannot be read shows as blank rows that refuse changes, and the next action that changes
// something (any of the operations below that may throw, except open(), refresh() and
// cancelEdit()) throws the reading failure instead of carrying on.
class TableDataset : public QAbstractTableModel {
    Q_OBJECT
public:
    enum class Mode { Cached, Immediate };
    enum class RowState { Unchanged, New, Changed };

    TableDataset(BooksLocation books, QString table, Mode mode, QObject* parent = nullptr);
    ~TableDataset() override;

    // Opens the connection and counts the rows; throws AppError on failure.
    void open();
    void close();
    bool isOpen() const { return m_connection != nullptr; }

    const QString& table() const { return m_table; }
    // The dataset's own connection, for reading the stored rows in bulk; invalid when closed.
    QSqlDatabase database() const {
        return m_connection ? m_connection->database() : QSqlDatabase();
    }
    int fieldCount() const { return int(m_columns.size()); }
    int fieldIndex(const QString& name) const;
    QString fieldName(int field) const;
    schema::Kind fieldKind(int field) const;

    // QAbstractTableModel: one model column per field. Display/edit roles give stored values
    // (dates as 'yyyy-MM-dd' text, amounts as numbers, yes/no as bool).
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation o, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    bool canFetchMore(const QModelIndex&) const override { return false; }

    QVariant value(int row, int field) const;
    RowState rowState(int row) const;
    // 1-based position of the row; 0 for every row while a new row is under edit.
    int recordNumber(int row) const;

    // The cursor. Moving it to another row posts the edit of the row it leaves.
    int currentRow() const { return m_current; }
    void setCurrentRow(int row);

    bool isEditing() const { return m_edit.has_value(); }
    bool isInserting() const { return m_edit && m_edit->isNew; }
    // Whether a value was typed into the row under edit.
    bool editTouched() const { return m_edit && m_edit->touched; }
    bool hasPendingChanges() const;

    // Sets a value of the current row, starting its edit when needed. The value must already
    // be of the field's kind (see convert()).
    void setValue(int field, const QVariant& value);
    // Converts typed text to a value of the field's kind; throws AppError with the conversion
    // error when it does not convert, when it holds a control character other than tab, or
    // when an amount's magnitude is formats::kAmountLimit or more. Empty text gives NULL
    // (false for yes/no).
    QVariant convert(int field, const QString& text) const;

    // Appends a new row at the end and puts it under edit (posting or dropping the edit in
    // progress first). Does nothing more when the current row is already an untouched new row
    // at the end.
    void append();
    // Inserts a new row under edit at `row`.
    void insertAt(int row);
    // Appends new rows already filled in (one value per field, of the field's kind), as if
    // each had been typed and posted, and puts the cursor on the first of them; the edit in
    // progress is posted first. Returns the rows' values as a save step is given them.
    QList<const RowLayout::NewRow*> appendFilled(const QList<QList<QVariant>>& rows);
    // Posts the edit in progress into the cache; an untouched new row is dropped.
    void post();
    // Abandons the edit in progress: typed values revert, a new row vanishes.
    void cancelEdit();
    // Marks the current row deleted (an unsaved new row just vanishes). Throws AppError when
    // there is no row.
    void deleteCurrent();
    // Marks the given rows deleted.
    void deleteRows(QList<int> rows);
    // Sends every pending change in one transaction. On refusal the database is unchanged,
    // every pending change stays, and AppError carries the database's text. A batch that
    // changes or deletes a row that another program changed or deleted since it was read here
    // is refused whole, with a message that shows the row.
    void saveAll();
    // Drops every pending change.
    void cancelAll();
    // Reads the rows afresh (pending changes are dropped).
    void refresh();

    // A step of the dataset's owner that runs inside the transaction of every save, after the
    // batch is written and before it commits: it is given the dataset's connection and the
    // new rows as written. When it throws AppError the save is refused like a refused batch.
    using SaveStep =
        std::function<void(QSqlDatabase db, const QList<const RowLayout::NewRow*>& inserted)>;
    void setInsideSave(SaveStep step) { m_insideSave = std::move(step); }
    // The values of shown row `row` when it is a new row (the ones a save step is given), or
    // null.
    const RowLayout::NewRow* newRowAt(int row) const;

signals:
    void currentRowChanged(int row);
    void editStateChanged();

private:
    struct Edit {
        int row = -1;
        bool isNew = false;
        bool touched = false;
        QHash<int, QVariant> values;
    };

    // The one way back to the stored rows as they are: drops the edit and every pending change,
    // shows `storedCount` stored rows (read afresh when `reread`) and puts the cursor on
    // `current`, clamped. Resets the model.
    void startOver(int storedCount, int current, bool reread);
    // Throws the failure that a read outside any action (a view asking for data) recorded.
    void reportFailure();
    // The stored row shown at `position`, for an action that changes it; throws AppError
    // when the row could not be read.
    const PageCache::Row& storedForChange(int position) const;
    QVariant committedValue(int row, int field) const;
    void dropEditRow();
    void removeVisibleRow(int row);
    void insertNewRow(int row);
    // Keeps the values of `stored` as read, unless kept already.
    void rememberAsRead(const PageCache::Row& stored);

    BooksLocation m_books;
    QString m_table;
    Mode m_mode;
    QList<schema::Column> m_columns;
    std::unique_ptr<Connection> m_connection;

    PageCache m_stored;
    RowLayout m_layout;
    QHash<qint64, QHash<int, QVariant>> m_changed;
    QSet<qint64> m_deleted;
    // The values of each stored row under edit, changed or deleted, as first read: a save
    // refuses the batch when the books no longer hold them.
    QHash<qint64, QList<QVariant>> m_asRead;
    std::optional<Edit> m_edit;
    int m_current = -1;
    // A failure met where nothing could throw it (a model edit), for the next action to report.
    QString m_unreported;
    SaveStep m_insideSave;
};
