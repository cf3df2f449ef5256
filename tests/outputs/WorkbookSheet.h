// A written workbook read back: the parts of its package and the cells of a
// sheet, as a reader of the file format sees them.
#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>

namespace testing_support {

// One part of a zip package ("xl/worksheets/sheet1.xml"); empty when absent.
QByteArray zipPart(const QString& package, const QString& part);
QStringList zipParts(const QString& package);

struct SheetCell {
    QString type; // "n" (number), "inlineStr", "s" (shared), "b" (boolean)...
    QString value;
    int style = 0;
};

struct ReadSheet {
    QString name;                   // from xl/workbook.xml
    QStringList names;              // of every sheet, in order
    QMap<QString, SheetCell> cells; // by reference: "A1"
    QString frozenCell;             // the pane's top left cell when frozen
    QMap<int, double> widths;       // by 1-based column
    QStringList styleFormats;       // per cell style: its number format code, "" for none
    QList<bool> styleBold;          // per cell style: whether its font is bold

    bool isBold(const QString& ref) const { return styleBold.value(cells.value(ref).style); }
    QString formatOf(const QString& ref) const {
        return styleFormats.value(cells.value(ref).style);
    }
    // The cell's value as a reader shows it: text, a number, TRUE or FALSE.
    QString shown(const QString& ref) const;
};

// The sheet-th sheet, from 1.
ReadSheet readSheet(const QString& package, int sheet = 1);

} // namespace testing_support
