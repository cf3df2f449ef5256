// The grid of frmRecover: one row per deleted reading, read-only.
#pragma once

#include "readings/Recovery.h"

#include <QAbstractTableModel>

#include <vector>

namespace readings {

class RecycledModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    void setReadings(std::vector<RecycledReading> readings);
    const std::vector<RecycledReading>& readings() const { return readings_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    std::vector<RecycledReading> readings_;
};

} // namespace readings
