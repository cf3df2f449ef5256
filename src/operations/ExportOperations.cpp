#include "operations/Csv.h"
#include "operations/Operations.h"
#include "outputs/DatasheetModel.h"
#include "outputs/Workbook.h"
#include "store/ReadingTables.h"
#include "store/RowSet.h"

#include <QSaveFile>

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

} // namespace

void exportWorkbook(store::Database& db, const QString& number, const QString& path,
                    const Progress& progress) {
    Datasheet sheet(db, number);
    outputs::writeWorkbook(path, number, sheet.model.sheetColumns(), sheet.model,
                           [&](int done, int total) {
                               if (progress) progress(done, total);
                               return true;
                           });
}

void exportCsv(store::Database& db, const QString& number, const QString& path,
               const Progress& progress) {
    Datasheet sheet(db, number);
    // Written aside and renamed into place: an older file is replaced whole.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw store::Error(store::code::CantOpen, file.errorString() + QStringLiteral(": ") + path);
    QStringList titles;
    for (const outputs::SheetColumn& c : sheet.model.sheetColumns())
        titles << csv::field(c.title);
    QByteArray out = titles.join(QLatin1Char(',')).toUtf8() + "\r\n";
    const int total = sheet.model.sheetRowCount();
    for (int first = 0; first < total; first += Block) {
        for (const std::vector<QVariant>& row : sheet.model.sheetRows(first, Block)) {
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
