#include "importer/SchemaIni.h"

#include "importer/Texts.h"
#include "store/Error.h"

#include <QDir>
#include <QFile>

#include <map>

namespace importer {

namespace {

// The engine describes at most this many columns of a text file; more would
// only let a damaged file ask for an absurd row width.
constexpr int MaxColumns = 255;

QByteArrayView trimmed(QByteArrayView v) {
    return v.trimmed();
}

bool sameKey(QByteArrayView a, const char* b) {
    return a.compare(QByteArrayView(b), Qt::CaseInsensitive) == 0;
}

// "Delimited(;)" -> ';'. Anything unreadable stays comma-separated.
char delimiterOf(QByteArrayView format) {
    if (sameKey(format, "TabDelimited")) return '\t';
    if (format.size() == 12 && format.first(10).compare("Delimited(", Qt::CaseInsensitive) == 0 &&
        format.back() == ')' && format[10] != '"' && format[10] != '\r' && format[10] != '\n')
        return format[10];
    return ',';
}

} // namespace

QByteArray schemaBytes() {
    QByteArray bytes;
    for (const QString& line : texts::schemaLines())
        bytes += line.toLatin1() + "\r\n";
    return bytes;
}

void writeSchemaIni(const QString& folder) {
    const QString path = QDir(folder).filePath(texts::SchemaFileName);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw store::Error(store::code::CantOpen, file.errorString() + QStringLiteral(": ") + path);
    const QByteArray bytes = schemaBytes();
    if (file.write(bytes) != bytes.size() || !file.flush())
        throw store::Error(store::code::Error, file.errorString() + QStringLiteral(": ") + path);
}

std::optional<ColumnDescription> columnDescription(QByteArrayView ini, const QString& fileName) {
    const QByteArray wanted = fileName.toLatin1();
    ColumnDescription description;
    std::map<int, QString> columns;
    bool inSection = false;
    for (QByteArrayView rest = ini; !rest.isEmpty();) {
        qsizetype end = 0;
        while (end < rest.size() && rest[end] != '\n' && rest[end] != '\r')
            ++end;
        const QByteArrayView line = trimmed(rest.first(end));
        rest = rest.sliced(end < rest.size() ? end + 1 : end);
        if (line.isEmpty() || line.front() == ';') continue;
        if (line.front() == '[') {
            // A second section of the same name does not reopen the first.
            if (inSection) break;
            inSection = line.back() == ']' &&
                        trimmed(line.sliced(1, line.size() - 2))
                                .compare(QByteArrayView(wanted), Qt::CaseInsensitive) == 0;
            continue;
        }
        if (!inSection) continue;
        const qsizetype eq = line.indexOf('=');
        if (eq < 0) continue;
        const QByteArrayView key = trimmed(line.first(eq));
        const QByteArrayView value = trimmed(line.sliced(eq + 1));
        if (sameKey(key, "Format")) {
            description.delimiter = delimiterOf(value);
        } else if (sameKey(key, "ColNameHeader")) {
            description.headerLine = sameKey(value, "true");
        } else if (key.size() > 3 && key.first(3).compare("Col", Qt::CaseInsensitive) == 0) {
            bool ok = false;
            const int number = key.sliced(3).toInt(&ok);
            if (!ok || number < 1 || number > MaxColumns) continue;
            // "Name Type [Width n]"; a name with blanks is quoted.
            QByteArrayView name = value;
            if (!name.isEmpty() && name.front() == '"') {
                const qsizetype close = name.indexOf('"', 1);
                name = close > 0 ? name.sliced(1, close - 1) : name.sliced(1);
            } else {
                const qsizetype blank = name.indexOf(' ');
                if (blank >= 0) name = name.first(blank);
            }
            columns[number] = QString::fromLatin1(name);
        }
    }
    if (columns.empty()) return std::nullopt;
    // Columns the section skips get the engine's own names, F<n>.
    const int count = columns.rbegin()->first;
    for (int k = 1; k <= count; ++k) {
        const auto named = columns.find(k);
        description.names << (named != columns.end() && !named->second.isEmpty()
                                  ? named->second
                                  : QStringLiteral("F%1").arg(k));
    }
    return description;
}

ColumnDescription readColumnDescription(const QString& folder, const QString& fileName) {
    const QString path = QDir(folder).filePath(texts::SchemaFileName);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw store::Error(store::code::CantOpen, file.errorString() + QStringLiteral(": ") + path);
    const std::optional<ColumnDescription> found = columnDescription(file.readAll(), fileName);
    if (!found)
        throw store::Error(store::code::NotFound,
                           QStringLiteral("%1 describes no columns of %2").arg(path, fileName));
    return *found;
}

} // namespace importer
