#include "outputs/ReportAnchors.h"

#include "app/TextFormat.h"
#include "operations/Operations.h"
#include "sensors/RoofLocations.h"
#include "sensors/SensorRecord.h"
#include "sensors/SensorTypes.h"
#include "store/Criteria.h"
#include "store/RowSet.h"
#include "store/Schema.h"

#include <QDateTime>

#include <algorithm>

namespace outputs {

namespace {

QString metres(const QString& typed) {
    const std::optional<double> v = app::toNumber(app::withDecimalPoint(typed));
    return v ? app::formatNumber(*v, app::NumberFormat::Fixed2) : QString();
}

// "yyyy-MM-dd HH:mm:ss" as stored, year first with "/" as everywhere else.
QString shownDateTime(const QString& stored) {
    const QDateTime t = QDateTime::fromString(stored, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    return t.isValid() ? t.toString(QStringLiteral("yyyy/MM/dd HH:mm:ss")) : stored;
}

QString oneText(store::Database& db, const QString& sql) {
    store::Statement st = db.prepare(sql);
    return st.step() ? st.text(0) : QString();
}

} // namespace

AnchorTable anchorTable(store::Database& db, const QString& number) {
    store::RowSet rs(db,
                     QStringLiteral("SELECT * FROM ") + store::quoteName(store::table::Sensors));
    if (rs.RecordCount() > 0) rs.Find(store::textEquals(QStringLiteral("InstrumentID"), number));
    if (rs.RecordCount() == 0 || rs.isEOF())
        throw store::Error(store::code::NotFound,
                           QStringLiteral("sensor %1 is not in the register").arg(number));
    const sensors::SensorRecord record = sensors::readSensorRecord(rs);
    const sensors::SensorType* type =
        sensors::findSensorType(sensors::splitSensorNumber(number).typeCode);
    const int anchors = type ? std::clamp(type->nodes, 0, 8) : 0;

    AnchorTable table;
    table.headAtCollar = record.headAtCollar;
    const sensors::RoofLocations roof = sensors::roofLocationsOf(record, anchors);
    for (int k = 1; k <= anchors; ++k)
        table.rows.push_back({QString::number(k),
                              metres(record.nodes[size_t(k - 1)]),
                              roof.anchors[size_t(k - 1)],
                              {},
                              {}});
    if (anchors == 0 || !db.hasTable(number)) return table;

    // Only the latest day is read: a ten-year table is not walked for one row.
    const QString readings = store::quoteName(number);
    const QString latest = oneText(
        db, QStringLiteral("SELECT FullDate FROM %1 WHERE FullDate IS NOT NULL ORDER BY FullDate "
                           "DESC, _rowid_ DESC LIMIT 1")
                .arg(readings));
    const QDate latestDay = QDate::fromString(latest.left(10), QStringLiteral("yyyy-MM-dd"));
    if (!latestDay.isValid()) return table;
    const QString zero = oneText(
        db, QStringLiteral("SELECT FullDate FROM %1 WHERE Plottemporal = True ORDER BY FullDate, "
                           "_rowid_ LIMIT 1")
                .arg(readings));
    std::optional<operations::ReadingLine> last;
    operations::forEachReading(db, number, latestDay, latestDay,
                               [&](const operations::ReadingLine& line) { last = line; });
    if (!last) return table;
    table.latestReading = last->date + QLatin1Char(' ') + last->time;
    for (AnchorRow& row : table.rows) {
        const size_t k = size_t(row.anchor.toInt() - 1);
        if (k >= last->displacements.size() || !last->displacements[k]) continue;
        row.displacement = app::formatNumber(*last->displacements[k], app::NumberFormat::Fixed2);
        row.zeroReading = shownDateTime(zero);
    }
    return table;
}

} // namespace outputs
