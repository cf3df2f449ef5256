// The text driver's row set: a delimited text file read by its column
// description, every column as text, rows in file order. Static (scrollable,
// with a row count) and read-only. The file stays in memory as bytes; a field
// becomes text only when it is asked for, so a long file opens at the cost of
// one pass over its bytes.
#pragma once

#include "importer/SchemaIni.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace importer {

// What the bytes of a file are, learnt a piece at a time: UTF-8 or single
// bytes, text or not. Pieces come in file order, each cut after a line end,
// so that no character is cut in two.
class TextProbe {
public:
    void add(const char* begin, const char* end);
    // Not plain ASCII, and well-formed UTF-8 (a byte-order mark aside).
    bool utf8() const { return nonAscii_ && wellFormed_; }
    // Control characters, or NUL bytes so close together that no line fits
    // between them (a file of zeros, text in two-byte characters).
    bool binary() const;

private:
    bool nonAscii_ = false;
    bool wellFormed_ = true;
    qint64 text_ = 0;
    qint64 control_ = 0;
    qint64 nulRuns_ = 0;
    bool inNul_ = false;
};

class TextTable {
public:
    // The most bytes one table holds: a whole file is read into a table up to
    // this size (larger ones are read in chunks, see TextFile), and the
    // fields' 32-bit offsets stay within it.
    static constexpr qint64 MaxFileSize = qint64(1) << 28;

    // Splits bytes into rows by the description. Never fails on content:
    // quoted fields ("" inside is one quote), CR LF, LF, CR or NUL line ends
    // (loggers pad and separate lines with NULs), a last line without an end,
    // a UTF-8 byte-order mark, lines with fewer or more fields than columns
    // (missing ones are null, extra ones dropped). An empty field is null;
    // blanks around an unquoted field are dropped; empty lines are no rows.
    // Throws store::Error only for more than MaxFileSize bytes.
    TextTable(QByteArray bytes, const ColumnDescription& description);
    // A piece of a file whose encoding is known (from a TextProbe of the
    // whole file), cut after a line end: no byte-order mark is looked for,
    // and binary() is false, the file's verdict being its reader's.
    TextTable(QByteArray bytes, const ColumnDescription& description, bool utf8);

    // Opens <folder>/<fileName> as Schema.ini in folder describes it. Throws
    // store::Error when either cannot be read.
    static std::unique_ptr<TextTable> open(const QString& folder, const QString& fileName);

    // True when the bytes are no text to import (TextProbe::binary). The rows
    // are read all the same.
    bool binary() const { return binary_; }

    // The file the rows came from, as the user named it (the driver reads a
    // working copy); what the audit trail names.
    const QString& source() const { return source_; }
    void setSource(const QString& name) { source_ = name; }

    int RecordCount() const { return rows_; }
    int fieldCount() const { return int(names_.size()); }
    const QString& fieldName(int column) const { return names_[column]; }

    // Rows and columns count from 0. A position outside the table reads as null.
    bool isNull(int row, int column) const;
    // The field's bytes as the file holds them (quotes and outer blanks removed).
    std::string_view raw(int row, int column) const;
    // The field as text; a null QString when it is null.
    QString text(int row, int column) const;
    // Its first `most` characters at most (a pair of surrogates is never
    // split), read from no more bytes than they can take.
    QString text(int row, int column, qsizetype most) const;
    // The field as a value: text, or an invalid QVariant for null.
    QVariant value(int row, int column) const;

private:
    struct Field {
        std::uint32_t offset = 0; // into bytes_, or into unquoted_ with FromUnquoted set
        std::int32_t length = -1; // -1: null
    };
    static constexpr std::uint32_t FromUnquoted = 0x80000000u;

    void parse(const char* begin, const char* end, const ColumnDescription& description);
    const Field* field(int row, int column) const;
    QString decode(std::string_view bytes) const;

    QByteArray bytes_;
    QByteArray unquoted_; // fields whose text differs from their bytes (doubled quotes)
    bool utf8_ = false;
    bool binary_ = false;
    QStringList names_;
    QString source_;
    std::vector<Field> fields_; // row by row, fieldCount() to a row
    int rows_ = 0;
};

} // namespace importer
