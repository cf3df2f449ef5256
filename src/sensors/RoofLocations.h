// Where the head and each anchor sit, measured from the roof line, worked out
// from the texts of the installation boxes.
#pragma once

#include <QString>

#include <array>

namespace sensors {

struct RoofInput {
    QString recess;               // metres the head is recessed
    QString length;               // length of the instrument, metres
    std::array<QString, 8> nodes; // anchor distances from the head, anchors 1 to 8
    bool headAtCollar = true;     // else at the toe
    int numNodes = 0;             // anchors in use, 1 to 8
};

struct RoofLocations {
    QString head;                   // "##0.00", or empty
    std::array<QString, 8> anchors; // "##0.00" for anchors in use, else empty
};

// Each result that cannot be worked out is left empty on its own: an empty
// recess counts as 0 for the anchors but leaves the head empty at the collar;
// at the toe an empty length leaves the head empty and the anchors are taken
// from a head at 0.
RoofLocations CalcReltoRoof(const RoofInput& input);

// The installation diagram's rows, in twips from the top of the tab: the head
// box, and the anchor boxes' left edge and tops (anchor 1 nearest the head).
struct DiagramPlacement {
    int headTop = 0;
    int anchorLeft = 0;
    std::array<int, 8> anchorTops{};
};
DiagramPlacement diagramPlacement(bool headAtCollar);

} // namespace sensors
