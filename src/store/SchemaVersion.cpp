#include "store/SchemaVersion.h"

#include "store/Audit.h"

namespace store {

namespace {

// Written out in full: a step is history and never changes with the code.
QStringList version3() {
    const QString readingColumns = QStringLiteral(
        "  DateTimeKey TEXT, ReadingDate TEXT, ReadingTime TEXT, ChannelT REAL,\n"
        "  Channel1 REAL, Channel2 REAL, Channel3 REAL, Channel4 REAL, Channel5 REAL,\n"
        "  Channel6 REAL, Channel7 REAL, Channel8 REAL, Channel9 REAL, Channel10 REAL,\n"
        "  FullDate TEXT, IsDirty INTEGER, Plottemporal INTEGER, PlotSpatial INTEGER,\n"
        "  zero1 REAL, zero2 REAL, zero3 REAL, zero4 REAL, zero5 REAL, zero6 REAL,\n"
        "  zero7 REAL, zero8 REAL, zero9 REAL, zero10 REAL, NumTemp REAL,\n"
        "  Disp1 REAL, Disp2 REAL, Disp3 REAL, Disp4 REAL, Disp5 REAL, Disp6 REAL,\n"
        "  Disp7 REAL, Disp8 REAL, Reference REAL");
    const QString sensorColumns = QStringLiteral(
        "  InstrumentID TEXT, DateID TEXT, TypeID TEXT, SensorNo TEXT, Family TEXT,\n"
        "  Model TEXT, SensorType TEXT, LengthofCable REAL, Level TEXT, Location TEXT,\n"
        "  Borehole TEXT, InstallDate TEXT, InstallBy TEXT, Purpose TEXT, Notes TEXT,\n"
        "  Recess REAL, HeadLocation INTEGER, NodeLocation1 REAL, NodeLocation2 REAL,\n"
        "  NodeLocation3 REAL, NodeLocation4 REAL, NodeLocation5 REAL, NodeLocation6 REAL,\n"
        "  NodeLocation7 REAL, NodeLocation8 REAL, Destroyed TEXT, DestructionDate TEXT");
    return {
        // A reading without a row here is valid.
        QStringLiteral("CREATE TABLE ReadingQuality (\n"
                       "  SensorID TEXT NOT NULL,\n"
                       "  DateTimeKey TEXT NOT NULL,\n"
                       "  Quality TEXT NOT NULL CHECK (Quality IN ('valid', 'suspect', "
                       "'invalid')),\n"
                       "  Note TEXT NOT NULL DEFAULT '',\n"
                       "  SetBy TEXT NOT NULL,\n"
                       "  SetAt TEXT NOT NULL,\n"
                       "  PRIMARY KEY (SensorID, DateTimeKey)\n"
                       ") STRICT"),
        QStringLiteral("CREATE TABLE ZeroReadings (\n"
                       "  ZeroID INTEGER PRIMARY KEY,\n"
                       "  SensorID TEXT NOT NULL,\n"
                       "  ZeroAt TEXT NOT NULL,\n"
                       "  Reason TEXT NOT NULL,\n"
                       "  CarryOver INTEGER NOT NULL,\n"
                       "  SetBy TEXT NOT NULL,\n"
                       "  SetAt TEXT NOT NULL,\n"
                       "  RetiredBy TEXT,\n"
                       "  RetiredAt TEXT,\n"
                       "  RetiredReason TEXT\n"
                       ") STRICT"),
        QStringLiteral("CREATE INDEX ZeroReadings_SensorID ON ZeroReadings (SensorID, ZeroAt)"),
        // A deleted reading keeps its quality flag beside it.
        QStringLiteral(
            "CREATE TABLE RecycledReadings (\n"
            "  RecycleID INTEGER PRIMARY KEY,\n"
            "  SensorID TEXT NOT NULL,\n"
            "  DeletedAt TEXT NOT NULL,\n"
            "  DeletedBy TEXT NOT NULL,\n"
            "  Quality TEXT, QualityNote TEXT, QualitySetBy TEXT, QualitySetAt TEXT,\n") +
            readingColumns + QStringLiteral("\n) STRICT"),
        QStringLiteral("CREATE INDEX RecycledReadings_SensorID ON RecycledReadings (SensorID)"),
        QStringLiteral("CREATE TABLE RecycledSensors (\n"
                       "  RecycleID INTEGER PRIMARY KEY,\n"
                       "  DeletedAt TEXT NOT NULL,\n"
                       "  DeletedBy TEXT NOT NULL,\n") +
            sensorColumns + QStringLiteral("\n) STRICT"),
        QStringLiteral("CREATE TABLE AuditTrail (\n"
                       "  AuditID INTEGER PRIMARY KEY,\n"
                       "  At TEXT NOT NULL,\n"
                       "  User TEXT NOT NULL,\n"
                       "  Operation TEXT NOT NULL,\n"
                       "  SensorID TEXT,\n"
                       "  Target TEXT,\n"
                       "  OldValue TEXT,\n"
                       "  NewValue TEXT,\n"
                       "  Count INTEGER,\n"
                       "  Note TEXT\n"
                       ") STRICT"),
        QStringLiteral("CREATE INDEX AuditTrail_SensorID ON AuditTrail (SensorID, At)"),
        QStringLiteral("CREATE INDEX AuditTrail_At ON AuditTrail (At)"),
    };
}

// Trigger levels: the site's ordered list, each sensor's thresholds (anchor 0
// stands for every anchor) and its rate window and data-age limit.
QStringList version4() {
    return {
        QStringLiteral("CREATE TABLE TriggerLevels (\n"
                       "  Position INTEGER PRIMARY KEY NOT NULL CHECK (Position BETWEEN 1 AND 5),\n"
                       "  Name TEXT NOT NULL UNIQUE COLLATE NOCASE,\n"
                       "  Colour TEXT NOT NULL\n"
                       ") STRICT"),
        QStringLiteral(
            "INSERT INTO TriggerLevels (Position, Name, Colour) VALUES "
            "(1, 'Alert', '#ffbf00'), (2, 'Alarm', '#ff4500'), (3, 'Action', '#e00000')"),
        QStringLiteral("CREATE TABLE SensorTriggers (\n"
                       "  SensorID TEXT PRIMARY KEY NOT NULL,\n"
                       "  RateWindowHours REAL NOT NULL DEFAULT 24 CHECK (RateWindowHours > 0),\n"
                       "  StaleAfterHours REAL CHECK (StaleAfterHours > 0)\n"
                       ") STRICT"),
        QStringLiteral("CREATE TABLE SensorThresholds (\n"
                       "  SensorID TEXT NOT NULL,\n"
                       "  Anchor INTEGER NOT NULL CHECK (Anchor BETWEEN 0 AND 8),\n"
                       "  Kind TEXT NOT NULL CHECK (Kind IN ('displacement', 'rate')),\n"
                       "  Level INTEGER NOT NULL CHECK (Level BETWEEN 1 AND 5),\n"
                       "  Value REAL NOT NULL CHECK (Value >= 0),\n"
                       "  PRIMARY KEY (SensorID, Anchor, Kind, Level)\n"
                       ") STRICT"),
    };
}

QStringList version5() {
    return {
        // One row per field of a logger's file that a sensor takes.
        QStringLiteral("CREATE TABLE LoggerMappings (\n"
                       "  Logger TEXT NOT NULL,\n"
                       "  SensorID TEXT NOT NULL,\n"
                       "  Field TEXT NOT NULL,\n"
                       "  Target TEXT NOT NULL,\n"
                       "  Unit TEXT NOT NULL,\n"
                       "  SetBy TEXT NOT NULL,\n"
                       "  SetAt TEXT NOT NULL,\n"
                       "  PRIMARY KEY (Logger, SensorID, Target)\n"
                       ") STRICT"),
        // Channel 0 is the sensor's thermistor; a replaced gauge gets a new
        // row from its day, and older readings keep the one they were read by.
        QStringLiteral("CREATE TABLE Calibrations (\n"
                       "  CalibrationID INTEGER PRIMARY KEY,\n"
                       "  SensorID TEXT NOT NULL,\n"
                       "  Channel INTEGER NOT NULL CHECK (Channel BETWEEN 0 AND 10),\n"
                       "  ValidFrom TEXT NOT NULL,\n"
                       "  Kind TEXT NOT NULL CHECK (Kind IN ('linear', 'polynomial', "
                       "'thermistor')),\n"
                       "  GaugeFactor REAL,\n"
                       "  PolyA REAL,\n"
                       "  PolyB REAL,\n"
                       "  ThermalM REAL,\n"
                       "  ThermalB REAL,\n"
                       "  ZeroDigits REAL,\n"
                       "  ZeroTemperature REAL,\n"
                       "  MinDigits REAL,\n"
                       "  MaxDigits REAL,\n"
                       "  ThermA REAL,\n"
                       "  ThermB REAL,\n"
                       "  ThermC REAL,\n"
                       "  SetBy TEXT NOT NULL,\n"
                       "  SetAt TEXT NOT NULL,\n"
                       "  UNIQUE (SensorID, Channel, ValidFrom)\n"
                       ") STRICT"),
    };
}

// Several users of one database: each sensor record's version, so that a save
// over another's newer one is refused, and the database's own user in the trail.
QStringList version6() {
    return {
        QStringLiteral("CREATE TABLE SensorVersions (\n"
                       "  SensorID TEXT PRIMARY KEY NOT NULL,\n"
                       "  Version INTEGER NOT NULL,\n"
                       "  ChangedBy TEXT NOT NULL,\n"
                       "  ChangedAt TEXT NOT NULL\n"
                       ") STRICT"),
        QStringLiteral("ALTER TABLE AuditTrail ADD COLUMN DatabaseUser TEXT"),
    };
}

} // namespace

const std::vector<SchemaStep>& schemaSteps() {
    static const std::vector<SchemaStep> steps{
        {2,
         QStringLiteral("settings kept by name"),
         {QStringLiteral("CREATE TABLE Settings (Name TEXT PRIMARY KEY NOT NULL, Value TEXT)")}},
        {3, QStringLiteral("quality flags, zero readings, the recycle area and the audit trail"),
         version3()},
        {4, QStringLiteral("trigger levels and thresholds"), version4()},
        {5, QStringLiteral("logger mappings and calibrations"), version5()},
        {6, QStringLiteral("sensor record versions and the database user"), version6()},
    };
    return steps;
}

int currentSchemaVersion() {
    return schemaSteps().empty() ? FirstSchemaVersion : schemaSteps().back().version;
}

// A server has no version number of a database's own; a table of one row holds it.
const char* const ServerVersionTable = "tolvane_schema_version";

int schemaVersion(Database& db) {
    if (db.isServer()) {
        if (!db.hasTable(QLatin1String(ServerVersionTable))) return FirstSchemaVersion;
        Statement st = db.prepare(
            QStringLiteral("SELECT Version FROM %1").arg(QLatin1String(ServerVersionTable)));
        const int recorded = st.step() ? int(st.int64(0)) : 0;
        return recorded < FirstSchemaVersion ? FirstSchemaVersion : recorded;
    }
    Statement st = db.prepare(QStringLiteral("PRAGMA user_version"));
    const int recorded = st.step() ? int(st.int64(0)) : 0;
    return recorded < FirstSchemaVersion ? FirstSchemaVersion : recorded;
}

void setSchemaVersion(Database& db, int version) {
    if (db.isServer()) {
        if (!db.hasTable(QLatin1String(ServerVersionTable)))
            db.execute(QStringLiteral("CREATE TABLE %1 (Version INTEGER NOT NULL)")
                           .arg(QLatin1String(ServerVersionTable)));
        db.execute(QStringLiteral("DELETE FROM %1; INSERT INTO %1 (Version) VALUES (%2)")
                       .arg(QLatin1String(ServerVersionTable))
                       .arg(version));
        return;
    }
    db.execute(QStringLiteral("PRAGMA user_version = %1").arg(version));
}

void upgradeSchema(Database& db, const std::function<void(int version)>& afterStep, bool audited) {
    db.immediateTransaction([&] {
        const int from = schemaVersion(db);
        if (from > currentSchemaVersion())
            throw Error(code::Error, QStringLiteral("the file is of schema version %1; this "
                                                    "program knows versions up to %2")
                                         .arg(from)
                                         .arg(currentSchemaVersion()));
        for (const SchemaStep& step : schemaSteps()) {
            if (step.version <= from) continue;
            for (const QString& statement : step.statements)
                db.execute(statement);
            setSchemaVersion(db, step.version);
            if (afterStep) afterStep(step.version);
        }
        if (audited && from < currentSchemaVersion() && hasAuditTrail(db)) {
            AuditEntry e;
            e.operation = operation::SchemaUpgraded;
            e.target = db.path();
            e.oldValue = QString::number(from);
            e.newValue = QString::number(currentSchemaVersion());
            audit(db, e);
        }
    });
}

} // namespace store
