#include "outputs/Datasheet.h"

#include "outputs/Texts.h"

#include <algorithm>

namespace outputs {

namespace {

constexpr int TwipsPerTitleChar = 120;
constexpr int KeyWidthTwips = 2600;
constexpr int Backspace = 8;
constexpr int Tab = 9;

} // namespace

std::vector<DatasheetColumn> datasheetColumns(const QString& sensorNumber) {
    const QChar digit = sensorNumber.size() > 4 ? sensorNumber.at(4) : QChar();
    // Type codes run from 21 to 91; anything else still shows the temperature.
    const int n = std::max(digit.isDigit() ? digit.digitValue() + 3 : 0, 4);
    std::vector<DatasheetColumn> columns{
        {texts::KeyTitle, QStringLiteral("DateTimeKey"), CellKind::Key, 0},
        {texts::DateTitle, QStringLiteral("ReadingDate"), CellKind::Date, 0},
        {texts::TimeTitle, QStringLiteral("ReadingTime"), CellKind::Time, 0},
        {texts::TemperatureTitle, QStringLiteral("ChannelT"), CellKind::Channel, 0},
    };
    for (int j = 4; j < n; ++j) {
        const QString title = texts::channelTitle(j - 3);
        columns.push_back({title, title, CellKind::Channel, 0});
    }
    columns.push_back({texts::TemporalTitle, QStringLiteral("Plottemporal"), CellKind::Flag, 0});
    columns.push_back({texts::SpatialTitle, QStringLiteral("PlotSpatial"), CellKind::Flag, 0});
    // Every column but the last is as wide as its title; the key is wider.
    for (size_t j = 0; j + 1 < columns.size(); ++j)
        columns[j].widthTwips = int(columns[j].title.trimmed().size()) * TwipsPerTitleChar;
    columns[0].widthTwips = KeyWidthTwips;
    return columns;
}

KeyResult typedKey(CellKind kind, int key, const QString& text) {
    if (key == Tab) return {KeyAction::NextCell, {}, false};
    switch (kind) {
    case CellKind::Key:
    case CellKind::Date:
    case CellKind::Time:
        if (key == Backspace) return {};
        return {KeyAction::OnlyChannels, {}, false};
    case CellKind::Flag:
        if (key == ' ') return {KeyAction::Flip, {}, true};
        return {};
    case CellKind::Channel:
        break;
    }
    if (key == Backspace)
        return {KeyAction::Edit, text.left(std::max<qsizetype>(text.size() - 1, 0)), true};
    if ((key >= '0' && key <= '9') || key == '.') return {KeyAction::Edit, text + QChar(key), true};
    return {KeyAction::ChannelNumber, {}, false};
}

GridCell nextCell(GridCell current, int rows, int columns) {
    if (current.column + 1 < columns) return {current.row, current.column + 1};
    if (current.row + 1 < rows) return {current.row + 1, 0};
    return {0, 0};
}

} // namespace outputs
