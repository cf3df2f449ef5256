#include "levels/TriggerLevels.h"

#include "store/Audit.h"

#include <QStringList>

#include <cmath>

namespace levels {

namespace {

const QString LevelsTable = QStringLiteral("TriggerLevels");
const QString TriggersTable = QStringLiteral("SensorTriggers");
const QString ThresholdsTable = QStringLiteral("SensorThresholds");

void refuse(const QString& text) {
    throw store::Error(store::code::Error, text);
}

QString number(double v) {
    return QString::number(v, 'g', 15);
}

// The whole of a sensor's triggers as lines, for the audit entry.
QString triggersText(const SensorTriggers& t, const std::vector<TriggerLevel>& levels) {
    QStringList lines;
    lines << QStringLiteral("Window: %1 h").arg(number(t.windowHours));
    lines << QStringLiteral("No new data after: %1")
                 .arg(t.staleAfterHours ? number(*t.staleAfterHours) + QStringLiteral(" h")
                                        : QStringLiteral("off"));
    for (int a = 0; a <= MaxAnchors; ++a) {
        const QString scope =
            a == 0 ? QStringLiteral("All anchors") : QStringLiteral("Anchor %1").arg(a);
        if (!t.displacement[size_t(a)].empty())
            lines << QStringLiteral("%1 displacement: %2")
                         .arg(scope, thresholdsText(t.displacement[size_t(a)], levels));
        if (!t.rate[size_t(a)].empty())
            lines << QStringLiteral("%1 rate: %2")
                         .arg(scope, thresholdsText(t.rate[size_t(a)], levels));
    }
    return lines.join(QLatin1Char('\n'));
}

QString levelsText(const std::vector<TriggerLevel>& levels) {
    QStringList lines;
    for (const TriggerLevel& l : levels)
        lines << QStringLiteral("%1 %2").arg(l.name, colourText(l.colour));
    return lines.join(QLatin1Char('\n'));
}

void readThresholds(store::Database& db, const QString& where, const QString& number,
                    const std::function<void(const QString&, int, Kind, int, double)>& f) {
    store::Statement st = db.prepare(
        QStringLiteral("SELECT SensorID, Anchor, Kind, Level, Value FROM SensorThresholds%1")
            .arg(where));
    if (!number.isNull()) st.bind(1, number);
    while (st.step()) {
        const int anchor = int(st.int64(1));
        const int level = int(st.int64(3));
        if (anchor < 0 || anchor > MaxAnchors || level < 1 || level > MaxLevels) continue;
        const Kind kind = st.text(2) == QLatin1String("rate") ? Kind::Rate : Kind::Displacement;
        f(st.text(0), anchor, kind, level, st.number(4).value_or(0));
    }
}

void place(SensorTriggers& t, int anchor, Kind kind, int level, double value) {
    (kind == Kind::Rate ? t.rate : t.displacement)[size_t(anchor)][level] = value;
}

} // namespace

std::vector<TriggerLevel> defaultLevels() {
    std::vector<TriggerLevel> levels(3);
    levels[0].position = 1;
    levels[0].name = QStringLiteral("Alert");
    levels[0].colour = QColor(0xff, 0xbf, 0x00);
    levels[1].position = 2;
    levels[1].name = QStringLiteral("Alarm");
    levels[1].colour = QColor(0xff, 0x45, 0x00);
    levels[2].position = 3;
    levels[2].name = QStringLiteral("Action");
    levels[2].colour = QColor(0xe0, 0x00, 0x00);
    return levels;
}

std::vector<TriggerLevel> siteLevels(store::Database& db) {
    if (!db.hasTable(LevelsTable)) return defaultLevels();
    std::vector<TriggerLevel> levels;
    store::Statement st = db.prepare(
        QStringLiteral("SELECT Position, Name, Colour FROM TriggerLevels ORDER BY Position"));
    while (st.step()) {
        TriggerLevel l;
        l.position = int(levels.size()) + 1;
        l.name = st.text(1);
        l.colour = QColor(st.text(2));
        if (!l.colour.isValid()) l.colour = Qt::red;
        levels.push_back(l);
    }
    return levels.empty() ? defaultLevels() : levels;
}

QString colourText(const QColor& colour) {
    return colour.name(QColor::HexRgb);
}

void setSiteLevels(store::Database& db, const std::vector<TriggerLevel>& levels) {
    if (levels.empty() || levels.size() > size_t(MaxLevels))
        refuse(QStringLiteral("Levels: a site has 1 to %1 levels").arg(MaxLevels));
    QStringList names;
    for (const TriggerLevel& l : levels) {
        const QString name = l.name.trimmed();
        if (name.isEmpty())
            refuse(QStringLiteral("Level %1: the name is empty").arg(names.size() + 1));
        if (name.contains(QLatin1Char('=')) || name.contains(QLatin1Char(',')))
            refuse(
                QStringLiteral("Level %1: a name holds no \"=\" or \",\"").arg(names.size() + 1));
        if (names.contains(name, Qt::CaseInsensitive))
            refuse(QStringLiteral("Level %1: the name \"%2\" is used twice")
                       .arg(names.size() + 1)
                       .arg(name));
        if (!l.colour.isValid())
            refuse(QStringLiteral("Level %1: the colour is not valid").arg(names.size() + 1));
        names << name;
    }
    if (!db.hasTable(LevelsTable))
        refuse(QStringLiteral("this database keeps no trigger levels (it is of an older version)"));
    const std::vector<TriggerLevel> before = siteLevels(db);
    db.transaction([&] {
        db.execute(QStringLiteral("DELETE FROM TriggerLevels"));
        store::Statement ins = db.prepare(QStringLiteral(
            "INSERT INTO TriggerLevels (Position, Name, Colour) VALUES (?1, ?2, ?3)"));
        for (size_t i = 0; i < levels.size(); ++i) {
            ins.bind(1, qint64(i + 1));
            ins.bind(2, levels[i].name.trimmed());
            ins.bind(3, colourText(levels[i].colour));
            ins.run();
        }
        store::AuditEntry e;
        e.operation = store::operation::SiteLevelsChanged;
        e.oldValue = levelsText(before);
        e.newValue = levelsText(levels);
        store::audit(db, e);
    });
}

QString kindName(Kind kind) {
    return kind == Kind::Rate ? QStringLiteral("rate") : QStringLiteral("displacement");
}

const Thresholds& SensorTriggers::forAnchor(Kind kind, int anchor) const {
    const auto& lists = kind == Kind::Rate ? rate : displacement;
    if (anchor >= 1 && anchor <= MaxAnchors && !lists[size_t(anchor)].empty())
        return lists[size_t(anchor)];
    return lists[0];
}

bool SensorTriggers::any() const {
    for (size_t a = 0; a <= size_t(MaxAnchors); ++a)
        if (!displacement[a].empty() || !rate[a].empty()) return true;
    return false;
}

SensorTriggers sensorTriggers(store::Database& db, const QString& sensorNumber) {
    SensorTriggers t;
    if (!db.hasTable(TriggersTable)) return t;
    {
        store::Statement st = db.prepare(QStringLiteral(
            "SELECT RateWindowHours, StaleAfterHours FROM SensorTriggers WHERE SensorID = ?1"));
        st.bind(1, sensorNumber);
        if (st.step()) {
            t.windowHours = st.number(0).value_or(DefaultWindowHours);
            t.staleAfterHours = st.number(1);
        }
    }
    readThresholds(db, QStringLiteral(" WHERE SensorID = ?1"), sensorNumber,
                   [&](const QString&, int anchor, Kind kind, int level, double value) {
                       place(t, anchor, kind, level, value);
                   });
    return t;
}

std::map<QString, SensorTriggers> allSensorTriggers(store::Database& db) {
    std::map<QString, SensorTriggers> all;
    if (!db.hasTable(TriggersTable)) return all;
    store::Statement st = db.prepare(
        QStringLiteral("SELECT SensorID, RateWindowHours, StaleAfterHours FROM SensorTriggers"));
    while (st.step()) {
        SensorTriggers& t = all[st.text(0)];
        t.windowHours = st.number(1).value_or(DefaultWindowHours);
        t.staleAfterHours = st.number(2);
    }
    readThresholds(db, QString(), QString(),
                   [&](const QString& sensor, int anchor, Kind kind, int level, double value) {
                       place(all[sensor], anchor, kind, level, value);
                   });
    return all;
}

void checkThresholds(const Thresholds& thresholds, const std::vector<TriggerLevel>& levels,
                     const QString& field) {
    std::optional<double> previous;
    QString previousName;
    for (const auto& [position, value] : thresholds) {
        if (position < 1 || position > int(levels.size()))
            refuse(QStringLiteral("%1: there is no level %2").arg(field).arg(position));
        const QString& name = levels[size_t(position - 1)].name;
        if (!std::isfinite(value))
            refuse(QStringLiteral("%1: %2 is not a number").arg(field, name));
        if (value < 0) refuse(QStringLiteral("%1: %2 is negative").arg(field, name));
        if (previous && value <= *previous)
            refuse(QStringLiteral("%1: %2 (%3) must be above %4 (%5)")
                       .arg(field, name, number(value), previousName, number(*previous)));
        previous = value;
        previousName = name;
    }
}

Thresholds parseThresholds(const QString& text, const std::vector<TriggerLevel>& levels,
                           const QString& field) {
    Thresholds thresholds;
    const QStringList parts = text.split(QLatin1Char(','), Qt::SkipEmptyParts);
    for (const QString& raw : parts) {
        const QString part = raw.trimmed();
        if (part.isEmpty()) continue;
        const qsizetype eq = part.indexOf(QLatin1Char('='));
        if (eq < 0) refuse(QStringLiteral("%1: \"%2\" is not LEVEL=VALUE").arg(field, part));
        const QString name = part.left(eq).trimmed();
        const QString valueText = part.mid(eq + 1).trimmed();
        int position = 0;
        for (const TriggerLevel& l : levels)
            if (l.name.compare(name, Qt::CaseInsensitive) == 0) position = l.position;
        if (position == 0) {
            QStringList known;
            for (const TriggerLevel& l : levels)
                known << l.name;
            refuse(QStringLiteral("%1: there is no level \"%2\" (the levels are %3)")
                       .arg(field, name, known.join(QStringLiteral(", "))));
        }
        if (thresholds.count(position))
            refuse(QStringLiteral("%1: %2 is given twice")
                       .arg(field, levels[size_t(position - 1)].name));
        bool ok = false;
        const double value = valueText.toDouble(&ok);
        if (!ok || !std::isfinite(value))
            refuse(QStringLiteral("%1: %2 \"%3\" is not a number").arg(field, name, valueText));
        thresholds[position] = value;
    }
    checkThresholds(thresholds, levels, field);
    return thresholds;
}

QString thresholdsText(const Thresholds& thresholds, const std::vector<TriggerLevel>& levels) {
    QStringList parts;
    for (const auto& [position, value] : thresholds) {
        const QString name = position >= 1 && position <= int(levels.size())
                                 ? levels[size_t(position - 1)].name
                                 : QStringLiteral("Level %1").arg(position);
        parts << QStringLiteral("%1=%2").arg(name, number(value));
    }
    return parts.join(QLatin1Char(','));
}

void setSensorTriggers(store::Database& db, const QString& sensorNumber,
                       const SensorTriggers& triggers) {
    if (!(triggers.windowHours > 0) || !std::isfinite(triggers.windowHours))
        refuse(QStringLiteral("Window: the rate window must be more than 0 hours"));
    if (triggers.staleAfterHours &&
        (!(*triggers.staleAfterHours > 0) || !std::isfinite(*triggers.staleAfterHours)))
        refuse(QStringLiteral("No new data after: the limit must be more than 0 hours"));
    const std::vector<TriggerLevel> levels = siteLevels(db);
    for (int a = 0; a <= MaxAnchors; ++a) {
        const QString scope =
            a == 0 ? QStringLiteral("All anchors") : QStringLiteral("Anchor %1").arg(a);
        checkThresholds(triggers.displacement[size_t(a)], levels,
                        scope + QStringLiteral(" displacement"));
        checkThresholds(triggers.rate[size_t(a)], levels, scope + QStringLiteral(" rate"));
    }
    if (!db.hasTable(TriggersTable))
        refuse(QStringLiteral("this database keeps no trigger levels (it is of an older version)"));
    const SensorTriggers before = sensorTriggers(db, sensorNumber);
    db.transaction([&] {
        store::Statement del =
            db.prepare(QStringLiteral("DELETE FROM SensorThresholds WHERE SensorID = ?1"));
        del.bind(1, sensorNumber);
        del.run();
        store::Statement put = db.prepare(QStringLiteral(
            "INSERT INTO SensorTriggers (SensorID, RateWindowHours, StaleAfterHours) VALUES (?1, "
            "?2, ?3) ON CONFLICT (SensorID) DO UPDATE SET RateWindowHours = "
            "excluded.RateWindowHours, StaleAfterHours = excluded.StaleAfterHours"));
        put.bind(1, sensorNumber);
        put.bind(2, triggers.windowHours);
        if (triggers.staleAfterHours)
            put.bind(3, *triggers.staleAfterHours);
        else
            put.bindNull(3);
        put.run();
        store::Statement ins = db.prepare(
            QStringLiteral("INSERT INTO SensorThresholds (SensorID, Anchor, Kind, Level, Value) "
                           "VALUES (?1, ?2, ?3, ?4, ?5)"));
        for (int a = 0; a <= MaxAnchors; ++a)
            for (Kind kind : {Kind::Displacement, Kind::Rate})
                for (const auto& [level, value] :
                     (kind == Kind::Rate ? triggers.rate : triggers.displacement)[size_t(a)]) {
                    ins.bind(1, sensorNumber);
                    ins.bind(2, qint64(a));
                    ins.bind(3, kindName(kind));
                    ins.bind(4, qint64(level));
                    ins.bind(5, value);
                    ins.run();
                }
        store::AuditEntry e;
        e.operation = store::operation::TriggersChanged;
        e.sensor = sensorNumber;
        e.oldValue = triggersText(before, levels);
        e.newValue = triggersText(triggers, levels);
        store::audit(db, e);
    });
}

} // namespace levels
