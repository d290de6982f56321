#include "importer/importmodel.h"

#include "import/billtext.h"

ImportModel::ImportModel(bills::Preview preview, QObject* parent)
    : QAbstractTableModel(parent), m_preview(std::move(preview)) {}

int ImportModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_preview.rows.size());
}

int ImportModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant ImportModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    static const char* const names[] = {"导入", "日期",     "收支", "大类", "细类",
                                        "金额", "支付方式", "备注", "状态"};
    return section >= 0 && section < ColumnCount ? QString::fromUtf8(names[section]) : QVariant();
}

QVariant ImportModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid())
        return {};
    const bills::PreviewRow& r = m_preview.rows[index.row()];
    if (role == Qt::CheckStateRole && index.column() == Tick)
        return r.state == bills::RowState::New ? QVariant(r.ticked ? Qt::Checked : Qt::Unchecked)
                                               : QVariant();
    if (role == Qt::TextAlignmentRole && index.column() == Amount)
        return int(Qt::AlignRight | Qt::AlignVCenter);
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return {};
    switch (index.column()) {
    case Date:
        return r.date.toString(QStringLiteral("yyyy-MM-dd"));
    case Direction:
        return r.direction;
    case Major:
        return r.major;
    case Minor:
        return r.minor;
    case Amount:
        return bills::centsText(r.state == bills::RowState::Skipped ? qAbs(r.cents) : r.cents);
    case Method:
        return r.method;
    case Memo:
        return r.memo;
    case Status:
        return r.status;
    default:
        return {};
    }
}

Qt::ItemFlags ImportModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (!index.isValid() || m_preview.rows[index.row()].state != bills::RowState::New)
        return f;
    if (index.column() == Tick)
        f |= Qt::ItemIsUserCheckable;
    if (index.column() == Major || index.column() == Minor)
        f |= Qt::ItemIsEditable;
    return f;
}

bool ImportModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!(flags(index) & (Qt::ItemIsEditable | Qt::ItemIsUserCheckable)))
        return false;
    bills::PreviewRow& r = m_preview.rows[index.row()];
    if (index.column() == Tick && role == Qt::CheckStateRole) {
        r.ticked = value.toInt() == Qt::Checked;
        emit dataChanged(index, index, {role});
        emit totalsChanged();
        return true;
    }
    if (role != Qt::EditRole)
        return false;
    if (index.column() == Major) {
        if (r.major != value.toString()) {
            r.major = value.toString();
            r.minor.clear(); // a minor belongs to its major
        }
        emit dataChanged(index, this->index(index.row(), Minor));
        return true;
    }
    if (index.column() == Minor) {
        r.minor = value.toString();
        emit dataChanged(index, index);
        return true;
    }
    return false;
}
