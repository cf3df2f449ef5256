#include "cli/ui/ReportCommand.h"

#include "app/Texts.h"
#include "graphs/GraphSettings.h"
#include "operations/Operations.h"
#include "outputs/ui/ReportWriter.h"
#include "store/Error.h"
#include "store/ServerAddress.h"

#include <QDir>
#include <QTemporaryDir>

namespace cli {

QStringList writeReport(const ReportRequest& request, const app::Clock& clock) {
    QStringList notes;
    auto db = store::isServerAddress(request.database) ? operations::connectServer(request.database)
                                                       : store::Database::open(request.database);
    // The pictures of a .docx live only until they are in the document.
    QTemporaryDir pictures;
    outputs::ReportJob job;
    job.sensor = request.sensor;
    job.choice.timeGraph = request.timeGraph;
    job.choice.lengthGraph = request.lengthGraph;
    job.choice.format = request.pdf ? outputs::ReportFormat::Pdf : outputs::ReportFormat::Docx;
    job.choice.temperatureOwnAxis = graphs::temperatureOwnAxis(*db);
    job.target = request.path;
    job.logo = QDir(request.dataFolder).filePath(app::texts::LogoFileName);
    job.pictureFolder = pictures.path();
    job.date = clock.now();

    outputs::ReportHooks hooks;
    hooks.progress = request.progress;
    // A graph that cannot be drawn is an error when it was asked for by name,
    // and a note otherwise.
    hooks.tooFew = [&](graphs::GraphKind kind, int selected) {
        const QString graph =
            kind == graphs::GraphKind::Time ? QStringLiteral("time") : QStringLiteral("length");
        const QString why = QStringLiteral("sensor %1 has %2 reading(s) ticked for the %3 graph; "
                                           "it takes two")
                                .arg(request.sensor)
                                .arg(selected)
                                .arg(graph);
        if (request.graphsNamed) throw store::Error(store::code::NotFound, why);
        notes << why + QStringLiteral(", so the report has no ") + graph + QStringLiteral(" graph");
    };
    outputs::writeReport(*db, job, hooks);
    return notes;
}

} // namespace cli
