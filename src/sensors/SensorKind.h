// What the window shows and allows for the type of the sensor it shows, and
// the current sensor as the window's panels hand it on.
#pragma once

#include "sensors/SensorTypes.h"

#include <QString>

#include <functional>

namespace sensors {

struct SensorKind {
    QString modelName;
    QString modelCode;
    QString locationCaption;
    QString notesCaption;
    bool hasTemperature = false;
    bool nodesEditable = false;
    int numAnchors = 0;
    int numNodes = 0;
};

// Sets the kind for a type code. An unknown code keeps the model and counts of
// the type set up last and gives false: the caller announces it.
bool setSensorKind(SensorKind& kind, const QString& code);

// The sensor the window shows: its number, type code and the counts of the
// kind shown with it.
struct CurrentSensor {
    QString number;
    QString typeCode;
    int nodes = 0;
    bool hasTemperature = false;
};

// How a panel is handed the current sensor when a command needs it.
using CurrentSensorOf = std::function<CurrentSensor()>;

} // namespace sensors
