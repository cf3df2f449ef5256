// The zero-reading history of a sensor: every baseline it ever had, never
// overwritten. A reading is measured from the latest zero at or before it;
// before the first stored zero (and without any) the earliest reading the
// graph selects is the zero, as it always was. With carry-over, the
// displacement of the last reading before a new zero is added to every later
// one, so that the record stays continuous across a replaced anchor or head.
#pragma once

#include "readings/Displacement.h"
#include "store/Database.h"

#include <QString>

#include <optional>
#include <string_view>
#include <vector>

namespace readings {

struct ZeroReading {
    qint64 id = 0;
    QString at; // the reading's FullDate, "yyyy-MM-dd HH:mm:ss"
    QString reason;
    bool carryOver = false;
    QString setBy, setAt;
    QString retiredBy, retiredAt, retiredReason; // empty while in force
    bool retired() const { return !retiredAt.isEmpty(); }
};

// Every zero of the sensor, retired ones included, in date order.
std::vector<ZeroReading> zeroReadings(store::Database& db, const QString& sensorNumber);

// A new zero at the reading of fullDate, audited, in one transaction; returns
// its id. Refused (store::Error naming the moment) when no reading is there,
// when that reading is invalid, or when a zero in force is there already.
qint64 setZero(store::Database& db, const QString& sensorNumber, const QString& fullDate,
               const QString& reason, bool carryOver);
// Retires a zero in force, audited; it stays in the list.
void retireZero(store::Database& db, const QString& sensorNumber, qint64 id, const QString& reason);

// The offsets each reading is measured with: the implicit zero first, then one
// segment per zero in force whose reading is there and not invalid.
class ZeroPlan {
public:
    // Offsets of the reading at fullDate; nothing when no zero reaches it.
    // Moments must come in ascending order for the walk to be cheap; an
    // earlier one starts the walk again.
    const OffsetNumbers* offsetsAt(std::string_view fullDate);
    bool empty() const { return segments_.empty(); }
    // True when a stored zero takes part.
    bool hasStoredZeros() const { return stored_; }
    // True when a stored zero carries over from a reading no zero of the plan
    // reached: made with the graph's own zero, it would carry it over.
    bool carryOverUnmeasured() const { return carryUnmeasured_; }

private:
    friend ZeroPlan zeroPlan(store::Database&, const QString&, const std::optional<Channels>&);
    friend ZeroPlan implicitZeroPlan(const std::optional<Channels>&);
    struct Segment {
        std::string from; // FullDate from which it applies; empty: from the start
        OffsetNumbers offsets;
    };
    std::vector<Segment> segments_;
    size_t at_ = 0;
    bool stored_ = false;
    bool carryUnmeasured_ = false;
};

// The channels of the earliest valid reading ticked for the time graph: the
// zero before the first stored one. Nothing when no reading is ticked.
std::optional<Channels> graphZeroReading(store::Database& db, const QString& sensorNumber);

// The plan of the sensor. implicitZero: the channels of the earliest reading
// the graph selects (nothing: no reading is selected).
ZeroPlan zeroPlan(store::Database& db, const QString& sensorNumber,
                  const std::optional<Channels>& implicitZero);
// The plan of a sensor without stored zeros in force: what zeroPlan gives
// then, without reading them again.
ZeroPlan implicitZeroPlan(const std::optional<Channels>& implicitZero);

} // namespace readings
