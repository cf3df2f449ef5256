#include "importer/Append.h"
#include "importer/Proposal.h"
#include "importer/Texts.h"
#include "importer/TroveData.h"
#include "operations/Operations.h"

#include <QFileInfo>

#include <algorithm>

namespace operations {

namespace {

// A dry run is the real append, taken back.
struct TakenBack {};

} // namespace

ImportOutcome importLoggerFile(store::Database& db, const QString& dataFolder,
                               const ImportRequest& request, const QDate& today,
                               const Progress& progress) {
    const QString name = QFileInfo(request.file).fileName();
    importer::AppendTarget target;
    {
        store::Statement sensor =
            db.prepare(QStringLiteral("SELECT SensorType FROM Sensors WHERE InstrumentID = ?1"));
        sensor.bind(1, request.sensor);
        if (!sensor.step())
            throw store::Error(store::code::NotFound,
                               QStringLiteral("no sensor %1 in the register").arg(request.sensor));
        target = {request.sensor, sensor.text(0), true};
    }
    if (!db.hasTable(request.sensor))
        throw store::Error(store::code::NotFound,
                           QStringLiteral("sensor %1 has no reading table").arg(request.sensor));
    const std::unique_ptr<importer::TextTable> table =
        importer::openLoggerFile(dataFolder, request.file);
    if (!table)
        throw store::Error(store::code::CantOpen,
                           importer::texts::NoDataForSensor + QStringLiteral(" ") + request.file);
    if (table->binary()) throw store::Error(store::code::Error, importer::texts::notAText(name));

    // Day and month of a year-last date as the layout orders them; year first,
    // as the system orders them, as the review window reads them.
    const importer::DayOrder order =
        request.layout == importer::DateLayout::DayFirst     ? importer::DayOrder::DayFirst
        : request.layout == importer::DateLayout::MonthFirst ? importer::DayOrder::MonthFirst
                                                             : importer::systemDayOrder();
    const std::vector<std::uint8_t> ticks =
        request.all ? std::vector<std::uint8_t>(size_t(table->RecordCount()), 1)
                    : importer::proposeTicks(*table, std::max(request.everyHours, 0), order);

    ImportOutcome outcome;
    outcome.lines = table->RecordCount();
    outcome.proposed = int(std::count(ticks.begin(), ticks.end(), std::uint8_t(1)));
    outcome.notProposed = outcome.lines - outcome.proposed;
    importer::AppendOutcome appended;
    auto append = [&] {
        appended = importer::appendReadings(db, target, *table, ticks, request.layout, order,
                                            [&](int done) {
                                                if (progress) progress(done, outcome.proposed);
                                            });
    };
    if (request.dryRun) {
        try {
            db.transaction([&] {
                append();
                throw TakenBack{};
            });
        } catch (const TakenBack&) {
        }
    } else {
        writeTransaction(db, append);
    }
    outcome.appended = appended.appended;
    outcome.duplicates = appended.duplicates;
    outcome.notDates = appended.notDates;
    if (!request.dryRun && outcome.appended > 0) {
        // As after the window's append: the archive is a convenience, never
        // a reason to call the import failed.
        try {
            importer::archiveTransferCopy(dataFolder, request.sensor, today);
        } catch (...) {
        }
    }
    return outcome;
}

} // namespace operations
