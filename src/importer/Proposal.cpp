#include "importer/Proposal.h"

#include "app/TextFormat.h"
#include "importer/Texts.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace importer {

int periodHours(const QString& text) {
    const double value = std::trunc(app::leadingNumber(text));
    // Compared with a 16-bit count: anything beyond its range acts alike.
    return int(std::clamp(value, -40000.0, 40000.0));
}

std::vector<std::uint8_t> proposeTicks(const TextTable& table, int period, DayOrder order) {
    return Proposer(period, order).next(table);
}

Proposer::Proposer(int period, DayOrder order)
    : period_(period), order_(order),
      reference_(When{QDate(1899, 12, 30), QTime(0, 0)}.hourIndex()) {}

std::vector<std::uint8_t> Proposer::next(const TextTable& table) {
    static const QByteArray markerBytes = texts::MarkerLine.toLatin1();
    const std::string_view marker(markerBytes.constData(), size_t(markerBytes.size()));

    // Kept in locals while the lines are read: the ticks' bytes could alias members.
    bool first = first_;
    qint64 reference = reference_;
    std::int16_t hours = hours_;
    std::vector<std::uint8_t> ticks(size_t(table.RecordCount()), 0);
    for (int r = 0; r < table.RecordCount(); ++r) {
        const std::string_view column1 = table.raw(r, 0);
        const bool isMarker = column1 == marker;
        const std::optional<When> when = generalDateTime(column1, order_);
        if (first) {
            first = false;
            if (when) reference = when->hourIndex();
            ticks[size_t(r)] = !isMarker;
            continue;
        }
        if (when) {
            const qint64 count = when->hourIndex() - reference;
            if (count >= std::numeric_limits<std::int16_t>::min() &&
                count <= std::numeric_limits<std::int16_t>::max())
                hours = std::int16_t(count);
        }
        if (hours < period_) continue;
        ticks[size_t(r)] = !isMarker;
        if (when) reference = when->hourIndex();
    }
    first_ = first;
    reference_ = reference;
    hours_ = hours;
    return ticks;
}

} // namespace importer
