// The sensor filter's text, built from the criteria typed on the Utilities tab.
#pragma once

#include "app/Environment.h"

#include <QDate>
#include <QString>

namespace sensors {

struct FilterChoice {
    QString type; // a list item, a two-digit type code or empty
    QString level;
    QString location;
    QString startDate; // as typed
    QString endDate;
    bool hideDestroyed = false;
};

// Either the filter text or the prompt that refuses the choice (and, for a bad
// date, the box the focus goes back to).
struct FilterOutcome {
    enum class Focus { None, StartDate, EndDate };
    QString filter;
    app::Prompt refusal;
    Focus focus = Focus::None;
    bool refused() const { return !refusal.text.isEmpty(); }
};

// The type code a type text stands for: the code a list item begins with, or
// one of the eight codes typed alone; empty for empty text. False in ok when
// the text is neither.
QString filterTypeCode(const QString& typeText, bool* ok);

// The criteria joined by " AND ": destroyed, type, level, location, dates. Text
// values are quoted with any quote doubled, so that "O'Brien Drift" is matched
// as written. Dates are written year first, whatever form they were typed in;
// a missing end date is today, a missing start date 1999/01/01.
FilterOutcome buildFilter(const FilterChoice& choice, const QDate& today);

// The message for a date box left with text that is not a date; empty when the
// box may be left.
QString dateBoxRefusal(const QString& text, bool startBox);

} // namespace sensors
