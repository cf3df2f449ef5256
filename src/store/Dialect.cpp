#include "store/Dialect.h"

#include "store/Error.h"
#include "store/Schema.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <set>

namespace store {

namespace {

enum class T { Space, Comment, String, Quoted, Word, Number, Param, Punct, Blob };

struct Token {
    T kind;
    std::string text; // as written; for Quoted the name without its quotes
    std::string lower;
};

bool wordChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '$' ||
           static_cast<unsigned char>(c) >= 0x80;
}

std::string lowered(std::string_view s) {
    std::string r(s);
    for (char& c : r)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return r;
}

[[noreturn]] void refuse(std::string_view sql, const char* why) {
    throw Error(code::Error,
                QStringLiteral("%1 on a server database: %2")
                    .arg(QLatin1String(why), QString::fromUtf8(sql.data(), qsizetype(sql.size()))));
}

std::vector<Token> tokenize(std::string_view s) {
    std::vector<Token> out;
    size_t i = 0;
    const size_t n = s.size();
    auto push = [&](T kind, size_t from, size_t to) {
        out.push_back({kind, std::string(s.substr(from, to - from)), {}});
    };
    while (i < n) {
        const char c = s[i];
        const size_t start = i;
        if (std::isspace(static_cast<unsigned char>(c))) {
            while (i < n && std::isspace(static_cast<unsigned char>(s[i])))
                ++i;
            push(T::Space, start, i);
        } else if (c == '-' && i + 1 < n && s[i + 1] == '-') {
            while (i < n && s[i] != '\n')
                ++i;
            push(T::Comment, start, i);
        } else if (c == '/' && i + 1 < n && s[i + 1] == '*') {
            const size_t end = s.find("*/", i + 2);
            i = end == std::string_view::npos ? n : end + 2;
            push(T::Comment, start, i);
        } else if ((c == 'x' || c == 'X') && i + 1 < n && s[i + 1] == '\'') {
            i += 2;
            while (i < n && s[i] != '\'')
                ++i;
            ++i;
            push(T::Blob, start, std::min(i, n));
        } else if (c == '\'') {
            ++i;
            while (i < n) {
                if (s[i] == '\'') {
                    if (i + 1 < n && s[i + 1] == '\'') {
                        i += 2;
                        continue;
                    }
                    break;
                }
                ++i;
            }
            ++i;
            push(T::String, start, std::min(i, n));
        } else if (c == '`' || c == '"' || c == '[') {
            const char close = c == '[' ? ']' : c;
            std::string name;
            ++i;
            while (i < n) {
                if (s[i] == close) {
                    if (close != ']' && i + 1 < n && s[i + 1] == close) {
                        name += close;
                        i += 2;
                        continue;
                    }
                    break;
                }
                name += s[i++];
            }
            ++i;
            out.push_back({T::Quoted, name, lowered(name)});
        } else if (c == '?') {
            ++i;
            while (i < n && std::isdigit(static_cast<unsigned char>(s[i])))
                ++i;
            push(T::Param, start, i);
        } else if (std::isdigit(static_cast<unsigned char>(c)) ||
                   (c == '.' && i + 1 < n && std::isdigit(static_cast<unsigned char>(s[i + 1])))) {
            while (i < n &&
                   (std::isalnum(static_cast<unsigned char>(s[i])) || s[i] == '.' ||
                    ((s[i] == '+' || s[i] == '-') && (s[i - 1] == 'e' || s[i - 1] == 'E'))))
                ++i;
            push(T::Number, start, i);
        } else if (wordChar(c)) {
            while (i < n && wordChar(s[i]))
                ++i;
            push(T::Word, start, i);
            out.back().lower = lowered(out.back().text);
        } else {
            // Two-character operators stay one token.
            static const char* const pairs[] = {"||", "<=", ">=", "<>", "!=", "==", "<<", ">>"};
            size_t len = 1;
            for (const char* p : pairs)
                if (s.substr(i, 2) == p) len = 2;
            i += len;
            push(T::Punct, start, i);
        }
    }
    return out;
}

bool significant(const Token& t) {
    return t.kind != T::Space && t.kind != T::Comment;
}

std::string quoted(const std::string& name) {
    std::string r = "\"";
    for (char c : name) {
        if (c == '"') r += '"';
        r += c;
    }
    return r + '"';
}

// SQLite's keywords and the type names it knows: every other bare word that is
// no call is a name, and is quoted so that the server keeps its spelling.
bool isKeyword(const std::string& lower) {
    static const std::set<std::string> words{"abort",
                                             "action",
                                             "add",
                                             "after",
                                             "all",
                                             "alter",
                                             "always",
                                             "analyze",
                                             "and",
                                             "as",
                                             "asc",
                                             "attach",
                                             "autoincrement",
                                             "before",
                                             "begin",
                                             "between",
                                             "by",
                                             "cascade",
                                             "case",
                                             "cast",
                                             "check",
                                             "collate",
                                             "column",
                                             "commit",
                                             "conflict",
                                             "constraint",
                                             "create",
                                             "cross",
                                             "current",
                                             "current_date",
                                             "current_time",
                                             "current_timestamp",
                                             "database",
                                             "default",
                                             "deferrable",
                                             "deferred",
                                             "delete",
                                             "desc",
                                             "detach",
                                             "distinct",
                                             "do",
                                             "drop",
                                             "each",
                                             "else",
                                             "end",
                                             "escape",
                                             "except",
                                             "exclude",
                                             "exclusive",
                                             "exists",
                                             "explain",
                                             "fail",
                                             "filter",
                                             "first",
                                             "following",
                                             "for",
                                             "foreign",
                                             "from",
                                             "full",
                                             "generated",
                                             "glob",
                                             "group",
                                             "groups",
                                             "having",
                                             "if",
                                             "ignore",
                                             "immediate",
                                             "in",
                                             "index",
                                             "indexed",
                                             "initially",
                                             "inner",
                                             "insert",
                                             "instead",
                                             "intersect",
                                             "into",
                                             "is",
                                             "isnull",
                                             "join",
                                             "key",
                                             "last",
                                             "left",
                                             "like",
                                             "limit",
                                             "match",
                                             "materialized",
                                             "natural",
                                             "no",
                                             "not",
                                             "nothing",
                                             "notnull",
                                             "null",
                                             "nulls",
                                             "of",
                                             "offset",
                                             "on",
                                             "or",
                                             "order",
                                             "others",
                                             "outer",
                                             "over",
                                             "partition",
                                             "plan",
                                             "pragma",
                                             "preceding",
                                             "primary",
                                             "query",
                                             "raise",
                                             "range",
                                             "recursive",
                                             "references",
                                             "regexp",
                                             "reindex",
                                             "release",
                                             "rename",
                                             "replace",
                                             "restrict",
                                             "returning",
                                             "right",
                                             "rollback",
                                             "row",
                                             "rows",
                                             "savepoint",
                                             "select",
                                             "set",
                                             "table",
                                             "temp",
                                             "temporary",
                                             "then",
                                             "ties",
                                             "to",
                                             "transaction",
                                             "trigger",
                                             "unbounded",
                                             "union",
                                             "unique",
                                             "update",
                                             "using",
                                             "vacuum",
                                             "values",
                                             "view",
                                             "virtual",
                                             "when",
                                             "where",
                                             "window",
                                             "with",
                                             "without",
                                             "true",
                                             "false",
                                             "text",
                                             "real",
                                             "integer",
                                             "int",
                                             "blob",
                                             "numeric",
                                             "any",
                                             "strict",
                                             "nocase",
                                             "binary",
                                             "rtrim",
                                             "stored",
                                             "virtual",
                                             "identity",
                                             "numeric"};
    return words.count(lower) > 0;
}

bool isRowidName(const std::string& lower) {
    return lower == "rowid" || lower == "_rowid_";
}

class Rewriter {
public:
    explicit Rewriter(std::string_view sql) : sql_(sql), t_(tokenize(sql)) {
        for (size_t i = 0; i < t_.size(); ++i)
            if (significant(t_[i])) sig_.push_back(i);
        matchParens();
    }

    ServerStatement run() {
        if (sig_.empty()) return out_;
        const std::string& first = at(0).lower;
        if (first == "create" && isCreateTable()) return createTable();
        if (first == "create" || first == "drop" || first == "alter") out_.changesSchema = true;
        if (first == "pragma") refuse(sql_, "PRAGMA has no meaning");
        findTarget();
        if (first == "create") indexInSqliteOrder();
        std::string text;
        for (size_t k = 0; k < sig_.size(); ++k)
            text += piece(k);
        if (conflictIgnore_) text += " ON CONFLICT DO NOTHING";
        if (first == "insert" && !has("returning")) {
            text += " RETURNING \"_rowid_\"";
            out_.returnsRowid = true;
        }
        out_.text = std::move(text);
        return out_;
    }

private:
    const Token& at(size_t k) const { return t_[sig_[k]]; }
    bool is(size_t k, const char* word) const { return k < sig_.size() && at(k).lower == word; }
    bool isPunct(size_t k, const char* p) const {
        return k < sig_.size() && at(k).kind == T::Punct && at(k).text == p;
    }
    bool has(const char* word) const {
        for (size_t k = 0; k < sig_.size(); ++k)
            if (at(k).kind == T::Word && at(k).lower == word) return true;
        return false;
    }
    // The space written before significant token k, kept as it was.
    std::string spaceBefore(size_t k) const {
        const size_t from = k == 0 ? 0 : sig_[k - 1] + 1;
        std::string s;
        for (size_t i = from; i < sig_[k]; ++i)
            s += t_[i].kind == T::Space ? t_[i].text : std::string(" ");
        return s;
    }

    void matchParens() {
        match_.assign(sig_.size(), 0);
        depth_.assign(sig_.size(), 0);
        std::vector<size_t> open;
        for (size_t k = 0; k < sig_.size(); ++k) {
            depth_[k] = int(open.size());
            if (isPunct(k, "(")) {
                open.push_back(k);
            } else if (isPunct(k, ")") && !open.empty()) {
                match_[open.back()] = k;
                match_[k] = open.back();
                open.pop_back();
                depth_[k] = int(open.size());
            }
        }
    }

    // An index keeps NULL first, the order the rewritten ORDER BY asks for, so
    // that the server walks it instead of sorting the table.
    void indexInSqliteOrder() {
        size_t k = 1;
        if (is(k, "unique")) ++k;
        if (!is(k, "index")) return;
        while (k < sig_.size() && !is(k, "on"))
            ++k;
        size_t open = k + 2;
        if (open >= sig_.size() || !isPunct(open, "(") || !match_[open]) return;
        std::vector<size_t> ends = commasOf(open);
        ends.push_back(match_[open]);
        size_t from = open + 1;
        for (size_t end : ends) {
            bool said = false;
            for (size_t i = from; i < end; ++i)
                said = said || is(i, "nulls");
            if (!said) replaced_[end] = std::string(" NULLS FIRST") + at(end).text;
            from = end + 1;
        }
    }

    bool isCreateTable() const {
        size_t k = 1;
        if (is(k, "temp") || is(k, "temporary")) ++k;
        return is(k, "table");
    }

    void findTarget() {
        const std::string& first = at(0).lower;
        size_t k = 0;
        if (first == "insert" || first == "replace") {
            if (is(1, "or")) {
                if (is(2, "ignore"))
                    conflictIgnore_ = true;
                else
                    refuse(sql_, "INSERT OR REPLACE has no single form");
                skipOr_ = true;
            }
            while (k < sig_.size() && !is(k, "into"))
                ++k;
            ++k;
        } else if (first == "update") {
            k = is(1, "or") ? 3 : 1;
        } else if (first == "delete") {
            k = 2;
        } else {
            return;
        }
        if (k < sig_.size() && (at(k).kind == T::Word || at(k).kind == T::Quoted))
            out_.written = at(k).lower;
    }

    bool unnamedSubquery(size_t close) const {
        const size_t open = match_[close];
        if (open == 0 || open >= close || !is(open + 1, "select")) return false;
        if (!(is(open - 1, "from") || is(open - 1, "join"))) return false;
        if (close + 1 >= sig_.size()) return true;
        const Token& after = at(close + 1);
        if (after.kind == T::Quoted) return false;
        if (after.kind == T::Word) return isKeyword(after.lower) && after.lower != "as";
        return true;
    }

    // A literal standing where the server wants a truth value: WHERE 1, AND 0.
    bool inConditionPlace(size_t k) const {
        if (k == 0) return false;
        const Token& before = at(k - 1);
        const bool opens =
            before.kind == T::Word &&
            (before.lower == "where" || before.lower == "or" || before.lower == "not" ||
             before.lower == "on" || before.lower == "having" || before.lower == "when" ||
             (before.lower == "and" && !betweenAnd_.count(k - 1)));
        if (!opens) return false;
        if (k + 1 >= sig_.size()) return true;
        const Token& after = at(k + 1);
        if (after.kind == T::Punct) return after.text == ")" || after.text == ";";
        return after.kind == T::Word &&
               (after.lower == "and" || after.lower == "or" || after.lower == "order" ||
                after.lower == "group" || after.lower == "limit" || after.lower == "then" ||
                after.lower == "union");
    }

    std::string name(const Token& t) {
        if (isRowidName(t.lower)) {
            out_.namesRowid = true;
            return "\"_rowid_\"";
        }
        const auto& names = schemaNames();
        if (auto it = names.find(t.lower); it != names.end()) return quoted(it->second);
        if (t.kind == T::Word && isKeyword(t.lower)) return t.text;
        return quoted(t.text);
    }

    // Top-level argument separators of the call whose "(" is at k.
    std::vector<size_t> commasOf(size_t open) const {
        std::vector<size_t> commas;
        for (size_t k = open + 1; k < match_[open]; ++k)
            if (isPunct(k, ",") && depth_[k] == depth_[open] + 1) commas.push_back(k);
        return commas;
    }

    // The text of significant token k and the space before it.
    std::string piece(size_t k) {
        std::string before = spaceBefore(k);
        const Token& t = at(k);
        // Order terms: NULL comes first going up, as in SQLite. The rowid is
        // never NULL, and a NULLS clause would keep the server off its index.
        std::string suffix;
        bool ended = false;
        // The ")" closing a subquery stands one level out from its ORDER BY.
        if (!orders_.empty() && isPunct(k, ")") && orders_.back().depth == depth_[k] + 1) {
            before = nulls(orders_.back()) + before;
            orders_.pop_back();
            ended = true;
        } else if (!orders_.empty() && orders_.back().depth == depth_[k]) {
            const bool ends = isPunct(k, ",") || isPunct(k, ";") ||
                              (t.kind == T::Word && (t.lower == "limit" || t.lower == "offset"));
            if (ends) {
                ended = true;
                before = nulls(orders_.back()) + before;
                orders_.back().descending = false;
                orders_.back().termStart = true;
                if (!isPunct(k, ",")) orders_.pop_back();
            }
        }
        if (!orders_.empty() && orders_.back().depth == depth_[k] && t.kind == T::Word &&
            t.lower == "desc")
            orders_.back().descending = true;
        // Any token of a term but the rowid, ASC and DESC makes it a term of its own.
        if (!ended && !orders_.empty() && orders_.back().inTerms &&
            depth_[k] >= orders_.back().depth) {
            const bool plain = depth_[k] == orders_.back().depth &&
                               (t.kind == T::Word || t.kind == T::Quoted) &&
                               (isRowidName(t.lower) || t.lower == "asc" || t.lower == "desc");
            if (!plain) orders_.back().plainRowid = false;
        }
        if (k + 1 == sig_.size() && !orders_.empty() && orders_.back().depth == depth_[k])
            suffix = nulls(orders_.back());

        if (!ended && !orders_.empty() && orders_.back().termStart &&
            orders_.back().depth == depth_[k]) {
            orders_.back().termStart = false;
            // The unary plus that keeps SQLite off an index has no meaning for text here.
            if (isPunct(k, "+")) return before;
        }
        const std::string written = text(k);
        // A word left out takes its space with it.
        if (written.empty()) return {};
        return before + written + suffix;
    }

    std::string text(size_t k) {
        if (auto it = replaced_.find(k); it != replaced_.end()) return it->second;
        const Token& t = at(k);
        // The server names every subquery in FROM; SQLite lets it go unnamed.
        if (t.kind == T::Punct && t.text == ")" && unnamedSubquery(k))
            return ") AS tolvane_subquery" + std::to_string(k);
        switch (t.kind) {
        case T::Param: {
            int number = t.text.size() > 1 ? std::stoi(t.text.substr(1)) : ++bare_;
            bare_ = std::max(bare_, number);
            out_.parameters = std::max(out_.parameters, number);
            if (out_.used.size() < size_t(number)) out_.used.resize(size_t(number));
            out_.used[size_t(number - 1)] = true;
            return "$" + std::to_string(number);
        }
        case T::Quoted:
            return name(t);
        case T::Blob:
            return "'\\x" + t.text.substr(2, t.text.size() - 3) + "'::bytea";
        case T::Number:
            if (inConditionPlace(k))
                return t.text.find_first_not_of("0.") == std::string::npos ? "FALSE" : "TRUE";
            return t.text;
        case T::Punct:
            if (t.text == "==") return "=";
            return t.text;
        case T::Word:
            return word(k);
        default:
            return t.text;
        }
    }

    std::string word(size_t k) {
        const Token& t = at(k);
        const std::string& w = t.lower;
        // A name before a column list is no call: ON t (a, b), INTO t (a, b).
        static const std::set<std::string> namesFollow{"on",   "into", "table",  "exists",
                                                       "from", "join", "update", "references"};
        const bool call = isPunct(k + 1, "(") && !(k > 0 && at(k - 1).kind == T::Word &&
                                                   namesFollow.count(at(k - 1).lower));
        if (w == "or" && skipOr_ && k == 1) return {};
        if ((w == "ignore" || w == "replace") && skipOr_ && k == 2) return {};
        if (w == "true" || w == "false") {
            if (inConditionPlace(k)) return w == "true" ? "TRUE" : "FALSE";
            return w == "true" ? "1" : "0";
        }
        if (w == "between") betweenAt_.push_back(depth_[k]);
        if (w == "and" && !betweenAt_.empty() && betweenAt_.back() == depth_[k]) {
            betweenAnd_.insert(k);
            betweenAt_.pop_back();
        }
        if (w == "order" && is(k + 1, "by")) orders_.push_back({depth_[k], false, false});
        if (w == "by" && k > 0 && is(k - 1, "order")) orders_.back().inTerms = true;
        if (w == "by" && k > 0 && is(k - 1, "order")) {
            orders_.back().termStart = true;
            return t.text;
        }
        if (w == "is") {
            if (is(k + 1, "null")) return t.text;
            if (is(k + 1, "not")) {
                if (is(k + 2, "null")) return t.text;
                skipNot_ = k + 1;
                return "IS DISTINCT FROM";
            }
            return "IS NOT DISTINCT FROM";
        }
        if (w == "not" && skipNot_ == k) return {};
        if (w == "nocase" && k > 0 && is(k - 1, "collate")) return "tolvane_nocase";
        if (k > 0 && is(k - 1, "as") && (w == "real" || w == "integer" || w == "int"))
            return w == "real" ? "double precision" : "bigint";
        if (call) {
            if (w == "ifnull") return "coalesce";
            if ((w == "max" || w == "min") && !commasOf(k + 1).empty())
                return w == "max" ? "greatest" : "least";
            if (w == "round" && commasOf(k + 1).size() == 1) {
                // The server rounds to places only as numeric; SQLite answers a real.
                replaced_[k + 1] = "(CAST((";
                replaced_[commasOf(k + 1).front()] = ") AS numeric),";
                replaced_[match_[k + 1]] = ") AS double precision)";
                return "CAST(round";
            }
            if (w == "total") return "sum";
            if (w == "char") return "chr";
            if (w == "group_concat") {
                // The server joins text only, and wants the separator said.
                const std::vector<size_t> commas = commasOf(k + 1);
                replaced_[k + 1] = "(CAST((";
                if (commas.empty()) {
                    replaced_[match_[k + 1]] = ") AS text), ',')";
                } else {
                    replaced_[commas.front()] = ") AS text),";
                }
                return "string_agg";
            }
            return t.text;
        }
        return name(t);
    }

    // CREATE TABLE: the server's types, a "_rowid_" column and the trigger
    // that tells other connections of a change.
    ServerStatement createTable() {
        out_.changesSchema = true;
        out_.createsTable = true;
        size_t open = 0;
        while (open < sig_.size() && !isPunct(open, "("))
            ++open;
        if (open == sig_.size() || !match_[open]) refuse(sql_, "a table without columns");
        const size_t close = match_[open];
        const bool temporary = is(1, "temp") || is(1, "temporary");
        std::string tableName;
        std::string head;
        for (size_t k = 0; k < open; ++k) {
            head += spaceBefore(k) + (at(k).kind == T::Word || at(k).kind == T::Quoted
                                          ? (k == open - 1 ? name(at(k)) : at(k).text)
                                          : at(k).text);
        }
        tableName = name(at(open - 1));

        // Column definitions and table constraints, split at top-level commas.
        std::vector<std::pair<size_t, size_t>> parts;
        size_t from = open + 1;
        for (size_t k = open + 1; k <= close; ++k)
            if (k == close || (isPunct(k, ",") && depth_[k] == depth_[open] + 1)) {
                parts.emplace_back(from, k);
                from = k + 1;
            }
        bool hasKey = false;
        std::string aliasColumn; // an INTEGER PRIMARY KEY: the rowid itself
        std::vector<std::string> defs;
        for (auto [a, b] : parts) {
            if (a >= b) continue;
            const std::string first = at(a).lower;
            std::string def;
            if (at(a).kind == T::Word &&
                (first == "primary" || first == "unique" || first == "check" ||
                 first == "foreign" || first == "constraint")) {
                if (first == "primary") hasKey = true;
                for (size_t k = a; k < b; ++k)
                    def += spaceBefore(k) + text(k);
                defs.push_back(def);
                continue;
            }
            // A column's name is quoted whatever it is: Any, Count, User.
            def = name(at(a));
            if (def.empty() || def.front() != '"') def = quoted(at(a).text);
            std::string type = a + 1 < b && at(a + 1).kind == T::Word ? at(a + 1).lower : "";
            size_t k = a + 1;
            bool collated = false;
            const bool integerKey = type == "integer" && is(k + 1, "primary") && is(k + 2, "key");
            if (type == "text" || type == "real" || type == "integer" || type == "int" ||
                type == "blob" || type == "any") {
                if (type == "text") def += " text";
                if (type == "real") def += " double precision";
                if (type == "integer" || type == "int") def += " bigint";
                if (type == "blob") def += " bytea";
                if (type == "any") def += " text";
                ++k;
            } else {
                // A column of no type holds anything in SQLite; text is the nearest.
                def += " text";
                type = "text";
            }
            if (integerKey) {
                def += " GENERATED BY DEFAULT AS IDENTITY";
                aliasColumn = def.substr(0, def.find(' '));
            }
            for (; k < b; ++k) {
                // An identity never gives a number twice anyway.
                if (at(k).kind == T::Word && at(k).lower == "autoincrement") continue;
                if (at(k).kind == T::Word && at(k).lower == "primary") hasKey = true;
                if (at(k).kind == T::Word && at(k).lower == "collate") collated = true;
                def += spaceBefore(k) + text(k);
            }
            if (type == "text" && !collated) def += " COLLATE \"C\"";
            defs.push_back(def);
        }
        if (!aliasColumn.empty())
            defs.push_back("\"_rowid_\" bigint GENERATED ALWAYS AS (" + aliasColumn + ") STORED");
        else
            defs.push_back(std::string("\"_rowid_\" bigint GENERATED BY DEFAULT AS IDENTITY ") +
                           (hasKey ? "UNIQUE" : "PRIMARY KEY"));
        std::string text = head + " (\n  ";
        for (size_t i = 0; i < defs.size(); ++i) {
            std::string d = defs[i];
            d.erase(0, d.find_first_not_of(" \n\t"));
            text += (i ? ",\n  " : "") + d;
        }
        text += "\n)";
        // Whatever follows the column list (STRICT, WITHOUT ROWID) is SQLite's own.
        out_.text = text;
        if (!temporary) out_.text += ";\n" + changeTriggerFor(tableName);
        return out_;
    }

    std::string_view sql_;
    std::vector<Token> t_;
    std::vector<size_t> sig_;
    std::vector<size_t> match_;
    std::vector<int> depth_;
    ServerStatement out_;
    int bare_ = 0;
    bool conflictIgnore_ = false;
    bool skipOr_ = false;
    size_t skipNot_ = size_t(-1);
    std::vector<int> betweenAt_;
    struct Order {
        int depth;
        bool descending;
        bool termStart;
        bool plainRowid = true; // the term is the rowid alone
        bool inTerms = false;   // past BY
    };
    // The NULLS clause ending the current term, and a fresh term after it.
    std::string nulls(Order& o) {
        const bool rowid = o.plainRowid;
        o.plainRowid = true;
        if (rowid) return {};
        return o.descending ? " NULLS LAST" : " NULLS FIRST";
    }
    std::vector<Order> orders_;
    std::map<size_t, std::string> replaced_;
    std::set<size_t> betweenAnd_;
};

} // namespace

std::vector<std::string> splitStatements(std::string_view sql) {
    std::vector<std::string> parts;
    std::string current;
    for (const Token& t : tokenize(sql)) {
        if (t.kind == T::Punct && t.text == ";") {
            parts.push_back(current);
            current.clear();
            continue;
        }
        if (t.kind == T::Quoted) {
            current += '`';
            for (char c : t.text) {
                if (c == '`') current += '`';
                current += c;
            }
            current += '`';
        } else {
            current += t.text;
        }
    }
    parts.push_back(current);
    std::vector<std::string> statements;
    for (std::string& p : parts)
        if (p.find_first_not_of(" \t\r\n") != std::string::npos) statements.push_back(p);
    return statements;
}

const std::unordered_map<std::string, std::string>& schemaNames() {
    // Every table and column the schema's own definitions name.
    static const std::unordered_map<std::string, std::string> names = [] {
        std::unordered_map<std::string, std::string> found;
        for (const QString& definition : schemaDefinitions()) {
            const std::string ddl = definition.toStdString();
            const std::vector<Token> tokens = tokenize(ddl);
            std::vector<const Token*> sig;
            for (const Token& t : tokens)
                if (significant(t)) sig.push_back(&t);
            // ALTER TABLE t ADD COLUMN c ...: one more column of t.
            if (sig.size() >= 6 && sig[0]->lower == "alter" && sig[3]->lower == "add") {
                const Token* column = sig[4]->lower == "column" ? sig[5] : sig[4];
                found.emplace(lowered(column->text), column->text);
                continue;
            }
            if (sig.size() < 3 || sig[0]->lower != "create") continue;
            size_t k = 1;
            while (k < sig.size() && sig[k]->lower != "table")
                ++k;
            if (k + 1 >= sig.size()) continue;
            size_t nameAt = k + 1;
            while (nameAt < sig.size() &&
                   (sig[nameAt]->lower == "if" || sig[nameAt]->lower == "not" ||
                    sig[nameAt]->lower == "exists"))
                ++nameAt;
            if (nameAt >= sig.size()) continue;
            found.emplace(lowered(sig[nameAt]->text), sig[nameAt]->text);
            int depth = 0;
            bool expectColumn = false;
            for (size_t i = nameAt + 1; i < sig.size(); ++i) {
                const Token& t = *sig[i];
                if (t.kind == T::Punct && t.text == "(") {
                    expectColumn = ++depth == 1;
                    continue;
                }
                if (t.kind == T::Punct && t.text == ")") {
                    --depth;
                    continue;
                }
                if (depth == 1 && t.kind == T::Punct && t.text == ",") {
                    expectColumn = true;
                    continue;
                }
                if (expectColumn && (t.kind == T::Word || t.kind == T::Quoted)) {
                    static const std::set<std::string> constraints{"primary", "unique", "check",
                                                                   "foreign", "constraint"};
                    if (!constraints.count(t.lower.empty() ? lowered(t.text) : t.lower))
                        found.emplace(lowered(t.text), t.text);
                }
                expectColumn = false;
            }
        }
        return found;
    }();
    return names;
}

std::string changeTriggerFor(const std::string& quotedTable) {
    return "CREATE TRIGGER tolvane_changed AFTER INSERT OR UPDATE OR DELETE OR TRUNCATE ON " +
           quotedTable + " FOR EACH STATEMENT EXECUTE FUNCTION tolvane_changed()";
}

ServerStatement toServer(std::string_view sql) {
    return Rewriter(sql).run();
}

} // namespace store
