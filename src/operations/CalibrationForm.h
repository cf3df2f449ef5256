// The calibrations window's fields as typed, turned into the request that
// setCalibration stores, and a stored calibration turned into the list's cells.
// A field that cannot be read is refused with a message that names it.
#pragma once

#include "importer/Calibration.h"
#include "operations/Operations.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace operations {

struct CalibrationFields {
    int channel = 1;   // 0: the thermistor
    QString validFrom; // "YYYY/MM/DD HH:MM:SS"
    QString kind;      // "linear", "polynomial", "thermistor"
    QString gauge;     // "G"
    QString thermal;   // "M,B"; empty: none
    QString zero;      // "R0[,T0]"; empty: from the first reading imported
    QString range;     // "MIN,MAX"; empty: none
    QString poly;      // "A,B"
    QString steinhart; // "A,B,C"; empty: the 3 kΩ thermistor's
};

// Only the fields of the chosen kind are read: a gauge's thermal, zero and
// range, or the thermistor's Steinhart–Hart factors. Throws store::Error
// (code::Range) whose text starts with the field's name.
CalibrationRequest calibrationRequest(const QString& sensor, const CalibrationFields& fields);

// The stored calibration of the request's channel and moment, which storing
// the request would replace; nullptr when there is none.
const importer::Calibration* replacedBy(const std::vector<importer::Calibration>& stored,
                                        const CalibrationRequest& request);

// The list: its column titles, and one calibration's cells in their order
// (channel, valid from, kind, factors, thermal, zero, range, set by, set at).
QStringList calibrationColumns();
QStringList calibrationCells(const importer::Calibration& c);
// "thermistor" or "channel K".
QString calibrationChannelText(int channel);

} // namespace operations
