// The small criteria grammar of Find and Filter: "Col = 'text'", "Col = 12",
// ">=", "<=", "<>", "<", ">", joined by AND. Values are bound, never pasted.
#pragma once

#include <QString>
#include <QVariantList>

namespace store {

struct Criteria {
    QString sql;         // a WHERE expression with ?N placeholders
    QVariantList params; // bound in order, starting at firstParam
};

enum class TextMatch {
    Exact,      // binary comparison; an index on the column serves it
    IgnoreCase, // letter case ignored, as a user filtering a register expects
};

// Parses text into SQL. A quote inside a quoted value is written twice ('O''Neil').
// Unquoted values that read as numbers are numbers, True/False are 1/0, anything
// else is text. Malformed text (an unbalanced quote, a missing operator, words
// after a value) raises store::Error; so does an empty text.
Criteria parseCriteria(const QString& text, TextMatch match, int firstParam = 1);

// A text value as the grammar reads it back: in quotes, a quote inside doubled.
QString quotedValue(const QString& value);
// "column = 'value'", the criteria a look-up by a text key uses.
inline QString textEquals(const QString& column, const QString& value) {
    return column + QStringLiteral(" = ") + quotedValue(value);
}

} // namespace store
