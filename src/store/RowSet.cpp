#include "store/RowSet.h"

#include "store/Criteria.h"

#include <QLocale>
#include <QRegularExpression>

#include <algorithm>
#include <functional>

namespace store {

namespace {

// Index of a top-level keyword (outside quotes and brackets), or -1.
qsizetype findKeyword(const QString& s, const QString& word) {
    QChar quote;
    for (qsizetype i = 0; i < s.size(); ++i) {
        const QChar c = s[i];
        if (!quote.isNull()) {
            if (c == quote) quote = QChar();
            continue;
        }
        if (c == QLatin1Char('\'') || c == QLatin1Char('"') || c == QLatin1Char('`')) {
            quote = c;
            continue;
        }
        if (c == QLatin1Char('[')) {
            quote = QLatin1Char(']');
            continue;
        }
        if (i > 0 && (s[i - 1].isLetterOrNumber() || s[i - 1] == QLatin1Char('_'))) continue;
        if (s.mid(i, word.size()).compare(word, Qt::CaseInsensitive) != 0) continue;
        const qsizetype after = i + word.size();
        if (after < s.size() && (s[after].isLetterOrNumber() || s[after] == QLatin1Char('_')))
            continue;
        return i;
    }
    return -1;
}

QString unquote(const QString& name) {
    if (name.size() >= 2) {
        const QChar a = name.front(), b = name.back();
        if ((a == QLatin1Char('`') && b == QLatin1Char('`')) ||
            (a == QLatin1Char('"') && b == QLatin1Char('"')) ||
            (a == QLatin1Char('[') && b == QLatin1Char(']')))
            return name.mid(1, name.size() - 2);
    }
    return name;
}

QVariant readColumn(const Statement& st, int i) {
    switch (st.kind(i)) {
    case Statement::Kind::Integer:
        return QVariant::fromValue<qint64>(st.int64(i));
    case Statement::Kind::Real:
        return *st.number(i);
    case Statement::Kind::Text:
        return st.text(i);
    case Statement::Kind::Blob:
        return st.blob(i);
    default:
        return {};
    }
}

void bindValue(Statement& st, int index, const QVariant& v) {
    if (v.isNull()) {
        st.bindNull(index);
        return;
    }
    switch (v.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
        st.bind(index, v.toDouble());
        break;
    case QMetaType::Bool:
        st.bind(index, qint64(v.toBool() ? 1 : 0));
        break;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        st.bind(index, v.toLongLong());
        break;
    default:
        st.bind(index, v.toString());
    }
}

void bindAll(Statement& st, const QVariantList& params) {
    for (int i = 0; i < params.size(); ++i)
        bindValue(st, i + 1, params[i]);
}

bool isNumberType(const QVariant& v) {
    switch (v.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return true;
    default:
        return false;
    }
}

} // namespace

RowSet::RowSet(Database& db, const QString& sql) : db_(&db), sql_(sql) {
    static const QRegularExpression form(
        QStringLiteral(
            R"(^\s*SELECT\s+(.+?)\s+FROM\s+(`[^`]+`|"[^"]+"|\[[^\]]+\]|\w+)(.*?)\s*;?\s*$)"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    const auto m = form.match(sql);
    if (!m.hasMatch())
        throw Error(code::Error, QStringLiteral("unsupported row set query: ") + sql);
    selectList_ = m.captured(1);
    tableSql_ = m.captured(2);
    table_ = unquote(tableSql_);
    QString rest = m.captured(3).trimmed();

    const qsizetype order = findKeyword(rest, QStringLiteral("ORDER"));
    if (order >= 0) {
        static const QRegularExpression orderBy(QStringLiteral(R"(^ORDER\s+BY\s+(.+)$)"),
                                                QRegularExpression::CaseInsensitiveOption |
                                                    QRegularExpression::DotMatchesEverythingOption);
        const auto om = orderBy.match(rest.mid(order));
        if (!om.hasMatch()) throw Error(code::Error, QStringLiteral("bad ORDER BY: ") + sql);
        orderBy_ = om.captured(1).trimmed();
        rest = rest.left(order).trimmed();
    }
    if (!rest.isEmpty()) {
        if (findKeyword(rest, QStringLiteral("WHERE")) != 0)
            throw Error(code::Error, QStringLiteral("unsupported row set query: ") + sql);
        where_ = rest.mid(5).trimmed();
    }

    // Compiling the fetch statement checks the table and columns and names them.
    fetchSql_ = QStringLiteral("SELECT %1 FROM %2 WHERE _rowid_ = ?1").arg(selectList_, tableSql_);
    std::unordered_map<QString, Kind> kinds;
    {
        for (const Database::ColumnInfo& info : db.columns(table_)) {
            const QString type = info.type.toUpper();
            Kind kind = Kind::Any;
            if (type == QLatin1String("TEXT"))
                kind = Kind::Text;
            else if (type == QLatin1String("REAL"))
                kind = Kind::Real;
            else if (type == QLatin1String("INTEGER") || type == QLatin1String("INT"))
                kind = Kind::Integer;
            kinds[info.name.toLower()] = kind;
        }
    }
    {
        Statement fetch = db.prepare(fetchSql_);
        const int n = fetch.columnCount();
        for (int i = 0; i < n; ++i) {
            Column c;
            c.name = fetch.columnName(i);
            if (auto it = kinds.find(c.name.toLower()); it != kinds.end()) c.kind = it->second;
            byName_.emplace(c.name.toLower(), i);
            columns_.push_back(c);
        }
    }
    orderable_ = parseOrder();
    rebuildKeyset();
    pos_ = 0;
}

RowSet::~RowSet() = default;

bool RowSet::parseOrder() {
    static const QRegularExpression term(
        QStringLiteral(
            R"(^(?:(?:\w+|`[^`]+`|"[^"]+"|\[[^\]]+\])\.)?(\w+|`[^`]+`|"[^"]+"|\[[^\]]+\])(?:\s+(ASC|DESC))?$)"),
        QRegularExpression::CaseInsensitiveOption);
    QStringList columns;
    std::vector<bool> ascending;
    if (!orderBy_.isEmpty()) {
        for (const QString& t : orderBy_.split(QLatin1Char(','))) {
            const auto m = term.match(t.trimmed());
            if (!m.hasMatch()) return false;
            columns << quoteName(unquote(m.captured(1)));
            ascending.push_back(m.captured(2).compare(QLatin1String("DESC"), Qt::CaseInsensitive));
        }
    }
    // Ties go by rowid, the way the last key runs (see orderedQuery); NULL sorts
    // first going up, as in the engine's ORDER BY.
    const bool lastUp = ascending.empty() || ascending.back();
    QString expr =
        lastUp ? QStringLiteral("a._rowid_ < b._rowid_") : QStringLiteral("a._rowid_ > b._rowid_");
    for (qsizetype i = columns.size() - 1; i >= 0; --i) {
        const QString& c = columns[i];
        const bool up = ascending[size_t(i)];
        expr = QStringLiteral("CASE WHEN a.%1 IS b.%1 THEN (%2) WHEN a.%1 IS NULL THEN %3 "
                              "WHEN b.%1 IS NULL THEN %4 ELSE a.%1 %5 b.%1 END")
                   .arg(c, expr, up ? QStringLiteral("(1 = 1)") : QStringLiteral("(1 = 0)"),
                        up ? QStringLiteral("(1 = 0)") : QStringLiteral("(1 = 1)"),
                        up ? QStringLiteral("<") : QStringLiteral(">"));
    }
    beforeSql_ = QStringLiteral("SELECT %1 FROM %2 AS a, %2 AS b WHERE a._rowid_ = ?1 AND "
                                "b._rowid_ = ?2")
                     .arg(expr, tableSql_);
    return true;
}

void RowSet::Close() {
    if (!db_) return;
    commitPending();
    db_ = nullptr;
    keys_.clear();
    keptValues_.clear();
    positions_.clear();
    cache_.clear();
    cachedRowid_ = 0;
}

void RowSet::requireOpen() const {
    if (!db_) throw Error(code::Misuse, QStringLiteral("the row set is closed"));
}

// The set's own query, selecting what is asked: WHERE with the filter, ORDER BY
// with the rowid breaking ties so that equal sort keys keep one order.
Criteria RowSet::condition() const {
    Criteria c;
    if (!filterText_.isEmpty()) c = parseCriteria(filterText_, TextMatch::IgnoreCase);
    if (!where_.isEmpty())
        c.sql = c.sql.isEmpty() ? where_ : QStringLiteral("(%1) AND (%2)").arg(where_, c.sql);
    return c;
}

Statement RowSet::orderedQuery(const QString& selectList) const {
    const auto [where, params] = condition();
    QString sql = QStringLiteral("SELECT ") + selectList + QStringLiteral(" FROM ") + tableSql_;
    if (!where.isEmpty()) sql += QStringLiteral(" WHERE ") + where;
    // The tie-break runs the way the last sort key does, so that an index on
    // that key (the register's number, descending) serves the whole order.
    const bool descending = orderBy_.endsWith(QLatin1String(" DESC"), Qt::CaseInsensitive);
    QString order = orderBy_;
    // A filter picks a few rows out of many: reading the table straight through
    // and sorting those few beats walking the sort key's index row by row. The
    // unary plus keeps the planner off that index.
    if (!filterText_.isEmpty() && !order.isEmpty()) {
        QStringList terms = order.split(QLatin1Char(','));
        for (QString& term : terms)
            term = QStringLiteral("+") + term.trimmed();
        order = terms.join(QStringLiteral(", "));
    }
    sql += QStringLiteral(" ORDER BY ") +
           (order.isEmpty() ? QStringLiteral("_rowid_")
                            : order + (descending ? QStringLiteral(", _rowid_ DESC")
                                                  : QStringLiteral(", _rowid_")));
    Statement st = db_->prepare(sql);
    bindAll(st, params);
    return st;
}

void RowSet::rebuildKeyset() {
    stamp_ = db_->changeStamp(table_);
    written_.clear();
    linearLookups_ = 0;
    const bool keep = keptColumn_ >= 0;
    Statement st = orderedQuery(keep ? QStringLiteral("_rowid_, ") +
                                           quoteName(columns_[size_t(keptColumn_)].name)
                                     : QStringLiteral("_rowid_"));
    std::vector<qint64> keys;
    keys.reserve(keys_.size());
    std::vector<QVariant> kept;
    if (keep) kept.reserve(keys_.size());
    bool ascending = true, descending = true;
    while (st.step()) {
        const qint64 rowid = st.int64(0);
        if (!keys.empty()) {
            ascending = ascending && rowid > keys.back();
            descending = descending && rowid < keys.back();
        }
        keys.push_back(rowid);
        if (keep) kept.push_back(readColumn(st, 1));
    }
    keys_.swap(keys);
    keptValues_.swap(kept);
    keyOrder_ = ascending    ? KeyOrder::Ascending
                : descending ? KeyOrder::Descending
                             : KeyOrder::Unordered;
    positions_.clear();
    currentDeleted_ = false;
    cachedRowid_ = 0;
}

// ---------------------------------------------------------------- position

int RowSet::RecordCount() const {
    requireOpen();
    return int(keys_.size());
}

bool RowSet::isBOF() const {
    return keys_.empty() || pos_ < 0;
}
bool RowSet::isEOF() const {
    return keys_.empty() || pos_ >= int(keys_.size());
}

bool RowSet::hasCurrent() const {
    return db_ && !currentDeleted_ && pos_ >= 0 && pos_ < int(keys_.size());
}

void RowSet::noCurrentRow() const {
    throw Error(code::NoCurrentRow,
                QStringLiteral("Either BOF or EOF is True, or the current record has been "
                               "deleted. Requested operation requires a current record."));
}

qint64 RowSet::currentRowid() const {
    if (!hasCurrent()) noCurrentRow();
    return keys_[size_t(pos_)];
}

void RowSet::MoveFirst() {
    requireOpen();
    commitPending();
    if (keys_.empty()) noCurrentRow();
    pos_ = 0;
    currentDeleted_ = false;
}

void RowSet::MoveLast() {
    requireOpen();
    commitPending();
    if (keys_.empty()) noCurrentRow();
    pos_ = int(keys_.size()) - 1;
    currentDeleted_ = false;
}

void RowSet::MoveNext() {
    requireOpen();
    commitPending();
    if (isEOF()) noCurrentRow();
    if (currentDeleted_)
        currentDeleted_ = false; // already on the row that followed
    else
        ++pos_;
}

void RowSet::MovePrevious() {
    requireOpen();
    commitPending();
    if (isBOF()) noCurrentRow();
    currentDeleted_ = false;
    --pos_;
}

int RowSet::AbsolutePosition() const {
    requireOpen();
    if (isBOF()) return PosBOF;
    if (isEOF()) return PosEOF;
    return pos_ + 1;
}

void RowSet::setAbsolutePosition(int position) {
    requireOpen();
    if (position < 1 || position > int(keys_.size()))
        throw Error(
            code::Range,
            QStringLiteral("position %1 is outside 1 to %2").arg(position).arg(keys_.size()));
    commitPending();
    pos_ = position - 1;
    currentDeleted_ = false;
}

qint64 RowSet::Bookmark() const {
    requireOpen();
    if (mode_ == Mode::Add) noCurrentRow();
    return currentRowid();
}

int RowSet::positionOf(qint64 rowid) const {
    if (keyOrder_ == KeyOrder::Ascending) {
        const auto it = std::lower_bound(keys_.begin(), keys_.end(), rowid);
        return it != keys_.end() && *it == rowid ? int(it - keys_.begin()) : -1;
    }
    if (keyOrder_ == KeyOrder::Descending) {
        const auto it = std::lower_bound(keys_.begin(), keys_.end(), rowid, std::greater<>());
        return it != keys_.end() && *it == rowid ? int(it - keys_.begin()) : -1;
    }
    // A scan of the keys costs less than building the map until a few
    // look-ups have been made on the same keyset.
    if (positions_.empty() && linearLookups_ < 16) {
        ++linearLookups_;
        const auto it = std::find(keys_.begin(), keys_.end(), rowid);
        return it == keys_.end() ? -1 : int(it - keys_.begin());
    }
    if (positions_.empty() && !keys_.empty()) {
        positions_.reserve(keys_.size());
        for (size_t i = 0; i < keys_.size(); ++i)
            positions_.emplace(keys_[i], int(i));
    }
    const auto it = positions_.find(rowid);
    return it == positions_.end() ? -1 : it->second;
}

void RowSet::setBookmark(qint64 bookmark) {
    requireOpen();
    const int p = positionOf(bookmark);
    if (p < 0)
        throw Error(code::NotFound,
                    QStringLiteral("bookmark %1 is not in the row set").arg(bookmark));
    commitPending();
    pos_ = p;
    currentDeleted_ = false;
}

void RowSet::Find(const QString& criteria) {
    requireOpen();
    const Criteria c = parseCriteria(criteria, TextMatch::Exact);
    commitPending();
    if (isEOF()) return;
    const int from = std::max(pos_, 0);
    Statement st =
        db_->prepare(QStringLiteral("SELECT _rowid_ FROM %1 WHERE %2").arg(tableSql_, c.sql));
    bindAll(st, c.params);
    int best = int(keys_.size());
    while (st.step()) {
        const int p = positionOf(st.int64(0));
        if (p >= from && p < best) best = p;
    }
    pos_ = best;
    currentDeleted_ = false;
}

void RowSet::Filter(const QString& criteria) {
    requireOpen();
    if (!criteria.trimmed().isEmpty())
        parseCriteria(criteria, TextMatch::IgnoreCase); // refuse before any side effect
    commitPending();
    const QString previous = filterText_;
    filterText_ = criteria.trimmed();
    try {
        rebuildKeyset();
    } catch (...) {
        filterText_ = previous;
        rebuildKeyset();
        throw;
    }
    pos_ = 0;
}

void RowSet::Requery() {
    requireOpen();
    commitPending();
    const qint64 current = hasCurrent() ? keys_[size_t(pos_)] : 0;
    if (!requeryOwnWrites()) rebuildKeyset();
    const int p = current ? positionOf(current) : -1;
    pos_ = p >= 0 ? p : 0;
}

bool RowSet::requeryOwnWrites() {
    if (!orderable_ || !(db_->changeStamp(table_) == stamp_)) return false;
    try {
        std::vector<qint64> rows = written_;
        std::sort(rows.begin(), rows.end());
        rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
        for (const qint64 rowid : rows)
            placeAgain(rowid);
    } catch (const Error&) {
        return false;
    }
    written_.clear();
    stamp_ = db_->changeStamp(table_);
    return true;
}

// One row written by this set: left out when it no longer qualifies, left
// where it is when it still sorts between its neighbours, else moved by a
// binary search over the keyset.
void RowSet::placeAgain(qint64 rowid) {
    const auto before = [&](qint64 a, qint64 b) {
        Statement st = db_->prepare(beforeSql_);
        st.bind(1, a);
        st.bind(2, b);
        if (!st.step()) throw Error(code::NotFound, QStringLiteral("row gone"));
        return st.int64(0) != 0;
    };
    int p = positionOf(rowid);
    bool qualifies = true;
    {
        const auto [where, params] = condition();
        Statement st = db_->prepare(
            QStringLiteral("SELECT 1 FROM %1 WHERE %2_rowid_ = ?%3")
                .arg(tableSql_,
                     where.isEmpty() ? QString() : QStringLiteral("(%1) AND ").arg(where))
                .arg(params.size() + 1));
        bindAll(st, params);
        st.bind(int(params.size()) + 1, rowid);
        qualifies = st.step();
    }
    const int n = int(keys_.size());
    if (p >= 0 && qualifies && (p == 0 || before(keys_[size_t(p - 1)], rowid)) &&
        (p + 1 == n || before(rowid, keys_[size_t(p + 1)])))
        return;
    QVariant kept;
    if (p >= 0) {
        if (keptColumn_ >= 0) kept = keptValues_[size_t(p)];
        keys_.erase(keys_.begin() + p);
        if (keptColumn_ >= 0) keptValues_.erase(keptValues_.begin() + p);
        positions_.clear();
    }
    if (!qualifies) return;
    if (keptColumn_ >= 0 && p < 0) {
        Statement st =
            db_->prepare(QStringLiteral("SELECT %1 FROM %2 WHERE _rowid_ = ?1")
                             .arg(quoteName(columns_[size_t(keptColumn_)].name), tableSql_));
        st.bind(1, rowid);
        if (st.step()) kept = readColumn(st, 0);
    }
    size_t lo = 0, hi = keys_.size();
    while (lo < hi) {
        const size_t mid = (lo + hi) / 2;
        if (before(keys_[mid], rowid))
            lo = mid + 1;
        else
            hi = mid;
    }
    keys_.insert(keys_.begin() + qsizetype(lo), rowid);
    if (keptColumn_ >= 0) keptValues_.insert(keptValues_.begin() + qsizetype(lo), kept);
    const auto inOrder = [&](auto precedes) {
        return (lo == 0 || precedes(keys_[lo - 1], rowid)) &&
               (lo + 1 == keys_.size() || precedes(rowid, keys_[lo + 1]));
    };
    if ((keyOrder_ == KeyOrder::Ascending && !inOrder(std::less<>())) ||
        (keyOrder_ == KeyOrder::Descending && !inOrder(std::greater<>())))
        keyOrder_ = KeyOrder::Unordered;
    positions_.clear();
    linearLookups_ = 0;
}

bool RowSet::ownWriteBegins() {
    return orderable_ && db_->changeStamp(table_) == stamp_;
}

void RowSet::ownWriteEnds(bool tracked, qint64 rowid) {
    if (!tracked) return;
    // Past a few hundred rows a new keyset costs less than placing each again.
    if (written_.size() >= 512) return;
    stamp_ = db_->changeStamp(table_);
    if (rowid) written_.push_back(rowid);
}

// ---------------------------------------------------------------- fields

QString RowSet::fieldName(int index) const {
    checkIndex(index);
    return columns_[size_t(index)].name;
}

int RowSet::fieldIndex(const QString& name) const {
    const auto it = byName_.find(name.toLower());
    return it == byName_.end() ? -1 : it->second;
}

int RowSet::checkedIndex(const QString& name) const {
    const int i = fieldIndex(name);
    if (i < 0)
        throw Error(code::Range, QStringLiteral("Item cannot be found in the collection: ") + name);
    return i;
}

void RowSet::checkIndex(int index) const {
    if (index < 0 || index >= int(columns_.size()))
        throw Error(code::Range, QStringLiteral("field index %1 is out of range").arg(index));
}

const std::vector<QVariant>& RowSet::currentValues() const {
    const qint64 rowid = currentRowid();
    if (cachedRowid_ == rowid) return cache_;
    Statement st = db_->prepare(fetchSql_);
    st.bind(1, rowid);
    if (!st.step())
        throw Error(code::NotFound,
                    QStringLiteral("the current row was removed from %1").arg(table_));
    std::vector<QVariant> values;
    values.reserve(columns_.size());
    for (int i = 0; i < int(columns_.size()); ++i)
        values.push_back(readColumn(st, i));
    cache_.swap(values);
    cachedRowid_ = rowid;
    return cache_;
}

QVariant RowSet::value(const QString& name) const {
    return value(checkedIndex(name));
}

QVariant RowSet::value(int index) const {
    requireOpen();
    checkIndex(index);
    if (mode_ != Mode::None && dirty_[size_t(index)]) return editValues_[size_t(index)];
    if (mode_ == Mode::Add) return {};
    return currentValues()[size_t(index)];
}

void RowSet::setValue(const QString& name, const QVariant& value) {
    setValue(checkedIndex(name), value);
}

QVariant RowSet::convertFor(const Column& column, const QVariant& v) const {
    if (v.isNull() || !v.isValid()) return {};
    const auto refuse = [&](const char* kind) -> QVariant {
        throw Error(code::DatatypeRefused,
                    QStringLiteral("cannot store %1 value in %2 column %3.%4")
                        .arg(v.toString(), QLatin1String(kind), table_, column.name));
    };
    switch (column.kind) {
    case Kind::Any:
        return v;
    case Kind::Text:
        if (v.typeId() == QMetaType::Bool)
            return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
        if (v.typeId() == QMetaType::Double) return QString::number(v.toDouble(), 'g', 15);
        return v.toString();
    case Kind::Real: {
        if (isNumberType(v)) return v.toDouble();
        if (v.typeId() == QMetaType::Bool) return v.toBool() ? 1.0 : 0.0;
        const QString text = v.toString().trimmed();
        if (text.isEmpty()) return {};
        bool ok = false;
        const double d = QLocale::c().toDouble(text, &ok);
        if (!ok) return refuse("REAL");
        return d;
    }
    case Kind::Integer: {
        if (v.typeId() == QMetaType::Bool) return qint64(v.toBool() ? 1 : 0);
        if (isNumberType(v)) {
            const double d = v.toDouble();
            if (d != double(qint64(d))) return refuse("INTEGER");
            return qint64(d);
        }
        const QString text = v.toString().trimmed();
        if (text.isEmpty()) return {};
        if (!text.compare(QLatin1String("True"), Qt::CaseInsensitive) ||
            !text.compare(QLatin1String("Yes"), Qt::CaseInsensitive))
            return qint64(1);
        if (!text.compare(QLatin1String("False"), Qt::CaseInsensitive) ||
            !text.compare(QLatin1String("No"), Qt::CaseInsensitive))
            return qint64(0);
        bool ok = false;
        const qint64 n = QLocale::c().toLongLong(text, &ok);
        if (!ok) return refuse("INTEGER");
        return n;
    }
    }
    return v;
}

void RowSet::setValue(int index, const QVariant& value) {
    requireOpen();
    checkIndex(index);
    const QVariant stored = convertFor(columns_[size_t(index)], value);
    if (mode_ == Mode::None) {
        currentRowid(); // an edit needs a current row
        mode_ = Mode::Edit;
        editValues_.assign(columns_.size(), QVariant());
        dirty_.assign(columns_.size(), false);
    }
    editValues_[size_t(index)] = stored;
    dirty_[size_t(index)] = true;
}

// ---------------------------------------------------------------- changes

void RowSet::AddNew() {
    requireOpen();
    commitPending();
    mode_ = Mode::Add;
    editValues_.assign(columns_.size(), QVariant());
    dirty_.assign(columns_.size(), false);
}

void RowSet::CancelUpdate() {
    mode_ = Mode::None;
    editValues_.clear();
    dirty_.clear();
}

void RowSet::commitPending() {
    if (mode_ != Mode::None) Update();
}

void RowSet::Update() {
    requireOpen();
    if (mode_ == Mode::None) return;
    // A refused write is reported once and dropped, so that the next move does
    // not run into the same refusal again.
    struct Drop {
        RowSet* self;
        ~Drop() { self->CancelUpdate(); }
    } drop{this};
    QStringList names;
    QVariantList values;
    for (size_t i = 0; i < columns_.size(); ++i) {
        if (!dirty_[i]) continue;
        names << quoteName(columns_[i].name);
        values << editValues_[i];
    }
    if (mode_ == Mode::Add) {
        QString sql;
        if (names.isEmpty()) {
            sql = QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(tableSql_);
        } else {
            QStringList marks;
            for (int i = 1; i <= names.size(); ++i)
                marks << QStringLiteral("?%1").arg(i);
            sql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                      .arg(tableSql_, names.join(QStringLiteral(", ")),
                           marks.join(QStringLiteral(", ")));
        }
        Statement st = db_->prepare(sql);
        bindAll(st, values);
        const bool tracked = ownWriteBegins();
        st.run();
        const qint64 rowid = db_->lastInsertId();
        ownWriteEnds(tracked, rowid);
        if (!keys_.empty() && !(keyOrder_ == KeyOrder::Ascending && rowid > keys_.back()))
            keyOrder_ = KeyOrder::Unordered;
        keys_.push_back(rowid);
        if (keptColumn_ >= 0) keptValues_.push_back(editValues_[size_t(keptColumn_)]);
        if (!positions_.empty()) positions_.emplace(rowid, int(keys_.size()) - 1);
        pos_ = int(keys_.size()) - 1;
        currentDeleted_ = false;
    } else if (!names.isEmpty()) {
        const qint64 rowid = currentRowid();
        QStringList sets;
        for (int i = 0; i < names.size(); ++i)
            sets << QStringLiteral("%1 = ?%2").arg(names[i]).arg(i + 1);
        Statement st = db_->prepare(QStringLiteral("UPDATE %1 SET %2 WHERE _rowid_ = ?%3")
                                        .arg(tableSql_, sets.join(QStringLiteral(", ")))
                                        .arg(names.size() + 1));
        bindAll(st, values);
        st.bind(names.size() + 1, rowid);
        const bool tracked = ownWriteBegins();
        st.run();
        ownWriteEnds(tracked, rowid);
        if (db_->changes() == 0)
            throw Error(code::NotFound,
                        QStringLiteral("Row cannot be located for updating in %1").arg(table_));
        if (keptColumn_ >= 0 && dirty_[size_t(keptColumn_)])
            keptValues_[size_t(pos_)] = editValues_[size_t(keptColumn_)];
    }
    cachedRowid_ = 0;
}

Database& RowSet::database() const {
    requireOpen();
    return *db_;
}

namespace {

// Stored and typed forms of one value: a number read back as 1 equals the
// 1.0 written, and no value equals no value.
bool sameValue(const QVariant& a, const QVariant& b) {
    if (a.isNull() || b.isNull()) return a.isNull() == b.isNull();
    if (isNumberType(a) && isNumberType(b)) return a.toDouble() == b.toDouble();
    return a.toString() == b.toString() && isNumberType(a) == isNumberType(b);
}

} // namespace

std::vector<RowSet::FieldChange> RowSet::pendingChanges() const {
    std::vector<FieldChange> changes;
    if (mode_ != Mode::Edit) return changes;
    const std::vector<QVariant>& stored = currentValues();
    for (size_t i = 0; i < columns_.size(); ++i)
        if (dirty_[i] && !sameValue(stored[i], editValues_[i]))
            changes.push_back({columns_[i].name, stored[i], editValues_[i]});
    return changes;
}

void RowSet::Delete() {
    requireOpen();
    if (mode_ == Mode::Add) {
        CancelUpdate();
        return;
    }
    const qint64 rowid = currentRowid();
    CancelUpdate();
    Statement st = db_->prepare(QStringLiteral("DELETE FROM %1 WHERE _rowid_ = ?1").arg(tableSql_));
    st.bind(1, rowid);
    const bool tracked = ownWriteBegins();
    st.run();
    ownWriteEnds(tracked, 0);
    keys_.erase(keys_.begin() + pos_);
    if (keptColumn_ >= 0) keptValues_.erase(keptValues_.begin() + pos_);
    positions_.clear();
    cachedRowid_ = 0;
    currentDeleted_ = true;
}

std::vector<std::vector<QVariant>> RowSet::fetchRows(int first, int count) const {
    requireOpen();
    std::vector<std::vector<QVariant>> rows;
    if (first < 0 || count <= 0 || first >= int(keys_.size())) return rows;
    const int end = std::min(int(keys_.size()), first + count);
    rows.resize(size_t(end - first));

    constexpr int Batch = 500;
    for (int start = first; start < end; start += Batch) {
        const int n = std::min(Batch, end - start);
        QString marks;
        for (int i = 1; i <= n; ++i)
            marks += (i > 1 ? QStringLiteral(",?") : QStringLiteral("?")) + QString::number(i);
        Statement st =
            db_->prepare(QStringLiteral("SELECT _rowid_, %1 FROM %2 WHERE _rowid_ IN (%3)")
                             .arg(selectList_, tableSql_, marks));
        std::unordered_map<qint64, int> slot;
        for (int i = 0; i < n; ++i) {
            const qint64 rowid = keys_[size_t(start + i)];
            st.bind(i + 1, rowid);
            slot.emplace(rowid, start + i - first);
        }
        while (st.step()) {
            std::vector<QVariant> values;
            values.reserve(columns_.size());
            for (int c = 0; c < int(columns_.size()); ++c)
                values.push_back(readColumn(st, c + 1));
            rows[size_t(slot[st.int64(0)])] = std::move(values);
        }
    }
    return rows;
}

void RowSet::keepColumn(const QString& name) {
    requireOpen();
    commitPending();
    keptColumn_ = checkedIndex(name);
    const qint64 current = hasCurrent() ? keys_[size_t(pos_)] : 0;
    rebuildKeyset();
    const int p = current ? positionOf(current) : -1;
    pos_ = p >= 0 ? p : 0;
}

QVariantList RowSet::columnValues(const QString& name) const {
    requireOpen();
    const int index = checkedIndex(name);
    if (index == keptColumn_) return QVariantList(keptValues_.begin(), keptValues_.end());
    QVariantList values;
    values.reserve(qsizetype(keys_.size()));
    scanRows({name}, [&](const std::vector<QVariant>& row) { values << row[0]; });
    return values;
}

void RowSet::scanRows(const QStringList& names,
                      const std::function<void(const std::vector<QVariant>&)>& visit) const {
    std::vector<QVariant> row(size_t(names.size()));
    scanStatement(names, [&](const Statement* st) {
        for (size_t c = 0; c < row.size(); ++c)
            row[c] = st ? readColumn(*st, int(c) + 1) : QVariant();
        visit(row);
    });
}

void RowSet::scanStatement(const QStringList& names,
                           const std::function<void(const Statement*)>& visit) const {
    requireOpen();
    if (keys_.empty() || names.isEmpty()) return;
    QStringList selected;
    for (const QString& name : names)
        selected << quoteName(columns_[size_t(checkedIndex(name))].name);
    const QString list = QStringLiteral("_rowid_, ") + selected.join(QLatin1Char(','));
    // The set's own query gives the rows in set order; rows added or removed
    // since the keyset was read make it differ, and from there on each row is
    // looked up by its rowid.
    size_t i = 0;
    if (keyOrder_ == KeyOrder::Ascending) {
        // The set's order is the table's own (readings appended in time): one
        // pass straight through the table, passing over rows outside the set,
        // beats walking the sort key's index and looking each row up.
        Statement st = db_->prepare(
            QStringLiteral("SELECT %1 FROM %2 WHERE _rowid_ BETWEEN ?1 AND ?2 ORDER BY _rowid_")
                .arg(list, tableSql_));
        st.bind(1, keys_.front());
        st.bind(2, keys_.back());
        while (i < keys_.size() && st.step()) {
            const qint64 rowid = st.int64(0);
            if (rowid < keys_[i]) continue;
            if (rowid > keys_[i]) break; // the row went: looked up one by one below
            visit(&st);
            ++i;
        }
    } else {
        Statement st = orderedQuery(list);
        while (i < keys_.size() && st.step() && st.int64(0) == keys_[i]) {
            visit(&st);
            ++i;
        }
    }
    if (i == keys_.size()) return;
    Statement one =
        db_->prepare(QStringLiteral("SELECT %1 FROM %2 WHERE _rowid_ = ?1").arg(list, tableSql_));
    for (; i < keys_.size(); ++i) {
        one.bind(1, keys_[i]);
        visit(one.step() ? &one : nullptr);
        one.reset();
    }
}

} // namespace store
