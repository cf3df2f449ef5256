// The readings' own texts, character for character.
#pragma once

#include "app/Texts.h"
#include "store/Texts.h"

#include <QString>
#include <QStringList>

#include <algorithm>

namespace readings::texts {

using app::texts::AppTitle;
using store::texts::TitleUpper;

inline const QString DuplicateTitle = QStringLiteral("Duplicate Reading");
inline const QString DuplicateNow =
    QStringLiteral("There is already a reading with that date and time");
inline QString duplicateAt(const QString& date, const QString& time) {
    return QStringLiteral("There is already a reading on ") + date + QStringLiteral(" at ") + time;
}
inline QString readingNotSaved(const QString& number, const QString& date, const QString& time,
                               const QString& reason) {
    return QStringLiteral("The reading of %2 at %3 of sensor %1 was not saved: %4.")
        .arg(number, date, time, reason);
}
inline QString readingNotMoved(const QString& number, const QString& date, const QString& time,
                               const QString& toDate, const QString& toTime,
                               const QString& reason) {
    return QStringLiteral("The reading of %2 at %3 of sensor %1 was not moved to %4 at %5: %6.")
        .arg(number, date, time, toDate, toTime, reason);
}
inline const QString MovedReadingLost = QStringLiteral("error");
inline const QString FutureDate = QStringLiteral("Warning: Reading Date is in the future");
inline const QString NoReadingsYet =
    QStringLiteral("0 Readings - Click the Add button to add a reading");
inline const QString NoReadingsFound = QStringLiteral("No readings found");
inline const QString CannotMove = QStringLiteral("Cannot Move");
inline const QString StartOfReadings = QStringLiteral("Start of readings");
inline const QString EndOfReadings = QStringLiteral("End of readings");
inline QString batchDeleted(int count, const QString& start, const QString& end) {
    return QString::number(count) + QStringLiteral(" readings were deleted from ") + start +
           QStringLiteral(" and ") + end;
}
inline QString counter(int position, int count) {
    return QString::number(position) + QStringLiteral(" of ") + QString::number(count);
}
inline const QString NoonTime = QStringLiteral("12:00:00");

// A sensor's reading table: made, replaced, missing.
inline QString tableAlreadyExists(const QString& id) {
    return QStringLiteral("Table ") + id + QStringLiteral(" Already Exists");
}
inline QString overwriteTable(const QString& id) {
    return QStringLiteral("Table ") + id + QStringLiteral(" already exists") +
           QStringLiteral("\r\nDo you want to overwrite this table?");
}
inline const QString AddASensorFirst =
    QStringLiteral("Please add a sensor by clicking the 'Add New' button on the first tab\r\n"
                   "You will also need to enter the length and anchor location data in order to "
                   "add readings");
inline QString tableNotFound(const QString& id) {
    return QStringLiteral("The data table for Sensor ") + id +
           QStringLiteral(" could not be found\r\nA new table will be created");
}

// The deletion window.
inline const QString DeletionTitle = QStringLiteral("SensorData Deletion");
inline const QString SelectStart = QStringLiteral("Select start date");
inline const QString SelectEnd = QStringLiteral("Select end date");
inline const QString BatchDelete = QStringLiteral("BATCH DELETE");
inline const QString DeleteOne = QStringLiteral("DELETE");
inline const QString DeleteAll = QStringLiteral("DELETE ALL");
inline const QString Cancel = QStringLiteral("CANCEL");
inline const QString BatchHeading = QStringLiteral("BATCH DELETE a group of readings by date:");
inline const QString BatchExplained = QStringLiteral(
    "All sensor data found on or between the dates selected above will be permanently deleted "
    "from the database. Click the DELETE button below to continue or Cancel to return to the "
    "main form.");
inline const QString Or = QStringLiteral("OR:");
inline const QString ConfirmOne =
    QStringLiteral("Click DELETE button to confirm deletetion of current reading ->");
inline const QString ConfirmAll =
    QStringLiteral("Click DELETE ALL button to confirm deletetion of ALL readings ->");
inline const QString CannotUndo = QStringLiteral("WARNING: These operations cannot be undone");

// Failure labels of the log.
inline const QString AddDataTableLabel = QStringLiteral(" Module1_AddDataTable");
inline const QString OpenSensorDataLabel = QStringLiteral(" Module1_OpenSensorData");
inline const QString SaveReadingsLabel = QStringLiteral(" G_SaveReadings");
inline const QString AddReadingLabel = QStringLiteral(" imgAddReading_Click");
inline const QString FirstLabel = QStringLiteral(" imgFirst_Click");
inline const QString LastLabel = QStringLiteral(" imgLast_Click");
inline const QString NextLabel = QStringLiteral(" imgNextData_Click");
inline const QString PreviousLabel = QStringLiteral(" imgPrevData_Click");
inline const QString DeleteLabel = QStringLiteral(" imgDeleteReading_Click");
inline const QString FillReadingsLabel = QStringLiteral(" Module1_fillreadings");
inline const QString SetZerosLabel = QStringLiteral(" G_SetZeros");
inline const QString GetOffsetsLabel = QStringLiteral(" Module1_GetOffsets");

// The logger import's working copy, removed whenever the Readings tab opens.
inline const QString ImportWorkingFile = QStringLiteral("datafile.txt");

// Quality flags and zero readings.
inline const QString QualityCaption = QStringLiteral("Quality:");
inline const QString NoteCaption = QStringLiteral("Note:");
inline const QString QualityValid = QStringLiteral("Valid");
inline const QString QualitySuspect = QStringLiteral("Suspect");
inline const QString QualityInvalid = QStringLiteral("Invalid");
inline const QString QualityTitle = QStringLiteral("Reading Quality");
inline QString qualityNotSet(const QString& moment, const QString& reason) {
    return QStringLiteral("The quality of the reading of %1 was not set: %2.").arg(moment, reason);
}
inline const QString QualityLabel = QStringLiteral(" SetQuality");
inline const QString ZeroCommand = QStringLiteral("Set as zero reading\u2026");
inline const QString ZeroHeading = QStringLiteral("Quality and Zero:");
inline const QString ZeroTitle = QStringLiteral("Zero Reading");
inline QString zeroQuestion(const QString& number, const QString& moment) {
    return QStringLiteral("Make the reading of %2 a zero reading of sensor %1: later readings "
                          "are measured from it.")
        .arg(number, moment);
}
inline const QString ZeroReasonCaption = QStringLiteral("Reason:");
inline const QString ReasonInstallation = QStringLiteral("installation");
inline QString anchorReplaced(int anchor) {
    return QStringLiteral("anchor %1 replaced").arg(anchor);
}
inline const QString ReasonHeadReplaced = QStringLiteral("head replaced");
inline const QString CarryOverCaption =
    QStringLiteral("Carry over: add the displacement just before it to every later one");
inline const QString SetZeroButton = QStringLiteral("Set as zero reading");
inline const QString ZeroListCaption = QStringLiteral("Zero readings of this sensor:");
inline QStringList zeroListTitles() {
    return {QStringLiteral("Zero reading"), QStringLiteral("Reason"), QStringLiteral("Carry over"),
            QStringLiteral("Set by"),       QStringLiteral("Set on"), QStringLiteral("Retired")};
}
inline const QString Yes = QStringLiteral("Yes");
inline const QString No = QStringLiteral("No");
inline QString retiredOn(const QString& when, const QString& who, const QString& why) {
    return QStringLiteral("%1 by %2: %3").arg(when, who, why);
}
inline const QString RetireButton = QStringLiteral("Retire\u2026");
inline const QString RetireReason = QStringLiteral("Why is this zero reading retired?");
inline const QString ChooseZeroToRetire =
    QStringLiteral("Choose a zero reading in force in the list first.");
inline const QString ZeroNeedsReason = QStringLiteral("Please give a reason.");
inline QString zeroNotSet(const QString& moment, const QString& reason) {
    return QStringLiteral("The reading of %1 was not made a zero reading: %2.").arg(moment, reason);
}
inline QString zeroSet(const QString& number, const QString& moment) {
    return QStringLiteral("The reading of %2 is now a zero reading of sensor %1.")
        .arg(number, moment);
}
inline const QString ZeroLabel = QStringLiteral(" SetZeroReading");
// ---------------------------------------------------------------- the recycle area

inline const QString RecoverCaption = QStringLiteral("Recover deleted readings\u2026");
inline const QString RecordsHeading = QStringLiteral("Records:");
inline const QString RecoverTitle = QStringLiteral("Recover Deleted Readings");
inline const QString RecoverSensor = QStringLiteral("Sensor:");
inline const QString RecoverFrom = QStringLiteral("From:");
inline const QString RecoverTo = QStringLiteral("To:");
inline const QString RecoverShown = QStringLiteral("Recover Shown Readings");
inline const QString RecoverClose = QStringLiteral("Close");
inline const QString KeepFor = QStringLiteral("Keep deleted readings for");
inline const QString KeepDays = QStringLiteral("days");
inline const QString RecycledDate = QStringLiteral("Date");
inline const QString RecycledTime = QStringLiteral("Time");
inline const QString RecycledWhen = QStringLiteral("Deleted");
inline const QString RecycledBy = QStringLiteral("Deleted By");
inline const QString RecycleAreaEmpty = QStringLiteral("There are no deleted readings to recover");
inline QString nothingRecycledOf(const QString& number) {
    return QStringLiteral("There are no deleted readings of sensor ") + number +
           QStringLiteral(" in the recycle area");
}
inline QString recycledShown(int shown, int all) {
    return QStringLiteral("%1 of %2 deleted readings shown").arg(shown).arg(all);
}
inline QString deletedSensorNote(const QString& number) {
    return QStringLiteral("Sensor ") + number +
           QStringLiteral(" was deleted: recovering puts it back in the register");
}
// How many came back, and the keys in use again, a few of them by name.
inline QString recoveredMessage(const QString& number, bool sensorRecovered, int recovered,
                                const QStringList& skipped) {
    QString text =
        sensorRecovered
            ? QStringLiteral("Sensor %1 was recovered with %2 readings").arg(number).arg(recovered)
            : QStringLiteral("%1 readings were recovered").arg(recovered);
    if (skipped.isEmpty()) return text;
    constexpr int Named = 10;
    text += QStringLiteral("\r\n%1 readings were skipped: a reading with the same date and time "
                           "is stored again. They stay in the recycle area:")
                .arg(skipped.size());
    for (qsizetype i = 0; i < std::min<qsizetype>(Named, skipped.size()); ++i)
        text += QStringLiteral("\r\n") + skipped[i];
    if (skipped.size() > Named)
        text += QStringLiteral("\r\n\u2026 and %1 more").arg(skipped.size() - Named);
    return text;
}
inline QString notRecovered(const QString& reason) {
    return QStringLiteral("The deleted readings could not be recovered:\r\n") + reason;
}
inline const QString RecoverLabel = QStringLiteral(" imgRecover_Click");
inline const QString KeepDaysLabel = QStringLiteral(" spnKeepDays_Change");

} // namespace readings::texts
