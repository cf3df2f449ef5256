// The review grid's model: one row per logger line, columns 0 to 14 the
// line's first fifteen fields as text, column 15 ("Append") its tick. Cells
// are made when the view asks for them, so a long file opens at once. Of a
// file too large to hold, the first and the last lines are shown; the row
// titles are the file's own line numbers.
#pragma once

#include "importer/Append.h"
#include "importer/LoggerDates.h"
#include "importer/TextFile.h"
#include "importer/TextTable.h"

#include <QAbstractTableModel>

#include <cstdint>
#include <memory>
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
    // The same for a file: one held whole as above; a streamed one with its
    // first and last lines (TextFile::ends) and the proposal of the whole
    // file, read once more (progress told). The file must outlive the model.
    // Throws store::Error when the file cannot be read; the grid is then empty.
    bool PopulateSFlexGrid(const TextFile* file, bool noTroveData, int period, DayOrder order,
                           const ReadProgress& progress = {});

    // Of a streamed file: the lines shown at its start and at its end, and
    // those between, with how many of those the proposal ticks.
    bool partial() const { return between_ > 0; }
    int headLines() const { return headRows_; }
    int tailLines() const { return int(ticks_.size()) - headRows_; }
    int betweenLines() const { return between_; }
    int betweenTicked() const { return betweenTicked_; }
    // The file's line number (from 1) of a row.
    int lineNumber(int row) const {
        return row < headRows_ || !tail_ ? row + 1 : tailFirst_ + row - headRows_ + 1;
    }
    // What the append of a streamed file takes: the proposal for the lines
    // not shown, the ticks as they stand for those shown.
    LineTicks lineTicks() const;

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
    void fill(const TextFile& file, int period, DayOrder order, const ReadProgress& progress);
    void clear();

    // The rows of table_ come first, then those of tail_ (a streamed file).
    const TextTable* table_ = nullptr;
    std::unique_ptr<TextTable> head_;
    std::unique_ptr<TextTable> tail_;
    int headRows_ = 0;
    int tailFirst_ = 0; // the file's row (from 0) of the tail's first
    int between_ = 0;
    int betweenTicked_ = 0;
    int period_ = 0;
    DayOrder order_ = DayOrder::DayFirst;
    std::vector<std::uint8_t> ticks_;
    bool titled_ = false; // the titles are written only over logger lines
};

} // namespace importer
