// The site's status as a table: one row per sensor, worst first, the status
// cell coloured by its level. What the Status tab shows, exports and prints.
#pragma once

#include "levels/SensorStatus.h"

#include <QAbstractTableModel>
#include <QColor>
#include <QDateTime>
#include <QStringList>

#include <array>
#include <vector>

namespace levels {

// The colour a status is marked with: the level's, grey for no new data,
// nothing (invalid) for normal and no readings.
QColor statusColour(const SensorStatus& s, const std::vector<TriggerLevel>& levels,
                    const QDateTime& now);

// "3 h", "2 d 4 h": a reading's age as the table shows it.
QString ageText(std::optional<double> hours);

class StatusModel : public QAbstractTableModel {
public:
    enum Column {
        Sensor,
        MineLevel,
        Location,
        Status,
        Anchor,
        Displacement,
        Rate,
        Latest,
        Age,
        ColumnCount
    };

    explicit StatusModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}

    // Keeps the rows that match the filter (empty: any), sorted worst first.
    void setStatuses(std::vector<SensorStatus> statuses, std::vector<TriggerLevel> levels,
                     const QDateTime& now, const QString& mineLevel = {},
                     const QString& location = {});
    const SensorStatus& status(int row) const { return rows_[size_t(row)]; }
    const std::vector<SensorStatus>& rows() const { return rows_; }
    // The text of a cell as shown (the export and the print read it).
    QString cellText(int row, int column) const;
    static QStringList titles();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    QString workedOut(int row, int column) const;

    std::vector<SensorStatus> rows_;
    std::vector<std::array<QString, ColumnCount>> texts_;
    std::vector<QColor> colours_;
    std::vector<TriggerLevel> levels_;
    QDateTime now_;
};

} // namespace levels
