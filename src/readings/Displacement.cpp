#include "readings/Displacement.h"

#include "app/TextFormat.h"
#include "readings/ReadingStore.h"

namespace readings {

namespace {

bool hasValue(const QVariant& v) {
    return !v.isNull() && !v.toString().isEmpty();
}

} // namespace

Offsets GetOffsets(const Channels& zeroReading) {
    Offsets offsets;
    for (size_t i = 1; i <= 10; ++i)
        offsets[i] = shownValue(zeroReading[i]);
    return offsets;
}

bool SetZeros(const Offsets& offsets, const Channels& channels, const QVariant& channelT,
              Displacements& row) {
    for (size_t i = 1; i <= 10; ++i) {
        if (!hasValue(channels[i])) {
            row.zero[i] = 0.0;
            continue;
        }
        const std::optional<double> value = app::toNumber(shownValue(channels[i]));
        const std::optional<double> offset = app::toNumber(offsets[i]);
        if (!value || !offset) return false;
        row.zero[i] = *value - *offset;
    }
    row.numTemp = hasValue(channelT) ? app::leadingNumber(shownValue(channelT)) : 0.0;
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

} // namespace readings
