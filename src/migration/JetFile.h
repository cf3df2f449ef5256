// A Jet 3, Jet 4 or ACE (.accdb) database file read through mdbtools: its user
// tables, their columns, and their rows as typed values.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace migration {

// True when the bytes begin as a Jet or ACE file does: 00 01 00 00 and
// "Standard Jet DB" or "Standard ACE DB". The name says nothing: our own
// SQLite file is also called .mdb.
bool hasJetHeader(const QByteArray& firstBytes);
bool isJetFile(const QString& path);

// Jet's column types, as the file records them.
enum class JetType {
    Boolean = 0x01,
    Byte = 0x02,
    Integer = 0x03,
    Long = 0x04,
    Money = 0x05,
    Single = 0x06,
    Double = 0x07,
    DateTime = 0x08,
    Binary = 0x09,
    Text = 0x0a,
    Ole = 0x0b,
    Memo = 0x0c,
    Guid = 0x0f,
    Numeric = 0x10,
    Complex = 0x12,
};

struct JetColumn {
    QString name;
    int type = 0; // a JetType, or another number the file holds
    int size = 0;
    int precision = 0;
    int scale = 0;
};

struct JetTable {
    QString name;
    qint64 rows = 0; // as the table's definition records it
    std::vector<JetColumn> columns;
};

// One value of a row. Text is UTF-8.
struct JetValue {
    enum class Kind { Null, Integer, Real, Text, Blob };
    Kind kind = Kind::Null;
    std::int64_t integer = 0;
    double real = 0;
    std::string bytes; // Text and Blob
};

// Days since 1899-12-30 (Jet's date-time) as "yyyy-MM-dd HH:mm:ss"; empty when
// the number is no date Jet can hold (years 100 to 9999). Before 1899-12-30 the
// whole days count back and the fraction still runs forward from midnight.
QString jetDateText(double days);
// A single-precision value as its 7 significant digits say, without the float
// noise a widening to double brings (1.1f is 1.1, not 1.10000002384).
double singleToDouble(float value);

class JetFile {
public:
    // Opens path for reading only. Throws store::Error with the reason when the
    // file is missing, a folder, empty, not a Jet file, damaged or protected by
    // a password.
    static std::unique_ptr<JetFile> open(const QString& path);
    // The same over bytes held in memory (the fuzz target). bytes must outlive the file.
    static std::unique_ptr<JetFile> openBytes(const QByteArray& bytes);
    ~JetFile();
    JetFile(const JetFile&) = delete;
    JetFile& operator=(const JetFile&) = delete;

    // "Jet 3", "Jet 4" or "ACE".
    QString version() const;
    // The user tables in the order of the file's catalog.
    QStringList tableNames() const { return tables_; }
    // Columns and recorded row count; throws store::Error when the definition
    // cannot be read.
    JetTable table(const QString& name);
    // Every row of the table, in the order of its pages, the values in the
    // order of table(name).columns. Returns the rows read; f returning false stops.
    qint64 readRows(const QString& name,
                    const std::function<bool(const std::vector<JetValue>&)>& f);

private:
    struct Handle;
    explicit JetFile(std::unique_ptr<Handle> handle);
    void readCatalog();
    std::unique_ptr<Handle> h_;
    QStringList tables_;
};

} // namespace migration
