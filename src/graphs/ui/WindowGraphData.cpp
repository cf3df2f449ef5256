#include "graphs/ui/WindowGraphData.h"

#include "graphs/Texts.h"
#include "readings/Texts.h"
#include "store/RowSet.h"

namespace graphs {

using readings::HeadLocation;

namespace {

// A failure of the rule on a row, as the window logs it.
MismatchSink mismatchLogger(const app::AppState& state) {
    return [&state](const QString&) {
        state.log.WriteLog(app::errorEntry(
            store::code::Mismatch, QStringLiteral("a channel has a value the zero reading lacks"),
            readings::texts::SetZerosLabel));
    };
}

} // namespace

void OpenGraphData(app::AppState& state, const QString& number, GraphKind kind) {
    state.rsGraphData.reset();
    app::logAndLeave(state.log, texts::OpenGraphDataLabel, [&] {
        auto rs = std::make_unique<store::RowSet>(state.database(), graphQuery(kind, number));
        if (rs->RecordCount() > 0) rs->MoveFirst();
        state.rsGraphData = std::move(rs);
    });
}

int selectedReadings(app::AppState& state, const QString& number, GraphKind kind) {
    OpenGraphData(state, number, kind);
    const int count = state.rsGraphData ? state.rsGraphData->RecordCount() : 0;
    state.rsGraphData.reset();
    return count;
}

TimePoints GetTemporalData(app::AppState& state, const sensors::CurrentSensor& sensor,
                           HeadLocation head) {
    TimePoints points;
    app::logAndLeave(state.log, texts::GetTemporalDataLabel, [&] {
        store::Database& db = state.database();
        points = prepareTimeGraph(db, sensor.number, head, sensor.nodes, mismatchLogger(state));
    });
    return points;
}

LengthProfiles GetSpatialData(app::AppState& state, const sensors::CurrentSensor& sensor,
                              HeadLocation head) {
    LengthProfiles profiles;
    app::logAndLeave(state.log, texts::GetSpatialDataLabel, [&] {
        store::Database& db = state.database();
        profiles = prepareLengthGraph(db, sensor.number, head, sensor.nodes, mismatchLogger(state));
    });
    return profiles;
}

} // namespace graphs
