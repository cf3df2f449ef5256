#include "levels/SensorStatus.h"

#include "store/RowWatch.h"

#include "readings/Displacement.h"
#include "readings/Quality.h"
#include "readings/ReadingKey.h"
#include "readings/ZeroHistory.h"
#include "sensors/SensorTypes.h"
#include "store/Schema.h"

#include <QSet>
#include <QStringList>

#include <algorithm>
#include <cmath>

namespace levels {

namespace {

const QString StoredForm = QStringLiteral("yyyy-MM-dd HH:mm:ss");

// Built once: every status reads it.
const QString& channelColumns() {
    static const QString columns = [] {
        QStringList c;
        for (int i = 1; i <= 10; ++i)
            c << QStringLiteral("t.Channel%1").arg(i);
        return c.join(QStringLiteral(", "));
    }();
    return columns;
}

// A stored moment as seconds on a clock without daylight saving, for spans.
std::optional<qint64> moment(const QString& fullDate) {
    const QByteArray text = fullDate.toLatin1();
    return readings::fullDateSeconds(std::string_view(text.constData(), size_t(text.size())));
}

struct RegisterRow {
    QString number, mineLevel, location;
    int anchors = 0;
    bool headAtCollar = true;
    bool destroyed = false;
};

std::vector<RegisterRow> registerRows(store::Database& db, const QString& only = QString()) {
    std::vector<RegisterRow> rows;
    store::Statement st = db.prepare(
        QStringLiteral("SELECT InstrumentID, Level, Location, SensorType, ifnull(HeadLocation, 1), "
                       "Destroyed FROM Sensors%1 ORDER BY InstrumentID")
            .arg(only.isNull() ? QString() : QStringLiteral(" WHERE InstrumentID = ?1")));
    if (!only.isNull()) st.bind(1, only);
    while (st.step()) {
        RegisterRow r;
        r.number = st.text(0);
        r.mineLevel = st.text(1);
        r.location = st.text(2);
        if (const sensors::SensorType* type = sensors::findSensorType(st.text(3)))
            r.anchors = type->nodes;
        r.headAtCollar = st.int64(4) != 0;
        r.destroyed = st.text(5).compare(QStringLiteral("Yes"), Qt::CaseInsensitive) == 0;
        rows.push_back(r);
    }
    return rows;
}

struct Reading {
    QString fullDate, key;
    readings::Channels channels;
    QVariant channelT;
};

// The latest valid reading of the table at or before the moment.
std::optional<Reading> latestValid(store::Database& db, const QString& number,
                                   const std::optional<QString>& atOrBefore) {
    store::Statement st = db.prepare(
        QStringLiteral("SELECT t.ChannelT, %1, t.FullDate, t.DateTimeKey FROM %2 t WHERE "
                       "t.FullDate IS NOT NULL%3%4 ORDER BY t.FullDate DESC, t._rowid_ DESC "
                       "LIMIT 1")
            .arg(channelColumns(), store::quoteName(number),
                 atOrBefore ? QStringLiteral(" AND t.FullDate <= ?2") : QString(),
                 readings::invalidLeftOut(db, QStringLiteral("t.DateTimeKey"), 1)));
    st.bind(1, number);
    if (atOrBefore) st.bind(2, *atOrBefore);
    std::optional<Reading> found;
    if (st.step()) {
        Reading r;
        r.channelT = readings::ruleValue(st, 0);
        for (int i = 1; i <= 10; ++i)
            r.channels[size_t(i)] = readings::ruleValue(st, i);
        r.fullDate = st.text(11);
        r.key = st.text(12);
        found = r;
    }
    st.reset();
    return found;
}

// Each anchor's displacement at the reading, as the graphs compute it.
std::vector<std::optional<double>> anchorDisplacements(readings::ZeroPlan& plan, const Reading& r,
                                                       const RegisterRow& row) {
    std::vector<std::optional<double>> out(size_t(row.anchors));
    readings::Displacements d;
    const readings::OffsetNumbers* offsets = plan.offsetsAt(r.fullDate.toStdString());
    if (!offsets || !readings::SetZeros(*offsets, r.channels, r.channelT, d)) return out;
    readings::SetHeadlocs(row.headAtCollar ? readings::HeadLocation::Collar
                                           : readings::HeadLocation::Toe,
                          row.anchors, d);
    for (int k = 1; k <= row.anchors; ++k)
        out[size_t(k - 1)] = d.disp[size_t(k)];
    return out;
}

int reached(const Thresholds& thresholds, std::optional<double> value, int levelCount) {
    if (!value) return 0;
    int level = 0;
    for (const auto& [position, limit] : thresholds)
        if (position <= levelCount && std::abs(*value) >= limit) level = std::max(level, position);
    return level;
}

// readingTable: the sensor's reading table is in the file.
SensorStatus compute(store::Database& db, const RegisterRow& row, const SensorTriggers& triggers,
                     int levelCount, const std::optional<QString>& at, bool readingTable) {
    SensorStatus s;
    s.number = row.number;
    s.mineLevel = row.mineLevel;
    s.location = row.location;
    s.destroyed = row.destroyed;
    s.staleAfterHours = triggers.staleAfterHours;
    if (row.anchors <= 0 || !readingTable) return s;
    const std::optional<Reading> latest = latestValid(db, row.number, at);
    if (!latest) return s;
    s.noReadings = false;
    s.latestAt = latest->fullDate;
    if (const std::optional<readings::QualityFlag> flag =
            readings::qualityOf(db, row.number, latest->key))
        s.suspect = flag->quality == readings::Quality::Suspect;

    std::optional<Reading> earlier;
    const std::optional<qint64> latestSeconds = moment(latest->fullDate);
    if (latestSeconds)
        earlier =
            latestValid(db, row.number,
                        readings::fullDateOfSeconds(
                            *latestSeconds - qint64(std::llround(triggers.windowHours * 3600))));
    // The stored zeros first; the graph's own zero only where a reading
    // comes before them all (it costs a query of its own), or where the first
    // stored zero carries over the displacement measured from it.
    readings::ZeroPlan plan = readings::zeroPlan(db, row.number, std::nullopt);
    const bool reachedByStored =
        !plan.carryOverUnmeasured() &&
        plan.offsetsAt((earlier ? earlier->fullDate : latest->fullDate).toStdString()) &&
        plan.offsetsAt(latest->fullDate.toStdString());
    if (!reachedByStored) {
        const std::optional<readings::Channels> implicit =
            readings::graphZeroReading(db, row.number);
        plan = plan.empty() ? readings::implicitZeroPlan(implicit)
                            : readings::zeroPlan(db, row.number, implicit);
    }

    std::vector<std::optional<double>> before;
    if (earlier) before = anchorDisplacements(plan, *earlier, row);
    const std::vector<std::optional<double>> now = anchorDisplacements(plan, *latest, row);
    double days = 0;
    if (earlier)
        if (const std::optional<qint64> earlierSeconds = moment(earlier->fullDate))
            days = double(*latestSeconds - *earlierSeconds) / 86400.0;

    double most = -1;
    for (int k = 1; k <= row.anchors; ++k) {
        const std::optional<double> d = now[size_t(k - 1)];
        std::optional<double> rate;
        if (d && earlier && days > 0 && before[size_t(k - 1)])
            rate = (*d - *before[size_t(k - 1)]) / days;
        const int byDisp = reached(triggers.forAnchor(Kind::Displacement, k), d, levelCount);
        const int byRate = reached(triggers.forAnchor(Kind::Rate, k), rate, levelCount);
        const int level = std::max(byDisp, byRate);
        const double size = d ? std::abs(*d) : -0.5;
        // The highest level decides; among equals, the anchor that moved most.
        if (level > s.level || (level == s.level && size > most)) {
            s.level = level;
            s.anchor = k;
            s.displacement = d;
            s.rate = rate;
            s.decidedBy = byDisp >= byRate ? Kind::Displacement : Kind::Rate;
            most = size;
        }
    }
    return s;
}

int levelCountOf(store::Database& db, std::vector<TriggerLevel>* keep = nullptr) {
    std::vector<TriggerLevel> levels = siteLevels(db);
    const int n = int(levels.size());
    if (keep) *keep = std::move(levels);
    return n;
}

} // namespace

std::optional<double> ageHours(const SensorStatus& s, const QDateTime& now) {
    if (s.noReadings) return std::nullopt;
    const QDateTime t = QDateTime::fromString(s.latestAt, StoredForm);
    if (!t.isValid()) return std::nullopt;
    return double(t.secsTo(now)) / 3600.0;
}

bool noNewData(const SensorStatus& s, const QDateTime& now) {
    if (!s.staleAfterHours || s.destroyed || s.noReadings) return false;
    const std::optional<double> age = ageHours(s, now);
    return age && *age > *s.staleAfterHours;
}

Condition condition(const SensorStatus& s, const QDateTime& now) {
    if (s.level > 0) return Condition::Level;
    if (noNewData(s, now)) return Condition::NoNewData;
    if (s.noReadings) return Condition::NoReadings;
    return Condition::Normal;
}

QString statusText(const SensorStatus& s, const std::vector<TriggerLevel>& levels,
                   const QDateTime& now) {
    switch (condition(s, now)) {
    case Condition::Level:
        return s.level <= int(levels.size()) ? levels[size_t(s.level - 1)].name
                                             : QStringLiteral("Level %1").arg(s.level);
    case Condition::NoNewData:
        return QStringLiteral("no new data");
    case Condition::NoReadings:
        return QStringLiteral("no readings");
    case Condition::Normal:
        break;
    }
    return QStringLiteral("normal");
}

bool needsAttention(const SensorStatus& s, const QDateTime& now) {
    return s.level > 0 || noNewData(s, now);
}

int severity(const SensorStatus& s, const QDateTime& now) {
    switch (condition(s, now)) {
    case Condition::Level:
        return 10 + s.level;
    case Condition::NoNewData:
        return 3;
    case Condition::NoReadings:
        return 2;
    case Condition::Normal:
        break;
    }
    return 1;
}

void sortWorstFirst(std::vector<SensorStatus>& statuses, const QDateTime& now) {
    // Each severity once: it reads the latest reading's date.
    std::vector<std::pair<int, size_t>> order;
    order.reserve(statuses.size());
    for (size_t i = 0; i < statuses.size(); ++i)
        order.emplace_back(severity(statuses[i], now), i);
    std::stable_sort(order.begin(), order.end(), [&](const auto& a, const auto& b) {
        if (a.first != b.first) return a.first > b.first;
        return statuses[a.second].number < statuses[b.second].number;
    });
    std::vector<SensorStatus> sorted;
    sorted.reserve(statuses.size());
    for (const auto& [severity, i] : order)
        sorted.push_back(std::move(statuses[i]));
    statuses = std::move(sorted);
}

namespace {

// What a sensor's status is computed from besides its readings.
struct Inputs {
    RegisterRow row;
    SensorTriggers triggers;
};

// Every sensor's status; keep: each sensor's inputs, for the board.
std::vector<SensorStatus> computeAll(store::Database& db, const std::optional<QString>& at,
                                     std::map<QString, Inputs>* keep) {
    std::vector<SensorStatus> out;
    // One read transaction for all: a statement of its own would take and
    // give back the file's lock, and look for a journal, every time.
    db.transaction([&] {
        const int levelCount = levelCountOf(db);
        std::map<QString, SensorTriggers> triggers = allSensorTriggers(db);
        const QStringList names = db.tableNames();
        const QSet<QString> tables(names.begin(), names.end());
        for (const RegisterRow& row : registerRows(db)) {
            const auto it = triggers.find(row.number);
            const SensorTriggers t = it == triggers.end() ? SensorTriggers() : it->second;
            out.push_back(compute(db, row, t, levelCount, at, tables.contains(row.number)));
            if (keep) keep->insert_or_assign(row.number, Inputs{row, t});
        }
    });
    return out;
}

} // namespace

std::vector<SensorStatus> siteStatus(store::Database& db, const std::optional<QString>& at) {
    return computeAll(db, at, nullptr);
}

SensorStatus sensorStatus(store::Database& db, const QString& sensorNumber,
                          const std::optional<QString>& at) {
    const std::vector<RegisterRow> rows = registerRows(db, sensorNumber);
    if (rows.empty())
        throw store::Error(store::code::NotFound,
                           QStringLiteral("no sensor %1 in the register").arg(sensorNumber));
    return compute(db, rows.front(), sensorTriggers(db, sensorNumber), levelCountOf(db), at,
                   db.hasTable(sensorNumber));
}

// ---------------------------------------------------------------- the board

// What the board watches: the sensors named by writes to the tables that
// many sensors share (a temporary table filled by temporary triggers, seen by
// this connection only), the writes to each reading table, and whatever this
// connection cannot attribute or another program committed.
struct StatusBoard::Watch {
    // Writes to each sensor's reading table when it was last computed, with
    // the table's key in the connection's count, made once.
    struct Writes {
        std::string key;
        std::uint64_t count = 0;
    };
    std::map<QString, Writes> readingWrites;
    void note(store::Database& db, const QString& number) {
        Writes& w = readingWrites[number];
        if (w.key.empty()) w.key = number.toLower().toStdString();
        w.count = db.writesTo(w.key);
    }
    std::map<QString, std::pair<qint64, qint64>> tables; // reading tables as last seen
    std::map<QString, Inputs> inputs; // read again when the temporary table names the sensor
    std::uint64_t levelsWrites = 0;
    std::uint64_t unattributed = 0;
    std::int64_t schema = 0, others = 0;
    std::unique_ptr<store::RowWatch> rows;
    std::uint64_t sharedWrites = 0;
};

namespace {

// Where each reading table starts in the file: one that came or went since
// the last look. A table emptied by being made again (its readings moved to
// the recycle area) is seen by the recycle area's watch.
std::map<QString, std::pair<qint64, qint64>> tableMarks(store::Database& db) {
    std::map<QString, std::pair<qint64, qint64>> marks;
    // Every table, so that one made with a sensor added now is known next time.
    for (const auto& [name, identity] : store::tableIdentities(db))
        marks[name] = {identity, 0};
    return marks;
}

} // namespace

StatusBoard::StatusBoard(store::Database& db)
    : db_(db), watch_(std::make_unique<Watch>()), serial_(db.serial()) {}

StatusBoard::~StatusBoard() = default;

const SensorStatus* StatusBoard::find(const QString& number) const {
    for (const SensorStatus& s : statuses_)
        if (s.number == number) return &s;
    return nullptr;
}

std::set<QString> StatusBoard::refresh() {
    if (!watch_->rows)
        watch_->rows = std::make_unique<store::RowWatch>(db_, store::RowWatch::sensorTables());
    std::set<QString> changed;
    store::Database::ChangeStamp stamp, after;
    // One transaction: the file's lock taken once, and one moment's state.
    db_.transaction([&] {
        stamp = db_.changeStamp(QStringLiteral("TriggerLevels"));
        // The sensors named by writes to the shared tables: their records or
        // triggers may have changed too.
        const std::set<QString> named = watch_->rows->takeTouched();
        // Where the engine cannot name them, any such write may touch any sensor.
        const std::uint64_t shared = watch_->rows->writes();
        const bool unnamed = !watch_->rows->precise() && shared != watch_->sharedWrites;
        watch_->sharedWrites = shared;
        // The board's own writes to its temporary table are not a change.
        after = db_.changeStamp(QStringLiteral("TriggerLevels"), false);
        after.schema = stamp.schema;
        after.others = stamp.others;

        const bool everything = !built_ || unnamed || stamp.table != watch_->levelsWrites ||
                                stamp.unattributed != watch_->unattributed ||
                                stamp.others != watch_->others;
        if (everything) {
            levelCountOf(db_, &levels_);
            watch_->inputs.clear();
            statuses_ = computeAll(db_, std::nullopt, &watch_->inputs);
            for (const SensorStatus& s : statuses_)
                changed.insert(s.number);
            computed_ += qint64(statuses_.size());
            watch_->readingWrites.clear();
            for (const SensorStatus& s : statuses_)
                watch_->note(db_, s.number);
            watch_->tables = tableMarks(db_);
            built_ = true;
            return;
        }
        std::set<QString> dirty = named;
        // A sensor added or deleted changes the schema too (its reading table):
        // only the tables that came, went or were made again count.
        if (stamp.schema != watch_->schema) {
            auto marks = tableMarks(db_);
            for (const SensorStatus& s : statuses_) {
                const auto now = marks.find(s.number);
                const auto before = watch_->tables.find(s.number);
                const bool same = now == marks.end() ? before == watch_->tables.end()
                                                     : before != watch_->tables.end() &&
                                                           before->second == now->second;
                if (!same) dirty.insert(s.number);
            }
            watch_->tables = std::move(marks);
        }
        for (const auto& [number, writes] : watch_->readingWrites)
            if (db_.writesTo(writes.key) != writes.count) dirty.insert(number);
        const int levelCount = int(levels_.size());
        for (const QString& number : dirty) {
            auto it = std::find_if(statuses_.begin(), statuses_.end(),
                                   [&](const SensorStatus& s) { return s.number == number; });
            auto known = watch_->inputs.find(number);
            if (known == watch_->inputs.end() || named.count(number)) {
                const std::vector<RegisterRow> rows = registerRows(db_, number);
                if (rows.empty()) { // deleted, or renamed away
                    if (it != statuses_.end()) statuses_.erase(it);
                    watch_->readingWrites.erase(number);
                    watch_->tables.erase(number);
                    watch_->inputs.erase(number);
                    changed.insert(number);
                    continue;
                }
                known =
                    watch_->inputs
                        .insert_or_assign(number, Inputs{rows.front(), sensorTriggers(db_, number)})
                        .first;
            }
            SensorStatus s = compute(db_, known->second.row, known->second.triggers, levelCount,
                                     std::nullopt, watch_->tables.count(number) > 0);
            ++computed_;
            if (it != statuses_.end()) {
                *it = std::move(s);
            } else {
                const auto at = std::lower_bound(
                    statuses_.begin(), statuses_.end(), number,
                    [](const SensorStatus& a, const QString& n) { return a.number < n; });
                statuses_.insert(at, std::move(s));
            }
            watch_->note(db_, number);
            changed.insert(number);
        }
    });
    watch_->levelsWrites = after.table;
    watch_->unattributed = after.unattributed;
    watch_->schema = after.schema;
    watch_->others = after.others;
    return changed;
}

} // namespace levels
