// Logger files as loggers write them: TOA5 (four header lines, then quoted
// timestamps and values) and any delimited text with a header line. Read as a
// stream, a line at a time, so that a file of hundreds of megabytes costs a
// buffer, not its size.
#pragma once

#include "importer/LoggerDates.h"

#include <QByteArray>
#include <QIODevice>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace importer {

enum class LoggerFormat {
    Sixteen, // the one-file-per-sensor layout: no header, a date first
    Toa5,
    Csv,
};

// The order of a date's parts; the time follows, or a "T" and the time.
enum class DateOrder { YearFirst, DayFirst, MonthFirst };

struct LoggerField {
    QString name;
    QString unit;    // TOA5 line 3, or a CSV's unit line; empty when none
    QString process; // TOA5 line 4
};

struct LoggerHeader {
    LoggerFormat format = LoggerFormat::Sixteen;
    // TOA5 line 1: "TOA5", station, logger model, serial number, OS version,
    // program, signature, table name (missing ones empty).
    QStringList environment;
    char delimiter = ',';
    char decimal = '.';
    int headerLines = 0; // lines before the first reading
    // A header line of names whose count every line looked at has: a file
    // that needs a mapping, never one of the sixteen-column layout.
    bool headed = false;
    std::vector<LoggerField> fields;
    // Recognised from the file's first lines; nothing when they leave day
    // and month undecided (every number 12 or less).
    std::optional<DateOrder> dateOrder;

    QString station() const { return environment.value(1); }
    QString table() const { return environment.value(7); }
    int fieldIndex(const QString& name) const; // -1 when there is none
};

// A date and time as a logger writes it: "2026-11-03 06:00:00" (seconds and
// their fractions optional, a "T" in place of the blank, "Z" at the end),
// "03/11/2026 06:00", "11.03.2026 6:00:00"; "-", "/" or "." part the date.
// Fractions are dropped: readings are keyed by the second. Nothing for a text
// that is no real date and time in that order.
std::optional<When> loggerStamp(std::string_view text, DateOrder order);

// A field as a number: "." or "," as the decimal mark given, an exponent
// allowed, blanks around it. Nothing for empty or other text.
std::optional<double> loggerNumber(std::string_view text, char decimal);
// The logger's own marks for no value: NAN, INF, -INF, -9999999, -555555.
bool isFaultMarker(std::string_view text);

class LoggerReader {
public:
    // Reads the header from the device's first lines (up to 64 kB are looked
    // at to recognise the layout). The device must stay open while read.
    explicit LoggerReader(QIODevice& device);

    const LoggerHeader& header() const { return header_; }

    struct Line {
        int number = 0;                       // in the file, from 1
        std::vector<std::string_view> fields; // valid until the next call
    };
    // The next reading line (empty lines skipped); false at the end.
    bool next(Line& line);

    qint64 bytesRead() const { return consumed_; }

private:
    bool nextRawLine(std::string_view& line);
    void split(std::string_view line, std::vector<std::string_view>& out);

    QIODevice& device_;
    LoggerHeader header_;
    QByteArray buffer_;
    qsizetype pos_ = 0;
    bool eof_ = false;
    int lineNumber_ = 0;
    qint64 consumed_ = 0;
    std::string unquoted_;
};

// The header of bytes that begin a file (a test's file, the fuzzer's input).
LoggerHeader readLoggerHeader(const QByteArray& start);

} // namespace importer
