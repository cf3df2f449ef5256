#include "importer/ReviewModel.h"

#include "importer/Proposal.h"
#include "importer/Texts.h"

namespace importer {

ReviewModel::ReviewModel(QObject* parent) : QAbstractTableModel(parent) {}

bool ReviewModel::PopulateSFlexGrid(const TextTable* table, bool noTroveData, int period,
                                    DayOrder order) {
    beginResetModel();
    table_ = nullptr;
    ticks_.clear();
    titled_ = false;
    const bool shown = table && !noTroveData;
    if (shown && table->RecordCount() > 0) {
        table_ = table;
        titled_ = true;
        ticks_ = proposeTicks(*table, period, order);
    }
    endResetModel();
    return shown;
}

int ReviewModel::columnWidth(int column) {
    if (column < 0 || column >= ColumnCount) return 0;
    constexpr int TwipsPerPixel = 15;
    return int(texts::ColumnTitles[column].trimmed().size()) * 120 / TwipsPerPixel;
}

void ReviewModel::flip(int row) {
    if (row < 0 || row >= int(ticks_.size())) return;
    ticks_[size_t(row)] = !ticks_[size_t(row)];
    const QModelIndex cell = index(row, TickColumn);
    emit dataChanged(cell, cell, {Qt::CheckStateRole});
}

int ReviewModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(ticks_.size());
}

int ReviewModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant ReviewModel::data(const QModelIndex& index, int role) const {
    if ((!index.isValid() || !checkIndex(index)) || !table_) return {};
    const int column = index.column();
    if (column == TickColumn) {
        if (role == Qt::CheckStateRole) return isTicked(index.row()) ? Qt::Checked : Qt::Unchecked;
        if (role == Qt::TextAlignmentRole) return int(Qt::AlignCenter);
        return {};
    }
    if (role == Qt::DisplayRole) return table_->value(index.row(), column);
    return {};
}

bool ReviewModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if ((!index.isValid() || !checkIndex(index)) || index.column() != TickColumn ||
        role != Qt::CheckStateRole)
        return false;
    const bool ticked = value.toInt() == Qt::Checked;
    if (ticked != isTicked(index.row())) flip(index.row());
    return true;
}

Qt::ItemFlags ReviewModel::flags(const QModelIndex& index) const {
    if ((!index.isValid() || !checkIndex(index))) return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (index.column() == TickColumn) f |= Qt::ItemIsUserCheckable;
    return f;
}

QVariant ReviewModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || section < 0)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (orientation == Qt::Vertical) return section + 1;
    if (section >= ColumnCount) return {};
    if (!titled_) return section == 0 ? QVariant(texts::NoReadings) : QVariant();
    return texts::ColumnTitles[section];
}

} // namespace importer
