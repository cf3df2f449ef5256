// A small word-processor document written as Office Open XML (.docx): paragraphs
// of plain text and whole pictures, simple tables, one picture centred in the
// page header and the page numbers in the footer.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QSize>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

namespace outputs {

// A table of plain text as wide as the text, in a grid of thin lines.
struct WordTable {
    std::vector<QString> header; // bold, repeated at the top of every page the table spans
    std::vector<std::vector<QString>> rows;
    std::vector<int> weights; // the columns' shares of the width; empty: the first one narrower
};

// The styles.xml ids of the headings a table of contents lists.
inline const QString Heading1Style = QStringLiteral("Heading1");
inline const QString Heading2Style = QStringLiteral("Heading2");

struct WordParagraph {
    QString text;                 // line breaks in it break the line, not the paragraph
    int points = 0;               // font size; 0: the document's own
    bool bold = false;            // the paragraph mark too, so an empty paragraph keeps it
    bool pageBreakBefore = false; // a page break at the start of the paragraph
    QString picture;              // a picture file before the text, as wide as the page allows
    QString style;                // a paragraph style (Heading1Style...); empty: Normal
    // Ruled lines for writing on, from here to the foot of the page.
    bool ruledToPageEnd = false;
    std::optional<WordTable> table; // a table in place of the paragraph
};

struct WordDocument {
    QString title;
    QDateTime created;
    // Centred in the header of every page; a file that cannot be read as a
    // picture leaves the header empty.
    QString headerPicture;
    // Centred in the footer of every page, %1 the page's number and %2 the
    // number of pages (fields the word processor keeps up to date); empty: no footer.
    QString footer;
    std::vector<WordParagraph> paragraphs;
};

// The paper a word processor would start a new document on here (A4, or
// Letter where inches are the custom), in twips.
QSize localPageTwips();

// The package. Throws store::Error when a paragraph's picture cannot be read.
QByteArray docxPackage(const WordDocument& document);

// Writes the package to target through writeAside.
void saveDocx(const WordDocument& document, const QString& target);

// A file that a word processor or viewer may hold open is never half
// overwritten: write fills a temporary file beside target, which then replaces
// it in one rename. On any failure the temporary file is removed, target stays
// as it was and the failure is rethrown (store::Error for our own).
void writeAside(const QString& target, const std::function<void(const QString& temporary)>& write);

} // namespace outputs
