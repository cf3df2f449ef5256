#include "graphs/GraphData.h"

#include "app/TextFormat.h"
#include "graphs/Texts.h"
#include "readings/Quality.h"
#include "readings/ReadingKey.h"
#include "readings/ReadingStore.h"
#include "readings/Texts.h"
#include "readings/ZeroHistory.h"
#include "sensors/RoofLocations.h"
#include "sensors/SensorRecord.h"
#include "sensors/SensorTypes.h"
#include "store/BatchUpdate.h"
#include "store/RowSet.h"
#include "store/Schema.h"

#include <QDateTime>
#include <QSet>

#include <algorithm>
#include <cmath>
#include <deque>
#include <limits>

namespace graphs {

using readings::HeadLocation;

QString graphQuery(GraphKind kind, const QString& sensorNumber) {
    const QString flag =
        kind == GraphKind::Time ? QStringLiteral("Plottemporal") : QStringLiteral("PlotSpatial");
    return QStringLiteral("SELECT * FROM %1 WHERE %2 = True ORDER BY FullDate")
        .arg(store::quoteName(sensorNumber), flag);
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

// A number as the length graph has always read it: through its shown text, to
// 15 significant digits.
std::optional<double> asShown(const std::optional<double>& v) {
    if (!v) return std::nullopt;
    return app::toNumber(readings::shownValue(*v));
}

// Where a time series' column sits in a prepared row.
struct RowField {
    enum Kind { Zero, Disp, NumTemp, Reference } kind = NumTemp;
    size_t index = 0;
    double of(const readings::Displacements& row) const {
        const std::optional<double>& v = kind == Zero      ? row.zero[index]
                                         : kind == Disp    ? row.disp[index]
                                         : kind == NumTemp ? row.numTemp
                                                           : row.reference;
        return v.value_or(std::numeric_limits<double>::quiet_NaN());
    }
};

std::optional<RowField> rowField(const QString& column) {
    auto numbered = [&](const QString& prefix, size_t last) -> std::optional<size_t> {
        if (!column.startsWith(prefix, Qt::CaseInsensitive)) return std::nullopt;
        bool ok = false;
        const int n = column.mid(prefix.size()).toInt(&ok);
        if (!ok || n < 1 || size_t(n) > last) return std::nullopt;
        return size_t(n);
    };
    if (column.compare(QStringLiteral("NumTemp"), Qt::CaseInsensitive) == 0)
        return RowField{RowField::NumTemp, 0};
    if (column.compare(QStringLiteral("Reference"), Qt::CaseInsensitive) == 0)
        return RowField{RowField::Reference, 0};
    if (auto n = numbered(QStringLiteral("Disp"), DispCount)) return RowField{RowField::Disp, *n};
    if (auto n = numbered(QStringLiteral("zero"), ZeroCount)) return RowField{RowField::Zero, *n};
    return std::nullopt;
}

std::optional<double> storedKey(const store::Statement& st, int column) {
    switch (st.kind(column)) {
    case store::Statement::Kind::Integer:
    case store::Statement::Kind::Real:
        return st.number(column);
    case store::Statement::Kind::Text:
        return dateTimeKey(st.utf8(column));
    default:
        return std::nullopt;
    }
}

// Each selected row once, in the graph's order: with Pass::Prepare its derived
// columns are computed and written where they changed; with Pass::Read they are
// taken as stored. points and profiles, when given, receive what the rows then
// hold.
enum class Pass { Prepare, Read };
void passRows(store::Database& db, const QString& number, GraphKind kind, Pass pass,
              HeadLocation head, int numNodes, const MismatchSink& onMismatch, TimePoints* points,
              LengthProfiles* profiles) {
    const QString table = store::quoteName(number);
    const QString flag =
        kind == GraphKind::Time ? QStringLiteral("Plottemporal") : QStringLiteral("PlotSpatial");
    QStringList derived;
    for (int i = 1; i <= ZeroCount; ++i)
        derived << QStringLiteral("zero%1").arg(i);
    derived << QStringLiteral("NumTemp");
    for (int i = 1; i <= DispCount; ++i)
        derived << QStringLiteral("Disp%1").arg(i);
    derived << QStringLiteral("Reference");
    const bool prepare = pass == Pass::Prepare;

    TimePoints collected;
    std::vector<RowField> fields;
    if (points) {
        for (const SeriesBinding& s : timeSeries(head, numNodes, {})) {
            const std::optional<RowField> f = rowField(s.column);
            if (!f) continue;
            fields.push_back(*f);
            collected.columns.emplace_back(s.column, std::vector<double>());
        }
    }
    LengthProfiles drawn;
    // The last rows met, the ones the length graph draws.
    std::deque<std::pair<qint64, readings::Displacements>> last;
    std::deque<bool> lastSuspect;
    // After the rowid and the columns of columnList().
    const int dateColumn = 1 + ChannelCount + 1 + ZeroCount + 1 + DispCount + 1;
    const int keyColumn = dateColumn + 2;
    // Suspect readings are drawn apart; a sensor has few of them, if any.
    QSet<QString> suspect;
    if (points || profiles)
        for (const QString& key : readings::keysOfQuality(db, number, readings::Quality::Suspect))
            suspect.insert(key);
    db.transaction([&] {
        // The graph's own order, ties by rowid as its row set has them;
        // invalid readings are never drawn, nor the zero.
        store::Statement select = db.prepare(
            QStringLiteral("SELECT _rowid_, %1, FullDate, ReadingDate, DateTimeKey FROM %2 WHERE "
                           "%3 = True%4 ORDER BY FullDate, _rowid_")
                .arg(columnList(), table, flag,
                     readings::invalidLeftOut(db, table + QStringLiteral(".DateTimeKey"), 1)));
        select.bind(1, number);
        std::optional<store::BatchUpdate> update;
        if (prepare) update.emplace(db, number, derived);
        readings::ZeroPlan plan;
        bool first = true;
        std::optional<qint64> lastRow;
        while (select.step()) {
            const store::Statement& st = select;
            readings::Channels channels;
            if (prepare)
                for (int i = 1; i <= ChannelCount; ++i)
                    channels[size_t(i)] = readings::ruleValue(st, i);
            const QVariant channelT =
                prepare ? readings::ruleValue(st, ChannelCount + 1) : QVariant();
            if (first) {
                if (points)
                    collected.firstDate =
                        readings::shownValue(readings::ruleValue(st, dateColumn + 1));
                // The earliest selected reading is the zero, until a stored one.
                if (prepare) plan = readings::zeroPlan(db, number, channels);
                first = false;
            }
            const bool doubtful =
                !suspect.isEmpty() &&
                suspect.contains(readings::shownValue(readings::ruleValue(st, keyColumn)));
            readings::Displacements row;
            int c = ChannelCount + 2;
            for (int i = 1; i <= ZeroCount; ++i)
                row.zero[size_t(i)] = readings::ruleNumber(st, c++);
            row.numTemp = readings::ruleNumber(st, c++);
            for (int i = 1; i <= DispCount; ++i)
                row.disp[size_t(i)] = readings::ruleNumber(st, c++);
            row.reference = readings::ruleNumber(st, c++);
            const readings::Displacements before = row;

            if (prepare) {
                const std::string_view fullDate = st.utf8(dateColumn);
                const readings::OffsetNumbers* offsets = plan.offsetsAt(fullDate);
                if ((!offsets || !readings::SetZeros(*offsets, channels, channelT, row)) &&
                    onMismatch)
                    onMismatch(readings::shownValue(readings::ruleValue(st, dateColumn)));
                readings::SetHeadlocs(head, numNodes, row);
            }
            if (points) {
                lastRow = select.int64(0);
                if (const std::optional<double> key = storedKey(st, dateColumn)) {
                    if (doubtful) collected.suspect.push_back(collected.keys.size());
                    collected.keys.push_back(*key);
                    for (size_t f = 0; f < fields.size(); ++f)
                        collected.columns[f].second.push_back(fields[f].of(row));
                }
            }
            if (profiles) {
                ++drawn.selected;
                last.emplace_back(select.int64(0), row);
                lastSuspect.push_back(doubtful);
                if (lastSuspect.size() > size_t(MaxProfiles)) lastSuspect.pop_front();
                if (last.size() > size_t(MaxProfiles)) last.pop_front();
            }
            // A row that already holds what it would be given is left
            // alone: entering a graph again rewrites only what changed.
            if (!prepare || row == before) continue;

            int b = 1;
            for (int i = 1; i <= ZeroCount; ++i)
                update->bind(b++, row.zero[size_t(i)]);
            update->bind(b++, row.numTemp);
            for (int i = 1; i <= DispCount; ++i)
                update->bind(b++, row.disp[size_t(i)]);
            update->bind(b++, row.reference);
            update->run(select.int64(0));
        }
        if (update) update->finish();
        if (points && lastRow) {
            store::Statement lastDate = db.prepare(
                QStringLiteral("SELECT ReadingDate FROM %1 WHERE _rowid_ = ?1").arg(table));
            lastDate.bind(1, *lastRow);
            if (lastDate.step())
                collected.lastDate = readings::shownValue(readings::ruleValue(lastDate, 0));
        }
        if (profiles) {
            store::Statement when = db.prepare(
                QStringLiteral("SELECT ReadingDate, ReadingTime FROM %1 WHERE _rowid_ = ?1")
                    .arg(table));
            const int n = std::clamp(numNodes, 0, 8);
            size_t drawnRow = 0;
            for (const auto& [rowid, row] : last) {
                Profile p;
                p.suspect = lastSuspect[drawnRow++];
                when.bind(1, rowid);
                if (when.step()) {
                    p.readingDate = readings::shownValue(readings::ruleValue(when, 0));
                    p.readingTime = readings::shownValue(readings::ruleValue(when, 1));
                }
                when.reset();
                if (n > 0)
                    p.values.emplace_back(QStringLiteral("zero%1").arg(n),
                                          asShown(row.zero[size_t(n)]));
                for (int k = 1; k <= n; ++k)
                    p.values.emplace_back(QStringLiteral("Disp%1").arg(k),
                                          asShown(row.disp[size_t(k)]));
                drawn.profiles.push_back(std::move(p));
            }
        }
    });
    if (points) {
        collected.prepared = prepare;
        *points = std::move(collected);
    }
    if (profiles) {
        drawn.prepared = prepare;
        *profiles = std::move(drawn);
    }
}

} // namespace

TimePoints prepareTimeGraph(store::Database& db, const QString& sensorNumber, HeadLocation head,
                            int numNodes, const MismatchSink& onMismatch) {
    TimePoints points;
    passRows(db, sensorNumber, GraphKind::Time, Pass::Prepare, head, numNodes, onMismatch, &points,
             nullptr);
    return points;
}

LengthProfiles prepareLengthGraph(store::Database& db, const QString& sensorNumber,
                                  HeadLocation head, int numNodes, const MismatchSink& onMismatch) {
    LengthProfiles profiles;
    passRows(db, sensorNumber, GraphKind::Length, Pass::Prepare, head, numNodes, onMismatch,
             nullptr, &profiles);
    return profiles;
}

TimePoints storedTimePoints(store::Database& db, const QString& sensorNumber, HeadLocation head,
                            int numNodes) {
    TimePoints points;
    passRows(db, sensorNumber, GraphKind::Time, Pass::Read, head, numNodes, {}, &points, nullptr);
    return points;
}

LengthProfiles storedProfiles(store::Database& db, const QString& sensorNumber, int numNodes) {
    LengthProfiles profiles;
    passRows(db, sensorNumber, GraphKind::Length, Pass::Read, HeadLocation::Collar, numNodes, {},
             nullptr, &profiles);
    return profiles;
}

const std::vector<double>* TimePoints::column(const QString& name) const {
    for (const auto& [column, values] : columns)
        if (column.compare(name, Qt::CaseInsensitive) == 0) return &values;
    return nullptr;
}

bool TimePoints::holds(HeadLocation head, int numNodes) const {
    for (const SeriesBinding& s : timeSeries(head, numNodes, {}))
        if (!column(s.column)) return false;
    return true;
}

QString profileDate(const Profile& profile) {
    const std::optional<QDate> d = app::toDate(profile.readingDate);
    return d ? d->toString(QStringLiteral("yyyy/MM/dd")) : profile.readingDate;
}

std::vector<QString> profileTitles(std::span<const Profile> profiles) {
    std::vector<QString> dates;
    for (const Profile& p : profiles)
        dates.push_back(profileDate(p));
    std::vector<QString> titles;
    for (size_t k = 0; k < profiles.size(); ++k) {
        const bool shared = std::count(dates.begin(), dates.end(), dates[k]) > 1;
        titles.push_back(
            shared ? QStringLiteral("%1 %2").arg(dates[k], profiles[k].readingTime.left(5))
                   : dates[k]);
    }
    return titles;
}

std::optional<double> Profile::value(const QString& column) const {
    for (const auto& [name, v] : values)
        if (name.compare(column, Qt::CaseInsensitive) == 0) return v;
    return std::nullopt;
}

GraphSetup graphSetup(const QString& sensorNumber, const sensors::SensorRecord& record,
                      int numNodes) {
    GraphSetup setup;
    setup.sensorNumber = sensorNumber;
    setup.head = record.headAtCollar ? HeadLocation::Collar : HeadLocation::Toe;
    setup.numNodes = numNodes;
    setup.recess = record.recess;
    // The installation tab's boxes, worked out as the tab works them out.
    const sensors::RoofLocations roof = sensors::roofLocationsOf(record, numNodes);
    setup.headLocation = roof.head;
    for (size_t k = 1; k <= 8; ++k)
        setup.anchors[k] = roof.anchors[k - 1];
    for (int k = 1; k <= std::clamp(numNodes, 0, 8); ++k)
        setup.nodeLabels << setup.anchors[size_t(k)] + texts::NodeLabelUnit;
    return setup;
}

GraphSetup graphSetup(store::Database& db, const QString& sensorNumber) {
    store::RowSet rs(db,
                     QStringLiteral("SELECT * FROM ") + store::quoteName(store::table::Sensors));
    if (rs.RecordCount() > 0)
        rs.Find(store::textEquals(QStringLiteral("InstrumentID"), sensorNumber));
    if (rs.RecordCount() == 0 || rs.isEOF())
        throw store::Error(store::code::NotFound,
                           QStringLiteral("sensor %1 is not in the register").arg(sensorNumber));
    const QString code = sensors::splitSensorNumber(sensorNumber).typeCode;
    const sensors::SensorType* type = sensors::findSensorType(code);
    if (!type)
        throw store::Error(store::code::Mismatch,
                           QStringLiteral("sensor %1 has type code %2, which is no sensor type")
                               .arg(sensorNumber, code));
    return graphSetup(sensorNumber, sensors::readSensorRecord(rs), type->nodes);
}

std::optional<double> dateTimeKey(std::string_view stored) {
    const std::optional<qint64> seconds = readings::fullDateSeconds(stored);
    if (!seconds) return std::nullopt;
    return double(*seconds);
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
