#include "data/tabledataset.h"

#include "data/booksaccess.h"
#include "data/formats.h"
#include "platform/apperror.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <algorithm>

namespace {

constexpr int kPageSize = 256;
constexpr int kMaxCachedPages = 64;

// Rolls back unless committed: a refused batch leaves the database as it was.
class TransactionGuard {
public:
    explicit TransactionGuard(QSqlDatabase db) : m_db(std::move(db)) {
        if (!m_db.transaction())
            throwSqlError(m_db.lastError());
    }
    ~TransactionGuard() {
        if (!m_committed)
            m_db.rollback();
    }
    void commit() {
        if (!m_db.commit())
            throwSqlError(m_db.lastError());
        m_committed = true;
    }

private:
    QSqlDatabase m_db;
    bool m_committed = false;
};

QVariant normalised(schema::Kind kind, const QVariant& v) {
    if (v.isNull())
        return kind == schema::Kind::YesNo ? QVariant(false) : QVariant();
    switch (kind) {
    case schema::Kind::YesNo:
        return QVariant(v.toLongLong() != 0);
    case schema::Kind::Amount:
    case schema::Kind::Number:
        return v.typeId() == QMetaType::QString ? v : QVariant(v.toDouble());
    case schema::Kind::Integer:
        return v.typeId() == QMetaType::QString ? v : QVariant(v.toLongLong());
    case schema::Kind::Date:
    case schema::Kind::Text:
        return QVariant(v.toString());
    }
    return v;
}

QVariant boundValue(schema::Kind kind, const QVariant& v) {
    if (kind == schema::Kind::YesNo)
        return QVariant(v.toBool() ? 1 : 0);
    return v;
}

} // namespace

TableDataset::TableDataset(QString odbcIniPath, QString table, Mode mode, QObject* parent)
    : QAbstractTableModel(parent), m_iniPath(std::move(odbcIniPath)), m_table(std::move(table)),
      m_mode(mode), m_columns(schema::columnsOf(m_table)) {}

TableDataset::~TableDataset() = default;

void TableDataset::open() {
    if (m_columns.isEmpty())
        throw AppError(QStringLiteral("Table '%1' does not exist").arg(m_table));
    beginResetModel();
    // Opening again starts afresh: whatever the cache held is dropped.
    m_changed.clear();
    m_deleted.clear();
    m_edit.reset();
    try {
        m_connection = std::make_unique<Connection>(m_iniPath);
        loadCount();
    } catch (...) {
        // The view must see a closed, empty table, not a reset that never ends.
        m_connection.reset();
        m_baseCount = 0;
        m_segments.clear();
        m_prefixValid = false;
        m_current = -1;
        endResetModel();
        throw;
    }
    resetSegments();
    m_current = m_baseCount > 0 ? 0 : -1;
    endResetModel();
    emit currentRowChanged(m_current);
}

void TableDataset::close() {
    beginResetModel();
    m_connection.reset();
    m_baseCount = 0;
    m_segments.clear();
    m_prefixValid = false;
    m_changed.clear();
    m_deleted.clear();
    m_edit.reset();
    m_current = -1;
    m_pages.clear();
    m_pageOrder.clear();
    m_pageFirstId.clear();
    endResetModel();
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

void TableDataset::loadCount() {
    QSqlQuery q(m_connection->database());
    if (!q.exec(QStringLiteral("select count(*) from \"%1\"").arg(m_table)) || !q.next())
        throwSqlError(q.lastError());
    m_baseCount = q.value(0).toInt();
    m_pages.clear();
    m_pageOrder.clear();
    m_pageFirstId.clear();
}

void TableDataset::resetSegments() {
    m_segments.clear();
    if (m_baseCount > 0)
        m_segments.push_back(Segment{0, m_baseCount, nullptr});
    m_prefixValid = false;
}

void TableDataset::rebuildPrefix() const {
    if (m_prefixValid)
        return;
    m_prefix.resize(m_segments.size());
    int start = 0;
    for (size_t i = 0; i < m_segments.size(); ++i) {
        m_prefix[i] = start;
        start += m_segments[i].length();
    }
    m_prefixValid = true;
}

TableDataset::Located TableDataset::locate(int row) const {
    rebuildPrefix();
    if (row < 0 || m_segments.empty())
        return {};
    auto it = std::upper_bound(m_prefix.begin(), m_prefix.end(), row);
    const int seg = int(it - m_prefix.begin()) - 1;
    if (seg < 0)
        return {};
    const int offset = row - m_prefix[seg];
    if (offset >= m_segments[seg].length())
        return {};
    return {seg, offset};
}

const TableDataset::StoredRow& TableDataset::storedRow(int basePos) const {
    const int page = basePos / kPageSize;
    auto it = m_pages.find(page);
    if (it == m_pages.end()) {
        const QString cols = [this] {
            QStringList names{QString::fromLatin1(schema::kKey)};
            for (const auto& c : m_columns)
                names << QString::fromLatin1(c.name);
            return names.join(u',');
        }();
        const int first = page * kPageSize;
        const int count = std::min(kPageSize, m_baseCount - first);
        QString sql;
        bool reversed = false;
        auto previous = m_pages.constFind(page - 1);
        if (m_pageFirstId.contains(page)) {
            sql = QStringLiteral("select %1 from \"%2\" where id >= %3 order by id limit %4")
                      .arg(cols, m_table)
                      .arg(m_pageFirstId.value(page))
                      .arg(count);
        } else if (previous != m_pages.constEnd() && !previous->empty()) {
            sql = QStringLiteral("select %1 from \"%2\" where id > %3 order by id limit %4")
                      .arg(cols, m_table)
                      .arg(previous->back().id)
                      .arg(count);
        } else if (first * 2 > m_baseCount) {
            // Nearer the end: count from there.
            reversed = true;
            sql = QStringLiteral("select %1 from \"%2\" order by id desc limit %3 offset %4")
                      .arg(cols, m_table)
                      .arg(count)
                      .arg(m_baseCount - first - count);
        } else {
            sql = QStringLiteral("select %1 from \"%2\" order by id limit %3 offset %4")
                      .arg(cols, m_table)
                      .arg(count)
                      .arg(first);
        }
        std::vector<StoredRow> rows;
        rows.reserve(count);
        QSqlQuery q(m_connection->database());
        q.setForwardOnly(true);
        if (q.exec(sql)) {
            while (q.next()) {
                StoredRow r;
                r.id = q.value(0).toLongLong();
                r.values.reserve(m_columns.size());
                for (int i = 0; i < m_columns.size(); ++i)
                    r.values.append(normalised(m_columns[i].kind, q.value(i + 1)));
                rows.push_back(std::move(r));
            }
        }
        if (reversed)
            std::reverse(rows.begin(), rows.end());
        // A short page (the store changed under us) is padded so positions stay valid.
        rows.resize(count, StoredRow{0, QList<QVariant>(m_columns.size())});
        if (!rows.empty())
            m_pageFirstId.insert(page, rows.front().id);
        if (m_pageOrder.size() >= kMaxCachedPages) {
            m_pages.remove(m_pageOrder.takeFirst());
        }
        m_pageOrder.append(page);
        it = m_pages.insert(page, std::move(rows));
    }
    return it->at(basePos - page * kPageSize);
}

int TableDataset::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() || m_segments.empty())
        return 0;
    rebuildPrefix();
    return m_prefix.back() + m_segments.back().length();
}

int TableDataset::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_columns.size());
}

QVariant TableDataset::committedValue(int row, int field) const {
    const Located at = locate(row);
    if (at.segment < 0)
        return {};
    const Segment& s = m_segments[at.segment];
    if (s.newRow)
        return s.newRow->values.at(field);
    const StoredRow& r = storedRow(s.baseBegin + at.offset);
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
    QVariant v = value;
    if (value.typeId() == QMetaType::QString && fieldKind(index.column()) != schema::Kind::Text) {
        try {
            v = convert(index.column(), value.toString());
        } catch (const AppError&) {
            return false;
        }
    }
    // Moving onto the row posts the edit of the row left; an empty new row above it vanishes
    // then and the target moves up, which the persistent index follows.
    const QPersistentModelIndex target(index);
    const int column = index.column();
    setCurrentRow(index.row());
    const int row = target.isValid() ? target.row() : index.row();
    if (m_current != row)
        return false;
    setValue(column, v);
    return true;
}

TableDataset::RowState TableDataset::rowState(int row) const {
    const Located at = locate(row);
    if (at.segment < 0)
        return RowState::Unchanged;
    const Segment& s = m_segments[at.segment];
    if (s.newRow)
        return RowState::New;
    if (m_edit && m_edit->row == row && m_edit->touched)
        return RowState::Changed;
    return m_changed.contains(storedRow(s.baseBegin + at.offset).id) ? RowState::Changed
                                                                     : RowState::Unchanged;
}

int TableDataset::recordNumber(int row) const {
    if (isInserting() || row < 0 || row >= rowCount())
        return 0;
    return row + 1;
}

bool TableDataset::hasPendingChanges() const {
    if (!m_changed.isEmpty() || !m_deleted.isEmpty() || (m_edit && m_edit->touched))
        return true;
    return std::any_of(m_segments.begin(), m_segments.end(),
                       [](const Segment& s) { return s.newRow != nullptr; });
}

void TableDataset::setCurrentRow(int row) {
    if (row == m_current)
        return;
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
    const schema::Kind kind = fieldKind(field);
    if (kind == schema::Kind::Text)
        return text;
    const QString t = text.trimmed();
    if (t.isEmpty())
        return kind == schema::Kind::YesNo ? QVariant(false) : QVariant();
    switch (kind) {
    case schema::Kind::Date:
        return formats::dateText(formats::parseDate(t));
    case schema::Kind::Amount:
    case schema::Kind::Number:
        return formats::parseNumber(t);
    case schema::Kind::Integer:
        return qlonglong(formats::parseInteger(t));
    case schema::Kind::YesNo:
        if (t == QLatin1String("1") || t.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0 ||
            t == QStringLiteral("是"))
            return true;
        if (t == QLatin1String("0") ||
            t.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0 ||
            t == QStringLiteral("否"))
            return false;
        throw AppError(QStringLiteral("'%1' is not a valid boolean value").arg(text));
    case schema::Kind::Text:
        break;
    }
    return text;
}

void TableDataset::setValue(int field, const QVariant& v) {
    if (m_current < 0)
        throw AppError(QStringLiteral("Cannot perform this operation on an empty dataset"));
    if (!m_edit) {
        const Located at = locate(m_current);
        m_edit = Edit{m_current, false, false, {}};
        Q_UNUSED(at);
    }
    m_edit->values.insert(field, normalised(fieldKind(field), v));
    const bool first = !m_edit->touched;
    m_edit->touched = true;
    emit dataChanged(index(m_current, 0), index(m_current, columnCount() - 1));
    if (first)
        emit editStateChanged();
}

void TableDataset::insertNewRow(int row) {
    const int n = rowCount();
    row = std::clamp(row, 0, n);
    auto fresh = std::make_shared<NewRow>();
    fresh->values = QList<QVariant>(m_columns.size());
    for (int i = 0; i < m_columns.size(); ++i)
        fresh->values[i] = normalised(m_columns[i].kind, QVariant());
    Segment seg{0, 0, fresh};
    beginInsertRows({}, row, row);
    if (row == n) {
        m_segments.push_back(seg);
    } else {
        const Located at = locate(row);
        Segment& s = m_segments[at.segment];
        if (at.offset == 0) {
            m_segments.insert(m_segments.begin() + at.segment, seg);
        } else {
            // Split the run of stored rows around the new row.
            Segment tail{s.baseBegin + at.offset, s.baseEnd, nullptr};
            s.baseEnd = s.baseBegin + at.offset;
            m_segments.insert(m_segments.begin() + at.segment + 1, {seg, tail});
        }
    }
    m_prefixValid = false;
    endInsertRows();
    m_edit = Edit{row, true, false, {}};
    m_current = row;
    emit currentRowChanged(m_current);
    emit editStateChanged();
}

void TableDataset::removeVisibleRow(int row) {
    const Located at = locate(row);
    if (at.segment < 0)
        return;
    beginRemoveRows({}, row, row);
    Segment& s = m_segments[at.segment];
    if (s.newRow || s.length() == 1) {
        m_segments.erase(m_segments.begin() + at.segment);
    } else if (at.offset == 0) {
        ++s.baseBegin;
    } else if (at.offset == s.length() - 1) {
        --s.baseEnd;
    } else {
        Segment tail{s.baseBegin + at.offset + 1, s.baseEnd, nullptr};
        s.baseEnd = s.baseBegin + at.offset;
        m_segments.insert(m_segments.begin() + at.segment + 1, tail);
    }
    m_prefixValid = false;
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
    if (!m_edit)
        return;
    if (m_edit->isNew && !m_edit->touched) {
        dropEditRow();
        return;
    }
    const Edit edit = *m_edit;
    const Located at = locate(edit.row);
    if (at.segment >= 0) {
        const Segment& s = m_segments[at.segment];
        if (s.newRow) {
            for (auto it = edit.values.begin(); it != edit.values.end(); ++it)
                s.newRow->values[it.key()] = it.value();
        } else {
            const StoredRow& stored = storedRow(s.baseBegin + at.offset);
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
    const int n = rowCount();
    if (m_edit && m_edit->isNew && !m_edit->touched && m_edit->row == n - 1) {
        m_current = m_edit->row;
        emit currentRowChanged(m_current);
        return;
    }
    post();
    insertNewRow(rowCount());
}

void TableDataset::insertAt(int row) {
    if (m_edit && m_edit->isNew && !m_edit->touched && m_edit->row == row)
        return;
    if (m_edit && m_edit->isNew && !m_edit->touched && m_edit->row < row)
        --row;
    post();
    insertNewRow(row);
}

void TableDataset::deleteCurrent() {
    if (isInserting()) {
        dropEditRow();
        return;
    }
    if (rowCount() == 0 || m_current < 0)
        throw AppError(QStringLiteral("Cannot perform this operation on an empty dataset"));
    deleteRows({m_current});
}

void TableDataset::deleteRows(QList<int> rows) {
    std::sort(rows.begin(), rows.end(), std::greater<int>());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    for (int row : rows) {
        if (row < 0 || row >= rowCount())
            continue;
        if (m_edit && m_edit->row == row) {
            m_edit.reset();
            emit editStateChanged();
        } else if (m_edit && m_edit->row > row) {
            --m_edit->row;
        }
        const Located at = locate(row);
        const Segment& s = m_segments[at.segment];
        if (!s.newRow) {
            const qint64 id = storedRow(s.baseBegin + at.offset).id;
            m_changed.remove(id);
            m_deleted.insert(id);
        }
        removeVisibleRow(row);
    }
    // Without a cache a deletion is written at once, like a posted row.
    if (m_mode == Mode::Immediate)
        saveAll();
}

void TableDataset::writeBatch() {
    QSqlDatabase db = m_connection->database();
    TransactionGuard transaction(db);
    QSqlQuery q(db);
    for (qint64 id : std::as_const(m_deleted)) {
        if (!q.exec(QStringLiteral("delete from \"%1\" where id = %2").arg(m_table).arg(id)))
            throwSqlError(q.lastError());
    }
    for (auto it = m_changed.constBegin(); it != m_changed.constEnd(); ++it) {
        QStringList sets;
        QList<int> fields = it.value().keys();
        std::sort(fields.begin(), fields.end());
        for (int f : fields)
            sets << fieldName(f) + QStringLiteral(" = ?");
        q.prepare(QStringLiteral("update \"%1\" set %2 where id = %3")
                      .arg(m_table, sets.join(QStringLiteral(", ")))
                      .arg(it.key()));
        for (int f : fields)
            q.addBindValue(boundValue(fieldKind(f), it.value().value(f)));
        if (!q.exec())
            throwSqlError(q.lastError());
    }
    QStringList names;
    for (const auto& c : m_columns)
        names << QString::fromLatin1(c.name);
    const QString insert = QStringLiteral("insert into \"%1\" (%2) values (%3)")
                               .arg(m_table, names.join(u','),
                                    QStringList(names.size(), QStringLiteral("?")).join(u','));
    bool prepared = false;
    for (const Segment& s : m_segments) {
        if (!s.newRow)
            continue;
        if (!prepared) {
            q.prepare(insert);
            prepared = true;
        }
        for (int f = 0; f < m_columns.size(); ++f)
            q.addBindValue(boundValue(fieldKind(f), s.newRow->values.at(f)));
        if (!q.exec())
            throwSqlError(q.lastError());
    }
    q.finish();
    transaction.commit();
}

qint64 TableDataset::positionOf(qint64 id) const {
    // The number of rows before the key. SQLite counts a key range row by row, so for a row
    // in the second half (judged by where the cursor stood) the rows from the key on are
    // counted and taken from the total: the same number, from the shorter side.
    const bool fromEnd = qint64(m_current) * 2 > m_baseCount;
    QSqlQuery q(m_connection->database());
    if (!q.exec(QStringLiteral("select count(*) from \"%1\" where id %2 %3")
                    .arg(m_table, fromEnd ? QStringLiteral(">=") : QStringLiteral("<"))
                    .arg(id)) ||
        !q.next())
        return -1;
    const qint64 counted = q.value(0).toLongLong();
    return fromEnd ? m_baseCount - counted : counted;
}

void TableDataset::saveAll() {
    if (!m_connection)
        throw AppError(QStringLiteral("Dataset not open"));
    if (m_edit && m_mode == Mode::Cached)
        post();
    if (!hasPendingChanges())
        return;
    if (m_connection->isReadOnly())
        throw AppError(books::readOnlyRefusal());
    writeBatch();
    // Which stored row stays current: an existing row keeps its key; a new row is found by
    // its order among the new rows, which were inserted last and in order.
    qint64 currentId = -1;
    int currentNewOrder = -1;
    const Located at = locate(m_current);
    if (at.segment >= 0) {
        const Segment& s = m_segments[at.segment];
        if (s.newRow) {
            currentNewOrder = 0;
            for (int i = 0; i < at.segment; ++i)
                if (m_segments[i].newRow)
                    ++currentNewOrder;
        } else {
            currentId = storedRow(s.baseBegin + at.offset).id;
        }
    }
    int newCount = 0;
    for (const Segment& s : m_segments)
        if (s.newRow)
            ++newCount;
    beginResetModel();
    m_changed.clear();
    m_deleted.clear();
    m_edit.reset();
    loadCount();
    resetSegments();
    if (currentNewOrder >= 0)
        m_current = m_baseCount - newCount + currentNewOrder;
    else if (currentId >= 0)
        m_current = int(positionOf(currentId));
    m_current = m_baseCount == 0 ? -1 : std::clamp(m_current, 0, m_baseCount - 1);
    endResetModel();
    emit currentRowChanged(m_current);
    emit editStateChanged();
}

void TableDataset::cancelAll() {
    beginResetModel();
    m_edit.reset();
    m_changed.clear();
    m_deleted.clear();
    resetSegments();
    if (m_current < 0 || m_current >= m_baseCount)
        m_current = m_baseCount > 0 ? 0 : -1;
    endResetModel();
    emit currentRowChanged(m_current);
    emit editStateChanged();
}

void TableDataset::refresh() {
    beginResetModel();
    m_edit.reset();
    m_changed.clear();
    m_deleted.clear();
    loadCount();
    resetSegments();
    m_current = m_baseCount > 0 ? std::clamp(m_current, 0, m_baseCount - 1) : -1;
    endResetModel();
    emit currentRowChanged(m_current);
}
