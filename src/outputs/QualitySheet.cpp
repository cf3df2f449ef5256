#include "outputs/QualitySheet.h"

namespace outputs {

QualitySheet::QualitySheet(const SheetRows& grid, std::vector<SheetColumn> gridColumns,
                           QHash<QString, readings::QualityFlag> flags, bool withInvalid)
    : grid_(grid), columns_(std::move(gridColumns)), flags_(std::move(flags)),
      withInvalid_(withInvalid) {
    int invalid = 0;
    for (const readings::QualityFlag& f : flags_) {
        qualityColumn_ = qualityColumn_ || f.quality != readings::Quality::Valid;
        invalid += f.quality == readings::Quality::Invalid;
    }
    // A sheet of no readings ("No Readings") has no key to flag.
    if (grid_.sheetRowCount() == 0) qualityColumn_ = false;
    if (qualityColumn_) columns_.push_back({QualityTitle, SheetKind::Text});
    // Every flag is of a stored reading: a deletion takes its flag along.
    count_ = grid_.sheetRowCount() - (withInvalid_ ? 0 : invalid);
    if (count_ < 0) count_ = 0;
}

bool QualitySheet::leftOut(const QString& key) const {
    if (withInvalid_ || flags_.isEmpty()) return false;
    const auto it = flags_.constFind(key);
    return it != flags_.constEnd() && it->quality == readings::Quality::Invalid;
}

std::vector<std::vector<QVariant>> QualitySheet::sheetRows(int first, int count) const {
    if (first < nextOut_) nextOut_ = nextGrid_ = 0;
    std::vector<std::vector<QVariant>> rows;
    const int total = grid_.sheetRowCount();
    while (nextOut_ < first + count && nextGrid_ < total) {
        // As many as are still wanted; more only where invalid ones were left out.
        std::vector<std::vector<QVariant>> block =
            grid_.sheetRows(nextGrid_, first + count - nextOut_);
        if (block.empty()) break;
        for (std::vector<QVariant>& row : block) {
            ++nextGrid_;
            const QString key = row.empty() ? QString() : row.front().toString();
            if (leftOut(key)) continue;
            if (nextOut_ >= first && nextOut_ < first + count) {
                if (qualityColumn_) {
                    const auto it = flags_.constFind(key);
                    row.emplace_back(readings::qualityName(
                        it == flags_.constEnd() ? readings::Quality::Valid : it->quality));
                }
                rows.push_back(std::move(row));
            }
            ++nextOut_;
        }
    }
    return rows;
}

} // namespace outputs
