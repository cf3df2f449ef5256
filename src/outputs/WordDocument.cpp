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

Page localPage() {
    const QSize size = localPageTwips();
    return {size.width(), size.height()};
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

// Listed only when the package holds a footer.
const QString FooterType = QStringLiteral(
    R"(<Override PartName="/word/footer1.xml" ContentType="application/vnd.openxmlformats-officedocument.wordprocessingml.footer+xml"/>)");

// Calibri 11 with single lines, as a new document starts, and the built-in
// headings by their own names, so that a table of contents finds them.
const QString Styles = QStringLiteral(
    R"(<w:styles xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main">)"
    R"(<w:docDefaults><w:rPrDefault><w:rPr>)"
    R"(<w:rFonts w:ascii="Calibri" w:hAnsi="Calibri" w:eastAsia="Calibri" w:cs="Calibri"/>)"
    R"(<w:sz w:val="22"/><w:szCs w:val="22"/></w:rPr></w:rPrDefault>)"
    R"(<w:pPrDefault><w:pPr><w:spacing w:after="0" w:line="264" w:lineRule="auto"/></w:pPr>)"
    R"(</w:pPrDefault></w:docDefaults>)"
    R"(<w:style w:type="paragraph" w:default="1" w:styleId="Normal"><w:name w:val="Normal"/>)"
    R"(<w:qFormat/></w:style>)"
    R"(<w:style w:type="paragraph" w:styleId="Heading1"><w:name w:val="heading 1"/>)"
    R"(<w:basedOn w:val="Normal"/><w:next w:val="Normal"/><w:uiPriority w:val="9"/><w:qFormat/>)"
    R"(<w:pPr><w:keepNext/><w:keepLines/><w:outlineLvl w:val="0"/></w:pPr>)"
    R"(<w:rPr><w:b/><w:bCs/><w:sz w:val="32"/><w:szCs w:val="32"/></w:rPr></w:style>)"
    R"(<w:style w:type="paragraph" w:styleId="Heading2"><w:name w:val="heading 2"/>)"
    R"(<w:basedOn w:val="Normal"/><w:next w:val="Normal"/><w:uiPriority w:val="9"/><w:qFormat/>)"
    R"(<w:pPr><w:keepNext/><w:keepLines/>)"
    R"(<w:spacing w:before="0" w:after="120" w:line="360" w:lineRule="exact"/>)"
    R"(<w:outlineLvl w:val="1"/></w:pPr>)"
    R"(<w:rPr><w:b/><w:bCs/><w:sz w:val="24"/><w:szCs w:val="24"/></w:rPr></w:style>)"
    R"(<w:style w:type="paragraph" w:styleId="Header"><w:name w:val="header"/>)"
    R"(<w:basedOn w:val="Normal"/></w:style>)"
    R"(<w:style w:type="paragraph" w:styleId="Footer"><w:name w:val="footer"/>)"
    R"(<w:basedOn w:val="Normal"/></w:style>)"
    R"(<w:style w:type="table" w:default="1" w:styleId="TableNormal"><w:name w:val="Normal Table"/>)"
    R"(<w:tblPr><w:tblInd w:w="0" w:type="dxa"/><w:tblCellMar><w:top w:w="0" w:type="dxa"/>)"
    R"(<w:left w:w="108" w:type="dxa"/><w:bottom w:w="0" w:type="dxa"/>)"
    R"(<w:right w:w="108" w:type="dxa"/></w:tblCellMar></w:tblPr></w:style></w:styles>)");

// The heights the page layout counts with, in twips.
constexpr int HeaderDistance = 720;
constexpr int RuledLine = 400;      // a line of the notes area
constexpr int Heading2Height = 480; // its exact line and the space after it

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

// A field the word processor fills in (PAGE, NUMPAGES), with a value shown
// until it does.
QString field(const QString& instruction, const QString& runProps) {
    const auto run = [&](const QString& content) {
        return QStringLiteral("<w:r>") + runProps + content + QStringLiteral("</w:r>");
    };
    return run(QStringLiteral(R"(<w:fldChar w:fldCharType="begin"/>)")) +
           run(QStringLiteral(R"(<w:instrText xml:space="preserve"> %1 </w:instrText>)")
                   .arg(instruction)) +
           run(QStringLiteral(R"(<w:fldChar w:fldCharType="separate"/>)")) +
           run(QStringLiteral("<w:t>1</w:t>")) +
           run(QStringLiteral(R"(<w:fldChar w:fldCharType="end"/>)"));
}

QString cell(int width, const QString& content) {
    return QStringLiteral(R"(<w:tc><w:tcPr><w:tcW w:w="%1" w:type="dxa"/></w:tcPr>)").arg(width) +
           content + QStringLiteral("</w:tc>");
}

QString tableStart(int width, const QString& borders, const std::vector<int>& columns) {
    QString xml = QStringLiteral(R"(<w:tbl><w:tblPr><w:tblW w:w="%1" w:type="dxa"/>)"
                                 R"(<w:tblBorders>%2</w:tblBorders><w:tblLayout w:type="fixed"/>)"
                                 R"(<w:tblLook w:val="0000" w:firstRow="0" w:lastRow="0")"
                                 R"( w:firstColumn="0" w:lastColumn="0" w:noHBand="0")"
                                 R"( w:noVBand="0"/></w:tblPr><w:tblGrid>)")
                      .arg(width)
                      .arg(borders);
    for (const int w : columns)
        xml += QStringLiteral(R"(<w:gridCol w:w="%1"/>)").arg(w);
    return xml + QStringLiteral("</w:tblGrid>");
}

QString border(const char* side, const char* colour) {
    return QStringLiteral(R"(<w:%1 w:val="single" w:sz="4" w:space="0" w:color="%2"/>)")
        .arg(QLatin1String(side), QLatin1String(colour));
}

// The document's own parts: the pictures are numbered and related as they
// are placed, and the height used on the current page is counted, so that a
// notes area can fill the rest of it.
class Parts {
public:
    Parts() : page_(localPage()) {
        textWidth_ = qint64(page_.width - 2 * Margin) * EmuPerTwip;
        setTop(Margin);
    }

    // The logo: its own size, but never wider than the text or taller than an
    // inch, so the header leaves the page to the report. The text starts
    // below it, so that no word processor has to push it down on its own.
    QString header(const QString& logo) {
        QString run;
        if (const auto picture = loadPicture(logo)) {
            const Extent e = fitted(picture->pixels, textWidth_, EmuPerInch, false);
            run = QStringLiteral("<w:r>") +
                  place(*picture, logo, QStringLiteral("rId1"), headerRels_, e) +
                  QStringLiteral("</w:r>");
            setTop(std::max<int>(Margin, HeaderDistance + int(e.cy / EmuPerTwip) + 240));
        }
        return XmlHead + QStringLiteral("<w:hdr") + PartNs +
               QStringLiteral(R"(><w:p><w:pPr><w:pStyle w:val="Header"/><w:jc w:val="center"/>)"
                              R"(</w:pPr>)") +
               run + QStringLiteral("</w:p></w:hdr>");
    }

    // "%1" the page, "%2" the number of pages.
    QString footer(const QString& pattern) {
        QString runs;
        const QString props =
            QStringLiteral(R"(<w:rPr><w:sz w:val="20"/><w:szCs w:val="20"/></w:rPr>)");
        QString pending;
        const auto flush = [&] {
            runs += textRuns(pending, props);
            pending.clear();
        };
        for (qsizetype i = 0; i < pattern.size(); ++i) {
            if (pattern[i] == QLatin1Char('%') && i + 1 < pattern.size() &&
                (pattern[i + 1] == QLatin1Char('1') || pattern[i + 1] == QLatin1Char('2'))) {
                flush();
                runs += field(pattern[i + 1] == QLatin1Char('1') ? QStringLiteral("PAGE")
                                                                 : QStringLiteral("NUMPAGES"),
                              props);
                ++i;
            } else {
                pending += pattern[i];
            }
        }
        flush();
        hasFooter_ = true;
        return XmlHead + QStringLiteral("<w:ftr") + PartNs +
               QStringLiteral(R"(><w:p><w:pPr><w:pStyle w:val="Footer"/><w:jc w:val="center"/>)") +
               props + QStringLiteral("</w:pPr>") + runs + QStringLiteral("</w:p></w:ftr>");
    }

    QString paragraph(const WordParagraph& p) {
        if (p.pageBreakBefore) used_ = 0;
        if (p.table) return table(*p.table);
        const QString props = runProperties(p);
        QString mark;
        if (!p.style.isEmpty())
            mark += QStringLiteral(R"(<w:pStyle w:val="%1"/>)").arg(escaped(p.style));
        if (p.pageBreakBefore) mark += QStringLiteral("<w:pageBreakBefore/>");
        std::optional<Extent> extent;
        std::optional<Picture> picture;
        if (!p.picture.isEmpty()) {
            picture = loadPicture(p.picture);
            if (!picture)
                throw store::Error(store::code::CantOpen,
                                   QStringLiteral("Could not read the picture ") + p.picture);
            // As wide as the text; room is left on the page for a heading and notes.
            extent = fitted(picture->pixels, textWidth_, textHeight_ * 3 / 4, true);
            // Single lines: the line is as tall as the picture, nothing more.
            mark += QStringLiteral(R"(<w:spacing w:after="120" w:line="240" w:lineRule="auto"/>)");
        }
        mark += props;
        QString xml = QStringLiteral("<w:p>");
        if (!mark.isEmpty()) xml += QStringLiteral("<w:pPr>") + mark + QStringLiteral("</w:pPr>");
        if (picture)
            xml += QStringLiteral("<w:r>") + props +
                   place(*picture, p.picture, QStringLiteral("rId%1").arg(++bodyRelId_), bodyRels_,
                         *extent) +
                   QStringLiteral("</w:r>");
        xml += textRuns(p.text, props) + QStringLiteral("</w:p>");
        used_ += height(p, extent);
        if (p.ruledToPageEnd) xml += ruledLines();
        return xml;
    }

    QString document(const QString& body) const {
        QString references = QStringLiteral(R"(<w:headerReference w:type="default" r:id="rId3"/>)");
        if (hasFooter_)
            references += QStringLiteral(R"(<w:footerReference w:type="default" r:id="rId4"/>)");
        const QString section =
            QStringLiteral(
                R"(<w:sectPr>%1<w:pgSz w:w="%2" w:h="%3"/><w:pgMar w:top="%4" w:right="%5")"
                R"( w:bottom="%5" w:left="%5" w:header="%6" w:footer="%6" w:gutter="0"/></w:sectPr>)")
                .arg(references, QString::number(page_.width), QString::number(page_.height),
                     QString::number(top_), QString::number(Margin),
                     QString::number(HeaderDistance));
        return XmlHead + QStringLiteral("<w:document") + PartNs + QStringLiteral("><w:body>") +
               body + section + QStringLiteral("</w:body></w:document>");
    }

    QString documentRels() const {
        QString list = relationship(QStringLiteral("rId1"), QStringLiteral("styles"),
                                    QStringLiteral("styles.xml")) +
                       relationship(QStringLiteral("rId2"), QStringLiteral("settings"),
                                    QStringLiteral("settings.xml")) +
                       relationship(QStringLiteral("rId3"), QStringLiteral("header"),
                                    QStringLiteral("header1.xml"));
        if (hasFooter_)
            list += relationship(QStringLiteral("rId4"), QStringLiteral("footer"),
                                 QStringLiteral("footer1.xml"));
        return relationships(list + bodyRels_);
    }
    const QString& headerRels() const { return headerRels_; }
    const std::vector<Part>& media() const { return media_; }

private:
    void setTop(int top) {
        top_ = top;
        textHeight_ = qint64(page_.height - top_ - Margin) * EmuPerTwip;
    }

    // What a paragraph takes of the page, in twips: a little more than a word
    // processor gives it, so that a notes area never spills onto a page of its own.
    static int height(const WordParagraph& p, const std::optional<Extent>& picture) {
        if (p.style == Heading2Style) return Heading2Height;
        const int points = p.points > 0 ? p.points : 11;
        const int lines = 1 + int(p.text.count(QLatin1Char('\n')));
        const int text = lines * points * 20 * 135 / 100;
        return picture ? int(picture->cy / EmuPerTwip) + 120 + (p.text.isEmpty() ? 0 : text) : text;
    }

    QString table(const WordTable& t) {
        const int width = int(textWidth_ / EmuPerTwip);
        const size_t n = std::max(t.header.size(), t.rows.empty() ? size_t(0) : t.rows[0].size());
        if (n == 0) return {};
        // Without weights the first column (a number) is half as wide as the others.
        std::vector<int> weights = t.weights;
        if (weights.size() != n) {
            weights.assign(n, 2);
            weights[0] = 1;
        }
        int all = 0;
        for (const int w : weights)
            all += std::max(w, 1);
        std::vector<int> columns(n, 0);
        for (size_t c = 0; c < n; ++c)
            columns[c] = width * std::max(weights[c], 1) / all;
        const QString borders = QString(border("top", "auto")) + border("left", "auto") +
                                border("bottom", "auto") + border("right", "auto") +
                                border("insideH", "auto") + border("insideV", "auto");
        QString xml = tableStart(width, borders, columns);
        const auto row = [&](const std::vector<QString>& cells, bool header) {
            xml += QStringLiteral("<w:tr>");
            if (header) xml += QStringLiteral("<w:trPr><w:tblHeader/></w:trPr>");
            const QString props =
                header ? QStringLiteral("<w:rPr><w:b/><w:bCs/></w:rPr>") : QString();
            for (size_t c = 0; c < n; ++c)
                xml +=
                    cell(columns[c], QStringLiteral(R"(<w:p><w:pPr><w:jc w:val="center"/>)") +
                                         props + QStringLiteral("</w:pPr>") +
                                         textRuns(c < cells.size() ? cells[c] : QString(), props) +
                                         QStringLiteral("</w:p>"));
            xml += QStringLiteral("</w:tr>");
            used_ += 11 * 20 * 135 / 100;
        };
        if (!t.header.empty()) row(t.header, true);
        for (const auto& r : t.rows)
            row(r, false);
        return xml + QStringLiteral("</w:tbl>");
    }

    // Rows of a fixed height with a thin line under each, as many as the page
    // has room for.
    QString ruledLines() {
        const int rows = (int(textHeight_ / EmuPerTwip) - used_) / RuledLine - 1;
        if (rows <= 0) return {};
        const int width = int(textWidth_ / EmuPerTwip);
        const QString borders = QString(border("bottom", "A6A6A6")) + border("insideH", "A6A6A6");
        QString xml = tableStart(width, borders, {width});
        for (int i = 0; i < rows; ++i)
            xml += QStringLiteral(R"(<w:tr><w:trPr><w:trHeight w:val="%1" w:hRule="exact"/>)"
                                  R"(</w:trPr>)")
                       .arg(RuledLine) +
                   cell(width, QStringLiteral("<w:p/>")) + QStringLiteral("</w:tr>");
        used_ += rows * RuledLine;
        return xml + QStringLiteral("</w:tbl>");
    }

    QString place(const Picture& picture, const QString& file, const QString& relId, QString& rels,
                  Extent extent) {
        const QString name =
            QStringLiteral("media/image%1.").arg(media_.size() + 1) + picture.extension;
        media_.push_back({QStringLiteral("word/") + name, picture.bytes, false});
        rels += relationship(relId, QStringLiteral("image"), name);
        return drawing(int(media_.size()), QFileInfo(file).fileName(), relId, extent);
    }

    Page page_;
    qint64 textWidth_ = 0;
    qint64 textHeight_ = 0;
    int top_ = Margin;
    int used_ = 0; // twips of the current page
    bool hasFooter_ = false;
    QString headerRels_;
    QString bodyRels_;
    int bodyRelId_ = 4;
    std::vector<Part> media_;
};

} // namespace

QSize localPageTwips() {
    if (QLocale::system().measurementSystem() == QLocale::ImperialUSSystem)
        return {12240, 15840}; // Letter
    return {11906, 16838};     // A4
}

QByteArray docxPackage(const WordDocument& document) {
    Parts made;
    const QString header = made.header(document.headerPicture);
    const QString footer = document.footer.isEmpty() ? QString() : made.footer(document.footer);
    QString body;
    for (const WordParagraph& p : document.paragraphs)
        body += made.paragraph(p);
    // A body cannot end with a table: the paragraph a word processor adds
    // after it is kept too small to need a page of its own.
    if (body.endsWith(QLatin1String("</w:tbl>")))
        body +=
            QStringLiteral(R"(<w:p><w:pPr><w:spacing w:after="0" w:line="20" w:lineRule="exact"/>)"
                           R"(<w:rPr><w:sz w:val="2"/><w:szCs w:val="2"/></w:rPr></w:pPr></w:p>)");
    std::vector<Part> parts{
        {QStringLiteral("[Content_Types].xml"),
         (XmlHead + (footer.isEmpty() ? ContentTypes
                                      : QString(ContentTypes)
                                            .replace(QStringLiteral("</Types>"),
                                                     FooterType + QStringLiteral("</Types>"))))
             .toUtf8()},
        {QStringLiteral("_rels/.rels"), (XmlHead + PackageRels).toUtf8()},
        {QStringLiteral("docProps/core.xml"), corePart(document.title, document.created).toUtf8()},
        {QStringLiteral("word/document.xml"), made.document(body).toUtf8()},
        {QStringLiteral("word/_rels/document.xml.rels"), made.documentRels().toUtf8()},
        {QStringLiteral("word/styles.xml"), (XmlHead + Styles).toUtf8()},
        {QStringLiteral("word/settings.xml"), (XmlHead + Settings).toUtf8()},
        {QStringLiteral("word/header1.xml"), header.toUtf8()},
    };
    if (!footer.isEmpty()) parts.push_back({QStringLiteral("word/footer1.xml"), footer.toUtf8()});
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
