#include "ReportPackage.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QXmlStreamReader>

#include <zip.h>

namespace reporttest {

QMap<QString, QByteArray> unzip(const QString& path) {
    QMap<QString, QByteArray> parts;
    zip_t* archive = zip_open(path.toUtf8().constData(), ZIP_RDONLY, nullptr);
    for (zip_int64_t i = 0; archive && i < zip_get_num_entries(archive, 0); ++i) {
        zip_stat_t st;
        zip_file_t* file = zip_stat_index(archive, zip_uint64_t(i), 0, &st) == 0
                               ? zip_fopen_index(archive, zip_uint64_t(i), 0)
                               : nullptr;
        if (!file) continue;
        QByteArray data(qsizetype(st.size), Qt::Uninitialized);
        if (zip_fread(file, data.data(), st.size) == zip_int64_t(st.size))
            parts.insert(QString::fromUtf8(st.name), data);
        zip_fclose(file);
    }
    if (archive) zip_close(archive);
    return parts;
}

std::vector<Paragraph> paragraphs(const QByteArray& partXml) {
    std::vector<Paragraph> list;
    QXmlStreamReader r(partXml);
    const auto attribute = [&](const char* name) {
        return r.attributes().value(QLatin1String(name)).toString();
    };
    bool inMark = false;
    int tableDepth = 0;
    while (!r.atEnd() && !r.hasError()) {
        r.readNext();
        const QStringView name = r.name();
        if (r.isEndElement() && name == u"pPr") inMark = false;
        if (r.isEndElement() && name == u"tbl") --tableDepth;
        if (!r.isStartElement()) continue;
        // A table is one entry, "[table]"; its cells are read by tables().
        if (name == u"tbl" && tableDepth++ == 0) list.emplace_back().text = "[table]";
        if (tableDepth > 0) continue;
        if (name == u"p") list.emplace_back();
        if (list.empty()) continue;
        Paragraph& p = list.back();
        // A run whose type differs from its paragraph mark shows as "|run <size>".
        if (name == u"pPr") inMark = true;
        if (name == u"pStyle") p.style = attribute("w:val");
        if (name == u"pageBreakBefore") p.pageBreak = true;
        if (name == u"sz" && inMark) p.size = attribute("w:val").toInt();
        if (name == u"sz" && !inMark && attribute("w:val").toInt() != p.size)
            p.text += "|run " + attribute("w:val");
        if (name == u"b" && inMark) p.bold = true;
        if (name == u"t") p.text += r.readElementText();
        if (name == u"br" && attribute("w:type") == "page")
            p.pageBreak = true;
        else if (name == u"br")
            p.text += '\n';
        if (name == u"tab") p.text += '\t';
        if (name == u"blip") p.pictures << attribute("r:embed");
        if (name == u"instrText") p.text += "{" + r.readElementText().trimmed() + "}";
    }
    if (r.hasError()) list.emplace_back().text = "XML error: " + r.errorString();
    return list;
}

std::vector<std::vector<QStringList>> tables(const QByteArray& partXml) {
    std::vector<std::vector<QStringList>> list;
    QXmlStreamReader r(partXml);
    int depth = 0;
    while (!r.atEnd() && !r.hasError()) {
        r.readNext();
        if (r.isEndElement() && r.name() == u"tbl") --depth;
        if (!r.isStartElement()) continue;
        if (r.name() == u"tbl" && depth++ == 0) list.emplace_back();
        if (depth == 0) continue;
        auto& rows = list.back();
        if (r.name() == u"tr") rows.emplace_back();
        if (r.name() == u"tc" && !rows.empty()) rows.back() << "";
        if (r.name() == u"t" && !rows.empty() && !rows.back().isEmpty())
            rows.back().back() += r.readElementText();
    }
    return list;
}

std::string describe(const std::vector<Paragraph>& list) {
    QStringList lines;
    for (const Paragraph& p : list)
        if (p.text == "[table]")
            lines << p.text;
        else
            lines << p.text + QStringLiteral("|%1").arg(p.size) + (p.bold ? "|bold" : "") +
                         (p.style.startsWith("Heading") ? "|" + p.style : QString()) +
                         (p.pageBreak ? "|page" : "") + (p.pictures.isEmpty() ? "" : "|picture");
    return joined(lines);
}

QString relTarget(const QByteArray& relsXml, const QString& id) {
    const QRegularExpression re("<Relationship Id=\"" + id +
                                "\" Type=\"[^\"]*\" Target=\"([^\"]*)\"");
    return re.match(QString::fromUtf8(relsXml)).captured(1);
}

std::string joined(const QStringList& list) {
    return "\n" + list.join('\n').toStdString();
}

QString pythonWithDocx() {
    QStringList candidates{QStandardPaths::findExecutable("python3"), "/usr/bin/python3"};
    for (const QString& python : candidates) {
        if (python.isEmpty()) continue;
        QProcess p;
        p.start(python, {"-c", "import docx"});
        if (p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0)
            return python;
    }
    return {};
}

} // namespace reporttest
