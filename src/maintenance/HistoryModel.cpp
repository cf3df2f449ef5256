#include "maintenance/HistoryModel.h"

#include "maintenance/Texts.h"

#include <algorithm>

namespace maintenance {

namespace {

const QChar Ellipsis(0x2026);

bool isLineEnd(char16_t c) {
    return c == u'\n' || c == u'\r' || c == 0x85 || c == 0x2028 || c == 0x2029;
}

// The visible symbol of a control character ("␀" for NUL, "␡" for DEL); the
// replacement character for the other controls.
QChar symbolOf(char16_t c) {
    if (c < 0x20) return QChar(char16_t(0x2400 + c));
    if (c == 0x7F) return QChar(char16_t(0x2421));
    return QChar(char16_t(0xFFFD));
}

bool isControl(char16_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F);
}

} // namespace

QString visibleText(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar ch = text[i];
        const char16_t c = ch.unicode();
        if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') continue; // CR LF: one end
        if (c == u'\n' || c == u'\t')
            out += ch;
        else if (isLineEnd(c))
            out += QLatin1Char('\n');
        else
            out += isControl(c) ? symbolOf(c) : ch;
    }
    return out;
}

QString elidedCell(const QString& text, int most) {
    static const QString LineMark = QStringLiteral(" \u21B5 ");
    QString out;
    const qsizetype n = text.size();
    qsizetype i = 0;
    for (; i < n && out.size() < most; ++i) {
        const char16_t c = text[i].unicode();
        if (isLineEnd(c)) {
            // Every line in sight, each end marked: a record's second field
            // tells more than an ellipsis after its first.
            if (c == u'\r' && i + 1 < n && text[i + 1] == u'\n') ++i;
            out += LineMark;
            continue;
        }
        out += c == u'\t' ? QChar(u' ') : isControl(c) ? symbolOf(c) : text[i];
    }
    if (i < n) {
        // Never half a pair of surrogates.
        if (!out.isEmpty() && out.back().isHighSurrogate()) out.chop(1);
        out += Ellipsis;
    }
    return out;
}

HistoryModel::HistoryModel(store::Database& db, QObject* parent)
    : QAbstractTableModel(parent), db_(db) {}

void HistoryModel::setQuery(const store::AuditQuery& query) {
    beginResetModel();
    query_ = query;
    pages_.clear();
    pageOrder_.clear();
    ids_ = store::auditRecordIds(db_, query_);
    endResetModel();
}

const store::AuditRecord* HistoryModel::record(int row) const {
    if (row < 0 || size_t(row) >= ids_.size()) return nullptr;
    const int page = row / PageSize;
    auto it = pages_.find(page);
    if (it == pages_.end()) {
        const size_t first = size_t(page) * PageSize;
        const size_t last = std::min(ids_.size(), first + PageSize);
        const std::vector<qint64> wanted(ids_.begin() + qsizetype(first),
                                         ids_.begin() + qsizetype(last));
        std::vector<store::AuditRecord> read = store::auditRecords(db_, wanted);
        // One record per row: an entry gone since the ids were read is an empty row.
        std::vector<store::AuditRecord> rows(wanted.size());
        size_t k = 0;
        for (size_t i = 0; i < wanted.size() && k < read.size(); ++i)
            if (read[k].id == wanted[i]) rows[i] = std::move(read[k++]);
        if (pages_.size() >= KeptPages) {
            pages_.erase(pageOrder_.front());
            pageOrder_.erase(pageOrder_.begin());
        }
        it = pages_.emplace(page, std::move(rows)).first;
        pageOrder_.push_back(page);
    }
    return &it->second[size_t(row % PageSize)];
}

QString HistoryModel::fullText(const QModelIndex& index) const {
    const store::AuditRecord* r = index.isValid() ? record(index.row()) : nullptr;
    if (!r) return {};
    switch (index.column()) {
    case When:
        return r->at;
    case Who:
        return r->user;
    case Operation:
        return r->entry.operation;
    case Sensor:
        return r->entry.sensor;
    case Target:
        return r->entry.target;
    case OldValue:
        return r->entry.oldValue;
    case NewValue:
        return r->entry.newValue;
    case Count:
        return r->entry.count ? QString::number(*r->entry.count) : QString();
    case Note:
        return r->entry.note;
    default:
        return {};
    }
}

int HistoryModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(ids_.size());
}

int HistoryModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : Columns;
}

QVariant HistoryModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return elidedCell(fullText(index));
    case Qt::ToolTipRole: {
        // Only where the cell shows less than is stored. Escaped and wrapped:
        // a note is never read as markup, and a long one is not one line.
        const QString text = fullText(index);
        if (elidedCell(text) == text) return {};
        return QStringLiteral("<p style=\"white-space:pre-wrap\">%1</p>")
            .arg(visibleText(text).toHtmlEscaped());
    }
    case Qt::TextAlignmentRole:
        if (index.column() == Count) return int(Qt::AlignRight | Qt::AlignVCenter);
        return {};
    default:
        return {};
    }
}

QVariant HistoryModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) return {};
    if (orientation == Qt::Vertical) return section + 1;
    if (section < 0 || section >= texts::HistoryColumns.size()) return {};
    return texts::HistoryColumns[section];
}

} // namespace maintenance
