#include "reports/querygridmodel.h"

#include "data/formats.h"
#include "ui/csvexport.h"

#include <QSqlRecord>

QueryGridModel::QueryGridModel(QList<Column> columns, QSqlQueryModel* source, QObject* parent)
    : QAbstractTableModel(parent), m_columns(std::move(columns)), m_source(source) {
    bindFields();
    // The query replaces its rows as a whole when it opens or closes and appends rows as they
    // are fetched; the grid follows both.
    connect(source, &QAbstractItemModel::modelAboutToBeReset, this, [this] { beginResetModel(); });
    connect(source, &QAbstractItemModel::modelReset, this, [this] {
        bindFields();
        endResetModel();
    });
    connect(source, &QAbstractItemModel::rowsAboutToBeInserted, this,
            [this](const QModelIndex&, int first, int last) { beginInsertRows({}, first, last); });
    connect(source, &QAbstractItemModel::rowsInserted, this, [this] { endInsertRows(); });
    connect(source, &QAbstractItemModel::rowsAboutToBeRemoved, this,
            [this](const QModelIndex&, int first, int last) { beginRemoveRows({}, first, last); });
    connect(source, &QAbstractItemModel::rowsRemoved, this, [this] { endRemoveRows(); });
}

void QueryGridModel::bindFields() {
    m_sourceColumns.clear();
    const QSqlRecord fields = m_source ? m_source->record() : QSqlRecord();
    for (const Column& c : m_columns)
        m_sourceColumns << fields.indexOf(c.field);
}

int QueryGridModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() || !m_source)
        return 0;
    return m_source->rowCount();
}

int QueryGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_columns.size());
}

QString QueryGridModel::displayText(const QVariant& value, Display display) {
    if (value.isNull())
        return {};
    if (display == Display::Amount) {
        bool ok = false;
        const double v = value.toDouble(&ok);
        // A value that is no number is shown as it is stored rather than as a made-up 0.
        return ok ? formats::amountCell(v) : value.toString();
    }
    return formats::toText(value);
}

QVariant QueryGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || !m_source || index.column() >= m_columns.size())
        return {};
    const Column& c = m_columns.at(index.column());
    if (role == Qt::TextAlignmentRole)
        return int(c.alignment);
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole && role != kExportRole)
        return {};
    const int field = m_sourceColumns.value(index.column(), -1);
    if (field < 0)
        return role == kExportRole ? QVariant(QString()) : QVariant();
    if (role == kExportRole) {
        // Amounts as plain numbers for a spreadsheet, everything else as shown.
        const QVariant v = m_source->data(m_source->index(index.row(), field));
        bool number = false;
        const double amount = v.toDouble(&number);
        if (c.display == Display::Amount && !v.isNull() && number)
            return formats::general(amount);
        return displayText(v, c.display);
    }
    return displayText(m_source->data(m_source->index(index.row(), field)), c.display);
}

QVariant QueryGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= m_columns.size())
        return QAbstractTableModel::headerData(section, orientation, role);
    if (role == Qt::DisplayRole)
        return m_columns.at(section).title;
    if (role == Qt::TextAlignmentRole)
        return int(Qt::AlignCenter);
    return {};
}

Qt::ItemFlags QueryGridModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

bool QueryGridModel::canFetchMore(const QModelIndex& parent) const {
    return !parent.isValid() && m_source && m_source->canFetchMore();
}

void QueryGridModel::fetchMore(const QModelIndex& parent) {
    if (!parent.isValid() && m_source)
        m_source->fetchMore();
}
