// The displacement rule: the zero reading's channels taken off every reading,
// then each anchor's movement against the fixed end of the borehole. Works on
// one row's values; the graphs apply it to the rows they select.
#pragma once

#include "store/Database.h"

#include <QString>
#include <QVariant>

#include <array>
#include <optional>

namespace readings {

enum class HeadLocation { Collar, Toe };

// Channel1 to Channel10 of a row (index 0 unused), as stored: a number or no value.
using Channels = std::array<QVariant, 11>;
// The zero reading's channels as text, index 1 to 10; empty where it has no value.
using Offsets = std::array<QString, 11>;

// The computed columns of a row. Each starts as the row holds it, so that a
// column the rule does not reach keeps its previous contents.
struct Displacements {
    std::array<std::optional<double>, 11> zero; // zero1 to zero10
    std::optional<double> numTemp;
    std::array<std::optional<double>, 9> disp; // Disp1 to Disp8
    std::optional<double> reference;
    bool operator==(const Displacements&) const = default;
};

// The offsets as numbers, read once for all the rows of a graph; nothing where
// the text is not a number.
using OffsetNumbers = std::array<std::optional<double>, 11>;

// A column of a reading row as the rule takes it: a number as a double, text
// as text, nothing for no value.
QVariant ruleValue(const store::Statement& row, int column);
// The column's number; nothing for text or no value.
std::optional<double> ruleNumber(const store::Statement& row, int column);

Offsets GetOffsets(const Channels& zeroReading);
OffsetNumbers offsetNumbers(const Offsets& offsets);

// zero i = Channel i - Offsets(i) (0 where the row has no value), NumTemp the
// number at the start of the temperature. False when a channel has a value the
// zero reading lacks (or either is not a number): that zero column, the ones
// after it and NumTemp keep their previous contents.
bool SetZeros(const Offsets& offsets, const Channels& channels, const QVariant& channelT,
              Displacements& row);
bool SetZeros(const OffsetNumbers& offsets, const Channels& channels, const QVariant& channelT,
              Displacements& row);

// Disp1 to Disp<numNodes> from the zero columns. Head at the collar: the last
// anchor is fixed and Disp i = zero N - zero i. Head at the toe: the head is
// fixed, Disp i = zero i and Reference 0. A missing zero leaves the Disp values
// that depend on it without a value.
void SetHeadlocs(HeadLocation head, int numNodes, Displacements& row);

} // namespace readings
