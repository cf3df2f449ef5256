#include "operations/Operations.h"

#include "sensors/SensorRecord.h"

namespace operations {

std::vector<readings::RecycledReading> listRecycled(store::Database& db, const QString& number,
                                                    const std::optional<QDate>& from,
                                                    const std::optional<QDate>& to) {
    std::vector<readings::RecycledReading> list = readings::recycledReadings(db, number, from, to);
    if (list.empty() && !sensors::registerHolds(db, number) &&
        !readings::deletedSensor(db, number) && readings::recycledReadings(db, number).empty())
        throw store::Error(store::code::Error,
                           QStringLiteral("sensor %1 is neither in the register nor a deleted "
                                          "sensor")
                               .arg(number));
    return list;
}

readings::Recovery recover(store::Database& db, const QString& number,
                           const std::optional<QDate>& from, const std::optional<QDate>& to) {
    readings::Recovery result;
    writeTransaction(db, [&] { result = readings::recoverReadings(db, number, from, to); });
    return result;
}

} // namespace operations
