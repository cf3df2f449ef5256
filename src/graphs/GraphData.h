// The readings a graph draws: those whose plot flag is ticked, in date order,
// and the preparation that brings their derived columns up to date.
#pragma once

#include "app/AppState.h"
#include "graphs/Scales.h"
#include "readings/Displacement.h"

#include <QPointF>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

namespace graphs {

// "SELECT * FROM `<number>` WHERE Plottemporal = True ORDER BY FullDate", or
// PlotSpatial for the length graph.
QString graphQuery(GraphKind kind, const QString& sensorNumber);

// Opens rsGraphData on the current sensor's selected readings, at the first.
// A failure is logged and leaves rsGraphData closed.
void OpenGraphData(app::AppState& state, GraphKind kind);
// How many readings the graph would draw; rsGraphData is closed afterwards.
int selectedReadings(app::AppState& state, GraphKind kind);

// The time graph's points as the preparation leaves the rows, so that drawing
// need not read them again: one key per row with a date (seconds, UTC), and
// for each column a series reads one value per key (NaN: no value).
struct TimePoints {
    bool prepared = false; // false: the preparation failed; read the rows instead
    std::vector<double> keys;
    std::vector<std::pair<QString, std::vector<double>>> columns;
    QString firstDate, lastDate; // ReadingDate of the first and last selected reading
    // Nothing when the column was not collected.
    const std::vector<double>* column(const QString& name) const;
};

// Brings zero1..10, NumTemp, Disp1..N and Reference of every selected row up to
// date, against the earliest selected reading as the zero, in one transaction:
// a failure leaves every row as it was. The head location is the one the
// installation tab shows.
TimePoints GetTemporalData(app::AppState& state, readings::HeadLocation head);
void GetSpatialData(app::AppState& state, readings::HeadLocation head);

// A stored date-time ("yyyy-MM-dd HH:mm:ss" text) as seconds since the epoch, UTC.
std::optional<double> dateTimeKey(std::string_view stored);

// One series of the time graph: its index on the chart, legend title and the
// column its values come from.
struct SeriesBinding {
    int index = 0;
    QString title;
    QString column;
};
// Series 0 the temperature, then the head and the nodes by the head location:
// at the toe the head first (Reference), at the collar the deepest node first
// and the head last (the deepest channel's zero). nodeLabels[k - 1] is node k's.
std::vector<SeriesBinding> timeSeries(readings::HeadLocation head, int numNodes,
                                      const QStringList& nodeLabels);

// The length graph draws the last 15 selected readings.
inline constexpr int MaxProfiles = 15;
struct ProfileWindow {
    int first = 0; // 0-based row of the first drawn reading
    int count = 0;
    bool tooMany = false; // lblW15 shows
};
ProfileWindow profileWindow(int selected);

// Where the head and anchors of a profile sit, from the installation boxes as
// they stand.
struct ProfileLayout {
    readings::HeadLocation head = readings::HeadLocation::Collar;
    int numNodes = 0;
    QString recess;                 // txtRecess
    QString headLocation;           // txtHead
    std::array<QString, 9> anchors; // txtRelSGanchor 1..8
};
// One reading's profile: the head point, then node 1..N. value(column) gives
// the reading's stored number, nothing for no value (drawn as a gap).
std::vector<QPointF>
profilePoints(const ProfileLayout& layout,
              const std::function<std::optional<double>(const QString&)>& value);

// Whole days from the first reading's date to the last's ("yyyy/MM/dd").
int spanDays(const QString& firstDate, const QString& lastDate);

} // namespace graphs
