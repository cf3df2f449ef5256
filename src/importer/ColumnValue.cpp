#include "importer/ColumnValue.h"

#include "app/TextFormat.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace importer {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

} // namespace

int importedChannels(const QString& sensorType) {
    if (sensorType.isEmpty() || !sensorType[0].isDigit() || sensorType[0].unicode() > '9') return 0;
    return sensorType[0].unicode() - '0';
}

double columnValue(std::string_view field, int decimals) {
    // The logger writes plain decimals: those are rounded on their digits,
    // which is what the number formats do. Anything else takes the long way.
    const char* p = field.data();
    const char* const end = p + field.size();
    const bool negative = p < end && *p == '-';
    if (p < end && (*p == '-' || *p == '+')) ++p;
    std::int64_t scaled = 0;
    int digits = 0, kept = 0, next = 0;
    bool point = false;
    for (; p < end; ++p) {
        if (*p == '.' && !point) {
            point = true;
            continue;
        }
        if (!isDigit(*p)) break;
        const int d = *p - '0';
        if (++digits > 15) continue; // the long way below; no overflow meanwhile
        if (!point) {
            scaled = scaled * 10 + d;
        } else if (kept < decimals) {
            scaled = scaled * 10 + d;
            ++kept;
        } else if (kept == decimals) {
            next = d;
            ++kept;
        }
    }
    // Fifteen digits are what a double holds exactly as a decimal.
    if (p == end && digits > 0 && digits <= 15) {
        for (int i = std::min(kept, decimals); i < decimals; ++i)
            scaled *= 10;
        if (next >= 5) ++scaled;
        if (scaled == 0) return 0.0;
        return double(negative ? -scaled : scaled) / (decimals == 1 ? 10.0 : 100.0);
    }
    const QString text = QString::fromLatin1(field.data(), qsizetype(field.size()));
    const QString formatted =
        app::formatNumber(app::leadingNumber(text),
                          decimals == 1 ? app::NumberFormat::Fixed1 : app::NumberFormat::Fixed2);
    const double value = formatted.toDouble();
    return std::isfinite(value) ? value : 0.0;
}

} // namespace importer
