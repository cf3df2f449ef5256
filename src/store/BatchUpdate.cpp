#include "store/BatchUpdate.h"

#include "store/Dialect.h"

#include <QByteArray>

#include <algorithm>
#include <cmath>

namespace store {

namespace {

// A name as the server's schema spells it, double-quoted.
QByteArray serverName(const QString& name) {
    std::string spelled = name.toStdString();
    const auto& names = schemaNames();
    if (const auto it = names.find(name.toLower().toStdString()); it != names.end())
        spelled = it->second;
    QByteArray quoted = QByteArray::fromStdString(spelled);
    quoted.replace('"', "\"\"");
    return '"' + quoted + '"';
}

// A value as an element of the server's float8[] text; NaN is NULL, as a file
// stores it.
void appendElement(QByteArray& to, const std::optional<double>& v) {
    if (!v || std::isnan(*v))
        to += "NULL";
    else if (std::isinf(*v))
        to += *v > 0 ? "Infinity" : "-Infinity";
    else
        to += QByteArray::number(*v, 'g', 17);
}

} // namespace

BatchUpdate::BatchUpdate(Database& db, const QString& table, const QStringList& columns,
                         int batchRows)
    : row_(size_t(columns.size())),
      batchRows_(size_t(std::max(batchRows, ServerBatchLeast))) {
    QString assignments;
    for (int i = 0; i < columns.size(); ++i)
        assignments += (i ? QStringLiteral(", ") : QString()) +
                       QStringLiteral("%1 = ?%2").arg(columns[i]).arg(i + 1);
    oneRow_.emplace(db.prepare(QStringLiteral("UPDATE %1 SET %2 WHERE _rowid_ = ?%3")
                                   .arg(quoteName(table), assignments)
                                   .arg(columns.size() + 1)));
    if (!db.isServer()) return;
    // Every column an array of the batch's values, matched to its row by the
    // rowids' array: one statement, however many rows.
    QByteArray set, arrays, names;
    for (int i = 0; i < columns.size(); ++i) {
        const QByteArray n = QByteArray::number(i + 1);
        set += (i ? ", " : "") + serverName(columns[i]) + " = u.c" + n;
        arrays += "$" + n + "::float8[], ";
        names += "c" + n + ", ";
    }
    const QByteArray last = QByteArray::number(columns.size() + 1);
    manyRows_.emplace(db.prepare(QString::fromUtf8(
        "/*server*/ UPDATE " + serverName(table) + " AS t SET " + set + " FROM unnest(" + arrays +
        "$" + last + "::int8[]) AS u(" + names + "id) WHERE t.\"_rowid_\" = u.id")));
}

void BatchUpdate::bind(int column, std::optional<double> value) {
    row_.at(size_t(column - 1)) = value;
}

void BatchUpdate::runOne(const std::vector<std::optional<double>>& values, qint64 rowid) {
    for (size_t i = 0; i < row_.size(); ++i) {
        const std::optional<double>& v = values[i];
        if (v)
            oneRow_->bind(int(i + 1), *v);
        else
            oneRow_->bindNull(int(i + 1));
    }
    oneRow_->bind(int(row_.size() + 1), rowid);
    oneRow_->run();
}

void BatchUpdate::run(qint64 rowid) {
    if (!manyRows_) return runOne(row_, rowid);
    pendingValues_.insert(pendingValues_.end(), row_.begin(), row_.end());
    pendingRowids_.push_back(rowid);
    if (pendingRowids_.size() == batchRows_) send();
}

void BatchUpdate::send() {
    const size_t rows = pendingRowids_.size(), width = row_.size();
    if (rows < size_t(ServerBatchLeast)) {
        std::vector<std::optional<double>> one(width);
        for (size_t r = 0; r < rows; ++r) {
            std::copy_n(pendingValues_.begin() + ptrdiff_t(r * width), width, one.begin());
            runOne(one, pendingRowids_[r]);
        }
    } else {
        QByteArray text;
        for (size_t c = 0; c <= width; ++c) {
            text = "{";
            for (size_t r = 0; r < rows; ++r) {
                if (r) text += ',';
                if (c < width)
                    appendElement(text, pendingValues_[r * width + c]);
                else
                    text += QByteArray::number(pendingRowids_[r]);
            }
            text += '}';
            manyRows_->bindUtf8(int(c + 1), std::string_view(text.constData(), size_t(text.size())));
        }
        manyRows_->run();
    }
    pendingValues_.clear();
    pendingRowids_.clear();
}

void BatchUpdate::finish() {
    if (manyRows_ && !pendingRowids_.empty()) send();
}

} // namespace store
