#include "migration/Adopt.h"

#include "app/TextFormat.h"
#include "migration/Texts.h"
#include "readings/ReadingKey.h"
#include "store/Audit.h"
#include "store/Schema.h"
#include "store/SchemaVersion.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QVariant>

#include <cmath>
#include <map>
#include <optional>
#include <set>

namespace migration {

namespace {

// How a column of ours keeps its values.
enum class Form {
    Text,
    Number,
    Flag,      // Yes/No as 0 or 1
    Count,     // a whole number
    YearFirst, // "yyyy/MM/dd" (InstallDate)
    ShortDate, // the system's short date, as the program writes DestructionDate
    YesNo,     // "Yes" or "No" (Destroyed)
    // The reading's moment; written by the reading rules, not column by column.
    Key,
    ReadingDate,
    ReadingTime,
    FullDate,
};

struct Target {
    QString name;
    Form form;
    // What a new row of the program gets when the column is not in the file.
    std::optional<QVariant> fallback = std::nullopt;
};

std::vector<Target> sensorTargets() {
    std::vector<Target> t;
    for (const QString& c : store::sensorColumns()) {
        Form f = Form::Text;
        if (c == QLatin1String("LengthofCable") || c == QLatin1String("Recess") ||
            c.startsWith(QLatin1String("NodeLocation")))
            f = Form::Number;
        else if (c == QLatin1String("HeadLocation"))
            f = Form::Flag;
        else if (c == QLatin1String("InstallDate"))
            f = Form::YearFirst;
        else if (c == QLatin1String("DestructionDate"))
            f = Form::ShortDate;
        else if (c == QLatin1String("Destroyed"))
            f = Form::YesNo;
        t.push_back({c, f});
        if (c == QLatin1String("Destroyed"))
            t.back().fallback = QVariant(QStringLiteral("No"));
        else if (c == QLatin1String("HeadLocation"))
            t.back().fallback = QVariant(qint64(1));
        else if (c == QLatin1String("LengthofCable") || c == QLatin1String("Recess"))
            t.back().fallback = QVariant(0.0);
    }
    return t;
}

std::vector<Target> readingTargets() {
    std::vector<Target> t;
    for (const QString& c : store::readingColumns()) {
        Form f = Form::Number;
        if (c == QLatin1String("DateTimeKey"))
            f = Form::Key;
        else if (c == QLatin1String("ReadingDate"))
            f = Form::ReadingDate;
        else if (c == QLatin1String("ReadingTime"))
            f = Form::ReadingTime;
        else if (c == QLatin1String("FullDate"))
            f = Form::FullDate;
        else if (c == QLatin1String("IsDirty") || c == QLatin1String("Plottemporal") ||
                 c == QLatin1String("PlotSpatial"))
            f = Form::Flag;
        t.push_back({c, f});
        if (f == Form::Flag)
            t.back().fallback = QVariant(qint64(c == QLatin1String("PlotSpatial") ? 0 : 1));
    }
    return t;
}

// A column of the copy.
struct SourceColumn {
    QString name;
    QString declared; // upper case
    bool isDate() const { return declared.startsWith(QLatin1String("DATE")); }
    bool isBoolean() const {
        return declared == QLatin1String("BOOLEAN") || declared == QLatin1String("BIT") ||
               declared == QLatin1String("YESNO");
    }
};

std::vector<SourceColumn> sourceColumns(store::Database& db, const QString& table) {
    std::vector<SourceColumn> columns;
    store::Statement st =
        db.prepare(QStringLiteral("SELECT name, type FROM pragma_table_info(?1)"));
    st.bind(1, table);
    while (st.step())
        columns.push_back({st.text(0), st.text(1).trimmed().toUpper()});
    return columns;
}

// Where each target column comes from (-1: nowhere), and the source columns
// nobody takes.
struct Mapping {
    std::vector<int> from;
    std::vector<int> extra;
};

Mapping mapColumns(const std::vector<Target>& targets, const std::vector<SourceColumn>& source) {
    Mapping m;
    std::vector<bool> taken(source.size(), false);
    for (const Target& t : targets) {
        int found = -1;
        for (size_t i = 0; i < source.size(); ++i)
            if (!taken[i] && source[i].name.compare(t.name, Qt::CaseInsensitive) == 0) {
                found = int(i);
                taken[i] = true;
                break;
            }
        m.from.push_back(found);
    }
    for (size_t i = 0; i < source.size(); ++i)
        if (!taken[i]) m.extra.push_back(int(i));
    return m;
}

QString textOf(const store::Statement& st, int i) {
    return st.text(i);
}

// The text of a value as a finding shows it.
QString shownValue(const store::Statement& st, int i) {
    switch (st.kind(i)) {
    case store::Statement::Kind::Null:
        return QStringLiteral("(none)");
    case store::Statement::Kind::Blob:
        return QStringLiteral("(%1 bytes)").arg(st.blob(i).size());
    default:
        return textOf(st, i);
    }
}

QString numberText(double d) {
    return QString::number(d, 'g', QLocale::FloatingPointShortest);
}

// A moment as the earlier versions and the copy write it: a date-time, a date
// alone or a time alone (Jet's time of day is a date-time on 1899-12-30).
std::optional<QDateTime> momentOf(const QString& raw) {
    const QString text = raw.trimmed();
    if (text.isEmpty()) return std::nullopt;
    for (const char* form :
         {"yyyy-MM-dd HH:mm:ss", "yyyy/MM/dd HH:mm:ss", "yyyy-MM-dd HH:mm", "yyyy/MM/dd HH:mm"}) {
        const QDateTime d = QDateTime::fromString(text, QString::fromLatin1(form));
        if (d.isValid()) return d;
    }
    for (const char* form : {"yyyy-MM-dd", "yyyy/MM/dd"}) {
        const QDate d = QDate::fromString(text, QString::fromLatin1(form));
        if (d.isValid()) return QDateTime(d, QTime(0, 0));
    }
    for (const char* form : {"HH:mm:ss", "H:mm:ss", "HH:mm"}) {
        const QTime t = QTime::fromString(text, QString::fromLatin1(form));
        if (t.isValid()) return QDateTime(QDate(1899, 12, 30), t);
    }
    if (const auto d = app::toDate(text)) return QDateTime(*d, QTime(0, 0));
    return std::nullopt;
}

std::optional<QDateTime> momentAt(const store::Statement& st, int i) {
    if (i < 0 || st.kind(i) != store::Statement::Kind::Text) return std::nullopt;
    return momentOf(textOf(st, i));
}

// A value of ours, or nothing (NULL).
using Value = std::optional<QVariant>;

class Converter {
public:
    // why: set when the value could not be kept as it was.
    Value convert(Form form, const SourceColumn& column, const store::Statement& st, int i,
                  QString& why) {
        const store::Statement::Kind type = st.kind(i);
        if (type == store::Statement::Kind::Null) return std::nullopt;
        if (type == store::Statement::Kind::Blob) {
            why = QStringLiteral("binary data where %1 keeps %2")
                      .arg(column.name, form == Form::Number ? QStringLiteral("numbers")
                                                             : QStringLiteral("text"));
            return std::nullopt;
        }
        switch (form) {
        case Form::Number:
            return number(st, i, type, why);
        case Form::Flag:
        case Form::Count:
            return whole(form, st, i, type, why);
        case Form::YesNo:
            if (type != store::Statement::Kind::Text)
                return QVariant(
                    QString(*st.number(i) != 0 ? QStringLiteral("Yes") : QStringLiteral("No")));
            return QVariant(textOf(st, i));
        case Form::YearFirst:
        case Form::ShortDate:
            if (type == store::Statement::Kind::Text) {
                const QString text = textOf(st, i);
                // Text typed in by hand is kept as typed unless it is a Jet date.
                if (!column.isDate()) return QVariant(text);
                if (const auto m = momentOf(text))
                    return QVariant(form == Form::YearFirst ? app::yearFirst(m->date())
                                                            : app::shortDate(m->date()));
                why = QStringLiteral("a date that cannot be read");
                return std::nullopt;
            }
            why = QStringLiteral("a date that cannot be read");
            return std::nullopt;
        default:
            if (type == store::Statement::Kind::Text) return QVariant(textOf(st, i));
            if (type == store::Statement::Kind::Integer)
                return QVariant(QString::number(st.int64(i)));
            return QVariant(numberText(*st.number(i)));
        }
    }

private:
    Value number(const store::Statement& st, int i, store::Statement::Kind type, QString& why) {
        if (type == store::Statement::Kind::Integer) return QVariant(double(st.int64(i)));
        if (type == store::Statement::Kind::Real) return QVariant(*st.number(i));
        const QString text = textOf(st, i).trimmed();
        if (text.isEmpty()) return std::nullopt;
        if (const auto n = app::toNumber(app::withDecimalPoint(text))) return QVariant(*n);
        why = QStringLiteral("not a number");
        return std::nullopt;
    }

    Value whole(Form form, const store::Statement& st, int i, store::Statement::Kind type,
                QString& why) {
        if (type == store::Statement::Kind::Text) {
            const QString text = textOf(st, i).trimmed();
            if (text.isEmpty()) return std::nullopt;
            if (form == Form::Flag) {
                for (const char* yes : {"yes", "true", "on"})
                    if (text.compare(QLatin1String(yes), Qt::CaseInsensitive) == 0)
                        return QVariant(qint64(1));
                for (const char* no : {"no", "false", "off"})
                    if (text.compare(QLatin1String(no), Qt::CaseInsensitive) == 0)
                        return QVariant(qint64(0));
            }
            const auto n = app::toNumber(text);
            if (!n) {
                why = QStringLiteral("not a number");
                return std::nullopt;
            }
            return wholeOf(form, *n, why);
        }
        if (type == store::Statement::Kind::Integer) {
            const qint64 v = st.int64(i);
            // Jet's Yes is -1 where it is stored as a number.
            return QVariant(form == Form::Flag ? qint64(v != 0) : v);
        }
        return wholeOf(form, *st.number(i), why);
    }

    Value wholeOf(Form form, double v, QString& why) {
        if (form == Form::Flag) return QVariant(qint64(v != 0));
        if (std::fabs(v) > 9e15) {
            why = QStringLiteral("not a whole number");
            return std::nullopt;
        }
        if (v != std::round(v)) why = QStringLiteral("rounded to a whole number");
        return QVariant(qint64(std::llround(v)));
    }
};

void bindValue(store::Statement& st, int index, const Value& v) {
    if (!v) {
        st.bindNull(index);
        return;
    }
    switch (v->typeId()) {
    case QMetaType::LongLong:
        st.bind(index, qint64(v->toLongLong()));
        break;
    case QMetaType::Double:
        st.bind(index, v->toDouble());
        break;
    default:
        st.bind(index, v->toString());
    }
}

QJsonValue jsonOf(const store::Statement& st, int i) {
    switch (st.kind(i)) {
    case store::Statement::Kind::Null:
        return QJsonValue::Null;
    case store::Statement::Kind::Integer:
        return QJsonValue(qint64(st.int64(i)));
    case store::Statement::Kind::Real:
        return QJsonValue(*st.number(i));
    case store::Statement::Kind::Blob:
        return QJsonValue(QString::fromLatin1(st.blob(i).toBase64()));
    default:
        return QJsonValue(textOf(st, i));
    }
}

class Adopter {
public:
    Adopter(store::Database& source, store::Database& target, const Progress& progress,
            const FindingSink& sink, AdoptReport& report)
        : src_(source), db_(target), progress_(progress), sink_(sink), report_(report) {
        for (const QString& name : src_.tableNames())
            if (!name.startsWith(QLatin1String("sqlite_"), Qt::CaseInsensitive))
                byName_[name.toLower()] = name;
    }

    std::optional<QString> sourceTable(const QString& ours) {
        const auto it = byName_.find(ours.toLower());
        if (it == byName_.end()) return std::nullopt;
        return it->second;
    }

    bool hasColumn(const QString& table, const QString& column) {
        for (const SourceColumn& c : sourceColumns(src_, table))
            if (c.name.compare(column, Qt::CaseInsensitive) == 0) return true;
        return false;
    }

    QStringList sourceTables() const {
        QStringList names;
        for (const auto& [lower, name] : byName_)
            names << name;
        return names;
    }

    void countRows() {
        total_ = 0;
        for (const auto& [lower, name] : byName_) {
            store::Statement st =
                src_.prepare(QStringLiteral("SELECT count(*) FROM ") + store::quoteName(name));
            if (st.step()) total_ += st.int64(0);
        }
    }

    // The register; returns the sensor numbers in it, in the copy's order.
    QStringList sensors(const QString& from) {
        QStringList numbers;
        std::set<QString> seen;
        copyRows(
            from, store::table::Sensors, sensorTargets(),
            [&](const store::Statement& st, const Mapping&, std::vector<Value>& v, qint64 row) {
                const QString number = v[0] ? v[0]->toString().trimmed() : QString();
                if (number.isEmpty()) {
                    setAside(from, row, st, QStringLiteral("no sensor number"));
                    return false;
                }
                if (!seen.insert(number.toLower()).second) {
                    setAside(from, row, st,
                             QStringLiteral("sensor number %1 twice; the first kept").arg(number));
                    return false;
                }
                // The reading table is found by the number without the blanks.
                if (v[0]->toString() != number) {
                    ++report_.changed;
                    finding(from, number,
                            QStringLiteral("InstrumentID \"%1\" stored without its blanks")
                                .arg(v[0]->toString()));
                    v[0] = QVariant(number);
                }
                numbers << number;
                return true;
            });
        return numbers;
    }

    // A fixed table's rows in place of the new file's defaults.
    void fixedTable(const QString& ours, const std::vector<Target>& targets) {
        const auto from = sourceTable(ours);
        if (!from) {
            report_.notes << QStringLiteral("%1 was not in the file; it has the rows a new "
                                            "database gets.")
                                 .arg(ours);
            return;
        }
        db_.execute(QStringLiteral("DELETE FROM ") + store::quoteName(ours));
        copyRows(*from, ours, targets, {});
        // The program reads the first row of each; a file without one gets the defaults.
        if (ours != store::table::NetworkConfig && rowsOf(ours) == 0) {
            db_.execute(QStringLiteral("DELETE FROM ") + store::quoteName(ours));
            report_.notes
                << QStringLiteral("%1 had no rows; it has the rows a new database gets.").arg(ours);
            restoreDefaults(ours);
        }
    }

    void readingTable(const QString& number) {
        store::copyTemplate(db_, number);
        const auto from = sourceTable(number);
        if (!from) {
            report_.notes << QStringLiteral(
                                 "Sensor %1 had no reading table; an empty one was made.")
                                 .arg(number);
            report_.tables.push_back({QString(), number, 0, 0});
            return;
        }
        const std::vector<Target> targets = readingTargets();
        copyRows(*from, number, targets,
                 [&](const store::Statement& st, const Mapping& m, std::vector<Value>& v,
                     qint64 row) { return readingRow(*from, number, st, m, v, row); });
    }

    void leftOut(const QSet<QString>& used) {
        for (const auto& [lower, name] : byName_) {
            if (used.contains(lower)) continue;
            const qint64 rows = sourceRows(name);
            if (lower == store::table::Template.toLower()) {
                if (rows > 0)
                    report_.notes << QStringLiteral("The template sensordata held %1 rows; they "
                                                    "were left out (a template holds none).")
                                         .arg(rows);
                continue;
            }
            report_.notes << QStringLiteral("The table %1 (%2 rows) is not one of Tolvane's and "
                                            "no sensor's reading table; it was left out (the "
                                            "original file keeps it).")
                                 .arg(name)
                                 .arg(rows);
            report_.tables.push_back({name, QString(), rows, 0});
        }
    }

private:
    using RowRule = std::function<bool(const store::Statement&, const Mapping&, std::vector<Value>&,
                                       qint64 row)>;

    qint64 rowsOf(const QString& table) {
        store::Statement st =
            db_.prepare(QStringLiteral("SELECT count(*) FROM ") + store::quoteName(table));
        return st.step() ? st.int64(0) : 0;
    }
    qint64 sourceRows(const QString& table) {
        store::Statement st =
            src_.prepare(QStringLiteral("SELECT count(*) FROM ") + store::quoteName(table));
        return st.step() ? st.int64(0) : 0;
    }

    void restoreDefaults(const QString& table) {
        if (table == store::table::Configuration)
            db_.execute(QStringLiteral("INSERT INTO `Configuration` (SensorType, ModelName, "
                                       "NumNodes) VALUES ('21', 'q1MPBX', 1)"));
        else if (table == store::table::Prefs)
            db_.execute(QStringLiteral("INSERT INTO `Prefs` (MaxY, MinY, MinX, MaxX) VALUES "
                                       "('10', '-10', '0', '0')"));
    }

    void finding(const QString& table, const QString& row, const QString& what) {
        if (sink_) sink_(QStringLiteral("%1, %2: %3").arg(table, row, what));
    }

    void ensureSetAside() {
        if (setAsideMade_) return;
        db_.execute(QStringLiteral("CREATE TABLE IF NOT EXISTS %1 (\n"
                                   "  SourceTable TEXT NOT NULL,\n"
                                   "  SourceRow INTEGER NOT NULL,\n"
                                   "  Reason TEXT NOT NULL,\n"
                                   "  Data TEXT NOT NULL\n"
                                   ") STRICT")
                        .arg(store::quoteName(SetAsideTable)));
        setAsideMade_ = true;
    }

    void keepAside(const QString& table, qint64 row, const QString& reason,
                   const QJsonObject& data) {
        ensureSetAside();
        store::Statement st = db_.prepare(
            QStringLiteral("INSERT INTO %1 (SourceTable, SourceRow, Reason, Data) VALUES (?1, "
                           "?2, ?3, ?4)")
                .arg(store::quoteName(SetAsideTable)));
        st.bind(1, table);
        st.bind(2, row);
        st.bind(3, reason);
        st.bind(4, QString::fromUtf8(QJsonDocument(data).toJson(QJsonDocument::Compact)));
        st.run();
        ++report_.setAside;
    }

    // A whole row that could not become one of ours.
    void setAside(const QString& table, qint64 row, const store::Statement& st,
                  const QString& reason) {
        QJsonObject data;
        for (int i = 0; i < st.columnCount(); ++i)
            data.insert(st.columnName(i), jsonOf(st, i));
        keepAside(table, row, reason, data);
        ++report_.dropped;
        finding(table, QStringLiteral("row %1").arg(row),
                QStringLiteral("kept aside in %1 (%2)").arg(SetAsideTable, reason));
    }

    bool readingRow(const QString& from, const QString& number, const store::Statement& st,
                    const Mapping& m, std::vector<Value>& v, qint64 row) {
        // The moment: FullDate, else ReadingDate and ReadingTime, else the key's end.
        const int full = m.from[14], date = m.from[1], time = m.from[2], key = m.from[0];
        std::optional<QDateTime> moment = momentAt(st, full);
        std::optional<QDateTime> parts;
        if (const auto d = momentAt(st, date)) {
            const auto t = momentAt(st, time);
            parts = QDateTime(d->date(), t ? t->time() : QTime(0, 0));
        }
        const QString keyText = key >= 0 && st.kind(key) == store::Statement::Kind::Text
                                    ? textOf(st, key).trimmed()
                                    : QString();
        if (!moment) moment = parts;
        if (!moment && keyText.size() > 19) moment = momentOf(keyText.right(19));
        if (!moment || !moment->date().isValid() || moment->date().year() < 1900) {
            setAside(from, row, st, QStringLiteral("its date cannot be read"));
            return false;
        }
        const QString rowName = keyText.isEmpty() ? QStringLiteral("row %1").arg(row) : keyText;
        if (parts && *parts != *moment && time >= 0 && full >= 0) {
            ++report_.changed;
            finding(from, rowName,
                    QStringLiteral("ReadingDate and ReadingTime %1 made to agree with FullDate %2")
                        .arg(parts->toString(QStringLiteral("yyyy/MM/dd HH:mm:ss")),
                             moment->toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))));
        }
        QString newKey = keyText;
        if (newKey.isEmpty()) {
            newKey = readings::readingKey(number, *moment);
            ++report_.changed;
            finding(from, rowName,
                    QStringLiteral("no DateTimeKey; made %1 from its date").arg(newKey));
        }
        v[0] = QVariant(newKey);
        v[1] = QVariant(readings::keyDate(moment->date()));
        v[2] = QVariant(readings::keyTime(moment->time()));
        v[14] = QVariant(readings::fullDateText(moment->date(), moment->time()));
        return true;
    }

    void copyRows(const QString& from, const QString& to, const std::vector<Target>& targets,
                  const RowRule& rule) {
        const std::vector<SourceColumn> source = sourceColumns(src_, from);
        const Mapping m = mapColumns(targets, source);
        QStringList missing, extraNames;
        for (size_t i = 0; i < targets.size(); ++i)
            if (m.from[i] < 0) missing << targets[i].name;
        for (int e : m.extra)
            extraNames << source[size_t(e)].name;
        if (!missing.isEmpty())
            report_.notes << QStringLiteral("%1 lacked the columns %2; they have the values a new "
                                            "row gets (most of them none).")
                                 .arg(from, missing.join(QStringLiteral(", ")));
        if (!extraNames.isEmpty())
            report_.notes << QStringLiteral("%1 has columns Tolvane does not know (%2); their "
                                            "values are kept in %3.")
                                 .arg(from, extraNames.join(QStringLiteral(", ")), SetAsideTable);

        QStringList names, marks;
        for (size_t i = 0; i < targets.size(); ++i) {
            names << targets[i].name;
            marks << QStringLiteral("?%1").arg(i + 1);
        }
        // Readings whose key is taken already are kept aside rather than refused.
        store::Statement insert =
            db_.prepare(QStringLiteral("INSERT OR IGNORE INTO %1 (%2) "
                                       "VALUES (%3)")
                            .arg(store::quoteName(to), names.join(QStringLiteral(", ")),
                                 marks.join(QStringLiteral(", "))));
        store::Statement select =
            src_.prepare(QStringLiteral("SELECT rowid AS rowid_, * FROM ") +
                         store::quoteName(from) + QStringLiteral(" ORDER BY rowid"));
        const store::Statement& st = select;
        if (progress_ && !progress_(to, done_, total_))
            throw store::Error(store::code::Interrupt, texts::Cancelled);
        Converter convert;
        std::vector<Value> values(targets.size());
        AdoptedTable outcome{from, to, 0, 0};
        // Column 0 of the select is the rowid.
        auto at = [](int i) { return i + 1; };
        while (select.step()) {
            const qint64 row = st.int64(0);
            ++outcome.read;
            tick(to);
            for (size_t i = 0; i < targets.size(); ++i) {
                values[i].reset();
                if (m.from[i] < 0) {
                    values[i] = targets[i].fallback;
                    continue;
                }
                QString why;
                values[i] = convert.convert(targets[i].form, source[size_t(m.from[i])], st,
                                            at(m.from[i]), why);
                if (!why.isEmpty()) {
                    ++report_.changed;
                    finding(from, QStringLiteral("row %1").arg(row),
                            QStringLiteral("%1 %2 %3 (%4)")
                                .arg(targets[i].name, shownValue(st, at(m.from[i])),
                                     values[i]
                                         ? QStringLiteral("stored as ") + values[i]->toString()
                                         : QStringLiteral("left empty"),
                                     why));
                }
            }
            Mapping shifted = m;
            for (int& f : shifted.from)
                if (f >= 0) f = at(f);
            if (rule && !rule(st, shifted, values, row)) continue;
            for (size_t i = 0; i < values.size(); ++i)
                bindValue(insert, int(i) + 1, values[i]);
            insert.run();
            if (db_.changes() == 0) {
                setAside(from, row, st,
                         QStringLiteral("reading key %1 twice; the first kept")
                             .arg(values[0] ? values[0]->toString() : QString()));
                continue;
            }
            ++outcome.written;
            if (!m.extra.empty()) {
                QJsonObject extra;
                bool any = false;
                for (int e : m.extra) {
                    const QJsonValue value = jsonOf(st, at(e));
                    any = any || !value.isNull();
                    extra.insert(source[size_t(e)].name, value);
                }
                if (any) {
                    extra.insert(QStringLiteral("(key)"), values[0]
                                                              ? QJsonValue(values[0]->toString())
                                                              : QJsonValue(QJsonValue::Null));
                    keepAside(from, row, QStringLiteral("extra columns"), extra);
                }
            }
        }
        report_.tables.push_back(outcome);
    }

    void tick(const QString& table) {
        ++done_;
        if (progress_ && done_ % 4096 == 0 && !progress_(table, done_, total_))
            throw store::Error(store::code::Interrupt, texts::Cancelled);
    }

    store::Database& src_;
    store::Database& db_;
    const Progress& progress_;
    const FindingSink& sink_;
    AdoptReport& report_;
    std::map<QString, QString> byName_; // lower case -> as written
    bool setAsideMade_ = false;
    qint64 done_ = 0, total_ = 0;
};

std::vector<Target> textTargets(std::initializer_list<const char*> names) {
    std::vector<Target> t;
    for (const char* n : names)
        t.push_back({QString::fromLatin1(n), Form::Text});
    return t;
}

} // namespace

AdoptReport adoptCopy(const QString& copyPath, const QString& target, const QString& origin,
                      const Progress& progress, const FindingSink& findings,
                      const store::Actor& by) {
    if (QFileInfo::exists(target))
        throw store::Error(store::code::CantOpen,
                           texts::TargetExists + QStringLiteral(": ") + target);
    auto source = store::Database::open(copyPath, true);
    AdoptReport report;
    const QString aside = target + QStringLiteral(".part");
    QFile::remove(aside);
    try {
        // Made as a first installation makes a database: the current schema
        // version, whatever steps later versions add.
        store::createDatabaseFile(aside);
        {
            auto db = store::Database::open(aside);
            if (by.now) db->setActor(by);
            Adopter adopter(*source, *db, progress, findings, report);
            const auto sensors = adopter.sourceTable(store::table::Sensors);
            if (!sensors || !adopter.hasColumn(*sensors, QStringLiteral("InstrumentID")))
                throw store::Error(store::code::NotADatabase,
                                   texts::foreign(adopter.sourceTables()));
            adopter.countRows();
            db->immediateTransaction([&] {
                QSet<QString> used{store::table::Sensors.toLower(),
                                   store::table::Template.toLower()};
                const QStringList numbers = adopter.sensors(*sensors);
                std::vector<Target> configuration = textTargets({"SensorType", "ModelName"});
                configuration.push_back({QStringLiteral("NumNodes"), Form::Count});
                adopter.fixedTable(store::table::Configuration, configuration);
                adopter.fixedTable(store::table::Prefs,
                                   textTargets({"MaxY", "MinY", "MinX", "MaxX"}));
                std::vector<Target> network = textTargets({"SensorID", "LoggerID"});
                network.push_back({QStringLiteral("Channel"), Form::Count});
                adopter.fixedTable(store::table::NetworkConfig, network);
                for (const QString& t : {store::table::Configuration, store::table::Prefs,
                                         store::table::NetworkConfig})
                    used.insert(t.toLower());
                for (const QString& number : numbers) {
                    adopter.readingTable(number);
                    used.insert(number.toLower());
                }
                adopter.leftOut(used);
                store::AuditEntry e;
                e.operation = store::operation::DatabaseConverted;
                e.target = origin;
                e.count = report.dropped;
                e.note = QStringLiteral("%1 rows kept aside in %2, %3 values changed")
                             .arg(report.setAside)
                             .arg(SetAsideTable)
                             .arg(report.changed);
                store::audit(*db, e);
            });
            // Checked before it takes its place.
            store::Statement check = db->prepare(QStringLiteral("PRAGMA integrity_check"));
            if (!check.step() || check.text(0) != QLatin1String("ok"))
                throw store::Error(store::code::Corrupt, texts::VerifyFailed);
            if (store::schemaVersion(*db) != store::currentSchemaVersion())
                throw store::Error(store::code::Error, texts::VerifyFailed);
            for (const AdoptedTable& t : report.tables) {
                if (t.to.isEmpty()) continue;
                store::Statement count =
                    db->prepare(QStringLiteral("SELECT count(*) FROM ") + store::quoteName(t.to));
                if (!count.step() || count.int64(0) != t.written)
                    throw store::Error(store::code::Error,
                                       texts::VerifyFailed + QStringLiteral(" (%1)").arg(t.to));
            }
        }
        if (!QFile::rename(aside, target))
            throw store::Error(store::code::CantOpen,
                               QStringLiteral("cannot write the converted file %1").arg(target));
    } catch (...) {
        QFile::remove(aside);
        throw;
    }
    return report;
}

} // namespace migration
