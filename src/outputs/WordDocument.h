// A small word-processor document written as Office Open XML (.docx): paragraphs
// of plain text and whole pictures, and one picture centred in the page header.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <functional>
#include <vector>

namespace outputs {

struct WordParagraph {
    QString text;                 // line breaks in it break the line, not the paragraph
    int points = 0;               // font size; 0: the document's own
    bool bold = false;            // the paragraph mark too, so an empty paragraph keeps it
    bool pageBreakBefore = false; // a page break at the start of the paragraph
    QString picture;              // a picture file before the text, as wide as the page allows
};

struct WordDocument {
    QString title;
    QDateTime created;
    // Centred in the header of every page; a file that cannot be read as a
    // picture leaves the header empty.
    QString headerPicture;
    std::vector<WordParagraph> paragraphs;
};

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
