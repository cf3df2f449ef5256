#include "store/Criteria.h"

#include "store/Database.h"
#include "store/Error.h"

#include <QLocale>

namespace store {

namespace {

[[noreturn]] void invalid(const QString& text, const QString& why) {
    throw Error(code::Error, QStringLiteral("invalid criteria (%1): %2").arg(why, text));
}

class Parser {
public:
    Parser(const QString& text, TextMatch match, int firstParam)
        : s_(text), match_(match), next_(firstParam) {}

    Criteria parse() {
        Criteria out;
        skipBlanks();
        if (atEnd()) invalid(s_, QStringLiteral("empty"));
        for (;;) {
            out.sql += term(out.params);
            skipBlanks();
            if (atEnd()) break;
            if (!keyword(QStringLiteral("AND"))) invalid(s_, QStringLiteral("expected AND"));
            out.sql += QStringLiteral(" AND ");
        }
        return out;
    }

private:
    bool atEnd() const { return i_ >= s_.size(); }
    void skipBlanks() {
        while (!atEnd() && s_[i_].isSpace())
            ++i_;
    }

    bool keyword(const QString& word) {
        if (s_.mid(i_, word.size()).compare(word, Qt::CaseInsensitive) != 0) return false;
        const qsizetype after = i_ + word.size();
        if (after < s_.size() && !s_[after].isSpace()) return false;
        i_ = after;
        return true;
    }

    QString column() {
        skipBlanks();
        if (atEnd()) invalid(s_, QStringLiteral("expected a column"));
        const QChar open = s_[i_];
        if (open == QLatin1Char('[') || open == QLatin1Char('`')) {
            const QChar close = open == QLatin1Char('[') ? QLatin1Char(']') : QLatin1Char('`');
            const qsizetype end = s_.indexOf(close, i_ + 1);
            if (end < 0) invalid(s_, QStringLiteral("unclosed column name"));
            const QString name = s_.mid(i_ + 1, end - i_ - 1);
            i_ = end + 1;
            return name;
        }
        const qsizetype start = i_;
        while (!atEnd() && (s_[i_].isLetterOrNumber() || s_[i_] == QLatin1Char('_') ||
                            s_[i_] == QLatin1Char('.')))
            ++i_;
        if (i_ == start) invalid(s_, QStringLiteral("expected a column"));
        QString name = s_.mid(start, i_ - start);
        // "Sensors.Level" names the same column as "Level".
        return name.mid(name.lastIndexOf(QLatin1Char('.')) + 1);
    }

    QString op() {
        skipBlanks();
        static const char* const ops[] = {">=", "<=", "<>", "=", "<", ">"};
        for (const char* o : ops) {
            const QString candidate = QString::fromLatin1(o);
            if (s_.mid(i_, candidate.size()) == candidate) {
                i_ += candidate.size();
                return candidate;
            }
        }
        invalid(s_, QStringLiteral("expected a comparison"));
    }

    QVariant value(bool& isText) {
        skipBlanks();
        if (atEnd()) invalid(s_, QStringLiteral("expected a value"));
        if (s_[i_] == QLatin1Char('\'')) {
            QString v;
            ++i_;
            for (;;) {
                if (atEnd()) invalid(s_, QStringLiteral("unbalanced quote"));
                if (s_[i_] == QLatin1Char('\'')) {
                    if (i_ + 1 < s_.size() && s_[i_ + 1] == QLatin1Char('\'')) {
                        v += QLatin1Char('\'');
                        i_ += 2;
                        continue;
                    }
                    ++i_;
                    break;
                }
                v += s_[i_++];
            }
            isText = true;
            return v;
        }
        const qsizetype start = i_;
        while (!atEnd() && !s_[i_].isSpace())
            ++i_;
        QString bare = s_.mid(start, i_ - start);
        if (bare.contains(QLatin1Char('\''))) invalid(s_, QStringLiteral("unbalanced quote"));
        if (bare.size() > 2 && bare.startsWith(QLatin1Char('#')) && bare.endsWith(QLatin1Char('#')))
            bare = bare.mid(1, bare.size() - 2);
        bool ok = false;
        const double number = QLocale::c().toDouble(bare, &ok);
        isText = false;
        if (ok) return number;
        if (bare.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0) return qint64(1);
        if (bare.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0) return qint64(0);
        isText = true;
        return bare;
    }

    QString term(QVariantList& params) {
        const QString col = column();
        const QString o = op();
        bool isText = false;
        params << value(isText);
        QString sql =
            quoteName(col) + QLatin1Char(' ') + o + QStringLiteral(" ?") + QString::number(next_++);
        if (isText && match_ == TextMatch::IgnoreCase) sql += QStringLiteral(" COLLATE NOCASE");
        return sql;
    }

    const QString& s_;
    TextMatch match_;
    int next_;
    qsizetype i_ = 0;
};

} // namespace

Criteria parseCriteria(const QString& text, TextMatch match, int firstParam) {
    return Parser(text, match, firstParam).parse();
}

QString quotedValue(const QString& value) {
    QString v = value;
    v.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QLatin1Char('\'') + v + QLatin1Char('\'');
}

} // namespace store
