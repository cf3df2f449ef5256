#include "outputs/ReportAnchors.h"

#include "app/TextFormat.h"
#include "operations/Operations.h"
#include "outputs/Texts.h"
#include "readings/Quality.h"
#include "readings/ZeroHistory.h"
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

// The first column of the first row; ?1 is the sensor's number.
QString oneText(store::Database& db, const QString& sql, const QString& number,
                const QString& second = {}) {
    store::Statement st = db.prepare(sql);
    if (sql.contains(QStringLiteral("?1"))) st.bind(1, number);
    if (!second.isNull()) st.bind(2, second);
    return st.step() ? st.text(0) : QString();
}

ZeroRow zeroRow(const readings::ZeroReading& z) {
    ZeroRow row;
    row.moment = shownDateTime(z.at);
    row.reason = z.reason;
    row.carryOver = z.carryOver ? texts::CarryOverYes : texts::CarryOverNo;
    row.setBy = z.setBy;
    row.setOn = shownDateTime(z.setAt);
    row.status = z.retired()
                     ? texts::zeroRetired(shownDateTime(z.retiredAt), z.retiredBy, z.retiredReason)
                     : texts::ZeroInForce;
    return row;
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
    const std::vector<readings::ZeroReading> zeros = readings::zeroReadings(db, number);
    for (const readings::ZeroReading& z : zeros)
        table.zeros.push_back(zeroRow(z));
    if (anchors == 0 || !db.hasTable(number)) return table;

    // Only the latest day is read: a ten-year table is not walked for one row.
    // Invalid readings are neither the latest nor a zero.
    const QString readingTable = store::quoteName(number);
    const QString leftOut = readings::invalidLeftOut(db, QStringLiteral("t.DateTimeKey"), 1);
    const QString latest =
        oneText(db,
                QStringLiteral("SELECT FullDate FROM %1 t WHERE FullDate IS NOT NULL%2 ORDER BY "
                               "FullDate DESC, _rowid_ DESC LIMIT 1")
                    .arg(readingTable, leftOut),
                number);
    const QDate latestDay = QDate::fromString(latest.left(10), QStringLiteral("yyyy-MM-dd"));
    if (!latestDay.isValid()) return table;
    QString zero =
        oneText(db,
                QStringLiteral("SELECT FullDate FROM %1 t WHERE Plottemporal = True%2 ORDER BY "
                               "FullDate, _rowid_ LIMIT 1")
                    .arg(readingTable, leftOut),
                number);
    // The stored zero in force at the latest reading, as readings::zeroPlan
    // takes them: not retired, and its reading still there and not invalid.
    const QString usable = QStringLiteral("SELECT FullDate FROM %1 t WHERE FullDate = ?2%3 LIMIT 1")
                               .arg(readingTable, leftOut);
    for (const readings::ZeroReading& z : zeros)
        if (!z.retired() && z.at <= latest && !oneText(db, usable, number, z.at).isEmpty())
            zero = z.at;
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
