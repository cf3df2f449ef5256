// Each sensor's status against its trigger levels: the highest level its
// latest valid reading reaches, by the displacement of an anchor (as the
// graphs compute it, from the zero-reading history) or by its rate over the
// sensor's trailing window; "no new data" when that reading is older than the
// sensor's limit; else "normal", or "no readings".
#pragma once

#include "levels/TriggerLevels.h"
#include "store/Database.h"

#include <QDateTime>
#include <QString>

#include <map>
#include <memory>
#include <optional>
#include <set>
#include <vector>

namespace levels {

struct SensorStatus {
    QString number;
    QString mineLevel, location; // the register's Level and Location
    bool destroyed = false;
    int level = 0;          // the position reached; 0 none
    bool noReadings = true; // no valid reading (at the moment asked)
    bool suspect = false;   // the latest valid reading is flagged suspect
    int anchor = 0; // the anchor that decided it (when none was reached, the one moved most)
    Kind decidedBy = Kind::Displacement;
    std::optional<double> displacement, rate; // that anchor's, mm and mm/day
    QString latestAt;                         // the latest valid reading's FullDate
    std::optional<double> staleAfterHours;
};

enum class Condition { Level, NoNewData, NoReadings, Normal };

// The latest reading's age in hours at now; nothing without a reading.
std::optional<double> ageHours(const SensorStatus& s, const QDateTime& now);
// True when the limit is set and the latest reading is older than it at now. A
// destroyed sensor sends nothing and is never late.
bool noNewData(const SensorStatus& s, const QDateTime& now);
Condition condition(const SensorStatus& s, const QDateTime& now);
// The level's name, "no new data", "normal" or "no readings".
QString statusText(const SensorStatus& s, const std::vector<TriggerLevel>& levels,
                   const QDateTime& now);
// A level reached or no new data: what a scheduled job reports.
bool needsAttention(const SensorStatus& s, const QDateTime& now);
// Worst first: the highest level, then no new data, no readings, normal.
int severity(const SensorStatus& s, const QDateTime& now);
// Sorts worst first, then by number.
void sortWorstFirst(std::vector<SensorStatus>& statuses, const QDateTime& now);

// The statuses of every sensor of the register, computed from nothing. at:
// only the readings up to that moment count (FullDate "yyyy-MM-dd HH:mm:ss").
std::vector<SensorStatus> siteStatus(store::Database& db, const std::optional<QString>& at = {});
// One sensor's, by the same rule. Throws store::Error for a sensor the
// register lacks.
SensorStatus sensorStatus(store::Database& db, const QString& sensorNumber,
                          const std::optional<QString>& at = {});

// The site's statuses kept up to date: built once, then after each change only
// the sensors whose readings, flags, zeros, triggers or record changed are
// computed again. It watches its connection's writes (temporary triggers,
// nothing in the file); a write by another program makes it compute all.
class StatusBoard {
public:
    explicit StatusBoard(store::Database& db);
    ~StatusBoard();
    StatusBoard(const StatusBoard&) = delete;
    StatusBoard& operator=(const StatusBoard&) = delete;

    // Brings the statuses up to date; returns the numbers computed again
    // (every sensor the first time).
    std::set<QString> refresh();
    // In register order.
    const std::vector<SensorStatus>& statuses() const { return statuses_; }
    const SensorStatus* find(const QString& number) const;
    const std::vector<TriggerLevel>& levels() const { return levels_; }
    // The connection the board watches (store::Database::serial).
    std::uint64_t serial() const { return serial_; }
    // How many sensors were computed since the board was made (tests read it).
    qint64 computed() const { return computed_; }

private:
    struct Watch;
    store::Database& db_;
    std::unique_ptr<Watch> watch_;
    std::vector<SensorStatus> statuses_;
    std::vector<TriggerLevel> levels_;
    qint64 computed_ = 0;
    bool built_ = false;
    std::uint64_t serial_ = 0;
};

} // namespace levels
