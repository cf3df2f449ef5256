#include "sensors/RoofLocations.h"

#include "app/TextFormat.h"

#include <algorithm>
#include <optional>

namespace sensors {

namespace {

// A distance as typed: a comma is a decimal mark, as the boxes let it be typed.
std::optional<double> typed(const QString& text) {
    return app::toNumber(app::withDecimalPoint(text));
}

// The distances are read in single precision, as the instrument sheets give them.
std::optional<float> single(const QString& text) {
    const std::optional<double> v = typed(text);
    if (!v) return std::nullopt;
    return float(*v);
}

QString metres(double value) {
    return app::formatNumber(value, app::NumberFormat::Fixed2);
}

} // namespace

RoofLocations CalcReltoRoof(const RoofInput& in) {
    RoofLocations out;
    const float recess = single(in.recess).value_or(0.0f);
    const int n = std::clamp(in.numNodes, 0, 8);
    if (in.headAtCollar) {
        if (single(in.recess)) out.head = metres(recess);
        for (int i = 0; i < n; ++i)
            if (const auto node = typed(in.nodes[size_t(i)]))
                out.anchors[size_t(i)] = metres(*node + recess);
        return out;
    }
    if (const auto length = typed(in.length)) out.head = metres(*length + recess);
    // The anchors hang from the head location as written, rounded.
    const float head = single(out.head).value_or(0.0f);
    for (int i = 0; i < n; ++i)
        if (const auto node = typed(in.nodes[size_t(i)]))
            out.anchors[size_t(i)] = metres(head - *node);
    return out;
}

DiagramPlacement diagramPlacement(bool headAtCollar) {
    DiagramPlacement p;
    if (headAtCollar) {
        p.headTop = 8800;
        p.anchorLeft = 9000;
        p.anchorTops = {7900, 7265, 6630, 5995, 5360, 4725, 4090, 3455};
    } else {
        p.headTop = 3190;
        p.anchorLeft = 8800;
        for (int i = 0; i < 8; ++i)
            p.anchorTops[size_t(i)] = 4170 + 635 * i;
    }
    return p;
}

} // namespace sensors
