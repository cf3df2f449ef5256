// Which trigger-level lines a graph draws, on which side, and the room
// AutoScale makes for them.
#include "graphs/LevelLines.h"
#include "graphs/Scales.h"
#include "graphs/Texts.h"

#include <gtest/gtest.h>

namespace {

graphs::GraphLevels threeLevels() {
    graphs::GraphLevels g;
    g.levels = levels::defaultLevels();
    g.triggers.displacement[0] = {{1, 12}, {2, 20}, {3, 30}};
    // Anchor 2's own list replaces the sensor's: it has no Action.
    g.triggers.displacement[2] = {{1, 15}, {2, 18}};
    g.triggers.displacement[4] = {{1, 2}};
    return g;
}

QStringList described(const std::vector<graphs::LevelLine>& lines) {
    QStringList out;
    for (const graphs::LevelLine& l : lines)
        out << QStringLiteral("%1 %2 %3").arg(l.name).arg(l.threshold).arg(l.colour.name());
    return out;
}

TEST(LevelLines, TheLowestThresholdOfTheAnchorsEachLevelHas) {
    const graphs::GraphLevels g = threeLevels();
    EXPECT_EQ(described(graphs::levelLines(g, {1, 2, 3})),
              QStringList({"Alert 12 #ffbf00", "Alarm 18 #ff4500", "Action 30 #e00000"}));
    EXPECT_EQ(described(graphs::levelLines(g, {2})),
              QStringList({"Alert 15 #ffbf00", "Alarm 18 #ff4500"}));
    EXPECT_EQ(described(graphs::levelLines(g, {2, 4})).first(), "Alert 2 #ffbf00");
    EXPECT_TRUE(graphs::levelLines(g, {}).empty());
    // Thresholds of levels the site no longer has are kept but never drawn.
    graphs::GraphLevels fewer = g;
    fewer.levels.resize(1);
    EXPECT_EQ(described(graphs::levelLines(fewer, {1})), QStringList({"Alert 12 #ffbf00"}));
    EXPECT_TRUE(graphs::levelLines(graphs::GraphLevels{levels::defaultLevels(), {}}, {1}).empty());
}

TEST(LevelLines, TheSideOfTheLargestMagnitude) {
    EXPECT_EQ(graphs::levelSide(std::nullopt, std::nullopt), 1.0);
    EXPECT_EQ(graphs::levelSide(0.0, 0.0), 1.0);
    EXPECT_EQ(graphs::levelSide(-4.0, 3.0), -1.0);
    EXPECT_EQ(graphs::levelSide(-3.0, 3.0), 1.0);
    EXPECT_EQ(graphs::levelSide(1.0, 4.0), 1.0);
    EXPECT_EQ(graphs::levelSide(-4.0, -1.0), -1.0);
}

TEST(LevelLines, AutoScaleMakesRoomForTheLineAFixedScaleDoesNot) {
    using graphs::GraphKind;
    const QString autoScale = graphs::texts::AutoScale;
    // 0 to 4 mm alone: 0.5 steps to 4.5, and room below the zero.
    const graphs::AxisScale plain = graphs::leftScale(GraphKind::Time, autoScale, 0, 4, {});
    EXPECT_EQ(plain.minimum, -0.5);
    EXPECT_EQ(plain.maximum, 4.5);
    const graphs::AxisScale above = graphs::leftScale(GraphKind::Time, autoScale, 0, 4, 12.0);
    EXPECT_EQ(above.maximum, 13);
    EXPECT_EQ(above.increment, 1);
    const graphs::AxisScale below = graphs::leftScale(GraphKind::Length, autoScale, -4, 0, -12.0);
    EXPECT_LT(below.minimum, -12);
    const graphs::AxisScale fixed = graphs::leftScale(GraphKind::Time, "25", 0, 4, 40.0);
    EXPECT_EQ(fixed.minimum, 0);
    EXPECT_EQ(fixed.maximum, 26);
}

} // namespace
