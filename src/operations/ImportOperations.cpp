#include "importer/Append.h"
#include "importer/MappedImport.h"
#include "importer/Proposal.h"
#include "importer/Texts.h"
#include "importer/TroveData.h"
#include "operations/Operations.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>

namespace operations {

namespace {

// A dry run is the real append, taken back.
struct TakenBack {};

constexpr qint64 HeaderBytes = qint64(1) << 16;

QDateTime limitOf(const ImportRequest& request, const QDate& today) {
    return request.now.isValid() ? request.now : QDateTime(today.addDays(1), QTime(0, 0));
}

// The mapping of a headed file for the sensor: the one given (checked against
// the file's header) or the one saved for the file's logger.
importer::Mapping mappingFor(store::Database& db, const importer::LoggerHeader& header,
                             const QString& fileName, const QString& sensor, const QString& given) {
    const QString logger = importer::loggerKey(header, fileName);
    if (!given.isEmpty()) {
        importer::Mapping m = importer::parseMapping(given, header);
        m.logger = logger;
        m.sensor = sensor;
        return m;
    }
    for (importer::Mapping& m : importer::savedMappings(db, logger))
        if (m.sensor == sensor) return m;
    QStringList fields;
    for (const importer::LoggerField& f : header.fields)
        fields << (f.unit.isEmpty() ? f.name : QStringLiteral("%1 (%2)").arg(f.name, f.unit));
    throw store::Error(store::code::NotFound,
                       QStringLiteral("no mapping is saved for %1 and sensor %2: give one with "
                                      "--map FIELD=time,FIELD=temperature,FIELD=channel1,... "
                                      "(the file's fields: %3)")
                           .arg(logger, sensor, fields.join(QStringLiteral(", "))));
}

ImportOutcome fromMapped(const importer::MappedOutcome& m) {
    ImportOutcome o;
    o.mapped = true;
    o.lines = m.lines;
    o.proposed = m.lines;
    o.appended = m.appended;
    o.duplicates = m.duplicates;
    o.notDates = m.notDates;
    o.repeated = m.repeated;
    o.wrongFieldCount = m.wrongFieldCount;
    o.future = m.future;
    o.suspect = m.suspect;
    o.messages = m.messages;
    return o;
}

// Reads path into the sensors of mappings inside the caller's transaction.
std::vector<importer::MappedOutcome> readMapped(store::Database& db, const QString& path,
                                                const std::vector<importer::Mapping>& mappings,
                                                const QDateTime& now, const Progress& progress) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw store::Error(store::code::CantOpen, file.errorString() + QStringLiteral(": ") + path);
    const qint64 size = file.size();
    importer::LoggerReader reader(file);
    // Progress in thousandths of the file: a line count is not known ahead.
    return importer::importMapped(db, reader, mappings, QFileInfo(path).fileName(), now,
                                  [&](qint64 done) {
                                      if (progress && size > 0)
                                          progress(int(done * 1000 / size), 1000);
                                  });
}

} // namespace

bool isMappedFile(store::Database& db, const QString& path, const QString& sensor,
                  const QString& map) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return false;
    const importer::LoggerHeader header = importer::readLoggerHeader(file.read(HeaderBytes));
    if (header.format == importer::LoggerFormat::Toa5) return true;
    if (header.format != importer::LoggerFormat::Csv) return false;
    if (!map.isEmpty() || header.headed) return true;
    for (const importer::Mapping& m :
         importer::savedMappings(db, importer::loggerKey(header, QFileInfo(path).fileName())))
        if (m.sensor == sensor) return true;
    return false;
}

static ImportOutcome importMappedFile(store::Database& db, const ImportRequest& request,
                                      const QDate& today, const Progress& progress) {
    importer::LoggerHeader header;
    {
        QFile file(request.file);
        if (!file.open(QIODevice::ReadOnly))
            throw store::Error(store::code::CantOpen,
                               file.errorString() + QStringLiteral(": ") + request.file);
        header = importer::readLoggerHeader(file.read(HeaderBytes));
    }
    if (header.format == importer::LoggerFormat::Sixteen)
        throw store::Error(store::code::Misuse,
                           QStringLiteral("%1 has no header line to map: import it without --map")
                               .arg(request.file));
    const importer::Mapping mapping =
        mappingFor(db, header, QFileInfo(request.file).fileName(), request.sensor, request.map);
    std::vector<importer::MappedOutcome> outcomes;
    auto work = [&] {
        if (!request.map.isEmpty()) importer::saveMapping(db, mapping);
        outcomes = readMapped(db, request.file, {mapping}, limitOf(request, today), progress);
    };
    if (request.dryRun) {
        try {
            db.transaction([&] {
                work();
                throw TakenBack{};
            });
        } catch (const TakenBack&) {
        }
    } else {
        writeTransaction(db, work);
    }
    return fromMapped(outcomes.at(0));
}

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
    // TOA5 and headed files read by their mapping; the sixteen-column layout
    // as it always was.
    if (isMappedFile(db, request.file, request.sensor, request.map))
        return importMappedFile(db, request, today, progress);
    if (!request.map.isEmpty())
        throw store::Error(store::code::Misuse,
                           QStringLiteral("%1 has no header line to map: import it without --map")
                               .arg(request.file));
    // Thousandths of the work: the copy and first read of a streamed file,
    // then its append.
    constexpr int Read = 100;
    const std::unique_ptr<importer::TextFile> file = importer::openLoggerText(
        dataFolder, request.file, request.limits, [&](qint64 done, qint64 total) {
            if (progress) progress(int(done * Read / std::max(total, qint64(1))), 1000);
        });
    if (!file)
        throw store::Error(store::code::CantOpen,
                           importer::texts::NoDataForSensor + QStringLiteral(" ") + request.file);
    if (file->binary()) throw store::Error(store::code::Error, importer::texts::notAText(name));

    // Day and month of a year-last date as the layout orders them; year first,
    // as the system orders them, as the review window reads them.
    const importer::DayOrder order =
        request.layout == importer::DateLayout::DayFirst     ? importer::DayOrder::DayFirst
        : request.layout == importer::DateLayout::MonthFirst ? importer::DayOrder::MonthFirst
                                                             : importer::systemDayOrder();
    const int period = std::max(request.everyHours, 0);
    ImportOutcome outcome;
    outcome.lines = file->RecordCount();
    importer::AppendOutcome appended;
    std::function<void()> append;
    std::vector<std::uint8_t> ticks;
    if (const importer::TextTable* table = file->whole()) {
        ticks = request.all ? std::vector<std::uint8_t>(size_t(table->RecordCount()), 1)
                            : importer::proposeTicks(*table, period, order);
        outcome.proposed = int(std::count(ticks.begin(), ticks.end(), std::uint8_t(1)));
        append = [&] {
            appended = importer::appendReadings(db, target, *table, ticks, request.layout, order,
                                                [&](int done) {
                                                    if (progress) progress(done, outcome.proposed);
                                                });
        };
    } else {
        // The proposal runs with the append, a chunk at a time.
        importer::LineTicks lineTicks;
        lineTicks.period = period;
        lineTicks.order = order;
        lineTicks.all = request.all;
        append = [&, lineTicks] {
            appended = importer::appendReadings(
                db, target, *file, lineTicks, request.layout, order, {},
                [&](qint64 done, qint64 total) {
                    if (progress)
                        progress(Read + int(done * (1000 - Read) / std::max(total, qint64(1))),
                                 1000);
                });
            outcome.proposed = appended.ticked;
        };
    }
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
    outcome.notProposed = outcome.lines - outcome.proposed;
    outcome.appended = appended.appended;
    outcome.duplicates = appended.duplicates;
    outcome.notDates = appended.notDates;
    outcome.messages = appended.messages;
    if (!request.dryRun && outcome.appended > 0 && request.archiveTransfer) {
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
