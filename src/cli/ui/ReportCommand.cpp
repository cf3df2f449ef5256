#include "cli/ui/ReportCommand.h"

#include "app/Texts.h"
#include "graphs/GraphData.h"
#include "graphs/ui/Chart.h"
#include "graphs/ui/GraphDrawing.h"
#include "outputs/ReportDocument.h"
#include "outputs/Texts.h"
#include "outputs/WordDocument.h"
#include "store/RowSet.h"

#include <QDir>
#include <QTemporaryDir>

#include <functional>
#include <memory>

namespace cli {

namespace {

// The size the graph tabs show the charts at: the report's pictures are theirs.
const QSize ChartSize(850, 638);
// The scale box's first choice.
const QString AutoScale = QStringLiteral("AutoScale");

// Whether a graph of this many ticked readings can be drawn; one that cannot
// is an error when it was asked for by name, and a note otherwise.
bool drawable(int selected, const ReportRequest& request, const QString& graph,
              QStringList& notes) {
    if (selected >= 2) return true;
    const QString why = QStringLiteral("sensor %1 has %2 reading(s) ticked for the %3 graph; it "
                                       "takes two")
                            .arg(request.sensor)
                            .arg(selected)
                            .arg(graph);
    if (request.graphsNamed) throw store::Error(store::code::NotFound, why);
    notes << why + QStringLiteral(", so the report has no ") + graph + QStringLiteral(" graph");
    return false;
}

} // namespace

QStringList writeReport(const ReportRequest& request, const app::Clock& clock) {
    QStringList notes;
    auto db = store::Database::open(request.database);
    store::RowSet sensors(*db, QStringLiteral("SELECT * FROM Sensors"));
    sensors.Filter(
        QStringLiteral("InstrumentID = '%1'")
            .arg(QString(request.sensor).replace(QLatin1Char('\''), QStringLiteral("''"))));
    if (sensors.RecordCount() == 0)
        throw store::Error(store::code::NotFound,
                           QStringLiteral("no sensor %1 in the register").arg(request.sensor));
    sensors.MoveFirst();
    const outputs::ReportSensor sensor = outputs::reportSensor(sensors);
    const graphs::GraphSetup setup = graphs::graphSetup(*db, request.sensor);

    // The pictures live only until they are in the document.
    QTemporaryDir pictures;
    std::vector<outputs::ReportGraph> pages;
    // A chart at the tabs' size, drawn by draw, as a page of the report.
    auto addPage = [&](graphs::Chart* made, const std::function<void(graphs::Chart&)>& draw,
                       const QString& picture, const QString& heading) {
        std::unique_ptr<graphs::Chart> chart(made);
        chart->resize(ChartSize);
        draw(*chart);
        const QString path = pictures.filePath(picture);
        if (!chart->exportJpeg(path))
            throw store::Error(store::code::CantOpen, QStringLiteral("cannot write ") + path);
        pages.push_back({heading, path});
    };
    if (request.timeGraph) {
        const graphs::TimePoints points =
            graphs::prepareTimeGraph(*db, request.sensor, setup.head, setup.numNodes);
        if (drawable(int(points.keys.size()), request, QStringLiteral("time"), notes))
            addPage(
                graphs::makeTimeChart(),
                [&](graphs::Chart& c) { graphs::drawTimeGraph(c, setup, points, AutoScale); },
                outputs::texts::TimeGraphPicture, outputs::texts::TimeGraphHeading);
    }
    if (request.lengthGraph) {
        const graphs::LengthProfiles profiles =
            graphs::prepareLengthGraph(*db, request.sensor, setup.head, setup.numNodes);
        if (drawable(profiles.selected, request, QStringLiteral("length"), notes))
            addPage(
                graphs::makeLengthChart(),
                [&](graphs::Chart& c) { graphs::drawLengthGraph(c, setup, profiles, AutoScale); },
                outputs::texts::LengthGraphPicture, outputs::texts::LengthGraphHeading);
    }
    const QString logo = QDir(request.dataFolder).filePath(app::texts::LogoFileName);
    outputs::saveDocx(outputs::reportDocument(sensor, clock.now(), pages, logo), request.path);
    return notes;
}

} // namespace cli
