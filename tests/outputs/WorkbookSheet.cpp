#include "WorkbookSheet.h"

#include <QFile>
#include <QXmlStreamReader>

#include <zip.h>

#include <memory>

namespace testing_support {

namespace {

struct ZipClose {
    void operator()(zip_t* z) const { zip_discard(z); }
};

std::unique_ptr<zip_t, ZipClose> openZip(const QString& package) {
    int error = 0;
    return std::unique_ptr<zip_t, ZipClose>(
        zip_open(QFile::encodeName(package).constData(), ZIP_RDONLY, &error));
}

} // namespace

QByteArray zipPart(const QString& package, const QString& part) {
    auto zip = openZip(package);
    if (!zip) return {};
    zip_stat_t stat;
    const QByteArray name = part.toUtf8();
    if (zip_stat(zip.get(), name.constData(), 0, &stat) != 0) return {};
    zip_file_t* file = zip_fopen(zip.get(), name.constData(), 0);
    if (!file) return {};
    QByteArray bytes(qsizetype(stat.size), '\0');
    const zip_int64_t read = zip_fread(file, bytes.data(), stat.size);
    zip_fclose(file);
    return read == zip_int64_t(stat.size) ? bytes : QByteArray();
}

QStringList zipParts(const QString& package) {
    QStringList parts;
    auto zip = openZip(package);
    if (!zip) return parts;
    const zip_int64_t n = zip_get_num_entries(zip.get(), 0);
    for (zip_int64_t i = 0; i < n; ++i)
        parts << QString::fromUtf8(zip_get_name(zip.get(), zip_uint64_t(i), 0));
    return parts;
}

QString ReadSheet::shown(const QString& ref) const {
    const SheetCell c = cells.value(ref);
    if (c.type == QLatin1String("b")) return c.value == QLatin1String("1") ? "TRUE" : "FALSE";
    return c.value;
}

ReadSheet readSheet(const QString& package, int number) {
    ReadSheet sheet;
    {
        QXmlStreamReader xml(zipPart(package, QStringLiteral("xl/workbook.xml")));
        while (!xml.atEnd())
            if (xml.readNext() == QXmlStreamReader::StartElement &&
                xml.name() == QLatin1String("sheet"))
                sheet.names << xml.attributes().value(QLatin1String("name")).toString();
        sheet.name = sheet.names.value(number - 1);
    }
    {
        QXmlStreamReader xml(zipPart(package, QStringLiteral("xl/styles.xml")));
        QMap<int, QString> formats;
        QList<bool> fontBold;
        bool inFonts = false, inCellXfs = false;
        while (!xml.atEnd()) {
            xml.readNext();
            const auto name = xml.name();
            if (xml.isStartElement()) {
                const auto a = xml.attributes();
                if (name == QLatin1String("numFmt"))
                    formats[a.value(QLatin1String("numFmtId")).toInt()] =
                        a.value(QLatin1String("formatCode")).toString();
                else if (name == QLatin1String("fonts"))
                    inFonts = true;
                else if (name == QLatin1String("font") && inFonts)
                    fontBold << false;
                else if (name == QLatin1String("b") && inFonts)
                    fontBold.last() = true;
                else if (name == QLatin1String("cellXfs"))
                    inCellXfs = true;
                else if (name == QLatin1String("xf") && inCellXfs) {
                    sheet.styleFormats << formats.value(a.value(QLatin1String("numFmtId")).toInt());
                    sheet.styleBold << fontBold.value(a.value(QLatin1String("fontId")).toInt());
                }
            } else if (xml.isEndElement()) {
                if (name == QLatin1String("fonts")) inFonts = false;
                if (name == QLatin1String("cellXfs")) inCellXfs = false;
            }
        }
    }
    QXmlStreamReader xml(zipPart(package, QStringLiteral("xl/worksheets/sheet%1.xml").arg(number)));
    QString ref;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement()) continue;
        const auto a = xml.attributes();
        const auto name = xml.name();
        if (name == QLatin1String("c")) {
            ref = a.value(QLatin1String("r")).toString();
            SheetCell& c = sheet.cells[ref];
            c.type = a.hasAttribute(QLatin1String("t")) ? a.value(QLatin1String("t")).toString()
                                                        : QStringLiteral("n");
            c.style = a.value(QLatin1String("s")).toInt();
        } else if (name == QLatin1String("v") || name == QLatin1String("t")) {
            sheet.cells[ref].value = xml.readElementText();
        } else if (name == QLatin1String("pane") &&
                   a.value(QLatin1String("state")) == QLatin1String("frozen")) {
            sheet.frozenCell = a.value(QLatin1String("topLeftCell")).toString();
        } else if (name == QLatin1String("col")) {
            const int first = a.value(QLatin1String("min")).toInt();
            const int last = a.value(QLatin1String("max")).toInt();
            for (int c = first; c <= last; ++c)
                sheet.widths[c] = a.value(QLatin1String("width")).toDouble();
        }
    }
    return sheet;
}

} // namespace testing_support
