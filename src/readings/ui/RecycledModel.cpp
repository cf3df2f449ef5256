#include "readings/ui/RecycledModel.h"

#include "readings/Texts.h"

namespace readings {

void RecycledModel::setReadings(std::vector<RecycledReading> readings) {
    beginResetModel();
    readings_ = std::move(readings);
    endResetModel();
}

int RecycledModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(readings_.size());
}

int RecycledModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 4;
}

QVariant RecycledModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !checkIndex(index, CheckIndexOption::IndexIsValid)) return {};
    const RecycledReading& r = readings_[size_t(index.row())];
    switch (index.column()) {
    case 0:
        return r.date;
    case 1:
        return r.time;
    case 2:
        return r.deletedAt;
    default:
        return r.deletedBy;
    }
}

QVariant RecycledModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section < 0 || section > 3)
        return QAbstractTableModel::headerData(section, orientation, role);
    const QString titles[] = {texts::RecycledDate, texts::RecycledTime, texts::RecycledWhen,
                              texts::RecycledBy};
    return titles[section];
}

} // namespace readings
