#include "sensors/SensorKind.h"

#include "sensors/Texts.h"

namespace sensors {

bool setSensorKind(SensorKind& kind, const QString& code) {
    kind.modelCode = NewModelCode;
    kind.hasTemperature = true;
    kind.nodesEditable = true;
    kind.locationCaption = texts::LocationCaption;
    kind.notesCaption = texts::NotesCaption;
    const SensorType* type = findSensorType(code);
    if (!type) return false;
    kind.modelName = type->modelName;
    kind.numNodes = type->nodes;
    kind.numAnchors = type->nodes;
    return true;
}

} // namespace sensors
