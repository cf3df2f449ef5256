// The graphs' settings stored in the database (see store/Settings.h).
#pragma once

#include "store/Settings.h"

namespace graphs {

// "Temperature on its own axis": off by default, one axis shared as it always was.
inline const QString TemperatureAxisSetting = QStringLiteral("TemperatureOwnAxis");

inline bool temperatureOwnAxis(store::Database& db) {
    return store::readFlag(db, TemperatureAxisSetting, false);
}
inline void setTemperatureOwnAxis(store::Database& db, bool on) {
    store::writeFlag(db, TemperatureAxisSetting, on);
}

} // namespace graphs
