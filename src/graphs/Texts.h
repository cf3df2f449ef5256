// The texts of the graph tabs, character for character.
#pragma once

#include <QString>

namespace graphs::texts {

inline const QString TimeTitle = QStringLiteral("Temp (C)");
inline const QString LengthUnusedTitle = QStringLiteral("T (C)");
inline const QString DesignSeriesTitle = QStringLiteral("Node 1");
inline const QString HeadTitle = QStringLiteral("Head");
inline const QString TimeLegendTitle = QStringLiteral("Node Locations:");
inline const QString LengthLegendTitle = QStringLiteral("Reading  Dates: ");
inline const QString LeftAxisTitle = QStringLiteral("Displacement (mm)");
inline const QString TemperatureAxisTitle = QStringLiteral("Temperature (\u00B0C)");
inline const QString TemperatureAxisTick = QStringLiteral("Temperature on its own axis");
inline const QString LengthBottomTitle = QStringLiteral("Distance from Roof (m)");
inline const QString NodeLabelUnit = QStringLiteral(" m");
inline const QString AutoScale = QStringLiteral("AutoScale");
// Our own: after the description of a clicked point drawn hollow.
inline const QString SuspectPointNote = QStringLiteral("  (suspect)");

inline const QString TimePicture = QStringLiteral("Temporal.jpg");
inline const QString LengthPicture = QStringLiteral("DvL.jpg");

inline const QString Title = QStringLiteral("Vornhald's Tolvane");
inline const QString TooFewReadings =
    QStringLiteral("You must have at least 2 readings to view the plot.\r\n\r\n");
inline const QString TooFewTemporal =
    QStringLiteral("If you have at least 2 readings in the database, ensure the Plot Temporal box "
                   "on the Readings Tab is checked in each case.");
inline const QString TooFewSpatial =
    QStringLiteral("If you have at least 2 readings in the database, ensure the Plot Spatial box "
                   "on the Readings Tab is checked in each case.");

inline const QString TipsTitle = QStringLiteral("Graphing Tips and Hints");
inline const QString Tips = QStringLiteral(
    "1) To scroll graph hold down the left mouse button over an axis and drag to desired range\r\n"
    "2) Explanation of zooming (diagonal left to right zooms in, right to left zooms out)\r\n"
    "3) Click on a series in the graph to see raw data in lower annotation\r\n"
    "4) Uncheck a series in the legend to hide, check series to show");

// Our own: an export that could not finish is said, not passed over.
inline QString pictureNotSaved(const QString& path) {
    return QStringLiteral("The picture of the graph could not be saved as %1.").arg(path);
}
inline QString pictureNotOpened(const QString& path) {
    return QStringLiteral("The picture of the graph was saved as %1, but no program opened it.")
        .arg(path);
}

inline const QString OpenGraphDataLabel = QStringLiteral(" Module1_OpenGraphData");
inline const QString GetTemporalDataLabel = QStringLiteral(" G_GetTemporalData");
inline const QString GetSpatialDataLabel = QStringLiteral(" G_GetSpatialData");
inline const QString DrawSgraphLabel = QStringLiteral(" G_DrawSgraph");
inline const QString TemperatureAxisLabel = QStringLiteral(" chkTempAxis_Click");

} // namespace graphs::texts
