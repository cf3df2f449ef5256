#include "outputs/ReportDocument.h"

#include "app/TextFormat.h"
#include "outputs/Texts.h"
#include "store/RowSet.h"

#include <QDir>

namespace outputs {

ReportSensor reportSensor(const store::RowSet& sensors) {
    const auto field = [&](const char* name) {
        return sensors.value(QString::fromLatin1(name)).toString();
    };
    return {field("InstrumentID"), field("Family"),    field("Model"),
            field("InstallDate"),  field("InstallBy"), field("Level"),
            field("Location"),     field("Purpose"),   field("Notes")};
}

WordDocument reportDocument(const ReportSensor& sensor, const QDateTime& now,
                            const std::vector<ReportGraph>& graphs, const QString& logo) {
    WordDocument doc;
    doc.title = texts::reportTitle(sensor.InstrumentID);
    doc.created = now;
    doc.headerPicture = logo;
    auto& p = doc.paragraphs;
    const auto line = [&](const QString& text) { p.push_back({text, 12, false, false, {}}); };
    // Each paragraph break takes the type set before it, so the title has an
    // empty 16-point paragraph above it and an empty 12-point one below.
    p.push_back({{}, 0, true, false, {}});
    p.push_back({{}, 16, true, false, {}});
    p.push_back({doc.title, 16, true, false, {}});
    line({});
    line(texts::ReportDateLine + app::shortDate(now.date()));
    line(texts::SensorNumberLine + sensor.InstrumentID);
    line(texts::SensorTypeLine + sensor.Family + QLatin1Char(' ') + sensor.Model);
    line(texts::DateInstalledLine + sensor.InstallDate);
    line(texts::InstalledByLine + sensor.InstallBy);
    line(texts::LevelLine + sensor.Level);
    line(texts::LocationLine + sensor.Location);
    line(texts::PurposeLine + sensor.Purpose);
    line(texts::NotesLine + sensor.Notes);
    for (const ReportGraph& g : graphs) {
        p.push_back({g.heading, 12, false, true, {}});
        p.push_back({{}, 12, false, false, g.picture});
        line(texts::GraphNotesLine);
    }
    // Where the last line's paragraph break leaves the insertion point.
    line({});
    return doc;
}

QString reportPath(const QString& dataFolder, const QString& instrumentId) {
    QString name = texts::reportFileName(instrumentId);
    for (QChar& c : name)
        if (c.unicode() < 0x20 || QStringLiteral("/\\:*?\"<>|").contains(c)) c = QLatin1Char('_');
    return QDir(dataFolder).filePath(name);
}

} // namespace outputs
