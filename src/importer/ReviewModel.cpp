#include "importer/ReviewModel.h"

#include "importer/Proposal.h"
#include "importer/Texts.h"

namespace importer {

ReviewModel::ReviewModel(QObject* parent) : QAbstractTableModel(parent) {}

bool ReviewModel::PopulateSFlexGrid(const TextTable* table, bool noTroveData, int period,
                                    DayOrder order) {
    beginResetModel();
    clear();
    const bool shown = table && !noTroveData;
    if (shown && table->RecordCount() > 0) {
        table_ = table;
        titled_ = true;
        ticks_ = proposeTicks(*table, period, order);
        headRows_ = int(ticks_.size());
    }
    endResetModel();
    return shown;
}

bool ReviewModel::PopulateSFlexGrid(const TextFile* file, bool noTroveData, int period,
                                    DayOrder order, const ReadProgress& progress) {
    if (!file || !file->streamed())
        return PopulateSFlexGrid(file ? file->whole() : nullptr, noTroveData, period, order);
    beginResetModel();
    clear();
    const bool shown = !noTroveData;
    try {
        if (shown && file->RecordCount() > 0) fill(*file, period, order, progress);
    } catch (...) {
        clear();
        endResetModel();
        throw;
    }
    endResetModel();
    return shown;
}

void ReviewModel::fill(const TextFile& file, int period, DayOrder order,
                       const ReadProgress& progress) {
    TextFile::Ends ends = file.ends();
    head_ = std::move(ends.head);
    tail_ = std::move(ends.tail);
    headRows_ = head_->RecordCount();
    tailFirst_ = ends.tailFirst;
    const int tailRows = tail_->RecordCount();
    between_ = tailFirst_ - headRows_;
    period_ = period;
    order_ = order;
    ticks_.assign(size_t(headRows_ + tailRows), 0);
    // The proposal of the whole file: R of a shown line may come from a line
    // that is not.
    Proposer proposer(period, order);
    file.forEachChunk(
        [&](const TextTable& chunk, int firstRow) {
            const std::vector<std::uint8_t> t = proposer.next(chunk);
            for (int r = 0; r < int(t.size()); ++r) {
                const int row = firstRow + r;
                if (row < headRows_)
                    ticks_[size_t(row)] = t[size_t(r)];
                else if (row >= tailFirst_)
                    ticks_[size_t(headRows_ + row - tailFirst_)] = t[size_t(r)];
                else
                    betweenTicked_ += t[size_t(r)];
            }
        },
        progress);
    table_ = head_.get();
    titled_ = true;
}

void ReviewModel::clear() {
    table_ = nullptr;
    head_.reset();
    tail_.reset();
    headRows_ = tailFirst_ = between_ = betweenTicked_ = 0;
    ticks_.clear();
    titled_ = false;
}

LineTicks ReviewModel::lineTicks() const {
    LineTicks t;
    t.period = period_;
    t.order = order_;
    t.shown.push_back({0, {ticks_.begin(), ticks_.begin() + headRows_}});
    t.shown.push_back({tailFirst_, {ticks_.begin() + headRows_, ticks_.end()}});
    return t;
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
    if (role != Qt::DisplayRole) return {};
    const int row = index.row();
    return row < headRows_ ? table_->value(row, column) : tail_->value(row - headRows_, column);
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
    if (orientation == Qt::Vertical) return lineNumber(section);
    if (section >= ColumnCount) return {};
    if (!titled_) return section == 0 ? QVariant(texts::NoReadings) : QVariant();
    return texts::ColumnTitles[section];
}

} // namespace importer
