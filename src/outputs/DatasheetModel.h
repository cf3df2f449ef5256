// The datasheet grid as a model over rsSensorData: one row per reading, the
// sensor's columns, the two plot flags as tick boxes. Values are read a page
// of rows at a time when the view asks for them; edits and ticks are kept
// beside them until the write-back stores them in one transaction.
#pragma once

#include "outputs/Datasheet.h"
#include "outputs/Workbook.h"
#include "readings/Quality.h"
#include "store/Error.h"

#include <QAbstractTableModel>

#include <deque>
#include <map>
#include <unordered_map>
#include <vector>

namespace store {
class Database;
class RowSet;
} // namespace store

namespace outputs {

// A cell its column refused at the write-back: nothing was stored.
class CellRefused : public store::Error {
public:
    CellRefused(const store::Error& cause, QString readingKey, QString columnTitle,
                QString cellText)
        : store::Error(cause.number(), cause.description()), reading(std::move(readingKey)),
          column(std::move(columnTitle)), text(std::move(cellText)) {}
    QString reading; // its DateTimeKey
    QString column;  // the grid's title
    QString text;
};

class DatasheetModel : public QAbstractTableModel, public SheetRows {
    Q_OBJECT
public:
    explicit DatasheetModel(QObject* parent = nullptr);

    // PopulateFlexGrid: the readings of rs in the columns of the sensor's type.
    // False (and an empty grid) when rs is not an open row set. Reads no value.
    bool populate(store::RowSet* rs, const QString& sensorNumber);
    // Lets go of the row set, edits included, before it closes.
    void release();

    // A sensor without readings shows "No Readings" as its only title.
    bool hasReadings() const { return rs_ && rows_ > 0; }
    const std::vector<DatasheetColumn>& gridColumns() const { return columns_; }
    // After the grid's columns, the reading's quality: shown, never typed
    // into, and only while some reading of the sensor has a flag.
    int qualityColumn() const { return int(columns_.size()); }
    bool showsQuality() const { return !flags_.isEmpty(); }
    CellKind kind(int column) const {
        return column < int(columns_.size()) ? columns_[size_t(column)].kind : CellKind::Key;
    }
    // The quality of a row, and the flags read again after they changed.
    readings::Quality quality(int row) const;
    QString key(int row) const { return storedText(storedRow(row), 0); }
    void readQuality();

    // The changed flag: set by any edit or tick change, even one undone again.
    bool isChanged() const { return changed_; }
    void setChanged() { changed_ = true; }
    // Rows holding a value or a tick that differs from what is stored.
    int editedRows() const { return int(edits_.size()); }

    QString text(int row, int column) const;
    bool ticked(int row, int column) const;
    // A click on a tick box: it flips; other cells are unaffected.
    void flip(const QModelIndex& index);
    // A key typed into a cell: edits, flips or moves as typedKey says and
    // returns what happened, for the window to show its message.
    KeyResult typeKey(const QModelIndex& index, int key);

    // Read_Values_From_Grid: the edited channel values (empty: no value) and
    // the changed ticks of the edited rows only, in one transaction. A value
    // its column refuses raises CellRefused and stores nothing. The edits are
    // forgotten once stored.
    void writeBack(store::Database& db);

    // The grid as the export copies it: every column but the last.
    std::vector<SheetColumn> sheetColumns() const;
    int sheetRowCount() const override { return hasReadings() ? rows_ : 0; }
    std::vector<std::vector<QVariant>> sheetRows(int first, int count) const override;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

private:
    using Row = std::vector<QVariant>;
    struct Edit {
        std::map<int, QString> texts; // by grid column
        std::map<int, bool> ticks;
    };

    bool validCell(const QModelIndex& index) const;
    const Row& storedRow(int row) const;
    QString storedText(const Row& values, int column) const;
    bool storedTick(const Row& values, int column) const;
    void setText(int row, int column, const QString& text);
    void setTick(int row, int column, bool ticked);
    void forgetIfUnchanged(int row);
    void cellChanged(int row, int column);

    store::RowSet* rs_ = nullptr;
    std::vector<DatasheetColumn> columns_;
    std::vector<int> fields_; // the row set's field of each grid column
    int rows_ = 0;
    bool changed_ = false;
    std::unordered_map<int, Edit> edits_; // by grid row
    QString sensor_;
    QHash<QString, readings::QualityFlag> flags_; // by reading key

    // The pages of rows read lately, the oldest first out.
    static constexpr int PageRows = 128;
    static constexpr size_t KeptPages = 32;
    mutable std::unordered_map<int, std::vector<Row>> pages_;
    mutable std::deque<int> pageOrder_;
};

} // namespace outputs
