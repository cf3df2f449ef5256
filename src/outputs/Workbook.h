// Grids written as a spreadsheet file (.xlsx): each sheet a header row of
// titles, bold and frozen, then one row per grid row, each column as its kind
// says and fitted to its contents.
#pragma once

#include <QColor>
#include <QString>
#include <QVariant>

#include <functional>
#include <memory>
#include <vector>

namespace outputs {

enum class SheetKind {
    Text,
    Date, // a date text becomes a date shown "yyyy/mm/dd"; other text stays text
    Time, // "HH:mm:ss" becomes a time of day shown "hh:mm:ss"; other text stays text
    // "yyyy/MM/dd HH:mm:ss" becomes a moment shown so; other text stays text
    DateTime,
    Number, // a number, or text that reads as one, becomes a number
    Flag,   // true or false
};

struct SheetColumn {
    QString title;
    SheetKind kind = SheetKind::Text;
};

// The rows under the header, read a block at a time, in order.
class SheetRows {
public:
    virtual ~SheetRows() = default;
    virtual int sheetRowCount() const = 0;
    // The cells of rows first to first + count - 1, one per column; a null
    // value leaves its cell empty.
    virtual std::vector<std::vector<QVariant>> sheetRows(int first, int count) const = 0;
};

// Rows written so far and in all; answering false stops the writing.
using SheetProgress = std::function<bool(int written, int total)>;

// Black or white letters, whichever reads on the colour by its perceived
// brightness: a filled cell's, on a sheet or in a grid.
QColor lettersOn(const QColor& ground);

// A workbook written a row at a time, straight to a temporary file beside
// path however many rows there are; finish() renames it into place, so that an
// older file of that name is replaced whole or not at all. Dropped before
// finish(), it leaves nothing behind. Failures throw store::Error.
class WorkbookWriter {
public:
    explicit WorkbookWriter(const QString& path);
    ~WorkbookWriter();
    WorkbookWriter(const WorkbookWriter&) = delete;
    WorkbookWriter& operator=(const WorkbookWriter&) = delete;

    // A new sheet, its header row written; returns its index. It is named
    // name (the default name when that is empty or not a valid sheet name).
    int addSheet(const QString& name, const std::vector<SheetColumn>& columns);
    // The next row of a sheet, a cell per column; a null value leaves its cell
    // empty. The rows of each sheet go in order; sheets may take turns.
    void addRow(int sheet, const std::vector<QVariant>& cells);
    // The same, each text or number cell filled with its colour in fills (an
    // invalid colour, or none given, leaves it plain) and lettered in black or
    // white, whichever reads on it.
    void addRow(int sheet, const std::vector<QVariant>& cells, const std::vector<QColor>& fills);
    // Columns fitted, the file written and renamed into place.
    void finish();

private:
    struct Book;
    std::unique_ptr<Book> book_;
};

// The rows into a sheet a block at a time. progress is asked before each
// block with the rows written so far, counted on from `before`, and total;
// returns false when it stopped the writing.
bool addRows(WorkbookWriter& book, int sheet, const SheetRows& rows, const SheetProgress& progress,
             int before, int total);

// Writes the workbook of one sheet as WorkbookWriter does. The sheet is named
// sheetName (the default name when it is empty or not a valid sheet name).
// Returns false when progress stopped it. Throws store::Error; nothing is left
// behind when it stops or fails.
bool writeWorkbook(const QString& path, const QString& sheetName,
                   const std::vector<SheetColumn>& columns, const SheetRows& rows,
                   const SheetProgress& progress = {});

} // namespace outputs
