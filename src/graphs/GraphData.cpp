#include "graphs/GraphData.h"

#include "app/TextFormat.h"
#include "graphs/Texts.h"
#include "readings/ReadingStore.h"
#include "readings/Texts.h"
#include "store/RowSet.h"

#include <sqlite3.h>

#include <cmath>
#include <limits>

namespace graphs {

using readings::HeadLocation;

QString graphQuery(GraphKind kind, const QString& sensorNumber) {
    const QString flag =
        kind == GraphKind::Time ? QStringLiteral("Plottemporal") : QStringLiteral("PlotSpatial");
    return QStringLiteral("SELECT * FROM %1 WHERE %2 = True ORDER BY FullDate")
        .arg(store::quoteName(sensorNumber), flag);
}

void OpenGraphData(app::AppState& state, GraphKind kind) {
    state.rsGraphData.reset();
    app::logAndLeave(state.log, texts::OpenGraphDataLabel, [&] {
        const QString number = readings::currentSensorNumber(state);
        auto rs = std::make_unique<store::RowSet>(state.database(), graphQuery(kind, number));
        if (rs->RecordCount() > 0) rs->MoveFirst();
        state.rsGraphData = std::move(rs);
    });
}

int selectedReadings(app::AppState& state, GraphKind kind) {
    OpenGraphData(state, kind);
    const int count = state.rsGraphData ? state.rsGraphData->RecordCount() : 0;
    state.rsGraphData.reset();
    return count;
}

namespace {

// Columns of the preparation, in the order the statements use them.
constexpr int ChannelCount = 10;
constexpr int ZeroCount = 10;
constexpr int DispCount = 8;

QString columnList() {
    QStringList c;
    for (int i = 1; i <= ChannelCount; ++i)
        c << QStringLiteral("Channel%1").arg(i);
    c << QStringLiteral("ChannelT");
    for (int i = 1; i <= ZeroCount; ++i)
        c << QStringLiteral("zero%1").arg(i);
    c << QStringLiteral("NumTemp");
    for (int i = 1; i <= DispCount; ++i)
        c << QStringLiteral("Disp%1").arg(i);
    c << QStringLiteral("Reference");
    return c.join(QStringLiteral(", "));
}

QVariant stored(sqlite3_stmt* st, int column) {
    switch (sqlite3_column_type(st, column)) {
    case SQLITE_NULL:
        return {};
    case SQLITE_INTEGER:
    case SQLITE_FLOAT:
        return sqlite3_column_double(st, column);
    default:
        return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, column)),
                                 sqlite3_column_bytes(st, column));
    }
}

std::optional<double> storedNumber(sqlite3_stmt* st, int column) {
    const int type = sqlite3_column_type(st, column);
    if (type == SQLITE_INTEGER || type == SQLITE_FLOAT) return sqlite3_column_double(st, column);
    return std::nullopt;
}

void bindNumber(store::Statement& st, int index, const std::optional<double>& v) {
    if (v)
        st.bind(index, *v);
    else
        st.bindNull(index);
}

void prepare(app::AppState& state, GraphKind kind, HeadLocation head, const QString& label) {
    app::logAndLeave(state.log, label, [&] {
        store::Database& db = state.database();
        const QString number = readings::currentSensorNumber(state);
        const QString table = store::quoteName(number);
        const QString flag = kind == GraphKind::Time ? QStringLiteral("Plottemporal")
                                                     : QStringLiteral("PlotSpatial");
        QString assignments;
        int slot = 1;
        auto assign = [&](const QString& name) {
            if (!assignments.isEmpty()) assignments += QStringLiteral(", ");
            assignments += QStringLiteral("%1 = ?%2").arg(name).arg(slot++);
        };
        for (int i = 1; i <= ZeroCount; ++i)
            assign(QStringLiteral("zero%1").arg(i));
        assign(QStringLiteral("NumTemp"));
        for (int i = 1; i <= DispCount; ++i)
            assign(QStringLiteral("Disp%1").arg(i));
        assign(QStringLiteral("Reference"));
        const int rowidSlot = slot;

        db.transaction([&] {
            store::Statement select =
                db.prepare(QStringLiteral("SELECT _rowid_, %1 FROM %2 WHERE %3 = True ORDER BY "
                                          "FullDate")
                               .arg(columnList(), table, flag));
            store::Statement update =
                db.prepare(QStringLiteral("UPDATE %1 SET %2 WHERE _rowid_ = ?%3")
                               .arg(table, assignments)
                               .arg(rowidSlot));
            readings::OffsetNumbers offsets;
            bool first = true;
            while (select.step()) {
                sqlite3_stmt* st = select.get();
                readings::Channels channels;
                for (int i = 1; i <= ChannelCount; ++i)
                    channels[size_t(i)] = stored(st, i);
                const QVariant channelT = stored(st, ChannelCount + 1);
                if (first) {
                    // The earliest selected reading is the zero.
                    offsets = readings::offsetNumbers(readings::GetOffsets(channels));
                    first = false;
                }
                readings::Displacements row;
                int c = ChannelCount + 2;
                for (int i = 1; i <= ZeroCount; ++i)
                    row.zero[size_t(i)] = storedNumber(st, c++);
                row.numTemp = storedNumber(st, c++);
                for (int i = 1; i <= DispCount; ++i)
                    row.disp[size_t(i)] = storedNumber(st, c++);
                row.reference = storedNumber(st, c++);
                const readings::Displacements before = row;

                if (!readings::SetZeros(offsets, channels, channelT, row))
                    state.log.WriteLog(app::errorEntry(
                        store::code::Mismatch,
                        QStringLiteral("a channel has a value the zero reading lacks"),
                        readings::texts::SetZerosLabel));
                readings::SetHeadlocs(head, state.NumNodes, row);
                // A row that already holds what it would be given is left
                // alone: entering a graph again rewrites only what changed.
                if (row == before) continue;

                int b = 1;
                for (int i = 1; i <= ZeroCount; ++i)
                    bindNumber(update, b++, row.zero[size_t(i)]);
                bindNumber(update, b++, row.numTemp);
                for (int i = 1; i <= DispCount; ++i)
                    bindNumber(update, b++, row.disp[size_t(i)]);
                bindNumber(update, b++, row.reference);
                update.bind(rowidSlot, select.int64(0));
                update.run();
            }
        });
    });
}

} // namespace

void GetTemporalData(app::AppState& state, HeadLocation head) {
    prepare(state, GraphKind::Time, head, texts::GetTemporalDataLabel);
}

void GetSpatialData(app::AppState& state, HeadLocation head) {
    prepare(state, GraphKind::Length, head, texts::GetSpatialDataLabel);
}

std::vector<SeriesBinding> timeSeries(HeadLocation head, int numNodes,
                                      const QStringList& nodeLabels) {
    const int n = std::clamp(numNodes, 0, 8);
    auto label = [&](int node) {
        return node <= nodeLabels.size() ? nodeLabels[node - 1] : QString();
    };
    auto disp = [](int node) { return QStringLiteral("Disp%1").arg(node); };
    std::vector<SeriesBinding> series{{0, texts::TimeTitle, QStringLiteral("NumTemp")}};
    if (head == HeadLocation::Toe) {
        series.push_back({1, texts::HeadTitle, QStringLiteral("Reference")});
        for (int k = 1; k <= n; ++k)
            series.push_back({k + 1, label(k), disp(k)});
    } else {
        for (int j = 1; j <= n; ++j)
            series.push_back({j, label(n - j + 1), disp(n - j + 1)});
        if (n > 0) series.push_back({n + 1, texts::HeadTitle, QStringLiteral("zero%1").arg(n)});
    }
    return series;
}

ProfileWindow profileWindow(int selected) {
    if (selected <= MaxProfiles) return {0, std::max(0, selected), false};
    return {selected - MaxProfiles, MaxProfiles, true};
}

std::vector<QPointF>
profilePoints(const ProfileLayout& layout,
              const std::function<std::optional<double>(const QString&)>& value) {
    const int n = std::clamp(layout.numNodes, 0, 8);
    const double gap = std::numeric_limits<double>::quiet_NaN();
    auto y = [&](const QString& column) { return value(column).value_or(gap); };
    std::vector<QPointF> points;
    if (layout.head == HeadLocation::Collar)
        points.emplace_back(app::leadingNumber(layout.recess),
                            n > 0 ? y(QStringLiteral("zero%1").arg(n)) : gap);
    else
        points.emplace_back(app::leadingNumber(layout.headLocation), 0.0);
    for (int k = 1; k <= n; ++k)
        points.emplace_back(app::leadingNumber(layout.anchors[size_t(k)]),
                            y(QStringLiteral("Disp%1").arg(k)));
    return points;
}

int spanDays(const QString& firstDate, const QString& lastDate) {
    const QDate first = QDate::fromString(firstDate, QStringLiteral("yyyy/MM/dd"));
    const QDate last = QDate::fromString(lastDate, QStringLiteral("yyyy/MM/dd"));
    if (!first.isValid() || !last.isValid()) return 0;
    return int(first.daysTo(last));
}

} // namespace graphs
