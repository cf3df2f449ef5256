#include "readings/Displacement.h"

#include "app/TextFormat.h"
#include "readings/ReadingStore.h"

#include <sqlite3.h>

namespace readings {

namespace {

bool hasValue(const QVariant& v) {
    if (v.isNull()) return false;
    return v.typeId() == QMetaType::Double || !v.toString().isEmpty();
}

// A stored number as it is; text as the boxes would read it.
std::optional<double> numberOf(const QVariant& v) {
    if (v.typeId() == QMetaType::Double) return v.toDouble();
    return app::toNumber(shownValue(v));
}

} // namespace

OffsetNumbers offsetNumbers(const Offsets& offsets) {
    OffsetNumbers numbers;
    for (size_t i = 1; i <= 10; ++i)
        numbers[i] = app::toNumber(offsets[i]);
    return numbers;
}

Offsets GetOffsets(const Channels& zeroReading) {
    Offsets offsets;
    for (size_t i = 1; i <= 10; ++i)
        offsets[i] = shownValue(zeroReading[i]);
    return offsets;
}

bool SetZeros(const Offsets& offsets, const Channels& channels, const QVariant& channelT,
              Displacements& row) {
    return SetZeros(offsetNumbers(offsets), channels, channelT, row);
}

bool SetZeros(const OffsetNumbers& offsets, const Channels& channels, const QVariant& channelT,
              Displacements& row) {
    for (size_t i = 1; i <= 10; ++i) {
        if (!hasValue(channels[i])) {
            row.zero[i] = 0.0;
            continue;
        }
        const std::optional<double> value = numberOf(channels[i]);
        if (!value || !offsets[i]) return false;
        row.zero[i] = *value - *offsets[i];
    }
    if (!hasValue(channelT))
        row.numTemp = 0.0;
    else if (channelT.typeId() == QMetaType::Double)
        row.numTemp = channelT.toDouble();
    else
        row.numTemp = app::leadingNumber(shownValue(channelT));
    return true;
}

void SetHeadlocs(HeadLocation head, int numNodes, Displacements& row) {
    const size_t n = size_t(std::clamp(numNodes, 0, 8));
    if (n == 0) return;
    if (head == HeadLocation::Toe) {
        for (size_t i = 1; i <= n; ++i)
            row.disp[i] = row.zero[i];
        row.reference = 0.0;
        return;
    }
    row.disp[n] = 0.0;
    for (size_t i = n - 1; i >= 1; --i) {
        if (row.zero[i + 1] && row.zero[i] && row.disp[i + 1])
            row.disp[i] = (*row.zero[i + 1] - *row.zero[i]) + *row.disp[i + 1];
        else
            row.disp[i].reset();
    }
}

QVariant ruleValue(sqlite3_stmt* row, int column) {
    switch (sqlite3_column_type(row, column)) {
    case SQLITE_NULL:
        return {};
    case SQLITE_INTEGER:
    case SQLITE_FLOAT:
        return sqlite3_column_double(row, column);
    default:
        return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(row, column)),
                                 sqlite3_column_bytes(row, column));
    }
}

std::optional<double> ruleNumber(sqlite3_stmt* row, int column) {
    const int type = sqlite3_column_type(row, column);
    if (type == SQLITE_INTEGER || type == SQLITE_FLOAT) return sqlite3_column_double(row, column);
    return std::nullopt;
}

} // namespace readings
