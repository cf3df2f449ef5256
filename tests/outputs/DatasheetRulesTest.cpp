// The datasheet's rules on their own: the columns of a sensor's type, what a
// typed key does to a cell, and the Tab walk.
#include "outputs/Datasheet.h"

#include <QStringList>

#include <gtest/gtest.h>

using namespace outputs;

namespace {

QStringList titles(const std::vector<DatasheetColumn>& columns) {
    QStringList t;
    for (const DatasheetColumn& c : columns)
        t << c.title;
    return t;
}

TEST(DatasheetColumnsTest, EightNodesStopAtChannel8) {
    const QStringList t = titles(datasheetColumns("201391005"));
    ASSERT_EQ(t.size(), 14);
    EXPECT_EQ(t.mid(10), QStringList({"Channel7", "Channel8", "PlotTemporal", "PlotSpatial"}));
    // A number too short for a type code still shows the temperature.
    EXPECT_EQ(titles(datasheetColumns("2013")),
              QStringList({"DateTime Key", "ReadingDate", "R. Time", "ChannelT", "PlotTemporal",
                           "PlotSpatial"}));
}

struct KeyCase {
    CellKind kind;
    int key;
    const char* text;
    KeyAction action;
    const char* after; // the cell's text afterwards, for Edit
    bool changed;
};

class TypedKeyTest : public ::testing::TestWithParam<KeyCase> {};

TEST_P(TypedKeyTest, FollowsTheRule) {
    const KeyCase& c = GetParam();
    const KeyResult r = typedKey(c.kind, c.key, QString::fromLatin1(c.text));
    EXPECT_EQ(r.action, c.action);
    EXPECT_EQ(r.changed, c.changed);
    if (c.action == KeyAction::Edit) {
        EXPECT_EQ(r.text, c.after);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Keys, TypedKeyTest,
    ::testing::Values(
        // The key, date and time: message A for anything typed, Backspace does nothing.
        KeyCase{CellKind::Key, '5', "k", KeyAction::OnlyChannels, "", false},
        KeyCase{CellKind::Date, '.', "2013/12/03", KeyAction::OnlyChannels, "", false},
        KeyCase{CellKind::Time, 'a', "20:33:08", KeyAction::OnlyChannels, "", false},
        KeyCase{CellKind::Time, 13, "20:33:08", KeyAction::OnlyChannels, "", false},
        KeyCase{CellKind::Date, 8, "2013/12/03", KeyAction::Nothing, "", false},
        // Channels take digits and points at the end, lose the last with Backspace.
        KeyCase{CellKind::Channel, '7', "12.3", KeyAction::Edit, "12.37", true},
        KeyCase{CellKind::Channel, '.', "12.3", KeyAction::Edit, "12.3.", true},
        KeyCase{CellKind::Channel, '0', "", KeyAction::Edit, "0", true},
        KeyCase{CellKind::Channel, 8, "12.3", KeyAction::Edit, "12.", true},
        KeyCase{CellKind::Channel, 8, "", KeyAction::Edit, "", true},
        // Anything else is message B: letters, a minus sign, a blank, Enter.
        KeyCase{CellKind::Channel, 'x', "12.3", KeyAction::ChannelNumber, "", false},
        KeyCase{CellKind::Channel, '-', "", KeyAction::ChannelNumber, "", false},
        KeyCase{CellKind::Channel, ' ', "1", KeyAction::ChannelNumber, "", false},
        KeyCase{CellKind::Channel, 13, "1", KeyAction::ChannelNumber, "", false},
        // Tick boxes take no text; the space bar flips them.
        KeyCase{CellKind::Flag, '5', "", KeyAction::Nothing, "", false},
        KeyCase{CellKind::Flag, ' ', "", KeyAction::Flip, "", true},
        // Tab walks on from any cell.
        KeyCase{CellKind::Key, 9, "k", KeyAction::NextCell, "", false},
        KeyCase{CellKind::Channel, 9, "1", KeyAction::NextCell, "", false}));

TEST(TabWalkTest, GoesRightThenDownThenBackToTheTopLeft) {
    EXPECT_EQ(nextCell({0, 0}, 3, 7), (GridCell{0, 1}));
    EXPECT_EQ(nextCell({1, 5}, 3, 7), (GridCell{1, 6}));
    EXPECT_EQ(nextCell({1, 6}, 3, 7), (GridCell{2, 0}));
    EXPECT_EQ(nextCell({2, 6}, 3, 7), (GridCell{0, 0}));
    EXPECT_EQ(nextCell({0, 6}, 1, 7), (GridCell{0, 0}));
}

} // namespace
