// The datasheet as it is exported: invalid readings left out unless asked
// for, and a Quality column when any reading of the sensor is flagged, so
// that a suspect reading leaves with its flag. A sheet without flags is the
// datasheet's exactly.
#pragma once

#include "outputs/Workbook.h"
#include "readings/Quality.h"

#include <QHash>

namespace outputs {

inline const QString QualityTitle = QStringLiteral("Quality");

class QualitySheet : public SheetRows {
public:
    // grid's first column is the reading key. flags: the sensor's, by key.
    QualitySheet(const SheetRows& grid, std::vector<SheetColumn> gridColumns,
                 QHash<QString, readings::QualityFlag> flags, bool withInvalid);

    const std::vector<SheetColumn>& columns() const { return columns_; }
    int sheetRowCount() const override { return count_; }
    // Read in order, as the writers do; going back starts the walk again.
    std::vector<std::vector<QVariant>> sheetRows(int first, int count) const override;

private:
    bool leftOut(const QString& key) const;

    const SheetRows& grid_;
    std::vector<SheetColumn> columns_;
    QHash<QString, readings::QualityFlag> flags_;
    bool withInvalid_;
    bool qualityColumn_ = false;
    int count_ = 0;
    mutable int nextOut_ = 0;  // the sheet row the walk stands at
    mutable int nextGrid_ = 0; // and the grid row
};

} // namespace outputs
