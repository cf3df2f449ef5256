#include "graphs/ui/GraphDrawing.h"

#include "app/TextFormat.h"
#include "graphs/Texts.h"
#include "graphs/ui/Chart.h"

#include <algorithm>
#include <map>

namespace graphs {

using Axis = Chart::Axis;

void drawTimeGraph(Chart& chart, const GraphSetup& setup, const TimePoints& points,
                   const QString& scaleText, const TimeGraphLook& look, const GraphLevels& levels) {
    const std::vector<SeriesBinding> series =
        timeSeries(setup.head, std::clamp(setup.numNodes, 0, 8), setup.nodeLabels);
    chart.clearTitle();
    chart.addTitleLine(setup.sensorNumber);
    chart.setAxisTitle(Axis::Bottom, QString());
    for (int i = 0; i < chart.seriesCount(); ++i) {
        chart.clearSeries(i);
        chart.setActive(i, false);
    }
    // The graph is drawn once, at the end.
    chart.restoreHome();
    chart.setAxisTitle(Axis::Left, texts::LeftAxisTitle);

    const int span = spanDays(points.firstDate, points.lastDate);
    // The temperature (series 0) on its own axis leaves the left one, and
    // its AutoScale, to the displacements.
    chart.setOnRightAxis(0, look.temperatureOwnAxis);
    chart.setRightAxisTitle(look.temperatureOwnAxis ? texts::TemperatureAxisTitle : QString());
    chart.setAutomatic(Axis::Left, true);
    static const std::vector<double> none;
    for (const SeriesBinding& s : series) {
        const std::vector<double>* values = points.column(s.column);
        chart.setPoints(s.index, points.keys, values ? *values : none);
        chart.setHollowPoints(s.index, points.suspect);
        chart.setSeriesTitle(s.index, s.title);
        chart.setActive(s.index, true);
    }
    chart.setAutomatic(Axis::Left, false);
    if (look.temperatureOwnAxis) chart.fitRightAxis();
    // Anchor k's series reads Disp<k>; the side of the lines goes by every
    // series in mm, the temperature's aside.
    std::map<int, int> anchorOf;
    std::vector<int> inMillimetres;
    for (const SeriesBinding& s : series) {
        if (s.index != 0) inMillimetres.push_back(s.index);
        if (s.column.startsWith(QLatin1String("Disp"))) anchorOf[s.index] = s.column.mid(4).toInt();
    }
    if (levels.triggers.any())
        chart.setLevelLines(
            [levels, anchorOf](const std::vector<int>& shown) {
                std::vector<int> anchors;
                for (const int i : shown)
                    if (const auto it = anchorOf.find(i); it != anchorOf.end())
                        anchors.push_back(it->second);
                return levelLines(levels, anchors);
            },
            inMillimetres);
    else
        chart.setLevelLines({}, {});
    const std::pair<double, double> extremes = chart.leftExtremes();
    const AxisScale s = leftScale(GraphKind::Time, scaleText, extremes.first, extremes.second,
                                  chart.nearestLevelLine());
    chart.setMinimum(Axis::Left, s.minimum);
    chart.setIncrement(Axis::Left, s.increment);
    chart.setMaximum(Axis::Left, s.maximum);

    switch (timeAxisFor(span)) {
    case TimeAxis::Hours:
    case TimeAxis::CoarseHours:
        chart.setIncrement(Axis::Bottom,
                           Chart::dateTimeStep(timeAxisFor(span) == TimeAxis::Hours ? 11 : 12));
        chart.setDateTimeFormat(QStringLiteral("hh:nn"));
        chart.setAxisTitle(Axis::Bottom, points.firstDate);
        break;
    case TimeAxis::Dates:
        chart.setIncrement(Axis::Bottom, 0);
        chart.setDateTimeFormat(QStringLiteral("yyyy/mm/dd"));
        chart.setAutomaticMinimum(Axis::Bottom);
        break;
    }
}

LengthDrawing drawLengthGraph(Chart& chart, const GraphSetup& setup, const LengthProfiles& profiles,
                              const QString& scaleText, const GraphLevels& levels) {
    chart.clearTitle();
    chart.addTitleLine(setup.sensorNumber);
    chart.setAxisTitle(Axis::Left, texts::LeftAxisTitle);
    for (int i = 0; i < chart.seriesCount(); ++i) {
        chart.clearSeries(i);
        chart.setActive(i, false);
    }
    // The graph is drawn once, at the end.
    chart.restoreHome();
    chart.setMinimum(Axis::Bottom, 0);

    const ProfileWindow window = profileWindow(profiles.selected);
    LengthDrawing drawn;
    drawn.tooMany = window.tooMany;
    drawn.profileTimes.assign(size_t(chart.seriesCount()), QString());
    // Series 1 on; series 0 stays unused.
    const int count = std::min(
        {window.count, int(profiles.profiles.size()), std::max(0, chart.seriesCount() - 1)});
    const size_t from = profiles.profiles.size() - size_t(count);
    const std::vector<QString> titles =
        profileTitles(std::span<const Profile>(profiles.profiles).subspan(from));
    for (int i = 1; i <= count; ++i) {
        const Profile& reading = profiles.profiles[from + size_t(i - 1)];
        chart.setActive(i, true);
        chart.setSeriesTitle(i, titles[size_t(i - 1)]);
        chart.setHollowSeries(i, reading.suspect);
        drawn.profileTimes[size_t(i)] =
            QStringLiteral("%1 %2").arg(profileDate(reading), reading.readingTime);
        const auto value = [&](const QString& column) { return reading.value(column); };
        for (const QPointF& p : profilePoints(setup, value))
            chart.addPoint(i, p.x(), p.y());
        chart.setMinimum(Axis::Bottom, 0);
        chart.setMaximum(Axis::Bottom, lengthAxisMaximum(chart.seriesMaximumX(i)));
    }
    std::vector<int> profilesDrawn, anchors;
    for (int i = 1; i <= count; ++i)
        profilesDrawn.push_back(i);
    for (int k = 1; k <= std::clamp(setup.numNodes, 0, 8); ++k)
        anchors.push_back(k);
    if (levels.triggers.any()) {
        const std::vector<LevelLine> lines = levelLines(levels, anchors);
        chart.setLevelLines([lines](const std::vector<int>&) { return lines; }, profilesDrawn);
    } else {
        chart.setLevelLines({}, {});
    }
    const std::pair<double, double> extremes = chart.leftExtremes();
    const AxisScale s = leftScale(GraphKind::Length, scaleText, extremes.first, extremes.second,
                                  chart.nearestLevelLine());
    chart.setMinimum(Axis::Left, s.minimum);
    chart.setIncrement(Axis::Left, s.increment);
    chart.setMaximum(Axis::Left, s.maximum);
    return drawn;
}

} // namespace graphs
