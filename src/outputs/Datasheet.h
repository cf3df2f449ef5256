// The datasheet's rules without its window: which columns a sensor's grid has,
// what a key typed into a cell does, and where Tab goes.
#pragma once

#include <QString>

#include <vector>

namespace outputs {

enum class CellKind {
    Key,     // DateTimeKey
    Date,    // ReadingDate
    Time,    // ReadingTime
    Channel, // ChannelT and Channel1 onwards: the only cells a user types into
    Flag,    // Plottemporal, PlotSpatial: a tick box
};

struct DatasheetColumn {
    QString title;
    QString field; // the reading table's column
    CellKind kind;
    int widthTwips; // 0: the grid's default width
};

// The grid of a sensor: n = the first digit of the type code (the fifth of
// the number) + 3; columns 0 to n - 1 are the table's first n columns, n and
// n + 1 the two plot flags.
std::vector<DatasheetColumn> datasheetColumns(const QString& sensorNumber);

enum class KeyAction {
    Nothing,
    OnlyChannels,  // message A
    ChannelNumber, // message B
    Edit,          // the cell's text becomes KeyResult::text
    NextCell,      // the Tab walk
    Flip,          // a tick box changes
};

struct KeyResult {
    KeyAction action = KeyAction::Nothing;
    QString text;         // for Edit
    bool changed = false; // the datasheet's changed flag is set
};

// A key (its character code, as keyAscii gives it) typed into a cell of this
// kind holding text. Only digits and "." add to a channel; Backspace takes
// the last character off. A tick box flips with the space bar and takes no text.
KeyResult typedKey(CellKind kind, int key, const QString& text);

struct GridCell {
    int row = 0;
    int column = 0;
    bool operator==(const GridCell&) const = default;
};

// Tab: one column right, from the last column to the first of the next row,
// and from the last cell of all back to the top left one.
GridCell nextCell(GridCell current, int rows, int columns);

} // namespace outputs
