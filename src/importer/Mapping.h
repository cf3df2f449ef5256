// Which field of a logger file goes to which column of a sensor's readings,
// with the unit of each: chosen once, saved by logger and sensor, used again
// for every later file of the same logger.
#pragma once

#include "importer/LoggerFile.h"
#include "store/Database.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace importer {

enum class Unit {
    AsIs, // stored as the file holds it
    Millimetre,
    Metre,
    Inch,
    Hertz,
    Digits,
    Ohm,
    Celsius,
    Fahrenheit,
};
// "mm", "m", "in", "Hz", "digits", "ohm", "degC", "degF", "" for AsIs.
QString unitName(Unit unit);
// A unit as files and users write it ("Deg C", "°C", "Ohms", "meters");
// nothing for one this program does not know.
std::optional<Unit> unitFromText(const QString& text);

// Where a field goes: the reading's time, its temperature, channel 1..10.
struct Target {
    enum Kind { Time, Temperature, Channel } kind = Channel;
    int channel = 0; // 1..10 for Channel
    bool operator==(const Target&) const = default;
};
QString targetName(const Target& target); // "time", "temperature", "channel3"
std::optional<Target> targetFromText(const QString& text);

struct FieldMapping {
    QString field;
    Target target;
    Unit unit = Unit::AsIs;
    // For the time: the order of its date; nothing to take the file's.
    std::optional<DateOrder> order;
};

struct Mapping {
    QString logger; // loggerKey of the files it is for
    QString sensor;
    std::vector<FieldMapping> fields;
    const FieldMapping* of(const Target& target) const;
};

// "TIMESTAMP=time,Temp_C=temperature,Disp(1)=channel1:mm,Freq(2)=channel2:Hz":
// field=target with an optional ":unit" (":dmy", ":mdy" or ":ymd" for the
// time). A field's unit, when none is given, is the one its header names.
// Throws store::Error (Misuse) naming what is wrong: an unknown target or
// unit, a target given twice, no time, a field the header lacks.
Mapping parseMapping(const QString& text, const LoggerHeader& header);
// The same text back, as the mapping is saved and audited.
QString mappingText(const Mapping& mapping);

// What a logger's files share: a TOA5 file's station and table name; another
// file's name with every run of digits as "*" ("site_*.csv").
QString loggerKey(const LoggerHeader& header, const QString& fileName);

// The first values of every field of the file at path (up to lines of them),
// for the mapping step to show. Empty lists when it cannot be read.
std::vector<QStringList> firstValues(const QString& path, int lines);

// The mappings saved for a logger: one per sensor, by sensor number.
std::vector<Mapping> savedMappings(store::Database& db, const QString& logger);
// Replaces the sensor's mapping for the logger, audited, in one transaction.
void saveMapping(store::Database& db, const Mapping& mapping);

} // namespace importer
