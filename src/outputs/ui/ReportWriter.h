// The one way a report is written, for the window and the tool alike: the
// graphs drawn offscreen from the database, the document written.
#pragma once

#include "graphs/GraphData.h"
#include "outputs/ReportDocument.h"

#include <QDateTime>
#include <QSize>
#include <QString>

#include <exception>
#include <functional>

namespace outputs {

struct ReportJob {
    QString sensor;      // the sensor's number
    ReportChoice choice; // graphs, format, temperature axis
    QString target;      // the document written
    QString logo;        // the header's picture; a missing one leaves the header empty
    QString
        pictureFolder; // where a .docx's graph pictures are exported (Temporal.jpg, Spatial.jpg)
    QDateTime date;    // the report date
    QString scaleText = QStringLiteral("AutoScale"); // the scale box's text
    QSize chartSize{850, 638}; // the charts are laid out as shown at this size
};

// What a caller does where the graphs' own rules apply; each may be left out.
struct ReportHooks {
    // A selected reading with a channel its zero lacks (see graphs::MismatchSink).
    graphs::MismatchSink mismatch;
    // The rows could not be brought up to date (a database opened read-only,
    // say): the graph is drawn from the rows as they stand. Without this hook
    // the failure ends the report.
    std::function<void(graphs::GraphKind, std::exception_ptr)> preparationFailed;
    // A graph with fewer than two readings selected is left out; this may
    // throw to refuse the report instead.
    std::function<void(graphs::GraphKind, int selected)> tooFew;
    // Steps done of all, for a progress indication.
    std::function<void(int done, int total)> progress;
};

// Prepares and draws the chosen graphs of job.sensor on charts of their own,
// then writes job.target in job.choice.format through a temporary file.
// Throws store::Error: a sensor the register lacks, a picture or document that
// cannot be written; an earlier document then stays as it was.
void writeReport(store::Database& db, const ReportJob& job, const ReportHooks& hooks = {});

} // namespace outputs
