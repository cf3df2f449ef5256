// What an import stores from a logger line's number fields: how many channels,
// and each value as the number formats round it.
#pragma once

#include <QString>

#include <string_view>

namespace importer {

// The channels an import fills: the first digit of the type code, 0 to 9.
int importedChannels(const QString& sensorType);

// A logger field as the number stored from it: the number at the start of the
// text (0 when there is none) as "##0.0" (1 decimal) or "##0.00" (2) writes
// it, halves away from zero on the digits as written.
double columnValue(std::string_view field, int decimals);

} // namespace importer
