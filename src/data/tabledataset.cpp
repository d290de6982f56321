#include "data/tabledataset.h"

#include "data/batchwriter.h"
#include "data/booksaccess.h"
#include "data/fieldvalues.h"
#include "platform/apperror.h"

#include <algorithm>

TableDataset::TableDataset(BooksLocation books, QString table, Mode mode, QObject* parent)
    : QAbstractTableModel(parent), m_books(std::move(books)), m_table(std::move(table)),
      m_mode(mode), m_columns(schema::columnsOf(m_table)),
      m_stored(m_connection, m_table, m_columns) {}

TableDataset::~TableDataset() = default;

void TableDataset::startOver(int storedCount, int current, bool reread) {
    beginResetModel();
    m_edit.reset();
    m_changed.clear();
    m_deleted.clear();
    m_asRead.clear();
    m_unreported.clear();
    if (reread)
        m_stored.reset(storedCount);
    m_layout.reset(storedCount);
    m_current = storedCount > 0 ? std::clamp(current, 0, storedCount - 1) : -1;
    endResetModel();
}

void TableDataset::open() {
    if (m_columns.isEmpty())
        throw AppError(QStringLiteral("Table '%1' does not exist").arg(m_table));
    int count = 0;
    try {
        m_connection = std::make_unique<Connection>(m_books);
        count = PageCache::countRows(m_connection->database(), m_table);
    } catch (...) {
        // The view must see a closed, empty table.
        m_connection.reset();
        startOver(0, -1, true);
        throw;
    }
    // Opening again starts afresh: whatever the cache held is dropped.
    startOver(count, 0, true);
    emit currentRowChanged(m_current);
}

void TableDataset::close() {
    m_connection.reset();
    startOver(0, -1, true);
}

int TableDataset::fieldIndex(const QString& name) const {
    for (int i = 0; i < m_columns.size(); ++i)
        if (name.compare(QLatin1String(m_columns[i].name), Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

QString TableDataset::fieldName(int field) const {
    return QString::fromLatin1(m_columns.at(field).name);
}

schema::Kind TableDataset::fieldKind(int field) const {
    return m_columns.at(field).kind;
}

void TableDataset::reportFailure() {
    QString failure = std::exchange(m_unreported, QString());
    if (failure.isEmpty())
        failure = m_stored.takeFailure();
    else
        m_stored.takeFailure();
    if (!failure.isEmpty())
        throw AppError(failure);
}

const PageCache::Row& TableDataset::storedForChange(int position) const {
    const PageCache::Row& r = m_stored.row(position);
    if (!r.readable)
        throw AppError(m_stored.failureAt(position));
    return r;
}

int TableDataset::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_layout.count();
}

int TableDataset::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_columns.size());
}

QVariant TableDataset::committedValue(int row, int field) const {
    const auto place = m_layout.find(row);
    if (!place)
        return {};
    if (place->newRow)
        return place->newRow->at(field);
    const PageCache::Row& r = m_stored.row(place->stored);
    auto changed = m_changed.constFind(r.id);
    if (changed != m_changed.constEnd()) {
        auto v = changed->constFind(field);
        if (v != changed->constEnd())
            return *v;
    }
    return r.values.at(field);
}

QVariant TableDataset::value(int row, int field) const {
    if (m_edit && m_edit->row == row) {
        auto v = m_edit->values.constFind(field);
        if (v != m_edit->values.constEnd())
            return *v;
    }
    return committedValue(row, field);
}

QVariant TableDataset::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    return value(index.row(), index.column());
}

QVariant TableDataset::headerData(int section, Qt::Orientation o, int role) const {
    if (role != Qt::DisplayRole)
        return {};
    if (o == Qt::Horizontal && section >= 0 && section < m_columns.size())
        return fieldName(section);
    return {};
}

Qt::ItemFlags TableDataset::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

bool TableDataset::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || role != Qt::EditRole)
        return false;
    // Views call this outside any action, where nothing may throw: a refusal, or text that
    // does not convert, waits for the next action to report it.
    QVariant v = value;
    if (value.typeId() == QMetaType::QString && fieldKind(index.column()) != schema::Kind::Text) {
        try {
            v = convert(index.column(), value.toString());
        } catch (const AppError& e) {
            m_unreported = e.text();
            return false;
        }
    }
    try {
        // Moving onto the row posts the edit of the row left; an empty new row above it
        // vanishes then and the target moves up, which the persistent index follows.
        const QPersistentModelIndex target(index);
        const int column = index.column();
        setCurrentRow(index.row());
        const int row = target.isValid() ? target.row() : index.row();
        if (m_current != row)
            return false;
        setValue(column, v);
    } catch (const AppError& e) {
        m_unreported = e.text();
        return false;
    }
    return true;
}

TableDataset::RowState TableDataset::rowState(int row) const {
    const auto place = m_layout.find(row);
    if (!place)
        return RowState::Unchanged;
    if (place->newRow)
        return RowState::New;
    if (m_edit && m_edit->row == row && m_edit->touched)
        return RowState::Changed;
    return m_changed.contains(m_stored.row(place->stored).id) ? RowState::Changed
                                                              : RowState::Unchanged;
}

int TableDataset::recordNumber(int row) const {
    if (isInserting() || row < 0 || row >= rowCount())
        return 0;
    return row + 1;
}

bool TableDataset::hasPendingChanges() const {
    return !m_changed.isEmpty() || !m_deleted.isEmpty() || (m_edit && m_edit->touched) ||
           m_layout.hasNewRows();
}

void TableDataset::setCurrentRow(int row) {
    if (row == m_current)
        return;
    reportFailure();
    if (m_edit && m_edit->row != row) {
        const int editRow = m_edit->row;
        const bool dropping = m_edit->isNew && !m_edit->touched;
        post();
        if (dropping && editRow < row)
            --row;
    }
    const int n = rowCount();
    m_current = n == 0 ? -1 : std::clamp(row, 0, n - 1);
    emit currentRowChanged(m_current);
}

QVariant TableDataset::convert(int field, const QString& text) const {
    return fieldvalues::fromText(fieldKind(field), text);
}

void TableDataset::setValue(int field, const QVariant& v) {
    reportFailure();
    if (m_current < 0)
        throw AppError(QStringLiteral("Cannot perform this operation on an empty dataset"));
    if (!m_edit) {
        // A row that could not be read takes no values: they would have nowhere to go.
        if (const RowLayout::Place place = m_layout.at(m_current); !place.newRow)
            rememberAsRead(storedForChange(place.stored));
        m_edit = Edit{m_current, false, false, {}};
    }
    m_edit->values.insert(field, fieldvalues::normalised(fieldKind(field), v));
    const bool first = !m_edit->touched;
    m_edit->touched = true;
    emit dataChanged(index(m_current, 0), index(m_current, columnCount() - 1));
    if (first)
        emit editStateChanged();
}

void TableDataset::saveAll() {
    if (!m_connection)
        throw AppError(QStringLiteral("Dataset not open"));
    reportFailure();
    if (m_edit && m_mode == Mode::Cached)
        post();
    if (!hasPendingChanges())
        return;
    if (m_connection->isReadOnly())
        throw AppError(books::readOnlyRefusal());
    // Which row stays current: a stored row keeps its key; a new row is found by its order
    // among the new rows, which are inserted last and in order.
    qint64 currentId = -1;
    int currentNewOrder = -1;
    if (const auto place = m_layout.find(m_current)) {
        if (place->newRow)
            currentNewOrder = m_layout.newRowsBefore(m_current);
        else if (const PageCache::Row& r = m_stored.row(place->stored); r.readable)
            currentId = r.id;
    }
    const Batch batch{m_deleted, m_changed, m_layout.newRows(), m_asRead};
    // The new count and the cursor's place are read inside the transaction, so a failure
    // there leaves the books and the cache as they were.
    int count = 0;
    int current = m_current;
    writeBatch(m_connection->database(), m_table, m_columns, batch, [&] {
        QSqlDatabase db = m_connection->database();
        if (m_insideSave)
            m_insideSave(db, batch.inserted);
        count = PageCache::countRows(db, m_table);
        if (currentNewOrder >= 0) {
            current = count - int(batch.inserted.size()) + currentNewOrder;
        } else if (currentId >= 0) {
            // Counted from the shorter side, judged by where the cursor stood.
            const bool fromEnd = qint64(m_current) * 2 > m_stored.count();
            current = PageCache::positionOf(db, m_table, currentId, count, fromEnd);
        }
    });
    startOver(count, current, true);
    emit currentRowChanged(m_current);
    emit editStateChanged();
}

void TableDataset::rememberAsRead(const PageCache::Row& stored) {
    if (!m_asRead.contains(stored.id))
        m_asRead.insert(stored.id, stored.values);
}

const RowLayout::NewRow* TableDataset::newRowAt(int row) const {
    const auto place = m_layout.find(row);
    return place ? place->newRow : nullptr;
}

void TableDataset::cancelAll() {
    reportFailure();
    const int count = m_stored.count();
    startOver(count, m_current >= 0 && m_current < count ? m_current : 0, false);
    emit currentRowChanged(m_current);
    emit editStateChanged();
}

void TableDataset::refresh() {
    if (!m_connection)
        throw AppError(QStringLiteral("Dataset not open"));
    const int count = PageCache::countRows(m_connection->database(), m_table);
    startOver(count, m_current, true);
    emit currentRowChanged(m_current);
}
