#include "app/Log.h"
#include "importer/MappedImport.h"
#include "operations/Operations.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace operations {

namespace {

constexpr qint64 HeaderBytes = qint64(1) << 16;
// A logger may still be writing a file changed this recently.
constexpr qint64 QuietSeconds = 10;

// <folder>/imported/<day>/<name>, or "<name> (2)" and on when that is taken.
void archive(const QDir& folder, const QString& name, const QDate& day) {
    const QString target =
        folder.filePath(QStringLiteral("imported/") + day.toString(QStringLiteral("yyyy-MM-dd")));
    if (!QDir().mkpath(target))
        throw store::Error(store::code::CantOpen, QStringLiteral("Cannot create ") + target);
    const QFileInfo info(name);
    QString into = QDir(target).filePath(name);
    for (int n = 2; QFileInfo::exists(into); ++n)
        into = QDir(target).filePath(
            QStringLiteral("%1 (%2)%3")
                .arg(info.completeBaseName())
                .arg(n)
                .arg(info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix()));
    if (!QFile::rename(folder.filePath(name), into))
        throw store::Error(store::code::CantOpen,
                           QStringLiteral("Cannot move %1 to %2").arg(folder.filePath(name), into));
}

FolderFileOutcome outcomeOf(const QString& file, const importer::MappedOutcome& m) {
    FolderFileOutcome o;
    o.file = file;
    o.sensor = m.sensor;
    o.appended = m.appended;
    o.duplicates = m.duplicates;
    o.skipped = m.skipped() - m.duplicates;
    o.suspect = m.suspect;
    o.messages = m.messages;
    return o;
}

} // namespace

QString statusName(FolderFileOutcome::Status status) {
    switch (status) {
    case FolderFileOutcome::Status::Failed:
        return QStringLiteral("failed");
    case FolderFileOutcome::Status::Waiting:
        return QStringLiteral("waiting");
    case FolderFileOutcome::Status::NotMapped:
        return QStringLiteral("not mapped");
    case FolderFileOutcome::Status::Imported:
        break;
    }
    return QStringLiteral("imported");
}

std::vector<FolderFileOutcome> importFolder(store::Database& db, const QString& dataFolder,
                                            const FolderRequest& request,
                                            const Progress& progress) {
    const QDir folder(request.folder);
    if (!folder.exists())
        throw store::Error(store::code::CantOpen,
                           QStringLiteral("no folder %1").arg(request.folder));
    const QDateTime now = request.now.isValid() ? request.now : QDateTime::currentDateTime();
    const QStringList names = folder.entryList(QDir::Files | QDir::NoDotAndDotDot, QDir::Name);
    static const QRegularExpression sixteenName(QStringLiteral("^(?:TV)?(\\d+)\\.txt$"),
                                                QRegularExpression::CaseInsensitiveOption);
    std::vector<FolderFileOutcome> outcomes;
    int done = 0;
    for (const QString& name : names) {
        if (progress) progress(done++, int(names.size()));
        const QString path = folder.filePath(name);
        const QFileInfo info(path);
        FolderFileOutcome base;
        base.file = name;
        if (info.lastModified().secsTo(now) < QuietSeconds) {
            base.status = FolderFileOutcome::Status::Waiting;
            base.error = QStringLiteral("changed in the last %1 seconds; left for next time")
                             .arg(QuietSeconds);
            outcomes.push_back(base);
            continue;
        }
        importer::LoggerHeader header;
        {
            QFile file(path);
            if (!file.open(QIODevice::ReadOnly)) {
                base.status = FolderFileOutcome::Status::Failed;
                base.error = file.errorString();
                outcomes.push_back(base);
                continue;
            }
            header = importer::readLoggerHeader(file.read(HeaderBytes));
        }
        std::vector<FolderFileOutcome> mine;
        try {
            if (header.format == importer::LoggerFormat::Sixteen) {
                const QRegularExpressionMatch m = sixteenName.match(name);
                if (!m.hasMatch()) {
                    base.status = FolderFileOutcome::Status::NotMapped;
                    base.error = QStringLiteral("not named TV<number>.txt or <number>.txt");
                    outcomes.push_back(base);
                    continue;
                }
                ImportRequest r;
                r.file = path;
                r.sensor = m.captured(1);
                r.all = true;
                r.now = now;
                r.archiveTransfer = false;
                const ImportOutcome o = importLoggerFile(db, dataFolder, r, now.date());
                FolderFileOutcome f = base;
                f.sensor = r.sensor;
                f.appended = o.appended;
                f.duplicates = o.duplicates;
                f.skipped = o.notDates;
                mine.push_back(f);
            } else {
                const std::vector<importer::Mapping> mappings =
                    importer::savedMappings(db, importer::loggerKey(header, name));
                if (mappings.empty()) {
                    base.status = FolderFileOutcome::Status::NotMapped;
                    base.error = QStringLiteral("no mapping saved for %1")
                                     .arg(importer::loggerKey(header, name));
                    outcomes.push_back(base);
                    continue;
                }
                writeTransaction(db, [&] {
                    QFile file(path);
                    if (!file.open(QIODevice::ReadOnly))
                        throw store::Error(store::code::CantOpen, file.errorString());
                    importer::LoggerReader reader(file);
                    for (const importer::MappedOutcome& m :
                         importer::importMapped(db, reader, mappings, name, now))
                        mine.push_back(outcomeOf(name, m));
                });
            }
        } catch (...) {
            base.status = FolderFileOutcome::Status::Failed;
            base.error = app::describeFailure(std::current_exception());
            outcomes.push_back(base);
            continue;
        }
        if (request.archive) {
            try {
                archive(folder, name, now.date());
            } catch (const store::Error& e) {
                // Stored already: the file is named, not counted as failed.
                for (FolderFileOutcome& f : mine)
                    f.messages << e.description();
            }
        }
        outcomes.insert(outcomes.end(), mine.begin(), mine.end());
    }
    if (progress) progress(done, int(names.size()));
    return outcomes;
}

qint64 setCalibration(store::Database& db, const CalibrationRequest& r) {
    importer::Calibration c;
    c.sensor = r.sensor;
    c.channel = r.channel;
    c.validFrom = r.validFrom;
    c.thermistor = r.kind == QLatin1String("thermistor");
    c.kind = r.kind == QLatin1String("polynomial") ? importer::GaugeKind::Polynomial
                                                   : importer::GaugeKind::Linear;
    c.gaugeFactor = r.gaugeFactor.value_or(0);
    c.polyA = r.polyA.value_or(0);
    c.polyB = r.polyB.value_or(0);
    c.thermalM = r.thermalM.value_or(0);
    c.thermalB = r.thermalB.value_or(0);
    c.zeroDigits = r.zeroDigits;
    c.zeroTemperature = r.zeroTemperature;
    c.minDigits = r.minDigits;
    c.maxDigits = r.maxDigits;
    const importer::Thermistor defaults;
    c.steinhart.a = r.thermA.value_or(defaults.a);
    c.steinhart.b = r.thermB.value_or(defaults.b);
    c.steinhart.c = r.thermC.value_or(defaults.c);
    qint64 id = 0;
    writeTransaction(db, [&] { id = importer::saveCalibration(db, c); });
    return id;
}

} // namespace operations
