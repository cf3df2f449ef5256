#include "app/TextFormat.h"
#include "operations/Operations.h"
#include "sensors/SensorRecord.h"
#include "sensors/SensorTypes.h"
#include "sensors/Texts.h"
#include "store/RowSet.h"
#include "store/Schema.h"

namespace operations {

namespace {

QString textOf(const store::Statement& st, int column) {
    return st.text(column).trimmed();
}

// "yyyy-MM-dd HH:mm:ss" as the program shows it, "yyyy/MM/dd HH:mm:ss".
QString shownFullDate(QString stored) {
    if (stored.size() >= 10 && stored[4] == QLatin1Char('-') && stored[7] == QLatin1Char('-')) {
        stored[4] = QLatin1Char('/');
        stored[7] = QLatin1Char('/');
    }
    return stored;
}

} // namespace

std::vector<SensorSummary> listSensors(store::Database& db) {
    std::vector<SensorSummary> sensors;
    store::Statement rows = db.prepare(
        QStringLiteral("SELECT InstrumentID, Family, SensorType, Level, Location, InstallDate, "
                       "Destroyed FROM Sensors ORDER BY InstrumentID"));
    while (rows.step()) {
        SensorSummary s;
        s.number = textOf(rows, 0);
        s.family = textOf(rows, 1);
        if (const sensors::SensorType* type = sensors::findSensorType(textOf(rows, 2)))
            s.anchors = type->nodes;
        s.level = textOf(rows, 3);
        s.location = textOf(rows, 4);
        s.installDate = textOf(rows, 5);
        s.destroyed = textOf(rows, 6).compare(QStringLiteral("Yes"), Qt::CaseInsensitive) == 0;
        sensors.push_back(s);
    }
    for (SensorSummary& s : sensors) {
        if (!db.hasTable(s.number)) continue;
        // The FullDate index answers all three at once.
        store::Statement counts =
            db.prepare(QStringLiteral("SELECT count(*), min(FullDate), max(FullDate) FROM %1")
                           .arg(store::quoteName(s.number)));
        if (!counts.step()) continue;
        s.readings = int(counts.int64(0));
        s.firstReading = shownFullDate(textOf(counts, 1));
        s.lastReading = shownFullDate(textOf(counts, 2));
    }
    return sensors;
}

void addSensor(store::Database& db, const NewSensor& sensor) {
    const QString& number = sensor.number;
    if (const QString refusal = sensors::refusalOfNewNumber(number); !refusal.isEmpty())
        throw store::Error(store::code::Error, refusal + QStringLiteral(": ") + number);
    const QString code = sensors::splitSensorNumber(number).typeCode;
    const sensors::SensorType* type = sensors::findSensorType(code);
    if (!type)
        throw store::Error(store::code::Error,
                           sensors::texts::UnknownType +
                               QStringLiteral(" (type code %1 of %2)").arg(code, number));
    writeTransaction(db, [&] {
        if (sensors::registerHolds(db, number))
            throw store::Error(store::code::Error,
                               QStringLiteral("Sensor %1 already exists").arg(number));
        if (db.hasTable(number))
            throw store::Error(store::code::Error,
                               QStringLiteral("a table named %1 already exists").arg(number));
        store::RowSet rs(
            db, QStringLiteral("SELECT * FROM Sensors WHERE InstrumentID = '%1'")
                    .arg(QString(number).replace(QLatin1Char('\''), QStringLiteral("''"))));
        sensors::addSensorRow(rs, {number, sensors::familyOf(type->modelName, sensor.mpbx),
                                   sensors::NewModelCode, app::yearFirst(sensor.installDate)});
        store::Statement details = db.prepare(
            QStringLiteral("UPDATE Sensors SET Level = ?1, Location = ?2 WHERE InstrumentID = ?3"));
        auto orNull = [&](int index, const QString& text) {
            if (text.trimmed().isEmpty())
                details.bindNull(index);
            else
                details.bind(index, text.trimmed());
        };
        orNull(1, sensor.level);
        orNull(2, sensor.location);
        details.bind(3, number);
        details.run();
        store::copyTemplate(db, number);
    });
}

} // namespace operations
