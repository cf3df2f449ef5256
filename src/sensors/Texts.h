// The sensor register's own texts, character for character.
#pragma once

#include "app/Texts.h"
#include "store/Texts.h"

#include <QString>

namespace sensors::texts {

using app::texts::AppTitle;
using app::texts::Title;
using store::texts::TitleUpper;

// Types and new sensors.
inline const QString UnknownType = QStringLiteral("unknown sensor type!");
// A save refused: another user saved the record after it was shown here.
inline QString changedSinceOpened(const QString& user, const QString& time) {
    return QStringLiteral("This sensor was changed by %1 at %2 since you opened it")
        .arg(user, time);
}
inline const QString LocationCaption = QStringLiteral("Node / Anchor Location:");
inline const QString NotesCaption = QStringLiteral("Notes:");
inline const QString EnterNewSensor = QStringLiteral("Enter new Sensor No:");
inline const QString AddNewSensorTitle = QStringLiteral("Add New Sensor");
inline const QString NoSensorEntered = QStringLiteral("No sensor entered");
inline const QString InvalidNumberTitle = QStringLiteral("Invalid Sensor Number");
inline const QString MustBeNumeric = QStringLiteral("Sensor # must be a numeric value");
inline const QString MustBeNineDigits = QStringLiteral("Sensor # must be 9 digits");
inline const QString SerialRange = QStringLiteral("Last 3 digits must be between 001 and 999");
inline QString alreadyExists(const QString& number) {
    return QStringLiteral("Sensor ") + number + QStringLiteral(" already exists") +
           QStringLiteral("\r\n\r\nType a new sensor number in the 'Add or Select Sensor' combo "
                          "box\r\nThen click 'Add New' or hit the Enter key");
}
inline QString addQuestion(const QString& number) {
    return QStringLiteral("Do you want to add new Sensor ") + number +
           QStringLiteral(" to the database?");
}
inline const QString IsMpbxQuestion =
    QStringLiteral("Is this sensor a qMPBX?\r\n(Choose No if sensor is a qROVA)");

// The record.
inline const QString FirstOrLast =
    QStringLiteral("Either you are at the first record or the last record.");
inline const QString CannotFillTitle = QStringLiteral("Cannot Fill Fields");
inline const QString CannotSaveTitle = QStringLiteral("Cannot Save Fields");
inline QString sensorNotSaved(const QString& number, const QString& reason) {
    return QStringLiteral("The changes to sensor %1 were not saved: %2.").arg(number, reason);
}
inline const QString NoRecords = QStringLiteral("No records");
inline const QString SensorNotFound =
    QStringLiteral("Error: Could not find data on the chosen sensor");
inline const QString LengthOfMpbx = QStringLiteral("Length of MPBX (m):");
inline const QString LengthOfRova = QStringLiteral("Length of ROVA (m):");

// Navigation and deletion.
inline const QString EndOfSensors = QStringLiteral("End of sensors");
inline const QString StartOfSensors = QStringLiteral("Start of Sensors");
inline QString deleteQuestion(const QString& number) {
    return QStringLiteral("Permanently delete Sensor ") + number +
           QStringLiteral(" from database?");
}

// The installation diagram.
inline const QString RecessCaption = QStringLiteral("m recess");
inline const QString HeadAtCollar = QStringLiteral("Option 1 and 2 - Head at Borehole Collar");
inline const QString HeadAtToe = QStringLiteral("Option 3 - Head at Toe");

// The filter.
inline const QString TypeNotRecognized =
    QStringLiteral("Sensor Type is not recognized\r\n\r\nPlease choose a sensor from the list, or "
                   "enter the 2 digit sensor #");
inline const QString StartNotValid = QStringLiteral(
    "Start date is not a valid date\r\nPlease enter a date in the format yyyy/mm/dd");
inline const QString EndNotValid =
    QStringLiteral("End date is not a valid date\r\nPlease enter a date in the format yyyy/mm/dd");
inline const QString NoCriteria = QStringLiteral("You must enter criteria to filter sensors on");
inline const QString NoMatch = QStringLiteral("There are no sensors that meet the criteria");
inline const QString StartLeftNotValid =
    QStringLiteral("Start Date is not a valid date\r\nPlease type a date in the format yyyy/mm/dd");
inline const QString EndLeftNotValid =
    QStringLiteral("End Date is not a valid date\r\nPlease type a date in the format yyyy/mm/dd");
inline const QString ApplyFilter = QStringLiteral("Apply Filter");
inline const QString RemoveFilter = QStringLiteral("Remove Filter");
inline const QString EarliestStart = QStringLiteral("1999/01/01");

// Failure labels of the log.
inline const QString AddTypedSensorLabel = QStringLiteral(" G_AddTypedSensor");
inline const QString SavefieldsLabel = QStringLiteral(" G_savefields");
inline const QString ListClickLabel = QStringLiteral(" cboSensors_Click");
inline const QString ListKeyDownLabel = QStringLiteral(" cboSensors_Keydown");
inline const QString ListKeyPressLabel = QStringLiteral(" cboSensors_KeyPress");
inline const QString NextLabel = QStringLiteral(" imgNext_Click");
inline const QString PreviousLabel = QStringLiteral(" imgPrevious_Click");
inline const QString DeleteLabel = QStringLiteral(" imgDelete_Click");
inline const QString FilterLabel = QStringLiteral(" imgFilter_Click");
inline const QString AddFilterLabel = QStringLiteral(" G_AddFilter");
inline const QString RemoveFilterLabel = QStringLiteral(" G_RemoveFilter");

} // namespace sensors::texts
