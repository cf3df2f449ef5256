#include "outputs/WordDocument.h"

#include "app/FileReplace.h"
#include "store/Error.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QLocale>
#include <QTemporaryFile>

#include <zip.h>

#include <algorithm>
#include <memory>
#include <optional>

namespace outputs {

namespace {

constexpr qint64 EmuPerTwip = 635;
constexpr qint64 EmuPerPixel = 9525; // 96 pixels to the inch, as a pasted picture
constexpr qint64 EmuPerInch = 914400;
constexpr int Margin = 1440; // twips: an inch all round

struct Page {
    int width; // twips
    int height;
};

// The paper a word processor would start a new document on here.
Page localPage() {
    if (QLocale::system().measurementSystem() == QLocale::ImperialUSSystem)
        return {12240, 15840}; // Letter
    return {11906, 16838};     // A4
}

const QString XmlHead = QStringLiteral(R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
                                       "\n");
const QString RelNs =
    QStringLiteral("http://schemas.openxmlformats.org/officeDocument/2006/relationships/");
// The roots of the document and the header declare every prefix a picture needs.
const QString PartNs = QStringLiteral(
    R"( xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main")"
    R"( xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships")"
    R"( xmlns:wp="http://schemas.openxmlformats.org/drawingml/2006/wordprocessingDrawing")"
    R"( xmlns:a="http://schemas.openxmlformats.org/drawingml/2006/main")"
    R"( xmlns:pic="http://schemas.openxmlformats.org/drawingml/2006/picture")");

const QString ContentTypes = QStringLiteral(
    R"(<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">)"
    R"(<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>)"
    R"(<Default Extension="xml" ContentType="application/xml"/>)"
    R"(<Default Extension="jpeg" ContentType="image/jpeg"/>)"
    R"(<Default Extension="png" ContentType="image/png"/>)"
    R"(<Override PartName="/word/document.xml" ContentType="application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml"/>)"
    R"(<Override PartName="/word/styles.xml" ContentType="application/vnd.openxmlformats-officedocument.wordprocessingml.styles+xml"/>)"
    R"(<Override PartName="/word/settings.xml" ContentType="application/vnd.openxmlformats-officedocument.wordprocessingml.settings+xml"/>)"
    R"(<Override PartName="/word/header1.xml" ContentType="application/vnd.openxmlformats-officedocument.wordprocessingml.header+xml"/>)"
    R"(<Override PartName="/docProps/core.xml" ContentType="application/vnd.openxmlformats-package.core-properties+xml"/>)"
    R"(</Types>)");

const QString PackageRels = QStringLiteral(
    R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
    R"(<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="word/document.xml"/>)"
    R"(<Relationship Id="rId2" Type="http://schemas.openxmlformats.org/package/2006/relationships/metadata/core-properties" Target="docProps/core.xml"/>)"
    R"(</Relationships>)");

// Calibri 11 with single lines, as a new document starts.
const QString Styles = QStringLiteral(
    R"(<w:styles xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main">)"
    R"(<w:docDefaults><w:rPrDefault><w:rPr>)"
    R"(<w:rFonts w:ascii="Calibri" w:hAnsi="Calibri" w:eastAsia="Calibri" w:cs="Calibri"/>)"
    R"(<w:sz w:val="22"/><w:szCs w:val="22"/></w:rPr></w:rPrDefault>)"
    R"(<w:pPrDefault><w:pPr><w:spacing w:after="0" w:line="264" w:lineRule="auto"/></w:pPr>)"
    R"(</w:pPrDefault></w:docDefaults>)"
    R"(<w:style w:type="paragraph" w:default="1" w:styleId="Normal"><w:name w:val="Normal"/>)"
    R"(<w:qFormat/></w:style>)"
    R"(<w:style w:type="paragraph" w:styleId="Header"><w:name w:val="header"/>)"
    R"(<w:basedOn w:val="Normal"/></w:style></w:styles>)");

// Without a compatibility mode some word processors treat the file as one of an
// older format.
const QString Settings = QStringLiteral(
    R"(<w:settings xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main">)"
    R"(<w:compat><w:compatSetting w:name="compatibilityMode")"
    R"( w:uri="http://schemas.microsoft.com/office/word" w:val="15"/></w:compat></w:settings>)");

// Text for an element or an attribute. XML has no place for most control
// characters, so they are left out.
QString escaped(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '&':
            out += QStringLiteral("&amp;");
            break;
        case '<':
            out += QStringLiteral("&lt;");
            break;
        case '>':
            out += QStringLiteral("&gt;");
            break;
        case '"':
            out += QStringLiteral("&quot;");
            break;
        case '\'':
            out += QStringLiteral("&apos;");
            break;
        default:
            if ((c.unicode() >= 0x20 && c.unicode() < 0xFFFE) || c == QLatin1Char('\t') ||
                c == QLatin1Char('\n') || c == QLatin1Char('\r'))
                out += c;
        }
    }
    return out;
}

QString relationship(const QString& id, const QString& type, const QString& target) {
    return QStringLiteral(R"(<Relationship Id="%1" Type="%2" Target="%3"/>)")
        .arg(id, RelNs + type, target);
}

QString relationships(const QString& list) {
    return XmlHead +
           QStringLiteral(
               R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)") +
           list + QStringLiteral("</Relationships>");
}

struct Picture {
    QByteArray bytes;
    QString extension;
    QSize pixels;
};

// The picture as a word processor takes it: JPEG and PNG as they are, anything
// else Qt reads as PNG. Nothing when the file is missing or not a picture.
std::optional<Picture> loadPicture(const QString& path) {
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly)) return std::nullopt;
    Picture p{file.readAll(), {}, {}};
    QBuffer source(&p.bytes);
    source.open(QIODevice::ReadOnly);
    QImageReader reader(&source);
    const QByteArray format = reader.format();
    const QImage image = reader.read();
    if (image.isNull()) return std::nullopt;
    p.pixels = image.size();
    if (format == "jpeg" || format == "jpg") {
        p.extension = QStringLiteral("jpeg");
    } else {
        p.extension = QStringLiteral("png");
        if (format != "png") {
            QByteArray png;
            QBuffer out(&png);
            out.open(QIODevice::WriteOnly);
            if (!image.save(&out, "PNG")) return std::nullopt;
            p.bytes = png;
        }
    }
    return p;
}

struct Extent {
    qint64 cx;
    qint64 cy;
};

// The picture's size on the page, its shape kept: at most maxWidth by
// maxHeight; fillWidth stretches a narrower one to maxWidth.
Extent fitted(QSize pixels, qint64 maxWidth, qint64 maxHeight, bool fillWidth) {
    const double w = double(pixels.width()) * EmuPerPixel;
    const double h = double(pixels.height()) * EmuPerPixel;
    double scale = fillWidth ? maxWidth / w : std::min(1.0, maxWidth / w);
    scale = std::min(scale, maxHeight / h);
    return {qint64(w * scale), qint64(h * scale)};
}

QString drawing(int id, const QString& name, const QString& relId, Extent e) {
    return QStringLiteral(
               R"(<w:drawing><wp:inline distT="0" distB="0" distL="0" distR="0">)"
               R"(<wp:extent cx="%1" cy="%2"/><wp:effectExtent l="0" t="0" r="0" b="0"/>)"
               R"(<wp:docPr id="%3" name="Picture %3" descr="%4"/><wp:cNvGraphicFramePr>)"
               R"(<a:graphicFrameLocks noChangeAspect="1"/></wp:cNvGraphicFramePr><a:graphic>)"
               R"(<a:graphicData uri="http://schemas.openxmlformats.org/drawingml/2006/picture">)"
               R"(<pic:pic><pic:nvPicPr><pic:cNvPr id="%3" name="%4"/><pic:cNvPicPr/></pic:nvPicPr>)"
               R"(<pic:blipFill><a:blip r:embed="%5"/><a:stretch><a:fillRect/></a:stretch>)"
               R"(</pic:blipFill><pic:spPr><a:xfrm><a:off x="0" y="0"/><a:ext cx="%1" cy="%2"/>)"
               R"(</a:xfrm><a:prstGeom prst="rect"><a:avLst/></a:prstGeom></pic:spPr></pic:pic>)"
               R"(</a:graphicData></a:graphic></wp:inline></w:drawing>)")
        .arg(QString::number(e.cx), QString::number(e.cy), QString::number(id), escaped(name),
             relId);
}

// The runs of a paragraph's text: a line break or a tab is an element of its own.
QString textRuns(const QString& text, const QString& runProps) {
    QString out;
    QString pending;
    const auto run = [&](const QString& content) {
        out += QStringLiteral("<w:r>") + runProps + content + QStringLiteral("</w:r>");
    };
    const auto flush = [&] {
        if (pending.isEmpty()) return;
        run(QStringLiteral("<w:t xml:space=\"preserve\">") + escaped(pending) +
            QStringLiteral("</w:t>"));
        pending.clear();
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            if (c == QLatin1Char('\r') && i + 1 < text.size() && text[i + 1] == QLatin1Char('\n'))
                ++i;
            flush();
            run(QStringLiteral("<w:br/>"));
        } else if (c == QLatin1Char('\t')) {
            flush();
            run(QStringLiteral("<w:tab/>"));
        } else {
            pending += c;
        }
    }
    flush();
    return out;
}

QString runProperties(const WordParagraph& p) {
    QString props;
    if (p.bold) props += QStringLiteral("<w:b/><w:bCs/>");
    if (p.points > 0)
        props += QStringLiteral(R"(<w:sz w:val="%1"/><w:szCs w:val="%1"/>)").arg(p.points * 2);
    return props.isEmpty() ? props : QStringLiteral("<w:rPr>") + props + QStringLiteral("</w:rPr>");
}

QString corePart(const QString& title, const QDateTime& created) {
    QString core =
        XmlHead +
        QStringLiteral(
            R"(<cp:coreProperties)"
            R"( xmlns:cp="http://schemas.openxmlformats.org/package/2006/metadata/core-properties")"
            R"( xmlns:dc="http://purl.org/dc/elements/1.1/")"
            R"( xmlns:dcterms="http://purl.org/dc/terms/")"
            R"( xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance">)") +
        QStringLiteral("<dc:title>") + escaped(title) + QStringLiteral("</dc:title>");
    if (created.isValid())
        core += QStringLiteral(R"(<dcterms:created xsi:type="dcterms:W3CDTF">)") +
                created.toUTC().toString(Qt::ISODate) + QStringLiteral("</dcterms:created>");
    return core + QStringLiteral("</cp:coreProperties>");
}

struct Part {
    QString name;
    QByteArray data;
    bool compress = true;
};

[[noreturn]] void packingFailed(const char* why) {
    throw store::Error(store::code::Error,
                       QStringLiteral("Could not pack the document: ") + QString::fromUtf8(why));
}

// The parts zipped in memory; the caller decides where the bytes go.
QByteArray zipped(const std::vector<Part>& parts) {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* buffer = zip_source_buffer_create(nullptr, 0, 0, &error);
    if (!buffer) {
        const std::string why = zip_error_strerror(&error);
        zip_error_fini(&error);
        packingFailed(why.c_str());
    }
    // Kept past zip_close, which would otherwise free it with the archive.
    zip_source_keep(buffer);
    const std::unique_ptr<zip_source_t, void (*)(zip_source_t*)> held(buffer, zip_source_free);
    zip_t* archive = zip_open_from_source(buffer, ZIP_TRUNCATE, &error);
    if (!archive) {
        const std::string why = zip_error_strerror(&error);
        zip_error_fini(&error);
        packingFailed(why.c_str());
    }
    zip_error_fini(&error);
    const auto abandon = [archive] {
        const std::string why = zip_strerror(archive);
        zip_discard(archive);
        packingFailed(why.c_str());
    };
    for (const Part& part : parts) {
        zip_source_t* source =
            zip_source_buffer(archive, part.data.constData(), zip_uint64_t(part.data.size()), 0);
        const zip_int64_t index =
            source ? zip_file_add(archive, part.name.toUtf8().constData(), source, ZIP_FL_ENC_UTF_8)
                   : -1;
        if (index < 0) {
            if (source) zip_source_free(source);
            abandon();
        }
        // Pictures are compressed already.
        if (!part.compress &&
            zip_set_file_compression(archive, zip_uint64_t(index), ZIP_CM_STORE, 0) < 0)
            abandon();
    }
    if (zip_close(archive) < 0) abandon();

    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_source_stat(buffer, &stat) < 0 || !(stat.valid & ZIP_STAT_SIZE) ||
        zip_source_open(buffer) < 0)
        packingFailed("the packed document cannot be read back");
    QByteArray bytes(qsizetype(stat.size), Qt::Uninitialized);
    const zip_int64_t read = zip_source_read(buffer, bytes.data(), stat.size);
    zip_source_close(buffer);
    if (read != zip_int64_t(stat.size)) packingFailed("the packed document cannot be read back");
    return bytes;
}

// The document's own parts: the pictures are numbered and related as they
// are placed.
class Parts {
public:
    Parts() {
        const Page page = localPage();
        textWidth_ = qint64(page.width - 2 * Margin) * EmuPerTwip;
        textHeight_ = qint64(page.height - 2 * Margin) * EmuPerTwip;
        section_ =
            QStringLiteral(
                R"(<w:sectPr><w:headerReference w:type="default" r:id="rId3"/>)"
                R"(<w:pgSz w:w="%1" w:h="%2"/><w:pgMar w:top="%3" w:right="%3" w:bottom="%3")"
                R"( w:left="%3" w:header="720" w:footer="720" w:gutter="0"/></w:sectPr>)")
                .arg(QString::number(page.width), QString::number(page.height),
                     QString::number(Margin));
    }

    // The logo: its own size, but never wider than the text or taller than an
    // inch, so the header leaves the page to the report.
    QString header(const QString& logo) {
        QString run;
        if (const auto picture = loadPicture(logo)) {
            run = QStringLiteral("<w:r>") +
                  place(*picture, logo, QStringLiteral("rId1"), headerRels_,
                        fitted(picture->pixels, textWidth_, EmuPerInch, false)) +
                  QStringLiteral("</w:r>");
        }
        return XmlHead + QStringLiteral("<w:hdr") + PartNs +
               QStringLiteral(R"(><w:p><w:pPr><w:pStyle w:val="Header"/><w:jc w:val="center"/>)"
                              R"(</w:pPr>)") +
               run + QStringLiteral("</w:p></w:hdr>");
    }

    QString paragraph(const WordParagraph& p) {
        const QString props = runProperties(p);
        QString xml = QStringLiteral("<w:p>");
        if (!props.isEmpty()) xml += QStringLiteral("<w:pPr>") + props + QStringLiteral("</w:pPr>");
        if (p.pageBreakBefore)
            xml +=
                QStringLiteral("<w:r>") + props + QStringLiteral(R"(<w:br w:type="page"/></w:r>)");
        if (!p.picture.isEmpty()) {
            const auto picture = loadPicture(p.picture);
            if (!picture)
                throw store::Error(store::code::CantOpen,
                                   QStringLiteral("Could not read the picture ") + p.picture);
            // Room is left on the page for a heading and the notes.
            xml += QStringLiteral("<w:r>") + props +
                   place(*picture, p.picture, QStringLiteral("rId%1").arg(++bodyRelId_), bodyRels_,
                         fitted(picture->pixels, textWidth_, textHeight_ * 3 / 4, true)) +
                   QStringLiteral("</w:r>");
        }
        return xml + textRuns(p.text, props) + QStringLiteral("</w:p>");
    }

    QString document(const QString& body) const {
        return XmlHead + QStringLiteral("<w:document") + PartNs + QStringLiteral("><w:body>") +
               body + section_ + QStringLiteral("</w:body></w:document>");
    }

    QString documentRels() const {
        return relationships(relationship(QStringLiteral("rId1"), QStringLiteral("styles"),
                                          QStringLiteral("styles.xml")) +
                             relationship(QStringLiteral("rId2"), QStringLiteral("settings"),
                                          QStringLiteral("settings.xml")) +
                             relationship(QStringLiteral("rId3"), QStringLiteral("header"),
                                          QStringLiteral("header1.xml")) +
                             bodyRels_);
    }
    const QString& headerRels() const { return headerRels_; }
    const std::vector<Part>& media() const { return media_; }

private:
    QString place(const Picture& picture, const QString& file, const QString& relId, QString& rels,
                  Extent extent) {
        const QString name =
            QStringLiteral("media/image%1.").arg(media_.size() + 1) + picture.extension;
        media_.push_back({QStringLiteral("word/") + name, picture.bytes, false});
        rels += relationship(relId, QStringLiteral("image"), name);
        return drawing(int(media_.size()), QFileInfo(file).fileName(), relId, extent);
    }

    qint64 textWidth_ = 0;
    qint64 textHeight_ = 0;
    QString section_;
    QString headerRels_;
    QString bodyRels_;
    int bodyRelId_ = 3;
    std::vector<Part> media_;
};

} // namespace

QByteArray docxPackage(const WordDocument& document) {
    Parts made;
    const QString header = made.header(document.headerPicture);
    QString body;
    for (const WordParagraph& p : document.paragraphs)
        body += made.paragraph(p);
    std::vector<Part> parts{
        {QStringLiteral("[Content_Types].xml"), (XmlHead + ContentTypes).toUtf8()},
        {QStringLiteral("_rels/.rels"), (XmlHead + PackageRels).toUtf8()},
        {QStringLiteral("docProps/core.xml"), corePart(document.title, document.created).toUtf8()},
        {QStringLiteral("word/document.xml"), made.document(body).toUtf8()},
        {QStringLiteral("word/_rels/document.xml.rels"), made.documentRels().toUtf8()},
        {QStringLiteral("word/styles.xml"), (XmlHead + Styles).toUtf8()},
        {QStringLiteral("word/settings.xml"), (XmlHead + Settings).toUtf8()},
        {QStringLiteral("word/header1.xml"), header.toUtf8()},
    };
    if (!made.headerRels().isEmpty())
        parts.push_back({QStringLiteral("word/_rels/header1.xml.rels"),
                         relationships(made.headerRels()).toUtf8()});
    parts.insert(parts.end(), made.media().begin(), made.media().end());
    return zipped(parts);
}

void saveDocx(const WordDocument& document, const QString& target) {
    const QByteArray package = docxPackage(document);
    writeAside(target, [&](const QString& temporary) {
        QFile file(temporary);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            file.write(package) != package.size() || !file.flush())
            throw store::Error(store::code::CantOpen,
                               file.errorString() + QStringLiteral(": ") + temporary);
    });
}

void writeAside(const QString& target, const std::function<void(const QString&)>& write) {
    QTemporaryFile temporary(target + QStringLiteral(".XXXXXX"));
    if (!temporary.open())
        throw store::Error(store::code::CantOpen,
                           temporary.errorString() + QStringLiteral(": ") + target);
    // Asked while open: that gives the file its name where it could stay unnamed.
    const QString path = temporary.fileName();
    temporary.close();
    // Removed by the destructor unless it was renamed into place.
    write(path);
    // A temporary file is private to its owner; the finished one is not.
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                    QFileDevice::ReadGroup | QFileDevice::ReadOther);
    app::replaceFile(path, target);
}

} // namespace outputs
