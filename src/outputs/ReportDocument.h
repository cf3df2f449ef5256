// The sensor report: the current sensor's details and its graphs as a
// word-processor document in the data folder.
#pragma once

#include "outputs/WordDocument.h"

#include <QDate>
#include <QString>

#include <vector>

namespace store {
class RowSet;
}

namespace outputs {

// The register fields the report prints; an empty field prints as nothing.
struct ReportSensor {
    QString InstrumentID;
    QString Family;
    QString Model;
    QString InstallDate;
    QString InstallBy;
    QString Level;
    QString Location;
    QString Purpose;
    QString Notes;
};

// From the register's current row. Throws store::Error when no row is current.
ReportSensor reportSensor(const store::RowSet& sensors);

// A graph page: its heading and the picture exported from the chart.
struct ReportGraph {
    QString heading;
    QString picture;
};

// The document, paragraph by paragraph as the report has always been typed:
// an empty bold paragraph, the title in 16-point bold, then everything in
// 12-point regular: the nine detail lines and, each from a new page, the
// graphs with a line for notes. logo goes in the header of every page.
WordDocument reportDocument(const ReportSensor& sensor, const QDateTime& now,
                            const std::vector<ReportGraph>& graphs, const QString& logo);

// data folder + "/Report <sensor number>.docx". Characters no file name may hold
// become "_", so that a number can never point outside the folder.
QString reportPath(const QString& dataFolder, const QString& instrumentId);

} // namespace outputs
