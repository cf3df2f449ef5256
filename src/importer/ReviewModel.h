// The review grid's model: one row per logger line, columns 0 to 14 the
// line's first fifteen fields as text, column 15 ("Append") its tick. Cells
// are made when the view asks for them, so a long file opens at once.
#pragma once

#include "importer/LoggerDates.h"
#include "importer/TextTable.h"

#include <QAbstractTableModel>

#include <cstdint>
#include <vector>

namespace importer {

class ReviewModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int ColumnCount = 16;
    static constexpr int TickColumn = 15;

    explicit ReviewModel(QObject* parent = nullptr);

    // PopulateSFlexGrid: shows table's lines with the proposal for period.
    // False (and "No Readings" in the top left title) when there is no table
    // or no logger data was found.
    bool PopulateSFlexGrid(const TextTable* table, bool noTroveData, int period, DayOrder order);

    // A column's width in pixels: its title's length, blanks trimmed, times
    // 120 twips.
    static int columnWidth(int column);

    bool isTicked(int row) const {
        return row >= 0 && row < int(ticks_.size()) && ticks_[size_t(row)];
    }
    void flip(int row);
    const std::vector<std::uint8_t>& ticks() const { return ticks_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    const TextTable* table_ = nullptr;
    std::vector<std::uint8_t> ticks_;
    bool titled_ = false; // the titles are written only over logger lines
};

} // namespace importer
