// Schema.ini, the column description the text driver reads beside a text
// file: the twenty lines written for each import, and the reading of a
// file's section back.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <optional>

namespace importer {

// How the lines of one text file split into columns.
struct ColumnDescription {
    char delimiter = ',';
    bool headerLine = false; // the first line holds names, not values
    QStringList names;       // column k is names[k - 1]; every column is read as text
};

// Schema.ini's content for datafile.txt: the twenty lines, each ended by CR LF,
// in single bytes.
QByteArray schemaBytes();

// Writes <folder>/Schema.ini anew. Throws store::Error when it cannot.
void writeSchemaIni(const QString& folder);

// The description in fileName's section of an ini text (section names and
// keys compared without regard to letter case). Nothing when the section is
// missing or names no columns.
std::optional<ColumnDescription> columnDescription(QByteArrayView ini, const QString& fileName);

// The description of <folder>/<fileName> from <folder>/Schema.ini. Throws
// store::Error when the file or the section is missing.
ColumnDescription readColumnDescription(const QString& folder, const QString& fileName);

} // namespace importer
