#include "app/TextFormat.h"
#include "operations/Csv.h"
#include "operations/Operations.h"
#include "outputs/DatasheetModel.h"
#include "outputs/QualitySheet.h"
#include "outputs/Texts.h"
#include "outputs/Workbook.h"
#include "store/ReadingTables.h"
#include "store/RowSet.h"

#include <QSaveFile>

#include <array>

namespace operations {

namespace {

// The datasheet of a sensor, as its window shows it before any edit.
struct Datasheet {
    Datasheet(store::Database& db, const QString& number) {
        if (!db.hasTable(number))
            throw store::Error(store::code::NotFound,
                               QStringLiteral("sensor %1 has no reading table").arg(number));
        rows = std::make_unique<store::RowSet>(db, store::readingsQuery(number));
        model.populate(rows.get(), number);
    }
    ~Datasheet() { model.release(); }
    std::unique_ptr<store::RowSet> rows;
    outputs::DatasheetModel model;
};

constexpr int Block = 4096;
constexpr int Anchors = 8;

// NodeLocation1 to 8 of the sensor record, "##0.00"; empty where none is stored.
std::array<QString, Anchors> anchorDepths(store::Database& db, const QString& number) {
    QStringList columns;
    for (int k = 1; k <= Anchors; ++k)
        columns << QStringLiteral("NodeLocation%1").arg(k);
    store::Statement st =
        db.prepare(QStringLiteral("SELECT %1 FROM Sensors WHERE InstrumentID = ?1")
                       .arg(columns.join(QLatin1Char(','))));
    st.bind(1, number);
    std::array<QString, Anchors> depths;
    if (st.step())
        for (int k = 0; k < Anchors; ++k)
            if (const std::optional<double> depth = st.number(k))
                depths[size_t(k)] = app::formatNumber(*depth, app::NumberFormat::Fixed2);
    return depths;
}

// Thrown out of the walk of the readings when the export is stopped.
struct Stopped {};

} // namespace

void exportWorkbook(store::Database& db, const QString& number, const QString& path,
                    const Progress& progress, bool withInvalid) {
    Datasheet sheet(db, number);
    exportWorkbook(
        db, number, path, sheet.model,
        [&](int done, int total) {
            if (progress) progress(done, total);
            return true;
        },
        withInvalid);
}

bool exportWorkbook(store::Database& db, const QString& number, const QString& path,
                    const outputs::DatasheetModel& grid,
                    const std::function<bool(int done, int total)>& progress, bool withInvalid) {
    namespace texts = outputs::texts;
    const outputs::QualitySheet sheet(grid, grid.sheetColumns(), readings::qualityFlags(db, number),
                                      withInvalid);
    const bool qualityColumn = sheet.columns().size() > grid.sheetColumns().size();
    const int rows = sheet.sheetRowCount();
    const int total = 2 * rows;
    outputs::WorkbookWriter book(path);
    const int datasheet = book.addSheet(number, sheet.columns());
    if (!outputs::addRows(book, datasheet, sheet, progress, 0, total)) return false;

    // The titles wait for the anchors of the sensor's type, which the walk of
    // its readings tells.
    const std::array<QString, Anchors> depths = anchorDepths(db, number);
    int displacements = -1;
    auto titles = [&](int anchors) {
        std::vector<outputs::SheetColumn> columns{
            {texts::DateTimeTitle, outputs::SheetKind::DateTime}};
        for (int k = 1; k <= anchors; ++k)
            columns.push_back(
                {texts::anchorTitle(k, k <= Anchors ? depths[size_t(k - 1)] : QString()),
                 outputs::SheetKind::Number});
        if (qualityColumn) columns.push_back({outputs::QualityTitle, outputs::SheetKind::Text});
        displacements = book.addSheet(texts::DisplacementsSheet, columns);
    };
    int written = 0;
    std::vector<QVariant> cells;
    try {
        const ReadingsOf of = forEachReading(
            db, number, std::nullopt, std::nullopt,
            [&](const ReadingLine& line) {
                if (displacements < 0) titles(int(line.displacements.size()));
                if (written % 1000 == 0 && progress && !progress(rows + written, total))
                    throw Stopped{};
                cells.assign(line.displacements.size() + 1 + (qualityColumn ? 1 : 0), QVariant());
                if (qualityColumn) cells.back() = line.quality;
                cells[0] = (line.date + QLatin1Char(' ') + line.time).trimmed();
                // Rounded as the readings command lists them: a subtraction's
                // binary dust would show in a wide General cell.
                for (size_t k = 0; k < line.displacements.size(); ++k)
                    if (const auto d = csv::rounded(line.displacements[k])) cells[k + 1] = *d;
                book.addRow(displacements, cells);
                ++written;
            },
            withInvalid);
        if (displacements < 0) titles(of.anchors);
    } catch (const Stopped&) {
        return false;
    }
    if (progress && !progress(total, total)) return false;
    book.finish();
    return true;
}

void exportCsv(store::Database& db, const QString& number, const QString& path,
               const Progress& progress, bool withInvalid) {
    Datasheet grid(db, number);
    const outputs::QualitySheet sheet(grid.model, grid.model.sheetColumns(),
                                      readings::qualityFlags(db, number), withInvalid);
    // Written aside and renamed into place: an older file is replaced whole.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw store::Error(store::code::CantOpen, file.errorString() + QStringLiteral(": ") + path);
    QStringList titles;
    for (const outputs::SheetColumn& c : sheet.columns())
        titles << csv::field(c.title);
    QByteArray out = titles.join(QLatin1Char(',')).toUtf8() + "\r\n";
    const int total = sheet.sheetRowCount();
    for (int first = 0; first < total; first += Block) {
        for (const std::vector<QVariant>& row : sheet.sheetRows(first, Block)) {
            QStringList cells;
            for (const QVariant& v : row)
                cells << csv::value(v);
            out += cells.join(QLatin1Char(',')).toUtf8() + "\r\n";
        }
        if (file.write(out) != out.size())
            throw store::Error(store::code::CantOpen,
                               file.errorString() + QStringLiteral(": ") + path);
        out.clear();
        if (progress) progress(std::min(first + Block, total), total);
    }
    if (file.write(out) != out.size() || !file.commit())
        throw store::Error(store::code::CantOpen, file.errorString() + QStringLiteral(": ") + path);
}

} // namespace operations
