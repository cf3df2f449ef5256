// The sensor report: the current sensor's details, its anchors and its graphs
// as a word-processor document or a PDF in the data folder.
#pragma once

#include "outputs/ReportAnchors.h"
#include "outputs/ReportLevels.h"
#include "outputs/WordDocument.h"

#include <QDate>
#include <QSize>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

class QPainter;
class QPdfWriter;
class QRectF;

namespace store {
class RowSet;
}

namespace outputs {

enum class ReportFormat { Docx, Pdf };

// What the report window returns, and the tool asks for.
struct ReportChoice {
    bool cover = false; // kept for the window's sake; the details are always written
    bool timeGraph = false;
    bool lengthGraph = false;
    ReportFormat format = ReportFormat::Docx;
    bool temperatureOwnAxis = false; // the time graph's temperature on an axis of its own
};

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

// A graph page: its heading, the picture exported from the chart (the
// .docx) and the chart drawn as vectors into a rectangle of a page (the
// .pdf), in the proportions of shape.
struct ReportGraph {
    QString heading;
    QString picture;
    QSize shape;
    std::function<void(QPainter& painter, const QRectF& rect)> draw;
};

// The anchors table's columns' shares of the text's width: a whole date and
// time fits the last one on a line.
inline const std::vector<int> AnchorColumnWeights{10, 14, 14, 18, 22};

struct Report {
    ReportSensor sensor;
    QDateTime date;
    std::optional<AnchorTable> anchors; // nothing: no anchors table
    std::vector<ReportGraph> graphs;
    QString logo; // in the header of every page
    // Last, so that a report made field by field in order keeps its meaning.
    std::optional<ReportLevels> levels; // nothing: no trigger levels or status
};

// The report date as every date of the program: "yyyy/MM/dd", with the time
// ("yyyy/MM/dd HH:mm:ss") when it has one.
QString reportDateText(const QDateTime& date);

// The document, paragraph by paragraph as the report has always been typed:
// an empty bold paragraph, the title in 16-point bold (Heading 1), then
// everything in 12-point regular: the nine detail lines, the anchors table,
// the table of stored zero readings when there are any, the trigger levels and
// the status at the report date and, each from a new page, the graphs (Heading 2) with a notes area
// filling the rest of the page. The page numbers go in the footer.
WordDocument reportDocument(const Report& report);

// The same pages as a PDF, the graphs drawn by their draw functions. The
// painter is made by painterFor on the writer once its pages are set up
// (a plain QPainter when none is given). Written aside, as saveDocx writes.
using PdfPainterFor = std::function<std::unique_ptr<QPainter>(QPdfWriter& writer)>;
void saveReportPdf(const Report& report, const QString& target,
                   const PdfPainterFor& painterFor = {});

// data folder + "/Report <sensor number>.docx" (or ".pdf"). Characters no file
// name may hold become "_", so that a number can never point outside the folder.
QString reportPath(const QString& dataFolder, const QString& instrumentId,
                   ReportFormat format = ReportFormat::Docx);

} // namespace outputs
