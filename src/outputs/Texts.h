// The texts of the datasheet, the workbook export and the sensor report,
// character for character.
#pragma once

#include "graphs/Texts.h"

#include <QString>

#include <vector>

namespace outputs::texts {

// Datasheet and workbook export.
inline const QString DatasheetCaption = QStringLiteral("Tolvane DataSheet");
inline const QString DatasheetHeader = QStringLiteral("Data for Sensor ");
inline const QString NoReadings = QStringLiteral("No Readings");
inline const QString KeyTitle = QStringLiteral("DateTime Key");
inline const QString DateTitle = QStringLiteral("ReadingDate");
inline const QString TimeTitle = QStringLiteral("R. Time");
inline const QString TemperatureTitle = QStringLiteral("ChannelT");
inline QString channelTitle(int i) {
    return QStringLiteral("Channel") + QString::number(i);
}
inline const QString TemporalTitle = QStringLiteral("PlotTemporal");
inline const QString SpatialTitle = QStringLiteral("PlotSpatial");
inline const QString DatasheetMessageTitle = QStringLiteral("Vornhald's Tolvane");
inline const QString OnlyChannelsEditable =
    QStringLiteral("Only Channel Data is editable in this datasheet\r\n"
                   "Please use the main form to change dates and times");
inline const QString ChannelsNumeric =
    QStringLiteral("Channel Data must be a numeric value\r\n"
                   "Use the backspace key to delete, field accepts numeric values only");
// Our own: the write-back stores all changes or none.
inline QString cellRefused(const QString& reading, const QString& column, const QString& text) {
    return QStringLiteral("The datasheet's changes were not saved: ") + column +
           QStringLiteral(" of reading ") + reading + QStringLiteral(" cannot hold \"") + text +
           QStringLiteral("\".");
}
inline QString datasheetNotSaved(const QString& sensor, const QString& reason) {
    return QStringLiteral("The datasheet's changes to sensor %1 were not saved: %2.")
        .arg(sensor, reason);
}
// After either of the two above: the edits are kept unless the user lets them go.
inline const QString BackToDatasheet =
    QStringLiteral("\r\nGo back to the datasheet with your changes? "
                   "No closes it, and the readings stay as they were before it opened.");
inline QString workbookSaved(const QString& path) {
    return QStringLiteral("No program could open the spreadsheet. It was saved as:\r\n") + path;
}
inline QString workbookFailed(const QString& path) {
    return QStringLiteral("The spreadsheet could not be written to:\r\n") + path +
           QStringLiteral("\r\nThe reason is in the log file.");
}
inline const QString ExportTip = QStringLiteral("Export to spreadsheet");
inline const QString ExportProgress = QStringLiteral("Writing the spreadsheet...");
inline const QString ExportCancel = QStringLiteral("Cancel");
inline const QString WorkbookExtension = QStringLiteral(".xlsx");
inline const char* const SheetDateFormat = "yyyy/mm/dd";
inline const QString DatasheetLabel = QStringLiteral(" imgDatasheet_Click");
inline const QString DatasheetLoadLabel = QStringLiteral(" frmDatasheet.Form_Load");
inline const QString DatasheetKeyLabel = QStringLiteral(" frmDatasheet.MSFlexGri1_KeyPress");
inline const QString WriteBackLabel = QStringLiteral(" frmDatasheet.G_ReadValuesFromGrid");
inline const QString ExportLabel = QStringLiteral(" Module1_FlexGridToExcel");

// Sensor report.
inline const QString ReportCaption = QStringLiteral("Tolvane Reporting");
inline const QString ReportChoose = QStringLiteral("Select the contents to include in the report:");
inline const QString ReportCoverBox = QStringLiteral("Sensor Information Cover Page");
inline const QString ReportPlotsFrame = QStringLiteral("Plots:");
inline const QString ReportTimeBox = QStringLiteral("Load v Time");
inline const QString ReportLengthBox = QStringLiteral("Load v Length");
inline const QString ReportOk = QStringLiteral("OK");
inline const QString ReportCancel = QStringLiteral("Cancel");

inline QString reportTitle(const QString& sensor) {
    return QStringLiteral("REPORT FOR SENSOR ") + sensor;
}
inline const QString ReportDateLine = QStringLiteral("   Report Date: ");
inline const QString SensorNumberLine = QStringLiteral("   Sensor Number: ");
inline const QString SensorTypeLine = QStringLiteral("   Sensor Type: ");
inline const QString DateInstalledLine = QStringLiteral("   Date Installed: ");
inline const QString InstalledByLine = QStringLiteral("   Installed By: ");
inline const QString LevelLine = QStringLiteral("   Level: ");
inline const QString LocationLine = QStringLiteral("   Location: ");
inline const QString PurposeLine = QStringLiteral("   Purpose: ");
inline const QString NotesLine = QStringLiteral("   Notes: ");
inline const QString TimeGraphHeading = QStringLiteral("Disp v Time");
inline const QString LengthGraphHeading = QStringLiteral("Disp v Length");
inline const QString GraphNotesLine = QStringLiteral("   Notes:");

inline const QString TimeGraphPicture = QStringLiteral("Temporal.jpg");
inline const QString LengthGraphPicture = QStringLiteral("Spatial.jpg");
inline QString reportFileName(const QString& sensor) {
    return QStringLiteral("Report ") + sensor + QStringLiteral(".docx");
}

// Our own: the report is a file now, and a file can fail to be written or opened.
inline const QString ReportLabel = QStringLiteral(" imgReport_Click");
inline QString reportNotOpened(const QString& path) {
    return QStringLiteral("No program opened the report. It was saved as:\r\n") + path;
}
inline QString reportNotSaved(const QString& path) {
    return QStringLiteral("The report could not be saved as:\r\n") + path +
           QStringLiteral("\r\nThe reason is written in the log file.");
}

// Our own: the workbook's times and its sheet of displacements.
inline const char* const SheetTimeFormat = "hh:mm:ss";
inline const char* const SheetDateTimeFormat = "yyyy/mm/dd hh:mm:ss";
inline const QString DisplacementsSheet = QStringLiteral("Displacements");
inline const QString DateTimeTitle = QStringLiteral("Date and Time");
// "Anchor 1 (2.30 m)", the anchor's depth as the sensor record keeps it;
// "Anchor 1" without one.
inline QString anchorTitle(int anchor, const QString& depth) {
    return QStringLiteral("Anchor %1").arg(anchor) +
           (depth.isEmpty() ? QString() : QStringLiteral(" (%1 m)").arg(depth));
}

// The report's format, anchors table, page numbers and temperature axis.
inline const QString ReportFormatFrame = QStringLiteral("Format:");
inline const QString ReportDocxOption = QStringLiteral("Word document (.docx)");
inline const QString ReportPdfOption = QStringLiteral("PDF document (.pdf)");
inline const QString ReportTemperatureAxisBox = graphs::texts::TemperatureAxisTick;
inline const QString ReportProgress = QStringLiteral("Writing the report...");
inline QString reportPdfFileName(const QString& sensor) {
    return QStringLiteral("Report ") + sensor + QStringLiteral(".pdf");
}
// %1 the page's number, %2 the number of pages.
inline const QString ReportPageFooter = QStringLiteral("Page %1 of %2");
inline const QString AnchorsHeading = QStringLiteral("Anchors");
inline const QString AnchorTitle = QStringLiteral("Anchor");
inline const QString DepthFromCollarTitle = QStringLiteral("Depth from collar (m)");
inline const QString DepthFromToeTitle = QStringLiteral("Depth from toe (m)");
inline const QString DepthFromRoofTitle = QStringLiteral("Depth from roof (m)");
inline const QString DisplacementTitle = QStringLiteral("Displacement (mm)");
inline const QString ZeroReadingTitle = QStringLiteral("Zero reading");
// The sensor's stored zero readings, below the anchors.
inline const QString ZeroReadingsHeading = QStringLiteral("Zero readings");
inline const std::vector<QString> ZeroReadingsHeader{
    QStringLiteral("Moment"), QStringLiteral("Reason"), QStringLiteral("Carry-over"),
    QStringLiteral("Set by"), QStringLiteral("Set on"), QStringLiteral("Status")};
inline const std::vector<int> ZeroReadingsWeights{18, 18, 11, 15, 18, 20};
inline const QString CarryOverYes = QStringLiteral("yes");
inline const QString CarryOverNo = QStringLiteral("no");
inline const QString ZeroInForce = QStringLiteral("in force");
inline QString zeroRetired(const QString& when, const QString& who, const QString& why) {
    return QStringLiteral("retired %1 by %2: %3").arg(when, who, why);
}
inline QString latestReadingLine(const QString& when) {
    return when.isEmpty()
               ? QStringLiteral("   No reading to show a displacement of.")
               : QStringLiteral("   Displacement of the latest reading, %1, against the zero "
                                "reading.")
                     .arg(when);
}

// The sensor's trigger levels and its status at the report date.
inline const QString TriggerLevelsHeading = QStringLiteral("Trigger levels");
inline const std::vector<QString> TriggerLevelsHeader{
    QStringLiteral("Level"), QStringLiteral("Displacement (mm)"),
    QStringLiteral("Anchors' own (mm)"), QStringLiteral("Rate (mm/day)"),
    QStringLiteral("Anchors' own (mm/day)")};
inline const std::vector<int> TriggerLevelsWeights{14, 16, 22, 16, 22};
inline const QString NoTriggerLevels = QStringLiteral("No trigger levels are set for this sensor.");
inline const QString StaleOff = QStringLiteral("off");
inline QString anchorOwnThreshold(int anchor, const QString& value) {
    return QStringLiteral("Anchor %1: %2")
        .arg(anchor)
        .arg(value.isEmpty() ? QStringLiteral("none") : value);
}
inline QString rateWindowLine(const QString& window) {
    return QStringLiteral("   Rate over the last %1 before each reading.").arg(window);
}
inline QString staleAfterLine(const QString& limit) {
    return QStringLiteral("   No new data after: %1.").arg(limit);
}
inline QString statusHeading(const QString& when) {
    return QStringLiteral("Status at %1").arg(when);
}
inline const std::vector<QString> StatusHeader{QStringLiteral("Status"),
                                               QStringLiteral("Anchor"),
                                               QStringLiteral("Displacement (mm)"),
                                               QStringLiteral("Rate (mm/day)"),
                                               QStringLiteral("Latest reading"),
                                               QStringLiteral("Age")};
inline const std::vector<int> StatusWeights{22, 10, 17, 15, 22, 14};

// Quality flags in the datasheet.
inline const QString ExportWithInvalid = QStringLiteral("Export invalid readings too");
inline const QString SelectedQualityCaption = QStringLiteral("Quality of the selected readings:");
inline const QString QualityNoteCaption = QStringLiteral("Note:");
inline const QString SetQualityButton = QStringLiteral("Set Quality");
inline const QString ChooseReadings = QStringLiteral("Select the readings in the grid first.");
inline QString qualityRefused(const QString& reason) {
    return QStringLiteral("The quality was not set: %1.").arg(reason);
}

} // namespace outputs::texts
