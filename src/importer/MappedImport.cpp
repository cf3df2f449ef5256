#include "importer/MappedImport.h"

#include "importer/Texts.h"
#include "store/Audit.h"
#include "store/Error.h"

#include <cmath>
#include <string>

namespace importer {

namespace {

double rounded(double v) {
    // Converted values to a ten-thousandth: what a gauge resolves, without
    // the binary tails of the arithmetic.
    return std::round(v * 1e4) / 1e4;
}

QString fieldText(std::string_view s) {
    return texts::quoted(QString::fromUtf8(s.data(), qsizetype(std::min<size_t>(s.size(), 40))));
}

// The first line numbers of one kind of line, for its message.
struct Listed {
    int count = 0;
    QStringList first;
    void add(int line, const QString& detail = {}) {
        if (++count <= texts::ListedLines)
            first << (detail.isEmpty() ? QStringLiteral("line %1").arg(line)
                                       : QStringLiteral("line %1 (%2)").arg(line).arg(detail));
    }
    QString message(const QString& what) const {
        if (count == 0) return {};
        QString text =
            QStringLiteral("%1 %2: %3").arg(count).arg(what, first.join(QStringLiteral(", ")));
        if (count > first.size()) text += QStringLiteral(" and %1 more").arg(count - first.size());
        return text;
    }
};

struct Column {
    int field = -1;
    Target target;
    Unit unit = Unit::AsIs;
};

struct Sink {
    const Mapping* mapping = nullptr;
    MappedOutcome outcome;
    int timeField = -1;
    DateOrder order = DateOrder::YearFirst;
    std::vector<Column> columns; // temperature first when mapped
    std::vector<Calibration> calibrations;
    qint64 lastRowBefore = 0;
    std::string number;
    store::Statement* taken = nullptr;
    store::Statement* insert = nullptr;
    Listed wrongFields, notDates, future, repeated, duplicates, suspect;
    QString firstFlagged, lastFlagged;
};

} // namespace

std::vector<MappedOutcome> importMapped(store::Database& db, LoggerReader& reader,
                                        const std::vector<Mapping>& mappings, const QString& source,
                                        const QDateTime& now, const ByteProgress& progress) {
    const LoggerHeader& header = reader.header();
    const size_t fieldCount = header.fields.size();
    const QDate today = now.date();
    const QTime timeNow = now.time();
    const DateOrder fallbackOrder =
        systemDayOrder() == DayOrder::DayFirst ? DateOrder::DayFirst : DateOrder::MonthFirst;

    std::vector<Sink> sinks(mappings.size());
    std::vector<store::Statement> statements;
    statements.reserve(mappings.size() * 3);
    for (size_t i = 0; i < mappings.size(); ++i) {
        Sink& s = sinks[i];
        const Mapping& m = mappings[i];
        s.mapping = &m;
        s.outcome.sensor = m.sensor;
        s.number = m.sensor.toStdString();
        if (!db.hasTable(m.sensor))
            throw store::Error(store::code::NotFound,
                               QStringLiteral("sensor %1 has no reading table").arg(m.sensor));
        s.calibrations = calibrations(db, m.sensor);
        for (const FieldMapping& f : m.fields) {
            const int index = header.fieldIndex(f.field);
            if (index < 0)
                throw store::Error(store::code::NotFound,
                                   QStringLiteral("the file has no field \"%1\" that the mapping "
                                                  "of sensor %2 names")
                                       .arg(f.field, m.sensor));
            if (f.target.kind == Target::Time) {
                s.timeField = index;
                s.order = f.order ? *f.order : header.dateOrder.value_or(fallbackOrder);
                continue;
            }
            const bool raw = f.unit == Unit::Hertz || f.unit == Unit::Digits;
            if (raw) {
                bool any = false;
                for (const Calibration& c : s.calibrations)
                    any = any || (!c.thermistor && c.channel == f.target.channel);
                if (!any)
                    throw store::Error(
                        store::code::NotFound,
                        QStringLiteral("channel %1 of sensor %2 is read in %3 but has no "
                                       "calibration: add one (tolvane-cli calibrate) first")
                            .arg(f.target.channel)
                            .arg(m.sensor, unitName(f.unit)));
            }
            Column c{index, f.target, f.unit};
            if (f.target.kind == Target::Temperature)
                s.columns.insert(s.columns.begin(), c);
            else
                s.columns.push_back(c);
        }
        if (s.timeField < 0)
            throw store::Error(store::code::NotFound,
                               QStringLiteral("the mapping of sensor %1 names no field for the "
                                              "time")
                                   .arg(m.sensor));
        const QString table = store::quoteName(m.sensor);
        {
            store::Statement last =
                db.prepare(QStringLiteral("SELECT ifnull(max(rowid), 0) FROM %1").arg(table));
            s.lastRowBefore = last.step() ? last.int64(0) : 0;
        }
        QStringList names{QStringLiteral("DateTimeKey"), QStringLiteral("ReadingDate"),
                          QStringLiteral("ReadingTime"), QStringLiteral("FullDate")};
        for (const Column& c : s.columns)
            names << (c.target.kind == Target::Temperature
                          ? QStringLiteral("ChannelT")
                          : QStringLiteral("Channel%1").arg(c.target.channel));
        names << QStringLiteral("IsDirty") << QStringLiteral("Plottemporal")
              << QStringLiteral("PlotSpatial");
        QStringList params;
        for (qsizetype k = 1; k <= names.size() - 3; ++k)
            params << QStringLiteral("?%1").arg(k);
        params << QStringLiteral("1") << QStringLiteral("1") << QStringLiteral("0");
        statements.push_back(
            db.prepare(QStringLiteral("SELECT rowid FROM %1 WHERE DateTimeKey = ?1").arg(table)));
        s.taken = &statements.back();
        statements.push_back(db.prepare(
            QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                .arg(table, names.join(QStringLiteral(", ")), params.join(QStringLiteral(", ")))));
        s.insert = &statements.back();
    }
    store::Statement flag = db.prepare(QStringLiteral(
        "INSERT INTO ReadingQuality (SensorID, DateTimeKey, Quality, Note, SetBy, SetAt) VALUES "
        "(?1, ?2, 'suspect', ?3, ?4, ?5) ON CONFLICT (SensorID, DateTimeKey) DO UPDATE SET "
        "Quality = excluded.Quality, Note = excluded.Note, SetBy = excluded.SetBy, SetAt = "
        "excluded.SetAt"));
    const QString who = store::actorUser(db);
    const QString stamp = store::actorStamp(db);

    LoggerReader::Line line;
    QStringList reasons;
    std::vector<std::optional<double>> values;
    qint64 lines = 0;
    while (reader.next(line)) {
        ++lines;
        if (progress && (lines & 1023) == 0) progress(reader.bytesRead());
        const bool fieldsFit = line.fields.size() == fieldCount;
        for (Sink& s : sinks) {
            ++s.outcome.lines;
            if (!fieldsFit) {
                s.wrongFields.add(
                    line.number,
                    QStringLiteral("%1 of %2 fields").arg(line.fields.size()).arg(fieldCount));
                continue;
            }
            const std::string_view stampText = line.fields[size_t(s.timeField)];
            std::optional<When> when = loggerStamp(stampText, s.order);
            if (!when && s.order != DateOrder::YearFirst)
                when = loggerStamp(stampText, DateOrder::YearFirst);
            if (!when) {
                s.notDates.add(line.number, QStringLiteral("\"%1\"").arg(fieldText(stampText)));
                continue;
            }
            if (when->date > today || (when->date == today && when->time > timeNow)) {
                s.future.add(line.number);
                continue;
            }
            const std::string moment = keyDateText(when->date) + ' ' + keyTimeText(when->time);
            const std::string key = s.number + ' ' + moment;
            s.taken->bindUtf8(1, key);
            const bool taken = s.taken->step();
            const qint64 rowid = taken ? s.taken->int64(0) : 0;
            s.taken->reset();
            if (taken) {
                if (rowid > s.lastRowBefore)
                    s.repeated.add(line.number);
                else
                    s.duplicates.add(line.number);
                continue;
            }
            std::string fullDate = moment;
            fullDate[4] = fullDate[7] = '-';
            const QString fullDateText =
                QString::fromLatin1(fullDate.data(), qsizetype(fullDate.size()));
            reasons.clear();
            values.assign(s.columns.size(), std::nullopt);
            std::optional<double> temperature;
            for (size_t k = 0; k < s.columns.size(); ++k) {
                const Column& c = s.columns[k];
                const std::string_view text = line.fields[size_t(c.field)];
                const QString what = targetName(c.target);
                if (isFaultMarker(text)) {
                    reasons
                        << QStringLiteral("%1: logger fault marker %2").arg(what, fieldText(text));
                    continue;
                }
                const std::optional<double> v = loggerNumber(text, header.decimal);
                if (!v) {
                    if (!text.empty())
                        reasons
                            << QStringLiteral("%1: \"%2\" is no number").arg(what, fieldText(text));
                    continue;
                }
                double value = *v;
                switch (c.unit) {
                case Unit::Metre:
                    value *= 1000.0;
                    break;
                case Unit::Inch:
                    value *= 25.4;
                    break;
                case Unit::Fahrenheit:
                    value = rounded((value - 32.0) * 5.0 / 9.0);
                    break;
                case Unit::Ohm: {
                    const Calibration* th = calibrationAt(s.calibrations, 0, fullDateText);
                    const std::optional<double> t =
                        thermistorCelsius(value, th ? th->steinhart : Thermistor{});
                    if (!t) {
                        reasons << QStringLiteral("%1: %2 ohm gives no temperature")
                                       .arg(what, fieldText(text));
                        continue;
                    }
                    value = rounded(*t);
                    break;
                }
                case Unit::Hertz:
                case Unit::Digits: {
                    const double r1 = c.unit == Unit::Hertz ? digitsFromHertz(value) : value;
                    auto* cal = const_cast<Calibration*>(
                        calibrationAt(s.calibrations, c.target.channel, fullDateText));
                    if (!cal) {
                        reasons << QStringLiteral("%1: no calibration before %2")
                                       .arg(what, fullDateText);
                        continue;
                    }
                    if ((cal->minDigits && r1 < *cal->minDigits) ||
                        (cal->maxDigits && r1 > *cal->maxDigits)) {
                        reasons << QStringLiteral("%1: %2 digits outside the gauge's range")
                                       .arg(what, QString::number(r1, 'f', 1));
                        continue;
                    }
                    if (!cal->zeroDigits) {
                        // The first reading under a calibration without one is its zero.
                        cal->zeroDigits = r1;
                        cal->zeroTemperature = temperature;
                        setCalibrationZero(db, cal->id, r1, temperature);
                    }
                    value = rounded(displacement(*cal, r1, temperature));
                    break;
                }
                case Unit::AsIs:
                case Unit::Millimetre:
                case Unit::Celsius:
                    break;
                }
                values[k] = value;
                if (c.target.kind == Target::Temperature) temperature = value;
            }
            int i = 0;
            s.insert->bindUtf8(++i, key);
            s.insert->bindUtf8(++i, std::string_view(moment).substr(0, 10));
            s.insert->bindUtf8(++i, std::string_view(moment).substr(11));
            s.insert->bindUtf8(++i, fullDate);
            for (const std::optional<double>& v : values) {
                if (v)
                    s.insert->bind(++i, *v);
                else
                    s.insert->bindNull(++i);
            }
            s.insert->run();
            ++s.outcome.appended;
            if (!reasons.isEmpty()) {
                const QString keyText = QString::fromStdString(key);
                const QString note = reasons.join(QStringLiteral("; "));
                flag.bind(1, s.mapping->sensor);
                flag.bind(2, keyText);
                flag.bind(3, note);
                flag.bind(4, who);
                flag.bind(5, stamp);
                flag.run();
                s.suspect.add(line.number, note);
                if (s.firstFlagged.isEmpty()) s.firstFlagged = keyText;
                s.lastFlagged = keyText;
            }
        }
    }
    if (progress) progress(reader.bytesRead());

    std::vector<MappedOutcome> outcomes;
    for (Sink& s : sinks) {
        MappedOutcome& o = s.outcome;
        o.wrongFieldCount = s.wrongFields.count;
        o.notDates = s.notDates.count;
        o.future = s.future.count;
        o.repeated = s.repeated.count;
        o.duplicates = s.duplicates.count;
        o.suspect = s.suspect.count;
        for (const QString& m :
             {s.wrongFields.message(QStringLiteral("line(s) with too few or too many fields were "
                                                   "skipped")),
              s.notDates.message(QStringLiteral("line(s) with no date and time were skipped")),
              s.future.message(QStringLiteral("line(s) dated in the future were skipped")),
              s.repeated.message(QStringLiteral("line(s) repeat the time of an earlier line of "
                                                "the file and were skipped")),
              s.duplicates.message(QStringLiteral("line(s) were already in the database and were "
                                                  "skipped")),
              s.suspect.message(QStringLiteral("reading(s) were stored flagged suspect"))})
            if (!m.isEmpty()) o.messages << m;
        if (o.appended > 0) {
            store::AuditEntry e;
            e.operation = store::operation::ReadingsImported;
            e.sensor = o.sensor;
            e.target = source;
            e.count = o.appended;
            store::audit(db, e);
        }
        if (o.suspect > 0) {
            // One entry for the import's flags, not one a reading.
            store::AuditEntry e;
            e.operation = store::operation::ReadingsFlagged;
            e.sensor = o.sensor;
            e.target = s.firstFlagged.section(QLatin1Char(' '), 1) + QStringLiteral(" – ") +
                       s.lastFlagged.section(QLatin1Char(' '), 1);
            e.newValue = QStringLiteral("suspect");
            e.count = o.suspect;
            e.note = QStringLiteral("on import of %1").arg(source);
            store::audit(db, e);
        }
        outcomes.push_back(o);
    }
    return outcomes;
}

} // namespace importer
