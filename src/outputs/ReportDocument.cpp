#include "outputs/ReportDocument.h"

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

QString reportDateText(const QDateTime& date) {
    if (date.time().isValid() && date.isValid())
        return date.toString(QStringLiteral("yyyy/MM/dd HH:mm:ss"));
    return date.date().toString(QStringLiteral("yyyy/MM/dd"));
}

namespace {

WordParagraph paragraph(const QString& text, int points, bool bold, bool pageBreakBefore = false,
                        const QString& style = {}) {
    WordParagraph p;
    p.text = text;
    p.points = points;
    p.bold = bold;
    p.pageBreakBefore = pageBreakBefore;
    p.style = style;
    return p;
}

} // namespace

WordDocument reportDocument(const Report& report) {
    const ReportSensor& sensor = report.sensor;
    WordDocument doc;
    doc.title = texts::reportTitle(sensor.InstrumentID);
    doc.created = report.date;
    doc.headerPicture = report.logo;
    doc.footer = texts::ReportPageFooter;
    auto& p = doc.paragraphs;
    const auto line = [&](const QString& text) { p.push_back(paragraph(text, 12, false)); };
    // Each paragraph break takes the type set before it, so the title has an
    // empty 16-point paragraph above it and an empty 12-point one below.
    p.push_back(paragraph({}, 0, true));
    p.push_back(paragraph({}, 16, true));
    p.push_back(paragraph(doc.title, 16, true, false, Heading1Style));
    line({});
    line(texts::ReportDateLine + reportDateText(report.date));
    line(texts::SensorNumberLine + sensor.InstrumentID);
    line(texts::SensorTypeLine + sensor.Family + QLatin1Char(' ') + sensor.Model);
    line(texts::DateInstalledLine + sensor.InstallDate);
    line(texts::InstalledByLine + sensor.InstallBy);
    line(texts::LevelLine + sensor.Level);
    line(texts::LocationLine + sensor.Location);
    line(texts::PurposeLine + sensor.Purpose);
    line(texts::NotesLine + sensor.Notes);
    if (report.anchors) {
        const AnchorTable& a = *report.anchors;
        line({});
        p.push_back(paragraph(texts::AnchorsHeading, 12, false, false, Heading2Style));
        WordTable table;
        table.weights = AnchorColumnWeights;
        table.header = {texts::AnchorTitle,
                        a.headAtCollar ? texts::DepthFromCollarTitle : texts::DepthFromToeTitle,
                        texts::DepthFromRoofTitle, texts::DisplacementTitle,
                        texts::ZeroReadingTitle};
        for (const AnchorRow& r : a.rows)
            table.rows.push_back(
                {r.anchor, r.depthFromHead, r.depthFromRoof, r.displacement, r.zeroReading});
        WordParagraph t;
        t.table = table;
        p.push_back(t);
        line(texts::latestReadingLine(a.latestReading));
        if (!a.zeros.empty()) {
            line({});
            p.push_back(paragraph(texts::ZeroReadingsHeading, 12, false, false, Heading2Style));
            WordTable zeros;
            zeros.weights = texts::ZeroReadingsWeights;
            zeros.header = texts::ZeroReadingsHeader;
            for (const ZeroRow& z : a.zeros)
                zeros.rows.push_back(z.cells());
            WordParagraph list;
            list.table = zeros;
            p.push_back(list);
        }
    }
    if (report.levels) {
        const ReportLevels& l = *report.levels;
        const auto table = [&](const std::vector<QString>& header,
                               std::vector<std::vector<QString>> rows,
                               const std::vector<int>& weights) {
            WordParagraph t;
            t.table = WordTable{header, std::move(rows), weights};
            p.push_back(t);
        };
        line({});
        p.push_back(paragraph(texts::TriggerLevelsHeading, 12, false, false, Heading2Style));
        if (l.rows.empty()) {
            line(texts::NoTriggerLevels);
        } else {
            table(texts::TriggerLevelsHeader, l.rows, texts::TriggerLevelsWeights);
            line(texts::rateWindowLine(l.window));
        }
        line(texts::staleAfterLine(l.staleAfter));
        line({});
        p.push_back(paragraph(texts::statusHeading(l.statusAt), 12, false, false, Heading2Style));
        table(texts::StatusHeader, {l.status}, texts::StatusWeights);
    }
    for (const ReportGraph& g : report.graphs) {
        p.push_back(paragraph(g.heading, 12, false, true, Heading2Style));
        WordParagraph picture = paragraph({}, 12, false);
        picture.picture = g.picture;
        p.push_back(picture);
        WordParagraph notes = paragraph(texts::GraphNotesLine, 12, false);
        notes.ruledToPageEnd = true;
        p.push_back(notes);
    }
    // Where the last line's paragraph break leaves the insertion point.
    if (report.graphs.empty()) line({});
    return doc;
}

QString reportPath(const QString& dataFolder, const QString& instrumentId, ReportFormat format) {
    QString name = format == ReportFormat::Pdf ? texts::reportPdfFileName(instrumentId)
                                               : texts::reportFileName(instrumentId);
    for (QChar& c : name)
        if (c.unicode() < 0x20 || QStringLiteral("/\\:*?\"<>|").contains(c)) c = QLatin1Char('_');
    return QDir(dataFolder).filePath(name);
}

} // namespace outputs
