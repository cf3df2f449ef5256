#include "DataSet.h"

#include "store/Database.h"
#include "store/Schema.h"

#include <QDateTime>
#include <QDir>
#include <QTemporaryDir>

#include <cmath>
#include <map>
#include <numbers>
#include <random>

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
            store::Statement add = db->prepare(QStringLiteral(
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
            store::copyTemplate(*db, number);

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
