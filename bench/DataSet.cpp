#include "DataSet.h"

#include "levels/TriggerLevels.h"
#include "store/Database.h"
#include "store/Schema.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <map>
#include <numbers>
#include <random>
#include <vector>

namespace bench {

namespace {
const QDateTime Start(QDate(2016, 1, 1), QTime(0, 0));
}

QString sensorNumber(int index) {
    // DateID 2016.., type codes 21..91 in turn, serial 001..999.
    const int type = 21 + 10 * (index % 8);
    return QStringLiteral("%1%2%3")
        .arg(1601 + (index / 999) % 8000, 4, 10, QLatin1Char('0'))
        .arg(type)
        .arg(index % 999 + 1, 3, 10, QLatin1Char('0'));
}

QDateTime generatedReadingTime(int k) {
    return Start.addSecs(3600LL * k);
}

QString generatedReadingKey(const QString& number, int k) {
    return number + generatedReadingTime(k).toString(QStringLiteral(" yyyy/MM/dd HH:mm:ss"));
}

namespace {

// Sensor numbers of the site: DateID 1501.., the type code of the anchors,
// serial from 501 on (apart from the generated sensors' 001..).
QString siteNumber(int index, int anchors) {
    return QStringLiteral("%1%2%3")
        .arg(1501 + index / 400, 4, 10, QLatin1Char('0'))
        .arg(11 + 10 * anchors)
        .arg(501 + index % 400, 3, 10, QLatin1Char('0'));
}

void addRegisterRow(store::Database& db, const QString& number, int nodes, int s) {
    store::Statement add = db.prepare(QStringLiteral(
        "INSERT INTO Sensors (InstrumentID, DateID, TypeID, SensorNo, Family, Model, "
        "SensorType, LengthofCable, Level, Location, Borehole, InstallDate, Recess, "
        "HeadLocation, NodeLocation1, NodeLocation2, NodeLocation3, NodeLocation4, "
        "NodeLocation5, NodeLocation6, NodeLocation7, NodeLocation8, Destroyed) VALUES "
        "(?1, ?2, ?3, ?4, ?5, 'EX', ?3, ?6, ?7, ?8, ?9, ?10, 0, 1, ?11, ?12, ?13, ?14, "
        "?15, ?16, ?17, ?18, 'No')"));
    add.bind(1, number);
    add.bind(2, number.left(4));
    add.bind(3, number.mid(4, 2));
    add.bind(4, number.mid(6, 3));
    add.bind(5, QStringLiteral("q%1MPBX").arg(nodes));
    add.bind(6, 2.0 * nodes + 1.0);
    add.bind(7, QStringLiteral("%1 Level").arg(400 + 25 * (s % 12)));
    add.bind(8, QStringLiteral("Stope %1").arg(s % 40));
    add.bind(9, QStringLiteral("BH-%1").arg(s));
    add.bind(10, Start.date().toString(QStringLiteral("yyyy/MM/dd")));
    for (int n = 1; n <= 8; ++n) {
        if (n <= nodes)
            add.bind(10 + n, 2.0 * n);
        else
            add.bindNull(10 + n);
    }
    add.run();
    store::copyTemplate(db, number);
}

// Hourly readings of one sensor through the engine's own calls: the site has
// close to two million of them. A few readings are stored late, after later
// ones, as a logger's gap filled afterwards leaves them.
void addSiteReadings(store::Database& db, const QString& number, int nodes, int readings,
                     std::mt19937& random) {
    std::normal_distribution<double> noise(0.0, 0.02);
    // Most of the movement in the first year or two, then a slow creep; the
    // deepest anchor moves least.
    std::uniform_real_distribution<double> early(1.0, 25.0), creep(0.5, 20.0);
    const double settle = early(random), slow = creep(random);
    double share[8], base[8];
    for (int n = 0; n < 8; ++n) {
        share[n] = double(nodes - n) / std::max(nodes, 1);
        base[n] = 10.0 + 5.0 * n;
    }
    std::vector<int> order(static_cast<size_t>(readings));
    for (int k = 0; k < readings; ++k)
        order[size_t(k)] = k;
    std::uniform_int_distribution<int> late(1, 72);
    for (int k = 0; k + 72 < readings; k += 1 + int(random() % 400))
        std::swap(order[size_t(k)], order[size_t(k + late(random))]);

    const QByteArray sql =
        QStringLiteral("INSERT INTO %1 (DateTimeKey, ReadingDate, ReadingTime, ChannelT, "
                       "Channel1, Channel2, Channel3, Channel4, Channel5, Channel6, Channel7, "
                       "Channel8, FullDate, IsDirty, Plottemporal, PlotSpatial) VALUES (?1, ?2, "
                       "?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, 1, 1, ?14)")
            .arg(store::quoteName(number))
            .toUtf8();
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db.handle(), sql.constData(), -1, &st, nullptr) != SQLITE_OK)
        store::Database::raise(db.handle());
    const QByteArray prefix = number.toUtf8();
    for (const int k : order) {
        const QDate day = Start.date().addDays(k / 24);
        const int hour = k % 24;
        char key[64], date[16], time[16], full[32];
        std::snprintf(date, sizeof date, "%04d/%02d/%02d", day.year(), day.month(), day.day());
        std::snprintf(time, sizeof time, "%02d:00:00", hour);
        std::snprintf(key, sizeof key, "%s %s %s", prefix.constData(), date, time);
        std::snprintf(full, sizeof full, "%04d-%02d-%02d %s", day.year(), day.month(), day.day(),
                      time);
        const double days = k / 24.0;
        sqlite3_bind_text(st, 1, key, -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(st, 2, date, -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(st, 3, time, -1, SQLITE_TRANSIENT);
        const double temperature = 22.5 + 5.0 * std::sin(2 * std::numbers::pi * days / 365.25) +
                                   2.5 * std::sin(2 * std::numbers::pi * days);
        sqlite3_bind_double(st, 4, std::round(temperature * 10) / 10);
        const double moved = settle * (1 - std::exp(-days / 300)) + slow * days / 3652.5;
        for (int n = 0; n < 8; ++n) {
            if (n < nodes)
                sqlite3_bind_double(st, 5 + n,
                                    std::round((base[n] + share[n] * moved + noise(random)) * 100) /
                                        100);
            else
                sqlite3_bind_null(st, 5 + n);
        }
        sqlite3_bind_text(st, 13, full, -1, SQLITE_TRANSIENT);
        // The first reading of each month goes into the length graph.
        sqlite3_bind_int(st, 14, hour == 0 && day.day() == 1 ? 1 : 0);
        if (sqlite3_step(st) != SQLITE_DONE) {
            sqlite3_finalize(st);
            store::Database::raise(db.handle());
        }
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
}

// A made file under this run's temporary folder, made once.
QString madeOnce(const QString& name, const std::function<void(const QString&)>& make) {
    static QTemporaryDir folder;
    static std::map<QString, QString> made;
    if (auto it = made.find(name); it != made.end()) return it->second;
    const QString path = QDir(folder.path()).filePath(name);
    make(path);
    return made[name] = path;
}

} // namespace

void makeDataSet(const QString& path, const DataSetShape& shape) {
    store::createDatabaseFile(path);
    auto db = store::Database::open(path);
    db->execute(QStringLiteral("PRAGMA synchronous = OFF"));
    std::mt19937 random(shape.seed);
    std::normal_distribution<double> noise(0.0, 0.02);
    std::uniform_real_distribution<double> driftRate(0.005, 0.4); // mm a day

    db->transaction([&] {
        for (int s = 0; s < shape.sensors; ++s) {
            const QString number = sensorNumber(shape.firstSensor + s);
            const int nodes = number.mid(4, 1).toInt() - 1;
            addRegisterRow(*db, number, nodes, s);

            double rates[8];
            double base[8];
            for (int n = 0; n < 8; ++n) {
                rates[n] = driftRate(random) * (n + 1) / 8.0;
                base[n] = 10.0 + 5.0 * n;
            }
            store::Statement reading = db->prepare(
                QStringLiteral("INSERT INTO %1 (DateTimeKey, ReadingDate, ReadingTime, ChannelT, "
                               "Channel1, Channel2, Channel3, Channel4, Channel5, Channel6, "
                               "Channel7, Channel8, FullDate, IsDirty, Plottemporal, PlotSpatial) "
                               "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, "
                               "1, 1, 0)")
                    .arg(store::quoteName(number)));
            for (int k = 0; k < shape.readingsPerSensor; ++k) {
                const QDateTime when = Start.addSecs(3600LL * k);
                const double days = k / 24.0;
                reading.bind(1, number + when.toString(QStringLiteral(" yyyy/MM/dd HH:mm:ss")));
                reading.bind(2, when.toString(QStringLiteral("yyyy/MM/dd")));
                reading.bind(3, when.toString(QStringLiteral("HH:mm:ss")));
                const double temperature = 22.5 +
                                           5.0 * std::sin(2 * std::numbers::pi * days / 365.25) +
                                           2.5 * std::sin(2 * std::numbers::pi * days);
                reading.bind(4, std::round(temperature * 10) / 10);
                for (int n = 0; n < 8; ++n) {
                    if (n < nodes) {
                        const double mm = base[n] + rates[n] * days + noise(random);
                        reading.bind(5 + n, std::round(mm * 100) / 100);
                    } else {
                        reading.bindNull(5 + n);
                    }
                }
                reading.bind(13, when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
                reading.run();
            }
        }
    });
}

QString siteTenYearSensor() {
    return tenYearSensor(0);
}

QString tenYearSensor(int index) {
    return siteNumber(SiteSensors + index, 8);
}

QString siteDataSet() {
    return madeOnce(QStringLiteral("site.mdb"), [](const QString& path) {
        store::createDatabaseFile(path);
        auto db = store::Database::open(path);
        db->execute(QStringLiteral("PRAGMA synchronous = OFF; PRAGMA cache_size = -262144"));
        // Three to six anchors are the most common.
        static constexpr int Mix[] = {1, 2, 2, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 6, 6, 6, 7, 8, 8, 6};
        std::mt19937 random(20261207);
        db->transaction([&] {
            for (int s = 0; s < SiteSensors; ++s) {
                const int nodes = Mix[s % std::size(Mix)];
                const QString number = siteNumber(s, nodes);
                addRegisterRow(*db, number, nodes, s);
                addSiteReadings(*db, number, nodes, SiteReadings, random);
            }
            addRegisterRow(*db, siteTenYearSensor(), 8, SiteSensors);
            std::mt19937 own(20261207 + SiteSensors);
            addSiteReadings(*db, siteTenYearSensor(), 8, TenYears, own);
        });
    });
}

QString siteWithFreePages() {
    return madeOnce(QStringLiteral("site_freed.mdb"), [](const QString& path) {
        QFile::copy(siteDataSet(), path);
        auto db = store::Database::open(path);
        db->execute(QStringLiteral("PRAGMA synchronous = OFF"));
        QStringList tables;
        {
            store::Statement st = db->prepare(QStringLiteral("SELECT InstrumentID FROM Sensors"));
            while (st.step())
                tables << st.text(0);
        }
        db->transaction([&] {
            for (const QString& table : tables)
                db->execute(QStringLiteral("DELETE FROM %1 WHERE _rowid_ <= "
                                           "(SELECT max(_rowid_) / 6 FROM %1)")
                                .arg(store::quoteName(table)));
        });
    });
}

QString siteWithLevels() {
    return madeOnce(QStringLiteral("site_levels.mdb"), [](const QString& path) {
        QFile::copy(siteDataSet(), path);
        auto db = store::Database::open(path);
        db->execute(QStringLiteral("PRAGMA synchronous = OFF"));
        const std::vector<levels::TriggerLevel> site = levels::siteLevels(*db);
        levels::SensorTriggers t;
        t.staleAfterHours = 48;
        t.displacement[0] = levels::parseThresholds(QStringLiteral("Alert=5,Alarm=10,Action=20"),
                                                    site, QStringLiteral("bench"));
        t.rate[0] = levels::parseThresholds(QStringLiteral("Alert=0.5,Alarm=1"), site,
                                            QStringLiteral("bench"));
        QStringList numbers;
        {
            store::Statement st = db->prepare(QStringLiteral("SELECT InstrumentID FROM Sensors"));
            while (st.step())
                numbers << st.text(0);
        }
        // Some sensors with an anchor of their own.
        for (qsizetype i = 0; i < numbers.size(); ++i) {
            levels::SensorTriggers own = t;
            if (i % 5 == 0)
                own.displacement[1] = levels::parseThresholds(QStringLiteral("Alert=3,Alarm=6"),
                                                              site, QStringLiteral("bench"));
            levels::setSensorTriggers(*db, numbers[i], own);
        }
    });
}

QString tenYearDataSet(int sensors) {
    return madeOnce(QStringLiteral("ten_years_%1.mdb").arg(sensors), [&](const QString& path) {
        store::createDatabaseFile(path);
        auto db = store::Database::open(path);
        db->execute(QStringLiteral("PRAGMA synchronous = OFF"));
        db->transaction([&] {
            for (int s = 0; s < sensors; ++s) {
                addRegisterRow(*db, tenYearSensor(s), 8, SiteSensors + s);
                std::mt19937 own(20261207 + SiteSensors + s);
                addSiteReadings(*db, tenYearSensor(s), 8, TenYears, own);
            }
        });
    });
}

QString sharedDataSet(int sensors, int readingsPerSensor) {
    static QTemporaryDir folder;
    static std::map<std::pair<int, int>, QString> made;
    const auto key = std::make_pair(sensors, readingsPerSensor);
    if (auto it = made.find(key); it != made.end()) return it->second;
    const QString path =
        QDir(folder.path())
            .filePath(QStringLiteral("bench_%1_%2.mdb").arg(sensors).arg(readingsPerSensor));
    makeDataSet(path, {sensors, readingsPerSensor});
    return made[key] = path;
}

} // namespace bench
