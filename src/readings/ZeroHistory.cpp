#include "readings/ZeroHistory.h"

#include "readings/Quality.h"
#include "store/Audit.h"
#include "store/Schema.h"

namespace readings {

namespace {

const QString ZeroTable = QStringLiteral("ZeroReadings");

QString channelList() {
    QStringList c;
    for (int i = 1; i <= 10; ++i)
        c << QStringLiteral("t.Channel%1").arg(i);
    return c.join(QStringLiteral(", "));
}

Channels channelsOf(store::Statement& st) {
    Channels channels;
    for (int i = 1; i <= 10; ++i)
        channels[size_t(i)] = ruleValue(st, i - 1);
    return channels;
}

// The channels of the sensor's valid or suspect reading at fullDate, or of
// the last one before it.
enum class Where { At, Before };
std::optional<Channels> usableReading(store::Database& db, const QString& sensorNumber,
                                      const QString& fullDate, Where where) {
    store::Statement st = db.prepare(
        QStringLiteral("SELECT %1 FROM %2 t WHERE t.FullDate %3 ?2%4 ORDER BY %5 LIMIT 1")
            .arg(channelList(), store::quoteName(sensorNumber),
                 where == Where::At ? QStringLiteral("=") : QStringLiteral("<"),
                 invalidLeftOut(db, QStringLiteral("t.DateTimeKey"), 1),
                 where == Where::At ? QStringLiteral("t._rowid_")
                                    : QStringLiteral("t.FullDate DESC, t._rowid_ DESC")));
    st.bind(1, sensorNumber);
    st.bind(2, fullDate);
    std::optional<Channels> found;
    if (st.step()) found = channelsOf(st);
    st.reset();
    return found;
}

OffsetNumbers numbersOf(const Channels& channels) {
    return offsetNumbers(GetOffsets(channels));
}

} // namespace

std::vector<ZeroReading> zeroReadings(store::Database& db, const QString& sensorNumber) {
    std::vector<ZeroReading> zeros;
    if (!db.hasTable(ZeroTable)) return zeros;
    store::Statement st = db.prepare(QStringLiteral(
        "SELECT ZeroID, ZeroAt, Reason, CarryOver, SetBy, SetAt, RetiredBy, RetiredAt, "
        "RetiredReason FROM ZeroReadings WHERE SensorID = ?1 ORDER BY ZeroAt, ZeroID"));
    st.bind(1, sensorNumber);
    while (st.step())
        zeros.push_back({st.int64(0), st.text(1), st.text(2), st.int64(3) != 0, st.text(4),
                         st.text(5), st.text(6), st.text(7), st.text(8)});
    return zeros;
}

qint64 setZero(store::Database& db, const QString& sensorNumber, const QString& fullDate,
               const QString& reason, bool carryOver) {
    qint64 id = 0;
    db.transaction([&] {
        const QString moment = momentText(fullDate);
        if (!db.hasTable(sensorNumber))
            throw store::Error(store::code::NotFound,
                               QStringLiteral("sensor %1 has no reading table").arg(sensorNumber));
        {
            store::Statement st = db.prepare(
                QStringLiteral("SELECT t.DateTimeKey, ifnull(q.Quality, 'valid') FROM %1 t LEFT "
                               "JOIN ReadingQuality q ON q.SensorID = ?1 AND q.DateTimeKey = "
                               "t.DateTimeKey WHERE t.FullDate = ?2 ORDER BY t._rowid_ LIMIT 1")
                    .arg(store::quoteName(sensorNumber)));
            st.bind(1, sensorNumber);
            st.bind(2, fullDate);
            if (!st.step())
                throw store::Error(
                    store::code::NotFound,
                    QStringLiteral("sensor %1 has no reading at %2").arg(sensorNumber, moment));
            const bool invalid = st.text(1) == qualityName(Quality::Invalid);
            st.reset();
            if (invalid)
                throw store::Error(store::code::Mismatch,
                                   QStringLiteral("the reading of sensor %1 at %2 is flagged "
                                                  "invalid and cannot be a zero reading")
                                       .arg(sensorNumber, moment));
        }
        for (const ZeroReading& z : zeroReadings(db, sensorNumber))
            if (!z.retired() && z.at == fullDate)
                throw store::Error(store::code::Mismatch,
                                   QStringLiteral("sensor %1 has a zero reading at %2 already; "
                                                  "retire it first")
                                       .arg(sensorNumber, moment));
        store::Statement insert = db.prepare(QStringLiteral(
            "INSERT INTO ZeroReadings (SensorID, ZeroAt, Reason, CarryOver, SetBy, SetAt) VALUES "
            "(?1, ?2, ?3, ?4, ?5, ?6)"));
        insert.bind(1, sensorNumber);
        insert.bind(2, fullDate);
        insert.bind(3, reason);
        insert.bind(4, qint64(carryOver ? 1 : 0));
        insert.bind(5, store::actorUser(db));
        insert.bind(6, store::actorStamp(db));
        insert.run();
        id = db.lastInsertId();
        store::AuditEntry e;
        e.operation = store::operation::ZeroSet;
        e.sensor = sensorNumber;
        e.target = moment;
        e.newValue = carryOver ? QStringLiteral("carry over") : QStringLiteral("from 0");
        e.note = reason;
        store::audit(db, e);
    });
    return id;
}

void retireZero(store::Database& db, const QString& sensorNumber, qint64 id,
                const QString& reason) {
    db.transaction([&] {
        QString at;
        for (const ZeroReading& z : zeroReadings(db, sensorNumber))
            if (z.id == id && !z.retired()) at = z.at;
        if (at.isEmpty())
            throw store::Error(store::code::NotFound,
                               QStringLiteral("sensor %1 has no zero reading %2 in force")
                                   .arg(sensorNumber)
                                   .arg(id));
        store::Statement st = db.prepare(
            QStringLiteral("UPDATE ZeroReadings SET RetiredBy = ?1, RetiredAt = ?2, RetiredReason "
                           "= ?3 WHERE ZeroID = ?4"));
        st.bind(1, store::actorUser(db));
        st.bind(2, store::actorStamp(db));
        st.bind(3, reason);
        st.bind(4, id);
        st.run();
        store::AuditEntry e;
        e.operation = store::operation::ZeroRetired;
        e.sensor = sensorNumber;
        e.target = momentText(at);
        e.note = reason;
        store::audit(db, e);
    });
}

std::optional<Channels> graphZeroReading(store::Database& db, const QString& sensorNumber) {
    // The key names the reading table's own column: inside the condition's
    // subquery a bare name would be the flag's.
    store::Statement st = db.prepare(
        QStringLiteral("SELECT %1 FROM %2 t WHERE t.Plottemporal = True%3 ORDER BY t.FullDate, "
                       "t._rowid_ LIMIT 1")
            .arg(channelList(), store::quoteName(sensorNumber),
                 invalidLeftOut(db, QStringLiteral("t.DateTimeKey"), 1)));
    st.bind(1, sensorNumber);
    std::optional<Channels> found;
    if (st.step()) found = channelsOf(st);
    st.reset();
    return found;
}

ZeroPlan zeroPlan(store::Database& db, const QString& sensorNumber,
                  const std::optional<Channels>& implicitZero) {
    ZeroPlan plan;
    if (implicitZero) plan.segments_.push_back({std::string(), numbersOf(*implicitZero)});
    for (const ZeroReading& z : zeroReadings(db, sensorNumber)) {
        if (z.retired()) continue;
        // A zero whose reading was deleted or made invalid no longer counts.
        const std::optional<Channels> zero = usableReading(db, sensorNumber, z.at, Where::At);
        if (!zero) continue;
        OffsetNumbers offsets = numbersOf(*zero);
        if (z.carryOver && plan.segments_.empty()) plan.carryUnmeasured_ = true;
        if (z.carryOver && !plan.segments_.empty()) {
            // The reading before the zero is measured by the last segment so
            // far: every earlier segment starts at or before it.
            if (const std::optional<Channels> before =
                    usableReading(db, sensorNumber, z.at, Where::Before)) {
                const OffsetNumbers& previous = plan.segments_.back().offsets;
                const OffsetNumbers last = numbersOf(*before);
                for (size_t i = 1; i <= 10; ++i)
                    if (offsets[i] && last[i] && previous[i])
                        offsets[i] = *offsets[i] - (*last[i] - *previous[i]);
            }
        }
        plan.segments_.push_back({z.at.toStdString(), offsets});
        plan.stored_ = true;
    }
    return plan;
}

ZeroPlan implicitZeroPlan(const std::optional<Channels>& implicitZero) {
    ZeroPlan plan;
    if (implicitZero) plan.segments_.push_back({std::string(), numbersOf(*implicitZero)});
    return plan;
}

const OffsetNumbers* ZeroPlan::offsetsAt(std::string_view fullDate) {
    if (segments_.empty()) return nullptr;
    if (at_ >= segments_.size() || fullDate < std::string_view(segments_[at_].from)) at_ = 0;
    while (at_ + 1 < segments_.size() && std::string_view(segments_[at_ + 1].from) <= fullDate)
        ++at_;
    if (fullDate < std::string_view(segments_[at_].from)) return nullptr;
    return &segments_[at_].offsets;
}

} // namespace readings
