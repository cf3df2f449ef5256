// Reads a written .docx back as a word processor would: its parts, the
// paragraphs of a part and the targets of its relationships.
#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>

#include <string>
#include <vector>

namespace reporttest {

// Every part of the package by name; empty when the file is not a zip archive.
QMap<QString, QByteArray> unzip(const QString& path);

struct Paragraph {
    QString text; // "\n" for a line break, "\t" for a tab
    int size = 0; // half-points, of the paragraph mark and of every run
    bool bold = false;
    bool pageBreak = false; // a page break in it, or before it
    QString style;          // the paragraph style, empty for Normal
    QStringList pictures;   // relationship ids
};
// A part that is not well-formed XML ends with a paragraph naming the fault.
// A table is one entry, "[table]"; a field shows its instruction, "{PAGE}".
std::vector<Paragraph> paragraphs(const QByteArray& partXml);
// The tables of a part: rows of cell texts.
std::vector<std::vector<QStringList>> tables(const QByteArray& partXml);
// One line per paragraph: "text|size", then "|bold", "|<style>", "|page", "|picture" as they apply.
std::string describe(const std::vector<Paragraph>& list);

// The target of relationship id in a .rels part; "" when it has none.
QString relTarget(const QByteArray& relsXml, const QString& id);

std::string joined(const QStringList& list);

// The package as a program nobody here wrote reads it: a python3 with
// python-docx (Debian's python3-docx), or "" when none is installed.
QString pythonWithDocx();

} // namespace reporttest
