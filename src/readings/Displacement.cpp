#include "readings/Displacement.h"

#include "app/TextFormat.h"
#include "readings/ReadingStore.h"

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

QVariant ruleValue(const store::Statement& row, int column) {
    switch (row.kind(column)) {
    case store::Statement::Kind::Null:
        return {};
    case store::Statement::Kind::Integer:
    case store::Statement::Kind::Real:
        return *row.number(column);
    default:
        return row.text(column);
    }
}

std::optional<double> ruleNumber(const store::Statement& row, int column) {
    return row.number(column);
}

} // namespace readings
