#include "sensors/ui/SensorTypeState.h"

#include "sensors/SensorTypes.h"
#include "sensors/Texts.h"

namespace sensors {

void SetSensorType(app::AppState& state, app::Prompter& prompter, const QString& code) {
    state.ModelCode = NewModelCode;
    state.HasTemperature = true;
    state.NodesEditable = true;
    state.LocationCaption = texts::LocationCaption;
    state.NotesCaption = texts::NotesCaption;
    const SensorType* type = findSensorType(code);
    if (!type) {
        prompter.ask({texts::UnknownType, texts::AppTitle});
        return;
    }
    state.ModelName = type->modelName;
    state.NumNodes = type->nodes;
    state.NumAnchors = type->nodes;
}

} // namespace sensors
