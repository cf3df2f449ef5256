#include "outputs/ui/ReportWriter.h"

#include "graphs/ui/Chart.h"
#include "graphs/ui/GraphDrawing.h"
#include "outputs/Texts.h"
#include "store/Criteria.h"
#include "store/RowSet.h"
#include "store/Schema.h"

#include <QDir>
#include <QPdfWriter>

#include <memory>

namespace outputs {

namespace {

ReportSensor sensorDetails(store::Database& db, const QString& number) {
    store::RowSet sensors(db, QStringLiteral("SELECT * FROM ") +
                                  store::quoteName(store::table::Sensors));
    if (sensors.RecordCount() > 0)
        sensors.Find(store::textEquals(QStringLiteral("InstrumentID"), number));
    if (sensors.RecordCount() == 0 || sensors.isEOF())
        throw store::Error(store::code::NotFound,
                           QStringLiteral("no sensor %1 in the register").arg(number));
    return reportSensor(sensors);
}

} // namespace

void writeReport(store::Database& db, const ReportJob& job, const ReportHooks& hooks) {
    const bool pdf = job.choice.format == ReportFormat::Pdf;
    const int graphCount = int(job.choice.timeGraph) + int(job.choice.lengthGraph);
    const int total = 2 + 2 * graphCount;
    int done = 0;
    const auto step = [&] {
        if (hooks.progress) hooks.progress(++done, total);
    };

    Report report;
    report.sensor = sensorDetails(db, job.sensor);
    report.date = job.date;
    report.logo = job.logo;
    report.anchors = anchorTable(db, job.sensor);
    report.levels = reportLevels(db, job.sensor, job.date);
    step();

    // The charts live until the document is written: the PDF draws them then.
    std::vector<std::unique_ptr<graphs::Chart>> charts;
    const auto page = [&](graphs::Chart* made, const std::function<void(graphs::Chart&)>& draw,
                          const QString& picture, const QString& heading) {
        graphs::Chart* chart = charts.emplace_back(made).get();
        chart->resize(job.chartSize);
        draw(*chart);
        ReportGraph g{heading, {}, chart->pictureSize(), {}};
        if (pdf) {
            // The painter is the QCPPainter the writer below makes.
            g.draw = [chart](QPainter& painter, const QRectF& rect) {
                chart->render(static_cast<QCPPainter&>(painter), rect);
            };
        } else {
            g.picture = QDir(job.pictureFolder).filePath(picture);
            if (!chart->exportJpeg(g.picture))
                throw store::Error(store::code::CantOpen,
                                   QStringLiteral("Could not write the picture ") + g.picture);
        }
        report.graphs.push_back(g);
    };
    // The rows brought up to date as the graph tabs do; when they cannot be,
    // the rows as they stand.
    const auto prepared = [&](graphs::GraphKind kind, const auto& prepare, const auto& stored) {
        if (!hooks.preparationFailed) return prepare();
        try {
            return prepare();
        } catch (...) {
            hooks.preparationFailed(kind, std::current_exception());
        }
        return stored();
    };
    const auto enough = [&](graphs::GraphKind kind, int selected) {
        if (selected >= 2) return true;
        if (hooks.tooFew) hooks.tooFew(kind, selected);
        return false;
    };

    const graphs::GraphSetup setup = graphs::graphSetup(db, job.sensor);
    const graphs::GraphLevels levels = graphs::graphLevels(db, job.sensor);
    if (job.choice.timeGraph) {
        const graphs::TimePoints points = prepared(
            graphs::GraphKind::Time,
            [&] {
                return graphs::prepareTimeGraph(db, job.sensor, setup.head, setup.numNodes,
                                                hooks.mismatch);
            },
            [&] { return graphs::storedTimePoints(db, job.sensor, setup.head, setup.numNodes); });
        step();
        if (enough(graphs::GraphKind::Time, int(points.keys.size())))
            page(
                graphs::makeTimeChart(),
                [&](graphs::Chart& c) {
                    graphs::drawTimeGraph(c, setup, points, job.scaleText,
                                          graphs::TimeGraphLook{job.choice.temperatureOwnAxis},
                                          levels);
                },
                texts::TimeGraphPicture, texts::TimeGraphHeading);
        step();
    }
    if (job.choice.lengthGraph) {
        const graphs::LengthProfiles profiles = prepared(
            graphs::GraphKind::Length,
            [&] {
                return graphs::prepareLengthGraph(db, job.sensor, setup.head, setup.numNodes,
                                                  hooks.mismatch);
            },
            [&] { return graphs::storedProfiles(db, job.sensor, setup.numNodes); });
        step();
        if (enough(graphs::GraphKind::Length, profiles.selected))
            page(
                graphs::makeLengthChart(),
                [&](graphs::Chart& c) {
                    graphs::drawLengthGraph(c, setup, profiles, job.scaleText, levels);
                },
                texts::LengthGraphPicture, texts::LengthGraphHeading);
        step();
    }

    if (pdf)
        saveReportPdf(report, job.target,
                      [](QPdfWriter& writer) { return std::make_unique<QCPPainter>(&writer); });
    else
        saveDocx(reportDocument(report), job.target);
    step();
}

} // namespace outputs
