#include "operations/Operations.h"
#include "readings/Displacement.h"
#include "readings/Quality.h"
#include "readings/ZeroHistory.h"
#include "sensors/SensorTypes.h"
#include "store/Schema.h"

namespace operations {

namespace {

constexpr int Channels = 10;
// The selected columns, in this order.
const QString ChannelColumns = [] {
    QStringList c;
    for (int i = 1; i <= Channels; ++i)
        c << QStringLiteral("Channel%1").arg(i);
    return c.join(QLatin1Char(','));
}();

} // namespace

ReadingsOf forEachReading(store::Database& db, const QString& number,
                          const std::optional<QDate>& from, const std::optional<QDate>& to,
                          const std::function<void(const ReadingLine&)>& f, bool withInvalid) {
    ReadingsOf of;
    {
        store::Statement sensor = db.prepare(QStringLiteral(
            "SELECT SensorType, ifnull(HeadLocation, 1) FROM Sensors WHERE InstrumentID = ?1"));
        sensor.bind(1, number);
        if (!sensor.step())
            throw store::Error(store::code::NotFound,
                               QStringLiteral("no sensor %1 in the register").arg(number));
        const sensors::SensorType* type = sensors::findSensorType(sensor.text(0));
        if (!type)
            throw store::Error(store::code::Error,
                               QStringLiteral("sensor %1 has an unknown type code %2")
                                   .arg(number, sensor.text(0)));
        of.anchors = type->nodes;
        of.headAtCollar = sensor.int64(1) != 0;
    }
    if (!db.hasTable(number))
        throw store::Error(store::code::NotFound,
                           QStringLiteral("sensor %1 has no reading table").arg(number));
    const QString table = store::quoteName(number);
    const readings::HeadLocation head =
        of.headAtCollar ? readings::HeadLocation::Collar : readings::HeadLocation::Toe;

    // The zeros of the graphs: the earliest valid reading ticked for the time
    // graph, then the stored zero readings.
    const QString leftOut = readings::invalidLeftOut(db, QStringLiteral("t.DateTimeKey"), 3);
    const std::optional<readings::Channels> implicitZero = readings::graphZeroReading(db, number);
    readings::ZeroPlan plan = readings::zeroPlan(db, number, implicitZero);
    const bool flags = db.hasTable(QStringLiteral("ReadingQuality"));

    // Whole days: FullDate text from the first second of from to before the
    // day after to.
    QString where;
    if (from) where += QStringLiteral(" AND FullDate >= ?1");
    if (to) where += QStringLiteral(" AND FullDate < ?2");
    if (!withInvalid) where += leftOut;
    const QString quality =
        flags ? QStringLiteral("(SELECT q.Quality || char(31) || q.Note FROM ReadingQuality q "
                               "WHERE q.SensorID = ?3 AND q.DateTimeKey = t.DateTimeKey)")
              : QStringLiteral("NULL");
    store::Statement rows = db.prepare(
        QStringLiteral("SELECT ReadingDate, ReadingTime, ChannelT, %1, FullDate, %4 FROM %2 t "
                       "WHERE 1%3 ORDER BY FullDate, _rowid_")
            .arg(ChannelColumns, table, where, quality));
    if (from) rows.bind(1, from->toString(QStringLiteral("yyyy-MM-dd")));
    if (to) rows.bind(2, to->addDays(1).toString(QStringLiteral("yyyy-MM-dd")));
    rows.bind(3, number);
    ReadingLine line;
    line.channels.resize(size_t(of.anchors));
    line.displacements.resize(size_t(of.anchors));
    while (rows.step()) {
        const store::Statement& st = rows;
        line.date = rows.text(0);
        line.time = rows.text(1);
        line.temperature = readings::ruleNumber(st, 2);
        readings::Channels channels;
        for (int i = 1; i <= Channels; ++i)
            channels[size_t(i)] = readings::ruleValue(st, 2 + i);
        for (int k = 1; k <= of.anchors; ++k)
            line.channels[size_t(k - 1)] = readings::ruleNumber(st, 2 + k);
        const QString flag = rows.text(3 + Channels + 1);
        const qsizetype mark = flag.indexOf(QChar(31));
        line.quality = mark < 0 ? QStringLiteral("valid") : flag.left(mark);
        line.qualityNote = mark < 0 ? QString() : flag.mid(mark + 1);
        readings::Displacements d;
        const readings::OffsetNumbers* offsets = plan.offsetsAt(rows.utf8(3 + Channels));
        if (offsets && readings::SetZeros(*offsets, channels, readings::ruleValue(st, 2), d)) {
            readings::SetHeadlocs(head, of.anchors, d);
            for (int k = 1; k <= of.anchors; ++k)
                line.displacements[size_t(k - 1)] = d.disp[size_t(k)];
        } else {
            std::fill(line.displacements.begin(), line.displacements.end(), std::nullopt);
        }
        f(line);
    }
    return of;
}

} // namespace operations
