// Fuzzes the logger file readers and what reads their fields: any bytes must
// give a table whose every field can be read, a proposal per line, dates that
// are real when there are any, and numbers the fast way exactly as the
// number formats give them; read as TOA5 or headed CSV, lines numbered in
// order, fields within the bytes read, and numbers finite.
#include "app/TextFormat.h"
#include "importer/ColumnValue.h"
#include "importer/LoggerDates.h"
#include "importer/LoggerFile.h"
#include "importer/Proposal.h"
#include "importer/SchemaIni.h"
#include "importer/TextTable.h"

#include <QBuffer>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <utility>

using namespace importer;

namespace {

void require(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "broken: %s\n", what);
        std::abort();
    }
}

void checkNumber(std::string_view text) {
    const QString t = QString::fromLatin1(text.data(), qsizetype(text.size()));
    for (const auto& [decimals, format] :
         {std::pair(1, app::NumberFormat::Fixed1), std::pair(2, app::NumberFormat::Fixed2)}) {
        const double slow = app::formatNumber(app::leadingNumber(t), format).toDouble();
        require(columnValue(text, decimals) == (std::isfinite(slow) ? slow : 0.0),
                "columnValue differs from the number format");
    }
}

void checkDate(std::string_view text) {
    for (DayOrder order : {DayOrder::DayFirst, DayOrder::MonthFirst}) {
        if (const auto when = generalDateTime(text, order))
            require(when->date.isValid() && when->time.isValid(), "an impossible date");
        for (DateLayout layout :
             {DateLayout::YearFirst, DateLayout::DayFirst, DateLayout::MonthFirst})
            if (const auto when = keyParts(text, layout, order))
                require(when->date.isValid() && when->time.isValid() && when->date.year() <= 9999,
                        "an impossible key");
    }
}

void checkTable(const TextTable& table, int period) {
    for (int r = 0; r < table.RecordCount(); ++r) {
        for (int c = 0; c < table.fieldCount(); ++c) {
            const std::string_view raw = table.raw(r, c);
            const QString text = table.text(r, c);
            require(table.isNull(r, c) == raw.empty(), "null and empty disagree");
            require(text.isNull() == raw.empty(), "text and bytes disagree");
            require(text.startsWith(table.text(r, c, 7)), "a shortened field is no prefix");
        }
        require(table.isNull(r, table.fieldCount()) && table.isNull(r, -1), "out of range read");
        checkDate(table.raw(r, 0));
        if (table.fieldCount() > 5) checkNumber(table.raw(r, 5));
    }
    const auto ticks = proposeTicks(table, period, DayOrder::DayFirst);
    require(int(ticks.size()) == table.RecordCount(), "a tick per line");
}

void checkLoggerFile(const QByteArray& bytes) {
    QByteArray copy = bytes;
    QBuffer device(&copy);
    device.open(QIODevice::ReadOnly);
    LoggerReader reader(device);
    const LoggerHeader& header = reader.header();
    require(header.format != LoggerFormat::Toa5 || header.headerLines == 4, "TOA5 header lines");
    LoggerReader::Line line;
    int last = 0;
    while (reader.next(line)) {
        require(line.number > last, "line numbers in order");
        last = line.number;
        require(!line.fields.empty(), "a line has a field");
        for (std::string_view f : line.fields) {
            for (DateOrder order :
                 {DateOrder::YearFirst, DateOrder::DayFirst, DateOrder::MonthFirst})
                if (const auto when = loggerStamp(f, order))
                    require(when->date.isValid() && when->time.isValid(), "an impossible stamp");
            if (const auto v = loggerNumber(f, header.decimal))
                require(std::isfinite(*v), "a number that is not finite");
            (void)isFaultMarker(f);
        }
    }
    require(reader.bytesRead() <= bytes.size(), "read past the end");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const int mode = data[0] % 4;
    const int period = int(std::int8_t(data[1]));
    const QByteArray bytes(reinterpret_cast<const char*>(data + 2), qsizetype(size - 2));
    if (mode == 0) {
        // A logger file as the import reads it.
        static const ColumnDescription sixteen =
            *columnDescription(schemaBytes(), QStringLiteral("datafile.txt"));
        checkTable(TextTable(bytes, sixteen), period);
    } else if (mode == 1) {
        // A Schema.ini, then after a NUL byte the file it describes.
        const qsizetype split = bytes.indexOf('\0');
        const QByteArray ini = split < 0 ? bytes : bytes.left(split);
        const auto description = columnDescription(ini, QStringLiteral("datafile.txt"));
        if (description) {
            require(!description->names.isEmpty() && description->names.size() <= 255,
                    "column count");
            checkTable(TextTable(split < 0 ? QByteArray() : bytes.mid(split + 1), *description),
                       period);
        }
    } else if (mode == 3) {
        // A logger file as loggers write it: TOA5, or any headed CSV.
        checkLoggerFile(bytes);
    } else {
        const std::string_view text(bytes.constData(), size_t(bytes.size()));
        checkNumber(text);
        checkDate(text);
    }
    return 0;
}
