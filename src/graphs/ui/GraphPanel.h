// The glue of the graph tabs: entering them prepares and draws the graph, the
// scale selector, the tips and the picture export.
#pragma once

#include "app/shell/AppState.h"
#include "graphs/GraphData.h"
#include "graphs/ui/GraphControls.h"
#include "readings/Displacement.h"
#include "sensors/SensorKind.h"

#include <QObject>

namespace graphs {

class Chart;

class GraphPanel : public QObject {
    Q_OBJECT
public:
    GraphPanel(app::AppState& state, const GraphControls& ui, sensors::CurrentSensorOf current,
               QObject* parent = nullptr);

    // The tab change into tab 3 or 4: with at least two selected readings the
    // graph is prepared and drawn; otherwise the tab control goes back to
    // previousTab and the user is told why.
    void enterTimeGraph(int previousTab);
    void enterLengthGraph(int previousTab);

    // Draw what the preparation handed over; without it (or when it failed)
    // the selected rows are read as they stand.
    void DrawTgraph(const TimePoints* points = nullptr);
    void DrawSgraph(const LengthProfiles* profiles = nullptr);

    // cmdTemp and cmdDvl: the graph as last drawn into the data folder, then
    // opened in the desktop's viewer.
    void exportPicture(Chart& chart, const QString& fileName);
    void showTips();
    // chkTempAxis: stored, and the time graph drawn again when it shows.
    void temperatureAxisToggled(bool on);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void enterGraph(GraphKind kind, int previousTab);
    // The current sensor's graph setup and its head option as stored.
    GraphSetup setup() const;
    readings::HeadLocation head() const;
    // The scale selector shows on whichever graph tab is entered.
    void showScaleOn(int tab);

    app::AppState& state_;
    const GraphControls ui_;
    const sensors::CurrentSensorOf current_;
    bool refusing_ = false;
    std::vector<QString> profileTimes_; // FullDate of each length series
};

} // namespace graphs
