// The readings a graph draws: those whose plot flag is ticked, in date order,
// and the preparation that brings their derived columns up to date.
#pragma once

#include "graphs/Scales.h"
#include "readings/Displacement.h"
#include "store/Database.h"

#include <QPointF>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <optional>
#include <span>
#include <string_view>
#include <utility>
#include <vector>

namespace sensors {
struct SensorRecord;
}

namespace graphs {

// "SELECT * FROM `<number>` WHERE Plottemporal = True ORDER BY FullDate", or
// PlotSpatial for the length graph.
QString graphQuery(GraphKind kind, const QString& sensorNumber);

// The time graph's points as the preparation leaves the rows, so that drawing
// need not read them again: one key per row with a date (seconds, UTC), and
// for each column a series reads one value per key (NaN: no value).
struct TimePoints {
    bool prepared = false; // true: the rows were brought up to date and these are theirs
    std::vector<double> keys;
    std::vector<std::pair<QString, std::vector<double>>> columns;
    QString firstDate, lastDate; // ReadingDate of the first and last selected reading
    std::vector<size_t> suspect; // indices in keys of readings flagged suspect, ascending
    // Nothing when the column was not collected.
    const std::vector<double>* column(const QString& name) const;
    // True when every column the series of timeSeries(head, numNodes) read is here.
    bool holds(readings::HeadLocation head, int numNodes) const;
};

// One reading of the length graph: its date and time as stored, and the
// columns its profile points read (zero<N>, Disp1 to DispN) as the graph has
// always read them, through their shown text.
struct Profile {
    QString readingDate;
    QString readingTime;
    std::vector<std::pair<QString, std::optional<double>>> values;
    bool suspect = false; // flagged suspect: drawn with hollow markers
    // Nothing for no value, or a column not collected.
    std::optional<double> value(const QString& column) const;
};
// The length graph's readings: how many are selected and the last MaxProfiles
// of them (see profileWindow), in the graph's order.
// A profile's reading date as the legend shows it, "yyyy/MM/dd" (the stored
// text when it is no date).
QString profileDate(const Profile& profile);
// The legend titles of the profiles drawn: the date, and the time ("HH:mm")
// too where another profile drawn has the same date, so that no two entries
// read alike.
std::vector<QString> profileTitles(std::span<const Profile> profiles);

struct LengthProfiles {
    bool prepared = false; // as TimePoints::prepared
    int selected = 0;
    std::vector<Profile> profiles;
};

// Called for each selected row with a channel the zero reading lacks (see
// readings::SetZeros), with the row's FullDate; the row keeps the older values
// of the columns the rule could not reach.
using MismatchSink = std::function<void(const QString& fullDate)>;

// Brings zero1..10, NumTemp, Disp1..N and Reference of every row the time graph
// selects (Plottemporal) up to date, against the earliest selected reading as
// the zero until the first zero reading stored for the sensor, then against
// the latest stored zero at or before the row (see readings::ZeroPlan), in one
// transaction. Invalid readings are left out and keep what they hold: a failure throws store::Error
// and leaves every row as it was. Returns the points of timeSeries(head, numNodes).
TimePoints prepareTimeGraph(store::Database& db, const QString& sensorNumber,
                            readings::HeadLocation head, int numNodes,
                            const MismatchSink& onMismatch = {});
// The same for the rows the length graph selects (PlotSpatial); returns the
// readings it draws.
LengthProfiles prepareLengthGraph(store::Database& db, const QString& sensorNumber,
                                  readings::HeadLocation head, int numNodes,
                                  const MismatchSink& onMismatch = {});
// The same points and readings as the rows hold them, nothing written: what the
// graphs draw when the preparation fails (a database opened read-only, say).
TimePoints storedTimePoints(store::Database& db, const QString& sensorNumber,
                            readings::HeadLocation head, int numNodes);
LengthProfiles storedProfiles(store::Database& db, const QString& sensorNumber, int numNodes);

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

// Where the head and anchors of a profile sit, as the installation tab shows
// them.
struct ProfileLayout {
    readings::HeadLocation head = readings::HeadLocation::Collar;
    int numNodes = 0;
    QString recess;                 // txtRecess
    QString headLocation;           // txtHead
    std::array<QString, 9> anchors; // txtRelSGanchor 1..8
};

// What a sensor's graphs need from its register row: its number (the title),
// the head option, the node count of its type, and the installation tab's
// depths below the roof; nodeLabels[k - 1] is node k's legend title.
struct GraphSetup : ProfileLayout {
    QString sensorNumber;
    QStringList nodeLabels;
};
// From the register row of the database, the node count by the number's type
// code (digits 5-6). A number the register lacks, or a type code that is none
// of the types, throws store::Error.
GraphSetup graphSetup(store::Database& db, const QString& sensorNumber);
// From a register record as readSensorRecord gives it, with a node count.
GraphSetup graphSetup(const QString& sensorNumber, const sensors::SensorRecord& record,
                      int numNodes);

// One reading's profile: the head point, then node 1..N. value(column) gives
// the reading's stored number, nothing for no value (drawn as a gap).
std::vector<QPointF>
profilePoints(const ProfileLayout& layout,
              const std::function<std::optional<double>(const QString&)>& value);

// Whole days from the first reading's date to the last's ("yyyy/MM/dd").
int spanDays(const QString& firstDate, const QString& lastDate);

} // namespace graphs
