// A grid written as a spreadsheet file (.xlsx): a header row of titles, bold
// and frozen, then one row per grid row, each column as its kind says and
// fitted to its contents.
#pragma once

#include <QString>
#include <QVariant>

#include <functional>
#include <vector>

namespace outputs {

enum class SheetKind {
    Text,
    Date,   // a date text becomes a date shown "yyyy/mm/dd"; other text stays text
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

// Writes the workbook to a temporary file beside path and renames it into
// place, so that an older file of that name is replaced whole or not at all.
// The sheet is named sheetName (the default name when it is empty or not a
// valid sheet name). Returns false when progress stopped it. Throws
// store::Error; nothing is left behind when it stops or fails.
bool writeWorkbook(const QString& path, const QString& sheetName,
                   const std::vector<SheetColumn>& columns, const SheetRows& rows,
                   const SheetProgress& progress = {});

} // namespace outputs
