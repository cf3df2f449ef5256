#include "importer/Mapping.h"

#include "store/Audit.h"
#include "store/Error.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace importer {

namespace {

[[noreturn]] void refuse(const QString& why) {
    throw store::Error(store::code::Misuse, why);
}

QString orderName(DateOrder order) {
    switch (order) {
    case DateOrder::DayFirst:
        return QStringLiteral("dmy");
    case DateOrder::MonthFirst:
        return QStringLiteral("mdy");
    case DateOrder::YearFirst:
        break;
    }
    return QStringLiteral("ymd");
}

std::optional<DateOrder> orderFromText(const QString& text) {
    const QString t = text.trimmed().toLower();
    if (t == QLatin1String("ymd")) return DateOrder::YearFirst;
    if (t == QLatin1String("dmy")) return DateOrder::DayFirst;
    if (t == QLatin1String("mdy")) return DateOrder::MonthFirst;
    return std::nullopt;
}

} // namespace

QString unitName(Unit unit) {
    switch (unit) {
    case Unit::Millimetre:
        return QStringLiteral("mm");
    case Unit::Metre:
        return QStringLiteral("m");
    case Unit::Inch:
        return QStringLiteral("in");
    case Unit::Hertz:
        return QStringLiteral("Hz");
    case Unit::Digits:
        return QStringLiteral("digits");
    case Unit::Ohm:
        return QStringLiteral("ohm");
    case Unit::Celsius:
        return QStringLiteral("degC");
    case Unit::Fahrenheit:
        return QStringLiteral("degF");
    case Unit::AsIs:
        break;
    }
    return {};
}

std::optional<Unit> unitFromText(const QString& text) {
    QString t = text.trimmed().toLower();
    t.remove(QLatin1Char(' '));
    t.replace(QChar(0x00B0), QString()); // degree sign
    t.replace(QChar(0x2126), QStringLiteral("ohm"));
    t.replace(QChar(0x03A9), QStringLiteral("ohm"));
    if (t.isEmpty()) return Unit::AsIs;
    if (t == QLatin1String("mm") || t == QLatin1String("millimetres") ||
        t == QLatin1String("millimeters"))
        return Unit::Millimetre;
    if (t == QLatin1String("m") || t == QLatin1String("metres") || t == QLatin1String("meters"))
        return Unit::Metre;
    if (t == QLatin1String("in") || t == QLatin1String("inch") || t == QLatin1String("inches"))
        return Unit::Inch;
    if (t == QLatin1String("hz") || t == QLatin1String("hertz")) return Unit::Hertz;
    if (t == QLatin1String("digits") || t == QLatin1String("digit")) return Unit::Digits;
    if (t == QLatin1String("ohm") || t == QLatin1String("ohms")) return Unit::Ohm;
    if (t == QLatin1String("degc") || t == QLatin1String("c") || t == QLatin1String("oc") ||
        t == QLatin1String("celsius"))
        return Unit::Celsius;
    if (t == QLatin1String("degf") || t == QLatin1String("f") || t == QLatin1String("of") ||
        t == QLatin1String("fahrenheit"))
        return Unit::Fahrenheit;
    return std::nullopt;
}

QString targetName(const Target& target) {
    switch (target.kind) {
    case Target::Time:
        return QStringLiteral("time");
    case Target::Temperature:
        return QStringLiteral("temperature");
    case Target::Channel:
        break;
    }
    return QStringLiteral("channel%1").arg(target.channel);
}

std::optional<Target> targetFromText(const QString& text) {
    const QString t = text.trimmed().toLower();
    if (t == QLatin1String("time")) return Target{Target::Time, 0};
    if (t == QLatin1String("temperature") || t == QLatin1String("temp"))
        return Target{Target::Temperature, 0};
    static const QRegularExpression channel(QStringLiteral("^channel\\s*(\\d{1,2})$"));
    const QRegularExpressionMatch m = channel.match(t);
    if (m.hasMatch()) {
        const int k = m.captured(1).toInt();
        if (k >= 1 && k <= 10) return Target{Target::Channel, k};
    }
    return std::nullopt;
}

const FieldMapping* Mapping::of(const Target& target) const {
    for (const FieldMapping& f : fields)
        if (f.target == target) return &f;
    return nullptr;
}

Mapping parseMapping(const QString& text, const LoggerHeader& header) {
    Mapping m;
    for (const QString& part : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        // The field is everything before the last "=": names may hold "(" and ")".
        const qsizetype eq = part.lastIndexOf(QLatin1Char('='));
        if (eq <= 0)
            refuse(QStringLiteral("\"%1\" is no FIELD=TARGET pair of the mapping").arg(part));
        FieldMapping f;
        f.field = part.left(eq).trimmed();
        QString rest = part.mid(eq + 1).trimmed();
        QString unitText;
        bool unitGiven = false;
        if (const qsizetype colon = rest.indexOf(QLatin1Char(':')); colon >= 0) {
            unitText = rest.mid(colon + 1);
            rest = rest.left(colon);
            unitGiven = true;
        }
        const std::optional<Target> target = targetFromText(rest);
        if (!target)
            refuse(QStringLiteral("\"%1\" is no target: time, temperature or channel1 to "
                                  "channel10")
                       .arg(rest));
        f.target = *target;
        if (m.of(f.target)) refuse(QStringLiteral("%1 is mapped twice").arg(targetName(f.target)));
        const int index = header.fieldIndex(f.field);
        if (index < 0) refuse(QStringLiteral("the file has no field \"%1\"").arg(f.field));
        f.field = header.fields[size_t(index)].name;
        if (f.target.kind == Target::Time) {
            if (unitGiven) {
                f.order = orderFromText(unitText);
                if (!f.order)
                    refuse(QStringLiteral("the time's order is ymd, dmy or mdy, not \"%1\"")
                               .arg(unitText));
            }
        } else {
            const QString named = unitGiven ? unitText : header.fields[size_t(index)].unit;
            const std::optional<Unit> unit = unitFromText(named);
            if (!unit && unitGiven)
                refuse(QStringLiteral("\"%1\" is no unit: mm, m, in, Hz, digits, ohm, degC or "
                                      "degF")
                           .arg(unitText));
            f.unit = unit.value_or(Unit::AsIs);
            const bool temperature = f.target.kind == Target::Temperature;
            const bool fits = temperature ? (f.unit == Unit::AsIs || f.unit == Unit::Celsius ||
                                             f.unit == Unit::Fahrenheit || f.unit == Unit::Ohm)
                                          : (f.unit != Unit::Celsius &&
                                             f.unit != Unit::Fahrenheit && f.unit != Unit::Ohm);
            if (!fits)
                refuse(QStringLiteral("%1 cannot be read in %2")
                           .arg(targetName(f.target), unitName(f.unit)));
        }
        m.fields.push_back(f);
    }
    if (!m.of(Target{Target::Time, 0}))
        refuse(QStringLiteral("the mapping names no field for the time (FIELD=time)"));
    return m;
}

QString mappingText(const Mapping& mapping) {
    QStringList parts;
    for (const FieldMapping& f : mapping.fields) {
        QString part = f.field + QLatin1Char('=') + targetName(f.target);
        if (f.target.kind == Target::Time) {
            if (f.order) part += QLatin1Char(':') + orderName(*f.order);
        } else if (f.unit != Unit::AsIs) {
            part += QLatin1Char(':') + unitName(f.unit);
        }
        parts << part;
    }
    return parts.join(QLatin1Char(','));
}

QString loggerKey(const LoggerHeader& header, const QString& fileName) {
    if (header.format == LoggerFormat::Toa5)
        return QStringLiteral("TOA5 %1/%2").arg(header.station(), header.table());
    static const QRegularExpression digitRuns(QStringLiteral("\\d+"));
    QString pattern = QFileInfo(fileName).fileName();
    pattern.replace(digitRuns, QStringLiteral("*"));
    return QStringLiteral("file ") + pattern;
}

std::vector<QStringList> firstValues(const QString& path, int lines) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    LoggerReader reader(file);
    std::vector<QStringList> values(reader.header().fields.size());
    LoggerReader::Line line;
    for (int n = 0; n < lines && reader.next(line); ++n)
        for (size_t k = 0; k < values.size() && k < line.fields.size(); ++k)
            values[k] << QString::fromUtf8(line.fields[k].data(), qsizetype(line.fields[k].size()));
    return values;
}

std::vector<Mapping> savedMappings(store::Database& db, const QString& logger) {
    std::vector<Mapping> list;
    if (!db.hasTable(QStringLiteral("LoggerMappings"))) return list;
    store::Statement st = db.prepare(
        QStringLiteral("SELECT SensorID, Field, Target, Unit FROM LoggerMappings WHERE Logger = "
                       "?1 ORDER BY SensorID, rowid"));
    st.bind(1, logger);
    while (st.step()) {
        const QString sensor = st.text(0);
        if (list.empty() || list.back().sensor != sensor) list.push_back({logger, sensor, {}});
        FieldMapping f;
        f.field = st.text(1);
        const std::optional<Target> target = targetFromText(st.text(2));
        if (!target) continue;
        f.target = *target;
        if (f.target.kind == Target::Time)
            f.order = orderFromText(st.text(3));
        else
            f.unit = unitFromText(st.text(3)).value_or(Unit::AsIs);
        list.back().fields.push_back(f);
    }
    return list;
}

void saveMapping(store::Database& db, const Mapping& mapping) {
    db.transaction([&] {
        store::Statement clear = db.prepare(
            QStringLiteral("DELETE FROM LoggerMappings WHERE Logger = ?1 AND SensorID = ?2"));
        clear.bind(1, mapping.logger);
        clear.bind(2, mapping.sensor);
        clear.run();
        store::Statement insert = db.prepare(QStringLiteral(
            "INSERT INTO LoggerMappings (Logger, SensorID, Field, Target, Unit, SetBy, SetAt) "
            "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7)"));
        const QString who = store::actorUser(db);
        const QString when = store::actorStamp(db);
        for (const FieldMapping& f : mapping.fields) {
            insert.bind(1, mapping.logger);
            insert.bind(2, mapping.sensor);
            insert.bind(3, f.field);
            insert.bind(4, targetName(f.target));
            insert.bind(5, f.target.kind == Target::Time
                               ? (f.order ? orderName(*f.order) : QString())
                               : unitName(f.unit));
            insert.bind(6, who);
            insert.bind(7, when);
            insert.run();
        }
        store::AuditEntry e;
        e.operation = store::operation::MappingSaved;
        e.sensor = mapping.sensor;
        e.target = mapping.logger;
        e.newValue = mappingText(mapping);
        store::audit(db, e);
    });
}

} // namespace importer
